// CPreviewFrames: the frames of the page the preview shows, as the saved
// description will give them: each image's rectangle in the atlas without
// the extrusion, and where its kept part starts in the image (trimming cuts
// the transparent margins). Hovering, the selection outline, picking by
// click and drawing all read these rectangles, so none of them describes the
// padded packer entry or the whole untrimmed picture. An image that shares
// an earlier image's picture ("pack duplicates once") has a frame of its
// own at the shared place. A frame the layout turned is its stored
// rectangle (the picture turned 90 degrees), turned the way the save turns
// it. Plain data, no GL; lookups by name are hashed.
#pragma once

#include "app/pack/AtlasSave.h"
#include "app/pack/CPacker.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct PreviewFrame {
    std::string name;       // the image's name, as in the list
    std::int32_t x = 0;     // the frame in atlas pixels
    std::int32_t y = 0;
    std::int32_t w = 0;
    std::int32_t h = 0;
    std::int32_t sourceX = 0; // the kept part's top-left corner in the image
    std::int32_t sourceY = 0;
    // Stored turned: 1 clockwise, -1 counter-clockwise (w and h are then the
    // picture's height and width); 0 upright.
    std::int8_t turned = 0;
    const CImage* image = nullptr;

    // The picture's pixel at stored position (fx, fy) of the frame, from
    // the kept part's top left.
    void pictureAt(std::int32_t fx, std::int32_t fy, std::int32_t& px, std::int32_t& py) const
    {
        px = turned > 0 ? fy : turned < 0 ? h - 1 - fy : fx;
        py = turned > 0 ? w - 1 - fx : turned < 0 ? fx : fy;
    }

    bool contains(float ax, float ay) const
    {
        return ax >= float(x) && ay >= float(y) && ax < float(x + w) && ay < float(y + h);
    }
};

class CPreviewFrames {
public:
    // The frames of `images` (in their order) whose pictures `pagePacker`
    // holds; the others are on other pages. Turned entries are taken as
    // turned counter-clockwise with `counterClockwise` (as a save with the
    // .atlas description stores them), else as the entry says.
    void build(const std::vector<AtlasImage>& images, const CPacker& pagePacker, bool counterClockwise = false);
    void clear();

    const std::vector<PreviewFrame>& all() const { return frames; }
    // The frame of the image of this name on the shown page, or null.
    const PreviewFrame* find(const std::string& name) const;
    // The first frame holding atlas point (ax, ay), or null.
    const PreviewFrame* at(float ax, float ay) const;

private:
    std::vector<PreviewFrame> frames;
    std::unordered_map<std::string, std::size_t> byName;
};
