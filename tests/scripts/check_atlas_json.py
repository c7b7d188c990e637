#!/usr/bin/env python3
"""Strict check of a JSON atlas description against its XML description.

usage: check_atlas_json.py ATLAS.json ATLAS.xml WIDTH HEIGHT FORMAT

The JSON must be the common "hash" layout exactly: no missing and no extra
keys, integers where numbers belong (never floats or booleans), every frame
inside the atlas, and the frames (key order included) with the rectangles the
XML description gives, keyed by the image file names. Two parts are
optional, as the published layout has them: "animations" between "frames"
and "meta" (each sequence's name followed by its frames' keys, every key a
frame of this file named as the sequence plus a number, in rising number
order), and "meta.related_multi_packs" (the other pages' JSON files of a
multipack, each beside this one). Exits 1 naming the first difference. Only
the standard library is used.
"""
import json
import os
import re
import sys
import xml.etree.ElementTree as ElementTree


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def keys_exactly(where, value, keys):
    if not isinstance(value, dict):
        fail("%s is not an object" % where)
    if list(value.keys()) != keys:
        fail("%s has keys %s, wanted %s" % (where, list(value.keys()), keys))


def integer(where, value, minimum):
    if type(value) is not int or value < minimum:
        fail("%s is %r, wanted an integer >= %d" % (where, value, minimum))
    return value


def rectangle(where, value, names):
    keys_exactly(where, value, names)
    return [integer(where + "." + k, value[k], 0 if k in "xy" else 1) for k in names]


def reject_constant(name):
    fail("not strict JSON: " + name)


def main():
    json_path, xml_path, width, height, pixel_format = sys.argv[1:6]
    with open(json_path, "rb") as f:
        data = json.loads(f.read().decode("utf-8"), parse_constant=reject_constant,
                          object_pairs_hook=lambda pairs: dict(pairs) if len({k for k, _ in pairs}) == len(pairs)
                          else fail("repeated key among %s" % [k for k, _ in pairs]))
    keys_exactly("top level", data, ["frames", "animations", "meta"] if "animations" in data else ["frames", "meta"])
    sprite = ElementTree.parse(xml_path).getroot()
    meta_keys = ["app", "version", "image", "format", "size", "scale"]
    keys_exactly("meta", data["meta"], meta_keys + (["related_multi_packs"] if "related_multi_packs" in data["meta"]
                                                    else []))
    folder = os.path.dirname(json_path)
    for related in data["meta"].get("related_multi_packs", []):
        if (not isinstance(related, str) or related == os.path.basename(json_path) or
                not os.path.exists(os.path.join(folder, related))):
            fail("related_multi_packs names %r" % related)
    for name, keys in data.get("animations", {}).items():
        numbers = []
        for key in keys:
            stem = key[: key.rindex(".")] if key in data["frames"] else ""
            match = re.fullmatch(re.escape(name) + r"[-_. ]?([0-9]{1,9})", stem)
            if not match:
                fail("animation %r lists %r" % (name, key))
            numbers.append(int(match.group(1)))
        if len(keys) < 1 or numbers != sorted(numbers):
            fail("animation %r is not in number order: %r" % (name, keys))
    meta = data["meta"]
    if meta["image"] != sprite.get("file"):
        fail("meta.image %r, the XML names %r" % (meta["image"], sprite.get("file")))
    if meta["format"] != pixel_format or meta["scale"] != "1":
        fail("meta.format %r / meta.scale %r" % (meta["format"], meta["scale"]))
    if rectangle("meta.size", meta["size"], ["w", "h"]) != [int(width), int(height)]:
        fail("meta.size %r" % meta["size"])
    frames = data["frames"]
    if not isinstance(frames, dict):
        fail("frames is not an object")
    expected = sprite.findall("frame")
    if len(frames) != len(expected):
        fail("%d frames, the XML has %d" % (len(frames), len(expected)))
    for (key, frame), element in zip(frames.items(), expected):
        where = "frames[%r]" % key
        if "." not in key or key[: key.rindex(".")] != element.get("name"):
            fail("%s stands where the XML has frame %r" % (where, element.get("name")))
        keys_exactly(where, frame, ["frame", "rotated", "trimmed", "spriteSourceSize", "sourceSize"])
        x, y, w, h = rectangle(where + ".frame", frame["frame"], ["x", "y", "w", "h"])
        if [x, y, w, h] != [int(element.get(k)) for k in ("x", "y", "w", "h")]:
            fail("%s.frame %r differs from the XML %r" % (where, frame["frame"], element.attrib))
        if x + w > int(width) or y + h > int(height):
            fail("%s reaches outside the atlas" % where)
        if frame["rotated"] is not False or frame["trimmed"] is not False:
            fail("%s is rotated or trimmed" % where)
        if rectangle(where + ".spriteSourceSize", frame["spriteSourceSize"], ["x", "y", "w", "h"]) != [0, 0, w, h]:
            fail("%s.spriteSourceSize" % where)
        if rectangle(where + ".sourceSize", frame["sourceSize"], ["w", "h"]) != [w, h]:
            fail("%s.sourceSize" % where)


main()
