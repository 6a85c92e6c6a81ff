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
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from harness import (IDS, Probe, Screenshot, Store, X, history_folder, history_lines,
                     missing_tools, parse_arguments, run_tests, start_tavrel, wait_until)

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
GENERATOR = os.path.join(ROOT, "tools", "history", "make_sample_history.py")
ARGS = None

THRESHOLD, QUIT, TICKS, CLICKS, TOTAL_KEYS, TOTAL_DISTANCE = (
    IDS["IDC_THRESHOLD"], IDS["IDC_QUIT"], IDS["IDC_TICK_COUNT"], IDS["IDC_CLICKS"],
    IDS["IDC_TOTAL_KEYS"], IDS["IDC_TOTAL_DISTANCE"])
IDOK, IDCANCEL, WM_SYSCOMMAND, SC_MINIMIZE = 1, 2, 0x112, 0xF020
HISTORY_COMMAND, SHARE_COMMAND = 0x20, 0x50
# The History window's controls.
THIRTY_DAYS, PREVIOUS, TODAY, RANGE, TOTALS, PLOT = 2002, 2003, 2005, 2007, 2008, 2009
WEEK, COMPUTER_CHOICE, COMPUTERS, MOUSE_LIMIT = 2010, 2011, 2012, 2013
TODAY_USE = 1098  # the main window's line of today's time
HISTORY_WINDOW = ["--class", "TavrelHistory", "--title", "Tavrel History"]
# The tray menu: Show, History..., Share history..., About..., Pause alarms, Bring the window
# to the front, Start with Windows, Quit.
TRAY_ITEMS, TRAY_HISTORY = 8, 1

# The default inks of the plots.
FRAME = (96, 96, 96)
PAIN = (200, 40, 40)
ALARM_SPAN = (255, 218, 218)
KEYS = (52, 101, 164)
CLICKS_INK = (245, 150, 40)
MOVED = (78, 154, 6)
DRAGGED = (160, 200, 110)
ALARMS = (204, 0, 0)
DATA_INKS = (PAIN, ALARM_SPAN, KEYS, CLICKS_INK, MOVED, DRAGGED, ALARMS)
MOUSE_TIME = (0, 128, 128)
KEYBOARD_TIME = (106, 61, 154)
REFERENCE = (191, 90, 0)


def save_for_docs(history, name):
    """With TAVREL_SAVE_HISTORY_SHOTS=DIR, keeps the History window as DIR/name for the docs."""
    folder = os.environ.get("TAVREL_SAVE_HISTORY_SHOTS")
    if not folder:
        return
    left, top, right, bottom = (int(v) for v in history.ask("rect").split())
    subprocess.run(["import", "-window", "root", "-crop",
                    f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    os.path.join(folder, name)], check=True)


def seed(folder, month, seed_number):
    """Writes the generator's month into the folder in one rename: the running program may
    append to the same file at any moment."""
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([sys.executable, GENERATOR, "--out", work, "--month",
                        month.strftime("%Y-%m"), "--seed", str(seed_number)], check=True)
        name = month.strftime("%Y-%m") + ".csv"
        shutil.copy(os.path.join(work, name), os.path.join(folder, name + ".new"))
        os.replace(os.path.join(folder, name + ".new"), os.path.join(folder, name))


def day_sums(lines, day):
    """keys, clicks, double-clicks, moved and dragged pixels of one day's lines."""
    prefix = day.isoformat() + "T"
    sums = [0, 0, 0, 0, 0]
    for line in lines:
        if line.minute.startswith(prefix):
            for i, value in enumerate((line.keys, line.clicks, line.double_clicks, line.move_px,
                                       line.drag_px)):
                sums[i] += value
    return sums


def duration(minutes):
    """Minutes as the window writes them: "45 min", "2 h", "6 h 52 min"."""
    if minutes < 60:
        return f"{minutes} min"
    return f"{grouped(minutes // 60)} h" + (f" {minutes % 60} min" if minutes % 60 else "")


def week_text(lines, first, last):
    """The Week view's totals of these lines, as the window writes them."""
    week = [l for l in lines if first.isoformat() <= l.minute[:10] <= last.isoformat()]

    def minutes(kind):
        return duration(len({l.minute for l in week if kind(l)}))
    mouse = minutes(lambda l: l.clicks or l.double_clicks or l.move_px or l.drag_px)
    keyboard = minutes(lambda l: l.keys)
    active = minutes(lambda l: l.keys or l.clicks or l.double_clicks or l.move_px or l.drag_px)
    sums = [sum(getattr(l, f) for l in week)
            for f in ("keys", "clicks", "double_clicks", "move_px", "drag_px")]
    return (f"Mouse {mouse}, keyboard {keyboard}, active {active} in the week\\n"
            f"Keys {grouped(sums[0])}, clicks {grouped(sums[1])}, "
            f"double-clicks {grouped(sums[2])}\\nMoved {grouped(sums[3])} px")


def steps(start, end, size=10):
    """The points after start on the way to end, `size` apart (the last may be nearer)."""
    direction = 1 if end >= start else -1
    points = list(range(start + direction * size, end, direction * size))
    return points + [end] if end != start else points


def grouped(number):
    """1234567 as the window writes it: "1 234 567"."""
    return f"{number:,}".replace(",", " ")


def find_panels(shot, rect):
    """The plot panels inside a screen rectangle, top to bottom, as (left, top, right, bottom)
    of their insides, found by their frames."""
    left, top, right, bottom = rect
    runs = []
    # A vertical grid line is drawn over a frame's edge where they cross: a few columns.
    for fraction in (0.37, 0.53, 0.71, 0.87):
        x = left + int((right - left) * fraction)
        ys = [y for y in range(top, bottom) if shot.pixel(x, y) == FRAME]
        found = [y for i, y in enumerate(ys) if i == 0 or ys[i - 1] != y - 1]
        if len(found) % 2 == 0 and len(found) > len(runs):
            runs = found
    panels = []
    for upper, lower in zip(runs[0::2], runs[1::2]):
        row = (upper + lower) // 2
        xs = [x for x in range(left, right) if shot.pixel(x, row) == FRAME]
        if len(xs) >= 2:
            panels.append((xs[0] + 1, upper + 1, xs[-1], lower))
    return panels


class HistoryTest(unittest.TestCase):
    def setUp(self):
        Store().clear()
        self.folder = history_folder()
        shutil.rmtree(self.folder, ignore_errors=True)
        X.park_pointer()
        self.probe = Probe(ARGS.probe)
        self.addCleanup(self.probe.close)
        self.app = None

    def start(self):
        self.app = start_tavrel(self, self.probe, ARGS.bin)
        self.x = X(self.probe)

    def history(self):
        """A probe of the History window."""
        probe = Probe(ARGS.probe, HISTORY_WINDOW)
        self.addCleanup(probe.close)
        return probe

    def wait_read(self, history):
        """Waits for the window to show what it read; returns its range and totals texts."""
        texts = wait_until(
            lambda: (lambda t: t if "reading" not in t[0] else None)(history.texts(RANGE, TOTALS)),
            10, "the history to be read")
        time.sleep(0.5)  # painted
        return texts

    def panel_colours(self, history):
        rect = [int(v) for v in history.ask(f"rect {PLOT}").split()]
        shot = Screenshot()
        panels = find_panels(shot, rect)
        return panels, [shot.colours(*panel) for panel in panels]

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


def main():
    global ARGS
    ARGS, rest = parse_arguments()
    run_tests(rest, missing_tools("wine", "winepath", "xdotool", "xwd"))

if __name__ == "__main__":
    main()
