#!/usr/bin/env bash
# Builds the game for the browser with Debian's emscripten and packs the page that web game hosts
# take, index.html at the top:
#   OUT/Kestravel-web/index.html                       the page: layout, progress, start, end page
#   OUT/Kestravel-web/Kestravel_Main.js, .wasm         the game
#   OUT/Kestravel-web/kestravel-data.js, .data         everything the game loads, as one package
#   OUT/Kestravel-web/icon.png, LICENSE, CREDITS
#   OUT/Kestravel-web.zip                              the same files, without the folder
# SDL2, SDL2_image and SDL2_mixer are built from Debian's own source packages once, into
# BUILD/deps, and reused by later runs; the game goes to BUILD/game.
# Usage: tools/web/build.sh [BUILD_DIR [OUT_DIR]]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=tools/sdl-from-debian.sh
source "$source_dir/tools/sdl-from-debian.sh"
sdl_folders build-web "$@"
# Bump when the options below change, so the next run builds the libraries again.
SDL_RECIPE=web1

# ---------------------------------------------------------------- packages
"$source_dir/tools/install-deps.sh" web
# emscripten's JavaScript tools need acorn, which Debian keeps outside a node of another origin.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# emcmake leaves pkg-config looking at the machine's own SDL.
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
export PKG_CONFIG_PATH=""

# ---------------------------------------------------------------- SDL libraries
SDL_CONFIGURE=(emcmake cmake)
SDL_CMAKE_ARGS=(-DBUILD_SHARED_LIBS=OFF)
SDL2_ARGS=(-DSDL_SHARED=OFF -DSDL_STATIC=ON)
SDL_PRODUCT=lib/libSDL2_mixer.a
JOBS=$jobs sdl_libraries "$deps"

# ---------------------------------------------------------------- the game
started=$SECONDS
emcmake cmake -S "$source_dir" -B "$build/game" -DCMAKE_BUILD_TYPE=Release \
    -DKESTRAVEL_WEB_PREFIX="$prefix" -DKESTRAVEL_TESTS=OFF >"$build/game-configure.log" 2>&1 ||
    { tail -30 "$build/game-configure.log" >&2; exit 1; }
cmake --build "$build/game" -j "$jobs" --target Kestravel_Main
echo "Game built in $((SECONDS - started)) s"

bin="$build/game/bin"
for file in Kestravel_Main.js Kestravel_Main.wasm; do
    [ -f "$bin/$file" ] || { echo "web: $bin/$file is missing" >&2; exit 1; }
done
[ -f "$source_dir/data/game/world1.txt" ] || { echo "web: $source_dir/data has no world file" >&2; exit 1; }

# ---------------------------------------------------------------- the data package
# Its own loader, apart from the game's: the page fetches the package itself, for the progress
# bar, and starts the game without it when the download fails, so the game says what is missing.
package="$build/package"
rm -rf "$package"
mkdir -p "$package"
cp -RL "$source_dir/data" "$package/data"
# File by file in a fixed order, not as a folder the packager walks in the file system's order; its
# random id becomes the data's own hash. The same data then packs to the same bytes.
mapfile -t files < <(cd "$package" && find data -type f | LC_ALL=C sort)
preload=()
for file in "${files[@]}"; do preload+=("$file@/$file"); done
(cd "$package" && python3 /usr/share/emscripten/tools/file_packager.py kestravel.data \
    --preload "${preload[@]}" --js-output=kestravel-data.js --no-node >/dev/null 2>"$build/package.log") ||
    { cat "$build/package.log" >&2; exit 1; }
data_hash=$(sha256sum "$package/kestravel.data" | cut -c1-32)
sed -i -e "s/\"package_uuid\": \"[^\"]*\"/\"package_uuid\": \"$data_hash\"/" "$package/kestravel-data.js"

# ---------------------------------------------------------------- the page
stage="$out/Kestravel-web"
rm -rf "$stage"
mkdir -p "$stage"
install -m 644 "$source_dir/tools/web/index.html" "$bin/Kestravel_Main.js" "$bin/Kestravel_Main.wasm" \
    "$package/kestravel-data.js" "$package/kestravel.data" "$source_dir/LICENSE" "$source_dir/CREDITS" "$stage/"
install -m 644 "$source_dir/data/graphics/icon.png" "$stage/icon.png"
sed -i -e "s/@WASM_SIZE@/$(stat -c %s "$stage/Kestravel_Main.wasm")/" \
    -e "s/@DATA_SIZE@/$(stat -c %s "$stage/kestravel.data")/" "$stage/index.html"

# shellcheck source=tools/pack.sh
source "$source_dir/tools/pack.sh"
archive=$(cd "$out" && pwd)/Kestravel-web.zip
pack_zip "$stage" . "$archive"
echo "$out/Kestravel-web.zip"
