#!/usr/bin/env bash
# The Linux download as a player gets it, on a desktop that never installed SDL: the system's
# libSDL2* files are covered by an empty file in a private mount namespace (a machine without
# them, such as a minimal Debian, has nothing to cover). Every library the programs and the
# shipped libraries load is in the folder or one of glibc's; under Xvfb the game shows the first
# zone, F12 saves a picture of it and Ctrl+W ends it; the menu entry made for a folder with
# awkward characters in its path starts the game there, and --remove takes it away.
# Usage: tests/linux/tarball_without_sdl.sh TARBALL
set -u
tarball=$(realpath "${1:?usage: tarball_without_sdl.sh TARBALL}")
src=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "FAIL: $*"; exit 1; }
pass() { echo "ok: $*"; }

if [ "${2:-}" != --covered ]; then
    "$src/tools/install-deps.sh" linux-test >/dev/null || fail "could not install the test packages"
    exec unshare --mount --propagation private bash "$0" "$tarball" --covered
fi
# The only libraries the download may take from the system at start; SDL opens the desktop's own
# (X11, Wayland, GL, sound) itself when it finds them.
system_libraries="linux-vdso.so.1 ld-linux-x86-64.so.2 libc.so.6 libm.so.6"

# shellcheck source=tests/e2e/lib/shell_xvfb.bash
source "$src/tests/e2e/lib/shell_xvfb.bash"
tmp=$(mktemp -d)
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT

: >"$tmp/empty"
covered=0
for lib in $(ldconfig -p | sed -n 's/^\s*libSDL2.* => //p' | xargs -r realpath | sort -u); do
    mount --bind "$tmp/empty" "$lib" || fail "could not cover $lib"
    covered=$((covered + 1))
done
pass "$covered system SDL libraries covered"

# A folder name a shell or a menu entry could get wrong.
folder="$tmp/Spiele für \"alle\" \$HOME \\ \`x\` it's"
mkdir -p "$folder"
tar -C "$folder" -xzf "$tarball" || fail "the tarball does not unpack"
game_folder=$folder/Kestravel
for file in kestravel Kestravel_Data/Kestravel_Main kestravel.png install-menu-entry.sh LICENSE CREDITS; do
    [ -f "$game_folder/$file" ] || fail "the tarball has no Kestravel/$file"
done

for elf in "$game_folder/kestravel" "$game_folder/Kestravel_Data/Kestravel_Main" "$game_folder"/Kestravel_Data/lib/*; do
    ldd "$elf" >"$tmp/ldd" 2>&1 || fail "ldd ${elf#"$game_folder"/}: $(cat "$tmp/ldd")"
    # "name => path (address)", or "path (address)"; the folder's path holds spaces.
    while read -r line; do
        name=${line%% *}
        path=${line% (0x*}
        [[ "$path" == *" => "* ]] && path=${path#* => }
        case "$path" in
            "$game_folder"/*) ;;
            *) [[ " $system_libraries " == *" ${name##*/} "* ]] || fail "${elf#"$game_folder"/} needs $name => $path" ;;
        esac
    done <"$tmp/ldd"
done
pass "every library is in the folder or one of: $system_libraries"

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER WAYLAND_DISPLAY LD_LIBRARY_PATH
pictures=$HOME/Pictures
mkdir -p "$pictures" "$XDG_CONFIG_HOME"
printf 'XDG_PICTURES_DIR="$HOME/Pictures"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
start_xvfb || fail "no Xvfb"
game=$(cd "$game_folder" && pwd -P)/Kestravel_Data/Kestravel_Main

# Waits for the game started from the folder, its window, and plays: F12 until the picture shows
# the room (after the logo), then Ctrl+W.
play() {
    local window shot="" before
    game_pid=""
    for _ in $(seq 100); do
        for p in /proc/[0-9]*; do
            [ "$(readlink "$p/exe" 2>/dev/null)" = "$game" ] && game_pid=${p#/proc/} && break 2
        done
        sleep 0.1
    done
    [ -n "$game_pid" ] || fail "$1: no game started"
    [ "$(readlink "/proc/$game_pid/cwd")" = "${game%/*}" ] || fail "$1: the game runs in $(readlink "/proc/$game_pid/cwd")"
    window=$(wait_for_window "Kestravel  -  Ctrl+F for Fullscreen" 120 "$game_pid") || fail "$1: no game window"
    for _ in $(seq 20); do
        before=$(find "$pictures" -name 'Kestravel_*.png' | wc -l)
        xdotool windowfocus "$window" 2>/dev/null
        press_keys F12
        for _ in $(seq 50); do
            [ "$(find "$pictures" -name 'Kestravel_*.png' | wc -l)" -gt "$before" ] && break
            sleep 0.1
        done
        sleep 0.3
        shot=$(ls -t "$pictures"/Kestravel_*.png 2>/dev/null | head -n1)
        [ -n "$shot" ] && [ "$(python3 "$src/tests/e2e/lib/quality_check.py" dark "$shot")" \< 0.8 ] && break
        shot=""
        kill -0 "$game_pid" 2>/dev/null || fail "$1: the game ended"
        sleep 1
    done
    [ -n "$shot" ] || fail "$1: F12 gave no picture of the room"
    xdotool windowfocus "$window" 2>/dev/null
    press_keys ctrl w
    for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$game_pid" 2>/dev/null && fail "$1: Ctrl+W did not end the game"
    game_pid=""
    pass "$1: the first zone shows, F12 saved $(basename "$shot"), Ctrl+W ended the game"
}

(cd "$game_folder" && ./kestravel) || fail "the launcher ended with $?"
play "./kestravel in the folder"

"$game_folder/install-menu-entry.sh" >/dev/null || fail "install-menu-entry.sh failed"
entry=$XDG_DATA_HOME/applications/kestravel-folder.desktop
desktop-file-validate "$entry" || fail "the menu entry is not valid: $(cat "$entry")"
(cd / && gio launch "$entry") || fail "gio could not start the menu entry: $(cat "$entry")"
play "the menu entry"
"$game_folder/install-menu-entry.sh" --remove >/dev/null && [ ! -e "$entry" ] || fail "--remove left $entry"
pass "install-menu-entry.sh --remove takes the entry away"
echo "PASS: the Linux download without the system's SDL"
