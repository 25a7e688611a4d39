#!/usr/bin/env bash
# Builds the Linux download on Debian 12 and packs what players unpack (tools/make-dist.sh):
#   OUT/Kestravel/kestravel                        the launcher
#   OUT/Kestravel/Kestravel_Data/Kestravel_Main    the game
#   OUT/Kestravel/Kestravel_Data/lib/              SDL2, SDL2_image, SDL2_mixer, found through the
#                                                  programs' $ORIGIN run paths
#   OUT/Kestravel/Kestravel_Data/data/             everything the game loads
#   OUT/Kestravel-linux-x86_64.tar.gz
# The SDL libraries are built from Debian's own source packages once, into BUILD/deps, and reused
# by later runs; the game and the launcher go to BUILD/game.
# Usage: tools/linux/build.sh [BUILD_DIR [OUT_DIR]]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=tools/sdl-from-debian.sh
source "$source_dir/tools/sdl-from-debian.sh"
sdl_folders build-linux "$@"
# Bump when the options below change, so the next run builds the libraries again.
SDL_RECIPE=linux2

# ---------------------------------------------------------------- packages
"$source_dir/tools/install-deps.sh" linux

# ---------------------------------------------------------------- SDL libraries
SDL_CONFIGURE=(cmake)
# The same bytes from any folder: no build folder in the binaries (SDL keeps __FILE__ in its
# messages), nor in their build IDs, which a run path rewritten at install would leave hashed
# over the build folder's. Each library finds the others in its own folder.
SDL_CMAKE_ARGS=(-DBUILD_SHARED_LIBS=ON "-DCMAKE_C_FLAGS=-ffile-prefix-map=$deps=deps"
    '-DCMAKE_INSTALL_RPATH=$ORIGIN' -DCMAKE_BUILD_WITH_INSTALL_RPATH=ON)
# Every desktop's video and sound, each opened at run time only when the machine has it; nothing
# SDL could open that a desktop may lack is linked.
sdl_backends=(X11 WAYLAND WAYLAND_LIBDECOR PULSEAUDIO PIPEWIRE ALSA)
SDL2_ARGS=(-DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_RPATH=OFF
    -DSDL_JACK=OFF -DSDL_SNDIO=OFF -DSDL_ESD=OFF -DSDL_ARTS=OFF -DSDL_NAS=OFF -DSDL_FUSIONSOUND=OFF
    -DSDL_LIBSAMPLERATE=OFF -DSDL_KMSDRM=OFF -DSDL_DIRECTFB=OFF -DSDL_RPI=OFF -DSDL_IBUS=OFF)
for backend in "${sdl_backends[@]}"; do SDL2_ARGS+=("-DSDL_$backend=ON" "-DSDL_${backend}_SHARED=ON"); done
SDL_PRODUCT=lib/libSDL2_mixer-2.0.so.0
JOBS=$jobs sdl_libraries "$deps"

# SDL leaves out what it finds no headers for, silently: read its configure summary.
for backend in "${sdl_backends[@]}"; do
    for option in "SDL_$backend" "SDL_${backend}_SHARED"; do
        grep -Eq "^-- +$option +\(Wanted: ON\): ON" "$deps/sdl2-configure.log" || {
            echo "linux: SDL was configured without $option (see $deps/sdl2-configure.log)" >&2
            rm -f "$deps/stamp"
            exit 1
        }
    done
done

# ---------------------------------------------------------------- the game
started=$SECONDS
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
maps="-ffile-prefix-map=$source_dir=. -ffile-prefix-map=$build=build -ffile-prefix-map=$deps=deps"
cmake -S "$source_dir" -B "$build/game" -DCMAKE_BUILD_TYPE=Release -DKESTRAVEL_TESTS=OFF \
    -DKESTRAVEL_PORTABLE=ON "-DCMAKE_C_FLAGS=$maps" "-DCMAKE_CXX_FLAGS=$maps" >/dev/null
cmake --build "$build/game" -j "$jobs" --target Kestravel_Main kestravel
echo "Game built in $((SECONDS - started)) s"

# ---------------------------------------------------------------- the tarball
"$source_dir/tools/make-dist.sh" "$build/game" "$out" "$prefix/lib"
