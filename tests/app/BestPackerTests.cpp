// The best-fit packer's plans and its free-rectangle bin: whatever plan wins
// (skyline, free rectangles, transposed, turned images), the layout keeps
// every image inside the canvas, apart by the spacing, clear of the margin,
// and comes out the same on every run.
#include "app/pack/CBestPacker.h"
#include "app/pack/CFreeRectBin.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

int between(std::mt19937& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

// The kinds of sets that bring different plans to the top.
std::vector<BestSize> mixOf(int kind, int count, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<BestSize> sizes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        BestSize& s = sizes[static_cast<std::size_t>(i)];
        switch (kind) {
        case 0: // uniform
            s = {between(rng, 1, 64), between(rng, 1, 64)};
            break;
        case 1: // tall strips
            s = {between(rng, 4, 16), between(rng, 40, 200)};
            break;
        case 2: // strips both ways
            s = {between(rng, 4, 16), between(rng, 40, 200)};
            if (i % 2)
                s = {s.height, s.width};
            break;
        default: // giants among tiny
            s = i % 50 == 0 ? BestSize{between(rng, 200, 600), between(rng, 200, 600)}
                            : BestSize{between(rng, 2, 24), between(rng, 2, 24)};
            break;
        }
    }
    sizes[3] = {0, 7}; // zero-size images sit at the margin corner
    return sizes;
}

// Every fault of a layout, as text ("" when it has none).
std::string faultOf(const std::vector<BestSize>& sizes, const BestRules& rules, const BestLayout& layout)
{
    const auto stored = [&](std::size_t i) {
        const bool turned = !layout.rotated.empty() && layout.rotated[i] != 0;
        return turned ? BestSize{sizes[i].height, sizes[i].width} : sizes[i];
    };
    if (layout.placed != sizes.size())
        return "placed " + std::to_string(layout.placed) + " of " + std::to_string(sizes.size());
    if (layout.width > rules.maxSize || layout.height > rules.maxSize)
        return "canvas above maxSize";
    const std::int64_t gap = rules.spacing, margin = rules.margin;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const BestSize s = stored(i);
        if (!rules.rotate && !layout.rotated.empty() && layout.rotated[i] != 0)
            return "image " + std::to_string(i) + " turned without rotation";
        if (layout.x[i] < margin || layout.y[i] < margin || layout.x[i] + s.width + margin > layout.width ||
            layout.y[i] + s.height + margin > layout.height)
            return "image " + std::to_string(i) + " leaves the canvas or its margin";
        for (std::size_t j = 0; j < i && s.width > 0 && s.height > 0; ++j) {
            const BestSize t = stored(j);
            if (t.width == 0 || t.height == 0)
                continue;
            const bool apart =
                layout.x[i] >= layout.x[j] + t.width + gap || layout.x[j] >= layout.x[i] + s.width + gap ||
                layout.y[i] >= layout.y[j] + t.height + gap || layout.y[j] >= layout.y[i] + s.height + gap;
            if (!apart)
                return "images " + std::to_string(j) + " and " + std::to_string(i) + " closer than the spacing";
        }
    }
    return "";
}

TEST(BestPacker, EveryPlanGivesASoundRepeatableLayout)
{
    struct Case {
        int kind;
        int count; // from 2,000 images the free rectangles lead the search
        bool rotate;
        std::uint32_t spacing, margin;
        bool tight = true;
    };
    const Case cases[] = {
        {0, 300, false, 0, 0},  {0, 2500, true, 1, 2},  {1, 100, false, 0, 0},  {1, 1000, false, 2, 0},
        {1, 2200, false, 0, 3}, {2, 100, false, 0, 0},  {2, 500, true, 0, 0},   {2, 2100, false, 3, 1},
        {3, 600, true, 2, 5},   {3, 1000, false, 0, 0}, {3, 2000, true, 0, 0},  {1, 300, false, 1, 2, false},
        {2, 2100, true, 0, 1, false},
        // Giants among tiny ones: the canvas' edges are compacted.
        {3, 1000, true, 1, 2},  {3, 1000, false, 2, 3},
    };
    for (const Case& c : cases) {
        const std::vector<BestSize> sizes = mixOf(c.kind, c.count, 40u + static_cast<unsigned>(c.kind));
        BestRules rules;
        rules.rotate = c.rotate;
        rules.spacing = c.spacing;
        rules.margin = c.margin;
        rules.tight = c.tight;
        const BestLayout layout = packBest(sizes, rules);
        const std::string where = "kind " + std::to_string(c.kind) + " count " + std::to_string(c.count);
        EXPECT_EQ(faultOf(sizes, rules, layout), "") << where;
        const BestLayout again = packBest(sizes, rules);
        EXPECT_EQ(again.x, layout.x) << where;
        EXPECT_EQ(again.y, layout.y) << where;
        EXPECT_EQ(again.rotated, layout.rotated) << where;
    }
}

TEST(BestPacker, FreeRectBinKeepsRectanglesApartAndInside)
{
    for (const CFreeRectBin::Rule rule : {CFreeRectBin::Rule::TopEdge, CFreeRectBin::Rule::ShortSide}) {
        for (const bool mayTurn : {false, true}) {
            std::mt19937 rng(7);
            CFreeRectBin bin(300, 200, rule);
            struct Placed {
                int x, y, w, h;
            };
            // Room already taken, partly outside the bin.
            std::vector<Placed> placed = {{20, 30, 50, 40}, {280, 150, 40, 80}};
            for (const Placed& p : placed)
                bin.occupy(p.x, p.y, p.w, p.h);
            std::int64_t area = 50 * 40 + 20 * 50;
            for (int i = 0; i < 400; ++i) {
                const int w = between(rng, 1, 40), h = between(rng, 1, 40);
                int x = 0, y = 0;
                bool turned = false;
                if (!bin.place(w, h, mayTurn, x, y, turned))
                    continue;
                ASSERT_TRUE(mayTurn || !turned);
                const Placed p{x, y, turned ? h : w, turned ? w : h};
                ASSERT_TRUE(p.x >= 0 && p.y >= 0 && p.x + p.w <= 300 && p.y + p.h <= 200);
                for (const Placed& q : placed)
                    ASSERT_TRUE(p.x >= q.x + q.w || q.x >= p.x + p.w || p.y >= q.y + q.h || q.y >= p.y + p.h);
                placed.push_back(p);
                area += std::int64_t(p.w) * p.h;
            }
            // Refusals come from a full bin, not from lost room.
            EXPECT_GT(area, 300 * 200 * 9 / 10);
        }
    }
}

} // namespace
