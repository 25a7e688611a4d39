#!/usr/bin/env bash
# The real game started on broken ground. Each start-up fault ends with its own message and
# status 1; spoiled pictures, sounds and mappings are no fault: the game runs on in silence.
# No display is used: the message goes to standard error, where a box cannot be shown.
set -u
src=$1
bin=$2
[ -f "$src/data/game/world1.txt" ] || { echo "skipped: no game data yet"; exit 77; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
problems=0
fail() { echo "not so: $*"; problems=$((problems + 1)); }

# A game tree of its own: bin/Kestravel_Main and, beside bin, data/ as the case wants it.
fresh_tree() {
    rm -rf "$tmp/game"
    mkdir -p "$tmp/game/bin" "$tmp/game/run"
    cp "$bin/Kestravel_Main" "$tmp/game/bin/"
    cp -R "$src/data" "$tmp/game/data"
}

# run WHAT EXPECTED-STATUS EXPECTED-MESSAGE [VAR=VALUE...]: runs the game for at most LIMIT (20) s
# (status 124 means it was still running) and checks status and standard error.
run() {
    local what=$1 want=$2 message=$3
    shift 3
    (cd "$tmp/game/run" && env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
        HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/config" "$@" \
        timeout "${LIMIT:-20}" ../bin/Kestravel_Main >"$tmp/out" 2>"$tmp/err")
    local status=$?
    if [ "$status" -ne "$want" ]; then
        fail "$what: status $status, expected $want"
        sed 's/^/    /' "$tmp/err"
    elif [ -n "$message" ] && ! grep -qxF "Kestravel - Error: $message" "$tmp/err"; then
        fail "$what: no \"$message\" on standard error: $(cat "$tmp/err")"
    elif [ -z "$message" ] && grep -q 'Kestravel' "$tmp/err"; then
        # Libraries may grumble about what they were fed (libpng does); the game says nothing.
        fail "$what: the game said something: $(cat "$tmp/err")"
    else
        echo "ok: $what"
    fi
}

fresh_tree
rm -rf "$tmp/game/data/game/world1.txt"
mkdir -p "$tmp/game/data/game/world1.txt"
run "a folder named like the world file" 1 "Game data not found!"

fresh_tree
rm "$tmp/game/data/game/world1.txt"
run "no world file beside the other data" 1 "Game data not found!"

fresh_tree
truncate -s 65M "$tmp/game/data/game/world1.txt"
run "a world file larger than the 64 MiB any world fits in" 1 "Game data not found!"

fresh_tree
run "video that cannot start" 1 "SDL could not be initialized!" SDL_VIDEODRIVER=no-such-driver

fresh_tree
run "sound output that cannot start" 1 "Audio could not be initalized!" SDL_AUDIODRIVER=no-such-driver

# Nothing but a world file that holds no world: the game plays an empty room until stopped.
fresh_tree
for f in "$tmp"/game/data/graphics/*.png "$tmp"/game/data/fonts/*.png; do head -c 100 "$f" >"$f.cut" && mv "$f.cut" "$f"; done
for f in "$tmp"/game/data/sounds/*.wav "$tmp"/game/data/music/*.ogg; do printf 'RIFF\377\377\377\377WAVEjunk' >"$f"; done
rm -f "$tmp/game/data/game/gamecontrollerdb.txt"
mkdir "$tmp/game/data/game/gamecontrollerdb.txt"
printf '\xfe\xff\x00z\x00o\x00n\x00e' >"$tmp/game/data/game/world1.txt"
LIMIT=5 run "every picture cut short, every sound junk, mappings a folder, a UTF-16BE world" 124 ""

[ "$problems" -eq 0 ] || { echo "FAIL: $problems checks"; exit 1; }
echo "PASS"
