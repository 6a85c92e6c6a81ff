#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of the alarm on an X11 desktop with a window manager (openbox), an xterm
in which the user types, and fake desktop services on a private session bus.

Usage: alarm_test.py --bin PATH/tavrel [unittest arguments]
Needs DISPLAY (an Xvfb started with -noreset) with a tray host such as trayer running.
"""

import datetime
import os
import subprocess
import time
import unittest

from desktop import Desktop, active_window, is_fullscreen, stacking, wait_until
from harness import Program, choose_from_tray, json_lines, run_tests, xdotool

BINARY = None


def ten_keys(main=""):
    """An alarm once ten keys are typed (the Escape that hides the window is one), and no
    decay: it lasts until the test ends."""
    return ("[Main]\nSet=Good\n%s\n[Good]\nThreshold=100\nKeyboardPain=10\nDecay=0\n"
            "BreakLimit=600000\n" % main)


SENTENCE = "the quick brown fox jumps over the lazy dog"  # 43 characters


def type_into(window, text):
    xdotool("type", "--window", window, "--delay", "40", text)


class AlarmTest(unittest.TestCase):
    def setUp(self):
        xdotool("mousemove", 2, 2)
        self.desktop = Desktop()
        self.addCleanup(self.desktop.close)
        self.desktop.window_manager()
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.close()

    def start_hidden(self, config=None, env=None):
        p = Program(BINARY, config=config or ten_keys(), env=dict(self.desktop.env, **(env or {})))
        self.programs.append(p)
        p.start()
        p.press_escape()
        p.wait_for(lambda s: not s["window"]["visible"], 3, "the window hidden")
        return p

    def window_of(self, p):
        return int(p.dump()["window"]["id"])

    def test_typing_elsewhere_as_the_alarm_comes_every_key_stays_there(self):
        p = self.start_hidden()
        fields = p.dump()["fields"]
        term, typed = self.desktop.terminal("typing")
        self.desktop.focus(term)
        xdotool("type", "--delay", "40", SENTENCE)
        xdotool("key", "Return")
        wait_until(lambda: os.path.exists(typed) and open(typed).read() == SENTENCE + "\n", 10,
                   "the sentence in the terminal")
        # The Escape, the sentence and the Return: all counted, none typed into Tavrel.
        shown = p.wait_for(lambda s: s["window"]["visible"] and
                           s["readouts"]["totalKeys"].strip() == str(len(SENTENCE) + 2), 3,
                           "the hidden window shown with every key counted")
        self.assertEqual(active_window(), term, "the focus stayed with the terminal")
        self.assertEqual(shown["fields"], fields, "no key reached a settings field")
        # Above the terminal, as the alarm's window should be.
        order = stacking()
        self.assertGreater(order.index(self.window_of(p)), order.index(term))

    def test_a_fullscreen_program_holds_the_alarm_until_it_leaves_fullscreen(self):
        p = self.start_hidden()
        term, typed = self.desktop.terminal("slides", fullscreen=True)
        self.desktop.focus(term)
        self.assertTrue(is_fullscreen(term))
        xdotool("type", "--delay", "40", "x" * 15)
        held = p.wait_for(lambda s: "Alarm held: a fullscreen program" in s["tray"]["tip"], 5,
                          "the tip saying the alarm is held")
        self.assertEqual(held["tray"]["icon"], "level5")
        time.sleep(1.5)
        self.assertFalse(p.dump()["window"]["visible"])
        self.assertEqual(active_window(), term)
        self.assertTrue(is_fullscreen(term))

        subprocess.run(["wmctrl", "-i", "-r", str(term), "-b", "remove,fullscreen"], check=True)
        wait_until(lambda: not is_fullscreen(term), 5, "the terminal out of fullscreen")
        left = time.monotonic()
        p.wait_for(lambda s: s["window"]["visible"], 3, "the alarm once fullscreen ended")
        self.assertLess(time.monotonic() - left, 2.0)
        self.assertEqual(active_window(), term)

    def test_do_not_disturb_and_a_kept_awake_screen_each_hold_the_alarm_and_say_why(self):
        log = self.desktop.session_bus()
        cases = [
            ("show-banners", False, True, "Do Not Disturb is on"),  # GNOME
            ("inhibited", True, False, "Do Not Disturb is on"),  # a notification server's own
            ("inhibited-actions", 8, 0, "a call, a video or a slide show"),  # GNOME's session
            ("has-inhibit", True, False, "a call, a video or a slide show"),  # power management
        ]
        for name, on, off, words in cases:
            with self.subTest(name):
                self.desktop.set(name, on)
                p = self.start_hidden(config=ten_keys("AlarmToFront=0\n"))
                xdotool("type", "--delay", "20", "y" * 12)
                p.wait_for(lambda s: "Alarm held: " + words in s["tray"]["tip"], 5,
                           "the tip saying why the alarm is held")
                time.sleep(1.0)
                self.assertFalse(p.dump()["window"]["visible"])
                self.assertFalse([e for e in json_lines(log) if e["call"] == "Notify"],
                                 "no notification while held")
                self.desktop.set(name, off)
                wait_until(lambda: [e for e in json_lines(log) if e["call"] == "Notify"], 3,
                           "the notification once the quiet time ended")
                self.assertFalse(p.dump()["window"]["visible"], "the user chose no window")
                p.close()
                self.programs.remove(p)
                open(log, "w").close()

    def test_pausing_from_the_tray_holds_alarms_and_resume_brings_them_back(self):
        p = self.start_hidden()
        choose_from_tray("p", "3")  # "Pause alarms", "For 30 minutes"
        until = (datetime.datetime.now() + datetime.timedelta(minutes=30)).strftime("%H:%M")
        paused = p.wait_for(lambda s: "Alarms paused until " in s["tray"]["tip"], 3,
                            "the tip saying until when")
        self.assertIn(paused["tray"]["tip"].split("until ")[1][:5],
                      {until, (datetime.datetime.now() + datetime.timedelta(minutes=29))
                       .strftime("%H:%M")})
        self.assertEqual(p.config()["Main"]["PausedUntil"][-1], "Z")
        xdotool("type", "--delay", "20", "z" * 12)
        # Well past the threshold: the Escape, the menu's keys and the twelve.
        p.wait_for(lambda s: int(s["tray"]["tip"].split("\n")[0].split(": ")[1]) >= 130, 3,
                   "the keys counted while paused")
        time.sleep(1.0)
        self.assertFalse(p.dump()["window"]["visible"])

        choose_from_tray("p", "r")  # "Resume alarms"
        p.wait_for(lambda s: s["window"]["visible"], 3, "the alarm once resumed")
        self.assertEqual(p.config()["Main"]["PausedUntil"], "")

    def test_without_the_window_the_alarm_is_a_notification_and_the_tray_blinks(self):
        log = self.desktop.session_bus()
        p = self.start_hidden()
        choose_from_tray("f")  # "Bring the window to the front", off
        p.wait_for(lambda s: p.config().get("Main", {}).get("AlarmToFront") == "0", 3,
                   "the choice stored")
        xdotool("type", "--delay", "20", "w" * 12)
        wait_until(lambda: [e for e in json_lines(log) if e["call"] == "Notify"], 5,
                   "the notification")
        p.wait_for(lambda s: s["tray"]["icon"].startswith("alarm"), 3, "the tray blinking")
        self.assertFalse(p.dump()["window"]["visible"])
        body = [e for e in json_lines(log) if e["call"] == "Notify"][0]["body"]
        # Keys come several to a tick: the first alarm tick may be a few keys past the ten.
        self.assertRegex(body, r"^Pain 1\d\d has reached the threshold of 100\.$")



if __name__ == "__main__":
    raise SystemExit(run_tests())
