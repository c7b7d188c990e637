#!/usr/bin/env python3
"""Checks the pages of a packed atlas against the images packed into it.

usage: check_layout.py INPUT_FOLDER MAX_SIDE [--pot] [--square] [--unpacked FOLDER] ATLAS.png...

For each page (an atlas PNG with its XML description beside it): the page
respects MAX_SIDE (and powers of two, square); every frame lies inside the
page; no two frames overlap. Across pages: every PNG of INPUT_FOLDER is a
frame exactly once, with its size, and the frames of each page are in input
(file name) order. With --unpacked, every FOLDER/NAME.png holds the pixels of
the input NAME.png. Exits 1 naming the first fault. Standard library only.
"""
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zlib


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24])


def png_pixels(path):
    """RGBA rows of an 8-bit RGB or RGBA PNG, as bytes (alpha 255 added to RGB)."""
    data = open(path, "rb").read()
    pos, idat, width, height, colour = 8, b"", 0, 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6):
                fail("%s: only 8-bit RGB or RGBA is read here" % path)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line) if channels == 4 else
                    b"".join(bytes(line[i:i + 3]) + b"\xff" for i in range(0, stride, 3)))
        previous = line
    return width, height, rows


def main():
    args = sys.argv[1:]
    inputs, max_side = args[0], int(args[1])
    pot, square, unpacked, pages = False, False, None, []
    i = 2
    while i < len(args):
        if args[i] == "--pot":
            pot = True
        elif args[i] == "--square":
            square = True
        elif args[i] == "--unpacked":
            unpacked, i = args[i + 1], i + 1
        else:
            pages.append(args[i])
        i += 1
    names = sorted(n[:-4] for n in os.listdir(inputs) if n.endswith(".png"))
    order = {name: k for k, name in enumerate(names)}
    seen = {}
    for page in pages:
        width, height = png_size(page)
        if width > max_side or height > max_side:
            fail("%s is %dx%d, above %d" % (page, width, height, max_side))
        if pot and (width & (width - 1) or height & (height - 1)):
            fail("%s is %dx%d, not powers of two" % (page, width, height))
        if square and width != height:
            fail("%s is %dx%d, not square" % (page, width, height))
        root = ElementTree.parse(page[:-3] + "xml").getroot()
        if root.get("file") != os.path.basename(page):
            fail("%s: the description names %s" % (page, root.get("file")))
        frames = []
        for frame in root.iter("frame"):
            name = frame.get("name")
            x, y, w, h = (int(frame.get(k)) for k in ("x", "y", "w", "h"))
            if name not in order:
                fail("%s: unknown frame %s" % (page, name))
            if name in seen:
                fail("%s: frame %s also on %s" % (page, name, seen[name]))
            seen[name] = page
            if (w, h) != png_size(os.path.join(inputs, name + ".png")):
                fail("%s: frame %s has the wrong size" % (page, name))
            if x < 0 or y < 0 or x + w > width or y + h > height:
                fail("%s: frame %s (%d,%d %dx%d) is outside %dx%d" % (page, name, x, y, w, h, width, height))
            frames.append((name, x, y, w, h))
        if [order[f[0]] for f in frames] != sorted(order[f[0]] for f in frames):
            fail("%s: frames are not in input order" % page)
        # Overlaps: sweep over rows, checking each frame against those still open.
        frames.sort(key=lambda f: (f[2], f[1]))
        open_frames = []
        for f in frames:
            open_frames = [g for g in open_frames if g[2] + g[4] > f[2]]
            for g in open_frames:
                if g[1] < f[1] + f[3] and f[1] < g[1] + g[3]:
                    fail("%s: frames %s and %s overlap" % (page, g[0], f[0]))
            open_frames.append(f)
    missing = [n for n in names if n not in seen]
    if missing:
        fail("%d images are on no page, %s first" % (len(missing), missing[0]))
    if unpacked:
        for name in names:
            if png_pixels(os.path.join(inputs, name + ".png")) != png_pixels(os.path.join(unpacked, name + ".png")):
                fail("unpacked %s differs from the input" % name)


if __name__ == "__main__":
    main()
