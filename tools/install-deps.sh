#!/usr/bin/env bash
# Installs the Debian packages a build needs, only those that are missing.
# Usage: tools/install-deps.sh run|test|dev
set -euo pipefail
kind=${1:-run}

run_packages="build-essential cmake pkg-config libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev"
test_packages="libgtest-dev libgmock-dev libvorbis-dev libpng-dev xvfb xauth xfonts-base xdotool x11-utils sox libfreetype-dev fonts-open-sans python3 appstream"
dev_packages="libbenchmark-dev clang libclang-rt-14-dev valgrind"

packages=$run_packages
case $kind in
    run) ;;
    test) packages="$packages $test_packages" ;;
    dev) packages="$packages $test_packages $dev_packages" ;;
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
