// The atlas's JSON description for engines other than ours, in the common
// JSON "hash" layout that PixiJS, Phaser and melonJS read:
//
//   {"frames": {
//   	"hero.png": {"frame": {"x": 0, "y": 0, "w": 32, "h": 48}, "rotated": false, "trimmed": false,
//   	             "spriteSourceSize": {"x": 0, "y": 0, "w": 32, "h": 48}, "sourceSize": {"w": 32, "h": 48}},
//   	...},
//   "meta": {"app": "Quilt Forger", "version": "...", "image": "atlas.png", "format": "RGBA8888",
//            "size": {"w": 256, "h": 128}, "scale": "1"}
//   }
//
// one frame a line, keyed by the image's name, in the order the images were
// added, with the rectangles of the XML description (y counted from the
// top). Images are never rotated. A trimmed image has "trimmed": true, its
// kept rectangle's place in the original as "spriteSourceSize" and the
// original size as "sourceSize". "format" is "RGBA8888" for PNG and TGA
// atlases and "RGB888" for BMP and JPEG ones; a premultiplied atlas adds
// "premultipliedAlpha": true to its meta.
//
// Frame details, each written only when set: a pivot as "pivot" and again as
// "anchor" (fractions of "sourceSize"; Phaser reads the first, PixiJS the
// second), nine-slice borders as "borders" {"left", "top", "right",
// "bottom"} (PixiJS's texture borders, in pixels of the original). Frames
// of an animation on the page are listed after "frames" as
// "animations": {"walk": ["walk_1.png", "walk_2.png", ...]}, by their keys
// in sequence order, one animation a line, in the order of their first
// frames. A page of a multipack names the other pages' JSON files in
// "meta": "related_multi_packs", which PixiJS's loader follows.
#pragma once

#include "app/pack/AtlasFrames.h"
#include "app/pack/AtlasSave.h"

#include <cstdint>
#include <string>
#include <vector>

class CPacker;

// The JSON description's path: the atlas path without its three-letter
// ending, followed by "json" (sheet.PNG gives sheet.json).
std::string atlasJsonPath(const std::string& atlasPath);

// The text of the JSON description of an atlas saved as `atlasPath` (one of
// the four image endings) of `width` x `height` pixels. False, naming the
// image, when a name is not valid UTF-8 (JSON cannot hold it) or an image is
// not in the packer.
bool atlasJsonText(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                   std::uint32_t width, std::uint32_t height, std::string& text, std::string* error,
                   bool premultiplied = false);

// The same from frames already worked out (atlasFrames); `relatedPacks` are
// the other pages' JSON file names, written as meta.related_multi_packs when
// there are any.
bool atlasJsonText(const AtlasPageInfo& page, const std::vector<AtlasFrame>& frames,
                   const std::vector<std::string>& relatedPacks, std::string& text, std::string* error);

// Appends the JSON object of one frame's fields ({"frame": ..., "sourceSize":
// ... and the set details}) without the key; `filename`, when given, is put
// first as "filename" (the array layouts). False when it is not UTF-8.
bool appendJsonFrame(std::string& out, const AtlasFrame& frame, const std::string* filename = nullptr);

// Appends "\"animations\": {...}" for the frames' sequences, or nothing when
// no frame is in one (see the layout above; `indent` goes before each line).
void appendJsonAnimations(std::string& out, const std::vector<AtlasFrame>& frames, const std::string& indent);
