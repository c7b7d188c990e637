// CBestPacker: skyline with a waste list, and the canvas search over bins.
#include "app/pack/CBestPacker.h"

#include "image/ImageLimits.h"

#include <algorithm>
#include <cstddef>
#include <limits>

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

class SkylineBin {
public:
    SkylineBin(std::int32_t width, std::int32_t height, std::int32_t minWidth, std::int32_t minHeight)
        : width_(width), height_(height), minWidth_(minWidth), minHeight_(minHeight)
    {
        segments_.push_back({0, 0, width});
    }

    // Places a width x height rectangle; false when it fits nowhere.
    bool place(std::int32_t width, std::int32_t height, std::int32_t& x, std::int32_t& y)
    {
        if (placeInWaste(width, height, x, y))
            return true;
        // The highest top edge wins; among equals the leftmost, which keeps
        // the skyline's low ground together for the images still to come.
        std::size_t best = 0;
        std::int32_t bestY = std::numeric_limits<std::int32_t>::max();
        for (std::size_t i = 0; i < segments_.size(); ++i) {
            const std::int32_t left = segments_[i].x;
            if (left > width_ - width)
                break;
            const std::int32_t top = topOver(i, left + width);
            if (top > height_ - height || top >= bestY)
                continue;
            best = i;
            bestY = top;
        }
        if (bestY == std::numeric_limits<std::int32_t>::max())
            return false;
        x = segments_[best].x;
        y = bestY;
        raise(best, width, height, bestY);
        return true;
    }

private:
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

    void addWaste(const Rect& r)
    {
        if (r.width >= minWidth_ && r.height >= minHeight_)
            waste_.push_back(r);
    }

    // Best short-side fit among the gaps; the chosen gap is cut in two
    // along its shorter leftover.
    bool placeInWaste(std::int32_t width, std::int32_t height, std::int32_t& x, std::int32_t& y)
    {
        std::size_t best = waste_.size();
        std::int32_t bestFit = std::numeric_limits<std::int32_t>::max();
        for (std::size_t i = 0; i < waste_.size(); ++i) {
            const Rect& r = waste_[i];
            if (r.width < width || r.height < height)
                continue;
            const std::int32_t fit = std::min(r.width - width, r.height - height);
            if (fit < bestFit) {
                best = i;
                bestFit = fit;
            }
        }
        if (best == waste_.size())
            return false;
        const Rect r = waste_[best];
        waste_.erase(waste_.begin() + static_cast<std::ptrdiff_t>(best));
        x = r.x;
        y = r.y;
        if (r.width - width < r.height - height) {
            addWaste({r.x + width, r.y, r.width - width, height});
            addWaste({r.x, r.y + height, r.width, r.height - height});
        } else {
            addWaste({r.x + width, r.y, r.width - width, r.height});
            addWaste({r.x, r.y + height, width, r.height - height});
        }
        return true;
    }

    std::int32_t width_;
    std::int32_t height_;
    std::int32_t minWidth_;
    std::int32_t minHeight_;
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
        b.widest = std::max(b.widest, width);
        b.tallest = std::max(b.tallest, height);
    }
    return b;
}

// One packed bin, judged as a canvas.
struct Candidate {
    std::vector<std::int32_t> x;
    std::vector<std::int32_t> y;
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

class BestSearch {
public:
    BestSearch(const std::vector<BestSize>& sizes, const BestRules& rules)
        : sizes_(sizes), rules_(rules), order_(bestOrder(sizes)), spacing_(rules.spacing), margin_(rules.margin),
          tight_(rules.tight), pot_(rules.pot), square_(rules.square)
    {
        const Bounds bounds = boundsOf(sizes, rules);
        maxSize_ = bounds.maxSize;
        maxInner_ = bounds.maxInner;
        area_ = bounds.area;
        widest_ = bounds.widest;
        tallest_ = bounds.tallest;
    }

