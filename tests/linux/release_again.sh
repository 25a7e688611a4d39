#!/usr/bin/env bash
# The release packed once more from the same build, later, under umask 077 and into another
# folder: every archive and SHA256SUMS come out byte for byte as in DIST, whose sums verify.
# Usage: tests/linux/release_again.sh DIST_DIR
set -u
dist=$(realpath "${1:?usage: release_again.sh DIST_DIR}")
src=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "the archives in $dist do not match their SHA256SUMS"
(umask 077 && "$src/tools/release.sh" "$tmp/again") >"$tmp/release.log" 2>&1 || fail "$(tail -20 "$tmp/release.log")"
for name in SHA256SUMS $(awk '{print $2}' "$dist/SHA256SUMS"); do
    cmp "$dist/$name" "$tmp/again/$name" || fail "$name is not the same when packed again"
done
echo "PASS: the release packed twice gives the same bytes"
