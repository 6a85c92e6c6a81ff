#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# fuzz.sh [SECONDS]: builds the libFuzzer targets (the fuzz preset: clang, ASan, UBSan) and
# runs each for SECONDS (default 45) over a copy of its corpus in fuzz/corpus/<name>/, so
# the tree's corpus stays as it is. A crash, a sanitizer report or a broken check fails the
# target; its input is left in build/fuzz/crashes/. Prints "N passed, N failed" last.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-45}
{ cmake --preset fuzz >/dev/null && cmake --build --preset fuzz; } || { echo "fuzz: build failed"; echo "0 passed, 1 failed"; exit 1; }
passed=0
failed=0
crashes=build/fuzz/crashes
mkdir -p "$crashes"
for seed in fuzz/corpus/*/; do
    name=$(basename "$seed")
    work=$(mktemp -d "/tmp/tavrel-fuzz-$name.XXXXXX")
    cp "$seed"* "$work/"
    log=build/fuzz/$name.log
    # One process, one input at a time; a second per input at most; a run of bounded length.
    "build/fuzz/bin/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$crashes/$name-" -print_final_stats=1 "$work" >"$log" 2>&1
    rc=$?
    runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log" | tail -n 1)
    cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1)
    if [ "$rc" -eq 0 ]; then
        echo "  ok   fuzz_$name: ${runs:-?} inputs in ${seconds} s, ${cov:-cov: ?}, corpus $(ls "$work" | wc -l)"
        passed=$((passed + 1))
    else
        echo "  FAIL fuzz_$name (status $rc); the end of its log:"
        tail -n 30 "$log" | sed 's/^/    /'
        failed=$((failed + 1))
    fi
    rm -rf "$work"
done
echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
