#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of the Linux program on a real X server, driven by xdotool.

Usage: app_test.py --bin PATH/tavrel [unittest arguments]
Needs DISPLAY (an Xvfb started with -noreset) with a tray host such as trayer running.
Exits with 77 when there is no DISPLAY.
"""

import os
import shutil
import signal
import subprocess
import sys
import time
import unittest

from harness import Program, run_tests, tray_icon_centre, xdotool

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), *[os.pardir] * 4,
                                "tests"))
from process_stats import comes_to_rest, switches_during  # noqa: E402  (not a package)

BINARY = None
DEFAULTS = {"threshold": "100", "decay": "100", "breakLimit": "100", "clickPain": "10",
            "doubleclickPain": "10", "keyboardPain": "10", "movePain": "10", "dragPain": "10"}


def screen_size():
    out = subprocess.run(["xdotool", "getdisplaygeometry"], check=True, capture_output=True,
                         text=True).stdout.split()
    return int(out[0]), int(out[1])


class AppTest(unittest.TestCase):
    def setUp(self):
        # Away from where the tests move, so that the first move is a real one.
        xdotool("mousemove", 2, 2)
        self.width, self.height = screen_size()
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.close()

    def start(self, config=None, env=None):
        program = Program(BINARY, config=config, env=env)
        self.programs.append(program)
        return program.start()

    def free_spot(self, program, dx=0):
        """A point below the window's left corner, on the bare desktop."""
        return 20 + dx, self.height - 20

    def test_window_opens_with_defaults(self):
        p = self.start()
        d = p.dump()
        self.assertEqual(d["window"]["title"], "Tavrel")
        self.assertEqual(d["fields"], DEFAULTS)
        self.assertTrue(d["normal"]["checked"])
        self.assertFalse(d["painful"]["checked"])
        self.assertFalse(d["save"]["enabled"])
        self.assertEqual(d["debugInfo"]["text"], "Show Debugging &Info")
        self.assertEqual(d["window"]["focus"], "threshold")
        self.assertFalse(d["notice"]["visible"])
        self.assertTrue(d["tray"]["visible"], "no tray icon: is a tray host running?")
        self.assertEqual(d["tray"]["icon"], "level0")
        self.assertEqual(d["readouts"]["totalDistance"].strip(), "0")
        self.assertEqual(len(d["readouts"]["totalDistance"]), 12)  # "%12ld"
        first = int(d["readouts"]["tickCount"])
        p.wait_for(lambda s: int(s["readouts"]["tickCount"]) >= first + 10, 3, "ticks")
        # Start-up names the active set and writes nothing else.
        self.assertEqual(p.config(), {"Main": {"Set": "Good"}})

    def test_move_drag_clicks_and_wheel_are_counted_as_on_windows(self):
        p = self.start(config="[Main]\nDistance=1000\nTotalKeys=7\n")
        self.assertEqual(p.total_distance(), 1000)
        # The first move is measured from (0, 0): 500 pixels, 5000 tenths.
        xdotool("mousemove", 300, 400)
        p.wait_for(lambda s: p.total_distance(s) == 6000, 3, "total distance 6000")

        x, y = self.free_spot(p)
        xdotool("mousemove", x, y)
        time.sleep(0.2)
        xdotool("mousedown", 1)
        xdotool("mousemove", x + 100, y)
        xdotool("mouseup", 1)
        p.wait_for(lambda s: s["readouts"]["clicks"] == " 1  0", 3, "one click after the drag")
        drags = {int(s["readouts"]["dragDistance"]) for s in p.history()}
        self.assertIn(100, drags, "a 100-pixel drag shows as the drag distance of its tick")

        time.sleep(0.8)  # beyond any double-click time
        xdotool("click", "--repeat", 2, "--delay", 80, 1)
        p.wait_for(lambda s: s["readouts"]["clicks"] == " 1  1", 3, "a double-click")
        # A press and release around the double-click count as the double-click only.
        time.sleep(0.8)
        for button in (4, 5, 6, 7):
            xdotool("click", button)
        xdotool("click", 3)
        p.wait_for(lambda s: s["readouts"]["clicks"] == " 2  1", 3, "a right click")
        time.sleep(0.3)
        self.assertEqual(p.dump()["readouts"]["clicks"], " 2  1", "the wheel counts nothing")
        self.assertEqual(p.dump()["readouts"]["totalKeys"].strip(), "7")

    def test_key_tap_counts_once_and_held_key_counts_its_repeats(self):
        p = self.start()
        x, y = self.free_spot(p)
        xdotool("mousemove", x, y)  # keys go to the window under the pointer: none
        xdotool("key", "F12")
        p.wait_for(lambda s: s["readouts"]["totalKeys"].strip() == "1", 3, "one key")
        time.sleep(0.3)
        self.assertEqual(p.dump()["readouts"]["totalKeys"].strip(), "1")
        xdotool("keydown", "F12")
        time.sleep(1.5)
        xdotool("keyup", "F12")
        time.sleep(0.3)
        keys = int(p.dump()["readouts"]["totalKeys"])
        # The server's repeat: a delay of about 660 ms, then one every 40 ms or so.
        self.assertGreaterEqual(keys, 1 + 8, "a held key counts its repeats")
        self.assertLessEqual(keys, 1 + 80)

    def test_totals_reach_the_store_within_six_seconds(self):
        p = self.start()
        xdotool("mousemove", 300, 400)
        p.wait_for(lambda s: p.total_distance(s) == 5000, 3, "the move")
        deadline = time.monotonic() + 6
        while time.monotonic() < deadline:
            if p.config().get("Main", {}).get("Distance") == "5000":
                break
            time.sleep(0.1)
        self.assertEqual(p.config()["Main"].get("Distance"), "5000")
        self.assertEqual(p.config()["Main"].get("TotalKeys"), "0")

    def test_escape_hides_sampling_goes_on_and_a_second_start_shows_it(self):
        p = self.start()
        p.press_escape()
        hidden = p.wait_for(lambda s: not s["window"]["visible"], 3, "the window hidden")
        self.assertTrue(hidden["tray"]["visible"])
        ticks = int(hidden["readouts"]["tickCount"])
        xdotool("mousemove", 300, 400)
        time.sleep(0.5)
        self.assertFalse(p.dump()["window"]["visible"])

        started = time.monotonic()
        self.assertEqual(p.start_again(), 0)
        self.assertLess(time.monotonic() - started, 5)
        shown = p.wait_for(lambda s: s["window"]["visible"], 3, "the window shown again")
        # The move made while hidden was counted, and the ticks went on.
        self.assertGreaterEqual(p.total_distance(shown), 5000)
        self.assertNotEqual(int(shown["readouts"]["tickCount"]), ticks)
        self.assertIsNone(p.process.poll())

    def test_hidden_and_idle_it_rests_and_counts_the_input_that_wakes_it_exactly(self):
        p = self.start()
        p.press_escape()
        hidden = p.wait_for(lambda s: not s["window"]["visible"], 3, "the window hidden")
        ticks = int(hidden["readouts"]["tickCount"])
        # Once the totals are stored and the minute holding the Escape written, its timer
        # stops.
        self.assertTrue(comes_to_rest(p.process.pid, 75),
                        "hidden, idle and free of pain, it still wakes every tick")
        woken = switches_during(p.process.pid, lambda: (xdotool("mousemove", 300, 400),
                                                        xdotool("key", "F12")))
        self.assertGreater(woken, 5, "input wakes it")
        self.assertEqual(p.start_again(), 0)
        shown = p.wait_for(lambda s: s["window"]["visible"], 3, "the window shown again")
        # Keys: the Escape that hid it, then the tap made during the rest.
        p.wait_for(lambda s: p.total_distance(s) == 5000 and s["readouts"]["totalKeys"].strip()
                   == "2", 3, "the move and the key made during the rest")
        self.assertNotEqual(int(shown["readouts"]["tickCount"]), ticks)

    def test_two_starts_at_the_same_moment_leave_one_program(self):
        p = Program(BINARY)
        self.programs.append(p)
        both = [subprocess.Popen([BINARY], env=p.env, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL) for _ in range(2)]
        for process in both:
            self.addCleanup(lambda process=process: process.poll() is None and process.kill())
        # One runs on and shows its window; the other asks it to show itself and ends.
        p.wait_for(lambda d: d["window"]["visible"], 15, "one window")
        deadline = time.monotonic() + 15
        while all(process.poll() is None for process in both):
            self.assertLess(time.monotonic(), deadline, "both are still running")
            time.sleep(0.1)
        time.sleep(1)
        running = [process for process in both if process.poll() is None]
        ended = [process for process in both if process.poll() is not None]
        self.assertEqual(len(running), 1, "exactly one program runs")
        self.assertEqual(ended[0].returncode, 0)
        p.process = running[0]  # closed with the others at the end

    def test_tray_icon_shows_the_window_and_its_menu_sets_start_at_login(self):
        p = self.start()
        p.press_escape()
        p.wait_for(lambda s: not s["window"]["visible"], 3, "the window hidden")
        x, y = tray_icon_centre()
        xdotool("mousemove", x, y, "click", 1)  # one activation is enough
        p.wait_for(lambda s: s["window"]["visible"], 3, "the window shown from the tray")

        autostart = os.path.join(p.config_home, "autostart", "tavrel.desktop")
        for expected in (True, False):
            xdotool("mousemove", x, y, "click", 3)
            time.sleep(0.5)
            xdotool("key", "l")  # "Start at &login"
            deadline = time.monotonic() + 3
            while os.path.exists(autostart) != expected and time.monotonic() < deadline:
                time.sleep(0.05)
            self.assertEqual(os.path.exists(autostart), expected)
            if expected:
                with open(autostart) as f:
                    entry = f.read()
                self.assertIn("[Desktop Entry]", entry)
                self.assertIn('Exec="%s"' % BINARY, entry)

    def test_threshold_of_zero_raises_the_hidden_window(self):
        p = self.start(config="[Main]\nSet=Good\n\n[Good]\nThreshold=0\n")
        p.wait_for(lambda s: s["tray"]["icon"].startswith("alarm"), 3, "an alarm icon")
        before = p.dump()["window"]
        p.press_escape()
        after = p.wait_for(lambda s: s["window"]["hidden"] > before["hidden"] and
                           s["window"]["shown"] > before["shown"] and s["window"]["visible"],
                           3, "the window hidden and raised again")
        self.assertEqual(after["fields"]["threshold"], "0")
        # The tray icon blinks between the two alarm icons.
        p.wait_for(lambda s: s["tray"]["icon"] == "alarm2", 3, "the second alarm icon")
        p.wait_for(lambda s: s["tray"]["icon"] == "alarm1", 3, "the first alarm icon again")

    def test_quit_stores_the_totals_and_ends(self):
        p = self.start(config="[Main]\nDistance=10\n")
        xdotool("mousemove", 300, 400)
        p.wait_for(lambda s: p.total_distance(s) == 5010, 3, "the move")
        p.click_button("quit")
        self.assertEqual(p.wait_for_exit(5), 0)
        # The move to the button counts as well.
        self.assertGreaterEqual(int(p.config()["Main"]["Distance"]), 5010)
        self.assertIn("TotalKeys", p.config()["Main"])

    def test_sigterm_stores_the_totals_and_ends(self):
        p = self.start()
        xdotool("mousemove", 300, 400)
        p.wait_for(lambda s: p.total_distance(s) == 5000, 3, "the move")
        self.assertNotIn("Distance", p.config()["Main"], "stored before the test could")
        p.signal(signal.SIGTERM)
        self.assertEqual(p.wait_for_exit(5), 0)
        self.assertEqual(p.config()["Main"]["Distance"], "5000")

    def test_without_record_it_says_it_is_not_counting(self):
        p = self.start(env={"TAVREL_DISABLE_RECORD": "1"})
        d = p.wait_for(lambda s: s["notice"]["visible"], 3, "the notice")
        self.assertIn("RECORD", d["notice"]["text"])
        self.assertIn("(not counting)", d["tray"]["tip"])
        xdotool("mousemove", 300, 400)
        time.sleep(0.5)
        self.assertEqual(p.total_distance(), 0)

    def test_under_wayland_it_says_only_x11_programs_count(self):
        p = self.start(env={"WAYLAND_DISPLAY": "wayland-0"})
        d = p.wait_for(lambda s: s["notice"]["visible"], 3, "the notice")
        self.assertTrue(d["notice"]["text"])
        self.assertIn("(X11 programs only)", d["tray"]["tip"])
        # The notice fits in the window, which grew for it.
        x, y, w, h = d["window"]["rect"]
        self.assertGreater(h, 0)

    def test_lost_x_server_stores_the_totals_and_ends(self):
        if shutil.which("Xvfb") is None:
            self.skipTest("no Xvfb")
        number = 150 + os.getpid() % 50
        while (os.path.exists("/tmp/.X%d-lock" % number) or
               os.path.exists("/tmp/.X11-unix/X%d" % number)):
            number += 1
        display = ":%d" % number
        server = subprocess.Popen(["Xvfb", display, "-noreset", "-screen", "0", "800x600x24"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            env = dict(os.environ, DISPLAY=display)
            for _ in range(50):
                if subprocess.run(["xdotool", "getdisplaygeometry"], env=env,
                                  capture_output=True).returncode == 0:
                    break
                time.sleep(0.1)
            p = Program(BINARY, display=display)
            self.programs.append(p)
            p.start()
            subprocess.run(["xdotool", "mousemove", "300", "400"], env=env, check=True)
            p.wait_for(lambda s: p.total_distance(s) == 5000, 3, "the move")
            server.kill()
            server.wait(10)
            p.wait_for_exit(10)  # ends, whatever its code: it must not linger
            self.assertEqual(p.config()["Main"]["Distance"], "5000")
        finally:
            if server.poll() is None:
                server.kill()
                server.wait(10)


def main():
    return run_tests()

if __name__ == "__main__":
    sys.exit(main())
