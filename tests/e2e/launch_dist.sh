#!/usr/bin/env bash
# The unpacked dist tarball starts the game through its launcher, with the arguments passed
# on, and the game finds its data from its own folder. Runs headless (offscreen video).
set -u
src=$1
bin=$2

if [ ! -f "$src/data/game/world1.txt" ]; then
    echo "SKIP: data/game/world1.txt does not exist yet"
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

# Our own game by its exact program path; nothing else runs from this temp folder.
pid_of_program() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/exe" 2>/dev/null)" = "$1" ] && { echo "${p#/proc/}"; return 0; }
    done
    return 1
}

bash "$src/tools/make-dist.sh" "$bin/.." "$tmp/out" >/dev/null || fail "make-dist.sh failed"
stage=$tmp/out/Kestravel
[ -x "$stage/kestravel" ] || fail "launcher missing"
[ -x "$stage/Kestravel_Data/Kestravel_Main" ] || fail "game missing"
[ -f "$stage/Kestravel_Data/data/game/world1.txt" ] || fail "data missing"
[ -n "$(find "$stage" -type l)" ] && fail "the dist folder holds links: $(find "$stage" -type l)"
archive=$(ls "$tmp"/out/Kestravel-linux-*.tar.gz 2>/dev/null) || fail "no tarball"

# Unpack somewhere else entirely and start from there.
mkdir -p "$tmp/elsewhere"
tar -C "$tmp/elsewhere" -xzf "$archive" || fail "tarball does not unpack"
cd "$tmp/elsewhere/Kestravel" || fail "tarball has no Kestravel folder"
game=$(pwd -P)/Kestravel_Data/Kestravel_Main

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
unset DISPLAY WAYLAND_DISPLAY
./kestravel "two words" "" >"$tmp/launcher.out" 2>&1
status=$?
[ $status -eq 0 ] || fail "launcher exited with $status: $(cat "$tmp/launcher.out")"

for _ in $(seq 50); do
    game_pid=$(pid_of_program "$game") && break
    sleep 0.1
done
[ -n "$game_pid" ] || fail "the game never started: $(cat "$tmp/launcher.out")"
sleep 2
kill -0 "$game_pid" 2>/dev/null || fail "the game ended early: $(cat "$tmp/launcher.out")"
[ "$(readlink "/proc/$game_pid/cwd")" = "$(pwd -P)/Kestravel_Data" ] ||
    fail "game runs in $(readlink "/proc/$game_pid/cwd")"
args=$(tr '\0' '|' <"/proc/$game_pid/cmdline")
[ "$args" = "$game|two words||" ] || fail "game got arguments $args"
echo "PASS: dist game started through the launcher in $(readlink "/proc/$game_pid/cwd")"
