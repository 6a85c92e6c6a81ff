#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every test: installs what is missing, builds the four presets, then in steps of their
# own, each timed: the static checks (format, licence lines, the service unit's exposure, the
# metainfo), the host unit tests, the same under ASan and UBSan, the fuzzers for a bounded
# time, the Linux program's tests on a virtual display with a tray, the checks of the 32-bit
# Windows binaries, the Windows tests under Wine, and the input service and Tavrel on Wayland
# in a virtual machine with a real kernel (the package checked by lintian first).
# TAVREL_FUZZ_SECONDS sets each fuzzer's time (45); TAVREL_SKIP_VM=1 leaves the virtual
# machine out (it needs qemu and some 5 to 15 minutes).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh || exit 1

passed=0
failed=0
timings=()
logs=$(mktemp -d)

# step NAME FUNCTION: runs one step, says how long it took.
step() {
    local name=$1 start=$SECONDS
    shift
    echo
    echo "=== ${name}"
    "$@"
    local took=$((SECONDS - start))
    echo "=== ${name}: ${took} s"
    timings+=("$(printf '%5d s  %s' "$took" "$name")")
}

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

count_plain() { # adds the "N passed, N failed" line of a log to the totals
    local line
    line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$1" | tail -n 1)
    if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
    passed=$((passed + $(cut -d' ' -f1 <<<"$line")))
    failed=$((failed + $(cut -d' ' -f3 <<<"$line")))
}

build_presets() {
    local preset
    for preset in native linux win32 win64; do
        echo "--- build ${preset}"
        { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; } || {
            echo "build of ${preset} failed"
            exit 1
        }
    done
}

static_checks() {
    bash scripts/check_static.sh 2>&1 | tee "$logs/static.log"
    count_plain "$logs/static.log"
}

host_unit_tests() {
    ctest --preset native 2>&1 | tee "$logs/native.log"
    count_ctest "$logs/native.log"
}

sanitized_unit_tests() {
    # The host unit tests and the input service's, built with -fsanitize=address,undefined.
    { cmake --preset sanitize >/dev/null && cmake --build --preset sanitize >"$logs/sanitize-build.log" 2>&1; } || {
        tail -n 40 "$logs/sanitize-build.log"
        echo "build of sanitize failed"
        failed=$((failed + 1))
        return
    }
    ctest --preset sanitize 2>&1 | tee "$logs/sanitize.log"
    count_ctest "$logs/sanitize.log"
}

fuzzers() {
    bash scripts/fuzz.sh "${TAVREL_FUZZ_SECONDS:-45}" 2>&1 | tee "$logs/fuzz.log"
    count_plain "$logs/fuzz.log"
}

linux_program_tests() {
    . tests/linux/env.sh
    tavrel_linux_display_start
    ctest --preset linux -L linux 2>&1 | tee "$logs/linux.log"
    count_ctest "$logs/linux.log"
    tavrel_linux_display_stop
}

win32_binary_checks() {
    TAVREL_WIN32_BIN="$root/build/win32/bin" python3 -m unittest discover -s tests/pe -v 2>&1 | tee "$logs/pe.log"
    local total bad
    total=$(sed -nE 's/^Ran ([0-9]+) tests?.*/\1/p' "$logs/pe.log" | tail -n 1)
    bad=$(sed -nE 's/^FAILED \((.*)\)/\1/p' "$logs/pe.log" | grep -oE '(failures|errors)=[0-9]+' | awk -F= '{s += $2} END {print s + 0}')
    total=${total:-0}; bad=${bad:-0}
    if [ "$total" -eq 0 ]; then bad=1; fi
    passed=$((passed + total - bad)); failed=$((failed + bad))
}

windows_tests() {
    . tests/wine/env.sh
    trap tavrel_wine_stop EXIT
    tavrel_display_start && tavrel_prefix_new "$(mktemp -d /tmp/tavrel-test-prefix.XXXXXX)"
    ctest --preset win64 2>&1 | tee "$logs/win64.log"
    count_ctest "$logs/win64.log"
    tavrel_wine_stop
    trap - EXIT
}

package_and_vm_tests() {
    # The package as a distribution would take it: no lintian error.
    cmake --build --preset linux --target package >"$logs/package.log" 2>&1 || {
        tail -n 40 "$logs/package.log"; echo "building the package failed"; failed=$((failed + 1)); return
    }
    local deb
    deb=$(ls -t build/linux/tavrel_*_amd64.deb | head -n 1)
    lintian --fail-on error "$deb" build/linux/tavrel-dbgsym_*_amd64.ddeb 2>&1 | tee "$logs/lintian.log"
    if [ "${PIPESTATUS[0]}" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
    if [ "${TAVREL_SKIP_VM:-}" = 1 ]; then
        echo "vm: left out (TAVREL_SKIP_VM=1)"
        return
    fi
    # Every check of the service and of Tavrel on Wayland, in one boot with systemd.
    bash tests/vm/run.sh --deb "$deb" 2>&1 | tee "$logs/vm.log" | grep -E --line-buffered \
        '^(vm|vm-guest|VMCHECK|FIGURE|  ok|  FAIL|failed:)' 
    local ok bad
    ok=$(grep -c '^VMCHECK PASS' "$logs/vm.log")
    bad=$(grep -c '^VMCHECK FAIL' "$logs/vm.log")
    if ! grep -q '^vm: finished in .* status 0 ' "$logs/vm.log" && [ "$bad" -eq 0 ]; then
        tail -n 60 "$logs/vm.log"
        bad=1  # the machine itself failed
    fi
    passed=$((passed + ok)); failed=$((failed + bad))
}

step "build native, linux, win32, win64" build_presets
step "static checks" static_checks
step "host unit tests" host_unit_tests
step "host unit tests under ASan and UBSan" sanitized_unit_tests
step "fuzzers, ${TAVREL_FUZZ_SECONDS:-45} s each" fuzzers
step "Linux program tests (virtual display with a tray)" linux_program_tests
step "checks of the win32 binaries" win32_binary_checks
step "Windows tests under Wine (win64)" windows_tests
step "package (lintian) and virtual machine tests" package_and_vm_tests

echo
echo "=== time of each step"
printf '%s\n' "${timings[@]}"
echo "  total: ${SECONDS} s"
echo
echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
