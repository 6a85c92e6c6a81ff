# SPDX-License-Identifier: GPL-3.0-or-later
"""TavrelHooks.dll under Wine with real hooks, real processes and input from xdotool.

Needs DISPLAY (an X server without window manager), WINEPREFIX (with the X11 driver's
Managed=N) and the directory of hook_probe.exe and TavrelHooks.dll in TAVREL_WIN64_BIN.
Coordinates are X root coordinates, which are Wine's screen coordinates here.
"""

import os
import shutil
import subprocess
import sys
import time
import unittest

BIN_DIR = os.environ.get("TAVREL_WIN64_BIN", os.path.join("build", "win64", "bin"))
SKIP_EXIT_CODE = 77  # ctest reports the run as skipped
WAIT_S = 5.0  # longest wait for input to be counted
SETTLE_S = 0.25  # quiet time in which nothing more may arrive


class Record:
    def __init__(self, line):
        fields = line.split()
        if len(fields) != 6:
            raise AssertionError(f"unexpected reply to get: {line!r}")
        self.result = int(fields[0])
        self.move = float(fields[1])
        self.drag = float(fields[2])
        self.clicks, self.double_clicks, self.keys = (int(f) for f in fields[3:])

    def add(self, other):
        self.move += other.move
        self.drag += other.drag
        self.clicks += other.clicks
        self.double_clicks += other.double_clicks
        self.keys += other.keys

    def counts(self):
        return (self.move, self.drag, self.clicks, self.double_clicks, self.keys)

    def __repr__(self):
        return "Record(move=%r drag=%r clicks=%d doubleClicks=%d keys=%d)" % self.counts()


class Block:
    """The shared block as a probe reports it: process ids and hook handles."""

    def __init__(self, line):
        fields = line.split()
        if len(fields) < 4:
            raise AssertionError(f"unexpected reply to block: {line!r}")
        self.count = int(fields[0])
        self.installer = int(fields[1])
        self.hooks = (int(fields[2], 16), int(fields[3], 16))
        self.holders = sorted(int(f) for f in fields[4:])


