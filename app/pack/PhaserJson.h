// The multi-atlas JSON that Phaser 3's load.multiatlas reads: every page of
// a pack in one file, written beside the atlas as ATLAS.json
// (--format phaser3):
//
//   {"textures": [
//   	{"image": "atlas-1.png", "format": "RGBA8888", "size": {"w": 256, "h": 128}, "scale": 1, "frames": [
//   		{"filename": "hero.png", "frame": {...}, "rotated": false, "trimmed": false, "spriteSourceSize": {...},
//   		 "sourceSize": {...}},
//   		...]},
//   	...],
//   "meta": {"app": "Quilt Forger", "version": "..."}
//   }
//
// one page an entry in page order, one frame a line, each frame exactly as
// an entry of the JSON array layout (AtlasJson.h: "filename" first, then the
// hash layout's fields, a pivot and borders included). A premultiplied
// atlas adds "premultipliedAlpha": true to the meta. Animations are not
// written: Phaser builds them from frame names itself.
#pragma once

#include "app/pack/AtlasFrames.h"

#include <string>
#include <vector>

// One page's entry of "textures", without a separator around it. False when
// a name is not UTF-8 text.
bool phaserTextureText(const AtlasPageInfo& page, const std::vector<AtlasFrame>& frames, std::string& text,
                       std::string* error);

// The whole file from the pages' entries (phaserTextureText), in page order.
std::string phaserAtlasText(const std::vector<std::string>& textures, bool premultiplied);
