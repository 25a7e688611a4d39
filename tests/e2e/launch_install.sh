#!/usr/bin/env bash
# `cmake --install` gives a `kestravel` command that starts the game with its data, plus the
# desktop entry, the 256x256 icon and valid AppStream metainfo. Runs headless.
set -u
src=$1
bin=$2

if [ ! -f "$src/data/game/world1.txt" ] || [ ! -f "$src/data/graphics/icon.png" ]; then
    echo "SKIP: the game data (world file, icon) does not exist yet"
    exit 77
fi

tmp=$(mktemp -d)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$bin/.." --prefix "$tmp/prefix" >"$tmp/install.log" 2>&1 || fail "install failed: $(cat "$tmp/install.log")"
prefix=$tmp/prefix
for file in bin/kestravel share/applications/kestravel.desktop \
    share/icons/hicolor/256x256/apps/kestravel.png share/metainfo/io.github.kestravel.Kestravel.metainfo.xml; do
    [ -f "$prefix/$file" ] || fail "$file not installed"
done
[ -x "$prefix/bin/kestravel" ] || fail "bin/kestravel not executable"
grep -qx 'Exec=kestravel' "$prefix/share/applications/kestravel.desktop" || fail "desktop entry does not run kestravel"
grep -qx 'Icon=kestravel' "$prefix/share/applications/kestravel.desktop" || fail "desktop entry has another icon"
if command -v file >/dev/null; then
    file "$prefix/share/icons/hicolor/256x256/apps/kestravel.png" | grep -q 'PNG image data, 256 x 256' ||
        fail "icon is not a 256x256 PNG"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$prefix/share/metainfo/io.github.kestravel.Kestravel.metainfo.xml" ||
        fail "metainfo does not validate"
fi

# The installed command from an unrelated folder, the way a menu or a shell starts it.
mkdir -p "$tmp/somewhere"
cd "$tmp/somewhere" || exit 1
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
unset DISPLAY WAYLAND_DISPLAY
"$prefix/bin/kestravel" >"$tmp/game.out" 2>&1 &
game_pid=$!
sleep 3
kill -0 "$game_pid" 2>/dev/null || fail "the installed game ended: $(cat "$tmp/game.out")"
[ "$(readlink "/proc/$game_pid/exe")" = "$(cd "$prefix" && pwd -P)/libexec/kestravel/Kestravel_Main" ] ||
    fail "bin/kestravel runs $(readlink "/proc/$game_pid/exe")"
echo "PASS: installed game runs in $(readlink "/proc/$game_pid/cwd")"
