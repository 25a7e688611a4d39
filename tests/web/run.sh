#!/usr/bin/env bash
# The web zip, unpacked and served on localhost, played in headless Chromium and in Firefox ESR
# under a private Xvfb (where it has WebGL through Mesa), both driven by puppeteer-core.
# Usage: tests/web/run.sh ZIP LINUX_BIN_DIR   (the folder holding the desktop kestravel-world)
set -u
usage="usage: tests/web/run.sh ZIP LINUX_BIN_DIR"
zip=$(realpath "${1:?$usage}")
linux_bin=$(realpath "${2:?$usage}")
src=$(cd "$(dirname "$0")/../.." && pwd)

"$src/tools/install-deps.sh" web-test >/dev/null || { echo "FAIL: could not install the test packages"; exit 1; }
# The driver, exactly as the committed lockfile pins it; no browser download of its own.
if ! cmp -s "$src/tests/web/package-lock.json" "$src/tests/web/node_modules/.installed-lock.json" 2>/dev/null; then
    (cd "$src/tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error &&
        cp package-lock.json node_modules/.installed-lock.json) ||
        { echo "FAIL: npm ci in tests/web"; exit 1; }
fi
# shellcheck source=tests/e2e/lib/shell_xvfb.bash
source "$src/tests/e2e/lib/shell_xvfb.bash"

tmp=$(mktemp -d)
server_pid=""
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    stop_xvfb
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

mkdir -p "$tmp/site"
unzip -q "$zip" -d "$tmp/site" || fail "the zip does not unpack"
for file in index.html Kestravel_Main.js Kestravel_Main.wasm kestravel-data.js kestravel.data; do
    [ -f "$tmp/site/$file" ] || fail "the zip has no $file at its root"
done
echo "ok: the zip holds index.html and the game at its root" | tee "$tmp/results"

# What the desktop build draws after 1100 frames of standing at the start, offscreen.
printf '1100 -\n' >"$tmp/still.txt"
(cd "$src" && "$linux_bin/kestravel-world" route data/game/world1.txt --from "$tmp/still.txt" \
    --picture "$tmp/still.png") >/dev/null || fail "kestravel-world route --picture"

# shellcheck source=tools/web/serve.bash
source "$src/tools/web/serve.bash"
serve_page "$tmp/site" "$tmp/server.out" || fail "the web server did not start: $(cat "$tmp/server.out")"

status=0
node "$src/tests/web/play.mjs" chromium "$url" "$tmp" "$tmp/still.png" | tee -a "$tmp/results"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
start_xvfb || fail "no Xvfb"
node "$src/tests/web/play.mjs" firefox "$url" "$tmp" | tee -a "$tmp/results"
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
if [ -n "${KESTRAVEL_WEB_SHOTS:-}" ]; then mkdir -p "$KESTRAVEL_WEB_SHOTS" && cp "$tmp"/*.png "$KESTRAVEL_WEB_SHOTS/"; fi
echo "web: $(grep -c '^ok:' "$tmp/results") passed, $(grep -c '^FAIL:' "$tmp/results") failed"
exit $status
