#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of Tavrel.exe's usage history under Wine: what X input leaves in the month
file, and what the History window draws of seeded files.

    history_test.py --bin DIR --probe PROBE.exe [unittest arguments]

Same environment as app_test.py. Each test empties the prefix's history folder
(%LOCALAPPDATA%\\Tavrel\\history) first.
"""
import datetime
import os
import time

from harness import Store, X, history_lines, wait_until
from history_fixture import (ALARMS, CLICKS, CLICKS_INK, DATA_INKS, HISTORY_COMMAND, IDCANCEL,
                             KEYS, MOUSE_TIME, MOVED, PAIN, PREVIOUS, QUIT, RANGE, REFERENCE,
                             SC_MINIMIZE, THIRTY_DAYS, THRESHOLD, TODAY, TOTALS, TOTAL_DISTANCE,
                             TOTAL_KEYS, TRAY_HISTORY, TRAY_ITEMS, WM_SYSCOMMAND, day_sums,
                             grouped, save_for_docs, seed, steps, HistoryFixture)
import history_fixture


class HistoryTest(HistoryFixture):
    def test_input_over_the_window_is_recorded_in_the_month_file(self):
        self.start()
        left, top, right, bottom = self.x.window_rect()
        # Every move of a whole number of pixels, so that the file's rounded pixels and the
        # read-outs' tenths must agree exactly. The capture measures the first move from where
        # the pointer was at the start, the parked corner: it goes to a point (4k, 3k) or
        # (3k, 4k) up and left of it inside the window, 5k away.
        corner = [int(v.split(":")[1]) for v in
                  self.x._xdotool("getmouselocation")[:2]]
        k, a, b = next((k, a, b) for k in range(1, 400) for a, b in ((4 * k, 3 * k), (3 * k, 4 * k))
                       if left + 10 <= corner[0] - a <= right - 10 and
                       top + 40 <= corner[1] - b <= bottom - 10)
        target_x, target_y = left + 240, top + 380  # the empty right of the read-outs' frame
        start = (corner[0] - a, corner[1] - b)
        across = [(x, start[1]) for x in steps(start[0], target_x)]
        down = [(target_x, y) for y in steps(start[1], target_y)]
        moved = 5 * k + abs(target_x - start[0]) + abs(target_y - start[1])
        # Wine merges the moves that queue up: pauses where the path turns, so that only moves
        # along one line merge, which keeps their sum.
        args = ["mousemove", *start, "sleep", 0.5]
        for leg in (across, down):
            for x, y in leg:
                args += ["mousemove", x, y, "sleep", 0.02]
            args += ["sleep", 0.5]
        self.x._xdotool(*args)
        # Apart, so that the two make no double-click.
        self.x._xdotool("click", "--repeat", 2, "--delay", 900, 1)
        self.x.focus_window()
        self.probe.ask(f"focus {THRESHOLD}")
        self.x.key("Right", "Right", "Right")  # the caret only: no edit to save
        wait_until(lambda: self.probe.texts(CLICKS, TOTAL_KEYS) == [" 2  0", "           3"], 3,
                   "the read-outs to count two clicks and three keys")
        # In tenths of a pixel.
        try:
            wait_until(lambda: int(self.probe.texts(TOTAL_DISTANCE)[0]) == 10 * moved, 3,
                       f"the total distance to show {moved} px")
        except AssertionError:
            self.fail(f"shown {self.probe.texts(TOTAL_DISTANCE)[0]} tenths for {moved} px")
        shown = 10 * moved
        self.probe.ask(f"click {QUIT}")
        self.assertEqual(self.app.wait(10), 0)
        stored = Store().values("Main")
        self.assertEqual((stored.get("TotalKeys"), stored.get("Distance")), (3, shown))

        month_file = os.path.join(self.folder, datetime.date.today().strftime("%Y-%m") + ".csv")
        self.assertTrue(os.path.exists(month_file), f"no {month_file}")
        lines = history_lines(self.folder)
        self.assertTrue(lines, "no minute recorded")
        total = [sum(getattr(line, f) for line in lines)
                 for f in ("keys", "clicks", "double_clicks", "move_px", "drag_px")]
        self.assertEqual(total, [3, 2, 0, moved, 0], lines)
        self.assertTrue(all(line.threshold == 100 for line in lines), lines)

    def test_history_window_from_the_tray_menu_draws_the_seeded_days(self):
        os.makedirs(self.folder, exist_ok=True)
        self.start()
        self.probe.ask(f"command {IDCANCEL}")  # the main window would cover Wine's tray
        self.probe.ask("wait-hidden 3000")
        self.x.tray_menu(TRAY_HISTORY, TRAY_ITEMS)
        history = self.history()
        history.ask("wait 5000")
        history.ask("wait-visible 5000")
        today = datetime.date.today()
        range_text, totals = self.wait_read(history)
        self.assertTrue(range_text.endswith(today.isoformat()), range_text)
        self.assertTrue(totals.startswith("Keys 0, clicks 0, double-clicks 0"), totals)
        panels, colours = self.panel_colours(history)
        self.assertEqual(len(panels), 3, f"panels of the Day view: {panels}")
        for i, counts in enumerate(colours):
            self.assertEqual({ink: counts[ink] for ink in DATA_INKS if counts[ink]}, {},
                             f"data drawn in panel {i} of a day without history")

        # A month and the one before, so that the last week is there whatever today is.
        seed(self.folder, today.replace(day=1), 7)
        seed(self.folder, (today.replace(day=1) - datetime.timedelta(days=1)).replace(day=1), 7)
        lines = history_lines(self.folder)
        # Before today, whose file the program may be adding to, and so reached with Previous.
        week = [today - datetime.timedelta(days=n) for n in range(1, 8)]
        busy = max(week, key=lambda day: day_sums(lines, day)[0])
        # Asked again, the one window comes back and reads the files afresh. Minimised, it no
        # longer covers the tray.
        history.ask(f"send {WM_SYSCOMMAND} {SC_MINIMIZE}")
        self.x.tray_menu(TRAY_HISTORY, TRAY_ITEMS)
        self.assertEqual(history.ask("count"), "1")
        for _ in range((today - busy).days):
            self.wait_read(history)
            history.ask(f"click {PREVIOUS}")
            time.sleep(0.2)
        range_text, totals = self.wait_read(history)
        self.assertTrue(range_text.endswith(busy.isoformat()), range_text)
        keys, clicks, doubles, moved, dragged = day_sums(lines, busy)
        self.assertTrue(totals.startswith(
            f"Keys {grouped(keys)}, clicks {grouped(clicks)}, double-clicks {grouped(doubles)}\\n"
            f"Moved {grouped(moved)} px"), totals)
        self.assertIn(f"dragged {grouped(dragged)} px", totals)
        panels, colours = self.panel_colours(history)
        save_for_docs(history, "history-windows.png")
        self.assertEqual(len(panels), 3, f"panels of the Day view: {panels}")
        pain, counts, distance = colours
        self.assertGreater(pain[PAIN], 100, "the pain of the busy day")
        self.assertGreater(counts[KEYS], 100, "the keys per hour")
        self.assertGreater(counts[CLICKS_INK], 10, "the clicks per hour")
        self.assertGreater(distance[MOVED], 100, "the distance per hour")
        self.assertEqual(counts[PAIN] + distance[KEYS], 0, "inks in the wrong panel")

        history.ask(f"click {THIRTY_DAYS}")
        time.sleep(0.2)
        range_text, _ = self.wait_read(history)
        first = busy - datetime.timedelta(days=29)
        self.assertEqual(range_text, f"{first.isoformat()} to {busy.isoformat()}")
        panels, colours = self.panel_colours(history)
        save_for_docs(history, "history-windows-30days.png")
        self.assertEqual(len(panels), 5, f"panels of the 30-day view: {panels}")
        alarmed = any(line.alarm_ticks > 0 and first.isoformat() <= line.minute[:10] <=
                      busy.isoformat() for line in lines)
        self.assertGreater(colours[0][PAIN], 50, "the peak pain line")
        self.assertGreater(colours[1][KEYS], 100, "the keys per day")
        self.assertGreater(colours[2][MOVED], 100, "the distance per day")
        self.assertEqual(colours[3][ALARMS] > 0, alarmed, "alarm bars where the days had alarms")
        self.assertGreater(colours[4][MOUSE_TIME], 50, "the weekly mouse hours")
        self.assertGreater(colours[4][REFERENCE], 50, "the weekly reference")

    def test_system_menu_opens_one_history_window_that_takes_the_keyboard(self):
        self.start()
        self.probe.ask(f"send {WM_SYSCOMMAND} {HISTORY_COMMAND}")
        history = self.history()
        history.ask("wait-visible 5000")
        self.probe.ask(f"send {WM_SYSCOMMAND} {HISTORY_COMMAND}")
        self.assertEqual(history.ask("count"), "1")
        self.wait_read(history)
        # Keys as in a dialog, though the program's message loop is the main window's.
        window = wait_until(lambda: X._xdotool("search", "--onlyvisible", "--name",
                                               "^Tavrel History$"), 5, "the X window")[0]
        X._xdotool("windowfocus", window)
        time.sleep(0.2)
        self.x.key("alt+3")
        wait_until(lambda: " to " in history.texts(RANGE)[0], 3, "the 30-day view from Alt+3")
        self.x.key("Escape")
        history.ask("wait-gone 3000")
        # Asked for again, it comes back; Quit with it open ends the program.
        self.probe.ask(f"send {WM_SYSCOMMAND} {HISTORY_COMMAND}")
        history.ask("wait-visible 5000")
        self.probe.ask(f"click {QUIT}")
        self.assertEqual(self.app.wait(10), 0)

    def test_a_month_that_cannot_be_read_is_reported_until_it_can(self):
        today = datetime.date.today()
        # A folder by this month's file name: listed, and never readable.
        blocked = os.path.join(self.folder, today.strftime("%Y-%m") + ".csv")
        os.makedirs(blocked)
        self.start()
        self.probe.ask(f"send {WM_SYSCOMMAND} {HISTORY_COMMAND}")
        history = self.history()
        history.ask("wait-visible 5000")
        range_text, totals = self.wait_read(history)
        self.assertTrue(range_text.endswith(today.isoformat()), range_text)
        self.assertEqual(totals, "Can't read the usage history.")
        panels, colours = self.panel_colours(history)
        self.assertEqual(panels, [], "no chart of a failed read")

        os.rmdir(blocked)
        history.ask(f"click {TODAY}")
        wait_until(lambda: history.texts(TOTALS)[0].startswith("Keys "), 5,
                   "the totals once the month is readable")
        self.assertTrue(history.texts(RANGE)[0].endswith(today.isoformat()))


if __name__ == "__main__":
    history_fixture.main()
