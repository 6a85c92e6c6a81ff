# SPDX-License-Identifier: GPL-3.0-or-later
"""What the history tests of Tavrel.exe under Wine share: the ids of the History window, the
inks of its plots, seeded month files, the window's figures as it writes them, and a fixture
that empties the prefix's history folder (%LOCALAPPDATA%\\Tavrel\\history) before each test.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from harness import (IDS, Probe, Screenshot, Store, X, history_folder, missing_tools,
                     parse_arguments, run_tests, start_tavrel, wait_until)

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
TODAY_USE = IDS["IDC_TODAY_USE"]  # the main window's line of today's time
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


class HistoryFixture(unittest.TestCase):
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


def main():
    """Runs the calling script's tests with the arguments of history_test.py."""
    global ARGS
    ARGS, rest = parse_arguments()
    run_tests(rest, missing_tools("wine", "winepath", "xdotool", "xwd"))
