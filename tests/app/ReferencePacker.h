// A deliberately plain rendering of the packing rule, used as the oracle for
// CPacker: every entry walks every earlier entry, every candidate is tested
// against every placed entry with the corner-and-edge collision test in
// 32-bit floats, and sums and comparisons are unsigned 32-bit. It is O(n^3)
// per pack and only meant for tests with coordinates below 2^24.
#pragma once

#include "app/pack/CPacker.h"

#include <cstdint>
#include <vector>

struct ReferenceRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct ReferenceOptions {
    PackMode mode = PackAuto;
    PackAlign alignment = AlignEdge;
    std::uint32_t spacing = 0;
};

// The corner-and-edge test between two rectangles, literally.
bool referenceCollides(const ReferenceRect& a, const ReferenceRect& b);

bool referencePack(std::vector<ReferenceRect>& rects, const ReferenceOptions& options, std::uint32_t maxWidth,
                   std::uint32_t maxHeight);

// Square search from 64 doubling up to 16384, then the tight reduction;
// returns false when no square takes everything.
bool referenceCanvas(std::vector<ReferenceRect>& rects, const ReferenceOptions& options, bool tightPack,
                     std::uint32_t& width, std::uint32_t& height);
