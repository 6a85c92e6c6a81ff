# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs the Linux program under a test's control on an X display, and reads its window.

The program, started with TAVREL_TEST_DUMP=<file>, appends one JSON line whenever its
window or tray icon changes: field texts, read-outs, buttons with their screen rectangles,
visibility. Input comes from xdotool, which the program's X RECORD capture sees like a
user's. Every program gets a folder of its own for XDG_CONFIG_HOME and XDG_RUNTIME_DIR.
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import sys
import time
import unittest


def run_tests():
    """Runs the calling module's tests against the program given as --bin; its exit code.
    77, which ctest reports as skipped, without a display."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    args, rest = parser.parse_known_args()
    if not os.environ.get("DISPLAY"):
        print("no DISPLAY: skipped")
        return 77
    sys.modules["__main__"].BINARY = os.path.abspath(args.bin)
    program = unittest.main(module="__main__", argv=[sys.argv[0], *rest], exit=False)
    return 0 if program.result.wasSuccessful() else 1


def json_lines(path):
    """The JSON lines a program or a fake has written whole; a line still being written waits
    for its end. Empty when the file is not there yet."""
    try:
        with open(path) as f:
            lines = f.read().split("\n")
    except FileNotFoundError:
        return []
    return [json.loads(line) for line in lines[:-1] if line]


def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], check=True)


def tray_icon_centre(env=None):
    """Where the program's icon sits in the tray host: its embedded window's centre. `env`:
    the environment naming another display."""
    tree = subprocess.run(["xwininfo", "-root", "-tree"], check=True, capture_output=True,
                          text=True, env=env).stdout
    for line in tree.splitlines():
        m = re.search(r'"tavrel": \("tavrel" "tavrel"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+'
                      r'\+(-?\d+)\+(-?\d+)', line)
        if m and int(m.group(1)) < 64:
            w, h, x, y = (int(g) for g in m.groups())
            return x + w // 2, y + h // 2
    raise AssertionError("no tray icon window of the program found")


def choose_from_tray(*keys):
    """Opens the program's tray menu and presses the keys: its items' access keys."""
    x, y = tray_icon_centre()
    xdotool("mousemove", x, y, "click", 3)
    time.sleep(0.5)
    for key in keys:
        xdotool("key", key)
        time.sleep(0.3)


class Program:
    def __init__(self, binary, config=None, env=None, display=None):
        self.binary = binary
        self.root = tempfile.mkdtemp(prefix="tavrel_linux_app_")
        self.config_home = os.path.join(self.root, "config")
        self.runtime = os.path.join(self.root, "run")
        self.data_home = os.path.join(self.root, "data")  # the usage history goes here
        os.makedirs(self.runtime, mode=0o700)
        self.config_file = os.path.join(self.config_home, "ZKV", "Tavrel.conf")
        if config is not None:
            os.makedirs(os.path.dirname(self.config_file))
            with open(self.config_file, "w") as f:
                f.write(config)
        self.dump_file = os.path.join(self.root, "dump.jsonl")
        self.log_file = os.path.join(self.root, "program.log")
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "TAVREL_DISABLE_RECORD"):
            self.env.pop(name, None)
        self.env.update(
            XDG_CONFIG_HOME=self.config_home,
            XDG_RUNTIME_DIR=self.runtime,
            XDG_DATA_HOME=self.data_home,
            TAVREL_TEST_DUMP=self.dump_file,
            QT_QPA_PLATFORM="xcb",
            # No input service unless a test runs a fake one: never the machine's own.
            TAVREL_INPUTD_SOCKET=os.path.join(self.root, "no-inputd.socket"),
        )
        if display is not None:
            self.env["DISPLAY"] = display
        self.env.update(env or {})
        self.process = None

    def start(self):
        self.log = open(self.log_file, "w")
        self.process = subprocess.Popen([self.binary], env=self.env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.wait_for(lambda d: d["window"]["visible"] and d["readouts"]["tickCount"] != "---",
                      timeout=15, what="the window with its first tick")
        return self

    def start_again(self, timeout=10):
        """Starts a second program with the same environment; returns its exit code."""
        return subprocess.run([self.binary], env=self.env, timeout=timeout,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode

    def close(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait(10)
        if getattr(self, "log", None):
            self.log.close()
        shutil.rmtree(self.root, ignore_errors=True)

    # What the window showed.
    def history(self):
        return json_lines(self.dump_file)

    def dump(self):
        states = self.history()
        if not states:
            raise AssertionError("the program wrote no state yet")
        return states[-1]

    def wait_for(self, predicate, timeout=5.0, what="a condition"):
        deadline = time.monotonic() + timeout
        last = None
        while time.monotonic() < deadline:
            if self.process is not None and self.process.poll() is not None:
                raise AssertionError(f"the program ended ({self.process.returncode}) while "
                                     f"waiting for {what}; log: {self.read_log()}")
            states = self.history()
            if states:
                last = states[-1]
                if predicate(last):
                    return last
            time.sleep(0.05)
        raise AssertionError(f"timed out waiting for {what}; last state: {last}")

    def wait_for_exit(self, timeout=10.0):
        return self.process.wait(timeout)

    def read_log(self):
        try:
            with open(self.log_file) as f:
                return f.read()
        except OSError:
            return ""

    def config(self):
        """The store file as a dict of sections; values as written."""
        sections = {}
        current = None
        try:
            with open(self.config_file) as f:
                for line in f:
                    line = line.rstrip("\n")
                    if line.startswith("["):
                        current = sections.setdefault(line.strip("[]"), {})
                    elif "=" in line and current is not None:
                        key, value = line.split("=", 1)
                        current[key] = value
        except FileNotFoundError:
            pass
        return sections

    def total_distance(self, state=None):
        return int((state or self.dump())["readouts"]["totalDistance"])

    # Input.
    def click_button(self, name):
        x, y, w, h = self.dump()[name]["rect"]
        xdotool("mousemove", x + w // 2, y + h // 2, "click", 1)

    def focus_window(self):
        xdotool("windowfocus", "--sync", self.dump()["window"]["id"])

    def press_escape(self):
        self.focus_window()
        xdotool("key", "Escape")

    def signal(self, number=signal.SIGTERM):
        self.process.send_signal(number)
