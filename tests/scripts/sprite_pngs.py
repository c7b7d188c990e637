#!/usr/bin/env python3
"""Inputs and checks for the sprite option tests (trim, alias, extrude, bleed).

usage: sprite_pngs.py inputs FOLDER
       sprite_pngs.py check-bleed ATLAS.png ATLAS.xml
       sprite_pngs.py check-extrude ATLAS.png ATLAS.xml FRAME N
       sprite_pngs.py check-json ATLAS.json ATLAS.xml

`inputs` writes PNGs of every colour type and bit depth the reader takes,
with transparent margins where the type can hold transparency, two
duplicates (the same pixels under other margins, one of them grey and
alpha), a single pixel and a fully transparent image. Transparent margins
are (0, 0, 0, 0); transparent pixels inside the pictures keep a colour.
The checks decode the 8-bit RGBA atlases the packer writes and exit 1
naming the first fault. Only the standard library is used.
"""
import json
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zlib

from check_layout import png_pixels


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, colour_type, depth, samples, palette=None, trns=None):
    """samples: rows of per-pixel tuples of channel values (or indexes)."""
    raw = bytearray()
    for row in samples:
        raw.append(0)
        if depth < 8:
            bits, count = 0, 0
            for (value,) in row:
                bits = (bits << depth) | value
                count += depth
                if count == 8:
                    raw.append(bits)
                    bits, count = 0, 0
            if count:
                raw.append(bits << (8 - count))
        else:
            for pixel in row:
                for value in pixel:
                    raw += value.to_bytes(depth // 8, "big")
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0))
    if palette:
        out += chunk(b"PLTE", bytes(c for rgb in palette for c in rgb))
    if trns is not None:
        out += chunk(b"tRNS", trns)
    out += chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(out)


def framed(width, height, margin, value, blank):
    """A picture of value(x, y) inside margins (left, top, right, bottom) of `blank`."""
    left, top, right, bottom = margin
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            inside = left <= x < width - right and top <= y < height - bottom
            row.append(value(x - left, y - top) if inside else blank)
        rows.append(row)
    return rows


def inputs(folder):
    m = (2, 1, 3, 2)  # margins: left, top, right, bottom
    # Grey without transparency, 1 to 16 bits: whole images.
    for depth in (1, 2, 4, 8, 16):
        top = (1 << depth) - 1
        rows = [[((x * 3 + y * 5) % (top + 1),) for x in range(7)] for y in range(5)]
        write_png("%s/grey%d.png" % (folder, depth), 7, 5, 0, depth, rows)
    # Grey and RGB with a transparent colour (tRNS): the margins drop out.
    rows = framed(9, 6, m, lambda x, y: (1 + x * 40 + y,), (0,))
    write_png(folder + "/greykey.png", 9, 6, 0, 8, rows, trns=struct.pack(">H", 0))
    rows = framed(9, 6, m, lambda x, y: (x * 50 + 5, y * 60, 200), (0, 0, 0))
    write_png(folder + "/rgbkey.png", 9, 6, 2, 8, rows, trns=struct.pack(">HHH", 0, 0, 0))
    rows = [[(x * 4000, y * 9000, 65535 - x * 257) for x in range(6)] for y in range(4)]
    write_png(folder + "/rgb16.png", 6, 4, 2, 16, rows)
    # Palettes of 1 to 8 bits with index 0 transparent.
    for depth in (1, 2, 4, 8):
        colours = min(1 << depth, 6)
        palette = [(0, 0, 0)] + [(40 * i, 255 - 30 * i, 17 * i) for i in range(1, colours)]
        alpha = bytes([0] + [255 - 20 * i for i in range(1, colours)])
        rows = framed(10, 7, m, lambda x, y: (1 + (x + y) % (colours - 1),), (0,))
        write_png("%s/palette%d.png" % (folder, depth), 10, 7, 3, depth, rows, palette, alpha)
    # Grey and alpha, RGBA; 8 and 16 bits; an inner transparent pixel keeps
    # its colour.
    rows = framed(8, 8, m, lambda x, y: (30 + x * 9, 0 if (x, y) == (1, 1) else 90 + y * 30), (0, 0))
    write_png(folder + "/greyalpha8.png", 8, 8, 4, 8, rows)
    rows = framed(8, 8, m, lambda x, y: ((30 + x) * 257, (90 + y * 30) * 257), (0, 0))
    write_png(folder + "/greyalpha16.png", 8, 8, 4, 16, rows)
    rows = framed(11, 9, m, lambda x, y: (x * 20, y * 25, 99, 0 if (x, y) == (2, 1) else 128 + x * 10), (0, 0, 0, 0))
    write_png(folder + "/rgba8.png", 11, 9, 6, 8, rows)
    rows = framed(11, 9, m, lambda x, y: (x * 5140, y * 6425, 25443, (128 + y) * 257), (0, 0, 0, 0))
    write_png(folder + "/rgba16.png", 11, 9, 6, 16, rows)
    # Duplicates after trimming: the same grey picture under other margins,
    # once as RGBA and once as grey and alpha.
    grey = lambda x, y: 60 + 40 * ((x * y) % 4)
    rows = framed(9, 9, (1, 2, 3, 1), lambda x, y: (grey(x, y),) * 3 + (255,), (0, 0, 0, 0))
    write_png(folder + "/dup1.png", 9, 9, 6, 8, rows)
    rows = framed(7, 8, (0, 0, 2, 2), lambda x, y: (grey(x, y),) * 3 + (255,), (0, 0, 0, 0))
    write_png(folder + "/dup2.png", 7, 8, 6, 8, rows)
    rows = framed(5, 6, (0, 0, 0, 0), lambda x, y: (grey(x, y), 255), (0, 0))
    write_png(folder + "/dup3.png", 5, 6, 4, 8, rows)
    # A single pixel and a fully transparent image.
    write_png(folder + "/dot.png", 1, 1, 6, 8, [[(250, 10, 20, 255)]])
    write_png(folder + "/empty.png", 6, 4, 6, 8, [[(0, 0, 0, 0)] * 6 for _ in range(4)])


