#!/usr/bin/env bash
# The real game with the real data under Xvfb, played through X key events: the intro with its
# logo sound, music, walking into the next room, the sound toggle (silence, then effects only,
# in which a jump is heard), the pause menu with RESTART, F12 into a private pictures folder,
# TAB's frame rate, and Ctrl+W ending with status 0. The audio is captured through SDL's disk
# driver; the capture file's size at each step marks where that step lies in the sound.
set -u
src=$1
bin=$2
. "$src/tests/e2e/lib/shell_xvfb.bash"
require_x_tools
command -v python3 >/dev/null || { echo "skipped: python3 is not installed"; exit 77; }
for f in data/game/world1.txt data/graphics/sheet0.png data/fonts/open96.png data/music/QuayShort.ogg; do
    [ -f "$src/$f" ] || { echo "skipped: $f does not exist yet"; exit 77; }
done
check="$src/tests/e2e/lib/quality_check.py"

tmp=$(mktemp -d)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    stop_xvfb
    # QUALITY_KEEP=FOLDER keeps the screenshots for a look.
    [ -n "${QUALITY_KEEP:-}" ] && cp -R "$tmp/shots/." "$QUALITY_KEEP/" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$tmp/game.out" ] && cat "$tmp/game.out"
    exit 1
}

# The game settles in the folder that holds data/: nothing may be written there or in the sources.
gamedir=$(cd "$bin/.." && pwd)
strays() { ls "$src"/Kestravel_*.png "$gamedir"/Kestravel_*.png 2>/dev/null | sort; }
strays_before=$(strays)

start_xvfb || exit 1
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
pictures=$HOME/Pictures
mkdir -p "$pictures" "$XDG_CONFIG_HOME" "$tmp/run" "$tmp/shots"
printf 'XDG_PICTURES_DIR="$HOME/Pictures"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"

capture=$tmp/audio.raw
cd "$tmp/run" || exit 1
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$capture "$bin/Kestravel_Main" >"$tmp/game.out" 2>&1 &
game_pid=$!
window=$(wait_for_window "$WINDOW_TITLE" 120 "$game_pid") || fail "no game window"
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"

# Where the capture stands now, in bytes (44.1 kHz, stereo, 16 bit).
mark() { stat -c %s "$capture" 2>/dev/null || echo 0; }
rms() { python3 "$check" rms "$capture" "$1" "$2"; }
second=176400

shots=0
# F12, then waits for the new file and keeps a copy as $tmp/shots/$1.png.
shoot() {
    press_keys F12
    local i newest=""
    for i in $(seq 100); do
        if [ "$(ls "$pictures" | wc -l)" -gt "$shots" ]; then
            sleep 0.3
            newest=$(ls -t "$pictures"/*.png | head -n1)
            break
        fi
        sleep 0.1
    done
    [ -n "$newest" ] || fail "no screenshot for $1 (run folder: $(ls "$tmp/run"))"
    shots=$((shots + 1))
    cp "$newest" "$tmp/shots/$1.png"
}
diff_of() { python3 "$check" diff "$tmp/shots/$1.png" "$tmp/shots/$2.png" "${@:3}"; }
# awk does the float comparisons: holds "A > B".
above() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a > b) }'; }

# The logo sound plays from the first update; the 105-update intro lasts about 1.75 s, longer
# when frames are slow, so the room is waited for before the music is measured.
sleep 1.2
logo_end=$(mark)
sleep 1
for try in $(seq 30); do
    shoot start
    above 0.3 "$(python3 "$check" dark "$tmp/shots/start.png")" && break
    sleep 1
done
# Past the fade-in, the start room as RESTART must bring it back.
sleep 1
shoot start
music_start=$(mark)
sleep 1
music_end=$(mark)

# Right for four seconds: out of the start room into the next one.
xdotool keydown Right
sleep 4
xdotool keyup Right
sleep 0.5
shoot walked

# First M: everything silent.
press_keys m
sleep 0.5
silent_start=$(mark)
sleep 1.5
silent_end=$(mark)

# Second M: effects only, the music stays silent; then a jump is heard on its own.
press_keys m
sleep 2
quiet_start=$(mark)
sleep 1
quiet_end=$(mark)
xdotool keydown Right
press_keys space
sleep 0.8
xdotool keyup Right
jump_end=$(mark)
shoot jumped

# Third M: all sound back on.
press_keys m
sleep 1

press_keys Escape
sleep 0.5
shoot menu
press_keys Down
sleep 0.5
shoot restart_highlighted
press_keys Return
sleep 2
shoot restarted

press_keys Tab
sleep 1.5
shoot fps

press_keys ctrl w
status=""
for _ in $(seq 100); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        wait "$game_pid"
        status=$?
        game_pid=""
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || fail "Ctrl+W did not end the game"
[ "$status" -eq 0 ] || fail "the game ended with status $status"

problems=0
expect() {  # expect TEXT CONDITION...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "not so: $what"; problems=$((problems + 1)); fi
}

# Sound: the logo, the music, silence after the first M, the jump alone after the second.
logo=$(rms 0 "$logo_end")
music=$(rms "$music_start" "$music_end")
silence=$(rms "$silent_start" "$silent_end")
quiet=$(rms "$quiet_start" "$quiet_end")
jump=$(rms "$quiet_end" "$jump_end")
echo "rms: logo $logo, music $music, after the first M $silence, effects only $quiet, jump $jump"
expect "the logo sound plays during the intro" above "$logo" 200
expect "the music plays after the intro" above "$music" 200
expect "the first M silences everything" above 1 "$silence"
expect "effects only: no music" above 1 "$quiet"
expect "effects only: the jump is heard" above "$jump" 100
expect "the capture runs about in real time" above "$jump_end" $((10 * second))

# Pictures: the room, the next room, the menu veil, the highlight, RESTART, the frame rate.
expect "the screenshots are 640x480 PNGs of the room" above 0.3 "$(python3 "$check" dark "$tmp/shots/start.png")"
walked=$(diff_of start walked)
expect "walking right leads into another room ($walked)" above "$walked" 0.05
veil=$(diff_of jumped menu)
expect "ESCAPE opens the menu over the room ($veil)" above "$veil" 0.1
lit=$(python3 "$check" mean "$tmp/shots/jumped.png")
veiled=$(python3 "$check" mean "$tmp/shots/menu.png")
expect "the menu darkens the room ($veiled < $lit)" above "$lit" "$veiled"
highlight=$(diff_of menu restart_highlighted 160 120 480 400)
expect "the highlight moves ($highlight)" above "$highlight" 0.002
back=$(diff_of start restarted)
away=$(diff_of walked restarted)
expect "RESTART returns to the start room ($back vs $away)" above "$away" "$(awk -v b="$back" 'BEGIN { print b * 3 }')"
fps=$(diff_of restarted fps 0 0 96 16)
rest=$(diff_of restarted fps 0 240 640 480)
expect "TAB shows the frame rate in the corner ($fps)" above "$fps" 0.005
expect "and leaves the room alone ($rest)" above 0.02 "$rest"

# Every shot went into the private pictures folder, none anywhere else.
expect "one file per F12" [ "$(ls "$pictures" | wc -l)" -eq "$shots" ]
expect "nothing written into the sources or the game's folder" [ "$(strays)" = "$strays_before" ]
expect "nothing written into the run folder" [ -z "$(ls -A "$tmp/run")" ]

[ "$problems" -eq 0 ] || fail "$problems checks failed"
echo "PASS"
