// CBestPacker: skyline with a waste list, and the canvas search over bins.
#include "app/pack/CBestPacker.h"

#include "app/pack/CFreeRectBin.h"
#include "image/ImageLimits.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <optional>
#include <type_traits>

namespace {

using i64 = std::int64_t;

// One segment of the skyline: columns [x, x + width) are free from row y
// down. Segments are kept in column order, cover the bin's width and never
// have a neighbour at the same row.
struct Segment {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
};

struct Rect {
    std::int32_t x;
    std::int32_t y;
    std::int32_t width;
    std::int32_t height;
};

// Which skyline spot an image takes: the one where its top edge is highest
// up (the atlas fills row by row), or the one where its bottom edge is
// (which keeps the skyline flatter under images of mixed heights). Among
// equals the leftmost, which keeps the low ground together.
enum class SkylineRule { HighestTop, HighestBottom };

class SkylineBin {
public:
    SkylineBin(std::int32_t width, std::int32_t height, std::int32_t minWidth, std::int32_t minHeight,
               SkylineRule rule)
        : width_(width), height_(height), minWidth_(minWidth), minHeight_(minHeight), rule_(rule)
    {
        segments_.push_back({0, 0, width});
    }

    // Places a width x height rectangle, or with `mayTurn` a height x width
    // one when that sits better (`turned` says which); false when it fits
    // nowhere.
    bool place(std::int32_t width, std::int32_t height, bool mayTurn, std::int32_t& x, std::int32_t& y, bool& turned)
    {
        mayTurn = mayTurn && width != height;
        if (placeInWaste(width, height, mayTurn, x, y, turned))
            return true;
        Spot best = findSpot(width, height);
        turned = false;
        if (mayTurn) {
            const Spot other = findSpot(height, width);
            if (other.found && (!best.found || other.key < best.key)) {
                best = other;
                turned = true;
            }
        }
        if (!best.found)
            return false;
        const std::int32_t placedWidth = turned ? height : width;
        const std::int32_t placedHeight = turned ? width : height;
        x = segments_[best.segment].x;
        y = best.top;
        raise(best.segment, placedWidth, placedHeight, best.top);
        return true;
    }

private:
    struct Spot {
        bool found = false;
        std::size_t segment = 0;
        std::int32_t top = 0;
        // Compared as the rule says: (top, bottom, left) or (bottom, top, left).
        std::array<std::int64_t, 3> key{};
    };

    // The spot where the rectangle's top is highest up, the leftmost among
    // equals; for one size that is also where its bottom is. The rule
    // orders the keys when a turned size competes.
    Spot findSpot(std::int32_t width, std::int32_t height) const
    {
        Spot best;
        std::int32_t bestTop = std::numeric_limits<std::int32_t>::max();
        for (std::size_t i = 0; i < segments_.size(); ++i) {
            ++work_;
            const std::int32_t left = segments_[i].x;
            if (left > width_ - width)
                break;
            const std::int32_t top = topOver(i, left + width);
            if (top > height_ - height || top >= bestTop)
                continue;
            bestTop = top;
            best.found = true;
            best.segment = i;
            best.top = top;
        }
        if (best.found) {
            const std::int64_t top = best.top, bottom = top + height, left = segments_[best.segment].x;
            best.key = rule_ == SkylineRule::HighestTop ? std::array<std::int64_t, 3>{top, bottom, left}
                                                         : std::array<std::int64_t, 3>{bottom, top, left};
        }
        return best;
    }

    // The highest free row over columns from segment i's start to `right`.
    std::int32_t topOver(std::size_t i, std::int32_t right) const
    {
        std::int32_t top = 0;
        for (std::size_t j = i; j < segments_.size() && segments_[j].x < right; ++j) {
            ++work_;
            top = std::max(top, segments_[j].y);
        }
        return top;
    }

