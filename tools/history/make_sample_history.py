#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a month of made-up but realistic usage history, for screenshots and tests.

    make_sample_history.py --out DIR --month YYYY-MM --seed N [--utc-offset +01:00]

writes DIR/YYYY-MM.csv in the format of docs/history-format.md (give an offset west of UTC as
--utc-offset=-05:00): working days at the desk with bursts of typing and of mousing, short
breaks, a lunch break and now and then a meeting; a few alarms (the pain at the threshold for
some minutes, then a pause); quiet weekends with at most a short session. The same seed and
month give the same file, byte for byte.
"""

import argparse
import calendar
import os
import random
import re
import sys

HEADER = "minute,keys,clicks,double_clicks,move_px,drag_px,pain_max,alarm_ticks,threshold\n"
THRESHOLD = 100
TICKS_PER_MINUTE = 1200  # 50 ms each

# What a minute at the desk can be: its keys, clicks and move distance (ranges), the chance of
# a drag in it, and how long such a stretch tends to last (the chance of staying each minute).
ACTIVITIES = {
    "typing": dict(keys=(60, 260), clicks=(0, 4), move=(100, 1800), drag=0.05, stay=0.8),
    "mousing": dict(keys=(0, 25), clicks=(8, 40), move=(4000, 18000), drag=0.5, stay=0.75),
    "mixed": dict(keys=(30, 140), clicks=(3, 16), move=(1500, 8000), drag=0.2, stay=0.7),
    "reading": dict(keys=(0, 8), clicks=(0, 4), move=(200, 2500), drag=0.0, stay=0.8),
}
WEIGHTS = {"typing": 3, "mousing": 2, "mixed": 3, "reading": 4}


class Minute:
    __slots__ = ("keys", "clicks", "double_clicks", "move_px", "drag_px", "pain_max",
                 "alarm_ticks")

    def __init__(self):
        self.keys = self.clicks = self.double_clicks = 0
        self.move_px = self.drag_px = self.pain_max = self.alarm_ticks = 0


def parse_offset(text):
    match = re.fullmatch(r"([+-])(\d\d):(\d\d)", text)
    if not match or int(match.group(3)) > 59 or int(match.group(2)) * 60 + int(
            match.group(3)) > 18 * 60:
        raise argparse.ArgumentTypeError("an offset like +01:00 or -05:30, at most 18 hours")
    return text


def parse_month(text):
    match = re.fullmatch(r"(\d{4})-(\d\d)", text)
    if not match or not 1 <= int(match.group(2)) <= 12:
        raise argparse.ArgumentTypeError("a month like 2026-03")
    return int(match.group(1)), int(match.group(2))


def pick_activity(rng, current):
    if current is not None and rng.random() < ACTIVITIES[current]["stay"]:
        return current
    names = list(WEIGHTS)
    return rng.choices(names, weights=[WEIGHTS[n] for n in names])[0]


def active_minute(rng, activity):
    """One minute of input of that kind, with the pain it would have come to."""
    a = ACTIVITIES[activity]
    m = Minute()
    m.keys = rng.randint(*a["keys"])
    m.clicks = rng.randint(*a["clicks"])
    m.double_clicks = rng.randint(0, m.clicks // 8)
    m.move_px = rng.randint(*a["move"])
    if rng.random() < a["drag"]:
        m.drag_px = rng.randint(100, 3500)
    # Short pauses keep the pain low; a dense minute brings it towards the threshold.
    load = m.keys / 260 + m.clicks / 40 + (m.move_px + 2 * m.drag_px) / 18000
    m.pain_max = min(THRESHOLD - 3, int(load * rng.uniform(30, 60)) + rng.randint(1, 6))
    return m


def desk_spans(rng, weekday):
    """The stretches of a day at the desk, as [start, end) minutes of the day."""
    if weekday >= 5:
        if rng.random() < 0.4:
            start = rng.randint(10 * 60, 20 * 60)
            return [(start, start + rng.randint(15, 90))]
        return []
    if rng.random() < 0.05:  # a day off
        return []
    start = 8 * 60 + rng.randint(0, 80)
    end = 16 * 60 + 30 + rng.randint(0, 120)
    lunch = 12 * 60 + rng.randint(-15, 45)
    breaks = [
        (10 * 60 + rng.randint(-20, 40), rng.randint(5, 15)),
        (lunch, rng.randint(30, 60)),
        (15 * 60 + rng.randint(-30, 30), rng.randint(5, 15)),
    ]
    if rng.random() < 0.4:  # a meeting away from the desk
        breaks.append((rng.choice([9, 11, 14, 16]) * 60 + rng.choice([0, 30]),
                       rng.choice([30, 45, 60])))
    spans = [(start, end)]
    for at, length in sorted(breaks):
        cut = []
        for s, e in spans:
            if at >= e or at + length <= s:
                cut.append((s, e))
                continue
            if at > s:
                cut.append((s, at))
            if at + length < e:
                cut.append((at + length, e))
        spans = cut
    if rng.random() < 0.15:  # back in the evening for a while
        evening = rng.randint(20 * 60, 21 * 60)
        spans.append((evening, evening + rng.randint(20, 70)))
    return spans


def make_day(rng, weekday):
    """The day's recorded minutes: {minute of the day: Minute}."""
    minutes = {}
    for start, end in desk_spans(rng, weekday):
        activity = None
        t = start
        while t < end:
            activity = pick_activity(rng, activity)
            if rng.random() < 0.12:
                t += rng.randint(1, 5)  # away for a moment: pain falls below 1, no line
                continue
            m = active_minute(rng, activity if weekday < 5 else "reading")
            # Pain builds up and falls off over a few minutes rather than jumping.
            if t - 1 in minutes:
                m.pain_max = max(1, (minutes[t - 1].pain_max * 3 + m.pain_max * 2) // 5)
            minutes[t] = m
            t += 1
    return minutes


def add_alarm(rng, minutes):
    """Pain reaches the threshold for a few minutes of intense work, then a pause."""
    # Apart from any other alarm of the day, so that each stays one alarm of its own.
    alarmed = [t for t, m in minutes.items() if m.alarm_ticks > 0]
    busy = sorted(t for t, m in minutes.items()
                  if m.keys + m.clicks > 120 and all(abs(t - a) > 20 for a in alarmed))
    if not busy:
        return False
    start = rng.choice(busy)
    length = rng.randint(2, 7)
    if start - 1 in minutes:
        minutes[start - 1].pain_max = rng.randint(85, THRESHOLD - 1)
    for i in range(length):
        m = active_minute(rng, "typing")
        m.keys = rng.randint(280, 380)
        m.pain_max = rng.randint(THRESHOLD, THRESHOLD + 70)
        # The first minute reaches the threshold part-way; later ones stay above it longer.
        m.alarm_ticks = rng.randint(60, 500) if i == 0 else rng.randint(300, TICKS_PER_MINUTE)
        minutes[start + i] = m
    for i in range(length, length + rng.randint(3, 8)):
        minutes.pop(start + i, None)  # the pause the alarm asked for
    return True


def format_line(year, month, day, minute_of_day, offset, m):
    return "%04d-%02d-%02dT%02d:%02d%s,%d,%d,%d,%d,%d,%d,%d,%d\n" % (
        year, month, day, minute_of_day // 60, minute_of_day % 60, offset, m.keys, m.clicks,
        m.double_clicks, m.move_px, m.drag_px, m.pain_max, m.alarm_ticks, THRESHOLD)


def make_month(year, month, seed, offset):
    """The file's text."""
    # A string seed is hashed the same way on every run and Python 3 version.
    rng = random.Random("tavrel-%d-%04d-%02d" % (seed, year, month))
    days = calendar.monthrange(year, month)[1]
    plan = {day: make_day(rng, calendar.weekday(year, month, day)) for day in range(1, days + 1)}
    working = [day for day in plan if calendar.weekday(year, month, day) < 5 and plan[day]]
    for _ in range(rng.randint(3, 7)):
        if working:
            add_alarm(rng, plan[rng.choice(working)])
    lines = [HEADER]
    for day in range(1, days + 1):
        for t in sorted(plan[day]):
            if 0 <= t < 24 * 60:
                lines.append(format_line(year, month, day, t, offset, plan[day][t]))
    return "".join(lines)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", required=True, help="the folder to write YYYY-MM.csv into")
    parser.add_argument("--month", required=True, type=parse_month, help="YYYY-MM")
    parser.add_argument("--seed", required=True, type=int)
    parser.add_argument("--utc-offset", default="+00:00", type=parse_offset,
                        help="the offset every minute is named with (default +00:00)")
    args = parser.parse_args(argv)
    year, month = args.month
    os.makedirs(args.out, exist_ok=True)
    path = os.path.join(args.out, "%04d-%02d.csv" % (year, month))
    with open(path, "w", newline="\n", encoding="ascii") as f:
        f.write(make_month(year, month, args.seed, args.utc_offset))
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
