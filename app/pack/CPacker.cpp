// CPacker: entry bookkeeping, the indexed greedy layout and the canvas search.
//
// The layout rule is the plain loop "for every entry n, for every earlier
// entry k in order, try beside k, then below k, and take the first candidate
// that collides with nothing placed". Written that way every entry costs
// O(n) candidates times O(n) collision tests. This file computes the same
// result with two indexes:
//
// - OccupancyGrid buckets the placed rectangles by grid cell, so a collision
//   test only looks at the rectangles near the candidate.
// - SideList keeps, per kind (beside or below), the attachment sides in entry
//   order together with what is known not to fit there. Sides only ever lose
//   room while a layout runs (placed entries never move), so a candidate that
//   collided with a solid rectangle proves that every candidate at least as
//   wide and as high collides too; such candidates are skipped without a
//   test, and a side whose corner pixel is covered is closed for good.
//   Blocks and groups of sides carry, per height level, the widest candidate
//   any member may still take, so whole runs of full sides are skipped.
//
// Zero-width or zero-height entries are rare (an image that did not decode)
// and follow the corner-and-edge rule below rather than a plain overlap; a
// zero-size candidate therefore walks every earlier entry the plain way
// (still using the grid for the collision test), and a collision with a
// zero-size rectangle never teaches a side anything.
//
// The canvas search also skips squares that surely fail (an entry larger
// than the square, or more area than it holds when nothing overlaps).
#include "app/pack/CPacker.h"

#include "image/ImageLimits.h"

#include <algorithm>
#include <cassert>
#include <climits>

namespace {

using i64 = std::int64_t;

// A rectangle as the collision test sees it: first and last column and row.
// For an entry at least one pixel wide and high these are its pixels; a zero
// width or height makes the last column (row) one before the first.
struct Shape {
    std::int32_t x0, y0, x1, y1;
    bool isSolid() const { return x1 >= x0 && y1 >= y0; }
};

Shape shapeOf(i64 x, i64 y, i64 width, i64 height)
{
    return {static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
            static_cast<std::int32_t>(x + width - 1), static_cast<std::int32_t>(y + height - 1)};
}

bool boxContains(const Shape& box, i64 px, i64 py)
{
    return box.x0 <= px && px <= box.x1 && box.y0 <= py && py <= box.y1;
}

// Whether any of a's four corners lies in b's box, bounds included.
bool cornerInside(const Shape& a, const Shape& b)
{
    return boxContains(b, a.x0, a.y0) || boxContains(b, a.x1, a.y0) || boxContains(b, a.x1, a.y1)
        || boxContains(b, a.x0, a.y1);
}

bool between(i64 value, i64 a, i64 b)
{
    return std::min(a, b) <= value && value <= std::max(a, b);
}

// A horizontal edge (row hy, columns ha to hb) against a vertical edge
// (column vx, rows va to vb). For such a pair the general segment test (a
// non-zero denominator and both parameters in [0, 1]) reduces to: neither
// edge is a single point, and the crossing point lies on both edges.
bool edgesCross(i64 hy, i64 ha, i64 hb, i64 vx, i64 va, i64 vb)
{
    return ha != hb && va != vb && between(vx, ha, hb) && between(hy, va, vb);
}

// a's top and bottom edges against b's left and right edges.
bool horizontalEdgesCross(const Shape& a, const Shape& b)
{
    return edgesCross(a.y0, a.x0, a.x1, b.x0, b.y0, b.y1) || edgesCross(a.y0, a.x0, a.x1, b.x1, b.y0, b.y1)
        || edgesCross(a.y1, a.x1, a.x0, b.x0, b.y0, b.y1) || edgesCross(a.y1, a.x1, a.x0, b.x1, b.y0, b.y1);
}

// The collision test: a corner of either rectangle inside the other's box,
// or a horizontal edge of one crossing a vertical edge of the other. For two
// solid rectangles this is exactly "column ranges and row ranges overlap".
// NOTE: coordinates are compared exactly; a rendering in 32-bit floats gives
// the same answers for coordinates below 2^24, which covers every canvas the
// size search tries.
bool collides(const Shape& a, const Shape& b)
{
    if (a.isSolid() && b.isSolid())
        return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
    return cornerInside(a, b) || cornerInside(b, a) || horizontalEdgesCross(a, b) || horizontalEdgesCross(b, a);
}

// Everything a collision involving the shape can touch: its corners and edges.
Shape hullOf(const Shape& s)
{
    return {std::min(s.x0, s.x1), std::min(s.y0, s.y1), std::max(s.x0, s.x1), std::max(s.y0, s.y1)};
}

// Placed rectangles bucketed by square cells of 2^shift pixels. A rectangle
// is listed in every cell its hull touches; coordinates outside the grid are
// clamped to the border cells, which keeps every touching pair in a shared
// cell.
class OccupancyGrid {
public:
    void reset(i64 extentWidth, i64 extentHeight, int shift)
    {
        shift_ = shift;
        columns_ = static_cast<std::int32_t>((extentWidth >> shift) + 1);
        rows_ = static_cast<std::int32_t>((extentHeight >> shift) + 1);
        heads_.assign(static_cast<std::size_t>(columns_) * rows_, -1);
        nodes_.clear();
    }

