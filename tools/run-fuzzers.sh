#!/usr/bin/env bash
# Runs every libFuzzer target built in BUILD/bin for SECONDS each.
# Usage: tools/run-fuzzers.sh BUILD SECONDS
# Each target works on a temporary copy of fuzz/corpus/NAME/, so the inputs it
# finds never land in the repository. A crash leaves its input in the current folder.
set -uo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)

shopt -s nullglob
targets=("$build"/bin/*_fuzz)
if [ ${#targets[@]} -eq 0 ]; then
    echo "no *_fuzz targets in $build/bin" >&2
    exit 1
fi

failed=0
for target in "${targets[@]}"; do
    name=$(basename "$target")
    work=$(mktemp -d "${TMPDIR:-/tmp}/$name-corpus.XXXXXX")
    if [ -d "$root/fuzz/corpus/$name" ]; then
        cp -R "$root/fuzz/corpus/$name/." "$work/"
    fi
    echo "== $name for ${seconds}s"
    if ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
        "$target" -max_total_time="$seconds" -print_final_stats=1 "$work"; then
        echo "== $name: clean"
    else
        echo "== $name: FAILED" >&2
        failed=1
    fi
    rm -rf "$work"
done
exit $failed
