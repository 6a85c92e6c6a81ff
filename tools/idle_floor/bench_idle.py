#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Idle cost of Tavrel beside two do-nothing floors, all under Wine.

    bench_idle.py --bin DIR --tavrel-prefix P1 --floor-prefix P2 --counter-prefix P3
                  [--shown S] [--hidden S]

The floors are idle_floor.exe as it is (a window, a tray icon, a 50 ms timer doing nothing)
and the same showing its tick count in a label set on every tick, which is what any visible
20 Hz counter costs. Hidden, Tavrel is compared with the bare floor; shown, with the floor
with a counter. The three run at the same time, each in a Wine prefix of its own (made
beforehand, with no other program in it), on the X display of DISPLAY. The CPU time (utime + stime from
/proc/<pid>/stat) of each program and of its prefix's wineserver is measured over an idle
period with the windows shown and then one with them hidden; the resident memory (VmRSS) at
the end of each. Prints a table and the ratios against the targets; exits with 1 when a
target is missed.
"""
import argparse
import os
import subprocess
import sys
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
IDCANCEL = 2
# phase -> (floor it is compared with, largest ratio)
TARGETS = {"shown": ("counter", 1.2), "hidden": ("floor", 1.2)}
RSS_LIMIT_MIB = 30


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # After the name: state is field 3, utime 14 and stime 15 (counted from 1).
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def prefix_processes(prefix):
    """pid -> name of every process of ours started in the given Wine prefix."""
    found = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/environ", "rb") as f:
                environ = f.read().split(b"\0")
            with open(f"/proc/{entry}/comm") as f:
                name = f.read().strip()
        except OSError:
            continue
        if f"WINEPREFIX={prefix}".encode() in environ:
            found[int(entry)] = name
    return found


class Subject:
    """One program under measurement with its prefix."""

    def __init__(self, label, bin_dir, exe, prefix, probe_options, args=()):
        self.label, self.bin_dir, self.exe, self.prefix = label, bin_dir, exe, prefix
        self.probe_options = probe_options
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
        self.proc = subprocess.Popen(["wine", exe, *args], cwd=bin_dir, env=self.env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.server = None
        self.samples = {}

    def probe(self, *commands):
        """Runs a one-shot probe (never during a measured period: it costs CPU itself)."""
        args = []
        for command in commands:
            args += command.split() + [","]
        result = subprocess.run(
            ["wine", os.path.join(self.bin_dir, "tavrel_probe.exe"), *self.probe_options,
             *args[:-1]], env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        lines = result.stdout.decode("latin-1").split()
        if result.returncode != 0:
            raise SystemExit(f"bench: {self.label}: probe {commands}: {' '.join(lines)}")
        return lines

    def find_server(self):
        for pid, name in prefix_processes(self.prefix).items():
            if name.startswith("wineserver"):
                self.server = pid
                return
        raise SystemExit(f"bench: no wineserver for {self.prefix}")

    def others(self):
        return [pid for pid in prefix_processes(self.prefix)
                if pid not in (self.proc.pid, self.server)]

    def snapshot(self):
        other = 0.0
        for pid in self.others():
            try:
                other += cpu_seconds(pid)
            except OSError:
                pass
        return cpu_seconds(self.proc.pid), cpu_seconds(self.server), other

    def measure(self, phase, start, end):
        app, server, other = (e - s for s, e in zip(start, end))
        self.samples[phase] = {"app": app, "server": server, "other": other,
                               "rss": rss_mib(self.proc.pid)}

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def run_phase(subjects, phase, seconds):
    start = [s.snapshot() for s in subjects]
    time.sleep(seconds)
    end = [s.snapshot() for s in subjects]
    for subject, a, b in zip(subjects, start, end):
        subject.measure(phase, a, b)


def report(subjects, durations):
    by_label = {s.label: s for s in subjects}
    tavrel = by_label["Tavrel"]
    print(f"{'phase':8} {'program':10} {'program s':>10} {'server s':>9} {'sum s':>7} "
          f"{'% core':>7} {'others s':>9} {'RSS MiB':>8}")
    for phase in ("shown", "hidden"):
        for s in subjects:
            m = s.samples[phase]
            total = m["app"] + m["server"]
            print(f"{phase:8} {s.label:10} {m['app']:10.2f} {m['server']:9.2f} {total:7.2f} "
                  f"{100 * total / durations[phase]:6.2f}% {m['other']:9.2f} {m['rss']:8.1f}")
    print("('others': the prefix's other Wine processes, such as explorer.exe; not in the sums)")
    missed = False
    for phase, (floor_label, limit) in TARGETS.items():
        floor = by_label[floor_label]
        t = tavrel.samples[phase]["app"] + tavrel.samples[phase]["server"]
        f = floor.samples[phase]["app"] + floor.samples[phase]["server"]
        ratio = t / f if f > 0 else float("inf")
        ok = ratio <= limit
        missed |= not ok
        print(f"{phase}: Tavrel / {floor_label} = {t:.2f} s / {f:.2f} s = {ratio:.2f} "
              f"(target <= {limit}): {'met' if ok else 'MISSED'}")
    rss = max(tavrel.samples[p]["rss"] for p in TARGETS)
    ok = rss < RSS_LIMIT_MIB
    missed |= not ok
    print(f"Tavrel RSS: {rss:.1f} MiB (target < {RSS_LIMIT_MIB} MiB): {'met' if ok else 'MISSED'}")
    return missed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--tavrel-prefix", required=True)
    parser.add_argument("--floor-prefix", required=True)
    parser.add_argument("--counter-prefix", required=True)
    parser.add_argument("--shown", type=float, default=60)
    parser.add_argument("--hidden", type=float, default=60)
    parser.add_argument("--settle", type=float, default=3)
    args = parser.parse_args()

    # A move over Tavrel's window would raise its pain and its alarm: keep the pointer away.
    subprocess.run(["xdotool", "mousemove", "10000", "10000"], check=True)
    subjects = [
        Subject("Tavrel", args.bin, "Tavrel.exe", args.tavrel_prefix, []),
        Subject("floor", args.bin, "idle_floor.exe", args.floor_prefix,
                ["--class", "TavrelIdleFloor", "--title", "Idle floor"]),
        Subject("counter", args.bin, "idle_floor.exe", args.counter_prefix,
                ["--class", "TavrelIdleFloor", "--title", "Idle floor counter"], ["counter"]),
    ]
    try:
        for s in subjects:
            s.probe("wait 30000", "wait-visible 10000")
            s.find_server()
        time.sleep(args.settle)
        print(f"bench: {args.shown:g} s shown", file=sys.stderr)
        run_phase(subjects, "shown", args.shown)
        for s in subjects:
            if s.probe(f"command {IDCANCEL}", "visible")[1] != "0":
                raise SystemExit(f"bench: {s.label} did not hide")
        time.sleep(args.settle)
        print(f"bench: {args.hidden:g} s hidden", file=sys.stderr)
        run_phase(subjects, "hidden", args.hidden)
        for s in subjects:
            if s.proc.poll() is not None or s.probe("visible")[0] != "0":
                raise SystemExit(f"bench: {s.label} ended or showed itself while idle")
        missed = report(subjects, {"shown": args.shown, "hidden": args.hidden})
    finally:
        for s in subjects:
            s.stop()
    sys.exit(1 if missed else 0)


if __name__ == "__main__":
    main()