    // Puts the rectangle on segment i at row top: the gaps under it go to the
    // waste list, its top edge becomes one segment.
    void raise(std::size_t i, std::int32_t width, std::int32_t height, std::int32_t top)
    {
        const std::int32_t left = segments_[i].x;
        const std::int32_t right = left + width;
        std::size_t j = i;
        while (j < segments_.size() && segments_[j].x < right) {
            ++work_;
            Segment& s = segments_[j];
            const std::int32_t segmentRight = std::min(right, s.x + s.width);
            if (s.y < top)
                addWaste({s.x, s.y, segmentRight - s.x, top - s.y});
            ++j;
        }
        // Segments i .. j - 1 become the rectangle's top edge, followed by
        // what segment j - 1 has past the rectangle.
        const Segment last = segments_[j - 1];
        const std::int32_t lastRight = last.x + last.width;
        segments_[i] = {left, top + height, width};
        const auto at = [this](std::size_t index) { return segments_.begin() + static_cast<std::ptrdiff_t>(index); };
        if (lastRight <= right) {
            segments_.erase(at(i + 1), at(j));
        } else if (j - i >= 2) {
            segments_[i + 1] = {right, last.y, lastRight - right};
            segments_.erase(at(i + 2), at(j));
        } else {
            segments_.insert(at(i + 1), Segment{right, last.y, lastRight - right});
        }
        // Merge equal neighbours around the new segment.
        if (i + 1 < segments_.size() && segments_[i + 1].y == segments_[i].y) {
            segments_[i].width += segments_[i + 1].width;
            segments_.erase(segments_.begin() + static_cast<std::ptrdiff_t>(i + 1));
        }
        if (i > 0 && segments_[i - 1].y == segments_[i].y) {
            segments_[i - 1].width += segments_[i].width;
            segments_.erase(segments_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }

    // Gaps narrower or lower than any image (turned, when images turn) can
    // take nothing.
    void addWaste(const Rect& r)
    {
        if (r.width >= minWidth_ && r.height >= minHeight_)
            waste_.push_back(r);
    }

    // Best short-side fit among the gaps (turned when that fits tighter);
    // the chosen gap is cut in two along its shorter leftover.
    bool placeInWaste(std::int32_t width, std::int32_t height, bool mayTurn, std::int32_t& x, std::int32_t& y,
                      bool& turned)
    {
        std::size_t best = waste_.size();
        std::int32_t bestFit = std::numeric_limits<std::int32_t>::max();
        turned = false;
        work_ += static_cast<std::int64_t>(waste_.size());
        // The common case first: the one size only (the hot loop of large
        // sets with many gaps).
        for (std::size_t i = 0; i < waste_.size() && !mayTurn; ++i) {
            const Rect& r = waste_[i];
            if (r.width < width || r.height < height)
                continue;
            const std::int32_t fit = std::min(r.width - width, r.height - height);
            if (fit < bestFit) {
                best = i;
                bestFit = fit;
            }
        }
        for (std::size_t i = 0; i < waste_.size() && mayTurn; ++i) {
            const Rect& r = waste_[i];
            for (int turn = 0; turn < 2; ++turn) {
                const std::int32_t w = turn ? height : width;
                const std::int32_t h = turn ? width : height;
                if (r.width < w || r.height < h)
                    continue;
                const std::int32_t fit = std::min(r.width - w, r.height - h);
                if (fit < bestFit) {
                    best = i;
                    bestFit = fit;
                    turned = turn != 0;
                }
            }
        }
        if (best == waste_.size())
            return false;
        const std::int32_t w = turned ? height : width;
        const std::int32_t h = turned ? width : height;
        const Rect r = waste_[best];
        waste_.erase(waste_.begin() + static_cast<std::ptrdiff_t>(best));
        x = r.x;
        y = r.y;
        if (r.width - w < r.height - h) {
            addWaste({r.x + w, r.y, r.width - w, h});
            addWaste({r.x, r.y + h, r.width, r.height - h});
        } else {
            addWaste({r.x + w, r.y, r.width - w, r.height});
            addWaste({r.x, r.y + h, w, r.height - h});
        }
        return true;
    }

    std::int32_t width_;
    std::int32_t height_;
    std::int32_t minWidth_;
    std::int32_t minHeight_;
    SkylineRule rule_;
    std::vector<Segment> segments_;
    std::vector<Rect> waste_;
    mutable std::int64_t work_ = 0;

public:
    // Segments and gaps looked at so far: the cost of the placements.
    std::int64_t work() const { return work_; }
};

// The integer square root, rounded up.
i64 ceilSqrt(i64 value)
{
    i64 low = 0, high = 1;
    while (high * high < value)
        high *= 2;
    while (low < high) {
        const i64 middle = (low + high) / 2;
        if (middle * middle < value)
            low = middle + 1;
        else
            high = middle;
    }
    return std::max<i64>(1, low);
}

i64 powerOfTwoAtLeast(i64 value)
{
    i64 p = 1;
    while (p < value)
        p *= 2;
    return p;
}

// The limits of a search and what the sizes that can fit at all need.
struct Bounds {
    i64 maxSize = 0;  // the largest canvas side (a power of two with pot)
    i64 maxInner = 0; // the largest bin side for sizes plus spacing; < 1 when nothing fits
    i64 area = 0;     // of the sizes that fit a bin of maxInner, spacing included
    i64 widest = 1;
    i64 tallest = 1;
};

// With rotation `widest` and `tallest` are the largest narrow side: every
// image can turn to it.
Bounds boundsOf(const std::vector<BestSize>& sizes, const BestRules& rules)
{
    Bounds b;
    b.maxSize = std::min<i64>(rules.maxSize, maxImageSide);
    if (rules.pot)
        b.maxSize = b.maxSize > 0 ? powerOfTwoAtLeast(b.maxSize + 1) / 2 : 0;
    // Spacing and margin beyond a page leave no room (and keep sums small).
    if (rules.spacing > b.maxSize || rules.margin > b.maxSize)
        return b;
    b.maxInner = b.maxSize - 2 * i64(rules.margin) + rules.spacing;
    for (const BestSize& s : sizes) {
        const i64 width = i64(s.width) + rules.spacing;
        const i64 height = i64(s.height) + rules.spacing;
        if (s.width < 0 || s.height < 0 || width > b.maxInner || height > b.maxInner)
            continue;
        b.area += width * height;
        b.widest = std::max(b.widest, rules.rotate ? std::min(width, height) : width);
        b.tallest = std::max(b.tallest, rules.rotate ? std::min(width, height) : height);
    }
    return b;
}

// One packed bin, judged as a canvas.
struct Candidate {
    std::vector<std::int32_t> x;
    std::vector<std::int32_t> y;
    std::vector<std::uint8_t> turned;
    std::size_t placed = 0;
    i64 width = 0;
    i64 height = 0;
    bool valid = false; // every size placed and the canvas within maxSize
    std::size_t plan = 0; // the plan and bin width that gave it, for refining
    i64 binWidth = 0;

    bool betterThan(const Candidate& other) const
    {
        if (!other.valid)
            return valid;
        if (!valid)
            return false;
        const i64 area = width * height;
        const i64 otherArea = other.width * other.height;
        if (area != otherArea)
            return area < otherArea;
        if (std::max(width, height) != std::max(other.width, other.height))
            return std::max(width, height) < std::max(other.width, other.height);
        return width < other.width;
    }
};

// How the images face before packing: as given, or (with rotation) each
// turned to lie flat (no taller than wide) or to stand.
enum class Facing { Given, Lying, Standing };

// The orders images can be placed in; every one ends with the index, so
// ties go by input order. BigFirst places the images far larger than the
// typical one (16 times the median area or more) first, largest area
// first, and the others by height.
enum class OrderKey { Height, LongSide, Area, Width, BigFirst };

// What places the images: the skyline (with its waste list) or the free
// rectangles (CFreeRectBin) by the highest bottom edge, both in a bin as high
// as the page, or the free rectangles by best short side fit in a bin of the
// height that would beat the best canvas so far.
enum class Engine { Skyline, FreeTop, FreeShortSide };

// One way of packing a bin: the facing, the order, the skyline rule, and
// whether each image may still turn where it is placed. A transposed plan
// packs the images with width and height swapped and swaps the positions
// back: the skyline then fills the atlas from the left, column by column.
struct Plan {
    Facing facing;
    OrderKey order;
    SkylineRule rule;
    bool mayTurn;
    i64 cost; // a bin's work before one was measured, against the first plan's 1
    Engine engine = Engine::Skyline;
    bool transposed = false;
};

// The area from which an image counts as big for BigFirst: 16 times the
// median area.
i64 bigAreaOf(const std::vector<BestSize>& sizes)
{
    if (sizes.empty())
        return std::numeric_limits<i64>::max();
    std::vector<i64> areas;
    areas.reserve(sizes.size());
    for (const BestSize& s : sizes)
        areas.push_back(i64(s.width) * s.height);
    std::nth_element(areas.begin(), areas.begin() + static_cast<std::ptrdiff_t>(areas.size() / 2), areas.end());
    return std::max<i64>(1, areas[areas.size() / 2]) * 16;
}

std::vector<std::uint32_t> orderBy(const std::vector<BestSize>& sizes, OrderKey key)
{
    const i64 bigArea = key == OrderKey::BigFirst ? bigAreaOf(sizes) : std::numeric_limits<i64>::max();
    // (first key, second key, index), sorted descending by the keys; a big
    // image's first key is its area above every other key.
    struct Ranked {
        i64 first;
        i64 second;
        std::uint32_t index;
    };
    std::vector<Ranked> ranked(sizes.size());
    for (std::uint32_t i = 0; i < ranked.size(); ++i) {
        const BestSize& s = sizes[i];
        const i64 area = i64(s.width) * s.height;
        switch (key) {
        case OrderKey::Height: ranked[i] = {s.height, s.width, i}; break;
        case OrderKey::LongSide: ranked[i] = {std::max(s.width, s.height), std::min(s.width, s.height), i}; break;
        case OrderKey::Area: ranked[i] = {area, s.height, i}; break;
        case OrderKey::Width: ranked[i] = {s.width, s.height, i}; break;
        case OrderKey::BigFirst:
            ranked[i] = area >= bigArea ? Ranked{(i64(1) << 40) + area, s.height, i} : Ranked{s.height, s.width, i};
            break;
        }
    }
    std::sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
        if (a.first != b.first)
            return a.first > b.first;
        if (a.second != b.second)
            return a.second > b.second;
        return a.index < b.index;
    });
    std::vector<std::uint32_t> order(sizes.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = ranked[i].index;
    return order;
}

// The plans tried (see searchWidths for when). Measured on the size mixes of
// bench/maxrects_bench.cpp: the skyline in height order is the cheapest
// good one and ranks the widths; the free rectangles by highest bottom edge
// in height order, as given or transposed, win most sets from a few
// hundred images on (strips of either orientation and mixed sets pack
// better one way or the other); big images first suits a few giants among
// many tiny ones; best short side fit in a bin of fixed height, and the
// long-side and area orders, win some small sets. The first few skyline
// plans are those of the square and power-of-two searches. With rotation
// the same, with the images standing, lying or as given, and turning at
// the place for mixed sets.
std::vector<Plan> plansFor(bool rotate)
{
    using R = SkylineRule;
    if (!rotate) {
        return {{Facing::Given, OrderKey::Height, R::HighestTop, false, 1},
                {Facing::Given, OrderKey::BigFirst, R::HighestBottom, false, 1},
                {Facing::Given, OrderKey::LongSide, R::HighestBottom, false, 12},
                {Facing::Given, OrderKey::Area, R::HighestBottom, false, 12},
                {Facing::Given, OrderKey::Height, R::HighestTop, false, 3, Engine::FreeTop, false},
                {Facing::Given, OrderKey::Height, R::HighestTop, false, 1, Engine::Skyline, true},
                {Facing::Given, OrderKey::Height, R::HighestTop, false, 3, Engine::FreeTop, true},
                {Facing::Given, OrderKey::Area, R::HighestTop, false, 8, Engine::FreeShortSide, false},
                {Facing::Given, OrderKey::BigFirst, R::HighestTop, false, 3, Engine::FreeTop, false}};
    }
    return {{Facing::Standing, OrderKey::Height, R::HighestTop, false, 1},
            {Facing::Lying, OrderKey::BigFirst, R::HighestBottom, true, 3},
            {Facing::Lying, OrderKey::Height, R::HighestTop, false, 1},
            {Facing::Given, OrderKey::LongSide, R::HighestBottom, true, 16},
            {Facing::Standing, OrderKey::Area, R::HighestBottom, true, 16},
            {Facing::Standing, OrderKey::Height, R::HighestTop, false, 1, Engine::Skyline, true},
            {Facing::Given, OrderKey::Height, R::HighestTop, false, 3, Engine::FreeTop, false},
            {Facing::Standing, OrderKey::Height, R::HighestTop, false, 3, Engine::FreeTop, true},
            {Facing::Given, OrderKey::Area, R::HighestTop, true, 16, Engine::FreeShortSide, false},
            {Facing::Lying, OrderKey::Height, R::HighestTop, false, 3, Engine::FreeTop, false},
            {Facing::Given, OrderKey::BigFirst, R::HighestTop, false, 3, Engine::FreeTop, false},
            {Facing::Standing, OrderKey::Height, R::HighestTop, false, 3, Engine::FreeTop, false}};
}

// The plans of the square and power-of-two searches, and of the first
// version of the width search: the skyline, not transposed.
bool isClassic(const Plan& plan)
{
    return plan.engine == Engine::Skyline && !plan.transposed;
}

// The skyline bin with the free rectangles' interface.
class SkylinePlacer {
public:
    SkylinePlacer(std::int32_t width, std::int32_t height, std::int32_t minWidth, std::int32_t minHeight,
                  SkylineRule rule)
        : bin_(width, height, minWidth, minHeight, rule)
    {
    }
    bool place(std::int32_t width, std::int32_t height, bool mayTurn, std::int32_t& x, std::int32_t& y, bool& turned)
    {
        return bin_.place(width, height, mayTurn, x, y, turned);
    }
    void dropSmallerThan(std::int32_t, std::int32_t) {}
    std::int64_t work() const { return bin_.work(); }

private:
    SkylineBin bin_;
};

// Places the sizes in order into `bin`. With `stopAtMiss` it gives up at the
// first size that does not fit (the bin is then no candidate anyway); it
// always gives up once the bin's work passes `cap`.
template <typename Bin>
std::size_t placeAll(Bin& bin, const std::vector<BestSize>& sizes, const std::vector<std::uint32_t>& order,
                     bool mayTurn, std::int32_t spacing, std::int32_t binWidth, std::int32_t binHeight,
                     bool stopAtMiss, i64 cap, std::vector<std::int32_t>& x, std::vector<std::int32_t>& y,
                     std::vector<std::uint8_t>& turned)
{
    // The smallest sides still to come, from each position of the order on,
    // so the free rectangles no image can take any more are dropped.
    const bool dropping = !std::is_same_v<Bin, SkylinePlacer>;
    std::vector<std::int32_t> narrowest(dropping ? order.size() + 1 : 0, std::numeric_limits<std::int32_t>::max());
    std::vector<std::int32_t> lowest(narrowest.size(), std::numeric_limits<std::int32_t>::max());
    for (std::size_t k = dropping ? order.size() : 0; k-- > 0;) {
        const BestSize& s = sizes[order[k]];
        narrowest[k] = narrowest[k + 1];
        lowest[k] = lowest[k + 1];
        if (s.width > 0 && s.height > 0) {
            narrowest[k] = std::min(narrowest[k], (mayTurn ? std::min(s.width, s.height) : s.width) + spacing);
            lowest[k] = std::min(lowest[k], (mayTurn ? std::min(s.width, s.height) : s.height) + spacing);
        }
    }
    std::size_t placed = 0;
    for (std::size_t k = 0; k < order.size() && bin.work() <= cap; ++k) {
        const std::uint32_t i = order[k];
        const BestSize& s = sizes[i];
        if (s.width < 0 || s.height < 0)
            continue;
        if (s.width == 0 || s.height == 0) {
            // Nothing to draw and nothing to overlap: the bin's corner.
            x[i] = 0;
            y[i] = 0;
            ++placed;
            continue;
        }
        if (dropping && k > 0 && (narrowest[k] != narrowest[k - 1] || lowest[k] != lowest[k - 1]))
            bin.dropSmallerThan(narrowest[k], lowest[k]);
        const i64 width = i64(s.width) + spacing;
        const i64 height = i64(s.height) + spacing;
        const bool fits = width <= binWidth && height <= binHeight;
        const bool fitsTurned = mayTurn && height <= binWidth && width <= binHeight;
        bool turn = false;
        if ((fits || fitsTurned) &&
            bin.place(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), mayTurn, x[i], y[i], turn)) {
            turned[i] = turn ? 1 : 0;
            ++placed;
        } else if (stopAtMiss) {
            break;
        }
    }
    return placed;
}

// One bin packed by a plan over sizes that already face (and are swapped)
// as the plan says; `turned` gets 1 for the images turned at their place.
// `work` gets what it cost; past `cap` it stops, not placing the rest.
std::size_t packPlannedBin(const std::vector<BestSize>& sizes, const std::vector<std::uint32_t>& order,
                           const Plan& plan, std::int32_t spacing, std::int32_t binWidth, std::int32_t binHeight,
                           std::vector<std::int32_t>& x, std::vector<std::int32_t>& y, std::vector<std::uint8_t>& turned,
                           i64& work, i64 cap = std::numeric_limits<i64>::max())
{
    work = static_cast<i64>(sizes.size()) * 32 + 2000; // the per-image and per-bin share
    x.assign(sizes.size(), -1);
    y.assign(sizes.size(), -1);
    turned.assign(sizes.size(), 0);
    if (plan.engine != Engine::Skyline) {
        CFreeRectBin bin(binWidth, binHeight,
                         plan.engine == Engine::FreeTop ? CFreeRectBin::Rule::TopEdge : CFreeRectBin::Rule::ShortSide);
        const std::size_t placed =
            placeAll(bin, sizes, order, plan.mayTurn, spacing, binWidth, binHeight, true, cap, x, y, turned);
        work += bin.work();
        return placed;
    }
    std::int32_t minWidth = std::numeric_limits<std::int32_t>::max();
    std::int32_t minHeight = std::numeric_limits<std::int32_t>::max();
    for (const BestSize& s : sizes) {
        if (s.width > 0 && s.height > 0) {
            const std::int32_t narrow = plan.mayTurn ? std::min(s.width, s.height) : s.width;
            const std::int32_t low = plan.mayTurn ? std::min(s.width, s.height) : s.height;
            minWidth = std::min(minWidth, narrow + spacing);
            minHeight = std::min(minHeight, low + spacing);
        }
    }
    SkylinePlacer bin(binWidth, binHeight, minWidth, minHeight, plan.rule);
    const std::size_t placed =
        placeAll(bin, sizes, order, plan.mayTurn, spacing, binWidth, binHeight, false, cap, x, y, turned);
    work += bin.work();
    return placed;
}

// The work a width search may do, counted as the free rectangles, skyline
// segments and gaps the bins look at, plus a share per image and bin for
// the rest of packing one (see packPlannedBin): about 30 to 45 ms of
// processor time on a two-core Debian 12 machine, whatever the set.
constexpr i64 searchWork = 16000000;

// The indexes 0 .. count - 1, coarse to fine: the middle, the quarters, the
// eighths and so on (each level in increasing order), then the ends.
std::vector<std::size_t> coarseToFine(std::size_t count)
{
    std::vector<std::size_t> order;
    std::vector<std::uint8_t> taken(count, 0);
    for (std::size_t parts = 2; parts / 2 <= count; parts *= 2) {
        for (std::size_t k = 1; k < parts; k += 2) {
            const std::size_t index = k * (count - 1) / parts;
            if (count > 0 && !taken[index]) {
                taken[index] = 1;
                order.push_back(index);
            }
        }
    }
    for (std::size_t index = 0; index < count; ++index) {
        if (!taken[index])
            order.push_back(index);
    }
    return order;
}

// The most images the best short side fit is tried for: its free
// rectangles grow with the set, so its cost grows with the square of it.
constexpr std::size_t shortSideImages = 2000;

// From how many images the free rectangles lead the width search.
constexpr std::size_t freeFirstImages = 2000;

// Below how many images the skyline sweeps every width even when the free
// rectangles lead.
constexpr std::size_t skylineSweepImages = 5000;

// Compacting the canvas' edges: at most this many rounds over both edges,
// attempts per edge and images moved at once; the free room is looked for
// in a band this many times the deepest moved image deep.
constexpr int compactRounds = 8;
constexpr int compactTries = 40;
constexpr std::size_t compactImages = 1024;
constexpr i64 compactBand = 2;
constexpr i64 compactWork = 3000000;

// The bin widths of the canvas search: as many as keep the work near that
// of `perImages` placements, from 8 to 64 (see bestSearchWidths).
std::vector<std::int32_t> searchWidthsFor(const std::vector<BestSize>& sizes, const BestRules& rules, i64 perImages);

class BestSearch {
public:
    BestSearch(const std::vector<BestSize>& sizes, const BestRules& rules)
        : sizes_(sizes), rules_(rules), plans_(plansFor(rules.rotate)), spacing_(rules.spacing),
          margin_(rules.margin), tight_(rules.tight), pot_(rules.pot), square_(rules.square)
    {
        const Bounds bounds = boundsOf(sizes, rules);
        maxSize_ = bounds.maxSize;
        maxInner_ = bounds.maxInner;
        area_ = bounds.area;
        widest_ = bounds.widest;
        tallest_ = bounds.tallest;
        // Plans are prepared when first used. Big images first is the
        // height order when there are none: that plan is then not tried.
        // The canvas that is not tight is the searched width, which a
        // transposed plan does not search.
        if (!tight_) {
            plans_.erase(std::remove_if(plans_.begin(), plans_.end(), [](const Plan& plan) { return plan.transposed; }),
                         plans_.end());
        }
        prepared_.resize(plans_.size());
        lastWork_.assign(plans_.size(), 0);
        freeTopPlan_ = plans_.size();
        for (std::size_t k = 0; k < plans_.size(); ++k) {
            if (plans_[k].engine == Engine::FreeTop && plans_[k].order != OrderKey::BigFirst && !plans_[k].transposed &&
                freeTopPlan_ == plans_.size())
                freeTopPlan_ = k;
        }
        const i64 bigArea = bigAreaOf(sizes);
        hasBig_ = std::any_of(sizes.begin(), sizes.end(),
                              [&](const BestSize& s) { return i64(s.width) * s.height >= bigArea; });
    }

