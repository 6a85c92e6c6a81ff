#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of what the 64-bit Tavrel.exe counts, under Wine.

The 64-bit release counts in its own process: no Wine process of the prefix may map
TavrelHooks.dll. Input goes over Tavrel's window and over a window of another program (the
probe's own), given with xdotool. Run by ctest like app_test.py:

    capture_test.py --bin DIR --probe PROBE.exe [unittest arguments]
"""
import glob
import os
import subprocess
import time
import unittest

from harness import (IDS, Probe, Store, Tavrel, X, missing_tools, parse_arguments, run_tests,
                     start_tavrel, wait_until)
from process_stats import comes_to_rest, switches_during  # noqa: E402  (found through the harness's path)

ARGS = None
TOTAL_DISTANCE, CLICKS, TOTAL_KEYS = IDS["IDC_TOTAL_DISTANCE"], IDS["IDC_CLICKS"], IDS["IDC_TOTAL_KEYS"]
SETTLE_S = 0.4  # quiet time after which nothing more arrives
IDCANCEL = 2
PASS_PX = 200  # one pass of the path: half over Tavrel's window, half over the other one
PASSES = 20
STEP_PX = 10


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True, stdout=subprocess.DEVNULL)


def processes_mapping_the_hook_library():
    """The command lines of this prefix's processes that have TavrelHooks.dll mapped."""
    prefix = os.environ["WINEPREFIX"].encode()
    found = []
    for proc in glob.glob("/proc/[0-9]*"):
        try:
            with open(proc + "/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix + b"\0" not in f.read() + b"\0":
                    continue
            with open(proc + "/maps", encoding="latin-1") as f:
                if "tavrelhooks.dll" in f.read().lower():
                    with open(proc + "/cmdline", "rb") as f:
                        found.append(f.read().replace(b"\0", b" ").decode("latin-1").strip())
        except OSError:
            continue  # ended meanwhile, or not ours to read
    return found


class CaptureTest(unittest.TestCase):
    def setUp(self):
        self.store = Store()
        self.store.clear()
        # No alarm may take the focus or raise windows while the tests give input.
        self.store.set_dword("Good", "Threshold", 2000000000)
        X.park_pointer()
        self.probe = Probe(ARGS.probe)
        self.addCleanup(self.probe.close)

    def start(self, *args):
        self.app = start_tavrel(self, self.probe, ARGS.bin, args=args)
        self.rect = [int(v) for v in self.probe.ask("rect").split()]

    def open_target(self, kind):
        """Another program's window right of Tavrel's, touching it, as tall as it is."""
        left, top, right, bottom = self.rect
        self.target = Probe(ARGS.probe)
        self.addCleanup(self.target.close)
        title = f"tavrel-capture-{kind}"
        self.assertEqual(self.target.ask(f"window {right} {top} 300 {bottom - top} {title} {kind}"),
                         "ok")
        self.target_title = title
        return right, top

    def totals(self):
        """Total distance (tenths), clicks, double-clicks and keys, once nothing changes more."""
        def read():
            distance, clicks, keys = self.probe.texts(TOTAL_DISTANCE, CLICKS, TOTAL_KEYS)
            return (int(distance),) + tuple(int(v) for v in clicks.split()) + (int(keys),)
        last = read()
        while True:
            time.sleep(SETTLE_S)
            now = read()
            if now == last:
                return now
            last = now

    def assert_no_hook_library(self):
        self.assertEqual(processes_mapping_the_hook_library(), [])

    def focus_target(self):
        wid = subprocess.run(["xdotool", "search", "--name", f"^{self.target_title}$"],
                             stdout=subprocess.PIPE, check=True).stdout.split()[0]
        xdotool("windowfocus", "--sync", wid.decode())
        time.sleep(0.1)

    def path(self, y, x0):
        """PASSES passes along one line, back and forth, in steps of STEP_PX."""
        args = []
        for n in range(PASSES):
            for i in range(1, PASS_PX // STEP_PX + 1):
                x = x0 + i * STEP_PX if n % 2 == 0 else x0 + PASS_PX - i * STEP_PX
                args += ["mousemove", x, y, "sleep", 0.02]
            # Wine merges the X moves that queue up on a busy machine; merged along one line
            # they keep their sum, merged across a turn they cut the corner.
            args += ["sleep", 0.4]
        xdotool(*args)

    def test_a_path_across_two_programs_windows_counts_its_length(self):
        self.start()
        border, top = self.open_target("plain")
        y = top + 100
        x0 = border - PASS_PX // 2
        xdotool("mousemove", x0, y)
        # The jump from the parked pointer must be in before the path starts.
        wait_until(lambda: int(self.probe.texts(TOTAL_DISTANCE)[0]) > 0, 5, "the first move")
        expected = PASSES * PASS_PX * 10
        # Wine on a loaded machine now and then hands on a queued X move out of its order,
        # which adds a zigzag that the pointer never made; a path counted per program, as
        # the hook library counts it, is off by far more on every try.
        counted = []
        for _ in range(3):
            before = self.totals()
            self.path(y, x0)
            after = self.totals()
            self.assertEqual(after[1:], before[1:])
            counted.append(after[0] - before[0])
            if abs(counted[-1] - expected) <= PASSES * 10:
                break
        else:
            self.fail(f"tenths of a pixel for {PASSES} passes of {PASS_PX} px: {counted}, "
                      f"not {expected}")
        self.assert_no_hook_library()

    def test_a_double_click_over_a_window_that_asks_for_none_is_one_double_click(self):
        self.start()
        border, top = self.open_target("plain")
        xdotool("mousemove", border + 100, top + 100)
        before = self.totals()
        xdotool("click", "--repeat", 2, "--delay", 80, 1)
        self.assertEqual(self.totals()[1:3], (before[1], before[2] + 1))
        # The window itself got two presses and no double-click message.
        self.assertEqual(self.target.ask("window-counts").split()[:3], ["2", "2", "0"])
        self.assert_no_hook_library()

    def test_a_click_in_a_program_that_peeks_before_taking_counts_once(self):
        self.start()
        border, top = self.open_target("peek")
        xdotool("mousemove", border + 100, top + 100)
        before = self.totals()
        xdotool("click", 1)
        self.assertEqual(self.totals()[1:3], (before[1] + 1, before[2]))
        self.assertEqual(self.target.ask("window-counts").split()[:2], ["1", "1"])
        self.assert_no_hook_library()

    def test_a_tap_counts_one_and_a_held_key_its_repeats_and_one(self):
        self.start()
        self.open_target("plain")
        self.focus_target()
        before = self.totals()
        xdotool("key", "a")
        tapped = self.totals()
        self.assertEqual(tapped[3] - before[3], 1)
        xdotool("keydown", "b", "sleep", 1.5, "keyup", "b")
        held = self.totals()
        # The window counts the keystrokes flagged as "previously down": the repeats and
        # the release, which is what the system's own rule counts.
        flagged = int(self.target.ask("window-counts").split()[3])
        self.assertGreater(flagged, 3, "the held key should have repeated")
        self.assertEqual(held[3] - tapped[3], flagged - 1)
        self.assert_no_hook_library()

    def test_a_busy_window_thread_loses_no_counts_and_keeps_the_hooks(self):
        self.start()
        border, top = self.open_target("plain")
        y = top + 100
        xdotool("mousemove", border + 20, y)
        before = self.totals()
        self.assertEqual(self.probe.ask("suspend-gui"), "ok")
        try:
            started = time.monotonic()
            self.focus_target()
            args = []
            for i in range(1, 21):
                args += ["mousemove", border + 20 + 10 * i, y, "sleep", 0.02]
            xdotool(*args)
            xdotool("click", 1)
            xdotool("key", "a")
            # Another program's input went through while Tavrel's window thread stood still.
            wait_until(lambda: self.target.ask("window-counts") == "1 1 0 1", 2,
                       "the other program to take the click and the key")
            time.sleep(max(0.0, 2.0 - (time.monotonic() - started)))
        finally:
            self.assertEqual(self.probe.ask("resume-gui"), "ok")
        during = self.totals()
        self.assertEqual(during[0] - before[0], 2000)
        self.assertEqual(during[1:], (before[1] + 1, before[2], before[3] + 1))
        # The hooks are still there.
        xdotool("mousemove", border + 20, y, "click", 1)
        after = self.totals()
        self.assertEqual(after[0] - during[0], 2000)
        self.assertEqual(after[1], during[1] + 1)
        self.assert_no_hook_library()

    def test_the_test_switch_counts_with_the_hook_library_instead(self):
        # Wine's desktop process keeps the library mapped after the hooks are gone: end the
        # prefix's processes afterwards, so that later tests find none that maps it.
        self.addCleanup(subprocess.run, ["wineserver", "-k"], stdout=subprocess.DEVNULL,
                        stderr=subprocess.DEVNULL)
        self.start("--capture=hook-library")
        border, top = self.open_target("plain")
        self.assertIn("Tavrel.exe --capture=hook-library", processes_mapping_the_hook_library())
        xdotool("mousemove", border + 100, top + 100)
        before = self.totals()
        xdotool("click", "--repeat", 2, "--delay", 80, 1)
        # The library counts the window's own messages: two clicks, as the 32-bit release does.
        self.assertEqual(self.totals()[1:3], (before[1] + 2, before[2]))

    def test_hidden_and_idle_it_rests_and_counts_the_input_that_wakes_it_exactly(self):
        # The other program's window first, and the pointer on it where the path starts, so
        # that capture starts there and no input at all comes before the window hides.
        self.target = Probe(ARGS.probe)
        self.addCleanup(self.target.close)
        self.target_title = "tavrel-capture-rest"
        self.assertEqual(self.target.ask(f"window 500 100 400 200 {self.target_title} plain"),
                         "ok")
        x0, y = 550, 200
        xdotool("mousemove", x0, y)
        self.start()
        before = self.totals()
        self.probe.ask(f"command {IDCANCEL}")
        self.probe.ask("wait-hidden 3000")
        # Hidden, free of pain and with the totals stored, its timer stops.
        self.assertTrue(comes_to_rest(self.app.pid, 30),
                        "hidden and idle, it still wakes every tick")

        def move_and_type():
            self.focus_target()
            args = []
            for i in range(1, 21):
                args += ["mousemove", x0 + 10 * i, y, "sleep", 0.02]
            xdotool(*args)
            xdotool("key", "a")

        self.assertGreater(switches_during(self.app.pid, move_and_type), 5, "input wakes it")
        # A second start shows the running window without any input of its own.
        again = Tavrel(ARGS.bin)
        self.assertEqual(again.wait(20), 0)
        self.probe.ask("wait-visible 5000")
        after = self.totals()
        self.assertEqual(after[0] - before[0], 2000)
        self.assertEqual(after[1:], (before[1], before[2], before[3] + 1))
        self.assert_no_hook_library()


if __name__ == "__main__":
    ARGS, rest = parse_arguments()
    run_tests(rest, missing_tools("wine", "xdotool"))
