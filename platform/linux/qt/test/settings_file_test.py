# SPDX-License-Identifier: GPL-3.0-or-later
"""The settings file as an ordinary user meets it, with the real program on an X display.

The program runs as a throwaway user of its own (the tests run as root, who can read every
file), so that a file the user may not read is really unreadable. strace watches its
fsync and rename calls; a small tmpfs stands for a full disk.
"""

import os
import pwd
import re
import shutil
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import Program, run_tests, xdotool  # noqa: E402

USER = "tavrel-e2e"
BOM = b"\xef\xbb\xbf"
SEEDED = (b"[Main]\nSet=Painful\nDistance=4321\nTotalKeys=77\n\n"
          b"[Painful]\nThreshold=55\nDecay=7\n\n[Good]\nThreshold=90\n")
WRITE_FAILED = "Can't write to INI file?"


def the_user():
    try:
        return pwd.getpwnam(USER)
    except KeyError:
        subprocess.run(["useradd", "--system", "--no-create-home", "--shell",
                        "/usr/sbin/nologin", USER], check=True)
        return pwd.getpwnam(USER)


def chown_tree(path, user):
    for folder, dirs, files in os.walk(path):
        os.chown(folder, user.pw_uid, user.pw_gid)
        for name in files:
            os.lchown(os.path.join(folder, name), user.pw_uid, user.pw_gid)


