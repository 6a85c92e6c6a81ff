# SPDX-License-Identifier: GPL-3.0-or-later
"""What /proc tells of a running program, for the end-to-end tests of either platform."""
import os
import time


def context_switches(pid):
    """Every thread's context switches so far, voluntary or not."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                total += sum(int(line.split()[1]) for line in f if "ctxt_switches" in line)
        except OSError:
            pass  # a thread that ended meanwhile
    return total


def comes_to_rest(pid, timeout, most=3):
    """True once a whole second passes with at most `most` context switches: a program that
    ticks every 50 ms makes 20 or more."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        before = context_switches(pid)
        time.sleep(1.0)
        if context_switches(pid) - before <= most:
            return True
    return False


def switches_during(pid, action, settle=1.0):
    """The context switches made while `action` runs and for `settle` seconds after."""
    before = context_switches(pid)
    action()
    time.sleep(settle)
    return context_switches(pid) - before
