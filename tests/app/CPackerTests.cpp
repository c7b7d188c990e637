// CPacker: entry bookkeeping, the documented layouts, the canvas search with
// its cap, and the arithmetic guards.
#include "app/pack/CPacker.h"

#include "image/ImageLimits.h"

#include <gtest/gtest.h>

#include <climits>
#include <utility>
#include <vector>

namespace {

PackEntry makeEntry(const char* name, std::int32_t width, std::int32_t height)
{
    PackEntry e;
    e.name = name;
    e.width = width;
    e.height = height;
    return e;
}

CPacker packerOf(const std::vector<std::pair<std::int32_t, std::int32_t>>& sizes, PackMode mode = PackAuto,
                 PackAlign alignment = AlignEdge, std::uint32_t spacing = 0)
{
    CPacker packer;
    packer.setMode(mode);
    packer.setAlignment(alignment);
    packer.setSpacing(spacing);
    for (const auto& [w, h] : sizes)
        packer.insertEntry(packer.count(), makeEntry("img", w, h));
    return packer;
}

std::vector<std::pair<std::int32_t, std::int32_t>> positions(const CPacker& packer)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> result;
    for (std::uint32_t i = 0; i < packer.count(); ++i)
        result.emplace_back(packer.entry(i).x, packer.entry(i).y);
    return result;
}

using Positions = std::vector<std::pair<std::int32_t, std::int32_t>>;

} // namespace

TEST(CPacker, EntriesInsertFindAndClear)
{
    CPacker packer;
    EXPECT_EQ(packer.mode(), PackAuto);
    EXPECT_EQ(packer.alignment(), AlignEdge);
    EXPECT_EQ(packer.spacing(), 0u);
    packer.insertEntry(0, makeEntry("b", 1, 1));
    packer.insertEntry(0, makeEntry("a", 2, 2));
    packer.insertEntry(99, makeEntry("c", 3, 3)); // beyond the count appends
    packer.insertEntry(1, makeEntry("a", 4, 4));  // a second "a"
    ASSERT_EQ(packer.count(), 4u);
    EXPECT_STREQ(packer.entry(0).name.c_str(), "a");
    EXPECT_STREQ(packer.entry(2).name.c_str(), "b");
    EXPECT_STREQ(packer.entry(3).name.c_str(), "c");
    EXPECT_EQ(packer.findEntry("a"), 0); // the first of two equal names
    EXPECT_EQ(packer.entry(0).width, 2);
    EXPECT_EQ(packer.findEntry("c"), 3);
    EXPECT_EQ(packer.findEntry("C"), -1); // case-sensitive
    EXPECT_EQ(packer.findEntry(""), -1);

    PackEntry original = makeEntry("copy", 5, 5);
    packer.insertEntry(0, original);
    original.name = "changed";
    EXPECT_STREQ(packer.entry(0).name.c_str(), "copy"); // inserted as a deep copy

    packer.setSpacing(3);
    packer.setMode(PackDown);
    packer.clear();
    EXPECT_EQ(packer.count(), 0u);
    EXPECT_EQ(packer.spacing(), 3u);
    EXPECT_EQ(packer.mode(), PackDown);
    EXPECT_TRUE(packer.pack(0, 0)); // nothing to place
}

TEST(CPacker, EmptyPackerCanvas)
{
    CPacker packer;
    auto size = packer.packCanvas(false);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 64u);
    size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 0u);
    EXPECT_EQ(size->height, 0u);
    packer.setSpacing(5);
    size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 5u);
    EXPECT_EQ(size->height, 5u);
}

TEST(CPacker, FirstEntryMayTouchTheLimits)
{
    CPacker packer = packerOf({{64, 64}});
    auto size = packer.packCanvas(false);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 64u);
    packer.setSpacing(1);
    EXPECT_FALSE(packer.pack(64, 64));
    size = packer.packCanvas(false);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 128u);
    size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 66u);
    EXPECT_EQ(size->height, 66u);
    EXPECT_EQ(positions(packer), (Positions{{1, 1}}));
}

TEST(CPacker, FourSquaresInEveryMode)
{
    CPacker packer = packerOf({{32, 32}, {32, 32}, {32, 32}, {32, 32}});
    EXPECT_FALSE(packer.pack(64, 64));
    auto size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {32, 0}, {64, 0}, {0, 32}}));
    EXPECT_EQ(size->width, 96u);
    EXPECT_EQ(size->height, 64u);
    EXPECT_EQ(packer.packCanvas(false)->width, 128u);

    packer.setMode(PackDown);
    EXPECT_FALSE(packer.pack(128, 128));
    size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {0, 32}, {0, 64}, {0, 96}}));
    EXPECT_EQ(size->width, 32u);
    EXPECT_EQ(size->height, 128u);
    EXPECT_EQ(packer.packCanvas(false)->width, 256u);

    packer.setMode(PackRight);
    size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {32, 0}, {64, 0}, {96, 0}}));
    EXPECT_EQ(size->width, 128u);
    EXPECT_EQ(size->height, 32u);
    EXPECT_EQ(packer.packCanvas(false)->width, 256u);
}

TEST(CPacker, CentringAndItsClamp)
{
    CPacker packer = packerOf({{10, 30}, {10, 10}});
    ASSERT_TRUE(packer.pack(64, 64));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {10, 0}}));
    packer.setAlignment(AlignCentre);
    ASSERT_TRUE(packer.pack(64, 64));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {10, 10}}));

    packer = packerOf({{10, 10}, {10, 30}}, PackAuto, AlignCentre);
    ASSERT_TRUE(packer.pack(64, 64));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {10, 0}})); // 5 - 15 clamps to 0

    packer = packerOf({{30, 10}, {10, 10}}, PackDown, AlignCentre);
    ASSERT_TRUE(packer.pack(64, 64));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {10, 10}}));
}

