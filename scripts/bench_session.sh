# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the Linux benchmarks: a work folder, a virtual display of their own with a tray
# host, and at exit the end of every process they add to `pids`.
#
#   bench_session NAME FIRST_DISPLAY    sets work, pids and DISPLAY

bench_cleanup() {
    exec 3>&- 2>/dev/null || true  # a pipe a benchmark may hold open to its floor
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}

bench_session() {
    work=$(mktemp -d "/tmp/tavrel_$1.XXXXXX")
    pids=()
    trap bench_cleanup EXIT
    # A display number nobody uses.
    local display=$2
    while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
        display=$((display + 1))
    done
    export DISPLAY=:$display
    Xvfb "$DISPLAY" -noreset -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
    trayer --edge top --align right --widthtype request --height 24 >"$work/trayer.log" 2>&1 &
    pids+=($!)
    sleep 1
}
