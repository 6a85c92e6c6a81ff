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
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

from app_test import tray_icon_centre
from harness import Program, run_tests, xdotool

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "..", "..", "..", "..", "tools", "history",
                         "make_sample_history.py")
BINARY = None

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


def history_states(path):
    try:
        with open(path) as f:
            return [json.loads(line) for line in f.read().split("\n")[:-1] if line]
    except FileNotFoundError:
        return []


class HistoryTest(unittest.TestCase):
    def setUp(self):
        self.programs = []

    def tearDown(self):
        for program in self.programs:
            program.close()

    def start(self, env=None, seed=None, unreadable=()):
        program = Program(BINARY, env=env)
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
            states = history_states(p.history_dump)
            if states:
                last = states[-1]
                if predicate(last):
                    time.sleep(0.3)  # the chart's paint comes after the change
                    return history_states(p.history_dump)[-1]
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

    def test_share_history_from_the_tray_copies_this_computer_and_reads_the_others(self):
        p = self.start(seed=11)
        shared = os.path.join(p.root, "Sync")
        desk = os.path.join(shared, "0123456789abcdef")
        today = datetime.date.today()
        subprocess.run([sys.executable, GENERATOR, "--out", desk, "--month",
                        today.strftime("%Y-%m"), "--seed", "5"], check=True,
                       stdout=subprocess.DEVNULL)
        with open(os.path.join(desk, "computer.txt"), "w") as f:
            f.write("desk at work\n")

        def tray_menu(key):
            x, y = tray_icon_centre()
            xdotool("mousemove", x, y, "click", 3)
            time.sleep(0.5)
            xdotool("key", key)

        def box(starting):
            state = p.wait_for(lambda s: any(b["text"].startswith(starting) for b in s["boxes"]),
                               10, f"a box saying {starting}...")
            return state["boxes"][0]

        def answer(box, key):
            xdotool("windowfocus", "--sync", box["id"])
            xdotool("key", key)
            p.wait_for(lambda s: box["id"] not in [b["id"] for b in s["boxes"]], 5,
                       "the box closed")

        tray_menu("r")  # "Sha&re history..."
        time.sleep(1)  # the desktop's folder chooser, its folder field focused
        xdotool("type", "--delay", 20, shared)
        xdotool("key", "Return")
        answer(box("Tavrel now keeps a copy of this computer's usage history in " + shared), "Return")
        main = p.config()["Main"]
        self.assertEqual(main["SharedFolder"], shared)
        own = os.path.join(shared, main["ComputerId"])
        deadline = time.monotonic() + 10
        while read_lines(own) != read_lines(p.history_folder) and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(read_lines(own), read_lines(p.history_folder), "this computer's copy")
        with open(os.path.join(own, "computer.txt")) as f:
            self.assertEqual(f.read(), socket.gethostname() + "\n")

        tray_menu("h")
        state = self.shows(p, "day", today)
        self.assertEqual([(c["name"], c["thisComputer"]) for c in state["computers"]],
                         [(socket.gethostname(), True), ("desk at work", False)])
        self.assertTrue(state["choice"]["visible"])
        self.assertTrue(state["computersText"].startswith(
            "Computers: %s (this one), last minute " % socket.gethostname()))
        mine = [l for l in read_lines(p.history_folder) if l[0].startswith(today.isoformat())]
        theirs = [l for l in read_lines(desk) if l[0].startswith(today.isoformat())]
        self.assertEqual(state["figures"]["keys"], sum(int(l[1]) for l in mine + theirs))
        self.assertEqual(state["figures"]["activeMinutes"], minute_kinds(mine + theirs)[0])

        tray_menu("r")  # shared already: another folder, stop, or leave it
        answer(box("The usage history is shared through the folder " + shared), "alt+n")
        answer(box("Tavrel no longer copies this computer's usage history into " + shared),
               "Return")
        self.assertEqual(p.config()["Main"]["SharedFolder"], "")
        self.assertTrue(os.path.isdir(own), "what was copied stays")

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


def main():
    return run_tests()

if __name__ == "__main__":
    sys.exit(main())
