# SPDX-License-Identifier: GPL-3.0-or-later
"""The input service read as an attacker would, with a real kernel: what a client of the user
in front learns of a key's time, strangers trying to crowd that user out, devices that claim
absurd motion, keys queued across a session switch, the login screen, a lost D-Bus and a lock
hint cleared behind logind's lock. Runs last: it stops and restarts the system bus."""

import fcntl
import json
import os
import select
import socket
import statistics
import subprocess
import time

from evdev import AbsInfo, UInput, ecodes as e

from vmlib import (GRID_S, MAGIC, REPLY, REQUEST, TAKE, WAIT, UserClient, become, check, chvt,
                   counts, finish, keyboard, mouse, move, opened_by, same_counts, service_pid,
                   session_active, session_of, tap, wait_for)

VT_ACTIVATE = 0x5606

alice = UserClient("alice")
bob = UserClient("bob")
status, _ = alice.take()
check(status == "Counting", "alice, in front, is counted (%s)" % status)
pid = service_pid()

# The hardened unit, as the running system rates it.
out = subprocess.run(["systemd-analyze", "security", "tavrel-inputd.service"],
                     capture_output=True, text=True).stdout
exposure = [line for line in out.splitlines() if "Overall exposure level" in line]
level = float(exposure[-1].split(":")[1].split()[0]) if exposure else 99
print("FIGURE systemd-analyze security: %s" % (exposure[-1].strip() if exposure else out[-300:]))
check(level <= 0.7, "the unit's exposure is at most 0.7 (%.1f)" % level)


def status_now(user="alice"):
    c = UserClient(user)
    try:
        return c.take()[0]
    except RuntimeError:
        return "closed"
    finally:
        c.close()


def take_or_closed(client):
    try:
        return client.take()
    except RuntimeError:
        return "closed", counts()


def plugged(dev):
    path = dev.device.path if hasattr(dev, "device") else dev
    return wait_for(lambda: path in opened_by(pid))


def expect(client, want, what):
    status, got = client.settle()
    ok = status == "Counting" and same_counts(got, want)
    check(ok, "%s: %s %s" % (what, status, got if not ok else ""))


kbd = keyboard("tavrel trust keyboard")
m = mouse("tavrel trust mouse")
check(plugged(kbd) and plugged(m), "a keyboard and a mouse are read")
alice.settle()


# --- What a client learns of a key's time ---------------------------------------------

def replies_as_alice(kind, seconds):
    """A process of alice's that holds a Wait, or spins Take, for `seconds`: the monotonic
    time and keys of every reply, as JSON through a pipe."""
    r, w = os.pipe()
    child = os.fork()
    if child == 0:
        os.close(r)
        try:
            become("alice")
            s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            s.connect("/run/tavrel-inputd.socket")
            s.sendall(REQUEST.pack(MAGIC, TAKE, 500, 0))
            s.recv(REPLY.size, socket.MSG_WAITALL)  # the status
            got = []
            end = time.monotonic() + seconds
            s.settimeout(0.5)
            while time.monotonic() < end:
                s.sendall(REQUEST.pack(MAGIC, kind, 500, 0))
                while True:
                    try:
                        data = s.recv(REPLY.size, socket.MSG_WAITALL)
                        break
                    except socket.timeout:
                        if time.monotonic() > end + 5:
                            data = b""
                            break
                at = time.monotonic()
                if len(data) != REPLY.size:
                    break
                got.append((at, REPLY.unpack(data)[6]))
            os.write(w, json.dumps(got).encode())
        finally:
            os._exit(0)
    os.close(w)
    return child, r


def collect(child, r):
    data = b""
    while True:
        chunk = os.read(r, 65536)
        if not chunk:
            break
        data += chunk
    os.close(r)
    os.waitpid(child, 0)
    return json.loads(data or b"[]")


def phase(t):
    return t % GRID_S


