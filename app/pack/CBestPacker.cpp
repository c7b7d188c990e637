// CBestPacker: skyline with a waste list, and the canvas search over bins.
#include "app/pack/CBestPacker.h"

#include "image/ImageLimits.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <optional>

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
        for (std::size_t j = i; j < segments_.size() && segments_[j].x < right; ++j)
            top = std::max(top, segments_[j].y);
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

// One way of packing a bin: the facing, the order, the skyline rule, and
// whether each image may still turn where it is placed.
struct Plan {
    Facing facing;
    OrderKey order;
    SkylineRule rule;
    bool mayTurn;
    i64 cost; // work per image placed, about, against the height order's 1
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

// The plans tried, the first being the one the whole width search runs
// with. Measured on the size mixes of bench/maxrects_bench.cpp: the height
// order with the highest top suits most sets; the big images first with the
// highest bottom edge suits a few giants among many tiny ones; the long
// side and area orders win on some small sets only (they are slow on large
// ones, as the skyline grows ragged). With rotation, standing images in
// height order suit large sets, lying ones strips, and turning at the
// place suits mixed sets.
std::vector<Plan> plansFor(bool rotate)
{
    using R = SkylineRule;
    if (!rotate) {
        return {{Facing::Given, OrderKey::Height, R::HighestTop, false, 1},
                {Facing::Given, OrderKey::BigFirst, R::HighestBottom, false, 1},
                {Facing::Given, OrderKey::LongSide, R::HighestBottom, false, 12},
                {Facing::Given, OrderKey::Area, R::HighestBottom, false, 12}};
    }
    return {{Facing::Standing, OrderKey::Height, R::HighestTop, false, 1},
            {Facing::Lying, OrderKey::BigFirst, R::HighestBottom, true, 3},
            {Facing::Lying, OrderKey::Height, R::HighestTop, false, 1},
            {Facing::Given, OrderKey::LongSide, R::HighestBottom, true, 16},
            {Facing::Standing, OrderKey::Area, R::HighestBottom, true, 16}};
}

// One bin packed by a plan over sizes that already face as the plan says;
// `turned` gets 1 for the images turned at their place.
std::size_t packPlannedBin(const std::vector<BestSize>& sizes, const std::vector<std::uint32_t>& order,
                           const Plan& plan, std::int32_t spacing, std::int32_t binWidth, std::int32_t binHeight,
                           std::vector<std::int32_t>& x, std::vector<std::int32_t>& y, std::vector<std::uint8_t>& turned)
{
    x.assign(sizes.size(), -1);
    y.assign(sizes.size(), -1);
    turned.assign(sizes.size(), 0);
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
    SkylineBin bin(binWidth, binHeight, minWidth, minHeight, plan.rule);
    std::size_t placed = 0;
    for (const std::uint32_t i : order) {
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
        const i64 width = i64(s.width) + spacing;
        const i64 height = i64(s.height) + spacing;
        const bool fits = width <= binWidth && height <= binHeight;
        const bool fitsTurned = plan.mayTurn && height <= binWidth && width <= binHeight;
        if (!fits && !fitsTurned)
            continue;
        bool turn = false;
        if (bin.place(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), plan.mayTurn, x[i], y[i],
                      turn)) {
            turned[i] = turn ? 1 : 0;
            ++placed;
        }
    }
    return placed;
}

