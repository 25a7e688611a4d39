#!/usr/bin/env bash
# The Windows zip, unpacked and played under Wine in a private Xvfb, with its own HOME and prefix.
# Usage: tests/windows/zip_under_wine.sh ZIP WINDOWS_BIN_DIR LINUX_BIN_DIR
#   (the folders holding kestravel-world.exe with its DLLs, and the Linux kestravel-world)
set -u
usage="usage: zip_under_wine.sh ZIP WINDOWS_BIN_DIR LINUX_BIN_DIR"
zip=$(realpath "${1:?$usage}")
windows_bin=$(realpath "${2:?$usage}")
linux_bin=$(realpath "${3:?$usage}")
src=$(cd "$(dirname "$0")/../.." && pwd)
lib=$src/tests/e2e/lib

"$src/tools/install-deps.sh" windows-test >/dev/null || { echo "FAIL: could not install the test packages"; exit 1; }
# shellcheck source=tests/e2e/lib/shell_xvfb.bash
source "$lib/shell_xvfb.bash"

tmp=$(mktemp -d)
export HOME=$tmp/home WINEPREFIX=$tmp/prefix WINEDEBUG=-all SDL_AUDIODRIVER=dummy
# No Mono or Gecko installer prompts; the game needs neither. Wine finds no sound card here.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset XDG_CONFIG_HOME XDG_PICTURES_DIR
mkdir -p "$HOME"
cleanup() {
    wineserver -k 2>/dev/null
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
pass() { echo "ok: $*"; }

# The Linux id of the Wine process running $1 (a Windows program name) in our own prefix.
wine_pid() {
    local p
    for p in $(pgrep -f "$1"); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return 0; }
    done
    return 1
}

# Waits up to $3 seconds for a box titled $1 whose text $2 shows up in the window trace file $4,
# then presses its OK button until process $5 has ended (giving up early if it ends before).
answer_box() {
    local box
    box=$(wait_for_window "$1" "$3" "$5") || return 1
    grep -aqF "set_window_text L\"$2\"" "$4" || { echo "box text not found in the trace" >&2; return 1; }
    for _ in $(seq 30); do
        xdotool windowfocus "$box" 2>/dev/null
        sleep 0.3
        xdotool key Return 2>/dev/null
        for _ in $(seq 20); do
            kill -0 "$5" 2>/dev/null || return 0
            sleep 0.1
        done
    done
    return 1
}

# ---------------------------------------------------------------- the zip
mkdir -p "$tmp/unzipped"
unzip -q "$zip" -d "$tmp/unzipped" || fail "the zip does not unpack"
[ "$(ls "$tmp/unzipped")" = Kestravel ] || fail "the zip holds more than one folder Kestravel: $(ls "$tmp/unzipped")"
game_folder=$tmp/unzipped/Kestravel
for f in Kestravel.exe Kestravel_Data/Kestravel_Main.exe Kestravel_Data/data/game/world1.txt LICENSE CREDITS; do
    [ -f "$game_folder/$f" ] || fail "the zip has no Kestravel/$f"
