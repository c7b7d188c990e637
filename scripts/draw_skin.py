#!/usr/bin/env python3
"""Draws the window tool's skin images.

Usage: draw_skin.py RESOURCES_XML OUTPUT_FOLDER [ICON_PNG]

The frame rectangles come from the resource list (the one place that gives
the geometry); this script only knows how each sprite looks. Every sprite
named there with a "Quiltforger/<name>.png" file is drawn as one RGBA PNG
just large enough for its frames. Shapes are anti-aliased by measuring the
signed distance to their outline. Python's standard library only (zlib).
"""
import math
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zlib

# Palette (RGB 0-255): a dark panel with one blue accent.
PANEL = (43, 45, 49)
TITLE = (30, 31, 34)
DIVIDER = (24, 25, 28)
FACE = (62, 65, 71)
FACE_HOVER = (76, 80, 88)
FACE_DOWN = (37, 99, 235)
FACE_DISABLED = (50, 52, 57)
EDGE = (86, 90, 98)
EDGE_HOVER = (118, 124, 136)
EDGE_DOWN = (80, 140, 250)
EDGE_DISABLED = (60, 62, 68)
GLYPH = (225, 228, 232)
GLYPH_DISABLED = (110, 113, 120)
CLOSE_HOVER = (196, 43, 28)
CHECK_LIGHT = (224, 224, 224)
CHECK_DARK = (176, 176, 176)
LIST_FILL = (33, 35, 38)


class Canvas:
    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        alpha = min(alpha, 1.0)
        p = self.pixels[y * self.width + x]
        out_a = alpha + p[3] * (1 - alpha)
        for i in range(3):
            c = colour[i] / 255.0
            p[i] = (c * alpha + p[i] * p[3] * (1 - alpha)) / out_a if out_a > 0 else 0
        p[3] = out_a

    def shade(self, rect, distance, colour, softness=0.5):
        """Fills the pixels of rect (x, y, w, h) where distance(px, py) < 0."""
        x0, y0, w, h = rect
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                d = distance(x + 0.5, y + 0.5)
                self.blend(x, y, colour, 0.5 - d / (2 * softness))

    def png(self, path):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)
            for x in range(self.width):
                r, g, b, a = self.pixels[y * self.width + x]
                rows += bytes(max(0, min(255, round(v * 255))) for v in (r, g, b, a))
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                      chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def rounded_box(x0, y0, x1, y1, radius):
    """Signed distance to a rounded rectangle with corners (x0, y0), (x1, y1)."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius
    def distance(px, py):
        qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - radius
    return distance


def segment(ax, ay, bx, by, thickness):
    def distance(px, py):
        vx, vy = bx - ax, by - ay
        t = max(0, min(1, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - ax - t * vx, py - ay - t * vy) - thickness / 2
    return distance


def union(*parts):
    return lambda px, py: min(part(px, py) for part in parts)


def circle(cx, cy, r):
    return lambda px, py: math.hypot(px - cx, py - cy) - r


STATES = [  # face, edge, glyph
    (FACE, EDGE, GLYPH),
    (FACE_HOVER, EDGE_HOVER, GLYPH),
    (FACE_DOWN, EDGE_DOWN, (255, 255, 255)),
    (FACE_DISABLED, EDGE_DISABLED, GLYPH_DISABLED),
]


def bordered(canvas, rect, radius, face, edge):
    x, y, w, h = rect
    canvas.shade(rect, rounded_box(x + 0.5, y + 0.5, x + w - 0.5, y + h - 0.5, radius), edge)
    canvas.shade(rect, rounded_box(x + 1.5, y + 1.5, x + w - 1.5, y + h - 1.5, radius - 1), face)


def draw_flat(colour):
    def draw(canvas, frames):
        for rect in frames:
            canvas.shade(rect, lambda px, py: -1, colour)
    return draw


def draw_checker(canvas, frames):
    x0, y0, w, h = frames[0]
    for y in range(h):
        for x in range(w):
            light = ((x // 8) + (y // 8)) % 2 == 0
            canvas.blend(x0 + x, y0 + y, CHECK_LIGHT if light else CHECK_DARK, 1)


def draw_button(canvas, frames):
    for state, rect in enumerate(frames[:4]):
        face, edge, _ = STATES[state]
        x, y, w, h = rect
        # One pixel of air at the bottom and right keeps neighbours apart.
        bordered(canvas, (x, y, w, h - 1), 4, face, edge)
        if state != 2:  # a lighter top edge, except while pressed
            canvas.shade((x + 2, y + 1, w - 4, 1), lambda px, py: -1, tuple(min(255, c + 14) for c in face))


def draw_drop_button(canvas, frames):
    """A combo box's drop button: a button with a downward chevron."""
    draw_button(canvas, frames)
    for state, rect in enumerate(frames[:4]):
        x, y, w, h = rect
        arrow(canvas, (x, y, w, h - 1), "down", STATES[state][2])