    i64 spent() const { return spent_; }

    Candidate run()
    {
        Candidate best;
        if (maxInner_ < 1)
            return evaluate(0, 0, 0);
        // More area than the largest bin holds: no search can take it all.
        if (area_ > maxInner_ * maxInner_)
            return evaluate(0, maxInner_, maxInner_);
        if (square_) {
            best = searchSquare();
        } else if (pot_) {
            best = searchPowersOfTwo();
        } else {
            best = searchWidths();
            if (best.valid && tight_)
                compact(best);
        }
        if (best.valid)
            return best;
        // Not everything fits: as much as the largest bin takes.
        return evaluate(0, maxInner_, maxInner_);
    }

private:
    // A plan's sizes (facing as it says), which of them that turned, and its
    // order.
    struct Prepared {
        std::vector<BestSize> sizes;
        std::vector<std::uint8_t> turned;
        std::vector<std::uint32_t> order;
    };

    Prepared prepare(const Plan& plan) const
    {
        Prepared p;
        p.sizes = sizes_;
        p.turned.assign(sizes_.size(), 0);
        for (std::size_t i = 0; i < sizes_.size(); ++i) {
            const BestSize& s = sizes_[i];
            const bool turn = (plan.facing == Facing::Lying && s.height > s.width) ||
                              (plan.facing == Facing::Standing && s.width > s.height);
            if (turn) {
                p.sizes[i] = {s.height, s.width};
                p.turned[i] = 1;
            }
            if (plan.transposed)
                p.sizes[i] = {p.sizes[i].height, p.sizes[i].width};
        }
        p.order = orderBy(p.sizes, plan.order);
        return p;
    }

