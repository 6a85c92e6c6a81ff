# SPDX-License-Identifier: GPL-3.0-or-later
"""The input service with a real kernel: exact counts for the user in front, nothing for
anyone else, the sessions followed, the messages' sizes, and devices and clients that go
away in the middle."""

import os
import subprocess
import threading
import time

import evdev
from evdev import ecodes as e

from vmlib import (REQUEST, REPLY, MAGIC, TAKE, WAIT, RepeatingKeyboard, hold_key, UserClient, check, chvt, click, counts,
                   finish, keyboard, mouse, move, opened_by, same_counts, service_pid,
                   session_active, session_of, tap, touchpad, wait_for)

# A mouse whose resolution the hardware database would know: given here by a rule.
RULES = "/etc/udev/rules.d/70-tavrel-test.rules"
with open(RULES, "w") as f:
    f.write('ACTION=="add|change", SUBSYSTEM=="input", KERNEL=="event*", '
            'ATTRS{name}=="tavrel test mouse 2000", ENV{MOUSE_DPI}="400@125 *2000@125"\n')
subprocess.run(["udevadm", "control", "--reload"], check=True)

alice = UserClient("alice")
status, _ = alice.take()
check(status in ("Counting", "NoDevices"), "alice, in front, is answered (%s)" % status)
pid = service_pid()
check(pid != 0, "the socket started the service")

# Least privilege, as the kernel sees the running service.
with open("/proc/%d/status" % pid) as f:
    st = dict(line.split(":", 1) for line in f.read().splitlines() if ":" in line)
import grp
import pwd
uid = int(st["Uid"].split()[0])
groups = [int(g) for g in st["Groups"].split()]
check(pwd.getpwuid(uid).pw_name == "tavrel-inputd", "runs as tavrel-inputd")
check(grp.getgrnam("input").gr_gid in groups, "in the input group")
check(st["NoNewPrivs"].strip() == "1", "NoNewPrivs")
check(int(st["CapEff"], 16) == 0 and int(st["CapBnd"], 16) == 0, "no capabilities")


def expect(client, want, what):
    status, got = client.settle()
    ok = status == "Counting" and same_counts(got, want)
    check(ok, "%s: %s %s" % (what, status, got if not ok else ""))


def plugged(dev):
    return wait_for(lambda: dev.device.path in opened_by(pid))


def unplugged(path):
    return wait_for(lambda: path not in opened_by(pid))


# Devices plugged in after the service started.
kbd = keyboard("tavrel test keyboard")
check(plugged(kbd), "a keyboard plugged in later is read")
alice.settle()  # whatever came before
for k in (e.KEY_A, e.KEY_B, e.KEY_C):
    tap(kbd, k)
expect(alice, counts(keys=3), "three taps")

rep = RepeatingKeyboard("tavrel test repeating keyboard")
check(rep.path is not None and wait_for(lambda: rep.path in opened_by(pid)),
      "a keyboard with kernel repeat is read")
reader = evdev.InputDevice(rep.path)  # sees the repeats the kernel makes, as the service does
repeats = hold_key(rep, reader)
check(repeats > 0, "the kernel repeated the held key (%d times)" % repeats)
expect(alice, counts(keys=repeats + 1), "a held key: its repeats plus one")

m = mouse("tavrel test mouse")
check(plugged(m), "a mouse is read")
move(m, 300, 400)
expect(alice, counts(move=500), "a first motion of (300, 400), resolution unknown")
click(m)
expect(alice, counts(clicks=1), "a click")
click(m)
click(m)
expect(alice, counts(doubleClicks=1), "a double-click")
m.write(e.EV_REL, e.REL_WHEEL, 1)
m.syn()
m.write(e.EV_REL, e.REL_HWHEEL, -1)
m.syn()
click(m, e.BTN_SIDE)
time.sleep(0.5)
expect(alice, counts(), "the wheel and an extra button count nothing")
m.write(e.EV_KEY, e.BTN_LEFT, 1)
m.syn()
move(m, 30, 40)
m.write(e.EV_KEY, e.BTN_LEFT, 0)
m.syn()
expect(alice, counts(drag=50, clicks=1), "a drag")

m2000 = mouse("tavrel test mouse 2000")
check(plugged(m2000), "a 2000 dpi mouse is read")
move(m2000, 300, 400)
expect(alice, counts(move=250), "(300, 400) from a 2000 dpi mouse")

pad = touchpad("tavrel test touchpad", units_per_mm=40)
check(plugged(pad), "a touchpad is read")


def touch(x, y, down=True):
    if down:
        pad.write(e.EV_KEY, e.BTN_TOUCH, 1)
        pad.write(e.EV_KEY, e.BTN_TOOL_FINGER, 1)
    pad.write(e.EV_ABS, e.ABS_X, x)
    pad.write(e.EV_ABS, e.ABS_Y, y)
    pad.syn()


def lift():
    pad.write(e.EV_KEY, e.BTN_TOUCH, 0)
    pad.write(e.EV_KEY, e.BTN_TOOL_FINGER, 0)
    pad.syn()


touch(1000, 1000)
touch(1254, 1000, down=False)  # 6.35 mm: a quarter inch
lift()
touch(3000, 3000)  # a new stroke starts where the finger lands
lift()
expect(alice, counts(move=250), "a touchpad stroke through its resolution")

