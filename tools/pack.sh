# Sourced by the builds that pack a download (Linux, Windows, web): the same files always give the
# same archive, byte for byte, whatever the umask. Every file is dated SOURCE_DATE_EPOCH, by default
# the time of the last commit, readable by all and writable by its owner; names go in sorted.
# The caller sets source_dir first.

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || stat -c %Y "$source_dir/CMakeLists.txt")
fi
export SOURCE_DATE_EPOCH

# pack_zip ROOT TOP ARCHIVE: every file below ROOT/TOP, named from ROOT ("." packs ROOT's own files).
pack_zip() {
    local root=$1 top=$2 archive=$3
    chmod -R u+rwX,go+rX,go-w "$root/$top"
    find "$root/$top" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
    rm -f "$archive"
    (cd "$root" && find "$top" -type f | sed 's|^\./||' | LC_ALL=C sort | TZ=UTC zip -q -X -D -@ "$archive")
}

# pack_tar ROOT TOP ARCHIVE: ROOT/TOP as a gzipped tarball, named from ROOT.
pack_tar() {
    local root=$1 top=$2 archive=$3
    chmod -R u+rwX,go+rX,go-w "$root/$top"
    tar -C "$root" --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 --numeric-owner --format=gnu \
        -cf - "$top" | gzip -9n >"$archive"
}
