#!/usr/bin/env python3
"""End-to-end tests of Tavrel.exe under Wine.

Run by ctest in the win64 build with DISPLAY (an X server without a window manager),
WINEPREFIX (Managed=N) and WINEDEBUG=-all in the environment:

    app_test.py --bin DIR --probe PROBE.exe [unittest arguments]

Each test starts the program with an empty settings store (HKCU\\Software\\ZKV deleted), looks
at its window through tavrel_probe.exe, gives input with xdotool and reads the store with
`wine reg`.
"""
import argparse
import sys
import time
import unittest

from harness import Probe, Store, Tavrel, X, wait_until

ARGS = None

THRESHOLD, DECAY, BREAK_LIMIT = 1011, 1013, 1015
CLICK_PAIN, DOUBLECLICK_PAIN, KEYBOARD_PAIN, MOVE_PAIN, DRAG_PAIN = 1017, 1018, 1019, 1020, 1021
SAVE, QUIT, DEBUG_INFO, RESET = 1012, 1016, 1003, 1008
PAINFUL, NORMAL = 1022, 1023
TICKS, DISTANCE, DRAG_DISTANCE, CLICKS, PAIN, TOTAL_DISTANCE, TOTAL_KEYS = (
    1002, 1004, 1001, 1005, 1006, 1007, 1009)
IDCANCEL, IDYES = 2, 6

SETTING_FIELDS = [THRESHOLD, DECAY, BREAK_LIMIT, CLICK_PAIN, DOUBLECLICK_PAIN, KEYBOARD_PAIN,
                  MOVE_PAIN, DRAG_PAIN]
SAVE_PROMPT = "Settings have changed since last save.  Save Data?"


class AppTest(unittest.TestCase):
    """One scenario per test; each runs its own Tavrel process."""

    def setUp(self):
        self.store = Store()
        self.store.clear()
        X.park_pointer()
        self.app = None
        self.probe = Probe(ARGS.probe)
        self.addCleanup(self.probe.close)

    def start(self):
        self.app = Tavrel(ARGS.bin)
        self.addCleanup(self.app.stop, self.probe)
        self.probe.ask("wait 20000")
        self.probe.ask("wait-visible 5000")
        self.x = X(self.probe)

    def texts(self, *ids):
        return self.probe.texts(*ids)

    def number(self, control):
        text = self.texts(control)[0]
        self.assertRegex(text, r"^\s*-?\d+$", f"read-out {control}")
        return int(text)

    def wait_for_ticks(self):
        wait_until(lambda: self.texts(TICKS)[0] != "---", 5, "the first tick")

    def test_window_opens_with_defaults(self):
        self.start()
        self.assertEqual(self.texts(*SETTING_FIELDS),
                         ["100", "100", "100", "10", "10", "10", "10", "10"])
        self.assertEqual(self.probe.ask(f"enabled {SAVE}"), "0")
        self.assertEqual(self.probe.ask(f"checked {NORMAL}"), "1")
        self.assertEqual(self.probe.ask(f"checked {PAINFUL}"), "0")
        self.assertEqual(self.probe.ask("visible"), "1")
        self.assertEqual(self.texts(SAVE, QUIT, DEBUG_INFO, RESET),
                         ["&Save", "&Quit", "Show Debugging &Info", "RESET"])
        self.assertEqual(self.store.values("Main").get("Set"), "Good")
        # Nothing but the set's name is written at start.
        self.assertEqual(self.store.values("Good"), {})
        self.assertEqual(self.store.values("Painful"), {})


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="directory of Tavrel.exe")
    parser.add_argument("--probe", required=True, help="tavrel_probe.exe")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == "__main__":
    main()
