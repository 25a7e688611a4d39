#!/usr/bin/env bash
# The real game under Xvfb: F12 writes a 640x480 PNG of the room into the pictures folder
# that user-dirs.dirs names.
set -u
src=$1
bin=$2

# shellcheck source=tests/e2e/lib/shell_xvfb.bash
source "$src/tests/e2e/lib/shell_xvfb.bash"
require_x_tools
command -v python3 >/dev/null || { echo "SKIP: python3 is not installed"; exit 77; }
if [ ! -f "$src/data/game/world1.txt" ] || [ ! -f "$src/data/graphics/sheet0.png" ]; then
    echo "SKIP: the game data (world file, tile sheets) does not exist yet"
    exit 77
fi

tmp=$(mktemp -d)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$tmp/game.out" ] && cat "$tmp/game.out"; exit 1; }

start_xvfb || fail "Xvfb did not start"

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME/Bilder und Fotos" "$XDG_CONFIG_HOME" "$tmp/run"
printf '# written by the test\nXDG_PICTURES_DIR="$HOME/Bilder und Fotos"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
pictures="$HOME/Bilder und Fotos"

cd "$tmp/run" || exit 1
SDL_AUDIODRIVER=dummy "$bin/Kestravel_Main" >"$tmp/game.out" 2>&1 &
game_pid=$!

# Generous: start-up under the sanitizers on a loaded machine is slow.
window=$(wait_for_window "$WINDOW_TITLE" 120 "$game_pid") || fail "no game window"

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
    press_keys F12
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
press_keys ctrl f
sleep 1
second=$(shoot) || fail "no fullscreen screenshot"
size=$(python3 -c 'import struct,sys; print("%dx%d" % struct.unpack(">II", open(sys.argv[1],"rb").read()[16:24]))' "$second")
[ "$size" = 1280x960 ] || fail "fullscreen screenshot is $size, not 1280x960"

press_keys ctrl w
for _ in $(seq 50); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
echo "PASS: $(basename "$shot")"
