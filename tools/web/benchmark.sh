#!/usr/bin/env bash
# The web page's numbers: the zip's size, what the page costs over the wire with gzip, and what
# bench/web.mjs measures in headless Chromium on localhost. Reports; never fails on a number.
# Usage: tools/web/benchmark.sh [DIST_DIR [SECONDS]]   (after `make web`)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
dist=$(cd "${1:-$source_dir/dist}" && pwd)
seconds=${2:-20}
site="$dist/Kestravel-web"
[ -f "$site/index.html" ] || { echo "no $site/index.html: run make web first" >&2; exit 1; }

"$source_dir/tools/install-deps.sh" web-test >/dev/null
if ! cmp -s "$source_dir/tests/web/package-lock.json" "$source_dir/tests/web/node_modules/.installed-lock.json" 2>/dev/null; then
    (cd "$source_dir/tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error &&
        cp package-lock.json node_modules/.installed-lock.json)
fi

echo "zip: $(stat -c %s "$dist/Kestravel-web.zip") bytes"
raw=0
packed=0
# What the page fetches: itself, the game, the data and the icon.
for file in index.html Kestravel_Main.js Kestravel_Main.wasm kestravel-data.js kestravel.data icon.png; do
    size=$(stat -c %s "$site/$file")
    gz=$(gzip -9 -c "$site/$file" | wc -c)
    [ "$gz" -lt "$size" ] || gz=$size
    printf '  %-20s %9d bytes, %9d with gzip\n' "$file" "$size" "$gz"
    raw=$((raw + size))
    packed=$((packed + gz))
done
echo "page transfer: $raw bytes, $packed with gzip"

tmp=$(mktemp -d)
server_pid=""
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$tmp"' EXIT
# shellcheck source=tools/web/serve.bash
source "$source_dir/tools/web/serve.bash"
serve_page "$site" "$tmp/server.out" || { echo "the web server did not start" >&2; exit 1; }
node "$source_dir/bench/web.mjs" "$url" "$seconds"