    void insert(std::int32_t index, const Shape& shape)
    {
        const Shape hull = hullOf(shape);
        const Cells cells = cellsOf(hull);
        for (std::int32_t row = cells.row0; row <= cells.row1; ++row) {
            for (std::int32_t column = cells.column0; column <= cells.column1; ++column) {
                std::int32_t& head = heads_[static_cast<std::size_t>(row) * columns_ + column];
                nodes_.push_back({index, head});
                head = static_cast<std::int32_t>(nodes_.size() - 1);
            }
        }
    }

    // Whether a listed solid rectangle covers all of the solid shape.
    bool covers(const Shape& shape, const std::vector<Shape>& placed) const
    {
        const Cells cells = cellsOf(shape);
        std::int32_t node = heads_[static_cast<std::size_t>(cells.row0) * columns_ + cells.column0];
        while (node >= 0) {
            const Node& n = nodes_[static_cast<std::size_t>(node)];
            const Shape& other = placed[static_cast<std::size_t>(n.index)];
            if (other.isSolid() && other.x0 <= shape.x0 && other.y0 <= shape.y0 && shape.x1 <= other.x1
                && shape.y1 <= other.y1)
                return true;
            node = n.next;
        }
        return false;
    }

    // Index of some placed rectangle that collides with candidate, or -1.
    std::int32_t findCollision(const Shape& candidate, const std::vector<Shape>& placed) const
    {
        const Cells cells = cellsOf(hullOf(candidate));
        for (std::int32_t row = cells.row0; row <= cells.row1; ++row) {
            for (std::int32_t column = cells.column0; column <= cells.column1; ++column) {
                std::int32_t node = heads_[static_cast<std::size_t>(row) * columns_ + column];
                while (node >= 0) {
                    const Node& n = nodes_[static_cast<std::size_t>(node)];
                    if (collides(candidate, placed[static_cast<std::size_t>(n.index)]))
                        return n.index;
                    node = n.next;
                }
            }
        }
        return -1;
    }

private:
    struct Node {
        std::int32_t index;
        std::int32_t next;
    };
    struct Cells {
        std::int32_t column0, row0, column1, row1;
    };

    Cells cellsOf(const Shape& hull) const
    {
        auto cell = [this](std::int32_t v, std::int32_t count) {
            return v < 0 ? 0 : std::min(v >> shift_, count - 1);
        };
        return {cell(hull.x0, columns_), cell(hull.y0, rows_), cell(hull.x1, columns_), cell(hull.y1, rows_)};
    }

    int shift_ = 0;
    std::int32_t columns_ = 0;
    std::int32_t rows_ = 0;
    std::vector<std::int32_t> heads_;
    std::vector<Node> nodes_;
};

// One attachment side (beside or below an entry) and what is known about it.
struct Side {
    static constexpr int maxBlocked = 4;

    std::int32_t owner;            // the entry k the side belongs to
    std::int32_t cornerX, cornerY; // top-left of an edge-aligned candidate
    i64 roomWidth, roomHeight;     // largest size the pre-check lets through
    std::int32_t blockedCount = 0; // sizes proven to collide: (w, h) >= any
    std::int32_t blockedWidth[maxBlocked];
    std::int32_t blockedHeight[maxBlocked];
    bool closed = false; // the corner pixel is covered: nothing solid fits

    bool rulesOut(i64 width, i64 height) const
    {
        if (closed || width > roomWidth || height > roomHeight)
            return true;
        for (std::int32_t i = 0; i < blockedCount; ++i) {
            if (width >= blockedWidth[i] && height >= blockedHeight[i])
                return true;
        }
        return false;
    }

