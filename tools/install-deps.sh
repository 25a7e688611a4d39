#!/usr/bin/env bash
# Installs the Debian packages a build needs, only those that are missing.
# Usage: tools/install-deps.sh run|test|dev|windows|windows-test|web|web-test|linux|linux-test
set -euo pipefail
kind=${1:-run}

run_packages="build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev"
test_packages="libgtest-dev libgmock-dev libvorbis-dev libpng-dev xvfb xauth xfonts-base xdotool x11-utils sox libfreetype-dev fonts-open-sans python3 appstream"
dev_packages="libbenchmark-dev clang libclang-rt-14-dev valgrind"
# The Windows zip: cross compilers, the tools that fetch and unpack Debian's SDL sources, and the
# icon and zip makers; then Wine and an X server to play it in.
windows_packages="gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake make pkg-config dpkg-dev xz-utils python3 zip"
windows_test_packages="wine wine64 xvfb xauth xdotool x11-utils x11-apps python3 unzip icoutils binutils-mingw-w64-x86-64"
# The web page: Debian's emscripten (with its clang, lld and binaryen), the tools that fetch and
# unpack Debian's SDL sources, and the zip maker; then two browsers, an X server for Firefox's
# WebGL; npm (only where no npm is on the PATH) installs the pinned browser driver.
web_packages="emscripten cmake make pkg-config dpkg-dev xz-utils python3 zip"
web_test_packages="chromium firefox-esr xvfb xauth python3 unzip"
# The Linux download: SDL from Debian's sources, with the headers of every desktop library it opens
# at run time (X11, Wayland, GL and EGL, PulseAudio, PipeWire, ALSA, D-Bus, udev), or its build
# leaves that support out. Then its test: an X server, and a real desktop-entry reader (gio).
linux_packages="build-essential cmake pkg-config dpkg-dev xz-utils libx11-dev libxext-dev libxcursor-dev libxi-dev libxinerama-dev libxrandr-dev libxss-dev libxxf86vm-dev libxfixes-dev libxkbcommon-dev libwayland-dev wayland-protocols libdecor-0-dev libegl-dev libgl-dev libgles-dev libpulse-dev libpipewire-0.3-dev libasound2-dev libdbus-1-dev libudev-dev"
linux_test_packages="xvfb xauth xdotool x11-utils python3 libglib2.0-bin desktop-file-utils"

packages=$run_packages
case $kind in
    run) ;;
    test) packages="$packages $test_packages" ;;
    dev) packages="$packages $test_packages $dev_packages" ;;
    windows) packages=$windows_packages ;;
    windows-test) packages=$windows_test_packages ;;
    web) packages=$web_packages ;;
    web-test) packages=$web_test_packages; command -v npm >/dev/null || packages="$packages npm" ;;
    linux) packages=$linux_packages ;;
    linux-test) packages=$linux_test_packages ;;
    *) echo "unknown set: $kind" >&2; exit 2 ;;
esac

missing=()
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
