// PackSettings: every choice that shapes what a pack writes, shared by the
// command line, the window tool and the project file.
//
// It is plain data: the front ends fill it (from arguments, from the options
// panel, from a project) and the engine reads it. Choices that only steer a
// front end (progress bars, watching, skipping unreadable files) stay in the
// front end.
#pragma once

#include "app/pack/AtlasSave.h"
#include "app/pack/CPacker.h"
#include "app/pack/NaturalOrder.h"
#include "app/pack/SpriteMeta.h"
#include "app/pack/SpriteSheet.h"
#include "image/ImageLimits.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

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
    bool operator==(const ScaleVariant&) const = default;
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
    bool phaser3 = false; // one multi-atlas JSON for every page (ATLAS.json)
    // The descriptions' frame order by image name when it is not the
    // inputs' order (the window lists frames in the order images were
    // added, packs them in the list's order); names it lacks follow in the
    // inputs' order.
    std::vector<std::string> frameOrder;

    // Output: how the atlas image is encoded. The compression applies to
    // PNG and WebP; the quality makes a WebP lossy (-1: lossless); a JPEG
    // atlas whose pictures have transparent pixels is refused unless
    // jpegFlatten puts it over jpegFlattenColour (0xRRGGBB).
    ImageCompression compression = ImageCompression::Default;
    int quality = -1;
    bool jpegFlatten = false;
    std::uint32_t jpegFlattenColour = 0x000000;

    AtlasEncoding encoding() const { return {compression, quality, jpegFlatten, jpegFlattenColour}; }
};
