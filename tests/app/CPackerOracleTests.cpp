// CPacker against the plain rendering of the packing rule on many random
// inputs: every mode, both alignments, spacings 0-8, repeated sizes, 1x1,
// long thin and zero-size entries, direct packs with odd limits and the full
// canvas search with several doublings.
#include "ReferencePacker.h"

#include "app/pack/CPacker.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

namespace {

#ifdef NDEBUG
constexpr int caseScale = 4; // Release: the full count
#else
constexpr int caseScale = 1; // sanitizer Debug builds run a quarter
#endif

enum class SizeMix { Small, Palette, Unit, Thin, WithZeros, Mixed };

struct RandomCase {
    std::vector<ReferenceRect> rects;
    ReferenceOptions options;
};

std::int32_t pick(std::mt19937& rng, std::int32_t low, std::int32_t high)
{
    return std::uniform_int_distribution<std::int32_t>(low, high)(rng);
}

ReferenceRect randomSize(std::mt19937& rng, SizeMix mix, const std::vector<ReferenceRect>& palette)
{
    ReferenceRect r;
    switch (mix) {
    case SizeMix::Small:
        r.width = pick(rng, 1, 24);
        r.height = pick(rng, 1, 24);
        break;
    case SizeMix::Palette:
        r = palette[static_cast<std::size_t>(pick(rng, 0, static_cast<std::int32_t>(palette.size()) - 1))];
        break;
    case SizeMix::Unit:
        r.width = 1;
        r.height = 1;
        break;
    case SizeMix::Thin:
        if (pick(rng, 0, 1) == 0) {
            r.width = pick(rng, 1, 2);
            r.height = pick(rng, 20, 200);
        } else {
            r.width = pick(rng, 20, 200);
            r.height = pick(rng, 1, 2);
        }
        break;
    case SizeMix::WithZeros:
        r.width = pick(rng, 0, 3) == 0 ? 0 : pick(rng, 1, 20);
        r.height = pick(rng, 0, 3) == 0 ? 0 : pick(rng, 1, 20);
        break;
    case SizeMix::Mixed:
        return randomSize(rng, static_cast<SizeMix>(pick(rng, 0, 4)), palette);
    }
    return r;
}

RandomCase makeCase(std::mt19937& rng, int maxCount)
{
    RandomCase c;
    c.options.mode = static_cast<PackMode>(pick(rng, 0, 2));
    c.options.alignment = pick(rng, 0, 1) == 0 ? AlignEdge : AlignCentre;
    c.options.spacing = static_cast<std::uint32_t>(pick(rng, 0, 8));
    const SizeMix mix = static_cast<SizeMix>(pick(rng, 0, 5));
    std::vector<ReferenceRect> palette(static_cast<std::size_t>(pick(rng, 1, 4)));
    for (ReferenceRect& p : palette) {
        p.width = pick(rng, 1, 32);
        p.height = pick(rng, 1, 32);
    }
    const int count = pick(rng, 0, maxCount);
    for (int i = 0; i < count; ++i) {
        ReferenceRect r = randomSize(rng, mix, palette);
        r.x = pick(rng, -5, 5); // stale positions from an earlier layout
        r.y = pick(rng, -5, 5);
        c.rects.push_back(r);
    }
    return c;
}

CPacker packerFor(const RandomCase& c)
{
    CPacker packer;
    packer.setMode(c.options.mode);
    packer.setAlignment(c.options.alignment);
    packer.setSpacing(c.options.spacing);
    for (std::size_t i = 0; i < c.rects.size(); ++i) {
        PackEntry e;
        e.name = std::to_string(i).c_str();
        e.x = c.rects[i].x;
        e.y = c.rects[i].y;
        e.width = c.rects[i].width;
        e.height = c.rects[i].height;
        packer.insertEntry(packer.count(), e);
    }
    return packer;
}

std::string describe(const RandomCase& c)
{
    std::ostringstream text;
    text << "mode " << c.options.mode << " align " << c.options.alignment << " spacing " << c.options.spacing
         << " sizes";
    for (const ReferenceRect& r : c.rects)
        text << ' ' << r.width << 'x' << r.height;
    return text.str();
}

void expectSamePositions(const CPacker& packer, const std::vector<ReferenceRect>& rects, const RandomCase& c)
{
    ASSERT_EQ(packer.count(), rects.size());
    for (std::uint32_t i = 0; i < packer.count(); ++i) {
        ASSERT_EQ(packer.entry(i).x, rects[i].x) << "entry " << i << ", " << describe(c);
        ASSERT_EQ(packer.entry(i).y, rects[i].y) << "entry " << i << ", " << describe(c);
    }
}

} // namespace