    // Packs with plan k into an inner bin (sizes plus spacing) of width x
    // height.
    Candidate evaluate(std::size_t k, i64 width, i64 height, i64 cap = std::numeric_limits<i64>::max())
    {
        i64 work = 0;
        if (!prepared_[k])
            prepared_[k] = prepare(plans_[k]);
        const Prepared& p = *prepared_[k];
        Candidate c;
        c.x.assign(sizes_.size(), -1);
        c.y.assign(sizes_.size(), -1);
        c.turned.assign(sizes_.size(), 0);
        if (width >= 1 && height >= 1) {
            c.placed = packPlannedBin(p.sizes, p.order, plans_[k], static_cast<std::int32_t>(spacing_),
                                      static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), c.x, c.y,
                                      c.turned, work, cap);
            spent_ += work;
            lastWork_[k] = work;
            if (workUnit_ == 0)
                workUnit_ = std::max<i64>(1, work / std::max<i64>(1, plans_[k].cost));
        }
        if (plans_[k].transposed)
            std::swap(c.x, c.y);
        c.plan = k;
        c.binWidth = width;

        i64 usedWidth = 0, usedHeight = 0;
        for (std::size_t i = 0; i < sizes_.size(); ++i) {
            c.turned[i] = c.turned[i] != p.turned[i] ? 1 : 0;
            if (c.x[i] < 0)
                continue;
            c.x[i] = static_cast<std::int32_t>(c.x[i] + margin_);
            c.y[i] = static_cast<std::int32_t>(c.y[i] + margin_);
            const BestSize& s = sizes_[i];
            usedWidth = std::max<i64>(usedWidth, i64(c.x[i]) + (c.turned[i] ? s.height : s.width));
            usedHeight = std::max<i64>(usedHeight, i64(c.y[i]) + (c.turned[i] ? s.width : s.height));
        }
        // As in the exact layout: the used extent (from 0) plus the margin.
        c.width = tight_ ? usedWidth + margin_ : std::max<i64>(width - spacing_ + 2 * margin_, 0);
        c.height = usedHeight + margin_;
        if (pot_) {
            c.width = powerOfTwoAtLeast(c.width);
            c.height = powerOfTwoAtLeast(c.height);
        }
        if (square_)
            c.width = c.height = std::max(c.width, c.height);
        c.valid = c.placed == sizes_.size() && c.width <= maxSize_ && c.height <= maxSize_;
        if (c.width > maxSize_ || c.height > maxSize_) {
            c.width = std::min(c.width, maxSize_);
            c.height = std::min(c.height, maxSize_);
        }
        // A canvas without a gap cannot be beaten: the search ends.
        if (c.valid && spacing_ == 0 && margin_ == 0 && c.width * c.height == area_)
            limit_ = spent_;
        return c;
    }

