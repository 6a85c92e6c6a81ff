#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows Tavrel and starts it under Wine on the user's display (run.sh --windows).
# Wine's hooks see only the input that goes to Wine windows. The 32-bit build runs where the
# machine can run 32-bit Windows programs, the 64-bit one otherwise. Without a display
# it starts a virtual one, writes a screenshot of the window to build/screenshot.png and
# leaves Tavrel running there until interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh
preset=win64
if dpkg --print-foreign-architectures 2>/dev/null | grep -qx i386 &&
   dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    preset=win32
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Tavrel TavrelHooks

export WINEPREFIX=${TAVREL_WINEPREFIX:-$HOME/.local/share/tavrel/wine-$preset}
export WINEDEBUG=-all
. tests/wine/env.sh
headless=""
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    tavrel_display_start
    trap 'tavrel_wine_stop' EXIT
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "run: making the Wine prefix $WINEPREFIX (once)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    tavrel_prefix_fonts
    # Without a window manager Wine stalls on every hide of a managed window.
    [ -z "$headless" ] || wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi

cd "build/$preset/bin"
if [ -z "$headless" ]; then
    exec wine ./Tavrel.exe
fi
wine ./Tavrel.exe &
app=$!
for _ in $(seq 1 100); do
    win=$(xdotool search --name '^Tavrel$' 2>/dev/null | head -n 1 || true)
    [ -n "$win" ] && break
    sleep 0.2
done
sleep 1
if [ -n "${win:-}" ]; then
    xwd -silent -id "$win" >"$root/build/screenshot.xwd"
    python3 "$root/tools/xwd2png.py" "$root/build/screenshot.xwd" "$root/build/screenshot.png"
    echo "run: Tavrel is running on the virtual display $DISPLAY; screenshot: build/screenshot.png"
else
    echo "run: the Tavrel window did not appear" >&2
fi
echo "run: press Ctrl+C to stop"
wait "$app"
