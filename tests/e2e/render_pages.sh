#!/usr/bin/env bash
# The real game under Xvfb, seen through its own F12 screenshots: the splash, the room, and the
# three pause menu pages (main, controls, about) each look the way they should relative to the room.
set -u
src=$1
bin=$2
. "$src/tests/e2e/lib/shell_xvfb.bash"
require_x_tools
command -v python3 >/dev/null || { echo "skipped: python3 is not installed"; exit 77; }
for f in data/game/world1.txt data/graphics/sheet0.png data/fonts/open96.png data/graphics/narrow.png; do
    [ -f "$src/$f" ] || { echo "skipped: $f does not exist yet"; exit 77; }
done

tmp=$(mktemp -d)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$tmp/game.out" ] && cat "$tmp/game.out"; exit 1; }

start_xvfb || exit 1
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
pictures=$HOME/pictures
mkdir -p "$pictures" "$XDG_CONFIG_HOME" "$tmp/run"
printf 'XDG_PICTURES_DIR="$HOME/pictures"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"

cd "$tmp/run" || exit 1
SDL_AUDIODRIVER=dummy "$bin/Kestravel_Main" >"$tmp/game.out" 2>&1 &
game_pid=$!
window=$(wait_for_window "$WINDOW_TITLE" 120 "$game_pid") || fail "no game window"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

shots=0
# Takes a screenshot and copies it to $tmp/$1.png.
shoot() {
    press_keys F12
    local newest="" i
    for i in $(seq 100); do
        if [ "$(ls "$pictures" | wc -l)" -gt "$shots" ]; then
            sleep 0.3  # let the file be written out
            newest=$(ls -t "$pictures"/*.png | head -n1)
            break
        fi
        sleep 0.1
    done
    [ -n "$newest" ] || fail "no screenshot for $1"
    shots=$((shots + 1))
    cp "$newest" "$tmp/$1.png"
}

# Fraction of near-black pixels in a picture (every fourth pixel of every fourth row).
black_of() {
    python3 - "$1" "$src/tools" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from pngread import load_png
width, height, bpp, rows = load_png(sys.argv[1])
p = [rows[y][x:x + 3] for y in range(0, height, 4) for x in range(0, width * bpp, 4 * bpp)]
print("%.3f" % (sum(1 for c in p if max(c) < 8) / len(p)))
PY
}

shoot splash
# The intro counts frames, not seconds: on a slow machine it lasts longer, so wait for the room.
sleep 2
for try in $(seq 30); do
    shoot room
    awk -v b="$(black_of "$tmp/room.png")" 'BEGIN { exit !(b < 0.3) }' && break
    sleep 1
done
# Past the short fade-in that follows the intro, then the room as the menu will cover it.
sleep 2
shoot room
press_keys Escape
sleep 0.5
shoot main
press_keys Down
press_keys Down
press_keys Return
sleep 0.5
shoot controls
press_keys BackSpace
sleep 0.3
press_keys Down
press_keys Return
sleep 0.5
shoot about
press_keys ctrl w

python3 - "$tmp" "$src/tools" <<'PY' || fail "the pictures do not look right"
import sys
sys.path.insert(0, sys.argv[2])
from pngread import load_png

def load(path):
    width, height, bpp, rows = load_png(path)
    stride = width * bpp
    # Every fourth pixel of every fourth row is plenty to judge a picture.
    return [tuple(rows[y][x:x + 3]) for y in range(0, height, 4) for x in range(0, stride, 4 * bpp)]

d = sys.argv[1]
pics = {name: load("%s/%s.png" % (d, name)) for name in ("splash", "room", "main", "controls", "about")}
def black(p): return sum(1 for c in p if max(c) < 8) / len(p)
def mean(p): return sum(sum(c) for c in p) / (3 * len(p))
# The veil pulls bright room pixels down: most of them must come out darker.
def veiled(p, room):
    bright = [(a, b) for a, b in zip(p, room) if max(b) > 80]
    return len(bright) > 100 and sum(1 for a, b in bright if max(a) < max(b) - 20) / len(bright) > 0.8
def differs(p, q): return sum(1 for a, b in zip(p, q) if max(abs(x - y) for x, y in zip(a, b)) > 24) / len(p)
for name, p in pics.items():
    print("%-8s black %.2f mean %.1f" % (name, black(p), mean(p)))
ok = True
def check(cond, what):
    global ok
    if not cond:
        print("not so:", what)
        ok = False
check(black(pics["splash"]) > 0.8, "the splash is mostly black")
check(black(pics["room"]) < 0.3, "the room fills the screen")
for page in ("main", "controls", "about"):
    check(veiled(pics[page], pics["room"]), page + " is under the dark veil")
    check(black(pics[page]) < 0.3, page + " still shows the room below the veil")
check(differs(pics["main"], pics["controls"]) > 0.01, "the controls page differs from the main page")
check(differs(pics["controls"], pics["about"]) > 0.01, "the about page differs from the controls page")
check(differs(pics["main"], pics["about"]) > 0.01, "the about page differs from the main page")
sys.exit(0 if ok else 1)
PY
echo "PASS"
