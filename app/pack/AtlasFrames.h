// One frame as every description writer sees it: the numbers worked out once
// from the packer entry and the prepared image (rectangle without the
// extrusion, the original size and where the kept rectangle sat in it) with
// the frame's details (pivot, nine-slice, animation).
//
// The writers (XML, JSON hash and array, .atlas, the multi-atlas JSON) only
// format these fields, so a new per-frame property is added here once and
// each writer then decides how its format spells it.
#pragma once

#include "app/pack/AtlasSave.h"

#include <cstdint>
#include <string>
#include <vector>

class CPacker;

struct AtlasFrame {
    std::string key;        // the image's name, ending included: the JSON key
    std::string name;       // the frame name (atlasFrameName): XML and .atlas
    AtlasFrameRect rect;    // in the page, y from the top
    bool trimmed = false;   // only part of the original was packed
    AtlasTrim source;       // kept rectangle in the original and the original's size
    FrameMeta meta;
};

// The frames of one page, in the order of `images`. False, naming the image,
// when one is not in the packer.
bool atlasFrames(const CPacker& packer, const std::vector<AtlasImage>& images, std::vector<AtlasFrame>& frames,
                 std::string* error);

// What a page's description says about the page itself.
struct AtlasPageInfo {
    std::string fileName;        // the page image's file name
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool opaque = false;         // a 3-channel (BMP, JPEG) page
    bool premultiplied = false;
};

// Shortest decimal text that reads back as `value` ("0.5", "1", "-0.25");
// non-finite values give "0".
std::string decimalText(double value);