# Taps at times spread over the grid's phase; a Wait answers each at the next grid point.
child, r = replies_as_alice(WAIT, 6.0)
time.sleep(0.5)
taps = []
for i in range(16):
    time.sleep(0.2 + (i * 0.037) % 0.1)
    tap(kbd, e.KEY_T)
    taps.append(time.monotonic())
replies = [(t, k) for t, k in collect(child, r) if k > 0]
delays = []
for t in taps:
    later = [at for at, _ in replies if at >= t]
    if later:
        delays.append(later[0] - t)
tap_phases = [phase(t) * 1000 for t in taps]
reply_phases = sorted(phase(t) * 1000 for t, _ in replies)
print("FIGURE Wait: %d taps, %d replies; delay median %.0f ms, max %.0f ms; tap phases %.0f-%.0f ms, "
      "reply phases median %.1f ms, p90 %.1f ms after a grid point"
      % (len(taps), len(replies), 1000 * statistics.median(delays or [0]),
         1000 * max(delays or [0]), min(tap_phases), max(tap_phases),
         statistics.median(reply_phases or [0]),
         reply_phases[int(0.9 * (len(reply_phases) - 1))] if reply_phases else 0), flush=True)
check(sum(k for _, k in replies) == len(taps), "every tap reached the Wait, once")
check(len(reply_phases) > 0 and reply_phases[int(0.9 * (len(reply_phases) - 1))] < 20,
      "a Wait is answered just after a grid point, whenever the key came")
check(max(delays or [1]) < GRID_S + 0.04, "and no later than the next point")

# A client that spins Take gets about one reply a grid period, each as of the last point.
child, r = replies_as_alice(TAKE, 3.0)
start = time.monotonic()
while time.monotonic() - start < 2.5:
    tap(kbd, e.KEY_S)
    time.sleep(0.07)
spun = collect(child, r)
span = (spun[-1][0] - spun[0][0]) if len(spun) > 1 else 1
rate = (len(spun) - 1) / span
late = sorted(phase(t) * 1000 for t, k in spun if k > 0)
print("FIGURE spinning Take: %d replies in %.2f s = %.1f a second (grid: %.0f); replies with keys "
      "came %.1f ms (median) after a grid point" % (len(spun), span, rate, 1 / GRID_S,
                                                    statistics.median(late or [0])), flush=True)
check(rate <= 1 / GRID_S * 1.1, "a spinning client gets at most one reply a grid period")
check(len(late) > 0 and statistics.median(late) < 20, "and learns of keys at grid points only")
alice.settle()


# --- Strangers cannot crowd out the user in front -------------------------------------

def stranger(uid, seconds):
    """A process of a uid with no session: keeps 8 connections open, each with half a
    request, opening another whenever the service closes one."""
    child = os.fork()
    if child == 0:
        try:
            become(uid=uid)
            held = []
            closed = 0
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                while len(held) < 8:
                    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                    try:
                        s.connect("/run/tavrel-inputd.socket")
                        s.send(REQUEST.pack(MAGIC, TAKE, 500, 0)[:7])
                        held.append(s)
                    except OSError:
                        s.close()
                        time.sleep(0.05)
                        break
                ready, _, _ = select.select(held, [], [], 0.2)
                for s in ready:
                    try:
                        gone = s.recv(64) == b""
                    except OSError:
                        gone = True
                    if gone:
                        s.close()
                        held.remove(s)
                        closed += 1
                time.sleep(0.02)
            print("  stranger %d: the service closed %d of its connections" % (uid, closed),
                  flush=True)
        finally:
            os._exit(0)
    return child


strangers = [stranger(60001 + i, 12.0) for i in range(8)]
time.sleep(4.0)  # every stranger has tried its 8 by now
late_alice = UserClient("alice")
status, _ = late_alice.take()
check(status == "Counting", "with 8 strangers x 8 connections, alice connects and is counted (%s)" % status)
status = status_now("bob")
check(status == "SessionInactive", "and bob is answered too (%s)" % status)
for k in (e.KEY_A, e.KEY_B, e.KEY_C):
    tap(kbd, k)
