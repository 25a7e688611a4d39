#!/usr/bin/env bash
# The Linux download as on a desktop without SDL (the system's libSDL2* covered by an empty file
# in a private mount namespace): its programs and libraries load only their own and glibc's, and
# the game, started by the launcher and then by the menu entry from a folder whose path needs
# quoting, shows the first zone to F12 under Xvfb and ends on Ctrl+W.
# Usage: tests/linux/tarball_without_sdl.sh TARBALL
set -u
tarball=$(realpath "${1:?usage: tarball_without_sdl.sh TARBALL}")
src=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "FAIL: $*"; exit 1; }
if [ "${2:-}" != --covered ]; then
    "$src/tools/install-deps.sh" linux-test >/dev/null || fail "could not install the test packages"
    exec unshare --mount --propagation private bash "$0" "$tarball" --covered
fi
# All the download takes from the system when it starts; SDL opens the desktop's own libraries.
system_libraries=" linux-vdso.so.1 ld-linux-x86-64.so.2 libc.so.6 libm.so.6 "

source "$src/tests/e2e/lib/shell_xvfb.bash"
tmp=$(mktemp -d) game_pid=""
trap '[ -n "$game_pid" ] && kill "$game_pid"; stop_xvfb; rm -rf "$tmp"' EXIT
: >"$tmp/empty"
for lib in $(ldconfig -p | sed -n 's/^\s*libSDL2.* => //p' | xargs -r realpath | sort -u); do
    mount --bind "$tmp/empty" "$lib" || fail "could not cover $lib"
done

folder="$tmp/Spiele für \"alle\" \$HOME \\ \`x\` it's/Kestravel"
mkdir -p "${folder%/*}" && tar -C "${folder%/*}" -xzf "$tarball" || fail "the tarball does not unpack"
for elf in "$folder/kestravel" "$folder/Kestravel_Data/Kestravel_Main" "$folder"/Kestravel_Data/lib/*; do
    ldd "$elf" >"$tmp/ldd" 2>&1 || fail "ldd ${elf##*/}: $(cat "$tmp/ldd")"
    while read -r line; do # "name => path (address)" or "path (address)"
        name=${line%% *} path=${line% (0x*}
        path=${path#* => }
        [[ "$path" == "$folder"/* || "$system_libraries" == *" ${name##*/} "* ]] || fail "${elf##*/} needs $line"
    done <"$tmp/ldd"
done
echo "ok: every library is in the folder or one of:$system_libraries"

export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data SDL_AUDIODRIVER=dummy
unset SDL_VIDEODRIVER WAYLAND_DISPLAY LD_LIBRARY_PATH
mkdir -p "$HOME/Pictures" "$XDG_CONFIG_HOME" && echo 'XDG_PICTURES_DIR="$HOME/Pictures"' >"$XDG_CONFIG_HOME/user-dirs.dirs"
start_xvfb || fail "no Xvfb"
game=$(cd "$folder" && pwd -P)/Kestravel_Data/Kestravel_Main

# The game just started ($1 says how) runs in Kestravel_Data, F12 catches the room after the logo,
# and Ctrl+W ends it.
play() {
    local window shot=""
    rm -f "$HOME"/Pictures/*
    for _ in $(seq 100); do
        for p in /proc/[0-9]*; do [ "$(readlink "$p/exe")" = "$game" ] && game_pid=${p#/proc/}; done 2>/dev/null
        [ -n "$game_pid" ] && break || sleep 0.1
    done
    [ -n "$game_pid" ] && [ "$(readlink "/proc/$game_pid/cwd")" = "${game%/*}" ] || fail "$1: no game in Kestravel_Data"
    window=$(wait_for_window "Kestravel  -  Ctrl+F for Fullscreen" 120 "$game_pid") || fail "$1: no game window"
    for _ in $(seq 20); do
        xdotool windowfocus "$window" 2>/dev/null && press_keys F12 && sleep 1
        shot=$(ls -t "$HOME"/Pictures/Kestravel_*.png 2>/dev/null | head -n1)
        [ -n "$shot" ] && awk -v d="$(python3 "$src/tests/e2e/lib/quality_check.py" dark "$shot")" 'BEGIN { exit !(d != "" && d < 0.8) }' && break
        shot=""
        kill -0 "$game_pid" 2>/dev/null || fail "$1: the game ended"
    done
    [ -n "$shot" ] || fail "$1: F12 gave no picture of the room"
    xdotool windowfocus "$window" 2>/dev/null && press_keys ctrl w
    for _ in $(seq 100); do kill -0 "$game_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$game_pid" 2>/dev/null && fail "$1: Ctrl+W did not end the game"
    game_pid=""
    echo "ok: $1: the first zone shows, F12 saved $(basename "$shot"), Ctrl+W ended the game"
}

(cd "$folder" && ./kestravel) || fail "the launcher failed"
play "./kestravel"
"$folder/install-menu-entry.sh" >/dev/null && entry=$XDG_DATA_HOME/applications/kestravel-folder.desktop
desktop-file-validate "$entry" && (cd / && gio launch "$entry") || fail "the menu entry is not valid or does not start"
play "the menu entry"
"$folder/install-menu-entry.sh" --remove >/dev/null && [ ! -e "$entry" ] || fail "--remove left $entry"
echo "PASS: the Linux download without the system's SDL"
