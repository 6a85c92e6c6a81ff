#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tavrel and starts it. By default the native Linux program: on the user's display when
# there is one, where it monitors the real desktop; without a display on a virtual one with a
# tray host, writing a screenshot of the window to build/screenshot-linux.png.
#   scripts/run.sh            the native Linux program
#   scripts/run.sh --windows  the Windows build under Wine (counts only Wine windows' input)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${1:-}" = "--windows" ]; then
    exec bash scripts/run_windows.sh
fi

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target tavrel

program="$root/build/linux/bin/tavrel"
if [ -n "${DISPLAY:-}" ]; then
    exec "$program"
fi

. tests/linux/env.sh
tavrel_linux_display_start
trap 'kill "${app:-}" 2>/dev/null; tavrel_linux_display_stop' EXIT
# Settings of this demonstration stay apart from the user's own.
export XDG_CONFIG_HOME=${XDG_CONFIG_HOME:-$root/build/run-config}
export XDG_DATA_HOME=${XDG_DATA_HOME:-$root/build/run-data}
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$root/build/run-runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
"$program" &
app=$!
for _ in $(seq 1 100); do
    win=$(xdotool search --name '^Tavrel$' 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.2
done
sleep 1
if [ -n "${win:-}" ]; then
    import -window root "$root/build/screenshot-linux.png"
    echo "run: Tavrel is running on the virtual display $DISPLAY; screenshot: build/screenshot-linux.png"
else
    echo "run: the Tavrel window did not appear" >&2
fi
echo "run: press Ctrl+C to stop"
wait "$app"
