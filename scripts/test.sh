#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the four presets, runs the host unit
# tests, the Linux program's tests on a virtual display with a tray, the checks of the 32-bit
# Windows binaries and the Windows tests under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh || exit 1

for preset in native linux win32 win64; do
    echo "=== build ${preset}"
    { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; } || {
        echo "build of ${preset} failed"
        exit 1
    }
done

passed=0
failed=0
count_ctest() { # adds the counts of a ctest log to the totals
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
    local f t
    f=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    # Every test here has what it needs, so one that skipped itself counts as failed.
    local s
    s=$(grep -cE '^\s+[0-9]+ - .* \(Skipped\)$' "$1" || true)
    failed=$((failed + f + s)); passed=$((passed + t - f - s))
}
logs=$(mktemp -d)

echo "=== host unit tests"
ctest --preset native 2>&1 | tee "$logs/native.log"
count_ctest "$logs/native.log"

echo "=== Linux program tests (virtual display with a tray)"
. tests/linux/env.sh
tavrel_linux_display_start
ctest --preset linux -L linux 2>&1 | tee "$logs/linux.log"
count_ctest "$logs/linux.log"
tavrel_linux_display_stop

echo "=== checks of the win32 binaries"
TAVREL_WIN32_BIN="$root/build/win32/bin" python3 -m unittest discover -s tests/pe -v 2>&1 | tee "$logs/pe.log"
pe_total=$(sed -nE 's/^Ran ([0-9]+) tests?.*/\1/p' "$logs/pe.log" | tail -n 1)
pe_bad=$(sed -nE 's/^FAILED \((.*)\)/\1/p' "$logs/pe.log" | grep -oE '(failures|errors)=[0-9]+' | awk -F= '{s += $2} END {print s + 0}')
pe_total=${pe_total:-0}; pe_bad=${pe_bad:-0}
if [ "$pe_total" -eq 0 ]; then pe_bad=1; fi
passed=$((passed + pe_total - pe_bad)); failed=$((failed + pe_bad))

echo "=== Windows tests under Wine (win64)"
. tests/wine/env.sh
trap tavrel_wine_stop EXIT
tavrel_display_start && tavrel_prefix_new "$(mktemp -d /tmp/tavrel-test-prefix.XXXXXX)"
ctest --preset win64 2>&1 | tee "$logs/win64.log"
count_ctest "$logs/win64.log"
tavrel_wine_stop

echo
echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
