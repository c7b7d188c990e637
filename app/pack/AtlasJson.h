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
// one frame a line, keyed by the image's file name, in the order the images
// were added, with the rectangles of the XML description (y counted from the
// top). Images are never rotated. A trimmed image has "trimmed": true, its
// kept rectangle's place in the original as "spriteSourceSize" and the
// original size as "sourceSize". "format" is "RGBA8888" for PNG and TGA
// atlases and "RGB888" for BMP and JPEG ones; a premultiplied atlas ends its
// meta with "premultipliedAlpha": true.
#pragma once

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