expect(late_alice, counts(keys=3), "alice's three taps, counted among the strangers")
for child in strangers:
    os.waitpid(child, 0)
late_alice.close()
alice.settle()


# --- Devices that claim absurd motion -------------------------------------------------

i32max = 2**31 - 1
pad = UInput({e.EV_KEY: [e.BTN_LEFT, e.BTN_TOUCH, e.BTN_TOOL_FINGER],
              e.EV_ABS: [(e.ABS_X, AbsInfo(0, -2**31, i32max, 0, 0, 1)),
                         (e.ABS_Y, AbsInfo(0, -2**31, i32max, 0, 0, 1))]},
             name="tavrel trust absurd touchpad", input_props=[e.INPUT_PROP_POINTER])
check(plugged(pad), "a touchpad claiming 1 unit a mm over the whole int32 range is read")
pad.write(e.EV_KEY, e.BTN_TOUCH, 1)
pad.write(e.EV_KEY, e.BTN_TOOL_FINGER, 1)
for i in range(200):
    at = i32max if i % 2 else -2**31
    pad.write(e.EV_ABS, e.ABS_X, at)
    pad.write(e.EV_ABS, e.ABS_Y, at)
    pad.syn()
    if i % 50 == 49:
        time.sleep(0.1)
pad.write(e.EV_KEY, e.BTN_TOUCH, 0)
pad.write(e.EV_KEY, e.BTN_TOOL_FINGER, 0)
pad.syn()
m.write(e.EV_REL, e.REL_X, i32max)
m.write(e.EV_REL, e.REL_X, i32max)
m.syn()
time.sleep(0.5)
status, got = alice.settle()
check(not any(got.values()), "the absurd strokes and a mouse frame of 2 x INT32_MAX count nothing: %s" % got)
for i in range(1000):
    move(m, 3, 4)
    if i % 10 == 9:
        time.sleep(0.05)  # the guest reads slowly: no frame lost to a full buffer
expect(alice, counts(move=5000), "then 1000 moves of (3, 4) count exactly 5000")
pad.close()


# --- A device with three keys ---------------------------------------------------------

three = UInput({e.EV_KEY: [e.KEY_1, e.KEY_2, e.KEY_3]}, name="tavrel trust three keys")
check(plugged(three), "a device with three keys (udev: ID_INPUT_KEY, no keyboard) is read")
for k in (e.KEY_1, e.KEY_2, e.KEY_3):
    tap(three, k)
expect(alice, counts(keys=3), "three taps on it count 3")
three.close()


# --- Keys queued before a session switch ----------------------------------------------

def vt(n):
    with open("/dev/tty0", "w") as tty:
        fcntl.ioctl(tty, VT_ACTIVATE, n)


given_to_bob = 0
kept_by_alice = 0
for round_ in range(3):
    for i in range(60):
        kbd.write(e.EV_KEY, e.KEY_Q, 1)
        kbd.write(e.EV_KEY, e.KEY_Q, 0)
        kbd.syn()
    vt(3)  # at once, while the service may not have read them yet
    wait_for(lambda: session_active("bob"))
    status, got = bob.settle()
    given_to_bob += got["keys"]
    chvt(2)
    wait_for(lambda: session_active("alice"))
    status, got = alice.settle()
    kept_by_alice += got["keys"]
print("FIGURE chvt: 180 keys typed by alice just before the switch; %d counted for alice, "
      "%d for bob" % (kept_by_alice, given_to_bob), flush=True)
check(given_to_bob == 0, "keys queued before chvt never reach the next user")


# --- The login screen -----------------------------------------------------------------

subprocess.run(["useradd", "-r", "-M", "tavrel-greeter"], check=True)
subprocess.run(["systemd-run", "--quiet", "--unit=session-greeter", "--uid=tavrel-greeter",
                "-p", "PAMName=login", "-p", "TTYPath=/dev/tty4", "-p", "StandardInput=tty",
                "-p", "StandardOutput=tty", "-E", "XDG_SESSION_CLASS=greeter",
                "/bin/sleep", "infinity"], check=True)