    // One bin width to try and what it came to: the canvas area and height
    // (the height sets where the transposed plans look).
    struct Tried {
        i64 area;
        i64 height;
        std::int32_t width;
    };

    // The primary plan runs over every width of the search: the skyline for
    // small sets, the free rectangles for large ones (where they are worth
    // their cost). Then, each step spending about half of what is left of
    // the budget (see searchWork): the transposed free rectangles in bins
    // as wide as the best canvases so far were high; the other of the two
    // first plans at the best widths; the best short side fit in lower bins
    // (small sets); the big images first and the transposed skyline; the
    // best width refined by halving steps; small sets try a wider range of
    // widths (50 % to 250 % of the square's side); the long-side and area
    // orders take what is left.
    Candidate searchWidths()
    {
        limit_ = searchWork;
        Candidate best;
        std::size_t primary = sizes_.size() >= freeFirstImages && freeTopPlan_ < plans_.size() ? freeTopPlan_ : 0;
        const std::vector<std::int32_t> widths = bestSearchWidths(sizes_, rules_);
        const std::vector<std::size_t> coarse = coarseToFine(widths.size());
        std::vector<Tried> ranked;
        const auto sweep = [&](std::size_t k, std::int32_t width, i64 cap) {
            Candidate c = evaluate(k, width, maxInner_, cap);
            ranked.push_back({c.valid ? c.width * c.height : std::numeric_limits<i64>::max(), c.height, width});
            const bool valid = c.valid;
            if (c.betterThan(best))
                best = std::move(c);
            return valid;
        };
        // When the free rectangles cannot take the set within half the
        // budget (thin slivers by the thousand), the skyline leads; its
        // first bin is never cut short, so there is always a layout.
        if (primary != 0 && !coarse.empty() && !sweep(primary, widths[coarse[0]], limit_ / 2)) {
            ranked.clear();
            primary = 0;
        }
        const std::size_t secondary = primary == 0 ? freeTopPlan_ : 0;
        // Coarse to fine (the middle width, then the quarters, ...), so
        // that a sweep the budget cuts short still spans the range, within
        // two thirds of the budget.
        const i64 sweepUntil = limit_ * 2 / 3;
        for (const std::size_t w : coarse) {
            if (!ranked.empty() && !affordable(primary, sweepUntil))
                break;
            if (std::none_of(ranked.begin(), ranked.end(), [&](const Tried& t) { return t.width == widths[w]; }))
                sweep(primary, widths[w], ranked.empty() ? std::numeric_limits<i64>::max() : left());
        }
        if (ranked.empty())
            return best;
        // Below a few thousand images the skyline also sweeps every width:
        // it costs a third of a free-rectangle bin, and its canvases of
        // some widths (often far from square) close up best.
        bool skylineSwept = false;
        Tried skyline{std::numeric_limits<i64>::max(), 0, 0};
        i64 skylineStep = 1;
        if (primary != 0 && sizes_.size() < skylineSweepImages && !rules_.rotate) {
            skylineSwept = true;
            const std::vector<std::int32_t> skylineWidths = searchWidthsFor(sizes_, rules_, 64000);
            if (skylineWidths.size() > 1)
                skylineStep = std::max<i64>(1, (skylineWidths.back() - skylineWidths.front()) /
                                                   i64(skylineWidths.size() - 1));
            for (const std::size_t w : coarseToFine(skylineWidths.size())) {
                if (!affordable(0, limit_ * 3 / 4))
                    break;
                sweep(0, skylineWidths[w], left());
                if (ranked.back().area < skyline.area)
                    skyline = ranked.back();
            }
        }
        // When the skyline leads (or ties), its best width is refined at
        // once.
        if (skyline.width > 0 && best.valid && skyline.area <= best.width * best.height) {
            refine(best, 0, skyline.width, skylineStep, skyline.area);
            skyline.width = 0;
        }
        std::vector<std::int32_t> byRank, transposedByRank;
        const auto rank = [&]() {
            std::stable_sort(ranked.begin(), ranked.end(),
                             [](const Tried& a, const Tried& b) { return a.area < b.area; });
            byRank.clear();
            transposedByRank.clear();
            // The transposed plans' widths: the heights of the best canvases.
            for (const Tried& t : ranked) {
                if (std::find(byRank.begin(), byRank.end(), t.width) == byRank.end())
                    byRank.push_back(t.width);
                if (t.area == std::numeric_limits<i64>::max())
                    continue;
                const i64 width = std::clamp<i64>(t.height - 2 * margin_ + spacing_, tallest_, maxInner_);
                if (std::find(transposedByRank.begin(), transposedByRank.end(), width) == transposedByRank.end())
                    transposedByRank.push_back(static_cast<std::int32_t>(width));
            }
        };
        rank();
        const auto widthsFor = [&](std::size_t k) -> const std::vector<std::int32_t>& {
            return plans_[k].transposed ? transposedByRank : byRank;
        };
        // A few images far larger than the rest decide the layout.
        for (std::size_t k = 1; k < plans_.size() && hasBig_; ++k) {
            if (plans_[k].order == OrderKey::BigFirst)
                tryWidths(best, k, widthsFor(k));
        }
        for (std::size_t k = 1; k < plans_.size(); ++k) {
            if (plans_[k].engine == Engine::FreeTop && plans_[k].transposed)
                tryWidths(best, k, widthsFor(k));
        }
        if (secondary < plans_.size() && !(secondary == 0 && skylineSwept))
            tryWidths(best, secondary, byRank);
        for (std::size_t k = 1; k < plans_.size(); ++k) {
            const Plan& plan = plans_[k];
            const bool other = k != primary && k != secondary;
            if (plan.engine == Engine::FreeTop && !plan.transposed && plan.order != OrderKey::BigFirst && other)
                tryWidths(best, k, byRank);
        }
        for (std::size_t k = 1; k < plans_.size(); ++k) {
            if (plans_[k].engine == Engine::FreeShortSide && sizes_.size() <= shortSideImages)
                lowerBins(best, k, widthsFor(k));
        }
        for (std::size_t k = 1; k < plans_.size(); ++k) {
            const Plan& plan = plans_[k];
            if (plan.engine == Engine::Skyline && plan.transposed)
                tryWidths(best, k, widthsFor(k));
        }
        // The step between searched widths, halved until one pixel.
        const i64 step =
            widths.size() > 1 ? std::max<i64>(1, (widths.back() - widths.front()) / i64(widths.size() - 1)) : 1;
        const std::size_t bestPlan = best.plan;
        if (best.valid)
            refine(best, best.plan, static_cast<std::int32_t>(best.binWidth), step, best.width * best.height);
        // The skyline's own best width too: its canvases close up at other
        // widths than the free rectangles'.
        if (skyline.width > 0 && bestPlan != 0)
            refine(best, 0, skyline.width, skylineStep, skyline.area);
        const i64 extra = std::min<i64>(256, (limit_ - spent_) / 2 / std::max<i64>(1, lastWork_[0]));
        if (extra >= 64) {
            const i64 base = ceilSqrt(area_);
            for (i64 k = 0; k < extra; ++k) {
                const i64 width = std::clamp<i64>(base * (500 + 2000 * k / (extra - 1)) / 1000, widest_, maxInner_);
                if (std::none_of(ranked.begin(), ranked.end(), [&](const Tried& t) { return t.width == width; }))
                    sweep(0, static_cast<std::int32_t>(width), left());
            }
            rank();
            for (std::size_t k = 1; k < plans_.size(); ++k) {
                if (plans_[k].engine == Engine::FreeTop)
                    tryWidths(best, k, widthsFor(k));
            }
        }
        for (std::size_t k = 1; k < plans_.size(); ++k) {
            const Plan& plan = plans_[k];
            if (isClassic(plan) && plan.order != OrderKey::BigFirst)
                tryWidths(best, k, byRank);
        }
        return best;
    }

