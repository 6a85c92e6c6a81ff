#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Two computers that share their usage history through Syncthing, end to end.

Usage: shared_history_test.py --bin PATH/tavrel [unittest arguments]
Needs DISPLAY (an Xvfb started with -noreset, with a tray host), Xvfb and trayer for the
second computer's own display, and syncthing. Exits with 77 when there is no DISPLAY.

Each computer is a Tavrel program with its own home, settings and computer name, on an X
display of its own (so that each counts only the input given to it), with its own Syncthing
instance syncing its shared folder with the other's over loopback. The History windows are
read through their test dump (TAVREL_TEST_HISTORY_DUMP): the view, the computer shown and the
figures behind the totals.
"""

import datetime
import glob
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from desktop import wait_until
from harness import Program, json_lines, run_tests, tray_icon_centre
from syncthing import Syncthing

BINARY = None


class Display:
    """An X display with a tray host: the test run's own, or a second one started here."""

    def __init__(self, first_free=None):
        self.processes = []
        if first_free is None:
            self.name = os.environ["DISPLAY"]
            return
        n = first_free
        while os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"):
            n += 1
        self.name = f":{n}"
        self.processes.append(subprocess.Popen(
            ["Xvfb", self.name, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        wait_until(lambda: subprocess.run(["xdpyinfo"], env=self.env(),
                                          capture_output=True).returncode == 0,
                   10, f"Xvfb on {self.name}")
        self.processes.append(subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
             "--height", "24"], env=self.env(), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL))
        time.sleep(0.5)

    def env(self):
        return dict(os.environ, DISPLAY=self.name)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env(), check=True)

    def visible_windows(self):
        """The program's windows that are mapped, menus among them."""
        return set(subprocess.run(["xdotool", "search", "--onlyvisible", "--classname",
                                   "tavrel"], env=self.env(), capture_output=True,
                                  text=True).stdout.split())

    def tray_icon_centre(self):
        return tray_icon_centre(self.env())

    def close(self):
        for process in reversed(self.processes):
            process.terminate()
            process.wait(10)


def month_lines(folder):
    """The record lines of a computer's month files of the documented names."""
    lines = []
    for path in sorted(glob.glob(os.path.join(folder, "[0-9][0-9][0-9][0-9]-[0-9][0-9].csv"))):
        with open(path) as f:
            text = f.read()
        # A last line without its line feed is still arriving.
        lines += [line.split(",") for line in text.split("\n")[1:-1] if line]
    return lines


def figures(lines, day=None, first=None):
    """What a view should show of these lines: their sums, and the minutes of each kind, a
    minute on both computers once."""
    chosen = [l for l in lines if (day is None or l[0][:10] == day) and
              (first is None or first <= l[0][:10])]
    sums = [sum(int(l[i]) for l in chosen) for i in range(1, 6)]

    def minutes(kind):
        return len({l[0] for l in chosen if kind([int(v) for v in l[1:6]])})
    return {
        "keys": sums[0], "clicks": sums[1], "doubleClicks": sums[2], "movePx": sums[3],
        "dragPx": sums[4],
        "activeMinutes": minutes(any),
        "mouseMinutes": minutes(lambda v: any(v[1:])),
        "keyboardMinutes": minutes(lambda v: v[0] != 0),
    }