check(wait_for(lambda: session_of("tavrel-greeter") is not None, 30), "a greeter session is made")
greeter_class = subprocess.run(["loginctl", "show-session", session_of("tavrel-greeter") or "",
                                "-p", "Class", "--value"], capture_output=True, text=True).stdout
chvt(4)
check(wait_for(lambda: session_active("tavrel-greeter")), "chvt 4 brings the login screen (%s)"
      % greeter_class.strip())
time.sleep(0.5)
status = status_now("tavrel-greeter")
check(status == "NotSeatUser", "the login screen's user is nobody to count for (%s)" % status)
status, _ = alice.take()
check(status == "SessionInactive", "alice is told she is not in front (%s)" % status)
for k in (e.KEY_P, e.KEY_W, e.KEY_D):
    tap(kbd, k)
time.sleep(1.0)
chvt(2)
check(wait_for(lambda: session_active("alice")), "chvt 2 brings alice back")
time.sleep(0.5)
expect(alice, counts(), "the login screen's typing counts for nobody")


# --- Logind's lock and a hint cleared behind it ---------------------------------------

session = session_of("alice")
path = subprocess.run(["busctl", "--system", "call", "org.freedesktop.login1",
                       "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                       "GetSession", "s", session], capture_output=True,
                      text=True).stdout.split()[-1].strip('"')
subprocess.run(["loginctl", "lock-session", session], check=True)
check(wait_for(lambda: alice.take()[0] == "SessionInactive", 10), "logind's lock: alice is told")
cleared = subprocess.run(["runuser", "-u", "alice", "--", "busctl", "--system", "call",
                          "org.freedesktop.login1", path, "org.freedesktop.login1.Session",
                          "SetLockedHint", "b", "false"], capture_output=True, text=True)
check(cleared.returncode == 0, "alice's own program clears the lock hint: %s" % cleared.stderr.strip())
for k in (e.KEY_P, e.KEY_A, e.KEY_S):
    tap(kbd, k)  # the password
time.sleep(1.0)
status, got = alice.take()
check(status == "SessionInactive" and not any(got.values()),
      "a cleared hint does not end logind's lock: %s %s" % (status, got))
subprocess.run(["loginctl", "unlock-session", session], check=True)
check(wait_for(lambda: alice.take()[0] == "Counting", 10), "logind's unlock: counting again")
expect(alice, counts(), "nothing typed behind the lock is counted")


# --- A lost system bus ----------------------------------------------------------------
# While logind itself restarts without the bus, alice may briefly have no session on the
# seat as the service reads it: she is then told so and her connection closed, as any
# client's; status_now makes a new one for each look.
subprocess.run(["systemctl", "stop", "dbus.socket", "dbus.service"], check=True)
check(wait_for(lambda: status_now() in ("SessionInactive", "NotSeatUser"), 20),
      "the system bus stopped: the lock cannot be known, nothing counts")
for k in (e.KEY_B, e.KEY_U, e.KEY_S):
    tap(kbd, k)
time.sleep(1.0)
status, got = take_or_closed(alice)
check(not any(got.values()), "typing without the bus counts nothing for a client that "
      "stayed connected (%s): %s" % (status, got))
subprocess.run(["systemctl", "start", "dbus.socket", "dbus.service"], check=True)
check(wait_for(lambda: status_now() == "Counting", 90), "the bus is back: the service found it again")
status, got = take_or_closed(alice)
check(not any(got.values()), "nothing from the outage was counted (%s): %s" % (status, got))
alice.close()
subprocess.run(["systemctl", "restart", "dbus.service"], check=True)
check(wait_for(lambda: status_now() == "Counting", 90), "after a restart of the bus, counting again")
alice = UserClient("alice")
alice.settle()
tap(kbd, e.KEY_R)
tap(kbd, e.KEY_R)
expect(alice, counts(keys=2), "and counted exactly")
check(service_pid() == pid, "the service ran through it all, the same process")

for c in (alice, bob):
    c.close()
kbd.close()
m.close()
finish()
