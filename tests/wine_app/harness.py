# SPDX-License-Identifier: GPL-3.0-or-later
"""Driving Tavrel.exe under Wine from outside: the program, the probe, the store, X input.

Needs DISPLAY and WINEPREFIX in the environment; uses wine, xdotool and tavrel_probe.exe.
"""
import argparse
import collections
import os
import shutil
import re
import select
import signal
import struct
import subprocess
import sys
import time
import unittest

STORE_KEY = r"HKCU\Software\ZKV"
APP_KEY = STORE_KEY + r"\Tavrel"
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir))
from resource_ids import IDS  # noqa: E402  (the tests' folder is not a package)

QUIT_BUTTON = IDS["IDC_QUIT"]
TICK_COUNT = IDS["IDC_TICK_COUNT"]
IDNO = 7


SKIP_EXIT_CODE = 77  # ctest reports the run as skipped


def missing_tools(*tools):
    """Why the tests cannot run here, or None: no display, or a tool not installed."""
    if not os.environ.get("DISPLAY"):
        return "DISPLAY is not set"
    for tool in tools:
        if not shutil.which(tool):
            return f"{tool} is not installed"
    return None


def parse_arguments():
    """The test scripts' own arguments (--bin, --probe) and the rest, for unittest."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="directory of Tavrel.exe")
    parser.add_argument("--probe", required=True, help="tavrel_probe.exe")
    return parser.parse_known_args()


def run_tests(rest, missing):
    """Runs the calling module's tests, or reports them skipped when something is missing."""
    if missing:
        print(f"skipped: {missing}")
        sys.exit(SKIP_EXIT_CODE)
    unittest.main(module="__main__", argv=[sys.argv[0]] + rest, verbosity=2)


def wait_until(condition, timeout, what):
    """Polls condition until it returns something true, which it returns; fails on timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.1)


class ProbeError(AssertionError):
    pass


class Probe:
    """One running tavrel_probe.exe that answers a line for each command line it is sent."""

    def __init__(self, probe_exe, options=(), reply_timeout=15):
        self.timeout = reply_timeout
        self.proc = subprocess.Popen(["wine", probe_exe, *options], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.buffer = b""

    def ask(self, *lines):
        """Sends the command lines together; one reply each (a list when more than one)."""
        self.proc.stdin.write("".join(line + "\n" for line in lines).encode())
        self.proc.stdin.flush()
        replies = [self._reply(line) for line in lines]
        return replies[0] if len(replies) == 1 else replies

    def texts(self, *ids):
        """The texts of the given controls."""
        self.proc.stdin.write(("text " + " ".join(map(str, ids)) + "\n").encode())
        self.proc.stdin.flush()
        return [self._reply(f"text {i}") for i in ids]

    def _reply(self, command):
        line = self._readline()
        if line.startswith("error:"):
            raise ProbeError(f"probe: {command}: {line}")
        return line

    def _readline(self):
        deadline = time.monotonic() + self.timeout
        fd = self.proc.stdout.fileno()
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            ready, _, _ = select.select([fd], [], [], max(left, 0))
            if not ready:
                raise ProbeError("probe: no answer")
            chunk = os.read(fd, 4096)
            if not chunk:
                raise ProbeError("probe: ended")
            self.buffer += chunk
        line, self.buffer = self.buffer.split(b"\n", 1)
        return line.decode("latin-1").rstrip("\r")

    def close(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.write(b"quit\n")
                self.proc.stdin.close()
                self.proc.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                self.proc.kill()
                self.proc.wait()


class Tavrel:
    """The program, started from its build directory (the hook library lies beside it)."""

    def __init__(self, bin_dir, exe="Tavrel.exe", args=()):
        self.proc = subprocess.Popen(["wine", exe, *args], cwd=bin_dir, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    @property
    def pid(self):
        """The Linux process id, which is the Windows process itself (wine execs it)."""
        return self.proc.pid

    def running(self):
        return self.proc.poll() is None

    def wait(self, timeout):
        return self.proc.wait(timeout)

    def stop(self, probe):
        """Ends the program through Quit, answering No to a save prompt; kills it if need be."""
        if not self.running():
            return
        try:
            if probe.ask("message") != "-":
                probe.ask(f"answer {IDNO}")
                time.sleep(0.2)
            probe.ask(f"click {QUIT_BUTTON}")
            deadline = time.monotonic() + 5
            while self.running() and time.monotonic() < deadline:
                if probe.ask("message") != "-":
                    probe.ask(f"answer {IDNO}")
                time.sleep(0.1)
        except ProbeError:
            pass
        if self.running():
            self.proc.send_signal(signal.SIGKILL)
        self.proc.wait()


def start_tavrel(test, probe, bin_dir, args=(), first_tick=True):
    """Starts the program for one test, ended through `probe` at the test's end, and returns
    it once its window is up and, with `first_tick`, its read-outs hold the first tick's."""
    app = Tavrel(bin_dir, args=args)
    test.addCleanup(app.stop, probe)
    probe.ask("wait 20000")
    probe.ask("wait-visible 5000")
    if first_tick:
        wait_until(lambda: probe.texts(TICK_COUNT)[0] != "---", 5, "the first tick")
    return app