# A device grabbed by a remapper gives its input to the remapper only; what the remapper
# emits is counted, once.
grabbed = keyboard("tavrel test grabbed keyboard")
remapper = keyboard("tavrel test remapper")
check(plugged(grabbed) and plugged(remapper), "the grabbed keyboard and the remapper are read")
grabbed.device.grab()
tap(grabbed, e.KEY_Q)
tap(remapper, e.KEY_Q)  # what the remapper makes of it
expect(alice, counts(keys=1), "a grabbed keyboard counts through the remapper, once")
grabbed.device.ungrab()

# The others at the seat, and strangers.
bob = UserClient("bob")
carol = UserClient("carol")
root = UserClient(None)
tap(kbd, e.KEY_D)
status, got = bob.take()
check(status == "SessionInactive" and not any(got.values()), "bob, behind, gets nothing: %s" % status)
for who, client in (("carol", carol), ("root", root)):
    status, got = client.take()
    check(status == "NotSeatUser" and not any(got.values()), "%s, no seat user, is refused: %s" % (who, status))
expect(alice, counts(keys=1), "alice's tap is hers")

chvt(3)
check(wait_for(lambda: session_active("bob")), "chvt 3 brings bob's session to the front")
time.sleep(0.5)
bob.settle()
tap(kbd, e.KEY_E)
tap(kbd, e.KEY_F)
expect(bob, counts(keys=2), "bob, now in front, gets his taps")
status, got = alice.take()
check(status == "SessionInactive" and not any(got.values()), "alice, now behind, gets nothing: %s" % status)
chvt(2)
check(wait_for(lambda: session_active("alice")), "chvt 2 brings alice back")
time.sleep(0.5)
tap(kbd, e.KEY_G)
expect(alice, counts(keys=1), "alice gets her tap and none of bob's")
status, _ = bob.take()
check(status == "SessionInactive", "bob is behind again")

# The lock screen: nothing is counted for anyone.
session = session_of("alice")
path = subprocess.run(["busctl", "--system", "call", "org.freedesktop.login1",
                       "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                       "GetSession", "s", session], capture_output=True, text=True).stdout.split()[-1].strip('"')


def locked_hint(on):
    subprocess.run(["busctl", "--system", "call", "org.freedesktop.login1", path,
                    "org.freedesktop.login1.Session", "SetLockedHint", "b",
                    "true" if on else "false"], check=True)


locked_hint(True)
check(wait_for(lambda: alice.take()[0] == "SessionInactive", timeout=10), "locked: alice is told")
tap(kbd, e.KEY_H)  # the password
time.sleep(1.0)
locked_hint(False)
check(wait_for(lambda: alice.take()[0] == "Counting", timeout=10), "unlocked: counting again")
expect(alice, counts(), "nothing typed at the lock screen is counted")

# The messages: a reply is 28 bytes and nothing more; a bad request is refused and closed;
# a client that leaves mid-request and a device unplugged mid-stream harm nobody.
probe = UserClient("alice")
out = probe.send_raw(REQUEST.pack(MAGIC, TAKE, 500, 0), REPLY.size, after=0.5)
check(len(bytes.fromhex(out["hex"])) == 28 and out["extra"] == "" and not out["closed"],
      "a Take is answered with exactly 28 bytes")
out = probe.send_raw(REQUEST.pack(0xDEADBEEF, TAKE, 500, 0), REPLY.size, after=1.0)
reply = REPLY.unpack(bytes.fromhex(out["hex"]))
check(reply[1] == 3 and reply[2:] == (0.0, 0.0, 0, 0, 0) and out["closed"],
      "a bad magic: BadRequest, no counts, connection closed")
probe.close()
probe = UserClient("alice")
out = probe.send_raw(REQUEST.pack(MAGIC, 9, 500, 0), REPLY.size, after=1.0)
check(REPLY.unpack(bytes.fromhex(out["hex"]))[1] == 3 and out["closed"], "a bad kind: BadRequest")
probe.close()

# A Wait is held while nothing happens, and the next count answers it.
waiter = UserClient("alice")
waiter.take()  # the first reply says the status
held = {}


def wait_once():
    started = time.monotonic()
    out = waiter.send_raw(REQUEST.pack(MAGIC, WAIT, 500, 0), REPLY.size, after=0.2)
    held["after"] = time.monotonic() - started
    data = bytes.fromhex(out.get("hex", ""))
    held["reply"] = REPLY.unpack(data) if len(data) == REPLY.size else None


thread = threading.Thread(target=wait_once)
thread.start()
time.sleep(1.5)
check("after" not in held, "a Wait with nothing to say is held")
tap(kbd, e.KEY_W)
thread.join(10)
reply = held.get("reply")
check(reply is not None and reply[1] == 0 and reply[6] == 1 and held["after"] >= 1.4,
      "the next key answers the Wait: %r" % held)
waiter.close()
alice.settle()  # that key
half = UserClient("alice")
half.send_raw(REQUEST.pack(MAGIC, TAKE, 500, 0)[:7], 0, after=0.2)
half.close()

gone = mouse("tavrel test unplugged mouse")
check(plugged(gone), "a mouse to unplug is read")
gone_path = gone.device.path
gone.write(e.EV_KEY, e.BTN_LEFT, 1)
gone.write(e.EV_REL, e.REL_X, 77)  # no report: the frame never ends
gone.close()
check(unplugged(gone_path), "the unplugged mouse is let go")
# The kernel releases what a vanishing device held and ends its frame: the 77 counts are a
# move, the release a click, and no button stays down to turn later moves into drags.
move(m, 3, 4)
expect(alice, counts(move=82, clicks=1), "after the unplug (button held) and the half request: moves, not drags")
check(service_pid() == pid, "the service still runs, the same process")

for c in (alice, bob, carol, root):
    c.close()
os.remove(RULES)
finish()