// Image placements a width search may spend (see searchWidths): 240,000 up
// to 3,000 images, down to 150,000 at 10,000 and beyond, which keeps the
// largest sets within about 50 ms.
i64 searchBudget(std::size_t images)
{
    const i64 n = static_cast<i64>(images);
    if (n <= 3000)
        return 240000;
    return std::max<i64>(150000, 240000 - (n - 3000) * 90000 / 7000);
}

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
        prepared_.resize(plans_.size());
        const i64 bigArea = bigAreaOf(sizes);
        hasBig_ = std::any_of(sizes.begin(), sizes.end(),
                              [&](const BestSize& s) { return i64(s.width) * s.height >= bigArea; });
    }

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
        }
        p.order = orderBy(p.sizes, plan.order);
        return p;
    }

    // Packs with plan k into an inner bin (sizes plus spacing) of width x
    // height.
    Candidate evaluate(std::size_t k, i64 width, i64 height)
    {
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
                                      c.turned);
        }
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
        return c;
    }

    // The first plan runs over every width of the search; the others over
    // the widths where it came out best; then the best width found is
    // refined by halving steps towards its neighbours. The work is kept
    // within a budget of image placements (weighted by the plans' costs,
    // see searchBudget), of which the first pass takes what it needs (12
    // widths at least). Small sets, where the budget
    // pays for it, first try a wider range of widths: 50 % to 250 % of the
    // square's side, up to 256 of them.
    Candidate searchWidths()
    {
        const i64 count = std::max<i64>(1, static_cast<i64>(sizes_.size()));
        i64 budget = searchBudget(sizes_.size());
        Candidate best;
        std::size_t bestPlan = 0;
        std::vector<std::pair<i64, std::int32_t>> ranked; // (area, width)
        const std::vector<std::int32_t> widths = bestSearchWidths(sizes_, rules_);
        std::vector<std::int32_t> tried = widths;
        const i64 extra = std::min<i64>(256, budget / 4 / count);
        if (extra >= 64) {
            const i64 base = ceilSqrt(area_);
            for (i64 k = 0; k < extra; ++k) {
                const i64 width = std::clamp<i64>(base * (500 + 2000 * k / (extra - 1)) / 1000, widest_, maxInner_);
                tried.push_back(static_cast<std::int32_t>(width));
            }
            std::sort(tried.begin(), tried.end());
            tried.erase(std::unique(tried.begin(), tried.end()), tried.end());
        }
        for (const std::int32_t width : tried) {
            Candidate c = evaluate(0, width, maxInner_);
            budget -= count;
            ranked.emplace_back(c.valid ? c.width * c.height : std::numeric_limits<i64>::max(), width);
            if (c.betterThan(best))
                best = std::move(c);
        }
        if (ranked.empty())
            return best;
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::int32_t bestWidth = ranked.front().second;
        // The other plans in turn, each on as many of the best widths as
        // half of what is left pays for (so the second plan, the likeliest
        // to win, gets the most).
        for (std::size_t k = 1; k < plans_.size(); ++k) {
            if (plans_[k].order == OrderKey::BigFirst && !hasBig_)
                continue;
            const i64 tries = std::min<i64>(budget / 2 / (count * plans_[k].cost), static_cast<i64>(ranked.size()));
            for (i64 w = 0; w < tries; ++w) {
                Candidate c = evaluate(k, ranked[static_cast<std::size_t>(w)].second, maxInner_);
                budget -= count * plans_[k].cost;
                if (c.betterThan(best)) {
                    best = std::move(c);
                    bestPlan = k;
                    bestWidth = ranked[static_cast<std::size_t>(w)].second;
                }
            }
        }
        // The step between searched widths, halved until one pixel.
        i64 step = widths.size() > 1 ? std::max<i64>(1, (widths.back() - widths.front()) / i64(widths.size() - 1)) : 1;
        for (step /= 2; step >= 1; step /= 2) {
            std::int32_t moved = bestWidth;
            for (const i64 width : {bestWidth - step, bestWidth + step}) {
                if (width < widest_ || width > maxInner_)
                    continue;
                if (budget < count * plans_[bestPlan].cost)
                    return best;
                budget -= count * plans_[bestPlan].cost;
                Candidate c = evaluate(bestPlan, width, maxInner_);
                if (c.betterThan(best)) {
                    best = std::move(c);
                    moved = static_cast<std::int32_t>(width);
                }
            }
            bestWidth = moved;
        }
        return best;
    }

    Candidate searchPowersOfTwo()
    {
        Candidate best;
        for (std::size_t k = 0; k < plans_.size(); ++k) {
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
    const Bounds bounds = boundsOf(sizes, rules);
    const i64 area = bounds.area, widest = bounds.widest, maxInner = bounds.maxInner;
    std::vector<std::int32_t> widths;
    if (maxInner < widest)
        return widths;
    // How well the last rows close up varies from width to width without a
    // pattern, so many widths are tried, from 90 % to 160 % of the side of
    // the square that holds the area: as many as keep the work near that of
    // 64 bins of 1,000 images, from 12 to 64. Integers only, so every
    // machine tries the same widths.
    const i64 base = ceilSqrt(area);
    const i64 count = std::clamp<i64>(64000 / std::max<i64>(1, static_cast<i64>(sizes.size())), 12, 64);
    for (i64 k = 0; k < count; ++k) {
        const i64 perMille = 900 + 700 * k / (count - 1);
        const auto width = static_cast<std::int32_t>(std::clamp<i64>(base * perMille / 1000, widest, maxInner));
        if (widths.empty() || widths.back() != width)
            widths.push_back(width);
    }
    return widths;
}

std::vector<std::uint32_t> bestOrder(const std::vector<BestSize>& sizes)
{
    return orderBy(sizes, OrderKey::Height);
}

std::size_t packBestBin(const std::vector<BestSize>& sizes, const std::vector<std::uint32_t>& order,
                        std::int32_t spacing, std::int32_t binWidth, std::int32_t binHeight,
                        std::vector<std::int32_t>& x, std::vector<std::int32_t>& y)
{
    std::vector<std::uint8_t> turned;
    return packPlannedBin(sizes, order, Plan{Facing::Given, OrderKey::Height, SkylineRule::HighestTop, false, 1}, spacing,
                          binWidth, binHeight, x, y, turned);
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