    // Records that every candidate of at least width x height collides.
    void block(std::int32_t width, std::int32_t height)
    {
        if (width <= 1 && height <= 1) {
            closed = true;
            return;
        }
        std::int32_t kept = 0;
        for (std::int32_t i = 0; i < blockedCount; ++i) {
            if (blockedWidth[i] < width || blockedHeight[i] < height) {
                blockedWidth[kept] = blockedWidth[i];
                blockedHeight[kept] = blockedHeight[i];
                ++kept;
            }
        }
        if (kept == maxBlocked)
            kept = maxBlocked - 1; // forget one; it only costs a test later
        blockedWidth[kept] = width;
        blockedHeight[kept] = height;
        blockedCount = kept + 1;
    }
};

// What a side, or a run of sides, may still take: for every height 2^j an
// upper bound on the width of a candidate that is not ruled out yet. A
// candidate of height h is judged at the level of the largest 2^j <= h. Only
// the levels that the run's heights use are kept up to date.
struct Reach {
    static constexpr int levels = 15; // 1 .. 16384; taller candidates use the last
    std::int32_t width[levels];

    static int levelOf(i64 height)
    {
        int level = 0;
        while (level + 1 < levels && (i64(1) << (level + 1)) <= height)
            ++level;
        return level;
    }
};

// The sides of one kind in entry order. Blocks of sides and groups of blocks
// carry the widest Reach of their members, so a candidate skips whole runs
// of sides that cannot take it. The summaries are upper bounds: a side that
// learns something leaves its group's summary stale until the group has been
// walked without success, and is then summed up again.
class SideList {
public:
    // Empties the list for a run whose candidate heights lie in
    // [minHeight, maxHeight].
    void clear(i64 minHeight, i64 maxHeight)
    {
        sides_.clear();
        reaches_.clear();
        blocks_.clear();
        groups_.clear();
        low_ = Reach::levelOf(minHeight);
        high_ = Reach::levelOf(maxHeight);
    }

    void add(const Side& side)
    {
        const Reach reach = reachOf(side);
        if (sides_.size() % blockSize == 0)
            blocks_.push_back(reach);
        else
            widen(blocks_.back(), reach);
        if (sides_.size() % (blockSize * groupSize) == 0)
            groups_.push_back(reach);
        else
            widen(groups_.back(), reach);
        sides_.push_back(side);
        reaches_.push_back(reach);
    }

    // The first side whose edge-aligned width x height candidate collides
    // with nothing placed, or nullptr. The pointer is valid until add().
    const Side* findRoom(i64 width, i64 height, const OccupancyGrid& grid, const std::vector<Shape>& placed)
    {
        const int level = std::clamp(Reach::levelOf(height), low_, high_);
        for (std::size_t group = 0; group < groups_.size(); ++group) {
            if (groups_[group].width[level] < width)
                continue;
            const std::size_t blockEnd = std::min(blocks_.size(), (group + 1) * groupSize);
            bool learned = false;
            for (std::size_t block = group * groupSize; block < blockEnd; ++block) {
                if (blocks_[block].width[level] < width)
                    continue;
                if (const Side* side = findInBlock(block, width, height, grid, placed, learned))
                    return side;
            }
            if (learned)
                groups_[group] = summarise(blocks_, group * groupSize, blockEnd);
        }
        return nullptr;
    }

private:
    static constexpr std::size_t blockSize = 8;
    static constexpr std::size_t groupSize = 32;

    const Side* findInBlock(std::size_t block, i64 width, i64 height, const OccupancyGrid& grid,
                            const std::vector<Shape>& placed, bool& learned)
    {
        const std::size_t begin = block * blockSize;
        const std::size_t end = std::min(sides_.size(), begin + blockSize);
        bool blockLearned = false;
        for (std::size_t i = begin; i < end; ++i) {
            Side& side = sides_[i];
            if (side.rulesOut(width, height))
                continue;
            const Shape candidate = shapeOf(side.cornerX, side.cornerY, width, height);
            const std::int32_t hit = grid.findCollision(candidate, placed);
            if (hit < 0)
                return &side;
            const Shape& other = placed[static_cast<std::size_t>(hit)];
            if (other.isSolid()) {
                side.block(std::max<std::int32_t>(1, other.x0 - side.cornerX + 1),
                           std::max<std::int32_t>(1, other.y0 - side.cornerY + 1));
                reaches_[i] = reachOf(side);
                blockLearned = true;
            }
        }
        if (blockLearned) {
            blocks_[block] = summarise(reaches_, begin, end);
            learned = true;
        }
        return nullptr;
    }

