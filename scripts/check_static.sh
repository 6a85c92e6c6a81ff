#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that need no build: every C and C++ source formatted as .clang-format says
# (clang-format --dry-run -Werror), every source file carrying its SPDX licence line, the
# input service's unit at most 0.7 exposed (systemd-analyze security), the AppStream metainfo
# valid. Prints one line per check and "N passed, N failed" last; exit status 0 when all pass.
set -uo pipefail
cd "$(dirname "$0")/.."
passed=0
failed=0
result() { # result NAME STATUS
    if [ "$2" -eq 0 ]; then
        echo "  ok   $1"; passed=$((passed + 1))
    else
        echo "  FAIL $1"; failed=$((failed + 1))
    fi
}

mapfile -t sources < <(git ls-files -- '*.c' '*.cpp' '*.h' '*.hpp')
clang-format --dry-run -Werror "${sources[@]}"
result "clang-format: ${#sources[@]} C and C++ files" $?

if [ -x tools/licence/add_spdx.sh ]; then
    missing=$(bash tools/licence/add_spdx.sh --check)
    [ -z "$missing" ] || echo "$missing" | sed 's/^/    no SPDX line: /'
    result "SPDX licence line in every source file" "$([ -z "$missing" ] && echo 0 || echo 1)"
fi

unit=platform/linux/inputd/systemd/tavrel-inputd.service
systemd-analyze security --offline=yes --threshold=7 "$unit" | tail -n 1
result "systemd-analyze security of the input service: at most 0.7" "${PIPESTATUS[0]}"

appstreamcli validate --no-net --pedantic packaging/linux/*.metainfo.xml
result "appstreamcli validate" $?

echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
