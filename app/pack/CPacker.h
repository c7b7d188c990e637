// CPacker: the atlas layout engine.
//
// Holds one PackEntry (name and rectangle) per atlas image in packing order
// and places them greedily: the first entry sits at (spacing, spacing), every
// later one is attached beside (to the right of) or below the earliest earlier
// entry that leaves room for it. There is no sorting and no backtracking, so
// the order of the entries is the packing order and the result is fully
// determined by the entries and the three options.
//
// pack() is pure logic (no files, images or GL) and built to scale to tens of
// thousands of entries: it keeps the placed rectangles in a grid index and a
// list of the attachment sides that can still take something, and returns
// exactly the positions of the straightforward attach-to-first-neighbour loop.
//
// packCanvas() is the canvas size search shared by the window tool's relayout
// and the command line: square powers of two from 64 upwards, optionally
// shrunk to the used extent ("tight pack").
#pragma once

#include "core/String.h"

#include <cstdint>
#include <optional>
#include <vector>

enum PackMode : std::int32_t {
    PackAuto = 0,  // try beside every earlier entry, then below
    PackRight = 1, // only beside
    PackDown = 2,  // only below
    PackBest = 3,  // smallest atlas in any order: a layoutAtlas mode (AtlasLayout.h);
                   // CPacker::pack attaches nothing in it
};

enum PackAlign : std::int32_t {
    AlignEdge = 0,   // top (beside) or left (below) edge on the neighbour's
    AlignCentre = 2, // centred on the neighbour's side when that spot is free too
};

// One image of the atlas. x and y are set by CPacker::pack; name, width and
// height by whoever inserts the entry. right = x + width, bottom = y + height.
// `rotated` (set only by the best-fit layout, never by CPacker) says the
// picture is stored turned 90 degrees in this rectangle: 1 clockwise, -1
// counter-clockwise (as libGDX and Spine store turned regions).
struct PackEntry {
    String name;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int8_t rotated = 0;
};

// Size of the atlas chosen by the canvas size search.
struct CanvasSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// What the canvas size search may choose. The defaults are the window tool's
// rules: squares up to maxImageSide, spacing as the margin.
struct CanvasRules {
    std::uint32_t maxSize = 0;          // largest side; 0 means maxImageSide
    std::optional<std::uint32_t> border; // margin at the atlas edges; unset: spacing
    bool pot = false;                   // round both sides up to powers of two
    bool square = false;                // make the sides equal
};

class CPacker {
public:
    // Removes all entries; the options stay.
    void clear();

    std::uint32_t count() const { return static_cast<std::uint32_t>(entries_.size()); }
    // index must be below count().
    PackEntry& entry(std::uint32_t index);
    const PackEntry& entry(std::uint32_t index) const;

    // Inserts a copy at index; an index above count() appends.
    void insertEntry(std::uint32_t index, const PackEntry& entry);
    // Index of the first entry whose name equals name byte for byte, or -1.
    std::int32_t findEntry(const String& name) const;

    void setMode(PackMode mode) { mode_ = mode; }
    PackMode mode() const { return mode_; }
    void setAlignment(PackAlign alignment) { alignment_ = alignment; }
    PackAlign alignment() const { return alignment_; }
    void setSpacing(std::uint32_t spacing) { spacing_ = spacing; }
    std::uint32_t spacing() const { return spacing_; }

    // Places every entry within maxWidth x maxHeight. Entry 0 goes to
    // (spacing, spacing) and may touch the limits; entry n is attached to the
    // first earlier entry k (in order, beside candidates before below ones in
    // PackAuto) that passes the room pre-check
    //   beside: k.right + n.width + spacing < maxWidth and k.bottom + n.height < maxHeight
    //   below:  k.right + n.width < maxWidth and k.bottom + n.height + spacing < maxHeight
    // and whose edge-aligned candidate rectangle collides with no earlier
    // entry. Images of at least one pixel collide when their column ranges
    // and row ranges overlap (touching is allowed); zero-width or
    // zero-height entries follow the corner-and-edge rule described in
    // CPacker.cpp. With AlignCentre the entry then moves to the centred spot
    // (negative coordinates clamped to 0) when the entry placed there
    // collides with no earlier entry either, so placed images never
    // overlap; otherwise it keeps the edge-aligned spot. Returns false at the
    // first entry that fits nowhere: earlier entries keep their new
    // positions, that entry and later ones keep their old ones.
    //
    // NOTE: sums are exact (no 32-bit wrap-around), limits above 2^31 - 1
    // count as 2^31 - 1 so every position and edge is a valid int32, a
    // spacing above 2^31 - 1 never fits, and an entry with a negative width
    // or height fits nowhere.
    bool pack(std::uint32_t maxWidth, std::uint32_t maxHeight);
    // Entries placed by the last pack(): all of them after it returned true,
    // else the index of the entry that found no room.
    std::uint32_t placedCount() const { return placedCount_; }

    // The canvas size search: pack at 64 x 64, 128 x 128, ... and stop at
    // the first square that takes every entry. With tightPack the atlas is
    // then the used extent (largest right and bottom, from 0) plus spacing,
    // so the right and bottom margins equal the top and left ones.
    //
    // The search is capped: maxImageSide (image/ImageLimits.h, 16384) is the
    // largest square tried and the largest atlas side accepted. When no
    // square up to it takes every entry, or the tight size would exceed it,
    // the result is empty ("does not fit") and the entry positions are
    // unspecified. An empty packer fits the first square (tight: spacing x
    // spacing).
    std::optional<CanvasSize> packCanvas(bool tightPack) { return packCanvas(tightPack, CanvasRules{}); }

    // The same search within `rules`: squares of 64, 128, ... up to
    // rules.maxSize, and rules.maxSize itself when it is no power of two
    // (without pot). The entries are placed inside the margin (the first at
    // (margin, margin)); tight adds the margin on the right and bottom. The
    // canvas (tight extent or square) is then rounded up to powers of two
    // (pot) and made square (square); a square whose canvas would exceed
    // maxSize counts as not fitting. With default rules this is exactly the
    // search above.
    std::optional<CanvasSize> packCanvas(bool tightPack, const CanvasRules& rules);

private:
    std::vector<PackEntry> entries_;
    PackMode mode_ = PackAuto;
    PackAlign alignment_ = AlignEdge;
    std::uint32_t spacing_ = 0;
    std::uint32_t placedCount_ = 0;
};