    Reach reachOf(const Side& side) const
    {
        Reach reach;
        for (int j = low_; j <= high_; ++j) {
            const i64 height = i64(1) << j;
            i64 width = side.closed || height > side.roomHeight ? 0 : std::min<i64>(side.roomWidth, INT32_MAX);
            for (std::int32_t i = 0; i < side.blockedCount; ++i) {
                if (side.blockedHeight[i] <= height)
                    width = std::min<i64>(width, side.blockedWidth[i] - 1);
            }
            reach.width[j] = static_cast<std::int32_t>(width);
        }
        return reach;
    }

    void widen(Reach& reach, const Reach& other) const
    {
        for (int j = low_; j <= high_; ++j)
            reach.width[j] = std::max(reach.width[j], other.width[j]);
    }

    Reach summarise(const std::vector<Reach>& parts, std::size_t begin, std::size_t end) const
    {
        Reach reach = parts[begin];
        for (std::size_t i = begin + 1; i < end; ++i)
            widen(reach, parts[i]);
        return reach;
    }

    std::vector<Side> sides_;
    std::vector<Reach> reaches_; // per side
    std::vector<Reach> blocks_;
    std::vector<Reach> groups_;
    int low_ = 0;
    int high_ = Reach::levels - 1;
};

// One run of pack(): the limits, the options and both indexes.
class LayoutRun {
public:
    LayoutRun(std::vector<PackEntry>& entries, PackMode mode, PackAlign alignment, i64 spacing, i64 maxWidth,
              i64 maxHeight)
        : entries_(entries), mode_(mode), centre_(alignment == AlignCentre), spacing_(spacing),
          maxWidth_(maxWidth), maxHeight_(maxHeight)
    {
    }

    // The number of entries placed: all of them, or the index of the first
    // that found no room.
    std::size_t run()
    {
        PackEntry& first = entries_[0];
        if (first.width < 0 || first.height < 0)
            return 0;
        first.x = static_cast<std::int32_t>(spacing_);
        first.y = static_cast<std::int32_t>(spacing_);
        if (spacing_ + first.width > maxWidth_ || spacing_ + first.height > maxHeight_)
            return 0;
        setUpIndexes();
        placed(0);
        for (std::size_t n = 1; n < entries_.size(); ++n) {
            if (!attach(n))
                return n;
        }
        return entries_.size();
    }

private:
    bool beside() const { return mode_ == PackAuto || mode_ == PackRight; }
    bool below() const { return mode_ == PackAuto || mode_ == PackDown; }

    void setUpIndexes()
    {
        // Nothing is placed beyond the limits nor beyond all sizes and gaps
        // laid end to end; the grid covers that and aims at cells about the
        // size of a typical entry, with at most a few cells per entry.
        i64 sumWidth = spacing_, sumHeight = spacing_, sumSide = 0;
        for (const PackEntry& e : entries_) {
            sumWidth += std::max(e.width, 0) + spacing_;
            sumHeight += std::max(e.height, 0) + spacing_;
            sumSide += std::max({e.width, e.height, 1});
        }
        const i64 extentWidth = std::min(maxWidth_, sumWidth);
        const i64 extentHeight = std::min(maxHeight_, sumHeight);
        const i64 typical = sumSide / static_cast<i64>(entries_.size());
        int shift = 3;
        while (shift < 30 && (i64(2) << shift) <= typical)
            ++shift;
        const i64 cellLimit = std::max<i64>(1 << 12, 4 * static_cast<i64>(entries_.size()));
        while (shift < 30 && ((extentWidth >> shift) + 1) * ((extentHeight >> shift) + 1) > cellLimit)
            ++shift;
        grid_.reset(extentWidth, extentHeight, shift);
        shapes_.clear();
        shapes_.reserve(entries_.size());
        i64 minHeight = INT32_MAX, maxHeight = 1;
        anyDegenerate_ = false;
        for (const PackEntry& e : entries_) {
            anyDegenerate_ = anyDegenerate_ || e.width == 0 || e.height == 0;
            if (e.height > 0) {
                minHeight = std::min<i64>(minHeight, e.height);
                maxHeight = std::max<i64>(maxHeight, e.height);
            }
        }
        minHeight = std::min(minHeight, maxHeight);
        besideSides_.clear(minHeight, maxHeight);
        belowSides_.clear(minHeight, maxHeight);
    }

