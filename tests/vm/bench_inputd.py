"""Figures of the input service with a real kernel: its wake-ups while nothing happens and
its CPU while a mouse moves 100 times a second and a keyboard types 10 keys a second, with
one client taking every 50 ms as Tavrel does. Run it by name: tests/vm/run.sh bench_inputd
(the guest is software-emulated: CPU figures are those of the emulated CPU)."""

import time

from evdev import ecodes as e

from vmlib import UserClient, check, counts, finish, keyboard, mouse, move, opened_by
from vmlib import same_counts, service_pid, wait_for

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

total = counts()
t0 = time.monotonic()
c0 = sched(pid)
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
wall = time.monotonic() - t0
_, rest = alice.settle()
for k in total:
    total[k] += rest[k]
moves, keys = tick, (tick + 9) // 10
cpu = (c1[0] - c0[0]) / 1e9
print("FIGURE replay: %d moves and %d keys in %.1f s (%.0f moves/s, %.1f keys/s), "
      "%d Takes; service CPU %.3f s = %.2f %% of one CPU, scheduled %d times"
      % (moves, keys, wall, moves / wall, keys / wall, int(wall / 0.05), cpu,
         100 * cpu / wall, c1[1] - c0[1]), flush=True)
check(same_counts(total, counts(move=5 * moves, keys=keys), tolerance=0.5),
      "every replayed move and key counted: %s" % total)
alice.close()
finish()
