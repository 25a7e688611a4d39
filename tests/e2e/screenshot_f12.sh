#!/usr/bin/env bash
# The real game under Xvfb: F12 writes a 640x480 PNG of the room into the pictures folder
# that user-dirs.dirs names.
set -u
src=$1
bin=$2

for tool in Xvfb xdotool python3; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if [ ! -f "$src/data/game/world1.txt" ] || [ ! -f "$src/data/graphics/sheet0.png" ]; then
    echo "SKIP: the game data (world file, tile sheets) does not exist yet"
    exit 77
fi

tmp=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$tmp/game.out" ] && cat "$tmp/game.out"; exit 1; }

# Xvfb picks a free display itself and tells us which.
exec 3>"$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$tmp/xvfb.out" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || fail "Xvfb did not start: $(cat "$tmp/xvfb.out")"
export DISPLAY=":$(head -n1 "$tmp/display")"

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME/Bilder und Fotos" "$XDG_CONFIG_HOME" "$tmp/run"
printf '# written by the test\nXDG_PICTURES_DIR="$HOME/Bilder und Fotos"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
pictures="$HOME/Bilder und Fotos"

cd "$tmp/run" || exit 1
SDL_AUDIODRIVER=dummy "$bin/Kestravel_Main" >"$tmp/game.out" 2>&1 &
game_pid=$!

window=""
# Generous: start-up under the sanitizers on a loaded machine is slow.
for _ in $(seq 1200); do
    window=$(xdotool search --name 'Ctrl\+F for Fullscreen' 2>/dev/null | head -n1) && [ -n "$window" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before its window showed"
    sleep 0.1
done
[ -n "$window" ] || fail "no game window"

# The window carries the game's icon, put on it just after the window opens.
if command -v xprop >/dev/null; then
    icon=""
    for _ in $(seq 300); do
        xprop -id "$window" _NET_WM_ICON 2>/dev/null | head -c 200 | grep -q 'Icon (128 x 128)' && icon=yes && break
        sleep 0.1
    done
    [ -n "$icon" ] || fail "the window has no icon"
fi

cat >"$tmp/check.py" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
from pngread import load_png

width, height, bpp, rows = load_png(sys.argv[1])
print("size %dx%d" % (width, height))
if (width, height) != (640, 480):
    sys.exit("expected 640x480")
stride = width * bpp
colours, lit = set(), 0
for line in rows:
    for x in range(0, stride, bpp):
        rgb = line[x:x + 3]
        colours.add(rgb)
        lit += rgb != b"\0\0\0"
share = lit / (width * height)
print("%d distinct colours, %.0f%% not black" % (len(colours), share * 100))
if len(colours) < 16 or share < 0.2:
    sys.exit("looks like a black frame, not the room")
PY

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

# Presses F12 and prints the path of the new file it wrote.
shoot() {
    local before after
    before=$(find "$pictures" -name 'Kestravel_*.png' | wc -l)
    # Held for a few frames: a press and release inside one frame would never be seen.
    xdotool keydown F12
    sleep 0.2
    xdotool keyup F12
    for _ in $(seq 100); do
        after=$(find "$pictures" -name 'Kestravel_*.png' | wc -l)
        [ "$after" -gt "$before" ] && break
        sleep 0.1
    done
    [ "$after" -gt "$before" ] || return 1
    sleep 0.3
    ls -t "$pictures"/Kestravel_*.png | head -n1
}

# The intro fades in from black; on a busy machine it takes a while, so try again.
shot=""
for attempt in $(seq 8); do
    sleep 1.5
    shot=$(shoot) || fail "no screenshot in the pictures folder; run folder has: $(ls "$tmp/run")"
    python3 "$tmp/check.py" "$shot" "$src/tools" && break
    [ "$attempt" -eq 8 ] && fail "screenshot check failed"
done
basename "$shot" | grep -Eq '^Kestravel_[0-9]{8}-[0-9]{6}(-[0-9]+)?\.png$' || fail "odd name $(basename "$shot")"

# Desktop fullscreen on the 1280x1024 screen: the 4:3 game area is 1280x960, and the shot is
# cut to it.
xdotool keydown ctrl keydown f
sleep 0.2
xdotool keyup f keyup ctrl
sleep 1
second=$(shoot) || fail "no fullscreen screenshot"
size=$(python3 -c 'import struct,sys; print("%dx%d" % struct.unpack(">II", open(sys.argv[1],"rb").read()[16:24]))' "$second")
[ "$size" = 1280x960 ] || fail "fullscreen screenshot is $size, not 1280x960"

xdotool keydown ctrl keydown w
sleep 0.2
xdotool keyup w keyup ctrl
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
echo "PASS: $(basename "$shot")"
