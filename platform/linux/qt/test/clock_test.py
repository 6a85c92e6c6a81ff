#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of the program under a faked clock (libfaketime): a night's sleep, a time
sync's step, a clock set back and a new month neither raise an alarm nor lose a key, and a
pause ends by itself when its time comes.

Usage: clock_test.py --bin PATH/tavrel [unittest arguments]
The program's clocks follow a file the test writes: "+N" puts them N seconds ahead. With the
steady clocks left alone, only the wall clock steps; with them faked too, the program sees a
suspend. Needs DISPLAY with a tray host; the test starts a window manager and a terminal.
"""

import calendar
import os
import signal
import time
import unittest

from desktop import Desktop
from harness import Program, choose_from_tray, run_tests, xdotool

BINARY = None
FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1"


def config(good):
    return "[Main]\nSet=Good\n\n[Good]\n" + "".join("%s=%s\n" % kv for kv in good.items())


def pain(state):
    return int(state["readouts"]["pain"])


def keys(state):
    return int(state["readouts"]["totalKeys"])


class ClockTest(unittest.TestCase):
    def setUp(self):
        xdotool("mousemove", 2, 2)
        self.desktop = Desktop()
        self.addCleanup(self.desktop.close)
        self.desktop.window_manager()
        self.clock_file = os.path.join(self.desktop.root, "faketime")
        self.step(0)
        self.programs = []
        self.terminals = 0

    def tearDown(self):
        for program in self.programs:
            program.close()

    def step(self, seconds):
        """From now on the program's clocks are this far ahead of the real ones."""
        with open(self.clock_file + ".new", "w") as f:
            f.write("%+d\n" % seconds)
        os.replace(self.clock_file + ".new", self.clock_file)

    def start(self, good, wall_only):
        env = {"LD_PRELOAD": FAKETIME, "FAKETIME_TIMESTAMP_FILE": self.clock_file,
               "FAKETIME_NO_CACHE": "1", "TZ": "UTC"}
        if wall_only:
            env["FAKETIME_DONT_FAKE_MONOTONIC"] = "1"
        p = Program(BINARY, config=config(good), env=env)
        self.programs.append(p)
        p.start()
        # The user types in a terminal of its own, never in Tavrel's fields.
        self.terminals += 1
        self.term, _ = self.desktop.terminal("work%d" % self.terminals)
        self.desktop.focus(self.term)
        return p

    def never_alarmed(self, p):
        return not any(s["tray"]["icon"].startswith("alarm") for s in p.history())

    def test_a_nights_sleep_while_ticking_leaves_no_pain_and_the_next_keys_no_alarm(self):
        p = self.start({"Threshold": 1000, "KeyboardPain": 10, "Decay": 1, "BreakLimit": 5000},
                       wall_only=False)
        xdotool("type", "--delay", "15", "s" * 60)
        p.wait_for(lambda s: pain(s) >= 600, 5, "600 of pain")
        p.process.send_signal(signal.SIGSTOP)
        self.step(8 * 3600)  # the computer sleeps: every clock moves on
        p.process.send_signal(signal.SIGCONT)
        p.wait_for(lambda s: pain(s) == 0, 5, "the night taken as rest")
        xdotool("type", "--delay", "15", "k" * 45)
        p.wait_for(lambda s: keys(s) == 105, 5, "the keys after the night")
        time.sleep(0.5)
        self.assertEqual(pain(p.dump()), 450)
        self.assertTrue(self.never_alarmed(p))

    def test_a_time_sync_stepping_30_s_during_slow_movement_raises_no_alarm(self):
        p = self.start({"Threshold": 10000, "MovePain": 1, "Decay": 1, "BreakLimit": 60000},
                       wall_only=True)
        for i in range(40):
            if i == 20:
                self.step(30)
            xdotool("mousemove_relative", "--", 1, 0)
            time.sleep(0.05)
        p.wait_for(lambda s: int(s["readouts"]["totalDistance"]) >= 400, 5, "the 40 moves")
        time.sleep(0.3)
        self.assertLess(pain(p.dump()), 10000)
        self.assertTrue(self.never_alarmed(p))

    def test_a_clock_set_back_and_the_first_tick_of_a_month_lose_no_key(self):
        year, month = time.gmtime()[:2]
        next_month = calendar.timegm((year + month // 12, month % 12 + 1, 1, 0, 0, 0))
        cases = [
            ("set back 2 s", lambda: 0, -2),
            # A second before the month ends when the typing starts, so that it goes on across.
            ("a new month", lambda: int(next_month - time.time() - 1), None),
        ]
        for what, start_offset, step in cases:
            with self.subTest(what):
                self.step(0)
                p = self.start({"Threshold": 100000, "KeyboardPain": 1}, wall_only=True)
                offset = start_offset()
                self.step(offset)
                before = keys(p.dump())
                typed = 0
                for chunk in range(6):
                    if step is not None and chunk == 3:
                        self.step(offset + step)
                    xdotool("type", "--delay", "10", "m" * 50)
                    typed += 50
                p.wait_for(lambda s: keys(s) == before + typed, 5, "every key counted")
                time.sleep(0.5)
                self.assertEqual(keys(p.dump()), before + typed)
                p.close()
                self.programs.remove(p)

    def test_a_pause_ends_by_itself_when_its_time_comes(self):
        p = self.start({"Threshold": 100, "KeyboardPain": 10, "Decay": 0, "BreakLimit": 600000},
                       wall_only=True)
        p.press_escape()
        p.wait_for(lambda s: not s["window"]["visible"], 3, "the window hidden")
        choose_from_tray("p", "3")  # "Pause alarms", "For 30 minutes"
        p.wait_for(lambda s: "Alarms paused until " in s["tray"]["tip"], 3, "the pause")
        self.desktop.focus(self.term)
        xdotool("type", "--delay", "20", "p" * 12)
        time.sleep(1.5)
        self.assertFalse(p.dump()["window"]["visible"])
        self.step(31 * 60)  # half an hour on the wall clock
        p.wait_for(lambda s: s["window"]["visible"], 3, "the alarm once the pause is over")
        self.assertEqual(p.config()["Main"]["PausedUntil"], "")


if __name__ == "__main__":
    raise SystemExit(run_tests())
