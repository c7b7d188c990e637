// The plain packing loop, written straight from the rule it checks.
#include "ReferencePacker.h"

#include <algorithm>

namespace {

struct Point {
    float x;
    float y;
};

struct Corners {
    Point topLeft, topRight, bottomRight, bottomLeft;
};

Corners cornersOf(const ReferenceRect& r)
{
    const float left = static_cast<float>(r.x);
    const float top = static_cast<float>(r.y);
    const float right = static_cast<float>(r.x + r.width - 1);
    const float bottom = static_cast<float>(r.y + r.height - 1);
    return {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

bool inside(const Point& p, const Corners& box)
{
    return box.topLeft.x <= p.x && p.x <= box.bottomRight.x && box.topLeft.y <= p.y && p.y <= box.bottomRight.y;
}

bool segmentsCross(const Point& p1, const Point& p2, const Point& p3, const Point& p4)
{
    const float d = (p4.y - p3.y) * (p2.x - p1.x) - (p2.y - p1.y) * (p4.x - p3.x);
    if (d == 0.0f)
        return false;
    const float ua = ((p4.x - p3.x) * (p1.y - p3.y) - (p4.y - p3.y) * (p1.x - p3.x)) / d;
    const float ub = ((p2.x - p1.x) * (p1.y - p3.y) - (p2.y - p1.y) * (p1.x - p3.x)) / d;
    return ua >= 0.0f && ua <= 1.0f && ub >= 0.0f && ub <= 1.0f;
}

} // namespace

bool referenceCollides(const ReferenceRect& ra, const ReferenceRect& rb)
{
    const Corners a = cornersOf(ra);
    const Corners b = cornersOf(rb);
    for (const Point& p : {a.topLeft, a.topRight, a.bottomRight, a.bottomLeft})
        if (inside(p, b))
            return true;
    for (const Point& p : {b.topLeft, b.topRight, b.bottomRight, b.bottomLeft})
        if (inside(p, a))
            return true;
    // Edges: top TL-TR, bottom BR-BL, left TL-BL, right TR-BR.
    return segmentsCross(a.topLeft, a.topRight, b.topLeft, b.bottomLeft)         // A top, B left
        || segmentsCross(a.topLeft, a.topRight, b.topRight, b.bottomRight)       // A top, B right
        || segmentsCross(a.bottomRight, a.bottomLeft, b.topLeft, b.bottomLeft)   // A bottom, B left
        || segmentsCross(a.bottomRight, a.bottomLeft, b.topRight, b.bottomRight) // A bottom, B right
        || segmentsCross(a.topLeft, a.bottomLeft, b.topLeft, b.topRight)         // A left, B top
        || segmentsCross(a.topLeft, a.bottomLeft, b.bottomRight, b.bottomLeft)   // A left, B bottom
        || segmentsCross(a.topRight, a.bottomRight, b.topLeft, b.topRight)       // A right, B top
        || segmentsCross(a.topRight, a.bottomRight, b.bottomRight, b.bottomLeft); // A right, B bottom
}

namespace {

bool collidesWithAny(const ReferenceRect& candidate, const std::vector<ReferenceRect>& rects, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (referenceCollides(candidate, rects[i]))
            return true;
    return false;
}

std::uint32_t u(std::int32_t v)
{
    return static_cast<std::uint32_t>(v);
}

} // namespace

bool referencePack(std::vector<ReferenceRect>& rects, const ReferenceOptions& options, std::uint32_t maxWidth,
                   std::uint32_t maxHeight)
{
    if (rects.empty())
        return true;
    const std::uint32_t s = options.spacing;
    rects[0].x = static_cast<std::int32_t>(s);
    rects[0].y = static_cast<std::int32_t>(s);
    if (u(rects[0].x + rects[0].width) > maxWidth || u(rects[0].y + rects[0].height) > maxHeight)
        return false;
    const bool beside = options.mode == PackAuto || options.mode == PackRight;
    const bool below = options.mode == PackAuto || options.mode == PackDown;
    const bool centre = options.alignment == AlignCentre;
    for (std::size_t n = 1; n < rects.size(); ++n) {
        ReferenceRect& e = rects[n];
        bool placed = false;
        for (std::size_t k = 0; beside && !placed && k < n; ++k) {
            const ReferenceRect& o = rects[k];
            if (!(u(o.x + o.width) + u(e.width) + s < maxWidth && u(o.y + o.height) + u(e.height) < maxHeight))
                continue;
            const ReferenceRect candidate{o.x + o.width + static_cast<std::int32_t>(s), o.y, e.width, e.height};
            if (collidesWithAny(candidate, rects, n))
                continue;
            e.x = candidate.x;
            e.y = candidate.y;
            if (centre) {
                ReferenceRect centred = candidate;
                centred.y = std::max(0, o.height / 2 + o.y - e.height / 2);
                if (!collidesWithAny(centred, rects, n))
                    e.y = centred.y;
            }
            placed = true;
        }
        for (std::size_t k = 0; below && !placed && k < n; ++k) {
            const ReferenceRect& o = rects[k];
            if (!(u(o.x + o.width) + u(e.width) < maxWidth && u(o.y + o.height) + u(e.height) + s < maxHeight))
                continue;
            const ReferenceRect candidate{o.x, o.y + o.height + static_cast<std::int32_t>(s), e.width, e.height};
            if (collidesWithAny(candidate, rects, n))
                continue;
            e.x = candidate.x;
            e.y = candidate.y;
            if (centre) {
                ReferenceRect centred = candidate;
                centred.x = std::max(0, o.width / 2 + o.x - e.width / 2);
                if (!collidesWithAny(centred, rects, n))
                    e.x = centred.x;
            }
            placed = true;
        }
        if (!placed)
            return false;
    }
    return true;
}

bool referenceCanvas(std::vector<ReferenceRect>& rects, const ReferenceOptions& options, bool tightPack,
                     std::uint32_t& width, std::uint32_t& height)
{
    std::uint32_t side = 64;
    while (!referencePack(rects, options, side, side)) {
        side *= 2;
        if (side > 16384)
            return false;
    }
    width = side;
    height = side;
    if (tightPack) {
        std::int32_t right = 0, bottom = 0;
        for (const ReferenceRect& r : rects) {
            right = std::max(right, r.x + r.width);
            bottom = std::max(bottom, r.y + r.height);
        }
        width = static_cast<std::uint32_t>(right) + options.spacing;
        height = static_cast<std::uint32_t>(bottom) + options.spacing;
    }
    return true;
}
