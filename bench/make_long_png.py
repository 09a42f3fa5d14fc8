#!/usr/bin/env python3
# Writes a W x H RGBA PNG of text-like stripes (no two neighbouring rows
# alike), for the review bench: ImageMagick refuses images this tall.
#   bench/make_long_png.py out.png [width] [height]
import random, struct, sys, zlib

out = sys.argv[1]
w = int(sys.argv[2]) if len(sys.argv) > 2 else 1920
h = int(sys.argv[3]) if len(sys.argv) > 3 else 70000
rng = random.Random(7)
rows = []
for k in range(97):
    row = bytearray(b"\xf7\xf9\xfc\xff" * w)
    for _ in range(rng.randrange(4, 30)):
        x = rng.randrange(0, w - 60)
        n = rng.randrange(8, 60)
        c = bytes([rng.randrange(0, 120), rng.randrange(0, 120), rng.randrange(60, 200), 255])
        row[x * 4:(x + n) * 4] = c * n
    assert len(row) == w * 4
    rows.append(b"\x00" + bytes(row))

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

with open(out, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
    z = zlib.compressobj(1)
    pending = []
    for y in range(h):
        pending.append(rows[(y * 31 + y // 53) % len(rows)])
        if len(pending) == 256 or y == h - 1:
            data = z.compress(b"".join(pending))
            pending = []
            if data:
                f.write(chunk(b"IDAT", data))
    f.write(chunk(b"IDAT", z.flush()) + chunk(b"IEND", b""))
