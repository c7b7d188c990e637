#!/usr/bin/env python3
"""Inputs and description readers for the sprite details test (folder names,
animations, pivots, nine-slice borders, one description for all pages).

usage: sprite_details.py inputs FOLDER
       sprite_details.py check OUT STEM EXPECTED.json PIVOT_X PIVOT_Y
       sprite_details.py same-pixels A.png B.png

`inputs` writes a set using everything at once: sprites in subfolders with
transparent margins (trimmed), animation sequences (hero/walk_1..5,
slime/walk_1..3, slime/idle_01, _02, _10), two nine-patches (ui/panel.9.png
with content guides, ui/button.9.png without), a duplicate picture under
another name (aliased) and plain fillers, and EXPECTED.json with what each
frame must carry (its name, original size, borders, padding, sequence). The
inner pictures of the nine-patches are written to FOLDER/../inner/.

`check` reads every description of the multipack OUT/STEM-N.png with
readers written from the published format descriptions and compares each
field with the page's XML description and with EXPECTED.json:
- JSON hash pages (PixiJS's spritesheet layout): frames with frame,
  rotated, trimmed, spriteSourceSize, sourceSize and, where set, pivot,
  anchor and borders {left, top, right, bottom}; "animations" mapping each
  sequence name to its frames' keys on that page in number order;
  meta.related_multi_packs naming the other pages' JSON files.
- OUT/STEM.atlas (the libGDX / Spine texture atlas text): one page block per
  page, blank line before each, region fields in the order rotate, xy, size,
  [split, [pad]], orig, offset, index; a frame of a sequence is the region
  named for the sequence with its number as index.
- OUT/STEM.json (Phaser 3 multi-atlas): "textures", one per page with image,
  format, size, scale and "frames" as a list of {"filename", ...}.
Exits 1 naming the first difference. Only the standard library is used.
"""
import json
import os
import random
import re
import sys
import xml.etree.ElementTree as ElementTree

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
sys.path.insert(0, os.path.join(here, "../../bench"))
import gen_sprites  # noqa: E402
from check_layout import png_pixels  # noqa: E402


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def write(path, width, height, rows):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(gen_sprites.png_bytes(width, height, rows))


def margined(rng, width, height, margin):
    rows = gen_sprites.sprite(rng, width, height)
    full = width + 2 * margin
    blank = bytes(4 * full)
    return full, height + 2 * margin, [blank] * margin + [bytes(4 * margin) + bytes(r) + bytes(4 * margin)
                                                          for r in rows] + [blank] * margin


def nine_patch(rng, folder, name, width, height, top, left, bottom=None, right=None):
    """An inner picture of width x height in a guide frame; runs are
    (start, end) in inner pixels. Returns borders and padding."""
    inner = [bytes([rng.randrange(1, 256), 90, 40, 255] * width) for _ in range(height)]
    black, clear = b"\x00\x00\x00\xff", b"\x00\x00\x00\x00"

    def guide(length, run):
        return b"".join(black if run and run[0] <= i < run[1] else clear for i in range(length))

    left_col, right_col = guide(height, left), guide(height, right)
    rows = [clear + guide(width, top) + clear]
    rows += [left_col[4 * y:4 * y + 4] + inner[y] + right_col[4 * y:4 * y + 4] for y in range(height)]
    rows += [clear + guide(width, bottom) + clear]
    write(os.path.join(folder, "in", name + ".9.png"), width + 2, height + 2, rows)
    write(os.path.join(folder, "inner", name + ".png"), width, height, inner)
    slice_ = [top[0], width - top[1], left[0], height - left[1]]
    pad = None
    if bottom or right:
        across, down = bottom or top, right or left
        pad = [across[0], width - across[1], down[0], height - down[1]]
    return {"original": [width, height], "slice": slice_, "pad": pad}


def inputs(folder):
    rng = random.Random(29)
    expected = {}

    def add(name, width, height, margin=0, rows=None):
        full_w, full_h, pixels = (width, height, rows) if rows else margined(rng, width, height, margin)
        write(os.path.join(folder, "in", name + ".png"), full_w, full_h, pixels)
        expected[name] = {"original": [full_w, full_h]}
        return pixels

    for i in range(1, 6):
        add("hero/walk_%d" % i, rng.randint(8, 14), rng.randint(10, 16), margin=2)
    for i in range(1, 4):
        add("slime/walk_%d" % i, rng.randint(6, 12), rng.randint(6, 10), margin=1)
    for number in ("01", "02", "10"):
        add("slime/idle_" + number, 10, 9)
    coin = add("coin", 9, 9, margin=1)
    add("props/coin", 11, 11, rows=coin)
    for letter in "abcdefghijkl":
        add("props/rock_" + letter, rng.randint(10, 18), rng.randint(10, 18))
    expected["ui/panel"] = nine_patch(rng, folder, "ui/panel", 12, 8, (3, 9), (2, 6), (1, 11), (1, 7))
    expected["ui/button"] = nine_patch(rng, folder, "ui/button", 10, 6, (2, 8), (1, 5))
    for name, sequence in (("hero/walk", range(1, 6)), ("slime/walk", range(1, 4))):
        for i in sequence:
            expected["%s_%d" % (name, i)]["sequence"] = [name, i]
    for number in ("01", "02", "10"):
        expected["slime/idle_" + number]["sequence"] = ["slime/idle", int(number)]
    with open(os.path.join(folder, "expected.json"), "w") as f:
        json.dump(expected, f, indent=1, sort_keys=True)


