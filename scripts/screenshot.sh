#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes docs/screenshot.png: Tavrel's window as it first shows, started with an empty settings
# store in a fresh Wine prefix on a virtual display of its own (the pointer kept away from it).
#   TAVREL_SCREENSHOT_BIN=DIR uses the binaries of DIR instead of building build/win64/bin;
#   TAVREL_SCREENSHOT_OUT=FILE writes elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=${TAVREL_SCREENSHOT_OUT:-$root/docs/screenshot.png}

bin=${TAVREL_SCREENSHOT_BIN:-}
if [ -z "$bin" ]; then
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 --target Tavrel TavrelHooks tavrel_probe >/dev/null
    bin="$root/build/win64/bin"
fi

. tests/wine/env.sh
work=$(mktemp -d /tmp/tavrel-screenshot.XXXXXX)
cleanup() {
    WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
    tavrel_wine_stop
    rm -rf "$work"
}
trap cleanup EXIT
TAVREL_KEEP_DISPLAY="" tavrel_display_start
tavrel_prefix_new "$work/prefix"
xdotool mousemove 10000 10000

(cd "$bin" && exec wine ./Tavrel.exe >/dev/null 2>&1) &
wine "$bin/tavrel_probe.exe" wait 30000 , wait-visible 10000 >/dev/null
read -r left top right bottom < <(wine "$bin/tavrel_probe.exe" rect | tr -d '\r')
# Let the first ticks replace the read-outs' placeholders and the window paint.
sleep 2
win=""
for id in $(xdotool search --onlyvisible --name '^Tavrel$'); do
    if xdotool getwindowgeometry "$id" | grep -q "Geometry: $((right - left))x$((bottom - top))"; then
        win=$id
    fi
done
[ -n "$win" ] || { echo "screenshot: no Tavrel window on $DISPLAY" >&2; exit 1; }
xwd -silent -id "$win" >"$work/window.xwd"
mkdir -p "$(dirname "$out")"
python3 tools/xwd2png.py "$work/window.xwd" "$out"
wine "$bin/tavrel_probe.exe" click 1016 , wait-gone 10000 >/dev/null || true
echo "screenshot: $out"
