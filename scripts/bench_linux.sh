#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU time and memory of the Linux program beside a do-nothing Qt program with the same
# 50 ms timer (idle_floor_qt), measured in the same run on a virtual display of its own:
# hidden, shown, and hidden under 100 pointer moves and 10 keystrokes a second of xdotool
# input.
#
# Usage: scripts/bench_linux.sh [BUILD_DIR] [SECONDS_PER_PHASE]
#   BUILD_DIR defaults to build/linux (cmake --preset linux), SECONDS to 60.
# Needs Xvfb, trayer, xdotool and xwininfo. Prints a Markdown table.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
seconds=${2:-60}
tavrel=$build/bin/tavrel
floor=$build/bin/idle_floor_qt
for f in "$tavrel" "$floor"; do
    [[ -x $f ]] || { echo "bench_linux: $f is missing; build the linux preset first" >&2; exit 1; }
done
for tool in Xvfb trayer xdotool; do
    command -v "$tool" >/dev/null || { echo "bench_linux: $tool is not installed" >&2; exit 1; }
done

. "$root/scripts/bench_session.sh"
bench_session bench 170

mkdir -p "$work/config/ZKV" "$work/run"
chmod 700 "$work/run"
# A threshold that the input cannot reach: an alarm raises the window on every tick, which
# would measure the alarm rather than the counting.
printf '[Main]\nSet=Good\n\n[Good]\nThreshold=1000000\n' >"$work/config/ZKV/Tavrel.conf"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
"$tavrel" >"$work/tavrel.log" 2>&1 &
tavrel_pid=$!
pids+=($tavrel_pid)
mkfifo "$work/floor.in"
"$floor" <"$work/floor.in" >"$work/floor.log" 2>&1 &
floor_pid=$!
pids+=($floor_pid)
exec 3>"$work/floor.in"
sleep 3

# CPU time in ms, from the scheduler's nanosecond counts of every thread (more precise than
# the 10 ms ticks of utime+stime, which are printed beside them).
cpu_ms() {
    local total=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        total=$((total + $(cut -d' ' -f1 "$t")))
    done
    echo $((total / 1000000))
}
ticks() { awk '{print $14 + $15}' /proc/"$1"/stat; }
rss_mib() { awk '/^VmRSS/ {printf "%.1f", $2 / 1024}' /proc/"$1"/status; }
hwm_mib() { awk '/^VmHWM/ {printf "%.1f", $2 / 1024}' /proc/"$1"/status; }

hide_both() {
    xdotool search --name '^Tavrel$' | while read -r w; do
        if xwininfo -id "$w" | grep -q IsViewable; then
            xdotool windowfocus --sync "$w" key Escape
        fi
    done
    echo hide >&3
}
show_both() {
    "$tavrel" >/dev/null 2>&1  # a second start shows the running program's window
    echo show >&3
}

# Input at about 100 moves and 10 keystrokes a second, for the given seconds, from one
# xdotool process (starting one per event would cost more than what it measures).
input_for() {
    local args=() second i
    for ((second = 0; second < $1; second++)); do
        for ((i = 0; i < 100; i++)); do
            args+=(mousemove $((200 + (i % 2) * 40)) $((300 + (i % 5) * 10)) sleep 0.0085)
            ((i % 10 == 9)) && args+=(key F12)
        done
    done
    xdotool "${args[@]}"
}

results=()
now() { date +%s.%N; }
measure() {  # name, then the command that runs for the phase
    local name=$1 t0 f0 tt0 ft0 start
    shift
    sleep 2
    t0=$(cpu_ms $tavrel_pid) f0=$(cpu_ms $floor_pid) tt0=$(ticks $tavrel_pid) ft0=$(ticks $floor_pid)
    start=$(now)
    "$@"
    results+=("$(awk -v name="$name" -v start="$start" -v end="$(now)" \
        -v t=$(($(cpu_ms $tavrel_pid) - t0)) -v f=$(($(cpu_ms $floor_pid) - f0)) \
        -v tt=$(($(ticks $tavrel_pid) - tt0)) -v ft=$(($(ticks $floor_pid) - ft0)) 'BEGIN {
            s = end - start
            printf "| %s | %.0f s | %d ms (%d ticks), %.3f %% | %d ms (%d ticks), %.3f %% | %s |",
                name, s, t, tt, t / (s * 10), f, ft, f / (s * 10),
                (f > 0 ? sprintf("%.2f", t / f) : "-")
        }')")
}

hide_both
measure hidden sleep "$seconds"
show_both
measure shown sleep "$seconds"
hide_both
measure "hidden, input" input_for "$seconds"

echo "Machine: $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo "Kernel $(uname -r); Qt $(dpkg-query -W -f '${Version}' libqt6core6 2>/dev/null || echo ?); Xvfb with trayer"
echo
echo "| phase | length | Tavrel: CPU, share of one core | floor: CPU, share of one core | Tavrel / floor |"
echo "|---|---|---|---|---|"
printf '%s\n' "${results[@]}"
echo
echo "Memory at the end: Tavrel RSS $(rss_mib $tavrel_pid) MiB (peak $(hwm_mib $tavrel_pid) MiB); floor RSS $(rss_mib $floor_pid) MiB (peak $(hwm_mib $floor_pid) MiB)."
# SIGTERM stores the totals: what the program counted of the input.
kill -TERM $tavrel_pid
wait $tavrel_pid || true
echo "Tavrel's totals after SIGTERM: $(grep -E '^(Distance|TotalKeys)=' "$XDG_CONFIG_HOME/ZKV/Tavrel.conf" | head -2 | tr '\n' ' ')"
