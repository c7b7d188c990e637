#!/usr/bin/env python3
"""Writes a reproducible set of sprite PNGs in one of two art styles, for the
compression benchmark (compression_speed.sh).

usage: gen_art_sprites.py pixel|soft FOLDER [COUNT] [SEED]

pixel: pixel art, 12 to 48 pixels a side, drawn from one 14-colour palette
       with hard (fully opaque or fully transparent) edges, shaded in bands.
soft:  game art, 24 to 96 pixels a side: radial and linear gradients with
       soft, anti-aliased alpha edges and a highlight, so nearly every pixel
       has its own colour.
Only the standard library is used.
"""
import math
import os
import random
import sys

from gen_sprites import png_bytes  # the same minimal RGBA PNG writer

PALETTE = [(20, 12, 28), (68, 36, 52), (48, 52, 109), (78, 74, 78), (133, 76, 48), (52, 101, 36),
           (208, 70, 72), (117, 113, 97), (89, 125, 206), (210, 125, 44), (133, 149, 161),
           (109, 170, 44), (210, 170, 153), (222, 238, 214)]


def pixel_sprite(rng, width, height):
    colours = rng.sample(range(len(PALETTE)), 4)
    cx, cy = (width - 1) / 2.0, (height - 1) / 2.0
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            dx, dy = (x - cx) / (width / 2.0), (y - cy) / (height / 2.0)
            d = max(abs(dx), abs(dy)) if rng.random() < 0.02 else dx * dx + dy * dy
            if d > 1.0:
                row += b"\x00\x00\x00\x00"
                continue
            band = 0 if d > 0.8 else 1 + int((y / height) * 3) % 3
            row += bytes(PALETTE[colours[band]]) + b"\xff"
        rows.append(row)
    return rows


def soft_sprite(rng, width, height):
    inner = [rng.randrange(256) for _ in range(3)]
    outer = [rng.randrange(256) for _ in range(3)]
    cx, cy = (width - 1) / 2.0, (height - 1) / 2.0
    radius = min(width, height) / 2.0
    hx, hy = cx - radius * 0.35, cy - radius * 0.35
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            d = math.hypot(x - cx, y - cy) / radius
            alpha = max(0.0, min(1.0, (1.0 - d) * radius / 1.5))
            if alpha <= 0.0:
                row += b"\x00\x00\x00\x00"
                continue
            t = min(1.0, d)
            light = max(0.0, 1.0 - math.hypot(x - hx, y - hy) / (radius * 0.6)) ** 2
            pixel = [int(min(255, inner[c] * (1 - t) + outer[c] * t + 120 * light)) for c in range(3)]
            row += bytes(pixel) + bytes([int(alpha * 255 + 0.5)])
        rows.append(row)
    return rows


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("pixel", "soft"):
        sys.exit(__doc__)
    style, folder = sys.argv[1], sys.argv[2]
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    rng = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 20240601)
    low, high = (12, 48) if style == "pixel" else (24, 96)
    draw = pixel_sprite if style == "pixel" else soft_sprite
    os.makedirs(folder, exist_ok=True)
    digits = len(str(count))
    for i in range(count):
        width, height = rng.randint(low, high), rng.randint(low, high)
        with open(os.path.join(folder, "%s%0*d.png" % (style, digits, i)), "wb") as out:
            out.write(png_bytes(width, height, draw(rng, width, height)))
    print("wrote %d %s sprites to %s" % (count, style, folder))


if __name__ == "__main__":
    main()
