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
build=$(mkdir -p "${1:-$source_dir/build-windows}" && cd "${1:-$source_dir/build-windows}" && pwd)
out=${2:-$source_dir/dist}
jobs=${JOBS:-2}
# Called from make: the builds below are top-level ones, without its directory chatter.
unset MAKEFLAGS MAKELEVEL MFLAGS

host=x86_64-w64-mingw32
deps="$build/deps"
prefix="$deps/prefix"
# Bump when the options below change, so the next run builds the libraries again.
deps_recipe=1

# ---------------------------------------------------------------- packages
"$source_dir/tools/install-deps.sh" windows
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

# ---------------------------------------------------------------- SDL libraries
# Debian's source packages, reached through the machine's own apt sources with deb-src added
# for as long as the download takes.
fetch_sources() {
    local list=/etc/apt/sources.list.d/kestravel-windows-src.sources
    local legacy=/etc/apt/sources.list.d/kestravel-windows-src.list
    # shellcheck disable=SC2064
    trap "$sudo rm -f '$list' '$legacy'" EXIT
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed -e 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources | $sudo tee "$list" >/dev/null
    fi
    if [ -f /etc/apt/sources.list ]; then
        sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list | $sudo tee "$legacy" >/dev/null
    fi
    $sudo apt-get update -qq
    rm -rf "$deps/src"
    mkdir -p "$deps/src"
    # apt checks every file against the signed index; dpkg-source has no keyring to add to that.
    (cd "$deps/src" && apt-get source -qq --download-only libsdl2 libsdl2-image libsdl2-mixer >/dev/null)
    $sudo rm -f "$list" "$legacy"
    trap - EXIT
    local dsc
    for dsc in "$deps/src"/*.dsc; do
        [ -f "$dsc" ] || { echo "windows: Debian's SDL source packages could not be downloaded" >&2; exit 1; }
        (cd "$deps/src" && dpkg-source --no-check -x "$(basename "$dsc")" >/dev/null)
    done
    for name in libsdl2 libsdl2-image libsdl2-mixer; do
        compgen -G "$deps/src/$name-[0-9]*/CMakeLists.txt" >/dev/null ||
            { echo "windows: no unpacked $name source" >&2; exit 1; }
    done
}

# cmake_library NAME SOURCE_DIR OPTIONS...: configures, builds and installs one library into prefix.
cmake_library() {
    local name=$1 src=$2
    shift 2
    cmake -S "$src" -B "$deps/build-$name" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" \
        -DKESTRAVEL_WINDOWS_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DBUILD_SHARED_LIBS=ON "$@" >"$deps/$name-configure.log" ||
        { tail -30 "$deps/$name-configure.log" >&2; exit 1; }
    cmake --build "$deps/build-$name" -j "$jobs" >"$deps/$name-build.log" 2>&1 ||
        { tail -30 "$deps/$name-build.log" >&2; exit 1; }
    cmake --install "$deps/build-$name" >/dev/null
}

build_libraries() {
    rm -rf "$prefix" "$deps"/build-*
    fetch_sources
    local sdl image mixer
    sdl=$(compgen -G "$deps/src/libsdl2-[0-9]*" | head -1)
    image=$(compgen -G "$deps/src/libsdl2-image-[0-9]*" | head -1)
    mixer=$(compgen -G "$deps/src/libsdl2-mixer-[0-9]*" | head -1)
    echo "Cross-building $(basename "$sdl"), $(basename "$image"), $(basename "$mixer")"
    cmake_library sdl2 "$sdl" -DSDL_SHARED=ON -DSDL_STATIC=OFF -DSDL_TEST=OFF -DSDL_TESTS=OFF \
        -DSDL_CCACHE=OFF -DSDL2_DISABLE_UNINSTALL=ON
    # PNG through stb_image (loading) and miniz (saving), Ogg Vorbis through stb_vorbis:
    # nothing else to cross-build, and only what the game plays or shows.
    cmake_library sdl2-image "$image" -DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF \
        -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF \
        -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_PNG_SAVE=ON -DSDL2IMAGE_BMP=ON \
        -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_GIF=OFF -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_LBM=OFF \
        -DSDL2IMAGE_PCX=OFF -DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF -DSDL2IMAGE_SVG=OFF -DSDL2IMAGE_TGA=OFF \
        -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_XCF=OFF -DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF
    cmake_library sdl2-mixer "$mixer" -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON \
        -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
        -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF
    echo "$deps_recipe $(basename "$sdl") $(basename "$image") $(basename "$mixer")" >"$deps/stamp"
}

if [ ! -f "$deps/stamp" ] || [ "$(cut -d' ' -f1 "$deps/stamp")" != "$deps_recipe" ] ||
    [ ! -f "$prefix/bin/SDL2_mixer.dll" ]; then
    started=$SECONDS
    build_libraries
    echo "SDL libraries built in $((SECONDS - started)) s"
else
    echo "Reusing SDL libraries: $(cut -d' ' -f2- "$deps/stamp")"
fi

# ---------------------------------------------------------------- the game
started=$SECONDS
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""
cmake -S "$source_dir" -B "$build/game" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake" -DKESTRAVEL_WINDOWS_PREFIX="$prefix" \
    -DKESTRAVEL_TESTS=OFF >/dev/null
cmake --build "$build/game" -j "$jobs" --target Kestravel_Main kestravel kestravel-world
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
# The level tool is not shipped; with its DLLs beside it, it runs where it was built.
rm -f "$bin"/*.dll
copy_dlls "$bin/kestravel-world.exe"
cp -RL "$source_dir/data" "$stage/Kestravel_Data/data"
install -m 644 "$source_dir/LICENSE" "$source_dir/CREDITS" "$stage/"
chmod -R u+rwX,go+rX,go-w "$stage"

archive="$out/Kestravel-windows-x86_64.zip"
rm -f "$archive"
(cd "$out" && find Kestravel | LC_ALL=C sort | TZ=UTC zip -q -X -D -@ "$(basename "$archive")")
echo "$archive"
