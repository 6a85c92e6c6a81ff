# SPDX-License-Identifier: GPL-3.0-or-later
"""Tavrel itself as a Wayland program on the seat: alice (in front) and bob (behind) each run
the installed program on a headless weston of their own, with no X display. The kernel's
devices reach the service, the service's counts reach the one Tavrel in front, the other
says why it counts nothing, and the counts follow the session switches. Read through each
program's test dump (the window and tray as they are shown) and, at the end, its history
file, which has the clicks as well.

Run alone with `tests/vm/run.sh tavrel_wayland`, or with every check by `tests/vm/run.sh`:
652 s in all for the whole boot, of which this check 116 s, under software emulation on a
2-CPU host shared with other builds (alone, at load average 13: 390 s of 629 s)."""

import csv
import glob
import json
import os
import pwd
import shutil
import signal
import subprocess
import time

import evdev
from evdev import ecodes as e

from vmlib import (RepeatingKeyboard, hold_key, check, chvt, click, finish, keyboard, mouse, move,
                   opened_by, service_pid, session_active, tap, touchpad, wait_for)

TAVREL = shutil.which("tavrel") or "/usr/bin/tavrel"


class Desktop:
    """One user's headless weston and Tavrel on it."""

    def __init__(self, user):
        self.user = user
        pw = pwd.getpwnam(user)
        self.root = "/tmp/tavrel-wayland-" + user
        os.makedirs(self.root, mode=0o700)
        os.chown(self.root, pw.pw_uid, pw.pw_gid)
        self.runtime = self.root + "/run"
        self.dump = self.root + "/dump.jsonl"
        self.env = {
            "HOME": pw.pw_dir, "USER": user, "PATH": "/usr/bin:/bin",
            "XDG_RUNTIME_DIR": self.runtime, "XDG_CONFIG_HOME": self.root + "/config",
            "XDG_DATA_HOME": self.root + "/data", "XDG_SESSION_TYPE": "wayland",
            "QT_QPA_PLATFORM": "wayland", "TAVREL_TEST_DUMP": self.dump,
        }
        self.processes = []
        self.run(["mkdir", "-m", "700", self.runtime]).wait()
        # The kiosk shell starts no helper programs: less to run under emulation.
        self.run(["weston", "--backend=headless-backend.so", "--shell=kiosk-shell.so",
                  "--socket=wayland-t", "--idle-time=0"], log="weston.log")
        check(wait_for(lambda: os.path.exists(self.runtime + "/wayland-t"), 60),
              "%s's weston is up" % user)
        self.env["WAYLAND_DISPLAY"] = "wayland-t"
        self.tavrel = self.run([TAVREL], log="tavrel.log")

    def run(self, argv, log=None):
        out = open(os.path.join(self.root, log), "w") if log else subprocess.DEVNULL
        p = subprocess.Popen(["runuser", "-u", self.user, "--", "env", "-i"] +
                             ["%s=%s" % kv for kv in self.env.items()] + argv,
                             stdout=out, stderr=subprocess.STDOUT)
        self.processes.append(p)
        return p

    def state(self):
        try:
            with open(self.dump) as f:
                lines = f.read().split("\n")[:-1]
            return json.loads(lines[-1]) if lines else None
        except (OSError, ValueError):
            return None

    def keys(self):
        s = self.state()
        return int(s["readouts"]["totalKeys"]) if s else -1

    def distance(self):  # tenths of a count
        s = self.state()
        return int(s["readouts"]["totalDistance"]) if s else -1

    def notice(self):
        s = self.state()
        return s["notice"]["text"] if s else ""

    def tip(self):
        s = self.state()
        return s["tray"]["tip"] if s else ""

    def history(self):
        """The sums of the history's columns, once the program has ended."""
        sums = {}
        for path in glob.glob(self.root + "/data/tavrel/history/*.csv"):
            with open(path) as f:
                for row in csv.DictReader(f):
                    for k, v in row.items():
                        if k != "minute":
                            sums[k] = sums.get(k, 0) + int(v)
        return sums

    def end(self):
        self.tavrel.send_signal(signal.SIGTERM)  # keeps the totals and the history, as logoff
        try:
            self.tavrel.wait(60)
        except subprocess.TimeoutExpired:
            self.tavrel.kill()
        for p in self.processes:
            if p.poll() is None:
                p.terminate()
                p.wait(30)

    def log(self):
        try:
            with open(self.root + "/tavrel.log") as f:
                return f.read()[-2000:]
        except OSError:
            return ""


alice = Desktop("alice")
bob = Desktop("bob")
up = wait_for(lambda: alice.state() and bob.state() and
              alice.state()["readouts"]["tickCount"].strip() not in ("---", "") and
              bob.state()["readouts"]["tickCount"].strip() not in ("---", ""), 240)
if not check(up, "both windows are up and ticking"):
    print(alice.log(), bob.log())
    finish()
check(alice.state()["platform"] == "wayland" and bob.state()["platform"] == "wayland",
      "both are Wayland programs")
check(wait_for(lambda: "hand's travel" in alice.notice(), 20),
      "alice's window says the distances are hand travel: %r" % alice.notice())
check(wait_for(lambda: "another session is in front" in bob.notice(), 20),
      "bob's window says why it counts nothing: %r" % bob.notice())
