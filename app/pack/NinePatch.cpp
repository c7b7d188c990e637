// Nine-patch guides: each edge read as a row of marks, runs found in it.
#include "app/pack/NinePatch.h"

#include "app/pack/AtlasFiles.h"
#include "image/CImage.h"

#include <cstdint>
#include <vector>

namespace {

enum class Mark { Clear, Black, Other };

// The pixel at (x, y), y from the top, as a guide mark.
Mark markAt(const CImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t channels = image.getChannels();
    const std::size_t row = image.getHeight() - 1 - y; // stored bottom-up
    const std::uint8_t* p = image.getData() + (row * image.getWidth() + x) * channels;
    std::uint8_t r = p[0];
    std::uint8_t g = p[0];
    std::uint8_t b = p[0];
    std::uint8_t a = 255;
    if (channels == 2) {
        a = p[1];
    } else if (channels >= 3) {
        g = p[1];
        b = p[2];
        a = channels == 4 ? p[3] : 255;
    }
    if (a == 0)
        return Mark::Clear;
    return a == 255 && r == 0 && g == 0 && b == 0 ? Mark::Black : Mark::Other;
}

// The one black run of an edge: [start, end) in inner-picture pixels.
struct Run {
    bool found = false;
    std::int32_t start = 0;
    std::int32_t end = 0;
};

// Reads `length` guide pixels (the edge without its corners); `at(i)` gives
// the i-th. False with the reason for a foreign pixel or a second run.
template <typename At>
bool readEdge(std::uint32_t length, At at, const char* edge, Run& run, std::string& reason)
{
    bool inRun = false;
    for (std::uint32_t i = 0; i < length; ++i) {
        const Mark mark = at(i);
        if (mark == Mark::Other) {
            reason = std::string("the ") + edge + " guide has a pixel at " + std::to_string(i + 1) +
                     " that is neither black nor transparent";
            return false;
        }
        if (mark == Mark::Black && !inRun) {
            if (run.found) {
                reason = std::string("the ") + edge + " guide has more than one black run";
                return false;
            }
            run = Run{true, std::int32_t(i), std::int32_t(i)};
            inRun = true;
        }
        if (mark == Mark::Black)
            run.end = std::int32_t(i) + 1;
        else
            inRun = false;
    }
    return true;
}

}

bool isNinePatchName(const std::string& name)
{
    const std::string ending = ".9.png";
    return name.size() > ending.size() && lowerAscii(name.substr(name.size() - ending.size())) == ending;
}

bool readNinePatch(const CImage& image, NineSlice& slice, std::string& reason)
{
    const std::uint32_t channels = image.getChannels();
    if (!image.getData() || channels < 1 || channels > 4 || image.getBitsPerPixel() != channels * 8) {
        reason = "nine-patch guides can only be read from 8-bit images";
        return false;
    }
    const std::uint32_t width = image.getWidth();
    const std::uint32_t height = image.getHeight();
    if (width < 3 || height < 3) {
        reason = "a nine-patch image needs at least 3 x 3 pixels (a guide frame around the picture)";
        return false;
    }
    const std::uint32_t innerW = width - 2;
    const std::uint32_t innerH = height - 2;
    Run top, left, bottom, right;
    if (!readEdge(innerW, [&](std::uint32_t i) { return markAt(image, i + 1, 0); }, "top", top, reason) ||
        !readEdge(innerH, [&](std::uint32_t i) { return markAt(image, 0, i + 1); }, "left", left, reason) ||
        !readEdge(innerW, [&](std::uint32_t i) { return markAt(image, i + 1, height - 1); }, "bottom", bottom,
                  reason) ||
        !readEdge(innerH, [&](std::uint32_t i) { return markAt(image, width - 1, i + 1); }, "right", right, reason))
        return false;
    if (!top.found || !left.found) {
        reason = std::string("the ") + (top.found ? "left" : "top") + " guide has no black run (nothing stretches)";
        return false;
    }
    NineSlice result;
    result.left = top.start;
    result.right = std::int32_t(innerW) - top.end;
    result.top = left.start;
    result.bottom = std::int32_t(innerH) - left.end;
    if (bottom.found || right.found) {
        const Run& across = bottom.found ? bottom : top;
        const Run& down = right.found ? right : left;
        result.pad = std::array<std::int32_t, 4>{across.start, std::int32_t(innerW) - across.end, down.start,
                                                 std::int32_t(innerH) - down.end};
    }
    slice = result;
    return true;
}

bool takeNinePatch(CImage& image, NineSlice& slice, std::string& reason)
{
    NineSlice read;
    if (!readNinePatch(image, read, reason))
        return false;
    CImage inner;
    if (!inner.create(image.getWidth() - 2, image.getHeight() - 2, image.getChannels(), image.getBitsPerPixel())) {
        reason = "not enough memory for the picture inside the guides";
        return false;
    }
    // blitRect counts source rows from the bottom: the inner picture starts
    // one row above the bottom guide.
    inner.blitRect(image, 0, 0, 1, 1, inner.getWidth(), inner.getHeight());
    inner.setName(image.getName());
    image = std::move(inner);
    slice = read;
    return true;
}
