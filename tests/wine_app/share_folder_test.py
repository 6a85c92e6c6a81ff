#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Sharing Tavrel.exe's usage history into a folder under Wine, and the Week view of every
computer's files in it.

    share_folder_test.py --bin DIR --probe PROBE.exe [unittest arguments]

Same environment as history_test.py.
"""
import datetime
import os
import shutil
import subprocess
import time

from harness import Store, X, history_lines, wait_until
from history_fixture import (COMPUTERS, COMPUTER_CHOICE, HISTORY_COMMAND, IDOK, KEYBOARD_TIME,
                             MOUSE_LIMIT, MOUSE_TIME, REFERENCE, SHARE_COMMAND, TODAY, TODAY_USE,
                             WEEK, WM_SYSCOMMAND, save_for_docs, seed, week_text, HistoryFixture)
import history_fixture


class ShareFolderTest(HistoryFixture):
    def test_share_history_into_a_folder_on_the_wine_drive_and_read_every_computers_week(self):
        today = datetime.date.today()
        months = [today.replace(day=1), (today.replace(day=1) - datetime.timedelta(days=1))]
        drive_c = subprocess.run(["winepath", "-u", "C:\\"], stdout=subprocess.PIPE,
                                 stderr=subprocess.DEVNULL).stdout.decode().strip()
        shared = os.path.join(drive_c, "TavrelShared")
        shutil.rmtree(shared, ignore_errors=True)
        desk = os.path.join(shared, "0123456789abcdef")
        os.makedirs(desk)
        os.makedirs(self.folder, exist_ok=True)
        for month in months:
            seed(self.folder, month, 7)
            seed(desk, month, 5)
        with open(os.path.join(desk, "computer.txt"), "w") as f:
            f.write("desk\n")
        # A sync engine's conflict copy beside the desk's file: never counted.
        with open(os.path.join(desk, today.strftime("%Y-%m") + ".csv")) as f:
            conflict = f.read().replace(",", ",9")
        with open(os.path.join(desk, today.strftime("%Y-%m.sync-conflict-20260101-120000-"
                                                    "ABCDEFG.csv")), "w") as f:
            f.write(conflict)
        Store().set_string("Main", "ComputerName", "wine-pc")
        # The keys typed into the chooser must not raise an alarm, whose window takes the focus.
        Store().set_dword("Good", "Threshold", 1000000)
        self.start()

        # "Share history..." and the desktop's folder chooser, a folder typed into it.
        self.probe.ask(f"post-message {WM_SYSCOMMAND} {SHARE_COMMAND}")
        chooser = wait_until(lambda: X._xdotool("search", "--onlyvisible", "--name",
                                                "^Share the usage history in a folder$"),
                             10, "the folder chooser")[0]
        X._xdotool("windowfocus", chooser)
        time.sleep(0.3)
        self.x.type("C:\\TavrelShared")
        time.sleep(0.5)  # Wine takes the keys in a while after X has them
        self.x.key("Return")
        # The chooser is a dialog of the window too: the box comes once it has gone.
        wait_until(lambda: self.probe.ask("message").startswith("Tavrel now keeps a copy of "
                                                                "this computer's usage history "
                                                                "in C:\\TavrelShared"),
                   10, "the box saying what was done")
        self.probe.ask(f"answer {IDOK}")
        stored = Store().values("Main")
        self.assertEqual(stored["SharedFolder"], "C:\\TavrelShared")
        own = os.path.join(shared, stored["ComputerId"])
        wait_until(lambda: history_lines(own) and history_lines(own) == history_lines(self.folder),
                   10, "this computer's copy in the shared folder")
        with open(os.path.join(own, "computer.txt")) as f:
            self.assertEqual(f.read(), "wine-pc\n")

        self.probe.ask(f"send {WM_SYSCOMMAND} {HISTORY_COMMAND}")
        history = self.history()
        history.ask("wait-visible 5000")
        self.wait_read(history)
        history.ask(f"click {WEEK}")
        time.sleep(0.2)
        first = today - datetime.timedelta(days=6)
        desk_lines = history_lines(desk)
        # This computer's files grow while the test runs (its keys count): read until the
        # window and the files agree.
        for attempt in range(3):
            range_text, totals = self.wait_read(history)
            expected = week_text(history_lines(self.folder) + desk_lines, first, today)
            if totals.startswith(expected) or attempt == 2:
                break
            history.ask(f"click {TODAY}")
            time.sleep(0.2)
        self.assertEqual(range_text, f"{first.strftime('%a')} {first.isoformat()} to "
                                     f"{today.strftime('%a')} {today.isoformat()}")
        self.assertTrue(totals.startswith(expected), f"{totals}\n{expected}")
        computers = history.texts(COMPUTERS)[0]
        last = desk_lines[-1].minute
        self.assertTrue(computers.startswith("Computers: wine-pc (this one), last minute "),
                        computers)
        self.assertTrue(computers.endswith(f"; desk, last minute {last[:10]} {last[11:16]}"),
                        computers)
        panels, colours = self.panel_colours(history)
        save_for_docs(history, "history-windows-week.png")
        self.assertEqual(len(panels), 2, f"panels of the Week view: {panels}")
        for i, ink in ((0, MOUSE_TIME), (0, KEYBOARD_TIME), (1, MOUSE_TIME), (0, REFERENCE),
                       (1, REFERENCE)):
            self.assertGreater(colours[i][ink], 50, f"ink {ink} in panel {i}")

        # The desk alone, the third in the choice's list: All, this one, desk.
        left, top, right, bottom = (int(v) for v in history.ask(f"rect {COMPUTER_CHOICE}").split())
        X._xdotool("mousemove", (left + right) // 2, (top + bottom) // 2, "click", 1)
        time.sleep(0.5)
        self.x.key("Down", "Down", "Return")
        wait_until(lambda: history.texts(COMPUTER_CHOICE)[0] == "desk", 5, "the desk chosen")
        time.sleep(0.3)
        _, totals = self.wait_read(history)
        self.assertTrue(totals.startswith(week_text(desk_lines, first, today)), totals)

        # The daily mouse limit, chosen here: none, 1 h, 2 h...
        self.assertEqual(history.texts(MOUSE_LIMIT)[0], "No daily mouse limit")
        left, top, right, bottom = (int(v) for v in history.ask(f"rect {MOUSE_LIMIT}").split())
        X._xdotool("mousemove", (left + right) // 2, (top + bottom) // 2, "click", 1)
        time.sleep(0.5)
        self.x.key("Down", "Down", "Return")
        wait_until(lambda: Store().values("Main").get("DailyMouseLimit") == 120, 5,
                   "the limit stored")
        self.assertEqual(history.texts(MOUSE_LIMIT)[0], "Mouse limit 2 h a day")
        # Today's time in the main window: hours of it in the seeded files.
        self.assertRegex(self.probe.texts(TODAY_USE)[0],
                         r"^Today: mouse \d+ h( \d+ min)?, keyboard \d+ h( \d+ min)?$")


if __name__ == "__main__":
    history_fixture.main()
