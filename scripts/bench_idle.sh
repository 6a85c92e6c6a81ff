#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Idle cost of Tavrel under Wine beside two do-nothing Win32 programs (tools/idle_floor: a
# window, a tray icon and a 50 ms timer that does nothing; and the same showing its tick count
# in a label set on every tick), run at the same time, each in a prefix of its own, on a
# virtual display: CPU time of each program and its wineserver over an idle period
# with the windows shown and one with them hidden, and resident memory. Prints a table and
# the ratios; exits with 1 when a target is missed.
#
#   TAVREL_BENCH_SHOWN=60 TAVREL_BENCH_HIDDEN=60 scripts/bench_idle.sh   (seconds; the defaults)
#   TAVREL_BENCH_BIN=DIR measures the binaries of DIR instead of building build/win64/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
shown=${TAVREL_BENCH_SHOWN:-60}
hidden=${TAVREL_BENCH_HIDDEN:-60}

bin=${TAVREL_BENCH_BIN:-}
if [ -z "$bin" ]; then
    cmake --preset win64 >/dev/null
    cmake --build --preset win64 --target Tavrel TavrelHooks tavrel_probe idle_floor >/dev/null
    bin="$root/build/win64/bin"
fi
for f in Tavrel.exe TavrelHooks.dll tavrel_probe.exe idle_floor.exe; do
    [ -f "$bin/$f" ] || { echo "bench: $bin/$f is missing" >&2; exit 2; }
done

. tests/wine/env.sh
work=$(mktemp -d /tmp/tavrel-bench.XXXXXX)
cleanup() {
    for p in "$work/tavrel" "$work/floor" "$work/counter"; do
        [ -d "$p" ] && WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true
    done
    unset WINEPREFIX
    tavrel_wine_stop
    rm -rf "$work"
}
trap cleanup EXIT
TAVREL_KEEP_DISPLAY="" tavrel_display_start
echo "bench: making three fresh Wine prefixes" >&2
for p in tavrel floor counter; do
    tavrel_prefix_new "$work/$p"
    # Every server starts cold, with its program.
    WINEPREFIX="$work/$p" wineserver -k >/dev/null 2>&1 || true
done
sleep 1

echo "bench: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version)" >&2
python3 tools/idle_floor/bench_idle.py --bin "$bin" \
    --tavrel-prefix "$work/tavrel" --floor-prefix "$work/floor" --counter-prefix "$work/counter" \
    --shown "$shown" --hidden "$hidden"
