#!/usr/bin/env python3
"""Strict checks of the JSON array and .atlas descriptions.

usage: check_atlas_formats.py array ARRAY.json HASH.json
       check_atlas_formats.py atlas ATLAS.atlas ATLAS.xml WIDTH HEIGHT FORMAT [pma]

"array": the array form must hold exactly the hash form's frames, in order,
each as {"filename": KEY, ...the hash entry's fields in their order}, and the
same "meta". "atlas": the file is read by a parser written from the
published description of the libGDX / Spine texture atlas text format (a page
line, its "key: value" lines, then per region a name line and indented
"key: value" lines; values are comma-separated), and every page and region
field is compared with the XML description. Exits 1 naming the first
difference. Only the standard library is used.
"""
import json
import re
import sys
import xml.etree.ElementTree as ElementTree


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def load_json(path):
    with open(path, "rb") as f:
        return json.loads(f.read().decode("utf-8"), object_pairs_hook=lambda pairs: pairs)


def check_array(array_path, hash_path):
    array, hashed = load_json(array_path), load_json(hash_path)
    if [k for k, _ in array] not in (["frames", "meta"], ["frames", "animations", "meta"]) or \
            [k for k, _ in array] != [k for k, _ in hashed]:
        fail("top level keys %r" % [k for k, _ in array])
    frames, hash_frames = array[0][1], hashed[0][1]
    if not isinstance(frames, list) or len(frames) != len(hash_frames):
        fail("frames is not an array of %d entries" % len(hash_frames))
    for entry, (key, fields) in zip(frames, hash_frames):
        if entry != [("filename", key)] + fields:
            fail("array entry %r differs from the hash entry %r: %r" % (entry[:1], key, fields))
    if array[1:] != hashed[1:]:
        fail("animations or meta differ: %r / %r" % (array[1:], hashed[1:]))


def parse_atlas(text):
    """Pages as (name, [(key, values)], [(region name, [(key, values)])])."""
    if not text.endswith("\n"):
        fail(".atlas does not end with a line feed")
    pages, page, region = [], None, None
    for number, line in enumerate(text.split("\n")[:-1], 1):
        if line != line.rstrip():
            fail("line %d ends with spaces" % number)
        if not line.strip():
            page = region = None
            continue
        if ":" in line:
            key, value = line.split(":", 1)
            if page is None:
                fail("line %d: a field outside any page" % number)
            indented = key.startswith(" ")
            if indented != (region is not None) or (indented and not key.startswith("  ")):
                fail("line %d: field %r indented wrongly" % (number, key))
            fields = region[1] if region is not None else page[1]
            fields.append((key.strip(), [v.strip() for v in value.split(",")]))
        elif page is None:
            page = (line, [], [])
            pages.append(page)
        else:
            region = (line.strip(), [])
            page[2].append(region)
    return pages


def check_atlas(atlas_path, xml_path, width, height, pixel_format, pma=""):
    with open(atlas_path, "rb") as f:
        raw = f.read().decode("utf-8")
    if not raw.startswith("\n"):
        fail(".atlas does not start with the blank line older readers expect")
    pages = parse_atlas(raw)
    sprite = ElementTree.parse(xml_path).getroot()
    if len(pages) != 1:
        fail("%d pages" % len(pages))
    name, fields, regions = pages[0]
    if name != sprite.get("file"):
        fail("page %r, the XML names %r" % (name, sprite.get("file")))
    wanted = [("size", [width, height]), ("format", [pixel_format]), ("filter", ["Nearest", "Nearest"]),
              ("repeat", ["none"])] + ([("pma", ["true"])] if pma else [])
    if fields != wanted:
        fail("page fields %r, wanted %r" % (fields, wanted))
    frames = sprite.findall("frame")
    if len(regions) != len(frames):
        fail("%d regions, the XML has %d frames" % (len(regions), len(frames)))
    for (region, fields), frame in zip(regions, frames):
        # A frame of a sequence is the region named for the sequence with
        # its number as index; every other keeps its whole name, index -1.
        index = dict(fields).get("index", ["?"])[0]
        match = re.fullmatch(re.escape(region) + r"[-_. ]?([0-9]{1,9})", frame.get("name")) if index != "-1" else None
        if (index == "-1" and region != frame.get("name")) or (index != "-1" and (not match or
                                                                                   int(match.group(1)) != int(index))):
            fail("region %r index %s stands for the XML frame %r" % (region, index, frame.get("name")))
        x, y, w, h = (frame.get(k) for k in ("x", "y", "w", "h"))
        # A trimmed frame: the original size, and the kept rectangle's place
        # in it, which the XML counts from the top and .atlas from the bottom.
        orig = [frame.get("originalW", w), frame.get("originalH", h)]
        offset = [frame.get("offsetX", "0"), str(int(orig[1]) - int(frame.get("offsetY", "0")) - int(h))]
        wanted = [("rotate", ["false"]), ("xy", [x, y]), ("size", [w, h]), ("orig", orig),
                  ("offset", offset), ("index", [index])]
        if fields != wanted:
            fail("region %r: %r, wanted %r" % (region, fields, wanted))
        if int(x) + int(w) > int(width) or int(y) + int(h) > int(height):
            fail("region %r reaches outside the atlas" % region)


if sys.argv[1] == "array":
    check_array(*sys.argv[2:4])
else:
    check_atlas(*sys.argv[2:8])
