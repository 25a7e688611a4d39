#!/usr/bin/env bash
# Cross-builds the game for 64-bit Windows on Debian 12 and packs what players unzip:
#   OUT/Kestravel/Kestravel.exe                        the launcher
#   OUT/Kestravel/Kestravel_Data/Kestravel_Main.exe    the game
#   OUT/Kestravel/Kestravel_Data/data/                 everything the game loads (a copy)
#   OUT/Kestravel/LICENSE, CREDITS, and beside each program the SDL DLLs it imports
#   OUT/Kestravel-windows-x86_64.zip
# SDL2, SDL2_image and SDL2_mixer are cross-built from Debian's own source packages once, into
# BUILD/deps, and reused by later runs; the game, the launcher and kestravel-world go to BUILD/game.
# Usage: tools/windows/build.sh [BUILD_DIR [OUT_DIR]]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=tools/sdl-from-debian.sh
source "$source_dir/tools/sdl-from-debian.sh"
sdl_folders build-windows "$@"
host=x86_64-w64-mingw32
# Bump when the options below change, so the next run builds the libraries again.
SDL_RECIPE=windows2
# strip stamps the programs it rewrites with SOURCE_DATE_EPOCH instead of the clock's time.
# shellcheck source=tools/pack.sh
source "$source_dir/tools/pack.sh"

# ---------------------------------------------------------------- packages
"$source_dir/tools/install-deps.sh" windows

# ---------------------------------------------------------------- SDL libraries
SDL_CONFIGURE=(cmake)
# The same bytes from any folder and at any time: no build folder in the binaries, no link time
# in their headers.
SDL_CMAKE_ARGS=(-DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake"
    -DKESTRAVEL_WINDOWS_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON
    "-DCMAKE_C_FLAGS=-ffile-prefix-map=$deps=deps" -DCMAKE_SHARED_LINKER_FLAGS=-Wl,--no-insert-timestamp)
SDL2_ARGS=(-DSDL_SHARED=ON -DSDL_STATIC=OFF)
SDL_PRODUCT=bin/SDL2_mixer.dll
JOBS=$jobs sdl_libraries "$deps"

# ---------------------------------------------------------------- the game
started=$SECONDS
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
maps="-ffile-prefix-map=$source_dir=. -ffile-prefix-map=$build=build -ffile-prefix-map=$deps=deps"
cmake -S "$source_dir" -B "$build/game" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" -DKESTRAVEL_WINDOWS_PREFIX="$prefix" \
    -DKESTRAVEL_TESTS=OFF "-DCMAKE_C_FLAGS=$maps" "-DCMAKE_CXX_FLAGS=$maps" \
    -DCMAKE_EXE_LINKER_FLAGS=-Wl,--no-insert-timestamp >/dev/null
cmake --build "$build/game" -j "$jobs" --target Kestravel_Main kestravel kestravel-world kestravel-print-arguments
echo "Game built in $((SECONDS - started)) s"

# ---------------------------------------------------------------- the zip
bin="$build/game/bin"
for program in kestravel.exe Kestravel_Main.exe kestravel-world.exe; do
    [ -f "$bin/$program" ] || { echo "windows: $bin/$program is missing" >&2; exit 1; }
done
[ -f "$source_dir/data/game/world1.txt" ] || { echo "windows: $source_dir/data has no world file" >&2; exit 1; }

# The DLLs a program imports that we built, beside it, and theirs in turn.
copy_dlls() {
    local program=$1 folder
    folder=$(dirname "$program")
    local dll
    for dll in $($host-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p'); do
        [ -f "$prefix/bin/$dll" ] || continue
        [ -f "$folder/$dll" ] && continue
        install -m 644 "$prefix/bin/$dll" "$folder/$dll"
        $host-strip --strip-unneeded "$folder/$dll"
        copy_dlls "$folder/$dll"
    done
}

mkdir -p "$out"
stage="$out/Kestravel"
rm -rf "$stage"
mkdir -p "$stage/Kestravel_Data"
install -m 755 "$bin/kestravel.exe" "$stage/Kestravel.exe"
install -m 755 "$bin/Kestravel_Main.exe" "$stage/Kestravel_Data/Kestravel_Main.exe"
$host-strip --strip-unneeded "$stage/Kestravel.exe" "$stage/Kestravel_Data/Kestravel_Main.exe"
copy_dlls "$stage/Kestravel.exe"
copy_dlls "$stage/Kestravel_Data/Kestravel_Main.exe"
# The level tool and the Wine test's stand-in are not shipped; with their DLLs beside them, they
# run where they were built.
rm -f "$bin"/*.dll
copy_dlls "$bin/kestravel-world.exe"
copy_dlls "$bin/kestravel-print-arguments.exe"
cp -RL "$source_dir/data" "$stage/Kestravel_Data/data"
install -m 644 "$source_dir/LICENSE" "$source_dir/CREDITS" "$stage/"

archive=$(cd "$out" && pwd)/Kestravel-windows-x86_64.zip
pack_zip "$out" Kestravel "$archive"
echo "$out/Kestravel-windows-x86_64.zip"
