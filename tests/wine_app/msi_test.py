#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The x64 installer under Wine: a silent per-user install, the installed program counting, an
upgrade in place and an uninstall that leaves the user's settings and history.

    msi_test.py --bin DIR --probe PROBE.exe --msi FIRST.msi --next NEXT.msi [unittest arguments]

Same environment as app_test.py; NEXT.msi is the same package with a higher version.
"""
import argparse
import os
import re
import subprocess
import time
import unittest

from harness import (IDS, Probe, Store, Tavrel, X, history_folder, missing_tools, run_tests,
                     wait_until)

ARGS = None
TICKS, QUIT, TOTAL_DISTANCE = IDS["IDC_TICK_COUNT"], IDS["IDC_QUIT"], IDS["IDC_TOTAL_DISTANCE"]
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
APPROVED_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
PID_WORDCOUNT_NO_ELEVATION = 8  # "elevated privileges are not required"


def wine_output(*args):
    return subprocess.run(["wine", *args], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          check=False).stdout.decode("latin-1")


def unix_path(windows):
    return subprocess.run(["winepath", "-u", windows], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, check=True).stdout.decode().strip()


def msiexec(*args):
    return subprocess.run(["wine", "msiexec", *args, "/qn"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=120).returncode


def installed():
    """{product code: name} of what the system lists as installed."""
    listed = {}
    for line in wine_output("uninstaller", "--list").splitlines():
        code, _, name = line.strip().partition("|||")
        if name:
            listed[code] = name
    return {code: name for code, name in listed.items() if name == "Tavrel"}


def display_version(code):
    for root in ("HKCU", "HKLM"):
        text = wine_output("reg", "query",
                           rf"{root}\Software\Microsoft\Windows\CurrentVersion\Uninstall\{code}",
                           "/v", "DisplayVersion")
        match = re.search(r"DisplayVersion\s+REG_SZ\s+(\S+)", text)
        if match:
            return match.group(1)
    return None


def run_value():
    match = re.search(r"^\s+Tavrel\s+REG_SZ\s+(.*)$", wine_output("reg", "query", RUN_KEY), re.M)
    return match and match.group(1).strip()


def approved_value():
    match = re.search(r"^\s+Tavrel\s+REG_BINARY\s+(\S*)", wine_output("reg", "query", APPROVED_KEY),
                      re.M)
    return match and match.group(1)


def set_startup_entry(command):
    """As the program's menu item writes it, with Task Manager's mark "enabled" beside it."""
    wine_output("reg", "add", RUN_KEY, "/v", "Tavrel", "/t", "REG_SZ", "/d", command, "/f")
    wine_output("reg", "add", APPROVED_KEY, "/v", "Tavrel", "/t", "REG_BINARY", "/d",
                "020000000000000000000000", "/f")


def msi_summary_word_count(msi):
    text = subprocess.run(["msiinfo", "suminfo", msi], stdout=subprocess.PIPE,
                          check=True).stdout.decode()
    return int(re.search(r"^Source: (\d+)", text, re.M).group(1))


def msi_properties(msi):
    text = subprocess.run(["msiinfo", "export", msi, "Property"], stdout=subprocess.PIPE,
                          check=True).stdout.decode()
    return dict(line.split("\t", 1) for line in text.splitlines()[3:] if "\t" in line)


class MsiTest(unittest.TestCase):
    def setUp(self):
        for code in installed():  # left by an earlier run, of any build
            msiexec("/x", code)
        self.assertEqual(installed(), {}, "Tavrel installed before the test")
        Store().clear()
        for key in (RUN_KEY, APPROVED_KEY):
            wine_output("reg", "delete", key, "/v", "Tavrel", "/f")
            self.addCleanup(wine_output, "reg", "delete", key, "/v", "Tavrel", "/f")
        local = wine_output("cmd", "/c", "echo", "%LOCALAPPDATA%").strip()
        self.install_dir = os.path.join(unix_path(local), "Programs", "Tavrel")
        appdata = wine_output("cmd", "/c", "echo", "%APPDATA%").strip()
        self.shortcut = os.path.join(unix_path(appdata), "Microsoft", "Windows", "Start Menu",
                                     "Programs", "Tavrel.lnk")
        self.expected_command = '"' + local + r'\Programs\Tavrel\Tavrel.exe"'
        X.park_pointer()

    def run_installed_program(self):
        """Starts the installed copy, moves over its window until it counts, quits it."""
        probe = Probe(ARGS.probe)
        self.addCleanup(probe.close)
        app = Tavrel(self.install_dir)
        self.addCleanup(app.stop, probe)
        probe.ask("wait 20000")
        probe.ask("wait-visible 5000")
        wait_until(lambda: probe.texts(TICKS)[0] != "---", 5, "the first tick")
        x = X(probe)
        for _ in range(5):
            x.move_over_window(12)
            if int(probe.texts(TOTAL_DISTANCE)[0]) > 0:
                break
            time.sleep(0.3)
        self.assertGreater(int(probe.texts(TOTAL_DISTANCE)[0]), 0, "the installed copy counts")
        probe.ask(f"click {QUIT}")  # nothing edited: no question
        self.assertEqual(app.wait(10), 0)

    def test_installs_per_user_upgrades_in_place_and_uninstalls_keeping_the_settings(self):
        # Per user: no ALLUSERS, and the package says it needs no elevation.
        self.assertNotIn("ALLUSERS", msi_properties(ARGS.msi))
        self.assertTrue(msi_summary_word_count(ARGS.msi) & PID_WORDCOUNT_NO_ELEVATION)

        # Start with Windows is offered, off by default; STARTWITHWINDOWS=1 asks for it.
        self.assertEqual(msiexec("/i", ARGS.msi), 0)
        self.assertTrue(os.path.isfile(os.path.join(self.install_dir, "Tavrel.exe")))
        self.assertTrue(os.path.isfile(self.shortcut), "no Start menu shortcut")
        self.assertIsNone(run_value(), "Start with Windows turned on by default")
        (first,) = installed().keys()
        self.assertEqual(display_version(first), ARGS.first_version)
        # Uninstalled, it leaves the Start with Windows entry of another copy of Tavrel...
        other = r'"C:\Portable\Tavrel\Tavrel.exe"'
        set_startup_entry(other)
        self.assertEqual(msiexec("/x", ARGS.msi), 0)
        self.assertEqual(installed(), {})
        self.assertEqual((run_value(), approved_value()), (other, "020000000000000000000000"))
        # ...and takes away the one that the installed copy's menu wrote, with its mark.
        self.assertEqual(msiexec("/i", ARGS.msi), 0)
        set_startup_entry(self.expected_command.replace("Tavrel.exe", "TAVREL.EXE"))
        self.assertEqual(msiexec("/x", ARGS.msi), 0)
        self.assertEqual((run_value(), approved_value()), (None, None))
        self.assertEqual(msiexec("/i", ARGS.msi, "STARTWITHWINDOWS=1"), 0)
        self.assertEqual(run_value(), self.expected_command)

        self.run_installed_program()
        settings = Store().values("Main")
        self.assertTrue(settings, "the program stored nothing")
        os.makedirs(history_folder(), exist_ok=True)
        kept = os.path.join(history_folder(), "kept.txt")
        with open(kept, "w") as f:
            f.write("the user's own\n")

        # The next version replaces it, and finds Start with Windows on.
        self.assertEqual(msiexec("/i", ARGS.next), 0)
        (second,) = installed().keys()
        self.assertNotEqual(second, first)
        self.assertEqual(display_version(second), ARGS.next_version)
        self.assertEqual(run_value(), self.expected_command)
        self.run_installed_program()

        # Uninstalled: its files, shortcut, entry and Run value go; settings and history stay.
        settings = Store().values("Main")
        self.assertEqual(msiexec("/x", ARGS.next), 0)
        self.assertEqual(installed(), {})
        self.assertFalse(os.path.exists(self.install_dir), os.listdir(self.install_dir)
                         if os.path.isdir(self.install_dir) else "")
        self.assertFalse(os.path.exists(self.shortcut))
        self.assertIsNone(run_value())
        self.assertEqual(Store().values("Main"), settings)
        self.assertTrue(os.path.isfile(kept), "the history folder was touched")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--msi", required=True)
    parser.add_argument("--next", required=True)
    parser.add_argument("--first-version", required=True)
    parser.add_argument("--next-version", required=True)
    ARGS, rest = parser.parse_known_args()
    run_tests(rest, missing_tools("wine", "winepath", "xdotool", "msiinfo"))


if __name__ == "__main__":
    main()
