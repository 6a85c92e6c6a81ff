#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of the usage history in the Linux program, on a real X server.

Usage: history_test.py --bin PATH/tavrel [unittest arguments]
Needs DISPLAY (an Xvfb started with -noreset) with a tray host such as trayer running, and
ImageMagick's import for screenshots. Exits with 77 when there is no DISPLAY.

The program started with TAVREL_TEST_HISTORY_DUMP=<file> appends a line of JSON whenever its
History window changes: its day and view, the totals text, its buttons and the chart panels'
rectangles on the screen. The charts themselves are checked in screenshots.
"""

import datetime
import glob
import os
import shutil
import sys
import tempfile
import time

from harness import run_tests, tray_icon_centre, xdotool
from history_fixture import (ALARM_SPAN, ALARMS, CLICKS, DRAGGED, KEYBOARD_TIME, KEYS,
                             MOUSE_TIME, MOVED, PAIN, REFERENCE, HistoryFixture, day_figures,
                             duration, group, minute_kinds, read_lines, save_for_docs)

BINARY = None


class HistoryTest(HistoryFixture):
    def test_input_then_quit_leaves_exactly_that_input_in_this_months_file(self):
        # The pointer moves along the axes only, so that every distance is a whole number of
        # pixels and the file's rounded figures must add up to the program's own total.
        xdotool("mousemove", 0, 0)
        p = self.start()
        before = p.dump()["readouts"]
        xdotool("mousemove", 0, 500)
        xdotool("mousemove", 200, 500)
        xdotool("mousedown", 1)
        xdotool("mousemove", 200, 640)
        xdotool("mouseup", 1)
        p.wait_for(lambda s: s["readouts"]["clicks"] == " 1  0", 3, "the click after the drag")
        time.sleep(0.8)  # beyond any double-click time
        xdotool("click", "--repeat", 2, "--delay", 80, 1)
        p.wait_for(lambda s: s["readouts"]["clicks"] == " 1  1", 3, "a double-click")
        time.sleep(0.8)
        xdotool("click", 3)
        p.wait_for(lambda s: s["readouts"]["clicks"] == " 2  1", 3, "a right click")
        for _ in range(5):
            xdotool("key", "F12")  # does nothing in the window
        p.wait_for(lambda s: int(s["readouts"]["totalKeys"]) - int(before["totalKeys"]) == 5,
                   3, "five keys")
        # Quit from the keyboard: a pointer move or click to reach the button would race the
        # end of the program.
        p.focus_window()
        xdotool("key", "alt+q")
        self.assertEqual(p.wait_for_exit(5), 0)

        stored = p.config()["Main"]
        files = sorted(os.listdir(p.history_folder))
        self.assertIn(time.strftime("%Y-%m") + ".csv", files)
        lines = read_lines(p.history_folder)
        sums = [sum(int(l[i]) for l in lines) for i in range(1, 6)]
        keys, clicks, double_clicks, moved, dragged = sums
        self.assertEqual(keys, int(stored["TotalKeys"]) - int(before["totalKeys"]))
        self.assertGreaterEqual(keys, 5)
        self.assertEqual((clicks, double_clicks), (2, 1))
        self.assertEqual((moved + dragged) * 10,
                         int(stored["Distance"]) - int(before["totalDistance"]))
        self.assertEqual((moved, dragged), (700, 140))
        self.assertTrue(all(l[8] == "100" for l in lines), lines)

    def test_history_window_from_the_tray_shows_a_seeded_month(self):
        if shutil.which("import") is None:
            self.skipTest("no ImageMagick import")
        fake_bin = tempfile.mkdtemp(prefix="tavrel_fake_bin_")
        self.addCleanup(shutil.rmtree, fake_bin, True)
        opened = self.fake_file_manager(fake_bin)
        p = self.start(seed=11, env={"PATH": fake_bin + ":" + os.environ["PATH"]})
        today = datetime.date.today()
        # A day without lines: one the generator filled, emptied here.
        empty = today - datetime.timedelta(days=2)
        for path in glob.glob(os.path.join(p.history_folder, "*.csv")):
            with open(path) as f:
                kept = [l for l in f.read().split("\n") if not l.startswith(empty.isoformat())]
            with open(path, "w") as f:
                f.write("\n".join(kept))
        lines = read_lines(p.history_folder)
        recent = [today - datetime.timedelta(days=n) for n in range(3, 10)]
        busy = max(recent, key=lambda d: day_figures(lines, d)[1][0])

        p.press_escape()  # the main window out of the way of the screenshots
        p.wait_for(lambda s: not s["window"]["visible"], 3, "the main window hidden")
        x, y = tray_icon_centre()
        xdotool("mousemove", x, y, "click", 3)
        time.sleep(0.5)
        xdotool("key", "h")  # "&History..."
        state = self.shows(p, "day", today)
        self.assertTrue(state["buttons"]["day"]["checked"])
        self.assertFalse(state["buttons"]["next"]["enabled"], "no days after today")

        for _ in range((today - busy).days):
            self.click(state, "previous")
            time.sleep(0.15)
        state = self.shows(p, "day", busy)
        day, (keys, clicks, dcs, moved, dragged), alarms = day_figures(lines, busy)
        self.assertGreater(keys, 5000, "a working day among the last week")
        # The reader took every generated line: the totals are the file's sums.
        text = state["totals"]
        self.assertIn("Keys %s, clicks %s, double-clicks %s\n" % (group(keys), group(clicks),
                                                                 group(dcs)), text)
        self.assertIn("Moved %s px (" % group(moved), text)
        self.assertIn("dragged %s px (" % group(dragged), text)
        active, mouse, keyboard = minute_kinds(day)
        self.assertTrue(text.endswith("Alarms %d; active %s, mouse %s, keyboard %s" % (
            alarms, duration(active), duration(mouse), duration(keyboard))), text)
        shot = self.screenshot(state)
        save_for_docs(state, "history-linux.png")
        pain, counts, distance = state["panels"]
        self.assertGreater(shot.count(pain, PAIN, 12), 200, "the pain curve")
        self.assertGreater(shot.count(counts, KEYS), 500, "keys per hour")
        self.assertGreater(shot.count(counts, CLICKS), 50, "clicks per hour")
        self.assertGreater(shot.count(distance, MOVED), 500, "distance per hour")
        if alarms:
            self.assertGreater(shot.count(pain, ALARM_SPAN), 20, "the alarm's band")

        self.click(state, "next")
        self.click(state, "previous")  # at once: only the newest request is shown
        self.assertEqual(self.shows(p, "day", busy)["totals"], text)

        # The week to the busy day: its time against the references.
        self.click(state, "week")
        state = self.shows(p, "week", busy)
        first = (busy - datetime.timedelta(days=6)).isoformat()
        week = [l for l in lines if first <= l[0][:10] <= busy.isoformat()]
        active, mouse, keyboard = minute_kinds(week)
        self.assertEqual(state["figures"]["keys"], sum(int(l[1]) for l in week))
        self.assertTrue(state["totals"].startswith(
            "Mouse %s, keyboard %s, active %s in the week\n" % (
                duration(mouse), duration(keyboard), duration(active))), state["totals"])
        shot = self.screenshot(state)
        save_for_docs(state, "history-linux-week.png")
        per_day, adding = state["panels"]
        self.assertGreater(shot.count(per_day, MOUSE_TIME), 500, "mouse hours per day")
        self.assertGreater(shot.count(per_day, KEYBOARD_TIME), 500, "keyboard hours per day")
        self.assertGreater(shot.count(adding, MOUSE_TIME), 500, "mouse hours adding up")
        for panel in (per_day, adding):
            self.assertGreater(shot.count(panel, REFERENCE, 40), 50, "the reference line")

        # The daily mouse limit, set here: none, then 1 h, 2 h...
        self.assertEqual(state["mouseLimit"]["text"], "No daily mouse limit")
        x, y, w, h = state["mouseLimit"]["rect"]
        xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)
        time.sleep(0.4)
        xdotool("key", "Home", "Down", "Down", "Return")
        self.wait_history(p, lambda s: s["mouseLimit"]["text"] == "Mouse limit 2 h a day",
                          "the limit chosen")
        self.assertEqual(p.config()["Main"]["DailyMouseLimit"], "120")
        self.click(state, "day")
        state = self.shows(p, "day", busy)

        for _ in range((empty - busy).days):
            self.click(state, "next")
            time.sleep(0.15)
        state = self.shows(p, "day", empty)
        self.assertTrue(state["totals"].startswith("Keys 0, clicks 0, double-clicks 0\n"))
        shot = self.screenshot(state)
        for panel in state["panels"]:
            for ink in (PAIN, ALARM_SPAN, KEYS, CLICKS, MOVED, DRAGGED):
                self.assertEqual(shot.count(panel, ink, 12), 0, "nothing drawn on an empty day")

        self.click(state, "thirtyDays")
        state = self.shows(p, "30days", empty)
        shot = self.screenshot(state)
        save_for_docs(state, "history-linux-30days.png")
        peak, counts, distance, alarm_bars, weekly = state["panels"]
        self.assertGreater(shot.count(peak, PAIN, 12), 100, "the peak pain line")
        self.assertGreater(shot.count(counts, KEYS), 500)
        self.assertGreater(shot.count(distance, MOVED), 500)
        first = empty - datetime.timedelta(days=29)
        month_alarms = sum(day_figures(lines, first + datetime.timedelta(days=n))[2]
                           for n in range(30))
        self.assertEqual(shot.count(alarm_bars, ALARMS) > 0, month_alarms > 0)
        self.assertGreater(shot.count(weekly, MOUSE_TIME, 40), 100, "the weekly mouse hours")
        self.assertGreater(shot.count(weekly, REFERENCE, 40), 50, "the weekly reference")

        self.click(state, "openFolder")
        deadline = time.monotonic() + 5
        while not os.path.exists(opened) and time.monotonic() < deadline:
            time.sleep(0.05)
        with open(opened) as f:
            self.assertEqual(f.read().strip(), "file://" + p.history_folder)

        xdotool("windowfocus", "--sync", state["id"])
        xdotool("key", "Escape")
        self.wait_history(p, lambda s: not s["visible"], "the window closed")

    def test_a_month_that_cannot_be_read_is_reported_until_it_can(self):
        month = datetime.date.today().strftime("%Y-%m")
        p = self.start(unreadable=[month])
        blocked = os.path.join(p.history_folder, month + ".csv")
        p.press_escape()
        p.wait_for(lambda s: not s["window"]["visible"], 3, "the main window hidden")
        x, y = tray_icon_centre()
        xdotool("mousemove", x, y, "click", 3)
        time.sleep(0.5)
        xdotool("key", "h")  # "&History..."
        today = datetime.date.today()
        state = self.wait_history(p, lambda s: s["visible"] and s["loaded"], "the first read")
        self.assertEqual((state["date"], state["failed"]), (today.isoformat(), True))
        self.assertEqual(state["totals"], "Can't read the usage history.")
        self.assertNotIn("reading", state["heading"])
        self.assertTrue(state["heading"].endswith(today.isoformat()), state["heading"])
        self.assertEqual(state["polylines"] + state["bars"], 0, "nothing drawn of a failed read")

        os.rmdir(blocked)
        self.click(state, "today")
        state = self.wait_history(p, lambda s: s["loaded"] and not s["loading"] and
                                  not s["failed"], "a read that succeeds once the folder is gone")
        self.assertTrue(state["totals"].startswith("Keys "), state["totals"])
        self.assertEqual(state["date"], today.isoformat())


def main():
    return run_tests()

if __name__ == "__main__":
    sys.exit(main())
