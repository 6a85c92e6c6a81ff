# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop around the program in the alarm's tests: a window manager (openbox), a terminal
in which the user types (xterm), and a private session bus with the fake desktop services.
"""

import os
import re
import shutil
import subprocess
import tempfile
import time

from harness import xdotool

HERE = os.path.dirname(os.path.abspath(__file__))
FAKES = os.path.join(HERE, "fakes")
SYSTEM_PYTHON = "/usr/bin/python3"  # the one with the dbus and gi modules


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


def output(*argv):
    return subprocess.run([str(a) for a in argv], capture_output=True, text=True).stdout


def active_window():
    """The window the window manager says has the focus (_NET_ACTIVE_WINDOW), as a number."""
    text = output("xprop", "-root", "_NET_ACTIVE_WINDOW")
    match = re.search(r"window id # (0x[0-9a-f]+)", text)
    return int(match.group(1), 16) if match else 0


def stacking():
    """The managed windows from the bottom up (_NET_CLIENT_LIST_STACKING)."""
    text = output("xprop", "-root", "_NET_CLIENT_LIST_STACKING")
    return [int(w, 16) for w in re.findall(r"0x[0-9a-f]+", text)]


def is_fullscreen(window):
    return "_NET_WM_STATE_FULLSCREEN" in output("xprop", "-id", window, "_NET_WM_STATE")


def private_session_bus(processes):
    """Starts a session bus of the test's own, added to processes; its address."""
    daemon = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                              stdout=subprocess.PIPE, text=True)
    processes.append(daemon)
    address = daemon.stdout.readline().strip()
    daemon.stdout.close()
    return address


class Desktop:
    """Owns what it starts; close() ends all of it."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="tavrel_desktop_")
        self.processes = []
        self.env = {}

    def start(self, argv, env=None):
        process = subprocess.Popen(argv, env=dict(os.environ, **self.env, **(env or {})),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def window_manager(self):
        self.start(["openbox", "--sm-disable"])
        wait_until(lambda: "window id" in output("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"),
                   10, "the window manager")

    def terminal(self, title, fullscreen=False):
        """An xterm whose typed lines land in a file; its window and that file."""
        typed = os.path.join(self.root, title + ".txt")
        argv = ["xterm", "-title", title, "-geometry", "60x10+300+200"]
        if fullscreen:
            argv.append("-fullscreen")
        self.start(argv + ["-e", "sh", "-c", "stty -echo; cat > '%s'" % typed])
        found = wait_until(lambda: output("xdotool", "search", "--name", "^%s$" % title).split(),
                           10, "the terminal's window")
        window = int(found[0])
        wait_until(lambda: window in stacking(), 10, "the terminal managed")
        return window, typed

    def focus(self, window):
        xdotool("windowactivate", "--sync", window)
        wait_until(lambda: active_window() == window, 5, "the terminal in front")

    def session_bus(self):
        """A private session bus with the fake desktop services on it; their log."""
        address = private_session_bus(self.processes)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        log = os.path.join(self.root, "bus.jsonl")
        self.start([SYSTEM_PYTHON, os.path.join(FAKES, "fake_desktop_bus.py"), log])
        wait_until(lambda: os.path.exists(log), 10, "the fake desktop services")
        return log

    def set(self, name, value):
        """Changes a fake service's state: show-banners, inhibited, inhibited-actions,
        has-inhibit."""
        kind = "boolean:%s" % ("true" if value else "false") if isinstance(value, bool) \
            else "uint32:%d" % value
        subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.tavrel.test", "/",
                        "org.tavrel.test.Control.Set", "string:" + name, "variant:" + kind],
                       env=dict(os.environ, **self.env), check=True, stdout=subprocess.DEVNULL)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(5)
        shutil.rmtree(self.root, ignore_errors=True)


