#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of the x64 release's place on the desktop under Wine: the Start with Windows
item against the per-user Run key and Task Manager's mark, and the main window at a high DPI.

    desktop_test.py --bin DIR --probe PROBE.exe [unittest arguments]

Same environment as app_test.py. The DPI test gives the prefix its own LogPixels and puts it
back afterwards.
"""
import os
import re
import subprocess
import time
import unittest

from harness import (IDS, Probe, Screenshot, Store, X, missing_tools, parse_arguments,
                     run_tests, start_tavrel, wait_until)

ARGS = None

QUIT = IDS["IDC_QUIT"]
IDCANCEL, IDOK, WM_SYSCOMMAND = 2, 1, 0x112
START_WITH_WINDOWS_COMMAND = 0x30
# The tray menu: Show, History..., Share history..., About..., Pause alarms, Bring the window
# to the front, Start with Windows, Quit.
TRAY_ITEMS, TRAY_START_WITH_WINDOWS = 8, 6

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
APPROVED_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
VALUE_NAME = "Tavrel"
TURNED_OFF = "0300000000000000" + "00000000"  # Task Manager's 12 bytes for "disabled"
TURNED_ON = "0200000000000000" + "00000000"


def reg_value(key, name):
    """(type, data) of a registry value, or None when it is absent."""
    result = subprocess.run(["wine", "reg", "query", key, "/v", name], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    for line in result.stdout.decode("latin-1").splitlines():
        match = re.match(r"^    (.+?)    (REG_[A-Z_]+)(?:    (.*))?$", line)
        if match and match.group(1) == name:
            return match.group(2), match.group(3) or ""
    return None


def reg_set(key, name, kind, data):
    subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def reg_delete(key, name):
    subprocess.run(["wine", "reg", "delete", key, "/v", name, "/f"], stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def windows_path(path):
    return subprocess.run(["winepath", "-w", path], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, check=True).stdout.decode().strip()


class TrayMenu:
    """The tray icon's menu, opened with a right click on Wine's tray window and read from the
    screen: a check mark is ink in the margin left of an item's text."""

    def __init__(self, x, probe):
        self.x, self.probe = x, probe

    def open(self):
        tray = X._xdotool("search", "--onlyvisible", "--name", "^Wine System Tray$")
        if not tray:
            raise AssertionError("no Wine System Tray window")
        geometry = subprocess.run(["xdotool", "getwindowgeometry", tray[0]],
                                  stdout=subprocess.PIPE).stdout.decode()
        height = int(re.search(r"Geometry: \d+x(\d+)", geometry).group(1))
        X._xdotool("mousemove", "--window", tray[0], 12, height - 14, "click", 3)
        self.rect = wait_until(self.x._popup_rect, 5, "the tray menu")
        time.sleep(0.4)  # drawn

    def row(self, item):
        left, top, right, bottom = self.rect
        step = (bottom - top) / TRAY_ITEMS
        return int(top + step * item), int(top + step * (item + 1))

    def checked(self, item):
        left, _, right, _ = self.rect
        upper, lower = self.row(item)
        # The check mark's column: from the frame to where the texts start, a check's width on.
        counts = Screenshot().colours(left + 3, upper + 2, left + 16, lower - 2)
        return sum(n for (r, g, b), n in counts.items() if r + g + b < 240) > 5

    def choose(self, item):
        left, _, right, _ = self.rect
        upper, lower = self.row(item)
        X._xdotool("mousemove", (left + right) // 2, (upper + lower) // 2, "sleep", 0.2,
                   "click", 1)
        wait_until(lambda: self.x._popup_rect() is None, 5, "the menu to close")

    def close(self):
        # A click on the tray window away from the icon and above the menu, which opens a few
        # pixels below the window's top: the menu has no X focus for an Esc.
        tray = X._xdotool("search", "--onlyvisible", "--name", "^Wine System Tray$")
        X._xdotool("mousemove", "--window", tray[0], 150, 2, "click", 1)
        wait_until(lambda: self.x._popup_rect() is None, 5, "the menu to close")


class StartWithWindowsTest(unittest.TestCase):
    def setUp(self):
        Store().clear()
        for key in (RUN_KEY, APPROVED_KEY):
            reg_delete(key, VALUE_NAME)
            self.addCleanup(reg_delete, key, VALUE_NAME)
        X.park_pointer()
        self.probe = Probe(ARGS.probe)
        self.addCleanup(self.probe.close)
        self.app = start_tavrel(self, self.probe, ARGS.bin)
        self.x = X(self.probe)
        self.probe.ask(f"command {IDCANCEL}")  # the main window would cover Wine's tray
        self.probe.ask("wait-hidden 3000")
        self.menu = TrayMenu(self.x, self.probe)
        self.command = '"' + windows_path(os.path.join(ARGS.bin, "Tavrel.exe")) + '"'

    def shown_checked(self):
        self.menu.open()
        try:
            return self.menu.checked(TRAY_START_WITH_WINDOWS)
        finally:
            self.menu.close()

    def run_value(self):
        value = reg_value(RUN_KEY, VALUE_NAME)
        return value and (value[0], value[1].lower())

    def test_the_item_writes_and_removes_the_quoted_path_in_the_run_key(self):
        self.assertFalse(self.shown_checked(), "checked with no Run value")
        self.menu.open()
        self.menu.choose(TRAY_START_WITH_WINDOWS)
        wait_until(self.run_value, 3, "the Run value")
        self.assertEqual(self.run_value(), ("REG_SZ", self.command.lower()))
        self.assertTrue(self.shown_checked(), "unchecked with the Run value written")
        # The system menu's item does the same.
        self.probe.ask(f"send {WM_SYSCOMMAND} {START_WITH_WINDOWS_COMMAND}")
        self.assertIsNone(self.run_value())
        self.assertFalse(self.shown_checked(), "checked after the Run value was removed")
        self.assertIsNone(reg_value(APPROVED_KEY, VALUE_NAME), "Task Manager's key touched")

    def test_an_entry_turned_off_in_task_manager_shows_off_and_stays_off(self):
        reg_set(RUN_KEY, VALUE_NAME, "REG_SZ", self.command)
        reg_set(APPROVED_KEY, VALUE_NAME, "REG_BINARY", TURNED_OFF)
        self.assertFalse(self.shown_checked(), "checked though turned off in Task Manager")
        self.menu.open()
        self.menu.choose(TRAY_START_WITH_WINDOWS)
        text = wait_until(lambda: (lambda t: t if t != "-" else None)(self.probe.ask("message")),
                          5, "the message that says where to turn it on")
        self.assertIn("Task Manager", text)
        self.probe.ask(f"answer {IDOK}")
        # Neither value changed: the user's choice stands.
        self.assertEqual(self.run_value(), ("REG_SZ", self.command.lower()))
        self.assertEqual(reg_value(APPROVED_KEY, VALUE_NAME), ("REG_BINARY", TURNED_OFF))
        self.assertFalse(self.shown_checked())
        # Turned on again there, the item shows it.
        reg_set(APPROVED_KEY, VALUE_NAME, "REG_BINARY", TURNED_ON)
        self.assertTrue(self.shown_checked(), "unchecked though turned on in Task Manager")