class UserProgram(Program):
    """The program run as the test user, under strace."""

    def __init__(self, binary, user):
        super().__init__(binary)
        self.user = user
        self.root_owned = []  # paths that stay root's when the tree goes to the user
        self.trace_file = os.path.join(self.root, "strace.log")
        self.env.update(HOME=self.root, XDG_STATE_HOME=os.path.join(self.root, "state"))
        os.makedirs(os.path.dirname(self.config_file))

    def start(self):
        chown_tree(self.root, self.user)
        for path in self.root_owned:
            os.chown(path, 0, 0)
        os.chmod(self.root, 0o755)
        self.log = open(self.log_file, "w")
        command = ["strace", "-f", "-ttt", "-o", self.trace_file,
                   "-e", "trace=fsync,fdatasync,rename,renameat,renameat2",
                   "setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
                   "--clear-groups", "--", self.binary]
        self.process = subprocess.Popen(command, env=self.env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.wait_for(lambda d: d["window"]["visible"] and d["readouts"]["tickCount"] != "---",
                      timeout=20, what="the window with its first tick")
        return self

    def renames_onto(self, target, since=0.0, until=None):
        """The times of renames onto target, each with whether an fsync came since the
        rename before it."""
        found = []
        synced = False
        with open(self.trace_file) as f:
            for line in f:
                m = re.match(r"\d+\s+([\d.]+)\s+(\w+)\((.*)", line)
                if not m:
                    continue
                when, call, args = float(m.group(1)), m.group(2), m.group(3)
                if call in ("fsync", "fdatasync") and "= 0" in line:
                    synced = True
                elif call.startswith("rename") and self.names(args, target):
                    if when >= since and (until is None or when <= until):
                        found.append((when, synced))
                    synced = False
        return found

    @staticmethod
    def names(args, target):
        """Whether a rename's arguments end at target, however the path is spelled."""
        paths = re.findall(r'"([^"]*)"', args)
        return len(paths) >= 2 and os.path.realpath(paths[-1]) == os.path.realpath(target)

    def box_texts(self):
        return [b["text"] for b in self.dump().get("boxes", [])]

    def dismiss_boxes(self):
        for box in self.dump().get("boxes", []):
            xdotool("windowfocus", "--sync", box["id"])
            xdotool("key", "Return")
        self.wait_for(lambda d: not d.get("boxes"), what="the boxes to close")

    def quit(self):
        self.click_button("quit")
        return self.wait_for_exit(15)

    def ticks(self):
        return int(self.dump()["readouts"]["tickCount"])

    def just_after_totals_save(self):
        """Waits for a moment well clear of the totals' save every 100 ticks."""
        self.wait_for(lambda d: 5 <= int(d["readouts"]["tickCount"]) % 100 <= 30,
                      timeout=15, what="a quiet moment between two saves of the totals")

    def focus_field(self, name):
        self.focus_window()
        for _ in range(20):
            if self.dump()["window"]["focus"] == name:
                return
            xdotool("key", "Tab")
            time.sleep(0.1)
        raise AssertionError(f"the field {name} never took the focus")


@unittest.skipUnless(os.geteuid() == 0, "needs root to make a user, mount and chown")
class SettingsFileTest(unittest.TestCase):
    def setUp(self):
        self.user = the_user()
        self.app = UserProgram(BINARY, self.user)  # noqa: F821 (set by run_tests)
        self.mount = None

    def tearDown(self):
        self.app.close()
        if self.mount:
            subprocess.run(["umount", self.mount], check=False)
            shutil.rmtree(self.mount, ignore_errors=True)

    def read(self, path=None):
        with open(path or self.app.config_file, "rb") as f:
            return f.read()

    def write_seed(self, content, path=None):
        with open(path or self.app.config_file, "wb") as f:
            f.write(content)

    def test_an_unreadable_file_is_left_as_it_was_and_the_notice_names_it(self):
        self.write_seed(SEEDED)
        os.chmod(self.app.config_file, 0o600)
        self.app.root_owned.append(self.app.config_file)
        self.app.start()
        state = self.app.wait_for(lambda d: d.get("boxes"), timeout=10, what="the notice")
        text = state["boxes"][0]["text"]
        self.assertIn(self.app.config_file, text)
        self.assertIn("Permission denied", text)
        self.app.dismiss_boxes()
        # Past a save of the totals, then Quit: still nothing written to it.
        self.app.wait_for(lambda d: int(d["readouts"]["tickCount"]) > 110, timeout=20,
                          what="a save of the totals")
        self.assertEqual(self.app.quit(), 0)
        self.assertEqual(self.read(), SEEDED)
        st = os.stat(self.app.config_file)
        self.assertEqual((st.st_uid, st.st_mode & 0o7777), (0, 0o600))
        with open(os.path.join(self.app.root, "state", "tavrel", "tavrel.log")) as f:
            log = f.read()
        self.assertIn("settings-unreadable", log)
        self.assertIn(self.app.config_file, log)

    def test_byte_order_mark_keeps_the_set_the_totals_and_its_section(self):
        self.write_seed(BOM + SEEDED.replace(b"\n", b"\r\n"))
        self.app.start()
        state = self.app.dump()
        self.assertTrue(state["painful"]["checked"])
        self.assertEqual(state["fields"]["threshold"], "55")
        self.assertGreaterEqual(self.app.total_distance(state), 4321)
        self.assertEqual(self.app.quit(), 0)
        content = self.read()
        self.assertFalse(content.startswith(BOM))
        self.assertNotIn(b"\r", content)
        config = self.app.config()
        self.assertEqual(config["Main"]["Set"], "Painful")
        self.assertGreaterEqual(int(config["Main"]["Distance"]), 4321)
        self.assertGreaterEqual(int(config["Main"]["TotalKeys"]), 77)
        self.assertEqual(config["Painful"], {"Threshold": "55", "Decay": "7"})

    def test_mode_symlink_and_fsync_before_every_rename(self):
        dotfiles = os.path.join(self.app.root, "dotfiles")
        os.makedirs(dotfiles)
        target = os.path.join(dotfiles, "tavrel.conf")
        self.write_seed(SEEDED, target)
        os.symlink("../../dotfiles/tavrel.conf", self.app.config_file)
        self.app.start()
        os.chmod(target, 0o600)
        saved = self.app.wait_for(lambda d: int(d["readouts"]["tickCount"]) > 110, timeout=20,
                                  what="a save of the totals")
        # Totals that did not move are not written again: a move gives Quit something to save.
        xdotool("mousemove", 300, 400)
        xdotool("mousemove", 320, 420)
        self.app.wait_for(lambda d: self.app.total_distance(d) > self.app.total_distance(saved),
                          what="the move counted")
        self.assertEqual(self.app.quit(), 0)
        self.assertTrue(os.path.islink(self.app.config_file))
        self.assertEqual(os.stat(target).st_mode & 0o7777, 0o600)
        self.assertEqual(os.stat(target).st_uid, self.user.pw_uid)
        self.assertIn(b"Set=Painful", self.read(target))
        renames = self.app.renames_onto(target)
        self.assertGreaterEqual(len(renames), 2, "the totals' save and Quit")
        for when, synced in renames:
            self.assertTrue(synced, f"a rename at {when} without an fsync before it")
        self.assertEqual(sorted(os.listdir(dotfiles)), ["tavrel.conf"])

    def save_threshold(self, text):
        """Types a threshold, leaves the field and clicks Save; the time of the click."""
        self.app.just_after_totals_save()
        self.app.focus_field("threshold")
        xdotool("key", "ctrl+a")
        xdotool("type", text)
        xdotool("key", "Tab")
        self.app.wait_for(lambda d: d["save"]["enabled"], what="Save to be enabled")
        clicked = time.time()
        self.app.click_button("save")
        return clicked

    def test_one_save_renames_the_file_once(self):
        self.write_seed(SEEDED)
        self.app.start()
        clicked = self.save_threshold("66")
        self.app.wait_for(lambda d: not d["save"]["enabled"], what="the Save to end")
        done = time.time()
        time.sleep(0.3)  # strace writes its line after the call returns
        self.assertEqual(self.app.config()["Painful"]["Threshold"], "66")
        renames = self.app.renames_onto(self.app.config_file, clicked, done + 0.2)
        self.assertEqual(len(renames), 1, renames)

    def test_save_on_a_full_disk_keeps_the_old_file_and_the_edits_unsaved(self):
        self.mount = os.path.join(self.app.root, "config")
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m,nr_inodes=256,mode=0755", "tmpfs",
                        self.mount], check=True)
        os.makedirs(os.path.dirname(self.app.config_file))
        self.write_seed(SEEDED)
        self.app.start()
        # Fill what is left, as root, once the start-up write is done.
        filler = os.path.join(self.mount, "filler")
        try:
            with open(filler, "wb", buffering=0) as f:
                while True:
                    f.write(b"\0" * 4096)
        except OSError:
            pass
        before = self.read()
        self.save_threshold("66")
        state = self.app.wait_for(lambda d: WRITE_FAILED in [b["text"] for b in d["boxes"]],
                                  timeout=10, what="the failure notice")
        self.assertTrue(state["save"]["enabled"], "the edits stay unsaved")
        self.assertEqual(state["fields"]["threshold"], "66")
        self.assertEqual(self.read(), before)
        self.assertEqual(sorted(os.listdir(os.path.dirname(self.app.config_file))),
                         ["Tavrel.conf"])


if __name__ == "__main__":
    sys.exit(run_tests())
