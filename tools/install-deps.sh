#!/usr/bin/env bash
# Installs the Debian packages a build needs, only those that are missing.
# Usage: tools/install-deps.sh run|test|dev|windows|windows-test
set -euo pipefail
kind=${1:-run}

run_packages="build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev"
test_packages="libgtest-dev libgmock-dev libvorbis-dev libpng-dev xvfb xauth xfonts-base xdotool x11-utils sox libfreetype-dev fonts-open-sans python3 appstream"
dev_packages="libbenchmark-dev clang libclang-rt-14-dev valgrind"
# The Windows zip: cross compilers, the tools that fetch and unpack Debian's SDL sources, and the
# icon and zip makers; then Wine and an X server to play it in.
windows_packages="gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake make pkg-config dpkg-dev xz-utils python3 zip"
windows_test_packages="wine wine64 xvfb xauth xdotool x11-utils x11-apps python3 unzip icoutils binutils-mingw-w64-x86-64"

packages=$run_packages
case $kind in
    run) ;;
    test) packages="$packages $test_packages" ;;
    dev) packages="$packages $test_packages $dev_packages" ;;
    windows) packages=$windows_packages ;;
    windows-test) packages=$windows_test_packages ;;
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
