# SPDX-License-Identifier: GPL-3.0-or-later
"""Helpers for the checks that run inside the test virtual machine (as root): the input
service's socket as seen by each user, uinput devices, session switches. A check is a
script tests/vm/check_NAME.py that exits 0 when it passes; guest.sh runs each in turn."""

import json
import os
import pwd
import socket
import struct
import subprocess
import sys
import time

import evdev
from evdev import AbsInfo, UInput, ecodes as e

SOCKET = "/run/tavrel-inputd.socket"
MAGIC_V1 = 0x31525654  # "TVR1": the first version of the messages, still answered
MAGIC = 0x32525654     # "TVR2": the version Tavrel speaks
GRID_S = 0.05          # the service releases counts on this grid only
TAKE = 1
WAIT = 2
REQUEST = struct.Struct("=IIII")  # magic, kind, double-click ms, reserved
REPLY = struct.Struct("=IIffiii")  # magic, status, move, drag, clicks, double-clicks, keys
STATUS = {0: "Counting", 1: "SessionInactive", 2: "NotSeatUser", 3: "BadRequest", 4: "NoDevices"}
FIELDS = ("move", "drag", "clicks", "doubleClicks", "keys")

failures = []


def check(ok, what):
    print(("  ok   " if ok else "  FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def finish():
    if failures:
        print("failed: " + "; ".join(failures), flush=True)
    sys.exit(1 if failures else 0)


def recv_exact(sock, n, timeout=10.0):
    """n bytes, or fewer if the peer closed first."""
    sock.settimeout(timeout)
    data = b""
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            break
        data += chunk
    return data


def become(user=None, uid=None):
    """In a child process: drop root for `user`, or for a bare `uid` no account has."""
    if user is not None:
        pw = pwd.getpwnam(user)
        uid, gid = pw.pw_uid, pw.pw_gid
    elif uid is not None:
        gid = uid
    else:
        return
    os.setgroups([])
    os.setgid(gid)
    os.setuid(uid)


class UserClient:
    """A connection to the service made by a process running as `user` (None: root), or as
    a bare `uid`, kept open across requests. The process serves commands over a socket
    pair."""

    def __init__(self, user=None, uid=None):
        self.user = user
        parent, child = socket.socketpair()
        self.pid = os.fork()
        if self.pid == 0:
            parent.close()
            try:
                become(user, uid)
                self._serve(child)
            finally:
                os._exit(0)
        child.close()
        self.ctl = parent
        self.ctl_file = parent.makefile("rw")
        self.last = None

    @staticmethod
    def _serve(ctl):
        f = ctl.makefile("rw")
        # Connected at the first request: the service closes a connection that asks nothing
        # within two seconds, which a slow guest could take to get from fork to asking.
        sock = None
        for line in f:
            cmd = json.loads(line)
            out = {}
            try:
                if sock is None and cmd["op"] == "send":
                    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                    sock.connect(SOCKET)
                if cmd["op"] == "send":
                    sock.sendall(bytes.fromhex(cmd["hex"]))
                    data = recv_exact(sock, cmd["want"], cmd.get("timeout", 10.0))
                    out["hex"] = data.hex()
                    # Whether more came, or the service closed the connection.
                    sock.settimeout(cmd.get("after", 0.3))
                    try:
                        more = sock.recv(64)
                        out["closed"] = more == b""
                        out["extra"] = more.hex()
                    except socket.timeout:
                        out["closed"] = False
                        out["extra"] = ""
                elif cmd["op"] == "close":
                    if sock is not None:
                        sock.close()
                    out["ok"] = True
            except OSError as err:
                out["error"] = str(err)
            f.write(json.dumps(out) + "\n")
            f.flush()
            if cmd["op"] == "close":
                return

    def _call(self, **cmd):
        self.ctl_file.write(json.dumps(cmd) + "\n")
        self.ctl_file.flush()
        return json.loads(self.ctl_file.readline())

    def send_raw(self, data, want, after=0.3):
        return self._call(op="send", hex=data.hex(), want=want, after=after)

    def take(self, double_click_ms=500):
        """One Take: (status name, dict of the five counts)."""
        out = self._call(op="send", hex=REQUEST.pack(MAGIC, TAKE, double_click_ms, 0).hex(),
                         want=REPLY.size, after=0.0)
        data = bytes.fromhex(out.get("hex", ""))
        if len(data) != REPLY.size:
            raise RuntimeError("reply of %d bytes, %r" % (len(data), out))
        magic, status, *counts = REPLY.unpack(data)
        if magic != MAGIC:
            raise RuntimeError("reply magic %#x" % magic)
        self.last = (STATUS.get(status, str(status)), dict(zip(FIELDS, counts)))
        return self.last

    def settle(self, quiet=1.0, limit=8.0):
        """Takes until nothing new has come for `quiet` seconds: the status of the last take
        and the sums of the counts."""
        total = dict.fromkeys(FIELDS, 0)
        status = None
        last_change = time.monotonic()
        start = last_change
        while True:
            status, counts = self.take()
            if any(counts.values()):
                last_change = time.monotonic()
                for k in FIELDS:
                    total[k] += counts[k]
            now = time.monotonic()
            if now - last_change >= quiet or now - start > limit:
                return status, total
            time.sleep(0.1)

    def close(self):
        try:
            self._call(op="close")
        except (OSError, ValueError):
            pass
        os.waitpid(self.pid, 0)


def counts(move=0, drag=0, clicks=0, doubleClicks=0, keys=0):
    return {"move": move, "drag": drag, "clicks": clicks, "doubleClicks": doubleClicks,
            "keys": keys}


def same_counts(got, want, tolerance=0.01):
    return all(abs(got[k] - want[k]) <= tolerance for k in FIELDS)


def service_pid(timeout=20.0):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        out = subprocess.run(["systemctl", "show", "-p", "MainPID", "--value",
                              "tavrel-inputd.service"], capture_output=True, text=True).stdout
        pid = int(out.strip() or 0)
        if pid:
            return pid
        time.sleep(0.2)
    return 0


def opened_by(pid):
    """The device nodes the process has open."""
    nodes = set()
    try:
        for fd in os.listdir("/proc/%d/fd" % pid):
            try:
                target = os.readlink("/proc/%d/fd/%s" % (pid, fd))
            except OSError:
                continue
            if target.startswith("/dev/input/"):
                nodes.add(target)
    except OSError:
        pass
    return nodes


def wait_for(predicate, timeout=20.0, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


# Devices as udev classifies them: a keyboard has the whole first row of keys; a mouse
# relative X and Y with a left button; a touchpad absolute X and Y with a finger tool.

def hold_key(rep, reader, seconds=1.2):
    """Holds X on the uinput keyboard rep; the kernel's repeats of it, as reader saw them."""
    rep.write(e.EV_KEY, e.KEY_X, 1)
    rep.syn()
    time.sleep(seconds)
    rep.write(e.EV_KEY, e.KEY_X, 0)
    rep.syn()
    time.sleep(0.3)
    repeats = 0
    try:
        for ev in reader.read():
            if ev.type == e.EV_KEY and ev.code == e.KEY_X and ev.value == 2:
                repeats += 1
    except BlockingIOError:
        pass
    return repeats

def keyboard(name):
    return UInput({e.EV_KEY: list(range(1, 128))}, name=name)


class RepeatingKeyboard:
    """A uinput keyboard with EV_REP, so that the kernel repeats its held keys (python-evdev
    cannot ask for that). Made with the uinput ioctls directly."""

    UI_SET_EVBIT = 0x40045564
    UI_SET_KEYBIT = 0x40045565
    UI_DEV_CREATE = 0x5501
    UI_DEV_DESTROY = 0x5502

    def __init__(self, name):
        import fcntl
        self.fd = os.open("/dev/uinput", os.O_WRONLY | os.O_NONBLOCK)
        for ev in (e.EV_SYN, e.EV_KEY, e.EV_REP):
            fcntl.ioctl(self.fd, self.UI_SET_EVBIT, ev)
        for key in range(1, 128):
            fcntl.ioctl(self.fd, self.UI_SET_KEYBIT, key)
        # struct uinput_user_dev: name, id (bus, vendor, product, version), ff_effects_max,
        # then absmax, absmin, absfuzz, absflat of 64 each.
        setup = name.encode().ljust(80, b"\0") + struct.pack("=HHHHI", 3, 1, 1, 1, 0)
        os.write(self.fd, setup + b"\0" * (4 * 64 * 4))
        fcntl.ioctl(self.fd, self.UI_DEV_CREATE)
        self.path = None
        for _ in range(50):
            for n in sorted(os.listdir("/sys/class/input")):
                try:
                    with open("/sys/class/input/%s/device/name" % n) as f:
                        if n.startswith("event") and f.read().strip() == name:
                            self.path = "/dev/input/" + n
                except OSError:
                    pass
            if self.path:
                break
            time.sleep(0.1)

    def write(self, etype, code, value):
        os.write(self.fd, struct.pack("=qqHHi", 0, 0, etype, code, value))

    def syn(self):
        self.write(e.EV_SYN, e.SYN_REPORT, 0)

    def close(self):
        import fcntl
        fcntl.ioctl(self.fd, self.UI_DEV_DESTROY)
        os.close(self.fd)


def mouse(name):
    return UInput({e.EV_KEY: [e.BTN_LEFT, e.BTN_RIGHT, e.BTN_MIDDLE, e.BTN_SIDE, e.BTN_EXTRA],
                   e.EV_REL: [e.REL_X, e.REL_Y, e.REL_WHEEL, e.REL_HWHEEL]}, name=name)


def touchpad(name, units_per_mm, width=4000, height=3000):
    return UInput({e.EV_KEY: [e.BTN_LEFT, e.BTN_TOUCH, e.BTN_TOOL_FINGER, e.BTN_TOOL_DOUBLETAP],
                   e.EV_ABS: [(e.ABS_X, AbsInfo(0, 0, width, 0, 0, units_per_mm)),
                              (e.ABS_Y, AbsInfo(0, 0, height, 0, 0, units_per_mm))]},
                  name=name, input_props=[e.INPUT_PROP_POINTER])


def tap(dev, key):
    dev.write(e.EV_KEY, key, 1)
    dev.syn()
    dev.write(e.EV_KEY, key, 0)
    dev.syn()


def click(dev, button=e.BTN_LEFT):
    dev.write(e.EV_KEY, button, 1)
    dev.syn()
    dev.write(e.EV_KEY, button, 0)
    dev.syn()


def move(dev, dx, dy):
    dev.write(e.EV_REL, e.REL_X, dx)
    dev.write(e.EV_REL, e.REL_Y, dy)
    dev.syn()


def chvt(n):
    subprocess.run(["busybox", "chvt", str(n)], check=True)


def session_of(user):
    out = subprocess.run(["loginctl", "list-sessions", "--no-legend"], capture_output=True,
                         text=True).stdout
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[2] == user:
            return parts[0]
    return None


def session_active(user):
    s = session_of(user)
    if s is None:
        return False
    out = subprocess.run(["loginctl", "show-session", s, "-p", "Active", "--value"],
                         capture_output=True, text=True).stdout
    return out.strip() == "yes"
