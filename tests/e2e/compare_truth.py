#!/usr/bin/env python3
"""Compares a stitched PNG with a true long image by the corpus rule: same size,
and fewer than 0.5 % of the pixels differ by a luma of 9 or more (optionally only
over columns x0..x1). Needs nothing beyond the standard library."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, ihdr = 8, b"", None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    w, h, depth, ctype, _, _, interlace = ihdr
    assert depth == 8 and interlace == 0 and ctype in (2, 6), (path, ihdr)
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(idat)
    stride = w * bpp
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes((299 * line[i] + 587 * line[i + 1] + 114 * line[i + 2]) // 1000 for i in range(0, stride, bpp)))
        prev = line
    return w, h, rows


def main():
    out, truth = sys.argv[1], sys.argv[2]
    x0 = int(sys.argv[3]) if len(sys.argv) > 3 else 0
    w1, h1, a = read_png(out)
    w2, h2, b = read_png(truth)
    if (w1, h1) != (w2, h2):
        print(f"{out}: size {w1}x{h1}, truth {w2}x{h2}")
        return 1
    x1 = int(sys.argv[4]) if len(sys.argv) > 4 else w1
    off = sum(1 for y in range(h1) for x in range(x0, x1) if abs(a[y][x] - b[y][x]) >= 9)
    share = off / ((x1 - x0) * h1)
    print(f"{out}: {w1}x{h1}, {share * 100:.3f} % of pixels off")
    return 0 if share < 0.005 else 1


if __name__ == "__main__":
    sys.exit(main())