def read_rgba(path):
    """(width, height, rows of (r, g, b, a)) of an 8-bit RGB or RGBA PNG."""
    width, height, rows = png_pixels(path)
    return width, height, [[tuple(row[i:i + 4]) for i in range(0, len(row), 4)] for row in rows]


def frames_of(xml_path):
    return {f.get("name"): f.attrib for f in ElementTree.parse(xml_path).getroot().findall("frame")}


def rect(attrib):
    return [int(attrib[k]) for k in ("x", "y", "w", "h")]


def check_bleed(atlas, xml_path):
    _, _, rows = read_rgba(atlas)
    for name, attrib in frames_of(xml_path).items():
        x0, y0, w, h = rect(attrib)
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                if rows[y][x] != (0, 0, 0, 0):
                    continue
                for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                    if x0 <= nx < x0 + w and y0 <= ny < y0 + h and rows[ny][nx][3] > 0 and rows[ny][nx][:3] != (0, 0, 0):
                        sys.exit("FAIL: %s: black transparent pixel %d,%d beside %r" % (name, x, y, rows[ny][nx]))


def check_extrude(atlas, xml_path, frame, count):
    width, height, rows = read_rgba(atlas)
    x0, y0, w, h = rect(frames_of(xml_path)[frame])
    for y in range(max(y0 - count, 0), min(y0 + h + count, height)):
        for x in range(max(x0 - count, 0), min(x0 + w + count, width)):
            inner = rows[min(max(y, y0), y0 + h - 1)][min(max(x, x0), x0 + w - 1)]
            if rows[y][x] != inner:
                sys.exit("FAIL: %s: pixel %d,%d is %r, its edge pixel %r" % (frame, x, y, rows[y][x], inner))


def check_json(json_path, xml_path):
    with open(json_path) as f:
        frames = json.load(f)["frames"]
    for name, attrib in frames_of(xml_path).items():
        entry = frames[name + ".png"]
        x, y, w, h = rect(attrib)
        trimmed = "originalW" in attrib
        ox, oy = (int(attrib["offsetX"]), int(attrib["offsetY"])) if trimmed else (0, 0)
        ow, oh = (int(attrib["originalW"]), int(attrib["originalH"])) if trimmed else (w, h)
        want = {"frame": {"x": x, "y": y, "w": w, "h": h}, "rotated": False, "trimmed": trimmed,
                "spriteSourceSize": {"x": ox, "y": oy, "w": w, "h": h}, "sourceSize": {"w": ow, "h": oh}}
        if entry != want:
            sys.exit("FAIL: %s: JSON %r, from the XML %r" % (name, entry, want))


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "inputs":
        inputs(sys.argv[2])
    elif command == "check-bleed":
        check_bleed(sys.argv[2], sys.argv[3])
    elif command == "check-extrude":
        check_extrude(sys.argv[2], sys.argv[3], sys.argv[4], int(sys.argv[5]))
    elif command == "check-json":
        check_json(sys.argv[2], sys.argv[3])