class Probe:
    """One hook_probe.exe process, driven over its standard input and output."""

    def __init__(self, test):
        self.process = subprocess.Popen(
            ["wine", os.path.join(BIN_DIR, "hook_probe.exe")],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, cwd=BIN_DIR)
        test.addCleanup(self.close)
        test.assertEqual(self._read(), "ready")

    def _read(self):
        line = self.process.stdout.readline()
        if not line:
            raise AssertionError("hook_probe.exe ended unexpectedly")
        return line.strip()

    def ask(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()
        return self._read()

    def window(self, x, y, w, h, title):
        if self.ask(f"window {x} {y} {w} {h} {title}") != "ok":
            raise AssertionError(f"could not open window {title}")

    def get(self):
        return Record(self.ask("get"))

    def block(self):
        return Block(self.ask("block"))

    def kill_hard(self):
        """Ends the process as a crash would: no KillHooks, no clean exit."""
        self.process.kill()
        self.process.wait()

    def collect(self, done):
        """Sums records until done(total) holds, then for a quiet spell, and returns it."""
        total = self.get()
        deadline = time.monotonic() + WAIT_S
        while not done(total) and time.monotonic() < deadline:
            time.sleep(0.05)
            total.add(self.get())
        time.sleep(SETTLE_S)
        total.add(self.get())
        return total

    def quiet(self):
        """What was counted during a quiet spell, for checks that nothing is."""
        time.sleep(2 * SETTLE_S)
        return self.get()

    def close(self):
        if self.process.poll() is None:
            try:
                self.ask("quit")
                self.process.wait(timeout=10)
            except (OSError, AssertionError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
        self.process.stdin.close()
        self.process.stdout.close()


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True,
                          text=True).stdout


def focus(title):
    window_ids = xdotool("search", "--name", f"^{title}$").split()
    if not window_ids:
        raise AssertionError(f"no X window named {title}")
    xdotool("windowfocus", "--sync", window_ids[0])


def missing_tools():
    if not os.environ.get("DISPLAY"):
        return "DISPLAY is not set"
    for tool in ("xdotool", "wine"):
        if not shutil.which(tool):
            return f"{tool} is not installed"
    return None


@unittest.skipIf(missing_tools(), missing_tools())
class WineHooksTest(unittest.TestCase):
    def setUp(self):
        width, height = (int(v) for v in xdotool("getdisplaygeometry").split())
        if width < 800 or height < 600:
            self.skipTest("the probe windows need a screen of at least 800 x 600")
        # No probe window may lie under the pointer when a probe starts: the first move a
        # process sees must be the one a test makes. The bottom-right corner is clear.
        self.clear_corner = (str(width - 1), str(height - 1))
        xdotool("mousemove", *self.clear_corner)

    def test_input_over_the_hooking_process_is_counted_by_the_rules(self):
        probe = Probe(self)
        self.assertEqual(probe.ask("guard"), "ok")  # installed before the library's hooks
        self.assertEqual(probe.ask("init"), "1")
        probe.window(100, 100, 400, 400, "tavrel-probe-own")
        self.assertEqual(probe.quiet().counts(), (0, 0, 0, 0, 0))

        xdotool("mousemove", "300", "400")  # first move of this process: from (0, 0)
        moved = probe.collect(lambda r: r.move > 0)
        self.assertEqual(moved.counts(), (500.0, 0, 0, 0, 0))
        self.assertGreater(int(probe.ask("guardcount")), 0,
                           "the library's hook did not pass the move on")

        xdotool("click", "--repeat", "2", "--delay", "80", "1")
        clicked = probe.collect(lambda r: r.double_clicks > 0 and r.clicks >= 0)
        self.assertEqual(clicked.counts(), (0, 0, 0, 1, 0))

        focus("tavrel-probe-own")
        xdotool("key", "a")
        typed = probe.collect(lambda r: r.keys > 0)
        self.assertEqual(typed.counts(), (0, 0, 0, 0, 1))

        guard_before = int(probe.ask("guardcount"))
        xdotool("click", "4")
        xdotool("click", "5")
        self.assertEqual(probe.quiet().counts(), (0, 0, 0, 0, 0))
        self.assertGreater(int(probe.ask("guardcount")), guard_before,
                           "the wheel never reached the window")
        self.assertEqual(probe.ask("kill"), "1")

    def test_input_over_another_process_is_counted_by_the_rules(self):
        program = Probe(self)
        self.assertEqual(program.ask("init"), "1")
        # This one never loads the library itself: only the hooks bring it in.
        other = Probe(self)
        other.window(450, 330, 150, 150, "tavrel-probe-other")
        self.assertEqual(program.quiet().counts(), (0, 0, 0, 0, 0))

        xdotool("mousemove", "480", "360")  # its first move: 600 from (0, 0)
        moved = program.collect(lambda r: r.move > 0)
        self.assertEqual(moved.counts(), (600.0, 0, 0, 0, 0))

        xdotool("mousemove", "510", "400")
        self.assertEqual(program.collect(lambda r: r.move > 0).counts(), (50.0, 0, 0, 0, 0))

        xdotool("click", "--repeat", "2", "--delay", "80", "1")
        clicked = program.collect(lambda r: r.double_clicks > 0 and r.clicks >= 0)
        self.assertEqual(clicked.counts(), (0, 0, 0, 1, 0))
        self.assertEqual(program.ask("kill"), "1")

    def test_hooks_stay_until_the_last_of_two_processes_kills_them(self):
        a = Probe(self)
        b = Probe(self)
        self.assertEqual(a.ask("guard"), "ok")
        a.window(100, 100, 400, 400, "tavrel-probe-a")
        self.assertEqual(a.ask("init"), "1")
        self.assertEqual(b.ask("init"), "1")
        self.assertEqual(b.ask("init"), "0")

        xdotool("mousemove", "300", "400")
        self.assertEqual(b.collect(lambda r: r.move > 0).move, 500.0)

        self.assertEqual(a.ask("kill"), "1")
        self.assertEqual(a.ask("kill"), "0")
        xdotool("mousemove", "330", "440")  # still hooked for b
        self.assertEqual(b.collect(lambda r: r.move > 0).move, 50.0)

        self.assertEqual(b.ask("kill"), "1")
        guard_before = int(a.ask("guardcount"))
        xdotool("mousemove", "300", "400")
        xdotool("click", "1")
        self.assertEqual(b.quiet().counts(), (0, 0, 0, 0, 0))
        self.assertEqual(a.get().counts(), (0, 0, 0, 0, 0))
        self.assertGreater(int(a.ask("guardcount")), guard_before,
                           "the input never reached the window")

    def test_a_start_after_the_installer_was_killed_installs_the_hooks_again(self):
        # Stands for any application that keeps the library mapped, and so the shared block.
        holder = Probe(self)
        holder.window(450, 330, 150, 150, "tavrel-probe-holder")
        killed = Probe(self)
        self.assertEqual(killed.ask("init"), "1")
        killed_pid = int(killed.ask("pid"))
        before = holder.block()
        self.assertEqual((before.count, before.installer, before.holders),
                         (1, killed_pid, [killed_pid]))
        self.assertNotIn(0, before.hooks)

        killed.kill_hard()
        self.assertEqual(holder.ask(f"ended {killed_pid}"), "ended")
        # The window system removes the hooks of a thread that ended; Wine keeps them.
        holder.ask("unhook")
        xdotool("mousemove", "480", "360")
        xdotool("click", "1")
        self.assertEqual(holder.quiet().counts(), (0, 0, 0, 0, 0), "orphaned hooks still count")
        xdotool("mousemove", *self.clear_corner)

        restarted = Probe(self)
        self.assertEqual(restarted.ask("init"), "1")
        restarted_pid = int(restarted.ask("pid"))
        after = holder.block()
        self.assertEqual((after.count, after.installer, after.holders),
                         (1, restarted_pid, [restarted_pid]))
        self.assertNotIn(0, after.hooks)
        self.assertNotEqual(after.hooks, before.hooks)

        restarted.window(100, 100, 300, 200, "tavrel-probe-restarted")
        self.assertEqual(restarted.quiet().counts(), (0, 0, 0, 0, 0))
        xdotool("mousemove", "180", "240")  # its first move: 300 from (0, 0)
        self.assertEqual(restarted.collect(lambda r: r.move > 0).counts(), (300.0, 0, 0, 0, 0))
        xdotool("click", "1")
        self.assertEqual(restarted.collect(lambda r: r.clicks > 0).counts(), (0, 0, 1, 0, 0))
        focus("tavrel-probe-restarted")
        xdotool("key", "a")
        self.assertEqual(restarted.collect(lambda r: r.keys > 0).counts(), (0, 0, 0, 0, 1))

        self.assertEqual(restarted.ask("kill"), "1")
        gone = holder.block()
        self.assertEqual((gone.count, gone.installer, gone.hooks, gone.holders),
                         (0, 0, (0, 0), []))


if __name__ == "__main__":
    if missing_tools():
        print(f"skipped: {missing_tools()}")
        sys.exit(SKIP_EXIT_CODE)
    unittest.main(verbosity=2)
