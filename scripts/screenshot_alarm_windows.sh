#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/screenshot-windows-alarm.png: the x64 release's window under Wine during an alarm,
# raised while the user typed in another program's window, with the rest it needs.
#   TAVREL_SCREENSHOT_OUT=FILE writes elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${TAVREL_SCREENSHOT_OUT:-$root/docs/screenshot-windows-alarm.png}
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Tavrel tavrel_probe >/dev/null
bin="$root/build/win64/bin"

. tests/wine/env.sh
work=$(mktemp -d /tmp/tavrel-screenshot.XXXXXX)
cleanup() {
    tavrel_wine_stop
    rm -rf "$work"
}
trap cleanup EXIT
TAVREL_KEEP_DISPLAY="" tavrel_display_start
tavrel_prefix_new "$work/prefix"
cd tests/wine_app
TAVREL_SCREENSHOT_BIN="$bin" TAVREL_SCREENSHOT_SHOT="$work/screen.png" python3 - <<'PY'
import os
import subprocess
import time

from harness import Probe, Store, start_tavrel

bin_dir = os.environ["TAVREL_SCREENSHOT_BIN"]
probe_exe = os.path.join(bin_dir, "tavrel_probe.exe")
store = Store()
store.clear()
# A decay of one pain a tenth of a second past a 100 ms break: a rest of some seconds.
for key, value in (("Threshold", 100), ("Decay", 1), ("BreakLimit", 100), ("KeyboardPain", 10)):
    store.set_dword("Good", key, value)


class Once:
    def addCleanup(self, *args):
        pass


probe = Probe(probe_exe)
app = start_tavrel(Once(), probe, bin_dir)
probe.ask("command 2")  # hidden: the alarm brings it
other = Probe(probe_exe)
other.ask("window 400 300 300 200 notes plain")
window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^notes$"],
                        capture_output=True, text=True).stdout.split()[0]
subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
subprocess.run(["xdotool", "type", "--delay", "20", "x" * 50], check=True)
time.sleep(1.0)
subprocess.run(["xwd", "-silent", "-root", "-out", os.environ["TAVREL_SCREENSHOT_SHOT"] + ".xwd"],
               check=True)
left, top, right, bottom = (int(v) for v in probe.ask("rect").split())
with open(os.environ["TAVREL_SCREENSHOT_SHOT"] + ".rect", "w") as f:
    f.write(f"{right - left}x{bottom - top}+{left}+{top}")
app.stop(probe)
other.close()
PY
python3 "$root/tools/xwd2png.py" "$work/screen.png.xwd" "$work/screen.png"
convert "$work/screen.png" -crop "$(cat "$work/screen.png.rect")" +repage "$out"
echo "screenshot: $out"
