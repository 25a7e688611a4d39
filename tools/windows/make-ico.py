#!/usr/bin/env python3
"""Makes the Windows application icon from the generated icon picture.

Usage: make-ico.py ICON.png OUT.ico

Writes one image per size Windows asks for, 16 to 256 pixels: each smaller size is the picture
shrunk by area averaging in premultiplied alpha (so transparent pixels do not darken the rim),
stored as a 32-bit bitmap that every Windows reads; the 256 one is stored as PNG, as Windows
expects at that size.
"""
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from pngread import load_png  # noqa: E402

SIZES = (16, 24, 32, 48, 64, 128, 256)


def read_png(path):
    """(width, height, rows of RGBA bytes) of an 8-bit RGB or RGBA, non-interlaced PNG."""
    width, height, channels, rows = load_png(path)
    if not 0 < width <= 4096 or not 0 < height <= 4096:
        raise ValueError("%d x %d is no icon" % (width, height))
    if channels == 3:
        rows = [b"".join(bytes(row[i:i + 3]) + b"\xff" for i in range(0, len(row), 3)) for row in rows]
    return width, height, [bytearray(row) for row in rows]


def weights(source, target):
    """For each target pixel, the (source pixel, share) pairs it covers, shares adding to 1."""
    scale = source / target
    result = []
    for t in range(target):
        start, end = t * scale, (t + 1) * scale
        taps, s = [], int(start)
        while s < end and s < source:
            share = min(end, s + 1) - max(start, s)
            if share > 0:
                taps.append((s, share / scale))
            s += 1
        result.append(taps)
    return result


def shrink(width, height, rows, size):
    """The picture scaled to size x size as rows of RGBA bytes."""
    premultiplied = []
    for line in rows:
        out = []
        for x in range(width):
            r, g, b, a = line[4 * x:4 * x + 4]
            out.append((r * a, g * a, b * a, a))
        premultiplied.append(out)
    across = weights(width, size)
    narrow = [[tuple(sum(row[s][c] * w for s, w in taps) for c in range(4)) for taps in across]
              for row in premultiplied]
    down = weights(height, size)
    result = []
    for taps in down:
        line = bytearray()
        for x in range(size):
            r, g, b, a = (sum(narrow[s][x][c] * w for s, w in taps) for c in range(4))
            if a <= 0:
                line += b"\0\0\0\0"
                continue
            line += bytes(min(255, round(v / a)) for v in (r, g, b)) + bytes([min(255, round(a))])
        result.append(line)
    return result


def bitmap_entry(size, rows):
    """A 32-bit BGRA bitmap with its (all-clear) mask, bottom row first, as icons store them."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for line in reversed(rows):
        for x in range(size):
            r, g, b, a = line[4 * x:4 * x + 4]
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    return header + bytes(pixels) + bytes(mask_stride * size)


def png_entry(size, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + bytes(line) for line in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(argv):
    if len(argv) != 3:
        print("usage: make-ico.py ICON.png OUT.ico", file=sys.stderr)
        return 2
    try:
        width, height, rows = read_png(argv[1])
    except (OSError, ValueError, zlib.error) as error:
        print(f"make-ico: {argv[1]}: {error}", file=sys.stderr)
        return 1
    images = []
    for size in SIZES:
        scaled = rows if (width, height) == (size, size) else shrink(width, height, rows, size)
        images.append((size, png_entry(size, scaled) if size >= 256 else bitmap_entry(size, scaled)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for size, body in images:
        # 0 stands for 256 in the one-byte sizes.
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    with open(argv[2], "wb") as f:
        f.write(directory + b"".join(body for _, body in images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