class Store:
    """The program's settings in the registry of the Wine prefix."""

    VALUE = re.compile(r"^    (.+?)    (REG_[A-Z_]+)(?:    (.*))?$")

    def clear(self):
        subprocess.run(["wine", "reg", "delete", STORE_KEY, "/f"], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def set_dword(self, section, key, value):
        subprocess.run(["wine", "reg", "add", f"{APP_KEY}\\{section}", "/v", key, "/t",
                        "REG_DWORD", "/d", str(value & 0xFFFFFFFF), "/f"], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def set_string(self, section, key, value):
        subprocess.run(["wine", "reg", "add", f"{APP_KEY}\\{section}", "/v", key, "/t", "REG_SZ",
                        "/d", value, "/f"], check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def values(self, section):
        """The section's values: integers as signed 32-bit numbers, strings as str; {} if absent."""
        result = subprocess.run(["wine", "reg", "query", f"{APP_KEY}\\{section}"],
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        if result.returncode != 0:
            return {}
        values = {}
        for line in result.stdout.decode("latin-1").splitlines():
            match = self.VALUE.match(line)
            if not match:
                continue
            name, kind, data = match.group(1), match.group(2), match.group(3) or ""
            if kind == "REG_DWORD":
                number = int(data, 16)
                values[name] = number - (1 << 32) if number >= 1 << 31 else number
            else:
                values[name] = data
        return values


class X:
    """Input through the X server, as a user would give it."""

    def __init__(self, probe):
        self.probe = probe

    @staticmethod
    def _xdotool(*args):
        return subprocess.run(["xdotool", *map(str, args)], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL).stdout.decode().split()

    def window_rect(self):
        return [int(v) for v in self.probe.ask("rect").split()]

    def window_id(self):
        """The X window of the main window: a visible "Tavrel" window of the same size."""
        left, top, right, bottom = self.window_rect()

        def find():
            for wid in self._xdotool("search", "--onlyvisible", "--name", "^Tavrel$"):
                geometry = subprocess.run(["xdotool", "getwindowgeometry", wid],
                                          stdout=subprocess.PIPE).stdout.decode()
                if f"Geometry: {right - left}x{bottom - top}" in geometry:
                    return wid
            return None

        # Wine maps the X window a moment after the window turns visible.
        return wait_until(find, 5, "a visible X window for Tavrel")

    @classmethod
    def park_pointer(cls):
        """Puts the pointer in the screen's far corner, away from every window: a move over
        the program's window raises the pain far above any threshold."""
        cls._xdotool("mousemove", 10000, 10000)

    def focus_window(self):
        # X focus does not follow Windows activation without a window manager.
        self._xdotool("windowfocus", self.window_id())
        time.sleep(0.1)

    def key(self, *keys):
        self._xdotool("key", "--delay", 30, *keys)
        time.sleep(0.05)

    def type(self, text):
        self._xdotool("type", "--delay", 30, text)
        time.sleep(0.05)

    def move_over_window(self, steps):
        """Moves the pointer diagonally across the lower half of the window."""
        left, top, right, bottom = self.window_rect()
        x, y = left + 60, top + (bottom - top) // 2
        args = []
        for i in range(steps):
            args += ["mousemove", x + 8 * i, y + 6 * i, "sleep", "0.02"]
        self._xdotool(*args)

    def show_from_tray(self):
        """Double-clicks the first icon of Wine's own tray window."""
        tray = self._xdotool("search", "--onlyvisible", "--name", "^Wine System Tray$")
        if not tray:
            raise AssertionError("no Wine System Tray window")
        geometry = subprocess.run(["xdotool", "getwindowgeometry", tray[0]],
                                  stdout=subprocess.PIPE).stdout.decode()
        height = int(re.search(r"Geometry: \d+x(\d+)", geometry).group(1))
        # The icons sit in a row below the window's caption.
        self._xdotool("mousemove", "--window", tray[0], 12, height - 14, "click", "--repeat", 2,
                      "--delay", 80, 1)

    def tray_menu(self, item, count):
        """Right-clicks the first icon of Wine's tray window and chooses the item-th (from 0) of
        the menu's `count` items, all of one height. The main window must not cover the tray."""
        tray = self._xdotool("search", "--onlyvisible", "--name", "^Wine System Tray$")
        if not tray:
            raise AssertionError("no Wine System Tray window")
        geometry = subprocess.run(["xdotool", "getwindowgeometry", tray[0]],
                                  stdout=subprocess.PIPE).stdout.decode()
        height = int(re.search(r"Geometry: \d+x(\d+)", geometry).group(1))
        self._xdotool("mousemove", "--window", tray[0], 12, height - 14, "click", 3)
        left, top, right, bottom = wait_until(lambda: self._popup_rect(), 5, "the tray menu")
        y = top + (bottom - top) * (2 * item + 1) // (2 * count)
        self._xdotool("mousemove", (left + right) // 2, y, "sleep", 0.2, "click", 1)

    def _popup_rect(self):
        try:
            return [int(v) for v in self.probe.ask("popup-rect").split()]
        except ProbeError:
            return None


_history_folder = None


def history_folder():
    """The Linux path of the prefix's %LOCALAPPDATA%\\Tavrel\\history."""
    global _history_folder
    if _history_folder is None:
        local = subprocess.run(["wine", "cmd", "/c", "echo", "%LOCALAPPDATA%"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        unix = subprocess.run(["winepath", "-u", local.stdout.decode().strip()],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        _history_folder = os.path.join(unix.stdout.decode().strip(), "Tavrel", "history")
    return _history_folder


HistoryLine = collections.namedtuple(
    "HistoryLine", "minute keys clicks double_clicks move_px drag_px pain_max alarm_ticks threshold")


def history_lines(folder):
    """Every record line of the month files in the folder, in file order."""
    lines = []
    if not os.path.isdir(folder):
        return lines
    for name in sorted(os.listdir(folder)):
        if not re.fullmatch(r"\d{4}-\d\d\.csv", name):
            continue
        with open(os.path.join(folder, name), encoding="ascii") as f:
            for line in f.read().splitlines()[1:]:
                minute, *numbers = line.split(",")
                lines.append(HistoryLine(minute, *map(int, numbers)))
    return lines


class Screenshot:
    """The X screen as it is now (xwd -root), read pixel by pixel or as colour counts."""

    def __init__(self):
        self.data = subprocess.run(["xwd", "-root", "-silent"], stdout=subprocess.PIPE,
                                   check=True).stdout
        header = struct.unpack(">25I", self.data[:100])
        header_size, _, pixmap_format, depth, self.width, self.height = header[:6]
        byte_order, bits_per_pixel, self.bytes_per_line = header[7], header[11], header[12]
        masks = header[14:17]
        # xwd writes 24 or 32 bits a pixel, whichever the screen's windows ask for.
        if (pixmap_format != 2 or bits_per_pixel not in (24, 32) or byte_order != 0 or
                masks != (0xFF0000, 0xFF00, 0xFF) or depth < 24):
            raise AssertionError(f"expected a little-endian TrueColor screen: {header}")
        self.step = bits_per_pixel // 8
        self.offset = header_size + header[19] * 12

    def pixel(self, x, y):
        i = self.offset + y * self.bytes_per_line + self.step * x
        return self.data[i + 2], self.data[i + 1], self.data[i]

    def colours(self, left, top, right, bottom):
        """How many pixels of each (r, g, b) the rectangle holds, right and bottom excluded."""
        counts = collections.Counter()
        for y in range(top, bottom):
            start = self.offset + y * self.bytes_per_line + self.step * left
            row = self.data[start:start + self.step * (right - left)]
            step = self.step
            counts.update(zip(row[2::step], row[1::step], row[0::step]))
        return counts
