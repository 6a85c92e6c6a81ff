#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Inside the virtual machine, as root: installs the package, makes the users and their
# sessions, runs the checks. Called by run.sh; its arguments: the package, then the checks.
set -uo pipefail
deb=$1; shift
here=$(cd "$(dirname "$0")" && pwd)
py=/usr/bin/python3  # the system's, which has python3-evdev
t0=$(date +%s)
say() { echo "vm-guest: $* (+$(($(date +%s) - t0)) s)"; }

# The guest's root is the build machine's, whose container policy forbids maintainer scripts
# to start services (policy-rc.d exiting 101); a user's system has none.
rm -f /usr/sbin/policy-rc.d
# Nor does it index the manual pages on every package change: under emulation man-db's
# trigger takes minutes.
rm -f /var/lib/man-db/auto-update
say "installing $(basename "$deb")"
if ! dpkg -i "$deb" >/tmp/dpkg.log 2>&1; then cat /tmp/dpkg.log; echo "VMCHECK FAIL install"; exit 1; fi
systemctl is-enabled tavrel-inputd.socket >/dev/null && systemctl is-active tavrel-inputd.socket >/dev/null ||
    { cat /tmp/dpkg.log; systemctl status tavrel-inputd.socket --no-pager;
      echo "VMCHECK FAIL install: the socket is not enabled and listening"; exit 1; }

for u in alice bob carol; do useradd -m "$u"; done
# A logind session on a VT for each of alice and bob, as a login on that console makes one.
for pair in alice:2 bob:3; do
    u=${pair%:*}; vt=${pair#*:}
    systemd-run --quiet --unit="session-$u" --uid="$u" -p PAMName=login -p TTYPath="/dev/tty$vt" \
        -p StandardInput=tty -p StandardOutput=tty /bin/sleep infinity
done
for i in $(seq 1 60); do
    [ "$(loginctl list-sessions --no-legend 2>/dev/null | grep -cE ' (alice|bob) ')" -ge 2 ] && break
    sleep 0.5
done
chvt 2 2>/dev/null || busybox chvt 2
alice_session=$(loginctl list-sessions --no-legend | awk '$3 == "alice" {print $1}')
for i in $(seq 1 60); do
    [ "$(loginctl show-session "$alice_session" -p Active --value 2>/dev/null)" = yes ] && break
    sleep 0.5
done
loginctl list-sessions --no-legend
say "installed; sessions up"

checks=("$@")
if [ ${#checks[@]} -eq 0 ]; then
    for f in "$here"/check_*.py; do c=$(basename "$f" .py); checks+=("${c#check_}"); done
fi
failed=0
for c in "${checks[@]}"; do
    say "check $c"
    script="$here/check_$c.py"
    [ -f "$script" ] || script="$here/$c.py"
    if PYTHONPATH="$here" "$py" "$script"; then
        echo "VMCHECK PASS $c"
    else
        echo "VMCHECK FAIL $c"; failed=$((failed + 1))
    fi
done
# Last, as a user removes it: the package stops, disables and takes away the service.
say "removing the package"
dpkg -r tavrel >/tmp/dpkg.log 2>&1 || { cat /tmp/dpkg.log; failed=$((failed + 1)); }
say "removed"
if systemctl is-active --quiet tavrel-inputd.socket tavrel-inputd.service ||
    [ -e /run/tavrel-inputd.socket ] || [ -e /usr/lib/systemd/system/tavrel-inputd.socket ] ||
    [ -e /etc/systemd/system/sockets.target.wants/tavrel-inputd.socket ]; then
    echo "VMCHECK FAIL removal: the service, its socket or its units are still there"; failed=$((failed + 1))
else
    echo "VMCHECK PASS removal"
fi
if [ "$failed" -ne 0 ]; then
    journalctl -u tavrel-inputd.service --no-pager -o cat | tail -n 40
fi
say "done, $failed failed"
[ "$failed" -eq 0 ]
