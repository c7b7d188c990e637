// CFreeRectBin: maximal free rectangles, best short side fit.
#include "app/pack/CFreeRectBin.h"

#include <algorithm>
#include <limits>

namespace {

bool inside(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, std::int32_t outerX,
            std::int32_t outerY, std::int32_t outerWidth, std::int32_t outerHeight)
{
    return x >= outerX && y >= outerY && x + width <= outerX + outerWidth && y + height <= outerY + outerHeight;
}

} // namespace

CFreeRectBin::CFreeRectBin(std::int32_t width, std::int32_t height, Rule rule) : rule_(rule)
{
    if (width > 0 && height > 0)
        free_.push_back({0, 0, width, height});
}

// The list order: by bottom edge, highest up first, then by top, left and
// width.
bool CFreeRectBin::before(const Rect& a, const Rect& b)
{
    const std::int32_t aBottom = a.y + a.height, bBottom = b.y + b.height;
    if (aBottom != bBottom)
        return aBottom < bBottom;
    if (a.y != b.y)
        return a.y < b.y;
    if (a.x != b.x)
        return a.x < b.x;
    return a.width < b.width;
}

bool CFreeRectBin::place(std::int32_t width, std::int32_t height, bool mayTurn, std::int32_t& x, std::int32_t& y,
                         bool& turned)
{
    mayTurn = mayTurn && width != height;
    wake(mayTurn ? std::min(width, height) : height);
    // (first key, second key, top, left), smallest wins.
    constexpr std::int32_t none = std::numeric_limits<std::int32_t>::max();
    std::int32_t bestFirst = none, bestSecond = none, bestY = none, bestX = none;
    bool chosenTurned = false;
    work_ += static_cast<std::int64_t>(free_.size());
    for (const Rect& f : free_) {
        for (int turn = 0; turn < (mayTurn ? 2 : 1); ++turn) {
            const std::int32_t w = turn ? height : width;
            const std::int32_t h = turn ? width : height;
            if (w > f.width || h > f.height)
                continue;
            std::int32_t first = 0, second = 0;
            if (rule_ == Rule::TopEdge) {
                first = f.y + h;
                second = f.x;
            } else {
                first = std::min(f.width - w, f.height - h);
                second = std::max(f.width - w, f.height - h);
            }
            if (first < bestFirst ||
                (first == bestFirst &&
                 (second < bestSecond || (second == bestSecond && (f.y < bestY || (f.y == bestY && f.x < bestX)))))) {
                bestFirst = first;
                bestSecond = second;
                bestY = f.y;
                bestX = f.x;
                chosenTurned = turn != 0;
            }
        }
    }
    if (bestFirst == none)
        return false;
    x = bestX;
    y = bestY;
    turned = chosenTurned;
    split({x, y, chosenTurned ? height : width, chosenTurned ? width : height});
    return true;
}

void CFreeRectBin::occupy(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    if (width > 0 && height > 0)
        split({x, y, width, height});
}

void CFreeRectBin::dropSmallerThan(std::int32_t minWidth, std::int32_t minHeight)
{
    for (std::vector<Rect>* list : {&free_, &low_}) {
        list->erase(std::remove_if(list->begin(), list->end(),
                                   [&](const Rect& f) { return f.width < minWidth || f.height < minHeight; }),
                    list->end());
    }
}

// Rectangles lower than every size placed so far wait in low_, out of the
// placement's way, until a size that low comes.
void CFreeRectBin::wake(std::int32_t lowest)
{
    if (lowest >= threshold_)
        return;
    threshold_ = lowest;
    work_ += static_cast<std::int64_t>(low_.size());
    std::size_t kept = 0;
    for (const Rect& f : low_) {
        if (f.height >= threshold_)
            free_.insert(std::upper_bound(free_.begin(), free_.end(), f, before), f);
        else
            low_[kept++] = f;
    }
    low_.resize(kept);
}

// The rectangles of the list ending below `row`, in list order.
std::size_t CFreeRectBin::endingBelow(const std::vector<Rect>& list, std::int32_t row)
{
    return static_cast<std::size_t>(
        std::partition_point(list.begin(), list.end(), [row](const Rect& f) { return f.y + f.height <= row; }) -
        list.begin());
}

