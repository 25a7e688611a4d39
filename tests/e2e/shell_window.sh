#!/usr/bin/env bash
# The real game: an error without a display; under Xvfb its window, the zoom key and Ctrl+W.
set -u
SRC=$1
BIN=$2
. "$SRC/tests/e2e/lib/shell_xvfb.bash"
require_x_tools
if [ ! -e "$BIN/../data/game/world1.txt" ]; then
    echo "skipped: no game data next to $BIN"
    exit 77
fi

TITLE=$WINDOW_TITLE
TMP=$(mktemp -d)
cleanup() {
    [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null
    stop_xvfb
    rm -rf "$TMP"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -n "$(window_titled "Kestravel - Error")" ] && echo "(the game shows an error box: its start-up failed)"
    [ -s "$TMP/err" ] && cat "$TMP/err"
    exit 1
}

# Started from elsewhere: the game must find its data by its own location.
cd "$TMP"

# No display to reach: a clear failure, not a game running where nobody sees it.
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER SDL_AUDIODRIVER=dummy timeout 60 \
    "$BIN/Kestravel_Main" >"$TMP/out" 2>"$TMP/err"
status=$?
[ "$status" -eq 1 ] || fail "without a display: exit status $status, expected 1"
grep -q "SDL could not be initialized!" "$TMP/err" || fail "without a display: no 'SDL could not be initialized!'"

start_xvfb || fail "Xvfb"
SDL_AUDIODRIVER=dummy "$BIN/Kestravel_Main" >"$TMP/out" 2>"$TMP/err" &
GAME_PID=$!

window=$(wait_for_window "$TITLE" 120 "$GAME_PID") || fail "no window titled '$TITLE'"
size=$(window_size "$window")
[ "$size" = "640x480" ] || fail "window is $size, expected 640x480"
[ -z "$(window_titled "Kestravel - Error")" ] || fail "the game reported an error"

# Without a window manager the keyboard goes where the focus is set.
xdotool windowfocus "$window"
sleep 0.5
press_keys equal
for i in $(seq 1 100); do
    size=$(window_size "$window")
    [ "$size" = "704x528" ] && break
    sleep 0.1
done
[ "$size" = "704x528" ] || fail "after = the window is $size, expected 704x528"
kill -0 "$GAME_PID" 2>/dev/null || fail "the game ended early"

press_keys ctrl w
wait_for_exit "$GAME_PID" 10 || fail "Ctrl+W did not end the game"
status=$EXIT_STATUS
GAME_PID=
[ "$status" -eq 0 ] || fail "exit status $status after Ctrl+W, expected 0"
echo "ok"
