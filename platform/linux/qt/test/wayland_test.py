#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""End-to-end tests of the Linux program as a Wayland program, on a headless compositor.

Usage: wayland_test.py --bin PATH/tavrel [--screenshot FILE] [unittest arguments]
The window lives on a headless weston of the test's own; X RECORD still records the X
display of the test run (DISPLAY), which stands for the X11 programs of a Wayland session.
A fake input service and a fake notification server on a private session bus stand in for
the desktop's. Exits with 77 when there is no DISPLAY.
"""

import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

from harness import Program, json_lines, run_tests, xdotool

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), *[os.pardir] * 4,
                                "tests"))
from process_stats import comes_to_rest, switches_during  # noqa: E402  (not a package)

from desktop import FAKES, SYSTEM_PYTHON, private_session_bus, wait_until  # noqa: E402

BINARY = None
SCREENSHOT = None
HERE = os.path.dirname(os.path.abspath(__file__))


def keys(state):
    return int(state["readouts"]["totalKeys"])


class Desktop:
    """A headless weston, and on demand a private session bus and a fake input service."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="tavrel_wayland_")
        self.runtime = os.path.join(self.root, "run")
        os.makedirs(self.runtime, mode=0o700)
        self.processes = []
        self.logs = []
        self.env = {}
        self.weston_log = os.path.join(self.root, "weston.log")
        # --debug lets a client take screenshots; pixman draws without a GPU.
        self.start([shutil.which("weston"), "--backend=headless-backend.so", "--use-pixman",
                    "--socket=tavrel-wayland", "--idle-time=0", "--debug", "--width=1024",
                    "--height=768"], env={"XDG_RUNTIME_DIR": self.runtime},
                   log=self.weston_log)
        self.socket = os.path.join(self.runtime, "tavrel-wayland")
        wait_until(lambda: os.path.exists(self.socket), 10, "weston's socket")
        self.env.update(WAYLAND_DISPLAY=self.socket, QT_QPA_PLATFORM="wayland",
                        XDG_SESSION_TYPE="wayland")

    def start(self, argv, env=None, log=None):
        out = subprocess.DEVNULL
        if log:
            out = open(log, "w")
            self.logs.append(out)
        process = subprocess.Popen(argv, env=dict(os.environ, **(env or {})), stdout=out,
                                   stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def session_bus(self):
        """A private session bus with the fake notification server on it; its log."""
        address = private_session_bus(self.processes)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        log = os.path.join(self.root, "notifications.jsonl")
        self.start([SYSTEM_PYTHON, os.path.join(FAKES, "fake_notifications.py"), log],
                   env={"DBUS_SESSION_BUS_ADDRESS": address})
        wait_until(lambda: json_lines(log), 10, "the notification server")
        return log

    def input_service(self, control):
        """A fake input service answering as the control says; its socket and request log."""
        socket = os.path.join(self.root, "inputd.socket")
        self.control_file = os.path.join(self.root, "inputd.json")
        self.control(**control)
        log = os.path.join(self.root, "inputd.jsonl")
        self.start([sys.executable, os.path.join(FAKES, "fake_inputd.py"), "--socket", socket,
                    "--control", self.control_file, "--log", log])
        wait_until(lambda: os.path.exists(socket), 10, "the fake input service")
        self.env["TAVREL_INPUTD_SOCKET"] = socket
        return log

    def control(self, **control):
        with open(self.control_file + ".new", "w") as f:
            json.dump(control, f)
        os.replace(self.control_file + ".new", self.control_file)

    def screenshot(self, target):
        subprocess.run(["weston-screenshooter"], cwd=self.root, timeout=20, check=True,
                       env=dict(os.environ, XDG_RUNTIME_DIR=self.runtime,
                                WAYLAND_DISPLAY=self.socket))
        shots = [f for f in os.listdir(self.root) if f.endswith(".png")]
        if not shots:
            raise AssertionError("weston-screenshooter wrote nothing")
        shutil.copy(os.path.join(self.root, shots[0]), target)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(5)
        for log in self.logs:
            log.close()
        shutil.rmtree(self.root, ignore_errors=True)


class WaylandTest(unittest.TestCase):
    def setUp(self):
        for tool in ("weston", "dbus-daemon"):
            if shutil.which(tool) is None:
                self.fail(tool + " is missing: scripts/setup.sh installs it")
        self.desktop = Desktop()
        self.programs = []

    def tearDown(self):
        for p in self.programs:
            p.close()
        self.desktop.close()

    def start(self, config=None):
        p = Program(BINARY, config=config, env=self.desktop.env)
        self.programs.append(p)
        p.start()
        self.assertEqual(p.dump()["platform"], "wayland")
        return p

    def test_without_the_service_it_counts_x11_programs_and_says_how_to_count_all(self):
        p = self.start()
        d = p.wait_for(lambda s: s["notice"]["visible"], 5, "the notice")
        self.assertIn("only the input of X11 programs", d["notice"]["text"])
        self.assertIn("install the tavrel package", d["notice"]["text"])
        self.assertIn("(X11 programs only)", d["tray"]["tip"])
        # An X11 program's input is still counted.
        xdotool("mousemove", 0, 0)
        start = p.total_distance()
        xdotool("mousemove", 300, 400)
        p.wait_for(lambda s: p.total_distance(s) == start + 5000, 3, "the X11 move")
        if SCREENSHOT:
            self.desktop.screenshot(SCREENSHOT)

    def test_the_services_counts_alone_are_taken_and_a_refusal_is_said(self):
        requests = self.desktop.input_service({"status": 0})
        p = self.start()
        self.desktop.control(status=0, counts=[500, 0, 1, 0, 3])
        d = p.wait_for(lambda s: keys(s) == 3, 5, "the service's keys")
        self.assertEqual(p.total_distance(d), 5000)
        self.assertIn("1000 counts an inch", d["notice"]["text"])
        self.assertEqual(d["tray"]["tip"], "Tavrel")
        # The X11 programs' input is the service's to count now: not counted twice.
        xdotool("mousemove", 10, 10)
        xdotool("mousemove", 310, 410)
        time.sleep(0.5)
        self.assertEqual(p.total_distance(), 5000)
        log = json_lines(requests)
        self.assertTrue(log)
        self.assertTrue(all(r["magic"] == 0x32525654 and r["kind"] == 1 for r in log))
        self.assertTrue(all(r["doubleClickMs"] > 0 for r in log))

        self.desktop.control(status=1)  # another session in front
        d = p.wait_for(lambda s: "another session is in front" in s["notice"]["text"], 5,
                       "the refusal in the window")
        # On the tip's first line, after the pain: today's time follows on a line of its own.
        p.wait_for(lambda s: s["tray"]["tip"].split("\n")[0].endswith(
            "(not counting: session inactive or locked)"), 3, "the refusal in the tip")
        self.desktop.control(status=0, counts=[0, 0, 0, 0, 2])
        p.wait_for(lambda s: keys(s) == 5, 5, "counting again")

    def test_the_windows_menu_opens_the_history_in_metres_of_hand_travel(self):
        # The window on the X display, to be clicked; the session is Wayland's, with a service.
        self.desktop.input_service({"status": 0})
        self.desktop.env["QT_QPA_PLATFORM"] = "xcb"
        p = Program(BINARY, env=self.desktop.env)
        self.programs.append(p)
        folder = os.path.join(p.data_home, "tavrel", "history")
        os.makedirs(folder)
        now = datetime.datetime.now().astimezone()
        offset = now.strftime("%z")
        with open(os.path.join(folder, now.strftime("%Y-%m.csv")), "w") as f:
            f.write("minute,keys,clicks,double_clicks,move_px,drag_px,pain_max,alarm_ticks,"
                    "threshold\n")
            # 39370 counts at 1000 an inch: one metre of the hand's travel.
            f.write(now.strftime("%Y-%m-%dT00:01") + offset[:3] + ":" + offset[3:] +
                    ",5,0,0,39370,0,3,0,100\n")
        dump = os.path.join(p.root, "history.jsonl")
        p.env["TAVREL_TEST_HISTORY_DUMP"] = dump
        p.start()
        x, y, w, h = p.dump()["window"]["rect"]
        p.focus_window()
        xdotool("mousemove", x + 20, y + h - 60, "click", 3)
        time.sleep(0.5)
        xdotool("key", "h")
        state = wait_until(lambda: [s for s in json_lines(dump) if s["visible"] and
                                    s["loaded"]], 10, "the History window")[-1]
        # At the screen's resolution the same pixels would be metres more.
        self.assertRegex(state["totals"], r"Moved 39\D?370 px \(1\.0 m\)")

    def test_hidden_and_idle_it_rests_until_the_service_has_a_count(self):
        requests = self.desktop.input_service({"status": 0})
        # The window on the X display, to be hidden with a key; the session is Wayland's.
        self.desktop.env["QT_QPA_PLATFORM"] = "xcb"
        p = Program(BINARY, env=self.desktop.env)
        self.programs.append(p)
        p.start()
        p.wait_for(lambda s: s["window"]["visible"], 5, "the window")
        p.press_escape()  # X RECORD sees it, but the service's counts are the ones taken
        p.wait_for(lambda s: not s["window"]["visible"], 3, "the window hidden")
        self.assertTrue(comes_to_rest(p.process.pid, 30),
                        "hidden and idle on the service, it still wakes every tick; requests "
                        f"{[r['kind'] for r in json_lines(requests)][-8:]}")
        self.assertEqual(json_lines(requests)[-1]["kind"], 2, "it rests on a Wait")
        woken = switches_during(p.process.pid,
                                lambda: self.desktop.control(status=0, counts=[0, 0, 0, 0, 2]))
        self.assertGreater(woken, 5, "the service's reply wakes it")
        self.assertEqual(p.start_again(), 0)
        p.wait_for(lambda s: s["window"]["visible"] and keys(s) == 2, 5,
                   "the two keys of the reply that woke it")

    def test_the_alarm_reaches_the_notification_server_and_is_withdrawn(self):
        notices = self.desktop.session_bus()
        self.desktop.input_service({"status": 0, "counts": [0, 0, 0, 0, 0]})
        self.start()  # threshold 100, keyboard pain 10, decay after 100 ms
        self.desktop.control(status=0, counts=[0, 0, 0, 0, 15])
        calls = wait_until(lambda: [c for c in json_lines(notices)
                                    if c["call"] == "CloseNotification"] and json_lines(notices),
                           10, "the notification and its withdrawal")
        shown = [c for c in calls if c["call"] == "Notify"]
        self.assertEqual(len(shown), 1, calls)
        self.assertEqual(shown[0]["summary"], "Tavrel")
        self.assertEqual(shown[0]["body"],
                         "Pain 150 has reached the threshold of 100. Rest 1 s to bring it below.")
        self.assertEqual(shown[0]["urgency"], 2)
        closed = [c for c in calls if c["call"] == "CloseNotification"]
        self.assertEqual([c["id"] for c in closed], [shown[0]["id"]])


if __name__ == "__main__":
    args = list(sys.argv)
    if "--screenshot" in args:
        i = args.index("--screenshot")
        SCREENSHOT = os.path.abspath(args[i + 1])
        del args[i:i + 2]
        sys.argv = args
    sys.exit(run_tests())
