#!/usr/bin/env python3
"""Writes a reproducible set of sprite PNGs for the command-line pack benchmark.

usage: gen_sprites.py FOLDER [COUNT] [SEED] [MIN] [MAX]

Every sprite is RGBA, MIN to MAX pixels on each side (default 8 to 64), and
mixes what real sprites hold: a transparent background, a filled disc or box
with a gradient, an outline, and a little noise, so that the PNG writer sees
neither flat colour nor pure noise. Only the standard library is used.
"""
import os
import random
import struct
import sys
import zlib


def png_bytes(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6))
            + chunk(b"IEND", b""))


def sprite(rng, width, height):
    base = [rng.randrange(256) for _ in range(3)]
    tint = [rng.randrange(256) for _ in range(3)]
    shape = rng.choice(("disc", "box", "ring", "diamond"))
    cx, cy = (width - 1) / 2.0, (height - 1) / 2.0
    rx, ry = max(width / 2.0 - 1, 1.0), max(height / 2.0 - 1, 1.0)
    noise = rng.randrange(0, 24)
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            dx, dy = (x - cx) / rx, (y - cy) / ry
            if shape == "disc":
                d = dx * dx + dy * dy
                inside, edge = d <= 1.0, d > 0.75
            elif shape == "ring":
                d = dx * dx + dy * dy
                inside, edge = 0.35 <= d <= 1.0, d > 0.85 or d < 0.45
            elif shape == "diamond":
                d = abs(dx) + abs(dy)
                inside, edge = d <= 1.0, d > 0.85
            else:
                inside = True
                edge = x == 0 or y == 0 or x == width - 1 or y == height - 1
            if not inside:
                row += b"\x00\x00\x00\x00"
                continue
            t = y / max(height - 1, 1)
            pixel = [int(base[c] * (1 - t) + tint[c] * t) for c in range(3)]
            if edge:
                pixel = [p // 3 for p in pixel]
            if noise:
                pixel = [min(255, max(0, p + rng.randrange(-noise, noise + 1))) for p in pixel]
            row += bytes(pixel) + b"\xff"
        rows.append(row)
    return rows


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 20240601
    low = int(sys.argv[4]) if len(sys.argv) > 4 else 8
    high = int(sys.argv[5]) if len(sys.argv) > 5 else 64
    rng = random.Random(seed)
    os.makedirs(folder, exist_ok=True)
    digits = len(str(count))
    for i in range(count):
        width, height = rng.randint(low, high), rng.randint(low, high)
        with open(os.path.join(folder, "sprite%0*d.png" % (digits, i)), "wb") as out:
            out.write(png_bytes(width, height, sprite(rng, width, height)))


if __name__ == "__main__":
    main()
