# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks of the sample month: the documented line format, the same file for the same seed,
and the shape of a month (busy working days, quiet weekends, a few alarms that agree with
the pain). That the program's reader takes every line is checked by the Linux end-to-end test,
which reads a generated month back through the History window."""

import calendar
import os
import re
import subprocess
import sys
import tempfile
import unittest

TOOL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "make_sample_history.py")
LINE = re.compile(r"(\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d)([+-]\d\d:\d\d)((?:,-?\d+){8})\n")


def generate(folder, month, seed, offset=None):
    args = [sys.executable, TOOL, "--out", folder, "--month", month, "--seed", str(seed)]
    if offset is not None:
        args.append("--utc-offset=" + offset)  # a leading '-' would read as an option
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(folder, month + ".csv"), "rb") as f:
        return f.read().decode("ascii")


class SampleHistoryTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="tavrel_sample_")

    def test_same_seed_same_file_and_another_seed_another(self):
        a = generate(os.path.join(self.folder, "a"), "2026-03", 5)
        b = generate(os.path.join(self.folder, "b"), "2026-03", 5)
        c = generate(os.path.join(self.folder, "c"), "2026-03", 6)
        self.assertEqual(a, b)
        self.assertNotEqual(a, c)

    def test_months_have_the_format_and_the_shape_of_working_weeks(self):
        for month, seed, offset in [("2026-02", 1, "-05:30"), ("2026-03", 7, "+01:00"),
                                    ("2024-12", 42, None)]:
            with self.subTest(month=month):
                text = generate(self.folder, month, seed, offset)
                lines = text.split("\n")
                self.assertEqual(lines[0], "minute,keys,clicks,double_clicks,move_px,drag_px,"
                                 "pain_max,alarm_ticks,threshold")
                self.assertNotIn("\r", text)
                year, mon = map(int, month.split("-"))
                days = {}
                alarms = 0
                seen = set()
                alarmed = set()
                for line in lines[1:-1]:
                    match = LINE.fullmatch(line + "\n")
                    self.assertIsNotNone(match, line)
                    self.assertEqual((int(match[1]), int(match[2])), (year, mon))
                    self.assertEqual(match[6], offset or "+00:00")
                    minute = (int(match[3]), int(match[4]) * 60 + int(match[5]))
                    self.assertNotIn(minute, seen, "one line per minute, in order")
                    self.assertTrue(not seen or minute > max(seen), line)
                    seen.add(minute)
                    keys, clicks, dc, move, drag, pain, ticks, threshold = map(
                        int, match[7][1:].split(","))
                    self.assertTrue(min(keys, clicks, dc, move, drag, ticks) >= 0, line)
                    self.assertTrue(keys + clicks + dc + move + drag > 0 or pain >= 1, line)
                    self.assertLessEqual(ticks, 1200)
                    # In alarm exactly when the pain reached the threshold.
                    self.assertEqual(ticks > 0, pain >= threshold, line)
                    if ticks > 0:
                        alarms += (minute[0], minute[1] - 1) not in alarmed
                        alarmed.add(minute)
                    days.setdefault(minute[0], []).append(keys)
                weekday_keys = [sum(days.get(d, [])) for d in range(1, 32)
                                if d <= calendar.monthrange(year, mon)[1]
                                and calendar.weekday(year, mon, d) < 5 and d in days]
                weekend_keys = [sum(days.get(d, [0])) for d in range(1, 32)
                                if d <= calendar.monthrange(year, mon)[1]
                                and calendar.weekday(year, mon, d) >= 5]
                self.assertGreaterEqual(len(weekday_keys), 15)
                self.assertGreater(min(weekday_keys), 5000)
                self.assertLess(max(weekend_keys), min(weekday_keys) / 10)
                self.assertTrue(3 <= alarms <= 7, alarms)

    def test_bad_arguments_are_refused(self):
        for args in [["--month", "2026-13"], ["--month", "2026-3"],
                     ["--month", "2026-03", "--utc-offset", "+1"],
                     ["--month", "2026-03", "--utc-offset", "+19:00"]]:
            with self.subTest(args=args):
                result = subprocess.run(
                    [sys.executable, TOOL, "--out", self.folder, "--seed", "1", *args],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.assertEqual(result.returncode, 2)


if __name__ == "__main__":
    unittest.main()
