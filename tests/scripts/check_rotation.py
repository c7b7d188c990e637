#!/usr/bin/env python3
"""Reads every frame of a packed atlas back as each description tells its readers, turned frames included.

usage: check_rotation.py INPUT_FOLDER ATLAS.png [UNPACKED_FOLDER]

Beside ATLAS.png lie its XML description and any of the JSON hash (.json),
JSON array (-array.json, the array layout of another pack of the same
layout) and .atlas descriptions. For each format, every frame is cut out of
the atlas as that format's readers do (a turned frame is turned back: JSON
frames clockwise, .atlas regions counter-clockwise, XML frames as the sign
of "rotated" says),
put at its offset in a transparent image of the original size, and compared
with the input PNG of the same name pixel for pixel. At least one frame must
be turned. With UNPACKED_FOLDER, every NAME.png there (what unpack wrote)
holds the pixels of the input NAME.png. Exits 1 naming the first fault. Standard library only.
"""
import json
import os
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_layout import fail, png_pixels  # noqa: E402


def pixels(path):
    width, height, rows = png_pixels(path)
    return width, height, [[row[i:i + 4] for i in range(0, len(row), 4)] for row in rows]


def cut(atlas, x, y, w, h, turned, clockwise=True):
    """The upright picture of the w x h rectangle at (x, y) (stored size)."""
    block = [atlas[y + j][x:x + w] for j in range(h)]
    if not turned:
        return block
    if clockwise:
        # The picture's row r is the block's column w - 1 - r, top down.
        return [[block[j][w - 1 - r] for j in range(h)] for r in range(w)]
    # Counter-clockwise: row r is column r, bottom up.
    return [[block[h - 1 - j][r] for j in range(h)] for r in range(w)]


def restore(picture, ox, oy, ow, oh):
    clear = bytes(4)
    image = [[clear] * ow for _ in range(oh)]
    for j, row in enumerate(picture):
        for i, value in enumerate(row):
            image[oy + j][ox + i] = value
    return image


def compare(fmt, name, got, inputs):
    expected = inputs.get(name)
    if expected is None:
        fail("%s: frame %s has no input" % (fmt, name))
    if got != expected:
        fail("%s: frame %s does not give back its input's pixels" % (fmt, name))


def main():
    inputs_folder, atlas_path = sys.argv[1], sys.argv[2]
    stem = atlas_path[:-4]
    inputs = {f[:-4]: pixels(os.path.join(inputs_folder, f))[2] for f in os.listdir(inputs_folder)
              if f.endswith(".png")}
    _, _, atlas = pixels(atlas_path)
    turned_count = 0

    for frame in ElementTree.parse(stem + ".xml").getroot().findall("frame"):
        a = frame.attrib
        x, y, w, h = (int(a[k]) for k in ("x", "y", "w", "h"))
        turned = a.get("rotated", "0") != "0"
        turned_count += turned
        picture = cut(atlas, x, y, w, h, turned, not a.get("rotated", "0").startswith("-"))
        pw, ph = (h, w) if turned else (w, h)
        if "originalW" in a:
            image = restore(picture, int(a["offsetX"]), int(a["offsetY"]), int(a["originalW"]), int(a["originalH"]))
        else:
            image = restore(picture, 0, 0, pw, ph)
        compare("XML", a["name"], image, inputs)
    if turned_count == 0:
        fail("no frame was turned")

    def check_json_frame(fmt, key, f):
        r, s, size = f["frame"], f["spriteSourceSize"], f["sourceSize"]
        turned = f["rotated"]
        # JSON readers take the stored rectangle as h x w when rotated.
        w, h = (r["h"], r["w"]) if turned else (r["w"], r["h"])
        picture = cut(atlas, r["x"], r["y"], w, h, turned)
        compare(fmt, key[:-4], restore(picture, s["x"], s["y"], size["w"], size["h"]), inputs)

    if os.path.exists(stem + ".json"):
        for key, f in json.load(open(stem + ".json"))["frames"].items():
            check_json_frame("JSON", key, f)
    if os.path.exists(stem + "-array.json"):
        for f in json.load(open(stem + "-array.json"))["frames"]:
            check_json_frame("JSON array", f["filename"], f)

    # .atlas: "rotate: true" regions are stored turned counter-clockwise as
    # size.y x size.x; offset counts from the bottom left of "orig".
    name, fields = None, {}
    lines = open(stem + ".atlas").read().split("\n") if os.path.exists(stem + ".atlas") else []
    regions = []
    for line in lines[2:]:
        if not line.strip() or ":" in line and not line.startswith(" "):
            continue
        if not line.startswith(" "):
            if name:
                regions.append((name, fields))
            name, fields = line, {}
        else:
            k, v = line.strip().split(":", 1)
            fields[k] = v.strip()
    if name:
        regions.append((name, fields))
    for name, f in regions:
        x, y = (int(v) for v in f["xy"].split(","))
        w, h = (int(v) for v in f["size"].split(","))
        ow, oh = (int(v) for v in f["orig"].split(","))
        ox, oyb = (int(v) for v in f["offset"].split(","))
        turned = f["rotate"] == "true"
        sw, sh = (h, w) if turned else (w, h)
        picture = cut(atlas, x, y, sw, sh, turned, False)
        compare(".atlas", name, restore(picture, ox, oh - oyb - h, ow, oh), inputs)

    if len(sys.argv) > 3:
        for name in inputs:
            compare("unpack", name, pixels(os.path.join(sys.argv[3], name + ".png"))[2], inputs)


if __name__ == "__main__":
    main()
