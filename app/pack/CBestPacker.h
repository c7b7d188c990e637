// CBestPacker: the best-fit layout, images placed for the smallest atlas.
//
// The images are placed tallest first (ties: wider first, then input order)
// on a skyline (the atlas fills from the top): each goes where it can sit
// highest up, the leftmost such spot among equals; the gaps left between
// the skyline and an image placed over them are kept as free rectangles,
// which later, smaller images fill before the skyline is tried. A canvas
// search then packs the same images into bins of many widths (12 to 64,
// fewer for larger sets) and keeps the one with the smallest atlas area;
// with `square` it grows a square bin until everything fits, with `pot` it
// tries the powers of two.
//
// Other plans are tried at the widths where that came out best, as far as a
// budget of image placements allows (see searchWidths): the images far
// larger than the typical one first (a few giants among many tiny images),
// the long-side and area orders (small sets only); then the best width is
// refined by halving steps. With `rotate` an image may be stored turned 90
// degrees clockwise: the plans then face every image lying or standing, or
// let each turn where it sits better.
//
// Measured with bench/maxrects_bench.cpp against a plain MaxRects packer
// (the table is in the bench's header): as dense or denser on uniform
// sprites, powers of two and equal sizes up to 3,000 images, on tall strips
// at 1,000-3,000, giants among tiny ones at 100 and 3,000; up to 0.1 point
// behind at 10,000 on those sets, 0.1 to 1 point behind on mixed and wide
// strips, game-like sets and giants at 1,000. With rotation it is ahead on
// most sets. About 6 ms of processor time for 10,000 sprites of 8-64
// pixels, up to about 40 ms for 10,000 strips or giants among tiny ones.
//
// Everything is integer arithmetic over indexes, so the layout depends only
// on the sizes and rules: the same input gives the same positions on every
// run and machine. Packing one bin costs about O(n log n + n * s), where s
// is the number of skyline segments (a few hundred for 10,000 sprites).
#pragma once

#include <cstdint>
#include <vector>

struct BestSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The canvas rules of AtlasLayout.h, for one page.
struct BestRules {
    std::uint32_t spacing = 0; // between images
    std::uint32_t margin = 0;  // between the atlas edges and the images
    std::uint32_t maxSize = 16384;
    bool tight = true;         // canvas = used extent + margin, else the bin width searched
    bool pot = false;
    bool square = false;
    bool rotate = false;       // images may be turned 90 degrees clockwise
};

struct BestLayout {
    std::vector<std::int32_t> x; // per input size; -1 when not placed
    std::vector<std::int32_t> y;
    std::vector<std::uint8_t> rotated; // per input size: 1 when stored turned (height x width)
    std::uint32_t width = 0;     // the canvas
    std::uint32_t height = 0;
    std::size_t placed = 0;
};

// Packs every size into the smallest canvas the rules allow. When not all of
// them fit one canvas of maxSize, packs as many as fit into the largest one
// (tallest first, as above) and marks the others -1. With rules.rotate,
// `rotated` marks the sizes stored turned (they occupy height x width);
// without it, none is. Sizes must not be
// negative; zero-size images are placed at the margin corner.
BestLayout packBest(const std::vector<BestSize>& sizes, const BestRules& rules);

// One bin: places the sizes (in the order given by `order`, indexes into
// sizes) inside binWidth x binHeight, each occupying its size plus `spacing`
// on its right and bottom. x and y get the positions from the bin's corner,
// -1 for those that do not fit. Returns the number placed. Exposed for the
// benchmark and tests.
std::size_t packBestBin(const std::vector<BestSize>& sizes, const std::vector<std::uint32_t>& order,
                        std::int32_t spacing, std::int32_t binWidth, std::int32_t binHeight,
                        std::vector<std::int32_t>& x, std::vector<std::int32_t>& y);

// The bin widths (sizes plus spacing) the canvas search tries when the
// canvas is neither square nor of powers of two, in increasing order.
std::vector<std::int32_t> bestSearchWidths(const std::vector<BestSize>& sizes, const BestRules& rules);

// The order packBest places sizes in: tallest first, then widest, then by
// index.
std::vector<std::uint32_t> bestOrder(const std::vector<BestSize>& sizes);
