#!/bin/sh
# Draws every picture the README and docs/ show, from the shipped world, its route and the assets,
# as the game draws them (offscreen, frame by frame). A test redraws them into a folder of its own and
# compares: rerun this after changing the world, the route, the art or the drawing.
# Usage: docs/pictures.sh [BIN_DIR [OUT_DIR]]   (default build/bin and docs), from the repository root.
set -e
bin=${1:-build/bin}
out=${2:-docs}
world=data/game/world1.txt
route=data/game/world1.route
scripts=$(mktemp -d)
trap 'rm -rf "$scripts"' EXIT

"$bin/kestravel-world" map "$world" "$out/map.png" --scale 0.25 >/dev/null
# shot FRAMES SCRIPT NAME [OPTIONS]: the frame after that many frames of the script.
shot() {
    frames=$1 script=$2 name=$3
    shift 3
    "$bin/kestravel-world" route "$world" --from "$script" --frames "$frames" --picture "$out/$name.png" "$@"
}

# The route's moments.
shot 20 "$route" shot-start-distance0
shot 3921 "$route" shot-hull-distance8
shot 5273 "$route" shot-netlofts-distance4
shot 17216 "$route" shot-chimney-distance7
# The statistics, once the star row has filled.
{ cat "$route"; echo "110 -"; } >"$scripts/ending"
shot 100000 "$scripts/ending" shot-complete

# The game as a player first meets it: the logo, the start with the game's name, the pause menu.
echo "400 -" >"$scripts/wait"
printf '200 -\n1 P\n40 -\n' >"$scripts/pause"
shot 30 "$scripts/wait" game-splash --intro
shot 240 "$scripts/wait" game-start --intro
shot 241 "$scripts/pause" game-menu --intro
