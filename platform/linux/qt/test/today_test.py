#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Today's mouse and keyboard time in the tray tip and the window, and the daily mouse limit's
one notification, held by the desktop's Do Not Disturb, on a real X server.

Usage: today_test.py --bin PATH/tavrel [unittest arguments]
Needs DISPLAY (an Xvfb started with -noreset) with a tray host, dbus-daemon and the system's
python3 with its dbus and gi modules. Exits with 77 when there is no DISPLAY.
"""

import datetime
import re
import sys
import time
import unittest

from desktop import Desktop, wait_until
from harness import Program, json_lines, run_tests, xdotool

BINARY = None


class TodayTest(unittest.TestCase):
    def setUp(self):
        xdotool("mousemove", 2, 2)
        self.desktop = Desktop()
        self.addCleanup(self.desktop.close)

    def test_todays_time_shows_and_the_daily_limit_is_told_once_after_do_not_disturb(self):
        log = self.desktop.session_bus()
        self.desktop.set("show-banners", False)  # GNOME's Do Not Disturb
        # A minute of mouse use a day, and no alarm to get in the way.
        p = Program(BINARY, env=self.desktop.env,
                    config="[Main]\nDailyMouseLimit=1\n[Good]\nThreshold=1000000\n")
        self.addCleanup(p.close)
        p.start()
        xdotool("mousemove", 100, 100)
        xdotool("mousemove", 300, 100)
        state = p.wait_for(lambda s: "\nToday: mouse " in s["tray"]["tip"], 5,
                           "today's time in the tip")
        today = re.search(r"Today: mouse (\d) min, keyboard 0 min$", state["tray"]["tip"])
        self.assertTrue(today, state["tray"]["tip"])
        self.assertEqual(state["todayUse"]["text"], today.group(0))
        self.assertTrue(state["todayUse"]["visible"])
        time.sleep(1.5)
        notified = lambda: [e for e in json_lines(log) if e["call"] == "Notify"]  # noqa: E731
        self.assertEqual(notified(), [], "held while Do Not Disturb is on")

        self.desktop.set("show-banners", True)
        xdotool("key", "F12")  # the next change of today's time looks again
        p.wait_for(lambda s: re.search(r"keyboard \d min$", s["tray"]["tip"]) and
                   not s["tray"]["tip"].endswith("keyboard 0 min"), 5, "the key counted")
        wait_until(notified, 5, "the limit's notification")
        entry = notified()[0]
        self.assertEqual(entry["summary"], "Tavrel: daily mouse limit reached")
        self.assertRegex(entry["body"], r"^You have used the mouse for \d min today, past your "
                                        r"daily limit of 1 min\.")
        self.assertEqual(p.config()["Main"]["DailyMouseLimitTold"],
                         datetime.date.today().isoformat())

        for x in range(5):
            xdotool("mousemove", 100 + 50 * x, 300, "key", "F12")
        time.sleep(1.5)
        self.assertEqual(len(notified()), 1, "once a day")


def main():
    return run_tests()


if __name__ == "__main__":
    sys.exit(main())