def load_json(path):
    with open(path, "rb") as f:
        return json.loads(f.read().decode("utf-8"), object_pairs_hook=lambda pairs: pairs)


def keys(pairs):
    return [k for k, _ in pairs]


def field(pairs, name):
    for k, v in pairs:
        if k == name:
            return v
    fail("no %r among %r" % (name, keys(pairs)))


def xml_frames(path):
    root = ElementTree.parse(path).getroot()
    return root, root.findall("frame")


def check_xml(frame, want, pivot):
    """The XML frame against the set's truth; returns its numbers."""
    a = frame.attrib
    name = a["name"]
    w, h = int(a["w"]), int(a["h"])
    orig = [int(a.get("originalW", w)), int(a.get("originalH", h))]
    if orig != want["original"]:
        fail("%s: original size %r, generated %r" % (name, orig, want["original"]))
    if [a.get("pivotX"), a.get("pivotY")] != pivot:
        fail("%s: pivot %r" % (name, [a.get("pivotX"), a.get("pivotY")]))
    slice_ = [a.get(k) for k in ("sliceLeft", "sliceRight", "sliceTop", "sliceBottom")]
    pad = [a.get(k) for k in ("padLeft", "padRight", "padTop", "padBottom")]
    text = lambda values: [str(v) for v in values] if values else [None] * 4  # noqa: E731
    if slice_ != text(want.get("slice")) or pad != text(want.get("pad")):
        fail("%s: XML borders %r pad %r, generated %r" % (name, slice_, pad, want))
    if want.get("slice") and "offsetX" in a:
        fail("%s: a nine-slice frame was trimmed" % name)
    return {"x": int(a["x"]), "y": int(a["y"]), "w": w, "h": h, "ox": int(a.get("offsetX", 0)),
            "oy": int(a.get("offsetY", 0)), "orig": orig, "trimmed": "originalW" in a}


def expected_frame_fields(name, n, want, pivot):
    fields = [("frame", [("x", n["x"]), ("y", n["y"]), ("w", n["w"]), ("h", n["h"])]), ("rotated", False),
              ("trimmed", n["trimmed"]),
              ("spriteSourceSize", [("x", n["ox"]), ("y", n["oy"]), ("w", n["w"]), ("h", n["h"])]),
              ("sourceSize", [("w", n["orig"][0]), ("h", n["orig"][1])])]
    point = [("x", float(pivot[0])), ("y", float(pivot[1]))]
    fields += [("pivot", point), ("anchor", point)]
    if want.get("slice"):
        l, r, t, b = want["slice"]
        fields.append(("borders", [("left", l), ("top", t), ("right", r), ("bottom", b)]))
    return fields


def numbers_equal(a, b):
    """Pairs compared with JSON numbers by value (1 == 1.0, never True)."""
    if isinstance(a, list) and isinstance(b, list):
        return len(a) == len(b) and all(numbers_equal(x, y) for x, y in zip(a, b))
    if isinstance(a, tuple) and isinstance(b, tuple):
        return a[0] == b[0] and numbers_equal(a[1], b[1])
    if isinstance(a, bool) or isinstance(b, bool):
        return a is b
    return a == b


def parse_atlas(text):
    """Pages as [name, [(key, values)], [[region, [(key, values)]]]]."""
    if not text.endswith("\n"):
        fail(".atlas does not end with a line feed")
    pages, page, region, blank = [], None, None, True
    for number, line in enumerate(text.split("\n")[:-1], 1):
        if not line.strip():
            page = region = None
            blank = True
            continue
        if ":" in line:
            key, value = line.split(":", 1)
            if page is None:
                fail("line %d: a field outside any page" % number)
            (region[1] if region else page[1]).append((key.strip(), [v.strip() for v in value.split(",")]))
        elif page is None:
            if not blank:
                fail("line %d: a page without a blank line before it" % number)
            page = [line, [], []]
            pages.append(page)
        else:
            region = [line.strip(), []]
            page[2].append(region)
        blank = False
    return pages


