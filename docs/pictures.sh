#!/bin/sh
# Redraws the README's map and screenshots from the shipped world and its route.
# Usage: docs/pictures.sh [BIN_DIR]   (default build/bin), from the repository root.
set -e
bin=${1:-build/bin}
world=data/game/world1.txt
route=data/game/world1.route
"$bin/kestravel-world" map "$world" docs/map.png --scale 0.25
shot() {
    "$bin/kestravel-world" route "$world" --from "$route" --frames "$1" --picture "docs/$2.png"
}
shot 20 shot-start-distance0
shot 712 shot-quay-distance3
shot 2060 shot-tower-distance9
shot 7440 shot-sluice-distance4
