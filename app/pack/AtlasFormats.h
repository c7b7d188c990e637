// Description formats for other engines, written beside the atlas next to
// its XML description:
//
// - The JSON "array" layout: the JSON "hash" description (AtlasJson.h) with
//   "frames" as an array, each frame carrying its file name as "filename"
//   ahead of the same fields, in the same order:
//
//     {"frames": [
//     	{"filename": "hero.png", "frame": {"x": 0, "y": 0, "w": 32, "h": 48}, "rotated": false, ...},
//     	...],
//     "meta": {...}
//     }
//
//   with the hash layout's "animations" (when there are any) between the
//   two.
//
// - The plain-text ".atlas" layout that libGDX's TextureAtlas and the Spine
//   runtimes read: a blank line, the page (the atlas file name) with its
//   "size", "format", "filter" and "repeat" lines, then one block per frame:
//   the frame name (as in the XML description), then indented "rotate",
//   "xy", "size", ["split", "pad",] "orig", "offset" and "index" lines. NOTE: this is the
//   layout every reader of the format accepts, older ones included; the newer
//   one-line "bounds" form is read only by recent runtimes. Regions are
//   never rotated; "orig" is the image's size and "offset" where the kept
//   rectangle of a trimmed image sat in it, counted from its bottom left as
//   the format has it (0, 0 untrimmed). A frame of an animation is a region
//   named for its sequence ("walk" for walk_3) with its number as "index",
//   so the readers' "find all regions named walk" gives the frames in order;
//   every other frame keeps its whole name and "index: -1". A nine-slice
//   frame adds "split" (left, right, top, bottom) and, when it has a content
//   padding, "pad" (the same order). Several pages (a multipack) are one
//   file: the page blocks one after the other. A premultiplied atlas adds "pma: true"
//   to the page, which the runtimes that know premultiplied pages read.
//   Names the readers would take for something else are refused: one with a
//   ":" (read as a field) or with spaces at either end (trimmed away).
#pragma once

#include "app/pack/AtlasFrames.h"
#include "app/pack/AtlasSave.h"

#include <cstdint>
#include <string>
#include <vector>

class CPacker;

// The ".atlas" description's path: the atlas path without its three-letter
// ending, followed by "atlas" (sheet.png gives sheet.atlas).
std::string atlasGdxPath(const std::string& atlasPath);

// The JSON array description made from the text atlasJsonText() wrote (one
// frame a line, keyed by its file name). False when `hashText` is not in that
// layout.
bool atlasJsonArrayText(const std::string& hashText, std::string& text, std::string* error);

// The ".atlas" description of an atlas saved as `atlasPath` (one of the four
// image endings) of `width` x `height` pixels. False, naming it, when a name
// cannot be written in the format or an image is not in the packer.
bool atlasGdxText(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                  std::uint32_t width, std::uint32_t height, std::string& text, std::string* error,
                  bool premultiplied = false);

// The ".atlas" block of one page from frames already worked out
// (atlasFrames): the blank line, the page and its regions. Several pages'
// blocks one after the other make one ".atlas" file.
bool atlasGdxText(const AtlasPageInfo& page, const std::vector<AtlasFrame>& frames, std::string& text,
                  std::string* error);
