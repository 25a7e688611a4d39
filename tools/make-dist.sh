#!/usr/bin/env bash
# Lays out the game the way players get it and packs it:
#   OUT/Kestravel/kestravel                        the launcher, started from inside OUT/Kestravel
#   OUT/Kestravel/Kestravel_Data/Kestravel_Main    the game
#   OUT/Kestravel/Kestravel_Data/data/             everything the game loads (a copy)
#   OUT/Kestravel-linux-ARCH.tar.gz
# Usage: tools/make-dist.sh BUILD_DIR OUT_DIR
set -euo pipefail
build=${1:?usage: make-dist.sh BUILD_DIR OUT_DIR}
out=${2:?usage: make-dist.sh BUILD_DIR OUT_DIR}
source_dir=$(cd "$(dirname "$0")/.." && pwd)

for program in kestravel Kestravel_Main; do
    [ -x "$build/bin/$program" ] || { echo "make-dist: $build/bin/$program is missing; build first" >&2; exit 1; }
done
[ -f "$source_dir/data/game/world1.txt" ] || { echo "make-dist: $source_dir/data has no world file" >&2; exit 1; }

mkdir -p "$out"
stage="$out/Kestravel"
rm -rf "$stage"
mkdir -p "$stage/Kestravel_Data"
install -m 755 "$build/bin/kestravel" "$stage/kestravel"
install -m 755 "$build/bin/Kestravel_Main" "$stage/Kestravel_Data/Kestravel_Main"
# -L: the build folder reaches the data through a link; players need the files themselves.
cp -RL "$source_dir/data" "$stage/Kestravel_Data/data"
chmod -R u+rwX,go+rX,go-w "$stage"
if command -v strip >/dev/null; then
    strip --strip-unneeded "$stage/kestravel" "$stage/Kestravel_Data/Kestravel_Main" 2>/dev/null || true
fi

archive="$out/Kestravel-linux-$(uname -m).tar.gz"
tar -C "$out" --owner=0 --group=0 --numeric-owner --sort=name -czf "$archive" Kestravel
echo "$archive"