done
for program in Kestravel.exe Kestravel_Data/Kestravel_Main.exe; do
    x86_64-w64-mingw32-objdump -p "$game_folder/$program" | grep -q '^Subsystem.*(Windows GUI)' ||
        fail "$program is not a GUI program"
    wrestool -x -t14 "$game_folder/$program" >"$tmp/icon.ico" 2>/dev/null || fail "$program carries no icon"
    sizes=$(icotool -l "$tmp/icon.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
    [ "$sizes" = "16 24 32 48 64 128 256 " ] || fail "$program icon sizes: $sizes"
done
x86_64-w64-mingw32-objdump -p "$windows_bin/kestravel-world.exe" | grep -q '^Subsystem.*(Windows CUI)' ||
    fail "kestravel-world.exe is not a console program"
pass "zip layout; GUI programs with the icon in 16 to 256 px; a console kestravel-world.exe"

start_xvfb || fail "no Xvfb"
wineboot -i >"$tmp/wineboot.out" 2>&1 || fail "wineboot failed: $(cat "$tmp/wineboot.out")"
wineserver -w
pictures=$(readlink -f "$WINEPREFIX/drive_c/users/$(id -un)/Pictures")
[ -d "$pictures" ] || fail "the Wine prefix has no Pictures folder"

# ---------------------------------------------------------------- playing through the launcher
cd "$game_folder" || fail "no game folder"
# Wine's errors from the launcher and the game it starts land here, for the failure messages.
WINEDEBUG=-all,err+all wine Kestravel.exe "two words" "" x >"$tmp/launcher.out" 2>&1
status=$?
[ $status -eq 0 ] || fail "the launcher ended with $status: $(cat "$tmp/launcher.out")"
game_pid=""
for _ in $(seq 300); do
    game_pid=$(wine_pid Kestravel_Main.exe) && break
    sleep 0.1
done
[ -n "$game_pid" ] || fail "the launcher started no game"
window=$(wait_for_window "$WINDOW_TITLE" 180 "$game_pid") ||
    fail "no game window: $(cat "$tmp/launcher.out")"
[ "$(readlink "/proc/$game_pid/cwd")" = "$game_folder/Kestravel_Data" ] ||
    fail "the game runs in $(readlink "/proc/$game_pid/cwd")"
mapfile -d '' -t arguments <"/proc/$game_pid/cmdline"
[ "${arguments[1]-}|${arguments[2]-}|${arguments[3]-}" = "two words||x" ] ||
    fail "the game got the arguments $(tr '\0' '|' <"/proc/$game_pid/cmdline")"
pass "the launcher ended with 0 and started the game in Kestravel_Data with its arguments"

# Xvfb has no window manager: the game has the keyboard only while we give it the focus.
focus() { xdotool windowfocus "$window" 2>/dev/null; }

# Presses F12 and prints the path of the new picture; fails when none comes within $1 seconds.
shoot() {
    local before after
    before=$(find "$pictures" -maxdepth 1 -name 'Kestravel_*.png' | wc -l)
    focus
    # Held for a few frames: the game reads the keys once per frame.
    xdotool keydown F12
    sleep 0.3
    xdotool keyup F12
    for _ in $(seq $(($1 * 10))); do
        after=$(find "$pictures" -maxdepth 1 -name 'Kestravel_*.png' | wc -l)
        [ "$after" -gt "$before" ] && break
        kill -0 "$game_pid" 2>/dev/null || return 1
        sleep 0.1
    done
    [ "$after" -gt "$before" ] || return 1
    sleep 0.5
    ls -t "$pictures"/Kestravel_*.png | head -n1
}

cat >"$tmp/check.py" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from pngread import load_png

def pixels(path):
    width, height, bpp, rows = load_png(path)
    if (width, height) != (640, 480):
        sys.exit("%s is %dx%d, not 640x480" % (path, width, height))
    return [line[x:x + 3] for line in rows for x in range(0, width * bpp, bpp)]

first = pixels(sys.argv[2])
lit = sum(p != b"\0\0\0" for p in first) / len(first)
if len(set(first)) < 16 or lit < 0.2:
    sys.exit("a black or plain frame, not the room: %d colours, %.0f%% lit" % (len(set(first)), lit * 100))
if len(sys.argv) > 3:
    changed = sum(a != b for a, b in zip(first, pixels(sys.argv[3])))
    if changed < 100:
        sys.exit("walking right changed only %d pixels" % changed)
PY

# What the window shows on the X server, from xwd's dump on stdin: "drawn" once anything but
# black is there (Wine shows the window black until the game presents), "room" once the picture
# is lit as the room is.
cat >"$tmp/window.py" <<'PY'
import struct, sys
data = sys.stdin.buffer.read()
if len(data) < 100:
    sys.exit("no picture of the window")
header = struct.unpack(">25I", data[:100])
size, width, height, bits, line, colours = header[0], header[4], header[5], header[11], header[12], header[19]
if bits != 32 or width * height == 0:
    sys.exit("a %dx%d window at %d bits a pixel" % (width, height, bits))
at = size + colours * 12
seen, lit = set(), 0
for y in range(0, height, 2):
    row = data[at + y * line:at + y * line + width * 4]
    for x in range(0, len(row), 8):
        pixel = row[x:x + 3]
        seen.add(pixel)
        lit += pixel != b"\0\0\0"
share = lit / max(1, ((height + 1) // 2) * ((width + 1) // 2))
drawn = lit > 0 if sys.argv[1] == "drawn" else len(seen) >= 16 and share >= 0.2
print("%d colours, %.0f%% lit" % (len(seen), share * 100))
sys.exit(0 if drawn else 1)
PY

# Waits up to $2 seconds for the game's window to show $1 (drawn or room); fails at once when the
# game ends. Keys pressed before the game reads them are lost, so this stands before every press.
wait_for_picture() {
    for _ in $(seq $(($2 * 2))); do
        kill -0 "$game_pid" 2>/dev/null || { echo "the game ended"; return 1; }
        xwd -id "$window" -silent 2>/dev/null | python3 "$tmp/window.py" "$1" >"$tmp/window.out" 2>&1 && return 0
        sleep 0.5
    done
    echo "after $2 s the window shows $(cat "$tmp/window.out")"
    return 1
}

outcome=$(wait_for_picture drawn 180) || fail "the game drew no frame: $outcome: $(cat "$tmp/launcher.out")"
pass "the game drew its first frame"
# The logo comes first.
outcome=$(wait_for_picture room 120) || fail "the room never showed: $outcome: $(cat "$tmp/launcher.out")"
room=$(shoot 60) || fail "F12 gave no picture in $pictures$(kill -0 "$game_pid" 2>/dev/null || echo ": the game ended")"
python3 "$tmp/check.py" "$src/tools" "$room" >"$tmp/check.out" 2>&1 || fail "F12's picture: $(cat "$tmp/check.out")"
basename "$room" | grep -Eq '^Kestravel_[0-9]{8}-[0-9]{6}(-[0-9]+)?\.png$' || fail "odd name $(basename "$room")"
pass "F12 wrote a 640x480 picture of the room into the Pictures folder: $(basename "$room")"

focus
xdotool keydown Right
sleep 1.5
xdotool keyup Right
sleep 0.5
walked=$(shoot 60) || fail "no picture after walking"
python3 "$tmp/check.py" "$src/tools" "$room" "$walked" >"$tmp/check.out" 2>&1 || fail "$(cat "$tmp/check.out")"
pass "walking right changes the picture"

focus
xdotool keydown ctrl keydown w
sleep 0.3
xdotool keyup w keyup ctrl
for _ in $(seq 600); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$game_pid" 2>/dev/null && fail "Ctrl+W did not end the game"
pass "Ctrl+W ends the game"

# ---------------------------------------------------------------- error boxes
mv Kestravel_Data/data Kestravel_Data/data.away
WINEDEBUG=-all,trace+win wine Kestravel_Data/Kestravel_Main.exe >/dev/null 2>"$tmp/nodata.trace" &
wine_run=$!
answer_box "Kestravel - Error" "Game data not found!" 120 "$tmp/nodata.trace" "$wine_run" ||
    fail "no \"Game data not found!\" box, or it would not close"
wait_for_exit "$wine_run" 60 || fail "the game did not end after its box"
[ "$EXIT_STATUS" -eq 1 ] || fail "the game ended with $EXIT_STATUS after its box, expected 1"
mv Kestravel_Data/data.away Kestravel_Data/data
pass "without data/ the game shows \"Game data not found!\" and ends"

mv Kestravel_Data Kestravel_Data.away
WINEDEBUG=-all,trace+win wine Kestravel.exe >/dev/null 2>"$tmp/nogame.trace" &
wine_run=$!
answer_box "Error" 'File not found:\nKestravel_Data\\Kestravel_Main.exe' 120 "$tmp/nogame.trace" "$wine_run" ||
    fail "no \"File not found:\" box from the launcher, or it would not close"
wait_for_exit "$wine_run" 60 || fail "the launcher did not end after its box"
[ "$EXIT_STATUS" -eq 1 ] || fail "the launcher ended with $EXIT_STATUS, expected 1"
mv Kestravel_Data.away Kestravel_Data
pass "without Kestravel_Data the launcher shows \"File not found:\" and ends with 1"

# ---------------------------------------------------------------- arguments arrive as given
# A stand-in in the game's place writes what it received; Wine hands the launcher its arguments
# through a Windows command line too, so they cross two of them on the way.
mv Kestravel_Data/Kestravel_Main.exe Kestravel_Data/Kestravel_Main.exe.away
cp "$windows_bin/kestravel-print-arguments.exe" Kestravel_Data/Kestravel_Main.exe
given=("two words" "" 'say "hi"' "$(printf 'tab\there')" 'C:\my dir\' 'back\\"quote' 'trail\\' 'ünï cödé')
rm -f Kestravel_Data/arguments.txt
LC_ALL=C.UTF-8 wine Kestravel.exe "${given[@]}" >"$tmp/print.out" 2>&1 || fail "the launcher failed: $(cat "$tmp/print.out")"
for _ in $(seq 300); do [ -f Kestravel_Data/arguments.txt ] && break; sleep 0.1; done
wineserver -w
mapfile -d '' -t received <Kestravel_Data/arguments.txt 2>/dev/null
[ "$(printf '%s|' "${received[@]}")" = "$(printf '%s|' "${given[@]}")" ] ||
    fail "the game received $(printf '[%s] ' "${received[@]}") for $(printf '[%s] ' "${given[@]}")"
rm -f Kestravel_Data/Kestravel_Main.exe Kestravel_Data/arguments.txt
mv Kestravel_Data/Kestravel_Main.exe.away Kestravel_Data/Kestravel_Main.exe
pass "arguments with quotes, tabs, trailing backslashes and non-ASCII letters reach the game as given"

# ---------------------------------------------------------------- kestravel-world.exe
world=Kestravel_Data/data/game/world1.txt
world_tool() { if [ "$system" = windows ]; then wine "$windows_bin/kestravel-world.exe" "$@"; else "$linux_bin/kestravel-world" "$@"; fi; }
for system in windows linux; do
    world_tool check "$world"
    echo "status $?"
    for zone in "0 1" "3 1" "9 3" "0 0"; do
        # shellcheck disable=SC2086
        world_tool zone "$world" $zone
    done
done >"$tmp/world.out" 2>&1
tr -d '\r' <"$tmp/world.out" >"$tmp/world.txt"
half=$(($(wc -l <"$tmp/world.txt") / 2))
grep -q "^$world: 0 errors" "$tmp/world.txt" && grep -q '"found": true' "$tmp/world.txt" ||
    fail "kestravel-world: $(head -c 300 "$tmp/world.txt")"
[ "$half" -gt 0 ] && cmp -s <(head -n "$half" "$tmp/world.txt") <(tail -n +$((half + 1)) "$tmp/world.txt") ||
    fail "kestravel-world.exe and the Linux build differ: $(head -c 300 "$tmp/world.txt")"
pass "kestravel-world.exe check and zone print what the Linux build prints"

# A folder name outside Windows' code page: every file call must take the path in UTF-16.
far="wörld 日本"
mkdir -p "$far"
cp "$world" "$far/world1.txt"
LC_ALL=C.UTF-8 wine "$windows_bin/kestravel-world.exe" check "$far/world1.txt" 2>&1 | tr -d '\r' >"$tmp/far.windows"
"$linux_bin/kestravel-world" check "$far/world1.txt" >"$tmp/far.linux" 2>&1
rm -rf "$far"
cmp -s "$tmp/far.windows" "$tmp/far.linux" ||
    fail "kestravel-world.exe in a folder outside the code page: $(head -c 300 "$tmp/far.windows")"
pass "kestravel-world.exe reads a world in a folder named outside the code page"
echo "PASS: the Windows zip under Wine"
