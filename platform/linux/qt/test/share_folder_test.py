#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Sharing the usage history into a folder from the tray, end to end on a real X server.

Usage: share_folder_test.py --bin PATH/tavrel [unittest arguments]
Same needs as history_test.py. Exits with 77 when there is no DISPLAY.
"""

import datetime
import os
import socket
import subprocess
import sys
import time

from harness import choose_from_tray, run_tests, xdotool
from history_fixture import GENERATOR, HistoryFixture, minute_kinds, read_lines

BINARY = None


class ShareFolderTest(HistoryFixture):
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

        def box(starting):
            state = p.wait_for(lambda s: any(b["text"].startswith(starting) for b in s["boxes"]),
                               10, f"a box saying {starting}...")
            return state["boxes"][0]

        def answer(box, key):
            xdotool("windowfocus", "--sync", box["id"])
            xdotool("key", key)
            p.wait_for(lambda s: box["id"] not in [b["id"] for b in s["boxes"]], 5,
                       "the box closed")

        choose_from_tray("r")  # "Sha&re history..."
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

        choose_from_tray("h")
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

        choose_from_tray("r")  # shared already: another folder, stop, or leave it
        answer(box("The usage history is shared through the folder " + shared), "alt+n")
        answer(box("Tavrel no longer copies this computer's usage history into " + shared),
               "Return")
        self.assertEqual(p.config()["Main"]["SharedFolder"], "")
        self.assertTrue(os.path.isdir(own), "what was copied stays")


def main():
    return run_tests()

if __name__ == "__main__":
    sys.exit(main())
