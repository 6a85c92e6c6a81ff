#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of Tavrel.exe under Wine.

Run by ctest in the win64 build with DISPLAY (an X server without a window manager),
WINEPREFIX (Managed=N) and WINEDEBUG=-all in the environment:

    app_test.py --bin DIR --probe PROBE.exe [unittest arguments]

Each test starts the program with an empty settings store (HKCU\\Software\\ZKV deleted), looks
at its window through tavrel_probe.exe, gives input with xdotool and reads the store with
`wine reg`.
"""
import os
import time
import unittest

from harness import (IDS, Probe, Store, Tavrel, X, missing_tools, parse_arguments, run_tests,
                     start_tavrel, wait_until)

ARGS = None

THRESHOLD, DECAY, BREAK_LIMIT = IDS["IDC_THRESHOLD"], IDS["IDC_DECAY"], IDS["IDC_BREAK_LIMIT"]
CLICK_PAIN, DOUBLECLICK_PAIN, KEYBOARD_PAIN, MOVE_PAIN, DRAG_PAIN = (
    IDS["IDC_CLICK_PAIN"], IDS["IDC_DOUBLECLICK_PAIN"], IDS["IDC_KEYBOARD_PAIN"],
    IDS["IDC_MOVE_PAIN"], IDS["IDC_DRAG_PAIN"])
SAVE, QUIT, DEBUG_INFO, RESET = IDS["IDC_SAVE"], IDS["IDC_QUIT"], IDS["IDC_DEBUG_INFO"], IDS["IDC_RESET"]
PAINFUL, NORMAL = IDS["IDC_PAINFUL"], IDS["IDC_NORMAL"]
TICKS, DISTANCE, DRAG_DISTANCE, CLICKS, PAIN, TOTAL_DISTANCE, TOTAL_KEYS = (
    IDS["IDC_TICK_COUNT"], IDS["IDC_DISTANCE"], IDS["IDC_DRAG_DISTANCE"], IDS["IDC_CLICKS"],
    IDS["IDC_PAIN"], IDS["IDC_TOTAL_DISTANCE"], IDS["IDC_TOTAL_KEYS"])
IDCANCEL, IDYES = 2, 6
WM_ENDSESSION = 0x16

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
        self.app = start_tavrel(self, self.probe, ARGS.bin, first_tick=False)
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

    def test_tick_readout_counts(self):
        self.start()
        self.wait_for_ticks()
        first = self.number(TICKS)
        self.assertGreaterEqual(first, 1)
        elapsed = int(self.probe.ask(f"wait-change {TICKS} 1000"))
        self.assertLess(elapsed, 1000)
        time.sleep(0.5)
        later = self.number(TICKS)
        # About 20 ticks a second; generous bounds, the machine may be busy.
        self.assertTrue(3 <= (later - first) % 999 <= 40, f"ticks {first} -> {later}")
        self.assertEqual(self.number(PAIN), 0)

    def test_mouse_movement_raises_distance(self):
        self.start()
        self.wait_for_ticks()
        started = time.monotonic()
        self.assertEqual(self.number(TOTAL_DISTANCE), 0)
        self.x.move_over_window(steps=20)
        total = wait_until(lambda: self.number(TOTAL_DISTANCE), 3, "total distance to grow")
        self.assertGreater(total, 0)
        # The periodic save stores the total within about 5 s of the start.
        stored = wait_until(lambda: self.store.values("Main").get("Distance", 0), 8,
                            "the stored distance")
        self.assertLess(time.monotonic() - started, 9)
        self.assertGreater(stored, 0)
        self.assertLessEqual(stored, self.number(TOTAL_DISTANCE))

    def test_edited_field_enables_save_and_save_stores_the_set(self):
        self.start()
        self.x.focus_window()
        self.probe.ask(f"focus {THRESHOLD}")
        self.x.type("55")
        # Typing alone commits nothing: the field still has the focus.
        self.assertEqual(self.probe.ask(f"enabled {SAVE}"), "0")
        self.x.key("Tab")
        wait_until(lambda: self.probe.ask(f"enabled {SAVE}") == "1", 3, "Save to be enabled")
        self.assertEqual(self.texts(THRESHOLD), ["55"])
        self.probe.ask(f"click {SAVE}")
        good = wait_until(lambda: self.store.values("Good"), 3, "the Good section")
        self.assertEqual(good.get("Threshold"), 55)
        self.assertEqual(
            {k: good.get(k) for k in ("Decay", "BreakLimit", "KeyboardPain", "ClickPain",
                                      "DoubleclickPain", "MovePain", "DragPain")},
            {"Decay": 100, "BreakLimit": 100, "KeyboardPain": 10, "ClickPain": 10,
             "DoubleclickPain": 10, "MovePain": 10, "DragPain": 10})
        self.assertIn("Distance", good)
        self.assertEqual(self.store.values("Painful"), {})
        wait_until(lambda: self.probe.ask(f"enabled {SAVE}") == "0", 3, "Save to be disabled")

    def test_escape_hides_while_sampling_goes_on(self):
        self.start()
        self.wait_for_ticks()
        self.x.focus_window()
        self.assertEqual(self.number(PAIN), 0)
        self.x.key("Escape")
        self.probe.ask("wait-hidden 3000")
        self.assertTrue(self.app.running())
        before = self.number(TICKS)
        time.sleep(0.5)
        self.assertEqual(self.probe.ask("visible"), "0", "came back without an alarm")
        # A hidden window's read-outs wait; shown again, the counter has moved on.
        self.assertEqual(self.number(TICKS), before, "read-outs of a hidden window changed")
        self.x.show_from_tray()
        self.probe.ask("wait-visible 3000")
        self.assertGreaterEqual((self.number(TICKS) - before) % 999, 5,
                                "ticks stopped while hidden")
        # The close command and the Cancel command hide it the same way.
        self.probe.ask("close")
        self.probe.ask("wait-hidden 3000")
        self.x.show_from_tray()
        self.probe.ask("wait-visible 3000")
        self.probe.ask(f"command {IDCANCEL}")
        self.assertEqual(self.probe.ask("visible"), "0")
        self.assertTrue(self.app.running())

    def test_alarm_brings_hidden_window_back(self):
        self.store.set_dword("Good", "Threshold", 0)
        self.start()
        self.assertEqual(self.texts(THRESHOLD), ["0"])
        self.wait_for_ticks()
        # The alarm raises the window on every tick; a hide lasts until the next one.
        for _ in range(5):
            reply = self.probe.ask(f"command {IDCANCEL}", "visible")
            if reply[1] == "0":
                break
        else:
            self.fail("the window never hid")
        back_after_ms = int(self.probe.ask("wait-visible 2000"))
        self.assertLess(back_after_ms, 500)
        time.sleep(0.3)
        self.assertEqual(self.probe.ask("visible"), "1")

    def test_quit_ends_process_and_keeps_totals(self):
        self.start()
        self.wait_for_ticks()
        self.x.move_over_window(steps=10)
        self.x.focus_window()
        self.probe.ask(f"focus {THRESHOLD}")
        for _ in range(3):
            self.x.key("Right")  # moves the caret only: no edit
        wait_until(lambda: self.number(TOTAL_KEYS) >= 3 and self.number(TOTAL_DISTANCE) > 0, 3,
                   "the totals to count the input")
        time.sleep(0.2)
        shown = {"Distance": self.number(TOTAL_DISTANCE), "TotalKeys": self.number(TOTAL_KEYS)}
        self.probe.ask(f"click {QUIT}")
        self.assertEqual(self.app.wait(10), 0)
        main = self.store.values("Main")
        self.assertEqual({k: main.get(k) for k in shown}, shown)
        self.assertEqual(self.store.values("Good"), {})

    def test_quit_with_unsaved_edit_asks_and_cancel_keeps_running(self):
        self.start()
        self.x.focus_window()
        self.probe.ask(f"focus {BREAK_LIMIT}")
        self.x.type("250")
        self.x.key("Tab")
        wait_until(lambda: self.probe.ask(f"enabled {SAVE}") == "1", 3, "Save to be enabled")
        self.probe.ask(f"click {QUIT}")
        wait_until(lambda: self.probe.ask("message") == SAVE_PROMPT, 5, "the save prompt")
        # Sampling goes on under the prompt.
        self.assertLess(int(self.probe.ask(f"wait-change {TICKS} 1000")), 1000)
        self.probe.ask(f"answer {IDCANCEL}")
        wait_until(lambda: self.probe.ask("message") == "-", 3, "the prompt to close")
        self.assertTrue(self.app.running())
        self.assertEqual(self.probe.ask(f"enabled {SAVE}"), "1")
        self.assertEqual(self.store.values("Good"), {})
        self.probe.ask(f"click {QUIT}")
        wait_until(lambda: self.probe.ask("message") == SAVE_PROMPT, 5, "the save prompt")
        self.probe.ask(f"answer {IDYES}")
        self.assertEqual(self.app.wait(10), 0)
        self.assertEqual(self.store.values("Good").get("BreakLimit"), 250)

    def test_tray_double_click_brings_window_back(self):
        self.start()
        self.wait_for_ticks()
        self.assertEqual(self.number(PAIN), 0)
        self.probe.ask(f"command {IDCANCEL}")
        self.probe.ask("wait-hidden 3000")
        self.x.show_from_tray()
        self.probe.ask("wait-visible 3000")
        self.assertEqual(self.probe.ask("visible"), "1")

    def test_enter_after_save_does_not_end_the_program(self):
        self.start()
        self.x.focus_window()
        self.probe.ask(f"focus {THRESHOLD}")
        self.x.type("55")
        self.x.key("Tab")
        wait_until(lambda: self.probe.ask(f"enabled {SAVE}") == "1", 3, "Save to be enabled")
        self.probe.ask(f"click {SAVE}")
        wait_until(lambda: self.store.values("Good").get("Threshold") == 55, 3, "the save")
        self.x.focus_window()
        self.x.key("Return")
        self.x.key("space")
        time.sleep(1.0)
        self.assertTrue(self.app.running(), "Enter after Save ended the program")
        self.assertEqual(self.probe.ask("visible"), "1")

    def test_second_start_shows_the_running_window_and_ends(self):
        self.start()
        self.wait_for_ticks()
        self.assertEqual(self.number(PAIN), 0)
        self.probe.ask(f"command {IDCANCEL}")
        self.probe.ask("wait-hidden 3000")
        second = Tavrel(ARGS.bin)
        self.assertEqual(second.wait(30), 0)
        self.probe.ask("wait-visible 5000")
        self.assertTrue(self.app.running())

    def test_session_end_keeps_the_totals_without_asking(self):
        self.start()
        self.wait_for_ticks()
        self.x.move_over_window(steps=10)
        self.x.focus_window()
        self.probe.ask(f"focus {BREAK_LIMIT}")
        self.x.type("7")  # an unsaved edit: nothing may be asked at the end of a session
        self.x.key("Tab")
        wait_until(lambda: self.number(TOTAL_DISTANCE) > 0, 3, "the distance to count")
        time.sleep(0.2)
        shown = self.number(TOTAL_DISTANCE)
        # Posted: the session's end lets the program go before it could answer.
        self.probe.ask(f"post-message {WM_ENDSESSION} 1")
        wait_until(lambda: self.store.values("Main").get("Distance") == shown, 5,
                   "the totals stored at the end of the session")
        self.assertEqual(self.probe.ask("message"), "-")
        self.assertEqual(self.store.values("Good"), {})

    def test_icon_comes_back_when_the_notification_area_restarts(self):
        self.start()
        self.wait_for_ticks()
        self.probe.ask(f"command {IDCANCEL}")
        self.probe.ask("wait-hidden 3000")
        # The shell loses the icon, as one that restarts does: nothing can bring Tavrel back.
        self.probe.ask("tray-delete")
        time.sleep(0.5)
        try:
            self.x.show_from_tray()
        except AssertionError:
            pass  # with no icon left, Wine's tray window may be gone altogether
        time.sleep(0.5)
        self.assertEqual(self.probe.ask("visible"), "0")
        # What the shell broadcasts when it has started afresh: the icon must come back.
        self.probe.ask("send-registered TaskbarCreated")
        self.assertTrue(self.app.running())
        wait_until(lambda: self.x._xdotool("search", "--onlyvisible", "--name",
                                           "^Wine System Tray$"), 5, "Wine's tray window")
        time.sleep(0.3)
        self.x.show_from_tray()
        self.probe.ask("wait-visible 3000")


def main():
    global ARGS
    ARGS, rest = parse_arguments()
    run_tests(rest, missing_tools("wine", "xdotool"))

if __name__ == "__main__":
    main()
