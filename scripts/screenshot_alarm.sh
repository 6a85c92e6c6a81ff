#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/screenshot-linux-alarm.png: the Linux program's window during an alarm, shown
# beside a terminal the user typed in, with the rest it needs counting down; on a virtual
# display of its own with a window manager and a tray host.
#   TAVREL_SCREENSHOT_OUT=FILE writes elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${TAVREL_SCREENSHOT_OUT:-$root/docs/screenshot-linux-alarm.png}
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavrel >/dev/null

. tests/linux/env.sh
work=$(mktemp -d /tmp/tavrel-screenshot.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
    tavrel_linux_display_stop
    rm -rf "$work"
}
trap cleanup EXIT
tavrel_linux_display_start
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
sleep 1
mkdir -p "$work/config/ZKV" "$work/run" && chmod 700 "$work/run"
# A decay of one pain a tenth of a second past a 100 ms break: a rest of some seconds.
printf '[Main]\nSet=Good\n\n[Good]\nThreshold=100\nDecay=1\nBreakLimit=100\nKeyboardPain=10\n' \
    >"$work/config/ZKV/Tavrel.conf"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data" \
    TAVREL_INPUTD_SOCKET="$work/none" build/linux/bin/tavrel >/dev/null 2>&1 &
pids+=($!)
win=$(xdotool search --sync --onlyvisible --name '^Tavrel$' | head -n 1)
xdotool windowmove "$win" 40 40
xterm -title notes -geometry 50x12+470+60 >/dev/null 2>&1 &
pids+=($!)
term=$(xdotool search --sync --onlyvisible --name '^notes$' | head -n 1)
xdotool windowactivate --sync "$term"
xdotool type --delay 20 "Minutes of the meeting, draft two: everyone agrees."
sleep 2.5
import -window root "$work/screen.png"
# The window and the terminal beside it.
convert "$work/screen.png" -crop 820x660+20+20 +repage "$out"
echo "screenshot: $out"
