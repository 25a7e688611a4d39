#!/usr/bin/env bash
# Builds every platform's download from this commit and puts them into OUT_DIR, named with the
# version of CMakeLists.txt's project(), beside their SHA256SUMS:
#   Kestravel-VERSION-linux-x86_64.tar.gz   make linux
#   Kestravel-VERSION-windows-x86_64.zip    make windows
#   Kestravel-VERSION-web.zip               make web, once the Makefile has it
# Every archive is dated by the commit (SOURCE_DATE_EPOCH) and packed in a fixed order, and the
# programs hold no build paths: two runs from the same commit write the same bytes.
# Usage: tools/release.sh [OUT_DIR]
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$source_dir/dist}" && cd "${1:-$source_dir/dist}" && pwd)
dist=$source_dir/dist

version=$(sed -n 's/^project(Kestravel VERSION \([0-9][0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ -n "$version" ] || { echo "release: no project version in CMakeLists.txt" >&2; exit 1; }
# shellcheck source=tools/pack.sh
source "$source_dir/tools/pack.sh"
git -C "$source_dir" diff --quiet HEAD 2>/dev/null ||
    echo "release: the work tree has uncommitted changes; these archives are not those of the commit" >&2

# platform target, the archive its make target writes into dist/, and its release name.
platforms=("linux Kestravel-linux-x86_64.tar.gz Kestravel-$version-linux-x86_64.tar.gz"
    "windows Kestravel-windows-x86_64.zip Kestravel-$version-windows-x86_64.zip")
if grep -q '^web:' "$source_dir/Makefile"; then
    platforms+=("web Kestravel-web.zip Kestravel-$version-web.zip")
else
    echo "release: the Makefile has no web target; the release has no web zip" >&2
fi

names=()
for platform in "${platforms[@]}"; do
    read -r target built name <<<"$platform"
    rm -f "$dist/$built"
    make -C "$source_dir" --no-print-directory "$target"
    [ -f "$dist/$built" ] || { echo "release: make $target wrote no dist/$built" >&2; exit 1; }
    mv "$dist/$built" "$out/$name"
    names+=("$name")
done
(cd "$out" && sha256sum "${names[@]}" >SHA256SUMS)
for name in "${names[@]}" SHA256SUMS; do echo "$out/$name"; done