    // Registers entry n, just placed, with the grid and the side lists.
    void placed(std::size_t n)
    {
        const PackEntry& e = entries_[n];
        shapes_.push_back(shapeOf(e.x, e.y, e.width, e.height));
        // A solid candidate that meets a rectangle lying wholly inside
        // another one meets that other one too, so with no zero-size entry
        // about (whose test is not a plain overlap) the inner one need not
        // be listed.
        if (anyDegenerate_ || !shapes_.back().isSolid() || !grid_.covers(shapes_.back(), shapes_))
            grid_.insert(static_cast<std::int32_t>(n), shapes_.back());
        const i64 right = i64(e.x) + e.width;
        const i64 bottom = i64(e.y) + e.height;
        Side side{};
        side.owner = static_cast<std::int32_t>(n);
        if (beside()) {
            side.cornerX = static_cast<std::int32_t>(std::min(right + spacing_, maxWidth_));
            side.cornerY = e.y;
            side.roomWidth = maxWidth_ - spacing_ - right - 1;
            side.roomHeight = maxHeight_ - bottom - 1;
            if (side.roomWidth >= 1 && side.roomHeight >= 1)
                besideSides_.add(side);
        }
        if (below()) {
            side.cornerX = e.x;
            side.cornerY = static_cast<std::int32_t>(std::min(bottom + spacing_, maxHeight_));
            side.roomWidth = maxWidth_ - right - 1;
            side.roomHeight = maxHeight_ - spacing_ - bottom - 1;
            if (side.roomWidth >= 1 && side.roomHeight >= 1)
                belowSides_.add(side);
        }
    }

    bool attach(std::size_t n)
    {
        PackEntry& e = entries_[n];
        if (e.width < 0 || e.height < 0)
            return false;
        if (e.width == 0 || e.height == 0)
            return attachDegenerate(n);
        if (beside()) {
            if (const Side* side = besideSides_.findRoom(e.width, e.height, grid_, shapes_)) {
                placeBeside(e, entries_[static_cast<std::size_t>(side->owner)]);
                placed(n);
                return true;
            }
        }
        if (below()) {
            if (const Side* side = belowSides_.findRoom(e.width, e.height, grid_, shapes_)) {
                placeBelow(e, entries_[static_cast<std::size_t>(side->owner)]);
                placed(n);
                return true;
            }
        }
        return false;
    }

    // The plain walk over every earlier entry, for a zero-width or
    // zero-height entry.
    bool attachDegenerate(std::size_t n)
    {
        PackEntry& e = entries_[n];
        if (beside()) {
            for (std::size_t k = 0; k < n; ++k) {
                const PackEntry& other = entries_[k];
                const i64 x = i64(other.x) + other.width + spacing_;
                if (x + e.width >= maxWidth_ || i64(other.y) + other.height + e.height >= maxHeight_)
                    continue;
                if (grid_.findCollision(shapeOf(x, other.y, e.width, e.height), shapes_) >= 0)
                    continue;
                placeBeside(e, other);
                placed(n);
                return true;
            }
        }
        if (below()) {
            for (std::size_t k = 0; k < n; ++k) {
                const PackEntry& other = entries_[k];
                const i64 y = i64(other.y) + other.height + spacing_;
                if (i64(other.x) + other.width + e.width >= maxWidth_ || y + e.height >= maxHeight_)
                    continue;
                if (grid_.findCollision(shapeOf(other.x, y, e.width, e.height), shapes_) >= 0)
                    continue;
                placeBelow(e, other);
                placed(n);
                return true;
            }
        }
        return false;
    }

    void placeBeside(PackEntry& e, const PackEntry& k) const
    {
        e.x = static_cast<std::int32_t>(i64(k.x) + k.width + spacing_);
        e.y = k.y;
        if (centre_)
            centre(e, e.x, std::max(0, k.height / 2 + k.y - e.height / 2));
    }

    void placeBelow(PackEntry& e, const PackEntry& k) const
    {
        e.y = static_cast<std::int32_t>(i64(k.y) + k.height + spacing_);
        e.x = k.x;
        if (centre_)
            centre(e, std::max(0, k.width / 2 + k.x - e.width / 2), e.y);
    }

    // Moves e, placed edge-aligned, to its centred position, unless it would
    // collide there with an earlier entry (the edge-aligned position passed
    // the room test, the centred one has to pass it too).
    void centre(PackEntry& e, std::int32_t x, std::int32_t y) const
    {
        if (grid_.findCollision(shapeOf(x, y, e.width, e.height), shapes_) >= 0)
            return;
        e.x = x;
        e.y = y;
    }

