#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# run.sh [--deb FILE] [CHECK...]: builds the Debian package (unless given one), boots one
# virtual machine with a real kernel and systemd (logind, udev, D-Bus), installs the
# package in it, makes three users (alice
# and bob with logind sessions on tty2 and tty3, alice's in front; carol with none) and runs
# the checks tests/vm/check_*.py (or the CHECKs named, e.g. inputd) in that one boot.
# Exit status 0 when every check passed. About 100 s of boot under software emulation, then
# the checks; see the README for the times.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
deb=""
if [ "${1:-}" = --deb ]; then deb=$2; shift 2; fi
if [ -z "$deb" ]; then
    # The package of this checkout, built afresh.
    { cmake --preset linux >/dev/null && cmake --build --preset linux --target package >/dev/null; } ||
        { echo "vm: building the package failed" >&2; exit 2; }
    deb=$(ls -t build/linux/tavrel_*_amd64.deb 2>/dev/null | head -n 1 || true)
fi
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "vm: no package; build it: cmake --build build/linux --target package" >&2
    exit 2
fi
deb=$(realpath "$deb")
case "$deb" in "$root"/*) ;; *) echo "vm: the package must lie inside $root" >&2; exit 2 ;; esac
# The virtual machine itself: tests/vm/vmrun.sh, unless VMRUN names another.
vmrun=${VMRUN:-$root/tests/vm/vmrun.sh}
log=$(mktemp /tmp/tavrel-vm.XXXXXX.log)
start=$(date +%s)
set +e
VM_SYSTEMD=1 VM_SHARE=$root VM_MEM=${VM_MEM:-2048} "$vmrun" \
    "bash tests/vm/guest.sh '$deb' $*" | tee "$log"
rc=${PIPESTATUS[0]}
set -e
echo "vm: finished in $(($(date +%s) - start)) s, status $rc (log $log)"
exit "$rc"
