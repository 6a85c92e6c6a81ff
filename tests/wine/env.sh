# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the test and run scripts: a virtual display and a fresh Wine prefix of our own.
# Usage: tavrel_display_start; tavrel_prefix_new DIR; ...; tavrel_wine_stop

tavrel_display_start() {
    if [ -n "${TAVREL_KEEP_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ]; then return 0; fi
    local n=${TAVREL_DISPLAY_BASE:-91}
    while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
    Xvfb ":${n}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    TAVREL_XVFB_PID=$!
    export DISPLAY=":${n}"
    for _ in $(seq 1 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "env: Xvfb on ${DISPLAY} did not start" >&2
    return 1
}

# A fresh prefix: without a window manager, Wine stalls 2 s on every hide of a managed
# window, so windows are made unmanaged.
tavrel_prefix_new() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    tavrel_prefix_fonts
}

# Wine draws the caption buttons with Marlett, and the dialogs name "MS Sans Serif", whose
# bitmap font the registry points at in the prefix's font folder. Without them the buttons
# show letters and a stand-in font with wider letters wraps labels and cuts them off.
# fonts-wine brings Wine's fonts; copied into the prefix's font folder, Wine uses them.
tavrel_prefix_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -n /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$fonts/" 2>/dev/null || true
}

tavrel_wine_stop() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "${TAVREL_XVFB_PID:-}" ]; then
        kill "$TAVREL_XVFB_PID" >/dev/null 2>&1 || true
        wait "$TAVREL_XVFB_PID" 2>/dev/null || true
        TAVREL_XVFB_PID=""
    fi
}
