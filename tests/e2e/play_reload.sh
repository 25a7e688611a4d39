#!/usr/bin/env bash
# kestravel-world play under Xvfb: a small world played in the real window, one of its rows
# rewritten (by renaming a new file over it, as editors save) and seen within a second with the
# player where it was; a broken save shown in the window while play goes on; and the keys played
# since F3, saved with F8, replayed by `run` to the spot F7 printed.
set -u
src=$1
bin=$2
. "$src/tests/e2e/lib/shell_xvfb.bash"
require_x_tools
command -v python3 >/dev/null || { echo "skipped: python3 is not installed"; exit 77; }
[ -f "$src/data/graphics/sheet0.png" ] || { echo "skipped: no pictures in $src/data"; exit 77; }

tmp=$(mktemp -d)
play_pid=""
cleanup() {
    [ -n "$play_pid" ] && kill "$play_pid" 2>/dev/null
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    cat "$tmp/play.err" 2>/dev/null
    exit 1
}

# Zone 0,0: the start's lantern on the floor; its sixth row from the top is what the edit fills.
world() {
    printf 'start:\n0\n0\n0\n0\n2\n1\n\nzone:0,0\nwwwwwwwwwwwwwwww\n'
    printf 'w\nw\nw\nw\nw%s\nw\nw\nw\nw\nw @\nwwwwwwwwwwwwwwww\n\n' "$1"
    printf 'zone:1,0\nwwwwwwwwwwwwwwww\n%s' "$(printf '               w\n%.0s' $(seq 10))"
    printf 'wwwwwwwwwwwwwwww\n\n%s' "$2"
}
save() { world "$1" "$2" >"$tmp/world.new" && mv "$tmp/world.new" "$tmp/world.txt"; }
save "" ""

start_xvfb || exit 1
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
mkdir -p "$HOME/Pictures" "$XDG_CONFIG_HOME"
printf 'XDG_PICTURES_DIR="$HOME/Pictures"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
# From elsewhere: the pictures are found as the game finds its data folder; F8's scripts go here.
cd "$tmp" || exit 1
SDL_AUDIODRIVER=dummy "$bin/kestravel-world" play "$tmp/world.txt" >"$tmp/play.out" 2>"$tmp/play.err" &
play_pid=$!
window=$(wait_for_window "$WINDOW_TITLE" 120 "$play_pid") || fail "no window"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 1

# F12 into the private pictures folder; the new picture's path.
shoot() {
    local before
    before=$(ls "$HOME/Pictures" | wc -l)
    press_keys F12
    for _ in $(seq 50); do
        [ "$(ls "$HOME/Pictures" | wc -l)" -gt "$before" ] && break
        sleep 0.1
    done
    ls -t "$HOME"/Pictures/*.png | head -n1
}
# The spot F7 prints, once it is there.
spot() {
    local lines
    lines=$(wc -l <"$tmp/play.out")
    press_keys F7
    for _ in $(seq 30); do
        [ "$(wc -l <"$tmp/play.out")" -gt "$lines" ] && break
        sleep 0.1
    done
    tail -n1 "$tmp/play.out"
}
# Mean brightness of the tiles (first column, row from the top, columns) of a picture.
brightness() {
    python3 - "$src/tools" "$1" "$2" "$3" "$4" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from pngread import load_png
width, height, bpp, rows = load_png(sys.argv[2])
first, row, count = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
pixels = [rows[y][x * bpp:x * bpp + 3] for y in range(row * 40 + 4, row * 40 + 36)
          for x in range(first * 40 + 4, first * 40 + 40 * count - 4)]
print(int(sum(sum(p) for p in pixels) / len(pixels) / 3))
PY
}

press_keys F1
xdotool keydown Right; sleep 0.4; xdotool keyup Right
sleep 0.5
press_keys F5
before=$(spot)
empty=$(brightness "$(shoot)" 5 5 6)
save "    wwwwww" ""
sleep 0.6
walls=$(brightness "$(shoot)" 5 5 6)  # the F12 press lands within a second of the save
after=$(spot)
[ "$walls" -gt $((empty + 20)) ] || fail "the new walls do not show: brightness $empty before, $walls after"
[ "$before" = "$after" ] || fail "the player moved with the reload: $before, then $after"
grep -q "read again" "$tmp/play.err" || fail "no word of the reload on standard error"
echo "ok: a saved row shows within a second and the player stays where it was ($after)"

# A broken save: the finding in the window and on standard error; the last good world plays on.
save "    wwwwww" "zone:01,0"
sleep 0.6
red=$(python3 - "$src/tools" "$(shoot)" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from pngread import load_png
width, height, bpp, rows = load_png(sys.argv[2])
band = [rows[y][x:x + 3] for y in range(height - 30, height) for x in range(0, width * bpp, bpp)]
print(sum(1 for p in band if p[0] > 2 * p[2] + 20) * 100 // len(band))
PY
)
[ "$red" -gt 50 ] || fail "no findings in the window ($red% red at the bottom)"
grep -q 'leading zeros are not allowed' "$tmp/play.err" || fail "the finding is not on standard error"
press_keys F5
xdotool keydown Right; sleep 0.3; xdotool keyup Right
press_keys F5
[ "$(spot)" != "$after" ] || fail "play stopped with the broken save"
echo "ok: a broken save shows its finding and the last good world plays on"

# F3 starts the recording on the lantern; the keys after it go to a script that run replays.
save "    wwwwww" ""
sleep 0.6
press_keys F5
press_keys F3
xdotool keydown Right; sleep 0.5; xdotool keyup Right
xdotool keydown Left; sleep 0.2; xdotool keyup Left
sleep 0.6
press_keys F5
here=$(spot)
lines=$(wc -l <"$tmp/play.out")
press_keys F8
for _ in $(seq 30); do [ "$(wc -l <"$tmp/play.out")" -gt "$lines" ] && break; sleep 0.1; done
replay=$(tail -n1 "$tmp/play.out")
case $replay in "kestravel-world run "*) ;; *) fail "F8 printed no run command: $replay" ;; esac
ended=$(cd "$tmp" && eval "\"$bin/\"$replay") || fail "the run command failed: $replay"
read -r _ _ _ x y _ <<<"$ended"
# shellcheck disable=SC2086
set -- $here
[ "$x $y" = "$4 $5" ] || fail "run ends at $x $y, play stood at $4 $5 ($replay)"
[ "$x" != 84 ] || fail "the recorded keys did not move the player from the lantern"
echo "ok: the keys saved with F8 replay through run to the spot F7 printed ($x, $y)"

press_keys ctrl w
wait_for_exit "$play_pid" 30 || fail "Ctrl+W did not end play"
play_pid=""
cmp -s <(world "    wwwwww" "") "$tmp/world.txt" || fail "play wrote the world file"
echo "PASS"
