# Sourced by every build that ships its own SDL (Windows, the Linux download, the web page):
# Debian's source packages of SDL2, SDL2_image and SDL2_mixer, fetched and built once into a
# folder of the caller's and reused by later runs. Needs dpkg-dev and xz-utils.
#
# sdl_folders DEFAULT_BUILD [BUILD_DIR [OUT_DIR]] sets a platform build's folders: build (the given one or
# DEFAULT_BUILD under the sources), out (dist by default), deps and prefix below build, and jobs. Called
# from make, the builds below it are top-level ones, without its directory chatter.
#
# The caller sets source_dir, then these, then calls sdl_libraries DEPS_DIR:
#   SDL_CONFIGURE   array: the command that configures a CMake project (cmake, or emcmake cmake)
#   SDL_CMAKE_ARGS  array: toolchain and other options given to all three libraries
#   SDL2_ARGS       array: the options of SDL2 itself on this platform
#   SDL_RECIPE      a word the caller changes whenever its options change, so the next run rebuilds
#   SDL_PRODUCT     a path below the prefix that exists once the three are installed
#   JOBS            parallel build jobs (default 2)
# The libraries are installed into DEPS_DIR/prefix; logs stay in DEPS_DIR.

sdl_folders() {
    build=$(mkdir -p "${2:-$source_dir/$1}" && cd "${2:-$source_dir/$1}" && pwd)
    out=$(mkdir -p "${3:-$source_dir/dist}" && cd "${3:-$source_dir/dist}" && pwd)
    jobs=${JOBS:-2}
    deps="$build/deps"
    prefix="$deps/prefix"
    unset MAKEFLAGS MAKELEVEL MFLAGS
}

# Bump when the options below change.
SDL_SHARED_RECIPE=1

# PNG through stb_image (loading) and miniz (saving), Ogg Vorbis through stb_vorbis, and WAV:
# only what the game shows and plays, and nothing else to build.
SDL_IMAGE_ARGS=(-DSDL2IMAGE_BACKEND_STB=ON -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_BACKEND_IMAGEIO=OFF
    -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_SAMPLES=OFF -DSDL2IMAGE_TESTS=OFF
    -DSDL2IMAGE_PNG=ON -DSDL2IMAGE_PNG_SAVE=ON -DSDL2IMAGE_BMP=ON
    -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_GIF=OFF -DSDL2IMAGE_JPG=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_LBM=OFF
    -DSDL2IMAGE_PCX=OFF -DSDL2IMAGE_PNM=OFF -DSDL2IMAGE_QOI=OFF -DSDL2IMAGE_SVG=OFF -DSDL2IMAGE_TGA=OFF
    -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF -DSDL2IMAGE_XCF=OFF -DSDL2IMAGE_XPM=OFF -DSDL2IMAGE_XV=OFF)
SDL_MIXER_ARGS=(-DSDL2MIXER_VORBIS=STB -DSDL2MIXER_WAVE=ON
    -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF
    -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF)

# Debian's source packages, reached through the machine's own apt sources with deb-src added for
# as long as the download takes.
sdl_fetch_sources() {
    local deps=$1 sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    local list=/etc/apt/sources.list.d/kestravel-sdl-src.sources
    local legacy=/etc/apt/sources.list.d/kestravel-sdl-src.list
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
        [ -f "$dsc" ] || { echo "Debian's SDL source packages could not be downloaded" >&2; return 1; }
        (cd "$deps/src" && dpkg-source --no-check -x "$(basename "$dsc")" >/dev/null)
    done
    local name
    for name in libsdl2 libsdl2-image libsdl2-mixer; do
        compgen -G "$deps/src/$name-[0-9]*/CMakeLists.txt" >/dev/null ||
            { echo "no unpacked $name source" >&2; return 1; }
    done
}

# sdl_cmake_library DEPS NAME SOURCE_DIR OPTIONS...: configures, builds and installs one library.
sdl_cmake_library() {
    local deps=$1 name=$2 src=$3
    shift 3
    local prefix="$deps/prefix"
    "${SDL_CONFIGURE[@]}" -S "$src" -B "$deps/build-$name" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib \
        "${SDL_CMAKE_ARGS[@]}" "$@" >"$deps/$name-configure.log" 2>&1 ||
        { tail -30 "$deps/$name-configure.log" >&2; return 1; }
    cmake --build "$deps/build-$name" -j "${JOBS:-2}" >"$deps/$name-build.log" 2>&1 ||
        { tail -30 "$deps/$name-build.log" >&2; return 1; }
    cmake --install "$deps/build-$name" >/dev/null
}

sdl_build_libraries() {
    local deps=$1
    rm -rf "$deps/prefix" "$deps"/build-*
    sdl_fetch_sources "$deps" || return 1
    local sdl image mixer
    sdl=$(compgen -G "$deps/src/libsdl2-[0-9]*" | head -1)
    image=$(compgen -G "$deps/src/libsdl2-image-[0-9]*" | head -1)
    mixer=$(compgen -G "$deps/src/libsdl2-mixer-[0-9]*" | head -1)
    echo "Building $(basename "$sdl"), $(basename "$image"), $(basename "$mixer")"
    sdl_cmake_library "$deps" sdl2 "$sdl" -DSDL_TEST=OFF -DSDL_TESTS=OFF -DSDL_CCACHE=OFF \
        -DSDL2_DISABLE_UNINSTALL=ON "${SDL2_ARGS[@]}" || return 1
    # Each finds the SDL2 just built, not one the machine or the toolchain may have.
    sdl_cmake_library "$deps" sdl2-image "$image" -DSDL2_DIR="$deps/prefix/lib/cmake/SDL2" \
        "${SDL_IMAGE_ARGS[@]}" || return 1
    sdl_cmake_library "$deps" sdl2-mixer "$mixer" -DSDL2_DIR="$deps/prefix/lib/cmake/SDL2" \
        "${SDL_MIXER_ARGS[@]}" || return 1
    echo "$SDL_SHARED_RECIPE.$SDL_RECIPE $(basename "$sdl") $(basename "$image") $(basename "$mixer")" \
        >"$deps/stamp"
}

# sdl_libraries DEPS: builds the three unless a finished build of the same recipe is there.
sdl_libraries() {
    local deps=$1
    mkdir -p "$deps"
    if [ -f "$deps/stamp" ] && [ "$(cut -d' ' -f1 "$deps/stamp")" = "$SDL_SHARED_RECIPE.$SDL_RECIPE" ] &&
        [ -e "$deps/prefix/$SDL_PRODUCT" ]; then
        echo "Reusing SDL libraries: $(cut -d' ' -f2- "$deps/stamp")"
        return 0
    fi
    local started=$SECONDS
    sdl_build_libraries "$deps" || return 1
    echo "SDL libraries built in $((SECONDS - started)) s"
}
