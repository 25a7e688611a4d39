#!/usr/bin/env bash
# Without game data anywhere the game can look, it fails before opening a window.
set -u
SRC=$1
BIN=$2
. "$SRC/tests/e2e/lib/shell_xvfb.bash"

TMP=$(mktemp -d)
cleanup() {
    [ -n "${GAME_PID:-}" ] && kill "$GAME_PID" 2>/dev/null
    stop_xvfb
    rm -rf "$TMP"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

mkdir -p "$TMP/bin" "$TMP/run"
cp "$BIN/Kestravel_Main" "$TMP/bin/"
for folder in "$TMP/run" "$TMP" "$(dirname "$TMP")" "$TMP/bin"; do
    [ -e "$folder/data/game/world1.txt" ] && { echo "skipped: $folder holds game data"; exit 77; }
done
cd "$TMP/run"

# No display: the message box cannot be shown, so the text goes to standard error.
env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy timeout 60 "$TMP/bin/Kestravel_Main" \
    >"$TMP/out" 2>"$TMP/err"
status=$?
cat "$TMP/err"
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
grep -q "Game data not found!" "$TMP/err" || fail "no 'Game data not found!' on standard error"
grep -q "Kestravel - Error" "$TMP/err" || fail "message title missing"
# Had SDL been started first, it would have failed on the missing display instead.
grep -q "SDL could not be initialized!" "$TMP/err" && fail "SDL was started before the data check"

# With a display: the error box shows, and no game window.
require_x_tools
start_xvfb || fail "Xvfb"
SDL_AUDIODRIVER=dummy "$TMP/bin/Kestravel_Main" >"$TMP/out" 2>"$TMP/err" &
GAME_PID=$!
box=$(wait_for_window "Kestravel - Error" 120 "$GAME_PID") || fail "no error box"
[ -z "$(window_titled "$WINDOW_TITLE")" ] || fail "the game window was opened"
xdotool windowfocus "$box"
sleep 0.2
xdotool key Return
wait_for_exit "$GAME_PID" 10 || fail "the error box did not end the game"
status=$EXIT_STATUS
GAME_PID=
[ "$status" -eq 1 ] || fail "exit status $status after the box, expected 1"
echo "ok"
