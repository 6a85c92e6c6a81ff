#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the History windows' screenshots in docs/: each program's History window over a
# generated month (tools/history/make_sample_history.py), at the busiest day of the last week,
# in its Week view (on Windows with a second computer in a shared folder) and in its 30-day
# view, as the end-to-end tests open them. Needs the linux and win64 builds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
shots=$(mktemp -d /tmp/tavrel-history-shots.XXXXXX)
trap 'rm -rf "$shots"' EXIT
export TAVREL_SAVE_HISTORY_SHOTS="$shots"

(
    . tests/linux/env.sh
    tavrel_linux_display_start
    trap tavrel_linux_display_stop EXIT
    ctest --test-dir build/linux -R linux_history_history_window_from_the_tray --output-on-failure
)
(
    . tests/wine/env.sh
    trap tavrel_wine_stop EXIT
    tavrel_display_start
    tavrel_prefix_new "$shots/prefix"
    ctest --test-dir build/win64 -R 'wine_app_(history_window_from_the_tray_menu|share_history)' \
        --output-on-failure
)
for f in history-linux.png history-linux-week.png history-linux-30days.png history-windows.png \
    history-windows-week.png history-windows-30days.png; do
    [ -f "$shots/$f" ] && cp "$shots/$f" "$root/docs/$f" && echo "screenshot: docs/$f"
done