WM_DPICHANGED, IDM_ABOUTBOX, HISTORY_COMMAND = 0x2E0, 0x10, 0x20
HISTORY_BUTTONS = [*range(2001, 2007), 2010]
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"


def dpi_changed(dpi):
    """WM_DPICHANGED's WPARAM; sent from outside, its LPARAM (the suggested rectangle) is 0."""
    return dpi | dpi << 16


def rect_of(probe):
    left, top, right, bottom = (int(v) for v in probe.ask("rect").split())
    return right - left, bottom - top


class DpiTest(unittest.TestCase):
    """The prefix at 144 DPI (its LogPixels), and windows told that they moved to 192."""

    def setUp(self):
        before = reg_value(DESKTOP_KEY, "LogPixels")
        if before:
            self.addCleanup(reg_set, DESKTOP_KEY, "LogPixels", "REG_DWORD", str(int(before[1], 16)))
        else:
            self.addCleanup(reg_delete, DESKTOP_KEY, "LogPixels")
        reg_set(DESKTOP_KEY, "LogPixels", "REG_DWORD", "144")
        Store().clear()
        X.park_pointer()
        self.probe = Probe(ARGS.probe)
        self.addCleanup(self.probe.close)
        self.app = start_tavrel(self, self.probe, ARGS.bin)

    def assert_scaled(self, size, before, ratio, slack=4):
        for now, then in zip(size, before):
            self.assertLessEqual(abs(now - then * ratio), slack, f"{size} from {before}")

    def test_the_windows_show_every_label_whole_at_144_dpi_and_after_a_move_to_192(self):
        self.assertEqual(self.probe.ask("unfit 144"), "-")
        at144 = rect_of(self.probe)
        self.assertGreater(at144[1], 600, "the window is not laid out for 144 DPI")
        folder = os.environ.get("TAVREL_SAVE_SHOTS")
        if folder:
            left, top, right, bottom = (int(v) for v in self.probe.ask("rect").split())
            subprocess.run(["import", "-window", "root", "-crop",
                            f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                            os.path.join(folder, "screenshot-x64-144dpi.png")], check=True)

        # Moved to a monitor of 192 DPI and back: the layout follows and comes back as it was.
        self.probe.ask(f"send {WM_DPICHANGED} {dpi_changed(192)}")
        self.assertEqual(self.probe.ask("unfit 192"), "-")
        self.assert_scaled(rect_of(self.probe), at144, 192 / 144)
        self.probe.ask(f"send {WM_DPICHANGED} {dpi_changed(144)}")
        self.assertEqual(self.probe.ask("unfit 144"), "-")
        self.assert_scaled(rect_of(self.probe), at144, 1)

        self.probe.ask(f"post-message {WM_SYSCOMMAND} {IDM_ABOUTBOX}")
        about = Probe(ARGS.probe, ["--title", "About Tavrel"])
        self.addCleanup(about.close)
        about.ask("wait 5000")
        self.assertEqual(about.ask("unfit 144"), "-")
        about.ask(f"command {IDOK}")
        about.ask("wait-gone 3000")

        self.probe.ask(f"post-message {WM_SYSCOMMAND} {HISTORY_COMMAND}")
        history = Probe(ARGS.probe, ["--class", "TavrelHistory", "--title", "Tavrel History"])
        self.addCleanup(history.close)
        history.ask("wait 5000")
        history.ask("wait-visible 5000")
        self.assertEqual(history.ask("unfit 144 message"), "-")
        before = rect_of(history)
        history.ask(f"send {WM_DPICHANGED} {dpi_changed(192)}")
        # Its texts follow the figures; its buttons must show whole.
        unfit = history.ask("unfit 192 message")
        self.assertFalse([i for i in HISTORY_BUTTONS if f"{i}:" in unfit], unfit)
        self.assertGreater(rect_of(history)[1], before[1], "the History window did not grow")


def main():
    global ARGS
    ARGS, rest = parse_arguments()
    run_tests(rest, missing_tools("wine", "winepath", "xdotool", "xwd"))


if __name__ == "__main__":
    main()
