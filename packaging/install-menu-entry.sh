#!/bin/sh
# Adds Kestravel to the current user's application menu, started in this folder; with --remove,
# takes it out again. Run it again after moving the folder.
# Usage: ./install-menu-entry.sh [--remove]
set -eu
usage="usage: install-menu-entry.sh [--remove]"
case "${1-}" in
    "" | --remove) ;;
    *) echo "$usage" >&2; exit 2 ;;
esac

# An unset, empty or relative XDG_DATA_HOME means the default.
data_home=${XDG_DATA_HOME-}
case "$data_home" in /*) ;; *) data_home=${HOME:?HOME is not set}/.local/share ;; esac
apps=$data_home/applications
entry=$apps/kestravel-folder.desktop

refresh() {
    if command -v update-desktop-database >/dev/null 2>&1; then update-desktop-database -q "$apps" || true; fi
}

if [ "${1-}" = --remove ]; then
    if [ -e "$entry" ]; then
        rm -f "$entry"
        refresh
        echo "Removed $entry"
    else
        echo "No menu entry to remove ($entry)"
    fi
    exit 0
fi

here=$(cd "$(dirname "$0")" && pwd -P)
if [ ! -x "$here/kestravel" ] || [ ! -f "$here/Kestravel_Data/Kestravel_Main" ]; then
    echo "install-menu-entry.sh: $here is not a Kestravel folder (kestravel, Kestravel_Data/Kestravel_Main)" >&2
    exit 1
fi
# A menu entry is UTF-8 text, one key a line.
if [ "$(printf '%s' "$here" | wc -l)" -ne 0 ] || printf '%s' "$here" | grep -q '[[:cntrl:]]' ||
    { command -v iconv >/dev/null 2>&1 && ! printf '%s' "$here" | iconv -f UTF-8 -t UTF-8 >/dev/null 2>&1; }; then
    echo "install-menu-entry.sh: the folder's path cannot be written in a menu entry: move the folder" >&2
    exit 1
fi

# Values of type string: a backslash is written \\. Exec's argument goes in double quotes, inside
# which " ` $ \ take a backslash, and % is written %%; then the string rule applies on top.
as_string() { printf '%s' "$1" | sed -e 's/\\/\\\\/g'; }
as_exec() { printf '%s' "$1" | sed -e 's/[\\"`$]/\\&/g' -e 's/%/%%/g' -e 's/\\/\\\\/g'; }

mkdir -p "$apps"
# The launcher looks for Kestravel_Data in the folder it runs in: Path sets it. The game's window
# has the class Kestravel_Main, which docks match to this entry.
cat >"$entry.tmp" <<ENTRY
[Desktop Entry]
Type=Application
Name=Kestravel
GenericName=Platform Game
Comment=A platform game where your jump grows with your distance from the last checkpoint
Exec="$(as_exec "$here/kestravel")"
Path=$(as_string "$here")
Icon=$(as_string "$here/kestravel.png")
Terminal=false
StartupWMClass=Kestravel_Main
Categories=Game;ActionGame;
Keywords=platformer;jump;checkpoint;stars;
ENTRY
mv "$entry.tmp" "$entry"
refresh
case "$here" in
    *%*) echo "Note: GLib's menus (GNOME, Xfce) pass over an entry whose program path holds a %; if Kestravel does not show up, move the folder and run this again" >&2 ;;
esac
echo "Added $entry: Kestravel in your menu starts $here/kestravel"
