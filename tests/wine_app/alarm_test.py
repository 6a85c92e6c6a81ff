#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of the 64-bit Tavrel.exe's alarm under Wine: it never takes the keyboard
from the program the user types in, a fullscreen window of another program holds it until it
is gone (a maximised one does not), a pause from the tray menu holds it until Resume, and the
balloon choice shows no window. Another program is the probe's own window.

    alarm_test.py --bin DIR --probe PROBE.exe [unittest arguments]
"""
import subprocess
import time
import unittest

from harness import (IDS, Probe, Store, X, missing_tools, parse_arguments, run_tests,
                     start_tavrel, wait_until)

ARGS = None
IDCANCEL = 2
ALARM_STATUS = IDS["IDC_ALARM_STATUS"]  # the line that says why an alarm is held
SCREEN = (1024, 768)


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL).stdout.decode().split()


class AlarmTest(unittest.TestCase):
    def setUp(self):
        self.store = Store()
        self.store.clear()
        # An alarm at the tenth key, and no decay: it lasts until the test ends.
        for key, value in (("Threshold", 100), ("KeyboardPain", 10), ("Decay", 0),
                           ("BreakLimit", 600000)):
            self.store.set_dword("Good", key, value)
        X.park_pointer()
        self.probe = Probe(ARGS.probe)
        self.addCleanup(self.probe.close)

    def start_hidden(self):
        start_tavrel(self, self.probe, ARGS.bin)
        self.probe.ask(f"command {IDCANCEL}")
        self.assertEqual(self.probe.ask("visible"), "0")

    def other_program(self, title, x, y, width, height, kind="plain"):
        """The probe's own window, in front and with the keyboard, as the user's program."""
        other = Probe(ARGS.probe)
        self.addCleanup(other.close)
        self.assertEqual(other.ask(f"window {x} {y} {width} {height} {title} {kind}"), "ok")
        window = wait_until(lambda: xdotool("search", "--onlyvisible", "--name", f"^{title}$"),
                            5, "the other program's X window")[0]
        xdotool("windowfocus", "--sync", window)
        wait_until(lambda: self.probe.ask("foreground") == title, 5, "the other program in front")
        return other

    def test_typing_in_another_program_as_the_alarm_comes_leaves_it_in_front(self):
        self.start_hidden()
        other = self.other_program("tavrel-typing", 300, 200, 300, 200)
        xdotool("type", "--delay", "40", "abcdefghijklmnopqrst")
        self.probe.ask("wait-visible 3000")
        time.sleep(0.5)
        # Every key's release reached the other program, none Tavrel's fields.
        self.assertEqual(other.ask("window-counts").split()[3], "20")
        self.assertEqual(self.probe.ask("foreground"), "tavrel-typing")
        self.assertEqual(self.probe.texts(1011), ["100"])  # the Threshold field as it was

    def test_a_fullscreen_window_holds_the_alarm_stays_above_and_the_alarm_comes_once_it_goes(self):
        start_tavrel(self, self.probe, ARGS.bin)  # shown, below the other program's window
        other = self.other_program("tavrel-slides", 0, 0, *SCREEN)
        self.assertEqual(self.probe.ask("above tavrel-slides"), "1")
        xdotool("type", "--delay", "40", "x" * 15)
        wait_until(lambda: self.probe.texts(ALARM_STATUS)[0].startswith(
            "Alarm held: a fullscreen program."), 5, "the window saying why the alarm is held")
        time.sleep(1.5)
        self.assertEqual(self.probe.ask("above tavrel-slides"), "1", "not stacked above it")
        self.assertEqual(self.probe.ask("foreground"), "tavrel-slides")

        self.probe.ask(f"command {IDCANCEL}")  # hidden: its coming back is the alarm's
        self.assertEqual(self.probe.ask("visible"), "0")
        self.assertEqual(other.ask("close-window"), "ok")
        came = int(self.probe.ask("wait-visible 3000"))
        self.assertLess(came, 1500, "the alarm came at once")
        wait_until(lambda: not self.probe.texts(ALARM_STATUS)[0].startswith("Alarm held"), 2,
                   "the window's line no longer saying it is held")

    def test_a_maximised_window_with_its_caption_does_not_hold_the_alarm(self):
        # Its frame reaches past the screen on every side, as a maximised window's does where
        # no task bar takes a part of the screen; its caption keeps it from being fullscreen.
        self.start_hidden()
        self.other_program("tavrel-editor", -8, -8, SCREEN[0] + 16, SCREEN[1] + 16, "captioned")
        xdotool("type", "--delay", "40", "z" * 15)
        self.probe.ask("wait-visible 5000")
        self.assertEqual(self.probe.ask("visible"), "1", "the alarm shows the window")
        self.assertFalse(self.probe.texts(ALARM_STATUS)[0].startswith("Alarm held"))
        self.assertEqual(self.probe.ask("foreground"), "tavrel-editor")

    def test_pausing_from_the_tray_menu_holds_the_alarm_and_resuming_brings_it(self):
        self.start_hidden()
        # The tray menu: Show, History..., Share history..., About..., Pause alarms, ...
        X(self.probe).tray_menu(4, 8)
        time.sleep(0.5)
        xdotool("key", "3")  # "For &30 minutes"
        wait_until(lambda: self.store.values("Main").get("PausedUntil"), 5, "the pause kept")
        other = self.other_program("tavrel-typing", 300, 200, 300, 200)
        xdotool("type", "--delay", "40", "w" * 15)
        time.sleep(1.5)
        self.assertEqual(self.probe.ask("visible"), "0", "no alarm while paused")
        self.assertEqual(self.probe.ask("foreground"), "tavrel-typing")

        # Under Wine a tray menu has the keys only while no other program has the X focus.
        self.assertEqual(other.ask("close-window"), "ok")
        X(self.probe).tray_menu(4, 8)
        time.sleep(0.5)
        xdotool("key", "r")  # "&Resume alarms"
        self.assertLess(int(self.probe.ask("wait-visible 3000")), 1500, "the alarm at once")

    def test_the_balloon_choice_shows_a_balloon_and_no_window(self):
        self.store.set_dword("Main", "AlarmToFront", 0)
        self.start_hidden()
        self.other_program("tavrel-writing", 300, 200, 300, 200)
        self.assertEqual(self.probe.ask("balloons"), "0")
        xdotool("type", "--delay", "40", "y" * 15)
        wait_until(lambda: self.probe.ask("balloons") == "1", 5, "the alarm's balloon")
        time.sleep(1.5)
        self.assertEqual(self.probe.ask("visible"), "0")
        self.assertEqual(self.probe.ask("foreground"), "tavrel-writing")
        # Shown from the tray, the window says what the balloon said it would not.
        self.probe.ask("send-registered Tavrel.ShowRunningWindow")
        self.probe.ask("wait-visible 3000")
        wait_until(lambda: self.probe.texts(ALARM_STATUS)[0] ==
                   "Only RESET lowers the pain: its decay is 0.", 3, "the window's line")


if __name__ == "__main__":
    ARGS, rest = parse_arguments()
    raise SystemExit(run_tests(rest, missing_tools("wine", "xdotool")))
