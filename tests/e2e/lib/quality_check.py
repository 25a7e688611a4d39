#!/usr/bin/env python3
"""Small measurements for the end-to-end scripts, standard library only.

  rms FILE START END            RMS (0..32767) of 16-bit little-endian samples in bytes START..END
  diff A.png B.png [X0 Y0 X1 Y1] share of pixels (0..1) that differ clearly, in the box if given
  dark A.png                    share of pixels that are nearly black
  mean A.png                    mean brightness 0..255
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools"))
from pngread import load_png  # noqa: E402


def pixels(path, box=None):
    width, height, bpp, rows = load_png(path)
    x0, y0, x1, y1 = box or (0, 0, width, height)
    return [tuple(rows[y][x * bpp:x * bpp + 3]) for y in range(y0, min(y1, height)) for x in range(x0, min(x1, width))]


def main(argv):
    what = argv[1]
    if what == "rms":
        data = open(argv[2], "rb").read()[int(argv[3]) & ~1:int(argv[4]) & ~1]
        count = len(data) // 2
        if count == 0:
            print("0")
            return
        samples = struct.unpack("<%dh" % count, data[:count * 2])
        print("%.1f" % math.sqrt(sum(s * s for s in samples) / count))
    elif what == "diff":
        box = tuple(int(v) for v in argv[4:8]) if len(argv) >= 8 else None
        a, b = pixels(argv[2], box), pixels(argv[3], box)
        if len(a) != len(b):
            print("1.0")
            return
        changed = sum(1 for p, q in zip(a, b) if max(abs(x - y) for x, y in zip(p, q)) > 24)
        print("%.4f" % (changed / max(1, len(a))))
    elif what == "dark":
        p = pixels(argv[2])
        print("%.4f" % (sum(1 for c in p if max(c) < 8) / len(p)))
    elif what == "mean":
        p = pixels(argv[2])
        print("%.1f" % (sum(sum(c) for c in p) / (3 * len(p))))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
