# SPDX-License-Identifier: GPL-3.0-or-later
"""What the Linux program's history tests share: the month files read back, the window's figures
as it writes them, its test dump (TAVREL_TEST_HISTORY_DUMP) and screenshots of its charts.

The program started with TAVREL_TEST_HISTORY_DUMP=<file> appends a line of JSON whenever its
History window changes: its day and view, the totals text, its buttons and the chart panels'
rectangles on the screen.
"""

import datetime
import glob
import os
import re
import subprocess
import sys
import time
import unittest

from harness import Program, json_lines, xdotool

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "..", "..", "..", "..", "tools", "history",
                         "make_sample_history.py")

# DefaultRgb of the inks the charts draw their figures in.
PAIN = (200, 40, 40)
ALARM_SPAN = (255, 218, 218)
KEYS = (52, 101, 164)
CLICKS = (245, 150, 40)
MOVED = (78, 154, 6)
DRAGGED = (160, 200, 110)
ALARMS = (204, 0, 0)
MOUSE_TIME = (0, 128, 128)
KEYBOARD_TIME = (106, 61, 154)
REFERENCE = (191, 90, 0)


def read_lines(folder):
    """Every minute line of the folder's month files, as lists of strings."""
    lines = []
    for path in sorted(glob.glob(os.path.join(folder, "*.csv"))):
        with open(path) as f:
            lines += [line.split(",") for line in f.read().split("\n")[1:] if line]
    return lines


def group(count):
    """A count as the window writes it: a space between groups of three digits."""
    return "{:,}".format(count).replace(",", " ")


def duration(minutes):
    """Minutes as the window writes them: "45 min", "2 h", "6 h 52 min"."""
    if minutes < 60:
        return "%d min" % minutes
    return group(minutes // 60) + " h" + (" %d min" % (minutes % 60) if minutes % 60 else "")


def minute_kinds(lines):
    """The real minutes of use of these lines: active, mouse and keyboard."""
    def count(kind):
        return len({l[0] for l in lines if kind([int(v) for v in l[1:6]])})
    return count(any), count(lambda v: any(v[1:])), count(lambda v: v[0] != 0)


def day_figures(lines, date):
    """What the window should say of a day, from the file lines."""
    day = [l for l in lines if l[0].startswith(date.isoformat())]
    total = [sum(int(l[i]) for l in day) for i in range(1, 6)]
    alarmed = {l[0][11:16] for l in day if int(l[7]) > 0}
    runs = 0
    for hhmm in alarmed:
        minute = int(hhmm[:2]) * 60 + int(hhmm[3:])
        before = "%02d:%02d" % divmod(minute - 1, 60)
        runs += minute == 0 or before not in alarmed
    return day, total, runs


class Screenshot:
    """A window's pixels, read through ImageMagick as a binary PPM."""

    def __init__(self, window_id, origin):
        data = subprocess.run(["import", "-window", str(window_id), "-depth", "8", "ppm:-"],
                              check=True, capture_output=True).stdout
        # One whitespace byte ends the header: the pixels may begin with bytes that look like it.
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        assert header, data[:20]
        self.width, self.height = int(header[1]), int(header[2])
        self.pixels = data[header.end():]
        self.origin = origin  # the window's top left on the screen

    def count(self, rect, rgb, tolerance=0):
        """Pixels inside a screen rectangle within `tolerance` of the colour on every channel."""
        x0, y0, w, h = rect
        x0 -= self.origin[0]
        y0 -= self.origin[1]
        n = 0
        for y in range(max(0, y0), min(self.height, y0 + h)):
            row = self.pixels[3 * y * self.width:3 * (y + 1) * self.width]
            for x in range(max(0, x0), min(self.width, x0 + w)):
                p = row[3 * x:3 * x + 3]
                if (abs(p[0] - rgb[0]) <= tolerance and abs(p[1] - rgb[1]) <= tolerance and
                        abs(p[2] - rgb[2]) <= tolerance):
                    n += 1
        return n


def save_for_docs(state, name):
    """With TAVREL_SAVE_HISTORY_SHOTS=DIR, keeps the window as DIR/name for the docs."""
    folder = os.environ.get("TAVREL_SAVE_HISTORY_SHOTS")
    if folder:
        subprocess.run(["import", "-window", str(state["id"]), os.path.join(folder, name)],
                       check=True)





class HistoryFixture(unittest.TestCase):
    """Programs started with the dump, closed after each test."""

    def setUp(self):
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.close()

    def start(self, env=None, seed=None, unreadable=()):
        program = Program(sys.modules["__main__"].BINARY, env=env)  # set by run_tests
        self.programs.append(program)
        program.history_folder = os.path.join(program.data_home, "tavrel", "history")
        program.history_dump = os.path.join(program.root, "history.jsonl")
        program.env["TAVREL_TEST_HISTORY_DUMP"] = program.history_dump
        if seed is not None:
            # This month and the one before, so that the last thirty days are all there.
            today = datetime.date.today()
            before = today.replace(day=1) - datetime.timedelta(days=1)
            for month in (before, today):
                subprocess.run([sys.executable, GENERATOR, "--out", program.history_folder,
                                "--month", month.strftime("%Y-%m"), "--seed", str(seed)],
                               check=True, stdout=subprocess.DEVNULL)
        for month in unreadable:
            # A folder by a month file's name: listed, and unreadable even to root.
            os.makedirs(os.path.join(program.history_folder, month + ".csv"))
        return program.start()

    def wait_history(self, p, predicate, what, timeout=10):
        deadline = time.monotonic() + timeout
        last = None
        while time.monotonic() < deadline:
            states = json_lines(p.history_dump)
            if states:
                last = states[-1]
                if predicate(last):
                    time.sleep(0.3)  # the chart's paint comes after the change
                    return json_lines(p.history_dump)[-1]
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what}; last state: {last}")

    def shows(self, p, view, date):
        return self.wait_history(
            p, lambda s: s["visible"] and not s["loading"] and s["shownView"] == view and
            s["shownDate"] == date.isoformat() and s["date"] == date.isoformat(),
            f"the {view} view of {date}")

    def click(self, state, button):
        x, y, w, h = state["buttons"][button]["rect"]
        xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)


    def fake_file_manager(self, folder):
        """An xdg-open that writes down what it was asked to open."""
        record = os.path.join(folder, "opened")
        script = os.path.join(folder, "xdg-open")
        with open(script, "w") as f:
            f.write('#!/bin/sh\necho "$1" > "%s.tmp" && mv "%s.tmp" "%s"\n' %
                    (record, record, record))
        os.chmod(script, 0o755)
        return record

    def screenshot(self, state):
        return Screenshot(state["id"], state["rect"][:2])