check(bob.tip().endswith("(not counting: session inactive or locked)"),
      "bob's tip says so too: %r" % bob.tip())

pid = service_pid()


def plugged(dev):
    return wait_for(lambda: dev.device.path in opened_by(pid))


def reaches(desktop, keys=None, distance=None, what=""):
    ok = wait_for(lambda: (keys is None or desktop.keys() == keys) and
                  (distance is None or desktop.distance() == distance), 30)
    check(ok, "%s: %s has keys %d, distance %d" % (what, desktop.user, desktop.keys(),
                                                    desktop.distance()))


kbd = keyboard("tavrel wayland keyboard")  # plugged in after both started
check(plugged(kbd), "a keyboard plugged in later is read")
for k in (e.KEY_A, e.KEY_B, e.KEY_C):
    tap(kbd, k)
reaches(alice, keys=3, what="three taps")

rep = RepeatingKeyboard("tavrel wayland repeating keyboard")
check(rep.path is not None and wait_for(lambda: rep.path in opened_by(pid)),
      "a keyboard with kernel repeat is read")
reader = evdev.InputDevice(rep.path)
repeats = hold_key(rep, reader)
keys = 3 + repeats + 1
reaches(alice, keys=keys, what="a held key's %d repeats plus one" % repeats)

m = mouse("tavrel wayland mouse")
check(plugged(m), "a mouse is read")
move(m, 300, 400)
reaches(alice, distance=5000, what="a first motion of (300, 400) as 500")
click(m)
time.sleep(1.0)  # longer than any double-click time: the next two make a pair of their own
click(m)
click(m)
m.write(e.EV_REL, e.REL_WHEEL, 1)
m.syn()
click(m, e.BTN_SIDE)
time.sleep(1.0)
m.write(e.EV_KEY, e.BTN_LEFT, 1)
m.syn()
move(m, 30, 40)
m.write(e.EV_KEY, e.BTN_LEFT, 0)
m.syn()
reaches(alice, distance=5500, what="the wheel nothing, a drag of 50")

pad = touchpad("tavrel wayland touchpad", units_per_mm=40)
check(plugged(pad), "a touchpad is read")
pad.write(e.EV_KEY, e.BTN_TOUCH, 1)
pad.write(e.EV_KEY, e.BTN_TOOL_FINGER, 1)
pad.write(e.EV_ABS, e.ABS_X, 1000)
pad.write(e.EV_ABS, e.ABS_Y, 1000)
pad.syn()
pad.write(e.EV_ABS, e.ABS_X, 1254)  # 6.35 mm: a quarter inch
pad.syn()
pad.write(e.EV_KEY, e.BTN_TOUCH, 0)
pad.write(e.EV_KEY, e.BTN_TOOL_FINGER, 0)
pad.syn()
reaches(alice, distance=8000, what="a touchpad stroke of a quarter inch as 250")
check(bob.keys() == 0 and bob.distance() == 0, "bob, behind, counted nothing of it")

chvt(3)
check(wait_for(lambda: session_active("bob")), "chvt 3 brings bob's session to the front")
check(wait_for(lambda: "hand's travel" in bob.notice(), 20), "bob's Tavrel counts now")
check(wait_for(lambda: "another session is in front" in alice.notice(), 20),
      "alice's says why it does not: %r" % alice.notice())
tap(kbd, e.KEY_E)
tap(kbd, e.KEY_F)
reaches(bob, keys=2, what="bob's two taps")
check(alice.keys() == keys, "alice has none of bob's")

chvt(2)
check(wait_for(lambda: session_active("alice")), "chvt 2 brings alice back")
check(wait_for(lambda: "hand's travel" in alice.notice(), 20), "alice's Tavrel counts again")
tap(kbd, e.KEY_G)
keys += 1
reaches(alice, keys=keys, what="alice's tap after the switch back")
check(bob.keys() == 2, "bob has none of alice's")

# The service goes away: Tavrel says so, and finds it again when it is back.
subprocess.run(["systemctl", "stop", "tavrel-inputd.socket", "tavrel-inputd.service"], check=True)
check(wait_for(lambda: "stopped answering" in alice.notice(), 20),
      "without its service alice's Tavrel says so: %r" % alice.notice())
subprocess.run(["systemctl", "start", "tavrel-inputd.socket"], check=True)
check(wait_for(lambda: "hand's travel" in alice.notice(), 30), "the service found again")
pid = service_pid()
check(wait_for(lambda: len(opened_by(pid)) > 0, 30), "the restarted service reads the devices")
tap(kbd, e.KEY_H)
keys += 1
reaches(alice, keys=keys, what="a tap after the restart")

for d in (alice, bob):
    d.end()
got = alice.history()
want = {"keys": keys, "clicks": 2, "double_clicks": 1, "move_px": 750, "drag_px": 50}
check(all(got.get(k) == v for k, v in want.items()),
      "alice's history holds exactly her input: %s" % got)
got = bob.history()
check(got.get("keys") == 2 and got.get("move_px", 0) == 0 and got.get("clicks", 0) == 0,
      "bob's history holds his two taps alone: %s" % got)
for dev in (kbd, m, pad):
    dev.close()
rep.close()
finish()
