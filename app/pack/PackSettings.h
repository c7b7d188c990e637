// PackSettings: every choice that shapes what a pack writes, shared by the
// command line, the window tool and the project file.
//
// It is plain data: the front ends fill it (from arguments, from the options
// panel, from a project) and the engine reads it. Choices that only steer a
// front end (progress bars, watching, skipping unreadable files) stay in the
// front end.
#pragma once

#include "app/pack/CPacker.h"
#include "app/pack/NaturalOrder.h"
#include "app/pack/SpriteSheet.h"
#include "image/ImageLimits.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Where a sprite's origin lies, as fractions of its original (untrimmed)
// width and height from the top left: (0.5, 1) is the middle of its feet.
struct SpritePivot {
    double x = 0.5;
    double y = 0.5;
};

// Nine-slice borders in pixels of the original image: the stretchable
// middle lies `left` from the left edge, `right` from the right edge and so
// on; `pad`, when set, is the content padding (left, right, top, bottom).
struct NineSlice {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
    std::optional<std::array<std::int32_t, 4>> pad;
};

// What one sprite carries beyond its pixels, set per sprite by the user.
struct SpriteSettings {
    std::optional<SpritePivot> pivot;
    std::optional<NineSlice> nineSlice;
};

// One resolution written from the layout: the factor and the suffix put
// before the atlas name's ending ("@2x" gives atlas@2x.png).
struct ScaleVariant {
    double factor = 1.0;
    std::string suffix;
};

struct PackSettings {
    // Layout.
    PackMode mode = PackAuto;
    PackAlign alignment = AlignEdge;
    std::uint32_t spacing = 0;
    bool tight = true;
    std::uint32_t maxSize = maxImageSide;
    bool pot = false;
    bool square = false;
    bool multipack = false;
    std::optional<std::uint32_t> border;
    bool rotate = false;                // best mode may turn images by 90 degrees
    std::vector<ScaleVariant> variants; // empty: one atlas at the images' own size

    // Sprites.
    SpriteOptions sprites;
    bool animations = true;                             // trailing-number sequences listed
    std::optional<SpritePivot> pivot;                   // for every sprite without its own
    std::map<std::string, SpriteSettings> perSprite;    // by frame name

    // Inputs: files and folders in the user's order.
    NameOrder order = NameOrder::Natural;
    bool recursive = false;
    bool flatten = false; // frames named by file name alone even in subfolders
    std::vector<std::string> inputs;

    // Outputs: the atlas image and the descriptions beside it (the XML one
    // is always written).
    std::string atlasPath;
    bool json = false;
    bool jsonArray = false;
    bool gdxAtlas = false;
    // The descriptions' frame order by image name when it is not the
    // inputs' order (the window lists frames in the order images were
    // added, packs them in the list's order); names it lacks follow in the
    // inputs' order.
    std::vector<std::string> frameOrder;
};