def toggle_box(canvas, rect, state, radio):
    x, y, w, h = rect
    face, edge, glyph = STATES[state]
    if state == 1:  # the whole row lights up under the pointer
        canvas.shade(rect, rounded_box(x + 0.5, y + 0.5, x + w - 0.5, y + h - 0.5, 3), (52, 55, 61))
    size = 14
    bx, by = x + w - size - 4, y + (h - size) / 2
    box = (int(bx) - 1, int(by) - 1, size + 2, size + 2)
    if radio:
        canvas.shade(box, circle(bx + size / 2, by + size / 2, size / 2), EDGE_DOWN if state == 2 else edge)
        canvas.shade(box, circle(bx + size / 2, by + size / 2, size / 2 - 1.2), face if state != 2 else FACE_DOWN)
        if state == 2:
            canvas.shade(box, circle(bx + size / 2, by + size / 2, 3.2), (255, 255, 255))
    else:
        canvas.shade(box, rounded_box(bx, by, bx + size, by + size, 3), EDGE_DOWN if state == 2 else edge)
        canvas.shade(box, rounded_box(bx + 1.2, by + 1.2, bx + size - 1.2, by + size - 1.2, 2),
                     face if state != 2 else FACE_DOWN)
        if state == 2:
            tick = union(segment(bx + 3.5, by + 7.2, bx + 6, by + 10, 1.8), segment(bx + 6, by + 10, bx + 10.8, by + 4.2, 1.8))
            canvas.shade(box, tick, (255, 255, 255))


def draw_check(canvas, frames):
    for state, rect in enumerate(frames[:4]):
        toggle_box(canvas, rect, state, False)


def draw_radio(canvas, frames):
    for state, rect in enumerate(frames[:4]):
        toggle_box(canvas, rect, state, True)


def arrow(canvas, rect, direction, colour):
    """A chevron pointing left, right, up or down in the middle of rect."""
    x, y, w, h = rect
    cx, cy = x + w / 2, y + h / 2
    s = min(w, h) * 0.18
    if direction == "left":
        shape = union(segment(cx + s * 0.6, cy - s * 1.6, cx - s, cy, 1.6), segment(cx - s, cy, cx + s * 0.6, cy + s * 1.6, 1.6))
    elif direction == "right":
        shape = union(segment(cx - s * 0.6, cy - s * 1.6, cx + s, cy, 1.6), segment(cx + s, cy, cx - s * 0.6, cy + s * 1.6, 1.6))
    elif direction == "up":
        shape = union(segment(cx - s * 1.6, cy + s * 0.6, cx, cy - s, 1.6), segment(cx, cy - s, cx + s * 1.6, cy + s * 0.6, 1.6))
    else:
        shape = union(segment(cx - s * 1.6, cy - s * 0.6, cx, cy + s, 1.6), segment(cx, cy + s, cx + s * 1.6, cy - s * 0.6, 1.6))
    canvas.shade(rect, shape, colour)


def draw_scroll(vertical):
    def draw(canvas, frames):
        x, y, w, h = frames[0]
        radius = min(w, h) / 2
        canvas.shade(frames[0], rounded_box(x + 0.5, y + 0.5, x + w - 0.5, y + h - 0.5, radius), DIVIDER)
        for state in range(4):
            face, edge, glyph = STATES[state]
            tx, ty, tw, th = frames[1 + state]
            inset = 2
            canvas.shade(frames[1 + state], rounded_box(tx + inset, ty + inset, tx + tw - inset, ty + th - inset,
                                                         (min(tw, th) - 2 * inset) / 2), edge if state != 0 else (96, 100, 108))
            first = frames[5 + state]
            second = frames[9 + state]
            if state in (1, 2):
                for rect in (first, second):
                    rx, ry, rw, rh = rect
                    canvas.shade(rect, rounded_box(rx + 0.5, ry + 0.5, rx + rw - 0.5, ry + rh - 0.5, 3), face)
            arrow(canvas, first, "up" if vertical else "left", glyph)
            arrow(canvas, second, "down" if vertical else "right", glyph)
    return draw