    // The last rows of a tight canvas are ragged: moves the images that
    // reach its bottom edge (then its right edge) into free room higher up
    // (further left) while that shrinks the canvas, the free room found by
    // a free-rectangle bin over a band of the layout above the new edge.
    void compact(Candidate& c)
    {
        // It rarely finds room from a few thousand images on (their rows
        // close up evenly), so it gets less there.
        compactUntil_ = spent_ + (sizes_.size() < freeFirstImages ? compactWork : compactWork / 6);
        for (int round = 0; round < compactRounds; ++round) {
            const bool lower = compactAxis(c, false);
            const bool narrower = compactAxis(c, true);
            if (!lower && !narrower)
                break;
        }
    }

    // One edge: the bottom one, or with `columns` the right one. Returns
    // whether the canvas shrank. Each step takes the images reaching past a
    // cut line (the next lower edge of an image, or one to three of the
    // edge's deepest images further in) and places them again, largest
    // first by best short side fit, into the free room of a band above a
    // new edge: the next pixel in first, then as far in as halving finds.
    bool compactAxis(Candidate& c, bool columns)
    {
        bool shrunk = false;
        int tries = 0;
        const auto attempt = [&](i64 cut, i64 edge) {
            ++tries;
            if (spent_ >= compactUntil_)
                tries = compactTries;
            return tries < compactTries && moveBeyond(c, columns, cut, edge);
        };
        while (tries < compactTries) {
            const Edge e = edgeOf(c, columns);
            bool moved = false;
            for (i64 f = 0; f <= 3 && !moved && tries < compactTries; ++f) {
                const i64 cut = f == 0 ? e.nextLower : e.end - f * e.deepest;
                if (cut <= 0 || !attempt(cut, e.end - 1))
                    continue;
                moved = true;
                i64 low = std::max<i64>(cut, edgeOf(c, columns).keptEnd(cut)), high = edgeOf(c, columns).end;
                while (low + 1 < high && tries < compactTries) {
                    const i64 middle = low + (high - low) / 2;
                    if (attempt(cut, middle))
                        high = edgeOf(c, columns).end;
                    else
                        low = middle;
                }
            }
            if (!moved)
                break;
            shrunk = true;
        }
        if (shrunk)
            remeasure(c);
        return shrunk;
    }

    // Where the images end along an axis (inner: margin off, spacing not
    // counted).
    struct Edge {
        i64 end = 0;       // the furthest
        i64 nextLower = 0; // the furthest short of it
        i64 deepest = 0;   // the longest side along the axis of the images at the end
        std::vector<i64> ends;
        // The furthest end of the images ending at or short of the cut.
        i64 keptEnd(i64 cut) const
        {
            i64 kept = 0;
            for (const i64 e : ends) {
                if (e <= cut)
                    kept = std::max(kept, e);
            }
            return kept;
        }
    };

    // Along: the axis the canvas shrinks in (y, or x for columns).
    i64 sideOf(const Candidate& c, std::size_t i, bool columns, bool alongAxis) const
    {
        const BestSize& s = sizes_[i];
        const bool wide = (alongAxis == columns) != (c.turned[i] != 0);
        return wide ? s.width : s.height;
    }

    bool movable(const Candidate& c, std::size_t i) const
    {
        return c.x[i] >= 0 && sizes_[i].width > 0 && sizes_[i].height > 0;
    }