class Computer:
    """One computer: its display, its Tavrel sharing its history, its Syncthing."""

    def __init__(self, test, root, name, display):
        self.name = name
        self.display = display
        self.shared = os.path.join(root, name + "-Sync")
        self.syncthing = Syncthing(root, name, self.shared)
        test.addCleanup(self.syncthing.remove)
        self.program = Program(BINARY, display=display.name, config=(
            f"[Main]\nSharedFolder={self.shared}\nComputerName={name}\n"))
        test.addCleanup(self.program.close)
        self.history_dump = os.path.join(self.program.root, "history.jsonl")
        self.program.env["TAVREL_TEST_HISTORY_DUMP"] = self.history_dump
        self.local = os.path.join(self.program.data_home, "tavrel", "history")

    def start(self):
        self.display.xdotool("mousemove", 0, 0)  # the capture's path starts here
        self.program.start()
        self.id = wait_until(lambda: self.program.config().get("Main", {}).get("ComputerId"),
                             10, f"{self.name}'s computer id")
        return self

    def give_input(self, keys, across, down):
        """From the top left: down and across the screen, a drag of 50 pixels down, a right
        click, then keys; every distance a whole number of pixels."""
        x = self.display.xdotool
        x("mousemove", 0, down)
        x("mousemove", across, down)
        x("mousedown", 1)
        x("mousemove", across, down + 50)
        x("mouseup", 1)
        time.sleep(0.8)  # beyond any double-click time
        x("click", 3)
        for _ in range(keys):
            x("key", "F12")  # does nothing in the window

    def keys_written(self, keys):
        """Waits until the files hold every key given: the minutes they fell in have ended."""
        return wait_until(lambda: figures(month_lines(self.local))["keys"] == keys, 100,
                          f"{keys} keys in {self.name}'s files")

    def states(self):
        return json_lines(self.history_dump)

    def wait_shown(self, predicate, what, timeout=15):
        last = None
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            states = self.states()
            if states:
                last = states[-1]
                if last["visible"] and not last["loading"] and predicate(last):
                    return last
            time.sleep(0.05)
        raise AssertionError(f"{self.name}: timed out waiting for {what}; last: {last}")

    def open_history(self):
        x, y = self.display.tray_icon_centre()
        before = self.display.visible_windows()
        # A click the busy program misses opens no menu: clicked again until one shows.
        for _ in range(5):
            self.display.xdotool("mousemove", x, y, "click", 3)
            try:
                wait_until(lambda: self.display.visible_windows() - before, 3, "the tray menu")
                break
            except AssertionError:
                continue
        self.display.xdotool("key", "h")  # "&History..."
        return self.wait_shown(lambda s: s["shownView"] == "day", "the History window")

    def click(self, state, button):
        x, y, w, h = state["buttons"][button]["rect"]
        self.display.xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)

    def show(self, view, computer_id):
        """Today's Day or Week view of one computer (by id) or of all (None), read afresh:
        a click on the view's button, then on the computer in the choice, two reads."""
        before = self.states()[-1]
        self.click(before, view)
        ids = [None] + [c["id"] for c in before["computers"]]
        x, y, w, h = before["choice"]["rect"]
        time.sleep(0.2)
        self.display.xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)
        time.sleep(0.4)
        self.display.xdotool("key", "Home", *["Down"] * ids.index(computer_id), "Return")
        return self.wait_shown(
            lambda s: s["shownSerial"] >= before["shownSerial"] + 2 and
            s["shownView"] == view and s["shownComputer"] == (computer_id or "") and
            s["shownDate"] == datetime.date.today().isoformat(),
            f"the {view} view of {computer_id or 'all computers'}")