def draw_titlebar(canvas, frames):
    x, y, w, h = frames[0]
    for row in range(h):
        shade = TITLE if row < h - 1 else DIVIDER
        canvas.shade((x, y + row, w, 1), lambda px, py: -1, shade)
    kinds = ["minimise", "restore", "maximise", "close"]
    for index, rect in enumerate(frames[1:17]):
        kind, state = kinds[index // 4], index % 4
        bx, by, bw, bh = rect
        if state in (1, 2):
            background = CLOSE_HOVER if kind == "close" else (FACE_HOVER if state == 1 else FACE)
            if kind == "close" and state == 2:
                background = (150, 30, 20)
            canvas.shade((bx, by, bw, bh - 1), lambda px, py: -1, background)
        colour = GLYPH_DISABLED if state == 3 else GLYPH
        cx, cy = bx + bw / 2, by + (bh - 1) / 2
        if kind == "minimise":
            shape = segment(cx - 4.5, cy + 3.5, cx + 4.5, cy + 3.5, 1.2)
        elif kind == "maximise":
            shape = union(segment(cx - 4.5, cy - 4.5, cx + 4.5, cy - 4.5, 1.2), segment(cx + 4.5, cy - 4.5, cx + 4.5, cy + 4.5, 1.2),
                          segment(cx + 4.5, cy + 4.5, cx - 4.5, cy + 4.5, 1.2), segment(cx - 4.5, cy + 4.5, cx - 4.5, cy - 4.5, 1.2))
        elif kind == "restore":
            shape = union(segment(cx - 4.5, cy - 2, cx + 2.5, cy - 2, 1.2), segment(cx + 2.5, cy - 2, cx + 2.5, cy + 4.5, 1.2),
                          segment(cx + 2.5, cy + 4.5, cx - 4.5, cy + 4.5, 1.2), segment(cx - 4.5, cy + 4.5, cx - 4.5, cy - 2, 1.2),
                          segment(cx - 2, cy - 4.5, cx + 4.5, cy - 4.5, 1.2), segment(cx + 4.5, cy - 4.5, cx + 4.5, cy + 2, 1.2))
        else:
            shape = union(segment(cx - 4.5, cy - 4.5, cx + 4.5, cy + 4.5, 1.3), segment(cx + 4.5, cy - 4.5, cx - 4.5, cy + 4.5, 1.3))
        canvas.shade(rect, shape, colour)


def draw_listpanel(canvas, frames):
    x, y, w, h = frames[0]
    bordered(canvas, frames[0], 4, LIST_FILL, DIVIDER)


def draw_icon(path):
    """The application icon: four tiles of a quilt on a rounded square."""
    canvas = Canvas(64, 64)
    canvas.shade((0, 0, 64, 64), rounded_box(2, 2, 62, 62, 12), (37, 99, 235))
    colours = [(250, 204, 21), (248, 113, 113), (74, 222, 128), (255, 255, 255)]
    tiles = [(12, 12, 22, 22), (36, 12, 16, 22), (12, 36, 22, 16), (36, 36, 16, 16)]
    for (tx, ty, tw, th), colour in zip(tiles, colours):
        canvas.shade((tx - 1, ty - 1, tw + 2, th + 2), rounded_box(tx, ty, tx + tw, ty + th, 3), colour)
    canvas.png(path)


DRAWERS = {
    "panel": draw_flat(PANEL),
    "divider": draw_flat(DIVIDER),
    "listfill": draw_flat(LIST_FILL),
    "checker": draw_checker,
    "titlebar": draw_titlebar,
    "button92": draw_button,
    "button60": draw_button,
    "dropbutton": draw_drop_button,
    "check": draw_check,
    "radio": draw_radio,
    # Narrow radios for choices side by side in one row.
    "radio54": draw_radio,
    "radio74": draw_radio,
    "hscroll": draw_scroll(False),
    "vscroll": draw_scroll(True),
    "listpanel": draw_listpanel,
}


def frames_of(sprite):
    """The frame rectangles of a sprite element, "array" frames expanded."""
    rects = []
    for frame in sprite:
        x, y = int(frame.get("x", 0)), int(frame.get("y", 0))
        w, h = int(frame.get("w", 0)), int(frame.get("h", 0))
        if "array" in frame.attrib:
            columns, rows = (int(v) for v in frame.get("array").split(","))
            for row in range(rows):
                for column in range(columns):
                    rects.append((x + column * w, y + row * h, w, h))
        else:
            rects.append((x, y, w, h))
    return rects


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    resources, output = sys.argv[1], sys.argv[2]
    os.makedirs(output, exist_ok=True)
    for sprite in ElementTree.parse(resources).getroot().iter("sprite"):
        name = sprite.get("name")
        if name not in DRAWERS:
            sys.exit("draw_skin: no drawing for sprite %r" % name)
        rects = frames_of(sprite)
        width = max(x + w for x, y, w, h in rects)
        height = max(y + h for x, y, w, h in rects)
        canvas = Canvas(width, height)
        DRAWERS[name](canvas, rects)
        canvas.png(os.path.join(output, os.path.basename(sprite.get("file"))))
    if len(sys.argv) > 3:
        draw_icon(sys.argv[3])


if __name__ == "__main__":
    main()