    Edge edgeOf(const Candidate& c, bool columns) const
    {
        const std::vector<std::int32_t>& along = columns ? c.x : c.y;
        Edge e;
        e.ends.reserve(sizes_.size());
        for (std::size_t i = 0; i < sizes_.size(); ++i) {
            if (!movable(c, i))
                continue;
            e.ends.push_back(along[i] - margin_ + sideOf(c, i, columns, true));
            e.end = std::max(e.end, e.ends.back());
        }
        std::size_t k = 0;
        for (std::size_t i = 0; i < sizes_.size(); ++i) {
            if (!movable(c, i))
                continue;
            const i64 end = e.ends[k++];
            if (end < e.end)
                e.nextLower = std::max(e.nextLower, end);
            else
                e.deepest = std::max(e.deepest, sideOf(c, i, columns, true) + spacing_);
        }
        return e;
    }

    // Places the images ending past `cut` again so that every image ends
    // by `edge`; changes nothing and returns false when they do not all fit.
    bool moveBeyond(Candidate& c, bool columns, i64 cut, i64 edge)
    {
        const std::size_t n = sizes_.size();
        std::vector<std::int32_t>& along = columns ? c.x : c.y;
        std::vector<std::int32_t>& across = columns ? c.y : c.x;
        std::vector<std::size_t> moved;
        i64 deepest = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (movable(c, i) && along[i] - margin_ + sideOf(c, i, columns, true) > cut) {
                moved.push_back(i);
                deepest = std::max(deepest, sideOf(c, i, columns, true) + spacing_);
            }
        }
        if (moved.empty() || moved.size() > compactImages || edge < 1)
            return false;
        const i64 top = std::max<i64>(0, std::min(cut, edge) - compactBand * deepest);
        const i64 binAcross = (columns ? c.height : c.width) - 2 * margin_ + spacing_;
        const i64 binAlong = edge + spacing_ - top;
        if (binAcross < 1 || binAlong < 1)
            return false;
        CFreeRectBin bin(static_cast<std::int32_t>(binAcross), static_cast<std::int32_t>(binAlong),
                         CFreeRectBin::Rule::ShortSide);
        for (std::size_t i = 0; i < n; ++i) {
            if (!movable(c, i))
                continue;
            const i64 start = along[i] - margin_, length = sideOf(c, i, columns, true) + spacing_;
            if (start + length <= top || start >= edge + spacing_ || start + length - spacing_ > cut)
                continue;
            bin.occupy(static_cast<std::int32_t>(across[i] - margin_), static_cast<std::int32_t>(start - top),
                       static_cast<std::int32_t>(sideOf(c, i, columns, false) + spacing_),
                       static_cast<std::int32_t>(length));
        }
        std::stable_sort(moved.begin(), moved.end(), [&](std::size_t a, std::size_t b) {
            const i64 aAlong = sideOf(c, a, columns, true), aAcross = sideOf(c, a, columns, false);
            const i64 bAlong = sideOf(c, b, columns, true), bAcross = sideOf(c, b, columns, false);
            if (std::max(aAlong, aAcross) != std::max(bAlong, bAcross))
                return std::max(aAlong, aAcross) > std::max(bAlong, bAcross);
            return std::min(aAlong, aAcross) > std::min(bAlong, bAcross);
        });
        std::vector<std::int32_t> newAlong(moved.size()), newAcross(moved.size());
        std::vector<std::uint8_t> newTurned(moved.size());
        bool fits = true;
        for (std::size_t k = 0; k < moved.size() && fits; ++k) {
            const std::size_t i = moved[k];
            std::int32_t px = 0, py = 0;
            bool turned = false;
            fits = bin.place(static_cast<std::int32_t>(sideOf(c, i, columns, false) + spacing_),
                             static_cast<std::int32_t>(sideOf(c, i, columns, true) + spacing_), rules_.rotate, px, py,
                             turned);
            newAcross[k] = static_cast<std::int32_t>(px + margin_);
            newAlong[k] = static_cast<std::int32_t>(py + top + margin_);
            newTurned[k] = turned ? 1 : 0;
        }
        spent_ += bin.work() + static_cast<i64>(n);
        if (!fits)
            return false;
        for (std::size_t k = 0; k < moved.size(); ++k) {
            const std::size_t i = moved[k];
            along[i] = newAlong[k];
            across[i] = newAcross[k];
            c.turned[i] = static_cast<std::uint8_t>(c.turned[i] ^ newTurned[k]);
        }
        return true;
    }

    // The tight canvas of a candidate's positions.
    void remeasure(Candidate& c) const
    {
        i64 usedWidth = 0, usedHeight = 0;
        for (std::size_t i = 0; i < sizes_.size(); ++i) {
            if (c.x[i] < 0)
                continue;
            const BestSize& s = sizes_[i];
            usedWidth = std::max<i64>(usedWidth, i64(c.x[i]) + (c.turned[i] ? s.height : s.width));
            usedHeight = std::max<i64>(usedHeight, i64(c.y[i]) + (c.turned[i] ? s.width : s.height));
        }
        c.width = usedWidth + margin_;
        c.height = usedHeight + margin_;
    }

    // What a bin of plan k will cost: what its last one did, or before any,
    // the first bin packed (scaled by the plans' costs) times the plan's cost.
    i64 estimate(std::size_t k) const
    {
        if (lastWork_[k] > 0)
            return lastWork_[k];
        return std::max<i64>(workUnit_, 1) * plans_[k].cost;
    }

    // The work left in the budget, which caps every later bin.
    i64 left() const { return std::max<i64>(0, limit_ - spent_); }

    // Whether a bin of plan k is likely to leave the work within `until`.
    bool affordable(std::size_t k, i64 until) const { return spent_ + estimate(k) <= until; }

    void consider(Candidate& best, std::size_t k, i64 width)
    {
        Candidate c = tryPlan(k, width, best);
        if (c.betterThan(best))
            best = std::move(c);
    }

    // Plan k at the widths in order, within half of what is left.
    void tryWidths(Candidate& best, std::size_t k, const std::vector<std::int32_t>& widths)
    {
        const i64 until = spent_ + (limit_ - spent_) / 2;
        for (std::size_t w = 0; w < widths.size() && affordable(k, until); ++w) {
            if (widths[w] >= leastWidth(k))
                consider(best, k, widths[w]);
        }
    }

    // The narrowest bin plan k can take everything in.
    i64 leastWidth(std::size_t k) const { return plans_[k].transposed ? tallest_ : widest_; }

    // Moves the width of plan k's best bin by halving steps towards its
    // neighbours while the budget lasts.
    void refine(Candidate& best, std::size_t k, std::int32_t width, i64 step, i64 own)
    {
        for (step /= 2; step >= 1; step /= 2) {
            std::int32_t moved = width;
            for (const i64 next : {width - step, width + step}) {
                if (next < leastWidth(k) || next > maxInner_)
                    continue;
                if (!affordable(k, limit_))
                    return;
                Candidate c = tryPlan(k, next, best);
                if (!c.valid || c.width * c.height >= own)
                    continue;
                own = c.width * c.height;
                moved = static_cast<std::int32_t>(next);
                if (c.betterThan(best))
                    best = std::move(c);
            }
            width = moved;
        }
    }

    // Plan k at one bin width: as high as the page, or for the best short
    // side fit as high as beats the best canvas (an invalid candidate when
    // no such bin can hold the images' area).
    Candidate tryPlan(std::size_t k, i64 width, const Candidate& best)
    {
        if (plans_[k].engine != Engine::FreeShortSide || !best.valid)
            return evaluate(k, width, maxInner_, left());
        const i64 height = heightToBeat(k, width, best);
        if (height < 0)
            return Candidate{};
        return evaluate(k, width, height, left());
    }

    // The least bin height of plan k and this width that holds the images'
    // area.
    i64 leastHeight(std::size_t k, i64 width) const
    {
        return std::max((area_ + width - 1) / width, plans_[k].transposed ? widest_ : tallest_);
    }

    // The highest bin of plan k and this width whose canvas is smaller than
    // the best one's; -1 when it could not take the images' area.
    i64 heightToBeat(std::size_t k, i64 width, const Candidate& best) const
    {
        const i64 canvasWidth = width - spacing_ + 2 * margin_;
        if (canvasWidth < 1)
            return -1;
        const i64 height = (best.width * best.height - 1) / canvasWidth + spacing_ - 2 * margin_;
        return height >= leastHeight(k, width) ? std::min(height, maxInner_) : -1;
    }

    // Best short side fit fills a bin of fixed height: at each of the
    // widths, the highest bin that beats the best, then halving the
    // distance to the highest known to be too low.
    void lowerBins(Candidate& best, std::size_t k, const std::vector<std::int32_t>& widths)
    {
        for (std::size_t w = 0; w < widths.size() && w < freeWidths_ && best.valid; ++w) {
            const i64 width = widths[w];
            i64 height = heightToBeat(k, width, best);
            i64 tooLow = leastHeight(k, width) - 1;
            i64 enough = -1;
            while (height > tooLow) {
                if (!affordable(k, limit_))
                    return;
                Candidate c = evaluate(k, width, height, left());
                if (c.valid) {
                    enough = height;
                    if (c.betterThan(best))
                        best = std::move(c);
                } else {
                    tooLow = height;
                }
                if (enough < 0)
                    break;
                height = std::min(tooLow + (enough - tooLow) / 2, heightToBeat(k, width, best));
                if (height >= enough)
                    break;
            }
        }
    }

    Candidate searchPowersOfTwo()
    {
        Candidate best;
        for (std::size_t k = 0; k < plans_.size(); ++k) {
            if (!isClassic(plans_[k]))
                continue;
            for (i64 side = 1; side <= maxSize_; side *= 2) {
                const i64 width = side - 2 * margin_ + spacing_;
                if (width < widest_)
                    continue;
                if (best.valid && side * tallest_ > best.width * best.height)
                    break;
                Candidate c = evaluate(k, width, maxInner_);
                if (c.betterThan(best))
                    best = std::move(c);
            }
        }
        return best;
    }

    // The smallest square side that takes everything, growing by about 1 %;
    // each plan is tried at each side.
    Candidate searchSquare()
    {
        for (i64 side = std::max({ceilSqrt(area_), widest_, tallest_});; side += std::max<i64>(1, side / 100)) {
            side = std::min(side, maxInner_);
            Candidate best;
            for (std::size_t k = 0; k < plans_.size(); ++k) {
                if (!isClassic(plans_[k]))
                    continue;
                Candidate c = evaluate(k, side, side);
                if (c.betterThan(best))
                    best = std::move(c);
            }
            if (best.valid || side == maxInner_)
                return best.valid ? best : evaluate(0, side, side);
        }
    }

    const std::vector<BestSize>& sizes_;
    const BestRules& rules_;
    std::vector<Plan> plans_;
    std::vector<std::optional<Prepared>> prepared_;
    bool hasBig_ = false;
    std::size_t freeTopPlan_ = std::numeric_limits<std::size_t>::max();
    i64 limit_ = 0;
           // the work the search may do
    i64 spent_ = 0;          // work done by all bins so far
    i64 compactUntil_ = 0;   // where the compaction stops
    std::vector<i64> lastWork_; // per plan: the work of its last bin, 0 before
    i64 workUnit_ = 0;          // the first bin's work over its plan's cost
    std::size_t freeWidths_ = 4; // the best widths the free rectangles try
    i64 spacing_;
    i64 margin_;
    bool tight_;
    bool pot_;
    bool square_;
    i64 maxSize_ = 0;
    i64 maxInner_ = 0;
    i64 area_ = 0;
    i64 widest_ = 1;
    i64 tallest_ = 1;
};

} // namespace