    Candidate run()
    {
        Candidate best;
        if (maxInner_ < 1)
            return evaluate(0, 0);
        // More area than the largest bin holds: no search can take it all.
        if (area_ > maxInner_ * maxInner_)
            return evaluate(maxInner_, maxInner_);
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
        return evaluate(maxInner_, maxInner_);
    }

private:
    // Packs into an inner bin (sizes plus spacing) of width x height.
    Candidate evaluate(i64 width, i64 height)
    {
        Candidate c;
        c.x.assign(sizes_.size(), -1);
        c.y.assign(sizes_.size(), -1);
        if (width >= 1 && height >= 1) {
            c.placed = packBestBin(sizes_, order_, static_cast<std::int32_t>(spacing_),
                                   static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), c.x, c.y);
        }
        i64 usedWidth = 0, usedHeight = 0;
        for (std::size_t i = 0; i < sizes_.size(); ++i) {
            if (c.x[i] < 0)
                continue;
            c.x[i] = static_cast<std::int32_t>(c.x[i] + margin_);
            c.y[i] = static_cast<std::int32_t>(c.y[i] + margin_);
            usedWidth = std::max<i64>(usedWidth, i64(c.x[i]) + sizes_[i].width);
            usedHeight = std::max<i64>(usedHeight, i64(c.y[i]) + sizes_[i].height);
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

    Candidate searchWidths()
    {
        Candidate best;
        for (const i64 width : bestSearchWidths(sizes_, rules_)) {
            Candidate c = evaluate(width, maxInner_);
            if (c.betterThan(best))
                best = std::move(c);
        }
        return best;
    }

    Candidate searchPowersOfTwo()
    {
        Candidate best;
        for (i64 side = 1; side <= maxSize_; side *= 2) {
            const i64 width = side - 2 * margin_ + spacing_;
            if (width < widest_)
                continue;
            if (best.valid && side * tallest_ > best.width * best.height)
                break;
            Candidate c = evaluate(width, maxInner_);
            if (c.betterThan(best))
                best = std::move(c);
        }
        return best;
    }

    // The smallest square side that takes everything, growing by about 1 %.
    Candidate searchSquare()
    {
        for (i64 side = std::max({ceilSqrt(area_), widest_, tallest_});; side += std::max<i64>(1, side / 100)) {
            side = std::min(side, maxInner_);
            Candidate c = evaluate(side, side);
            if (c.valid || side == maxInner_)
                return c;
        }
    }

    const std::vector<BestSize>& sizes_;
    const BestRules& rules_;
    std::vector<std::uint32_t> order_;
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
    std::vector<std::uint32_t> order(sizes.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (sizes[a].height != sizes[b].height)
            return sizes[a].height > sizes[b].height;
        if (sizes[a].width != sizes[b].width)
            return sizes[a].width > sizes[b].width;
        return a < b;
    });
    return order;
}

std::size_t packBestBin(const std::vector<BestSize>& sizes, const std::vector<std::uint32_t>& order,
                        std::int32_t spacing, std::int32_t binWidth, std::int32_t binHeight,
                        std::vector<std::int32_t>& x, std::vector<std::int32_t>& y)
{
    x.assign(sizes.size(), -1);
    y.assign(sizes.size(), -1);
    std::int32_t minWidth = std::numeric_limits<std::int32_t>::max();
    std::int32_t minHeight = std::numeric_limits<std::int32_t>::max();
    for (const BestSize& s : sizes) {
        if (s.width > 0 && s.height > 0) {
            minWidth = std::min(minWidth, s.width + spacing);
            minHeight = std::min(minHeight, s.height + spacing);
        }
    }
    SkylineBin bin(binWidth, binHeight, minWidth, minHeight);
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
        if (width > binWidth || height > binHeight)
            continue;
        if (bin.place(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), x[i], y[i]))
            ++placed;
    }
    return placed;
}

BestLayout packBest(const std::vector<BestSize>& sizes, const BestRules& rules)
{
    BestSearch search(sizes, rules);
    Candidate c = search.run();
    BestLayout layout;
    layout.x = std::move(c.x);
    layout.y = std::move(c.y);
    layout.width = static_cast<std::uint32_t>(c.width);
    layout.height = static_cast<std::uint32_t>(c.height);
    layout.placed = c.placed;
    return layout;
}