def check(out, stem, expected_path, pivot_x, pivot_y):
    with open(expected_path) as f:
        expected = json.load(f)
    pivot = [pivot_x, pivot_y]
    pages = []
    while os.path.exists(os.path.join(out, "%s-%d.xml" % (stem, len(pages) + 1))):
        pages.append("%s-%d" % (stem, len(pages) + 1))
    if len(pages) < 2:
        fail("the set fits %d page(s); it should need several" % len(pages))
    gdx = parse_atlas(open(os.path.join(out, stem + ".atlas"), encoding="utf-8").read())
    phaser = load_json(os.path.join(out, stem + ".json"))
    if keys(phaser) != ["textures", "meta"] or len(field(phaser, "textures")) != len(pages):
        fail("Phaser multi-atlas: keys %r, %d textures" % (keys(phaser), len(field(phaser, "textures"))))
    if len(gdx) != len(pages):
        fail(".atlas holds %d pages, the set %d" % (len(gdx), len(pages)))
    seen = set()
    for number, page in enumerate(pages):
        root, frames = xml_frames(os.path.join(out, page + ".xml"))
        numbers = {}
        for frame in frames:
            name = frame.get("name")
            if name not in expected or name in seen:
                fail("frame %r is not in the set or twice" % name)
            seen.add(name)
            numbers[name] = check_xml(frame, expected[name], pivot)
        names = [f.get("name") for f in frames]

        # JSON hash page.
        data = load_json(os.path.join(out, page + ".json"))
        sequences = {}
        for name in names:
            if "sequence" in expected[name]:
                sequences.setdefault(expected[name]["sequence"][0], []).append(name)
        wanted_top = ["frames", "animations", "meta"] if sequences else ["frames", "meta"]
        if keys(data) != wanted_top:
            fail("%s.json: top level %r" % (page, keys(data)))
        json_frames = field(data, "frames")
        if keys(json_frames) != [n + ".png" for n in names]:
            fail("%s.json: frames %r, XML %r" % (page, keys(json_frames)[:4], names[:4]))
        for (key, fields), name in zip(json_frames, names):
            if not numbers_equal(fields, expected_frame_fields(name, numbers[name], expected[name], pivot)):
                fail("%s.json %r: %r" % (page, key, fields))
        if sequences:
            animations = field(data, "animations")
            wanted = [(s, [n + ".png" for n in sorted(members, key=lambda n: expected[n]["sequence"][1])])
                      for s, members in sequences.items()]
            if animations != wanted:
                fail("%s.json animations %r, wanted %r" % (page, animations, wanted))
        meta = field(data, "meta")
        related = ["%s.json" % p for p in pages if p != page]
        if field(meta, "image") != page + ".png" or field(meta, "related_multi_packs") != related:
            fail("%s.json meta %r" % (page, meta))

        # .atlas page.
        gdx_name, gdx_fields, regions = gdx[number]
        size = [root.get("file"), None]
        width, height = field(field(meta, "size"), "w"), field(field(meta, "size"), "h")
        if gdx_name != page + ".png" or gdx_fields != [("size", [str(width), str(height)]),
                                                       ("format", ["RGBA8888"]), ("filter", ["Nearest", "Nearest"]),
                                                       ("repeat", ["none"])]:
            fail(".atlas page %d: %r %r (%r)" % (number + 1, gdx_name, gdx_fields, size))
        if len(regions) != len(names):
            fail(".atlas page %d: %d regions, XML %d frames" % (number + 1, len(regions), len(names)))
        for (region, fields), name in zip(regions, names):
            n, want = numbers[name], expected[name]
            sequence = want.get("sequence")
            wanted = [("rotate", ["false"]), ("xy", [str(n["x"]), str(n["y"])]),
                      ("size", [str(n["w"]), str(n["h"])])]
            if want.get("slice"):
                wanted.append(("split", [str(v) for v in want["slice"]]))
                if want.get("pad"):
                    wanted.append(("pad", [str(v) for v in want["pad"]]))
            offset_y = n["orig"][1] - n["oy"] - n["h"]
            wanted += [("orig", [str(v) for v in n["orig"]]), ("offset", [str(n["ox"]), str(offset_y)]),
                       ("index", [str(sequence[1] if sequence else -1)])]
            if region != (sequence[0] if sequence else name) or fields != wanted:
                fail(".atlas region %r for %r: %r, wanted %r" % (region, name, fields, wanted))

        # Phaser 3 texture.
        texture = field(phaser, "textures")[number]
        head = [("image", page + ".png"), ("format", "RGBA8888"), ("size", [("w", width), ("h", height)]),
                ("scale", 1)]
        if texture[:4] != head or keys(texture) != ["image", "format", "size", "scale", "frames"]:
            fail("Phaser texture %d: %r" % (number, texture[:4]))
        for entry, (key, fields) in zip(field(texture, "frames"), json_frames):
            if entry != [("filename", key)] + fields:
                fail("Phaser frame %r differs from the JSON page's" % key)
        if len(field(texture, "frames")) != len(json_frames):
            fail("Phaser texture %d has %d frames" % (number, len(field(texture, "frames"))))
    if seen != set(expected):
        fail("frames missing from every page: %r" % sorted(set(expected) - seen))


def same_pixels(a, b):
    if png_pixels(a) != png_pixels(b):
        fail("%s and %s differ" % (a, b))


if sys.argv[1] == "inputs":
    inputs(sys.argv[2])
elif sys.argv[1] == "check":
    check(*sys.argv[2:7])
else:
    same_pixels(*sys.argv[2:4])