std::vector<std::int32_t> bestSearchWidths(const std::vector<BestSize>& sizes, const BestRules& rules)
{
    return searchWidthsFor(sizes, rules, 48000);
}

namespace {

std::vector<std::int32_t> searchWidthsFor(const std::vector<BestSize>& sizes, const BestRules& rules, i64 perImages)
{
    const Bounds bounds = boundsOf(sizes, rules);
    const i64 area = bounds.area, widest = bounds.widest, maxInner = bounds.maxInner;
    std::vector<std::int32_t> widths;
    if (maxInner < widest)
        return widths;
    // How well the last rows close up varies from width to width without a
    // pattern, so many widths are tried, from 90 % to 160 % of the side of
    // the square that holds the area: as many as keep the work near that of
    // 48 bins of 1,000 images, from 8 to 64. Integers only, so every
    // machine tries the same widths.
    const i64 base = ceilSqrt(area);
    const i64 count = std::clamp<i64>(perImages / std::max<i64>(1, static_cast<i64>(sizes.size())), 8, 64);
    for (i64 k = 0; k < count; ++k) {
        const i64 perMille = 900 + 700 * k / (count - 1);
        const auto width = static_cast<std::int32_t>(std::clamp<i64>(base * perMille / 1000, widest, maxInner));
        if (widths.empty() || widths.back() != width)
            widths.push_back(width);
    }
    return widths;
}

} // namespace

std::vector<std::uint32_t> bestOrder(const std::vector<BestSize>& sizes)
{
    return orderBy(sizes, OrderKey::Height);
}

std::size_t packBestBin(const std::vector<BestSize>& sizes, const std::vector<std::uint32_t>& order,
                        std::int32_t spacing, std::int32_t binWidth, std::int32_t binHeight,
                        std::vector<std::int32_t>& x, std::vector<std::int32_t>& y)
{
    std::vector<std::uint8_t> turned;
    i64 work = 0;
    return packPlannedBin(sizes, order, Plan{Facing::Given, OrderKey::Height, SkylineRule::HighestTop, false, 1}, spacing,
                          binWidth, binHeight, x, y, turned, work);
}

BestLayout packBest(const std::vector<BestSize>& sizes, const BestRules& rules)
{
    BestSearch search(sizes, rules);
    Candidate c = search.run();
    BestLayout layout;
    layout.x = std::move(c.x);
    layout.y = std::move(c.y);
    layout.rotated = std::move(c.turned);
    layout.width = static_cast<std::uint32_t>(c.width);
    layout.height = static_cast<std::uint32_t>(c.height);
    layout.placed = c.placed;
    return layout;
}
