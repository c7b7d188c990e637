// CFreeRectBin: one bin of fixed width and height that keeps every maximal
// free rectangle (the MaxRects scheme), placing each rectangle by best short
// side fit.
//
// A placed rectangle goes into the free rectangle that it leaves the least
// room in along its tighter side (then along the other side; then the
// topmost, then the leftmost spot), optionally turned 90 degrees when that
// fits tighter. Every free rectangle it overlaps is cut into the up to four
// maximal pieces around it, and pieces inside another free rectangle are
// dropped. It fills holes anywhere in the bin, which suits sets of mixed
// shapes (strips of both orientations, a few giants among tiny images) far
// better than a skyline, at a higher cost per rectangle.
//
// Kept fast for the best-fit search: the caller may drop the free
// rectangles too small for anything still to come (dropSmallerThan), and
// the list never grows past a bound (the smallest rectangles go first), so
// a placement costs O(f) for f free rectangles, at most maxFree. Integer
// arithmetic and list order only: the same calls give the same positions.
// It does not know about spacing: the caller adds it to the sizes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

class CFreeRectBin {
public:
    // How the free rectangle is chosen: best short side fit, or the one
    // where the placed rectangle's bottom edge is highest up (then the
    // leftmost), which fills the bin from the top like a skyline that
    // never loses a hole.
    enum class Rule { ShortSide, TopEdge };

    CFreeRectBin(std::int32_t width, std::int32_t height, Rule rule = Rule::ShortSide);

    // Places a width x height rectangle, or with `mayTurn` a height x width
    // one when that fits tighter (`turned` says which); false when it fits
    // nowhere (nothing changes then).
    bool place(std::int32_t width, std::int32_t height, bool mayTurn, std::int32_t& x, std::int32_t& y, bool& turned);

    // Marks a width x height rectangle at x, y as taken, without looking for
    // a place (the bin then holds the free room of an existing layout). The
    // part outside the bin is ignored.
    void occupy(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

    // Forgets the free rectangles narrower than minWidth or lower than
    // minHeight: the caller has nothing left that fits them.
    void dropSmallerThan(std::int32_t minWidth, std::int32_t minHeight);

    std::size_t freeCount() const { return free_.size() + low_.size(); }

    // Free rectangles looked at so far: the cost of the placements.
    std::int64_t work() const { return work_; }

    // The most free rectangles kept; beyond it the smallest are forgotten
    // (their room is lost, the layout stays sound).
    static constexpr std::size_t maxFree = 4096;

private:
    struct Rect {
        std::int32_t x;
        std::int32_t y;
        std::int32_t width;
        std::int32_t height;
    };

    static bool before(const Rect& a, const Rect& b);
    static std::size_t endingBelow(const std::vector<Rect>& list, std::int32_t row);
    void wake(std::int32_t lowest);
    bool cut(std::vector<Rect>& list, const Rect& used);
    void split(const Rect& used);
    static void trim(std::vector<Rect>& list, std::size_t keep);

    Rule rule_;
    // The free rectangles in (bottom, top, left, width) order: free_ those
    // at least threshold_ high (the lowest size placed so far), low_ the
    // others.
    std::vector<Rect> free_;
    std::vector<Rect> low_;
    std::int32_t threshold_ = std::numeric_limits<std::int32_t>::max();
    std::int64_t work_ = 0;
    std::vector<Rect> added_; // scratch for split
    std::vector<std::uint8_t> covered_;

};