TEST(CPacker, CentringNeverOverlaps)
{
    // The second small image is tested at (20, 0), free because the first now
    // covers rows 15-24; centred it would lie exactly on top of the first, so
    // it keeps the edge-aligned spot.
    CPacker packer = packerOf({{20, 40}, {10, 10}, {10, 10}}, PackAuto, AlignCentre);
    ASSERT_TRUE(packer.pack(64, 64));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {20, 15}, {20, 0}}));
    // Below: the centred spot of the third would overlap the second.
    packer = packerOf({{40, 20}, {10, 10}, {10, 10}}, PackDown, AlignCentre);
    ASSERT_TRUE(packer.pack(64, 64));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {15, 20}, {0, 20}}));
}

TEST(CPacker, TouchingImagesDoNotCollideAndPreChecksAreStrict)
{
    // 3 + 3 + 0 < 7 lets the second sit right against the first.
    CPacker packer = packerOf({{3, 3}, {3, 3}});
    EXPECT_TRUE(packer.pack(7, 7));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {3, 0}}));
    // 3 + 3 < 6 fails beside; below needs 3 + 3 < 6 as well: nowhere.
    EXPECT_FALSE(packer.pack(6, 6));
    // The vertical pre-check for beside uses the neighbour's bottom: 3 + 3 < 6 fails
    // even though the candidate's own rows would fit, so it goes nowhere; with
    // one more row the beside slot is taken.
    EXPECT_TRUE(packer.pack(7, 6) == false);
    EXPECT_TRUE(packer.pack(7, 7));
    // Spacing counts in the beside width check and the below height check.
    packer.setSpacing(1);
    EXPECT_FALSE(packer.pack(8, 8)); // 1+3 + 3 + 1 = 8 is not < 8, and below 4+3+1 = 8 neither
    EXPECT_TRUE(packer.pack(9, 8));
    EXPECT_EQ(positions(packer), (Positions{{1, 1}, {5, 1}}));
}

TEST(CPacker, FailureStopsAtTheFirstEntryThatFitsNowhere)
{
    CPacker packer = packerOf({{10, 10}, {10, 10}, {50, 50}, {5, 5}});
    packer.entry(2).x = 77;
    packer.entry(3).x = 88;
    EXPECT_FALSE(packer.pack(40, 40));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {10, 0}, {77, 0}, {88, 0}}));
}

TEST(CPacker, ZeroSizeEntriesFollowTheCornerAndEdgeRule)
{
    // A zero-width entry beside a neighbour at spacing 0 has its corners one
    // column back, inside the neighbour, so it goes below instead.
    CPacker packer = packerOf({{4, 4}, {0, 3}});
    ASSERT_TRUE(packer.pack(64, 64));
    EXPECT_EQ(positions(packer), (Positions{{0, 0}, {0, 4}}));
    // Zero-size entries count in the tight extent by their right and bottom.
    packer = packerOf({{0, 0}}, PackAuto, AlignEdge, 2);
    auto size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 4u);
}

TEST(CPacker, CanvasSearchIsCappedAtTheLargestImageSide)
{
    CPacker packer = packerOf({{static_cast<std::int32_t>(maxImageSide), 10}});
    auto size = packer.packCanvas(false);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, maxImageSide);
    packer.setSpacing(1);
    EXPECT_FALSE(packer.packCanvas(false)); // would need 32768
    packer = packerOf({{static_cast<std::int32_t>(maxImageSide) + 1, 1}});
    EXPECT_FALSE(packer.packCanvas(true));
    // The tight size adds the spacing again and must stay within the cap.
    packer = packerOf({{static_cast<std::int32_t>(maxImageSide) - 2, 5}}, PackAuto, AlignEdge, 1);
    size = packer.packCanvas(true);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, maxImageSide);
    packer = packerOf({{static_cast<std::int32_t>(maxImageSide) - 1, 5}}, PackAuto, AlignEdge, 1);
    EXPECT_FALSE(packer.packCanvas(true));
    // An empty atlas with a huge spacing is refused rather than enormous.
    CPacker empty;
    empty.setSpacing(maxImageSide + 1);
    EXPECT_FALSE(empty.packCanvas(true));
}

TEST(CPacker, HugeValuesDoNotWrapAround)
{
    // In 32-bit unsigned sums 0xFFFFFFF0 + 32 would wrap to 16 and pass.
    CPacker packer = packerOf({{16, 16}, {16, 16}});
    packer.setSpacing(0xFFFFFFF0u);
    EXPECT_FALSE(packer.pack(64, 64));
    EXPECT_FALSE(packer.pack(UINT32_MAX, UINT32_MAX));
    packer = packerOf({{INT32_MAX, 1}, {INT32_MAX, 1}});
    EXPECT_FALSE(packer.pack(UINT32_MAX, UINT32_MAX)); // second one cannot go beside nor below
    EXPECT_EQ(packer.entry(0).x, 0);
    packer = packerOf({{10, 10}, {-5, 10}, {10, 10}});
    EXPECT_FALSE(packer.pack(100, 100)); // a negative size fits nowhere
    EXPECT_EQ(packer.entry(1).x, 10 * 0);
    // Limits beyond 2^31 - 1: positions stay valid int32 values.
    packer = packerOf({{1 << 30, 1}, {(1 << 30) - 10, 1}});
    ASSERT_TRUE(packer.pack(UINT32_MAX, UINT32_MAX));
    EXPECT_EQ(packer.entry(1).x, 1 << 30);
}
