# SPDX-License-Identifier: GPL-3.0-or-later
"""Figures of the input service with a real kernel: its wake-ups while nothing happens, its
CPU while a mouse moves 100 times a second and a keyboard types 10 keys a second, with one
client taking every 50 ms as Tavrel does, and its CPU while one client asks as fast as it
can. Run it by name: tests/vm/run.sh bench_inputd (the guest is software-emulated: CPU
figures are those of the emulated CPU)."""

import os
import socket
import subprocess
import time

from evdev import ecodes as e

from vmlib import MAGIC, REPLY, REQUEST, TAKE, UserClient, become, check, counts, finish
from vmlib import keyboard, mouse, move, opened_by, same_counts, service_pid, wait_for

IDLE_S = 10
REPLAY_S = 20


def sched(pid):
    """(ns on the CPU, times scheduled) of every thread of the process."""
    import os
    ns = runs = 0
    for tid in os.listdir("/proc/%d/task" % pid):
        with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
            a, _, c = f.read().split()
            ns += int(a)
            runs += int(c)
    return ns, runs


def switches(pid):
    with open("/proc/%d/status" % pid) as f:
        st = dict(line.split(":", 1) for line in f.read().splitlines() if ":" in line)
    return int(st["voluntary_ctxt_switches"]) + int(st["nonvoluntary_ctxt_switches"])


alice = UserClient("alice")
alice.take()
pid = service_pid()
kbd = keyboard("tavrel bench keyboard")
m = mouse("tavrel bench mouse")
check(wait_for(lambda: {kbd.device.path, m.device.path} <= opened_by(pid)), "devices read")
alice.settle()

s0, n0 = switches(pid), sched(pid)
time.sleep(IDLE_S)
s1, n1 = switches(pid), sched(pid)
print("FIGURE idle: %d context switches, %d times scheduled, %.0f us CPU in %d s"
      % (s1 - s0, n1[1] - n0[1], (n1[0] - n0[0]) / 1000, IDLE_S), flush=True)
check(s1 == s0 and n1[1] == n0[1], "no wake-up while idle")

# The floor, in the same run: a bare reader of each device (cat), woken by the same events
# and reading them, with no counting, no clients and no sessions.
floors = [subprocess.Popen(["cat", path], stdout=subprocess.DEVNULL)
          for path in (kbd.device.path, m.device.path)]
time.sleep(0.5)
total = counts()
t0 = time.monotonic()
c0 = sched(pid)
f0 = [sched(p.pid) for p in floors]
next_take = t0
tick = 0
while True:
    now = time.monotonic()
    if now - t0 >= REPLAY_S:
        break
    due = int((now - t0) * 100)
    while tick < due:
        move(m, 3 if tick % 2 else -3, 4)
        if tick % 10 == 0:
            kbd.write(e.EV_KEY, e.KEY_A, 1)
            kbd.syn()
            kbd.write(e.EV_KEY, e.KEY_A, 0)
            kbd.syn()
        tick += 1
    if now >= next_take:
        _, got = alice.take()
        for k in total:
            total[k] += got[k]
        next_take += 0.05
    time.sleep(0.002)
c1 = sched(pid)
f1 = [sched(p.pid) for p in floors]
wall = time.monotonic() - t0
for p in floors:
    p.kill()
floor_cpu = sum(b[0] - a[0] for a, b in zip(f0, f1)) / 1e9
_, rest = alice.settle()
for k in total:
    total[k] += rest[k]
moves, keys = tick, (tick + 9) // 10
cpu = (c1[0] - c0[0]) / 1e9
print("FIGURE replay: %d moves and %d keys in %.1f s (%.0f moves/s, %.1f keys/s), "
      "%d Takes; service CPU %.3f s = %.2f %% of one CPU, scheduled %d times"
      % (moves, keys, wall, moves / wall, keys / wall, int(wall / 0.05), cpu,
         100 * cpu / wall, c1[1] - c0[1]), flush=True)
print("FIGURE floor: two cat readers of the same devices: CPU %.3f s = %.2f %% of one CPU; "
      "service / floor %.2f" % (floor_cpu, 100 * floor_cpu / wall, cpu / floor_cpu if floor_cpu else 0),
      flush=True)
# Exactness is check_inputd's; here an emulated guest that falls behind lets the kernel's
# buffer of a device overflow (SYN_DROPPED), and the frames it drops are lost to every reader.
lost = 5 * moves - total["move"]
print("FIGURE counted: %s; moves lost to the kernel's overflowing buffer: %.0f" % (total, lost / 5),
      flush=True)
check(total["keys"] == keys and 0 <= lost <= 0.05 * 5 * moves and total["drag"] == 0,
      "the replay counted, keys exactly: %s" % total)


# One client of alice's asking as fast as it can, with no input: the service answers it once
# a grid period. The floor, in the same run: the same client against a bare responder that
# answers every request at once, as the service did before the grid.
SPIN_S = 10


def spin(path, seconds, user="alice"):
    """A process of `user` sending Takes to `path` back to back; the replies it got."""
    r, w = os.pipe()
    child = os.fork()
    if child == 0:
        os.close(r)
        try:
            become(user)
            s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            s.connect(path)
            n = 0
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                s.sendall(REQUEST.pack(MAGIC, TAKE, 500, 0))
                if len(s.recv(REPLY.size, socket.MSG_WAITALL)) != REPLY.size:
                    break
                n += 1
            os.write(w, str(n).encode())
        finally:
            os._exit(0)
    os.close(w)
    return child, r


def replies(child, r):
    n = int(os.read(r, 64) or b"0")
    os.close(r)
    os.waitpid(child, 0)
    return n


c0 = sched(pid)
child, r = spin("/run/tavrel-inputd.socket", SPIN_S)
n = replies(child, r)
c1 = sched(pid)
cpu = (c1[0] - c0[0]) / 1e9
print("FIGURE spinning client: %d replies in %d s (%.1f a second); service CPU %.3f s = %.2f %% "
      "of one CPU, scheduled %d times" % (n, SPIN_S, n / SPIN_S, cpu, 100 * cpu / SPIN_S,
                                          c1[1] - c0[1]), flush=True)
check(n <= SPIN_S * 21, "at most one reply a grid period (%d in %d s)" % (n, SPIN_S))

responder_path = "/run/tavrel-bench-responder.socket"
responder = subprocess.Popen(["python3", "-c", """
import os, socket, struct, sys
path = sys.argv[1]
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.bind(path); os.chmod(path, 0o666); s.listen(1)
c, _ = s.accept()
reply = struct.pack('=IIffiii', %d, 0, 0.0, 0.0, 0, 0, 0)
while True:
    data = c.recv(16, socket.MSG_WAITALL)
    if len(data) != 16: break
    c.sendall(reply)
""" % MAGIC, responder_path])
wait_for(lambda: os.path.exists(responder_path))
f0 = sched(responder.pid)
child, r = spin(responder_path, SPIN_S)
floor_n = replies(child, r)
f1 = sched(responder.pid)
responder.wait(10)
floor_cpu = (f1[0] - f0[0]) / 1e9
print("FIGURE floor: a bare responder answering at once: %d replies in %d s (%.0f a second); "
      "its CPU %.3f s = %.2f %% of one CPU" % (floor_n, SPIN_S, floor_n / SPIN_S, floor_cpu,
                                               100 * floor_cpu / SPIN_S), flush=True)
alice.close()
finish()