    std::vector<PackEntry>& entries_;
    const PackMode mode_;
    const bool centre_;
    const i64 spacing_;
    const i64 maxWidth_;
    const i64 maxHeight_;
    OccupancyGrid grid_;
    bool anyDegenerate_ = false;
    std::vector<Shape> shapes_;
    SideList besideSides_;
    SideList belowSides_;
};

} // namespace

void CPacker::clear()
{
    entries_.clear();
    entries_.shrink_to_fit();
}

PackEntry& CPacker::entry(std::uint32_t index)
{
    assert(index < entries_.size());
    return entries_[index];
}

const PackEntry& CPacker::entry(std::uint32_t index) const
{
    assert(index < entries_.size());
    return entries_[index];
}

void CPacker::insertEntry(std::uint32_t index, const PackEntry& entry)
{
    const std::size_t at = std::min<std::size_t>(index, entries_.size());
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

std::int32_t CPacker::findEntry(const String& name) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].name.equals(name))
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

bool CPacker::pack(std::uint32_t maxWidth, std::uint32_t maxHeight)
{
    placedCount_ = 0;
    if (entries_.empty())
        return true;
    if (spacing_ > INT32_MAX)
        return false;
    LayoutRun run(entries_, mode_, alignment_, spacing_, std::min<i64>(maxWidth, INT32_MAX),
                  std::min<i64>(maxHeight, INT32_MAX));
    placedCount_ = static_cast<std::uint32_t>(run.run());
    return placedCount_ == entries_.size();
}

// Whether pack(side, side) must fail, judged without running it: an entry too
// large for the square, or (edge alignment, where placed images never
// overlap) more image area than the square holds. Skipping such squares
// changes nothing but the time taken, since a later successful pack sets
// every position afresh.
static bool cannotFit(const std::vector<PackEntry>& entries, PackAlign alignment, i64 spacing, i64 side)
{
    i64 area = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackEntry& e = entries[i];
        const i64 reserve = i == 0 ? spacing : 1;
        if (e.width + reserve > side || e.height + reserve > side)
            return true;
        area += i64(std::max(e.width, 0)) * std::max(e.height, 0);
    }
    return alignment == AlignEdge && area > side * side;
}

static i64 powerOfTwoAtLeast(i64 value)
{
    i64 p = 1;
    while (p < value)
        p *= 2;
    return value == 0 ? 0 : p;
}

std::optional<CanvasSize> CPacker::packCanvas(bool tightPack, const CanvasRules& rules)
{
    const i64 maxSize = rules.maxSize == 0 ? maxImageSide : std::min<i64>(rules.maxSize, maxImageSide);
    const i64 margin = rules.border ? i64(*rules.border) : i64(spacing_);
    // The entries are packed as if the margin were the spacing, then moved.
    const i64 shift = margin - i64(spacing_);
    std::vector<i64> sides;
    for (i64 side = 64; side <= maxSize; side *= 2)
        sides.push_back(side);
    if (sides.empty() || sides.back() != maxSize) {
        if (!rules.pot)
            sides.push_back(maxSize);
        else if (maxSize < 64)
            sides.push_back(powerOfTwoAtLeast(maxSize + 1) / 2);
    }
    for (const i64 side : sides) {
        const i64 limit = side - shift;
        if (limit < 1 || limit > INT32_MAX)
            continue;
        if (side < maxSize && cannotFit(entries_, alignment_, spacing_, limit))
            continue;
        if (!pack(static_cast<std::uint32_t>(limit), static_cast<std::uint32_t>(limit)))
            continue;
        i64 width = side, height = side;
        if (tightPack) {
            width = 0;
            height = 0;
            for (const PackEntry& e : entries_) {
                width = std::max(width, i64(e.x) + e.width + shift);
                height = std::max(height, i64(e.y) + e.height + shift);
            }
            width += margin;
            height += margin;
        }
        if (rules.pot) {
            width = powerOfTwoAtLeast(width);
            height = powerOfTwoAtLeast(height);
        }
        if (rules.square)
            width = height = std::max(width, height);
        if (width > maxSize || height > maxSize) {
            // Only a larger square could still do, and with the defaults
            // (tight, margin = spacing) none does: its layout is the same.
            if (tightPack && shift == 0 && !rules.pot && !rules.square)
                return std::nullopt;
            continue;
        }
        if (shift != 0) {
            for (PackEntry& e : entries_) {
                e.x = static_cast<std::int32_t>(e.x + shift);
                e.y = static_cast<std::int32_t>(e.y + shift);
            }
        }
        return CanvasSize{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)};
    }
    return std::nullopt;
}