// Takes the rectangles of the list that overlap `used` out, their pieces
// around it into added_; true when there were any.
bool CFreeRectBin::cut(std::vector<Rect>& list, const Rect& used)
{
    const std::int32_t usedRight = used.x + used.width, usedBottom = used.y + used.height;
    // By bottom edge: the rectangles that end above the used one (most of
    // the list: holes the images passed) come first and cannot overlap it.
    const std::size_t first = endingBelow(list, used.y);
    work_ += static_cast<std::int64_t>(list.size() - first);
    std::size_t kept = first;
    for (std::size_t i = first; i < list.size(); ++i) {
        const Rect f = list[i];
        const std::int32_t right = f.x + f.width, bottom = f.y + f.height;
        if (used.x >= right || usedRight <= f.x || usedBottom <= f.y) {
            list[kept++] = f;
            continue;
        }
        if (used.x > f.x)
            added_.push_back({f.x, f.y, used.x - f.x, f.height});
        if (usedRight < right)
            added_.push_back({usedRight, f.y, right - usedRight, f.height});
        if (used.y > f.y)
            added_.push_back({f.x, f.y, f.width, used.y - f.y});
        if (usedBottom < bottom)
            added_.push_back({f.x, usedBottom, f.width, bottom - usedBottom});
    }
    if (kept == list.size())
        return false;
    list.resize(kept);
    return true;
}

void CFreeRectBin::split(const Rect& used)
{
    added_.clear();
    const bool cutFree = cut(free_, used);
    const bool cutLow = cut(low_, used);
    if (!cutFree && !cutLow)
        return;
    // Only a new piece can lie inside another rectangle: a surviving one
    // inside a new piece would have been inside the rectangle it came from.
    // Of two equal new pieces the first stays. A rectangle holding a piece
    // ends no higher than it, and reaches over the pieces' bounds.
    std::int32_t left = std::numeric_limits<std::int32_t>::max(), top = left, lastBottom = left;
    std::int32_t right = std::numeric_limits<std::int32_t>::min();
    for (const Rect& a : added_) {
        left = std::min(left, a.x);
        top = std::min(top, a.y);
        right = std::max(right, a.x + a.width);
        lastBottom = std::min(lastBottom, a.y + a.height);
    }
    covered_.assign(added_.size(), 0);
    for (const std::vector<Rect>* list : {&free_, &low_}) {
        for (std::size_t j = endingBelow(*list, lastBottom - 1); j < list->size(); ++j) {
            ++work_;
            const Rect& f = (*list)[j];
            if (f.x >= right || f.x + f.width <= left || f.y + f.height <= top)
                continue;
            work_ += static_cast<std::int64_t>(added_.size());
            for (std::size_t k = 0; k < added_.size(); ++k) {
                const Rect& a = added_[k];
                if (!covered_[k] && inside(a.x, a.y, a.width, a.height, f.x, f.y, f.width, f.height))
                    covered_[k] = 1;
            }
        }
    }
    work_ += static_cast<std::int64_t>(added_.size() * added_.size());
    for (std::size_t k = 0; k < added_.size(); ++k) {
        const Rect& a = added_[k];
        bool covered = covered_[k] != 0;
        for (std::size_t j = 0; j < added_.size() && !covered; ++j) {
            if (j == k)
                continue;
            const Rect& b = added_[j];
            const bool inB = inside(a.x, a.y, a.width, a.height, b.x, b.y, b.width, b.height);
            const bool bInA = inside(b.x, b.y, b.width, b.height, a.x, a.y, a.width, a.height);
            covered = inB && (!bInA || j < k);
        }
        if (covered)
            continue;
        std::vector<Rect>& list = a.height >= threshold_ ? free_ : low_;
        list.insert(std::upper_bound(list.begin(), list.end(), a, before), a);
    }
    if (free_.size() + low_.size() > maxFree) {
        trim(free_, maxFree / 4);
        trim(low_, maxFree / 4);
    }
}

// Keeps the `keep` largest rectangles of the list, in list order.
void CFreeRectBin::trim(std::vector<Rect>& list, std::size_t keep)
{
    if (list.size() <= keep)
        return;
    std::vector<std::int64_t> areas;
    areas.reserve(list.size());
    for (const Rect& f : list)
        areas.push_back(std::int64_t(f.width) * f.height);
    std::nth_element(areas.begin(), areas.begin() + static_cast<std::ptrdiff_t>(list.size() - keep), areas.end());
    const std::int64_t least = areas[list.size() - keep];
    std::size_t kept = 0;
    for (const Rect& f : list) {
        if (std::int64_t(f.width) * f.height >= least && kept < keep)
            list[kept++] = f;
    }
    list.resize(kept);
}