class SharedHistoryTest(unittest.TestCase):
    def test_two_computers_share_their_history_through_syncthing(self):
        root = tempfile.mkdtemp(prefix="tavrel_shared_")
        self.addCleanup(shutil.rmtree, root, True)
        second = Display(first_free=int(os.environ["DISPLAY"].lstrip(":")) + 20)
        self.addCleanup(second.close)
        alpha = Computer(self, root, "alpha", Display())
        beta = Computer(self, root, "beta", second)
        alpha.syncthing.link([beta.syncthing])
        beta.syncthing.link([alpha.syncthing])
        alpha.syncthing.start()
        beta.syncthing.start()
        wait_until(lambda: alpha.syncthing.connected(beta.syncthing), 30, "the two linked")
        alpha.start()
        beta.start()

        # Input to each; its minutes written as they end, copied, and synced to the other.
        alpha.give_input(keys=5, across=300, down=200)
        beta.give_input(keys=7, across=120, down=400)
        alpha.keys_written(5)
        beta.keys_written(7)
        a_lines, b_lines = month_lines(alpha.local), month_lines(beta.local)
        for computer, other, lines in ((alpha, beta, a_lines), (beta, alpha, b_lines)):
            wait_until(lambda: month_lines(os.path.join(other.shared, computer.id)) == lines,
                       30, f"{computer.name}'s minutes at {other.name}")
        # Exactly what was given: the keys, the drag's and the right click's releases, the
        # pixels along the axes.
        given = ("keys", "clicks", "doubleClicks", "movePx", "dragPx")
        self.assertEqual([figures(a_lines)[k] for k in given], [5, 2, 0, 500, 50])
        self.assertEqual([figures(b_lines)[k] for k in given], [7, 2, 0, 520, 50])

        today = datetime.date.today().isoformat()
        week_start = (datetime.date.today() - datetime.timedelta(days=6)).isoformat()
        for computer in (alpha, beta):
            state = computer.open_history()
            self.assertEqual(sorted(c["name"] for c in state["computers"]), ["alpha", "beta"])
            for view, first, day in (("week", week_start, None), ("day", None, today)):
                for shown, lines in ((None, a_lines + b_lines), (alpha.id, a_lines),
                                     (beta.id, b_lines)):
                    state = computer.show(view, shown)
                    self.assertEqual(state["figures"], figures(lines, day, first),
                                     f"{computer.name}'s {view} view of {shown or 'both'}")
            self.assertIn(f"{computer.name} (this one), last minute {today}",
                          state["computersText"])

        # A conflict copy that the engine left beside alpha's file at beta counts for nothing.
        month = datetime.date.today().strftime("%Y-%m")
        alpha_at_beta = os.path.join(beta.shared, alpha.id)
        with open(os.path.join(alpha_at_beta, month + ".csv")) as f:
            copy = f.read().replace(",", ",9")
        with open(os.path.join(alpha_at_beta,
                               month + ".sync-conflict-20260101-120000-ABCDEFG.csv"), "w") as f:
            f.write(copy)
        state = beta.show("week", None)
        self.assertEqual(state["figures"], figures(a_lines + b_lines, None, week_start))

        # Beta's Syncthing stops; alpha goes on, and its session ends. Nothing of it is lost:
        # it reaches beta once beta's Syncthing runs again.
        beta.syncthing.stop()
        keys_before = int(alpha.program.dump()["readouts"]["totalKeys"])
        alpha.give_input(keys=3, across=40, down=30)
        alpha.program.wait_for(lambda s: int(s["readouts"]["totalKeys"]) == keys_before + 3, 5,
                               "the keys")
        alpha.program.signal(signal.SIGTERM)  # the open minute is written and copied
        self.assertEqual(alpha.program.wait_for_exit(10), 0)
        a_lines = month_lines(alpha.local)
        self.assertEqual(figures(a_lines)["keys"], int(alpha.program.config()["Main"]["TotalKeys"]),
                         "every key of the run in alpha's files")
        self.assertEqual(month_lines(os.path.join(alpha.shared, alpha.id)), a_lines,
                         "the last minute reached alpha's shared folder before it ended")
        arrived = month_lines(alpha_at_beta)
        self.assertNotEqual(arrived, a_lines)
        state = beta.show("day", alpha.id)
        self.assertEqual(state["figures"], figures(arrived, today),
                         "what had arrived, until more arrives")
        self.assertIn(f"alpha, last minute {arrived[-1][0][:10]} {arrived[-1][0][11:16]}",
                      state["computersText"])
        beta.syncthing.start()
        wait_until(lambda: month_lines(alpha_at_beta) == a_lines, 60,
                   "alpha's last minutes at beta once its Syncthing runs")
        state = beta.show("day", alpha.id)
        self.assertEqual(state["figures"], figures(a_lines, today))
        state = beta.show("week", None)
        self.assertEqual(state["figures"], figures(a_lines + b_lines, None, week_start))


def main():
    return run_tests()


if __name__ == "__main__":
    sys.exit(main())
