#!/usr/bin/env bash
# Lays out the game the way players get it and packs it:
#   OUT/Kestravel/kestravel                        the launcher, started from inside OUT/Kestravel
#   OUT/Kestravel/Kestravel_Data/Kestravel_Main    the game
#   OUT/Kestravel/Kestravel_Data/data/             everything the game loads (a copy)
#   OUT/Kestravel/kestravel.png, install-menu-entry.sh, LICENSE, CREDITS
#   OUT/Kestravel-linux-ARCH.tar.gz
# Given LIB_DIR, the libraries there that the programs need, and theirs in turn, go into
# OUT/Kestravel/Kestravel_Data/lib (where the programs' run paths look). The tarball holds the same
# bytes whenever the same files are packed: names sorted, owner root, every time SOURCE_DATE_EPOCH
# (by default the time of the last commit).
# Usage: tools/make-dist.sh BUILD_DIR OUT_DIR [LIB_DIR]
set -euo pipefail
build=${1:?usage: make-dist.sh BUILD_DIR OUT_DIR [LIB_DIR]}
out=${2:?usage: make-dist.sh BUILD_DIR OUT_DIR [LIB_DIR]}
libs=${3:-}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

for program in kestravel Kestravel_Main; do
    [ -x "$build/bin/$program" ] || { echo "make-dist: $build/bin/$program is missing; build first" >&2; exit 1; }
done
[ -f "$source_dir/data/game/world1.txt" ] || { echo "make-dist: $source_dir/data has no world file" >&2; exit 1; }
# shellcheck source=tools/pack.sh
source "$source_dir/tools/pack.sh"

mkdir -p "$out"
stage="$out/Kestravel"
rm -rf "$stage"
mkdir -p "$stage/Kestravel_Data"
install -m 755 "$build/bin/kestravel" "$stage/kestravel"
install -m 755 "$build/bin/Kestravel_Main" "$stage/Kestravel_Data/Kestravel_Main"
# -L: the build folder reaches the data through a link; players need the files themselves.
cp -RL "$source_dir/data" "$stage/Kestravel_Data/data"
install -m 644 "$source_dir/data/graphics/icon.png" "$stage/kestravel.png"
install -m 755 "$source_dir/packaging/install-menu-entry.sh" "$stage/install-menu-entry.sh"
install -m 644 "$source_dir/LICENSE" "$source_dir/CREDITS" "$stage/"
if command -v strip >/dev/null; then
    strip --strip-unneeded "$stage/kestravel" "$stage/Kestravel_Data/Kestravel_Main" 2>/dev/null || true
fi

# One file per soname (no links), stripped like the programs.
copy_libraries() {
    local name
    for name in $(objdump -p "$1" | sed -n 's/^ *NEEDED *//p'); do
        [ -e "$libs/$name" ] && [ ! -e "$stage/Kestravel_Data/lib/$name" ] || continue
        install -m 644 "$libs/$name" "$stage/Kestravel_Data/lib/$name"
        strip --strip-unneeded "$stage/Kestravel_Data/lib/$name"
        copy_libraries "$stage/Kestravel_Data/lib/$name"
    done
}
if [ -n "$libs" ]; then
    mkdir -p "$stage/Kestravel_Data/lib"
    copy_libraries "$stage/kestravel"
    copy_libraries "$stage/Kestravel_Data/Kestravel_Main"
fi

archive="$out/Kestravel-linux-$(uname -m).tar.gz"
pack_tar "$out" Kestravel "$archive"
echo "$archive"
