#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Wake-ups of the Linux program, hidden and idle, beside a do-nothing process in the same
# run: the context switches of all threads (voluntary and not, from
# /proc/<pid>/task/*/status) over the measured span, per second.
#
# Usage: scripts/bench_wakeups.sh [BUILD_DIR] [SECONDS]
#   BUILD_DIR defaults to build/linux, SECONDS to 60. Needs Xvfb, trayer and xdotool.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
seconds=${2:-60}
tavrel=$build/bin/tavrel
[[ -x $tavrel ]] || { echo "bench_wakeups: $tavrel is missing; build the linux preset" >&2; exit 1; }

. "$root/scripts/bench_session.sh"
bench_session wakeups 190

mkdir -p "$work/config/ZKV" "$work/run" "$work/data"
chmod 700 "$work/run"
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
"$tavrel" >"$work/tavrel.log" 2>&1 &
tavrel_pid=$!
pids+=($tavrel_pid)
sleep 1000000 &
floor_pid=$!
pids+=($floor_pid)
sleep 3
xdotool search --sync --name '^Tavrel$' | while read -r w; do
    xdotool windowfocus --sync "$w" key Escape 2>/dev/null || true
done
# The totals are stored within 5 s, and the minute holding the Escape once it has ended; then
# it has nothing left to do. Qt's own pool threads, which drew the shown window, end 30 s after
# their last work.
wait_s=$((60 - 10#$(date +%S) + 5))
sleep $((wait_s > 35 ? wait_s : 35))

# One line per thread: its id and its switches so far.
switches() {
    local t
    for t in /proc/"$1"/task/*; do
        echo "${t##*/} $(awk '/ctxt_switches/ {s += $2} END {print s}' "$t/status" 2>/dev/null)"
    done
}
# The switches made between two listings: a thread that ended meanwhile counts as far as
# the first listing saw it, one that began counts in full.
between() {
    awk 'NR == FNR {before[$1] = $2; next} {total += $2 - before[$1]} END {print total + 0}' "$1" "$2"
}
switches "$tavrel_pid" >"$work/t0"; switches "$floor_pid" >"$work/f0"
sleep "$seconds"
switches "$tavrel_pid" >"$work/t1"; switches "$floor_pid" >"$work/f1"
t0=0; t1=$(between "$work/t0" "$work/t1"); f0=0; f1=$(between "$work/f0" "$work/f1")
kill -0 "$tavrel_pid" || { echo "bench_wakeups: tavrel ended" >&2; exit 1; }

echo "Wake-ups over ${seconds} s, hidden and idle ($(nproc) cores, $(uname -r))"
echo
echo "| Process | Context switches | Per second |"
echo "| --- | --- | --- |"
awk -v n=$((t1 - t0)) -v s="$seconds" 'BEGIN {printf "| tavrel | %d | %.2f |\n", n, n / s}'
awk -v n=$((f1 - f0)) -v s="$seconds" 'BEGIN {printf "| do-nothing (sleep) | %d | %.2f |\n", n, n / s}'
