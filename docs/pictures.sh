#!/bin/sh
# Redraws the README's map and screenshots from the shipped world and its route.
# Usage: docs/pictures.sh [BIN_DIR]   (default build/bin), from the repository root.
set -e
bin=${1:-build/bin}
world=data/game/world1.txt
route=data/game/world1.route
"$bin/kestravel-world" map "$world" docs/map.png --scale 0.25
shot() {
    "$bin/kestravel-world" route "$world" --from "$2" --frames "$1" --picture "docs/$3.png"
}
shot 20 "$route" shot-start-distance0
shot 3921 "$route" shot-hull-distance8
shot 5273 "$route" shot-netlofts-distance4
shot 17216 "$route" shot-chimney-distance7
# The statistics, once the star row has filled.
ending=$(mktemp)
trap 'rm -f "$ending"' EXIT
{ cat "$route"; echo "110 -"; } > "$ending"
shot 100000 "$ending" shot-complete
