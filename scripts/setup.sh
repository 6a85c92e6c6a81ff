#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, running and testing Tavrel need on Debian 12. Idempotent.
# Never installs wine32: these kernels refuse 32-bit Linux programs, and with it present
# /usr/bin/wine picks the 32-bit loader and fails.
set -euo pipefail

packages=(
    cmake make g++ python3
    libgtest-dev googletest libbenchmark-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine wine64 fonts-wine wixl msitools xvfb xdotool x11-utils x11-xserver-utils zip x11-apps imagemagick
    qt6-base-dev qt6-qpa-plugins libx11-dev libxtst-dev trayer dpkg-dev file
    qt6-wayland weston dbus python3-dbus python3-gi
    locales-all
    libudev-dev libsystemd-dev
    qemu-system-x86 linux-image-amd64 busybox-static python3-evdev
    strace util-linux passwd
    openbox xterm wmctrl faketime libfaketime
    syncthing
    clang clang-format libclang-rt-14-dev llvm lintian appstream
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q "install ok installed"; then
    echo "setup: wine32 is installed; it breaks /usr/bin/wine on this kernel. Remove it: apt-get remove wine32" >&2
    exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
