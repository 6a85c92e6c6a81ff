# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the test and run scripts: a virtual X display that keeps its settings between
# clients (-noreset), with a tray host, for the native Linux program.
# Usage: tavrel_linux_display_start; ...; tavrel_linux_display_stop

tavrel_linux_display_start() {
    local n=${TAVREL_LINUX_DISPLAY_BASE:-71}
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
    Xvfb ":${n}" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    TAVREL_LINUX_XVFB_PID=$!
    export DISPLAY=":${n}"
    local up=""
    for _ in $(seq 1 50); do
        if xdpyinfo >/dev/null 2>&1; then up=1; break; fi
        sleep 0.1
    done
    if [ -z "$up" ]; then
        echo "env: Xvfb on ${DISPLAY} did not start" >&2
        return 1
    fi
    # Without a tray host Qt reports no notification area.
    trayer --edge top --align right --widthtype request --height 24 >/dev/null 2>&1 &
    TAVREL_LINUX_TRAYER_PID=$!
    sleep 0.5
}

tavrel_linux_display_stop() {
    local pid
    for pid in "${TAVREL_LINUX_TRAYER_PID:-}" "${TAVREL_LINUX_XVFB_PID:-}"; do
        [ -n "$pid" ] || continue
        kill "$pid" >/dev/null 2>&1 || true
        wait "$pid" 2>/dev/null || true
    done
    TAVREL_LINUX_TRAYER_PID=""
    TAVREL_LINUX_XVFB_PID=""
}
