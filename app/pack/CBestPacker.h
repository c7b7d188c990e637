// CBestPacker: the best-fit layout, images placed for the smallest atlas.
//
// Two placers fill a bin of fixed width from the top. The skyline places
// the images tallest first (ties: wider first, then input order) where each
// can sit highest up, the leftmost such spot among equals, and keeps the
// gaps under an image placed over a lower step as free rectangles for later,
// smaller images. The free-rectangle bin (CFreeRectBin) keeps every maximal
// free rectangle and puts each image, in the same order, where its bottom
// edge is highest up: slower, but it never loses a hole, which wins most
// sets from a few hundred images on. Either may pack the transposed problem
// (widths and heights swapped, positions swapped back), which fills the
// atlas column by column: strips and mixed sets often pack better one way.
//
// The canvas search packs the images into bins of many widths (90 % to 160 %
// of the side of the square holding their area; 8 to 64 widths, fewer for
// larger sets) and keeps the smallest atlas area: the skyline leads for
// small sets, the free rectangles from 2,000 images on. Then, within a
// budget of counted work (the free rectangles and skyline segments looked
// at; 20 to 50 ms of processor time on any set), the other plans try the
// best widths: the big images first (a few giants among many tiny images),
// the transposed free rectangles in bins as wide as the best canvases were
// high, the other placer, best short side fit in lower and lower bins
// (small sets), the transposed skyline; the best width is refined by
// halving steps; small sets try a wider range of widths, and the long-side
// and area orders take what is left. Below 5,000 images without rotation,
// when the free rectangles lead, the skyline also sweeps every width and
// its best one is refined too (at once when it ties the best canvas): its
// canvases close up at other widths, often far from square. Every bin
// stops once it passes the work left, and when the free rectangles' first
// bin would take half the budget (thousands of thin slivers) the skyline
// leads instead; a canvas without a gap ends the search. With `square` it
// grows a square bin until everything fits, with `pot` it tries the powers
// of two (skyline plans only, as before). With `rotate` an image may be
// stored turned 90 degrees clockwise: the plans then face every image
// lying, standing or as given, or let each turn where it sits better.
//
// Last, a tight canvas is compacted: the images reaching past a line near
// its bottom edge (then its right edge) are placed again, by best short
// side fit, into the free room of a band of the layout above a lower edge
// (a free-rectangle bin seeded with the images around them), while that
// shrinks the canvas and within its own cap of counted work (a sixth of it
// from 2,000 images on, where the rows close up evenly and it rarely finds
// room). It mends the ragged last rows of giants among tiny images.
//
// Measured with bench/maxrects_bench.cpp against a plain MaxRects packer
// (the table is in the bench's header), without rotation: as dense or
// denser on 27 of the 32 sets (8 mixes at 100 to 10,000 images), by up to
// 2.4 points on small sets of strips; up to 0.041 point behind on the
// other 5 (uniform sprites and giants among tiny ones at 10,000, wide
// strips at 3,000, game-like sets at 3,000 and 10,000), where the canvas
// width the budget reaches decides; never less dense than the skyline
// search alone. With rotation on both sides: ahead or
// level on 23 of 24 sets up to 3,000 images, 0.002 point behind on
// game-like sets of 100; the skyline alone did better on giants among
// 1,000 tiny images (99.74 against 99.57 %) and game-like sets of 3,000
// (99.36 against 99.22 %). About 21 to 34 ms of processor time for 10,000
// images of those mixes, up to 50 ms for smaller sets (all equal: under
// 8 ms).
//
// Everything is integer arithmetic over indexes, and the budget counts work
// rather than time, so the layout depends only on the sizes and rules: the
// same input gives the same positions on every run and machine. Packing one
// bin costs about O(n log n + n * s), where s is the number of skyline
// segments or free rectangles (a few hundred for 10,000 sprites).
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