TEST(CPackerOracle, DirectPacksMatchThePlainLoop)
{
    std::mt19937 rng(20240601);
    for (int round = 0; round < 500 * caseScale; ++round) {
        const RandomCase c = makeCase(rng, 40);
        const auto maxWidth = static_cast<std::uint32_t>(pick(rng, 0, 160));
        const auto maxHeight = static_cast<std::uint32_t>(pick(rng, 0, 160));
        std::vector<ReferenceRect> expected = c.rects;
        const bool expectedFit = referencePack(expected, c.options, maxWidth, maxHeight);
        CPacker packer = packerFor(c);
        ASSERT_EQ(packer.pack(maxWidth, maxHeight), expectedFit)
            << maxWidth << "x" << maxHeight << ", " << describe(c);
        expectSamePositions(packer, expected, c);
    }
}

TEST(CPackerOracle, CanvasSearchMatchesThePlainLoop)
{
    std::mt19937 rng(77);
    for (int round = 0; round < 250 * caseScale; ++round) {
        const RandomCase c = makeCase(rng, round % 10 == 0 ? 150 : 60);
        const bool tight = pick(rng, 0, 1) == 1;
        std::vector<ReferenceRect> expected = c.rects;
        std::uint32_t width = 0, height = 0;
        const bool expectedFit = referenceCanvas(expected, c.options, tight, width, height);
        CPacker packer = packerFor(c);
        const std::optional<CanvasSize> size = packer.packCanvas(tight);
        ASSERT_EQ(size.has_value(), expectedFit) << describe(c);
        if (!size)
            continue;
        EXPECT_EQ(size->width, width) << describe(c);
        EXPECT_EQ(size->height, height) << describe(c);
        expectSamePositions(packer, expected, c);
    }
}

// Sets that need several doublings and fill larger canvases, where the side
// bookkeeping has many rows and pockets to track.
TEST(CPackerOracle, LargerSetsMatchThePlainLoop)
{
    std::mt19937 rng(4242);
    const int rounds = 6 * caseScale;
    for (int round = 0; round < rounds; ++round) {
        RandomCase c;
        c.options.mode = static_cast<PackMode>(round % 3);
        c.options.alignment = round % 2 == 0 ? AlignEdge : AlignCentre;
        c.options.spacing = static_cast<std::uint32_t>(pick(rng, 0, 3));
        const int count = c.options.mode == PackAuto ? 260 : 90;
        for (int i = 0; i < count; ++i) {
            ReferenceRect r;
            r.width = pick(rng, 1, 12) == 1 ? pick(rng, 1, 3) : pick(rng, 4, 40);
            r.height = pick(rng, 1, 12) == 1 ? pick(rng, 60, 120) : pick(rng, 4, 40);
            c.rects.push_back(r);
        }
        std::vector<ReferenceRect> expected = c.rects;
        std::uint32_t width = 0, height = 0;
        ASSERT_TRUE(referenceCanvas(expected, c.options, true, width, height));
        CPacker packer = packerFor(c);
        const std::optional<CanvasSize> size = packer.packCanvas(true);
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->width, width);
        EXPECT_EQ(size->height, height);
        expectSamePositions(packer, expected, c);
    }
}

// The oracle's float corner-and-edge test agrees with plain range overlap for
// solid rectangles, as the engine assumes.
TEST(CPackerOracle, SolidRectanglesCollideWhenRangesOverlap)
{
    std::mt19937 rng(5);
    for (int round = 0; round < 20000; ++round) {
        const ReferenceRect a{pick(rng, 0, 20), pick(rng, 0, 20), pick(rng, 1, 12), pick(rng, 1, 12)};
        const ReferenceRect b{pick(rng, 0, 20), pick(rng, 0, 20), pick(rng, 1, 12), pick(rng, 1, 12)};
        const bool overlap = a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
        ASSERT_EQ(referenceCollides(a, b), overlap);
    }
}

// Enough entries that the side lists span several summary groups (and the
// sizes force the search through 256, 512 and 1024).
TEST(CPackerOracle, HundredsOfSpritesMatchThePlainLoop)
{
    std::mt19937 rng(99);
    const int count = caseScale == 4 ? 500 : 250;
    for (int round = 0; round < 2; ++round) {
        RandomCase c;
        c.options.alignment = round == 0 ? AlignEdge : AlignCentre;
        c.options.spacing = static_cast<std::uint32_t>(round);
        for (int i = 0; i < count; ++i) {
            ReferenceRect r;
            r.width = pick(rng, 2, 40);
            r.height = pick(rng, 2, 40);
            c.rects.push_back(r);
        }
        std::vector<ReferenceRect> expected = c.rects;
        std::uint32_t width = 0, height = 0;
        ASSERT_TRUE(referenceCanvas(expected, c.options, true, width, height));
        CPacker packer = packerFor(c);
        const std::optional<CanvasSize> size = packer.packCanvas(true);
        ASSERT_TRUE(size.has_value());
        EXPECT_EQ(size->width, width);
        EXPECT_EQ(size->height, height);
        expectSamePositions(packer, expected, c);
    }
}
