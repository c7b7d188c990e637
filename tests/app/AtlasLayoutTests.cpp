// AtlasLayout and the best-fit packer: the exact modes unchanged by the API,
// the border, canvas limits and pages for every mode, and what the best-fit
// layout must never do (overlap, leave a page, lose an image, break spacing,
// differ between runs).
#include "app/pack/AtlasLayout.h"
#include "app/pack/CBestPacker.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<LayoutImage> randomImages(std::size_t count, unsigned seed, int least = 8, int most = 64)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> side(least, most);
    std::vector<LayoutImage> images(count);
    for (std::size_t i = 0; i < count; ++i) {
        images[i].name = String(("img" + std::to_string(i)).c_str());
        images[i].width = side(rng);
        images[i].height = side(rng);
    }
    return images;
}

bool isPowerOfTwo(std::uint32_t v)
{
    return v != 0 && (v & (v - 1)) == 0;
}

// Every fault a layout can have, as text ("" when it has none).
std::string faultOf(const std::vector<LayoutImage>& images, const LayoutOptions& options, const AtlasLayout& layout)
{
    std::size_t unplaced = 0;
    // The exact modes keep the spacing between an image and the neighbour
    // it is attached to only; the best-fit layout keeps it between all.
    const std::int64_t gap = options.mode == PackBest ? options.spacing : 0;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const LayoutFrame& f = layout.frames[i];
        if (f.page < 0) {
            ++unplaced;
            continue;
        }
        const LayoutPage& page = layout.pages[static_cast<std::size_t>(f.page)];
        if (f.x < 0 || f.y < 0 || std::int64_t(f.x) + images[i].width > page.width
            || std::int64_t(f.y) + images[i].height > page.height)
            return "image " + std::to_string(i) + " leaves its page";
        for (std::size_t j = 0; j < i; ++j) {
            const LayoutFrame& g = layout.frames[j];
            if (g.page != f.page || images[i].width == 0 || images[i].height == 0 || images[j].width == 0
                || images[j].height == 0)
                continue;
            const bool apart = std::int64_t(f.x) >= g.x + images[j].width + gap
                || std::int64_t(g.x) >= f.x + images[i].width + gap
                || std::int64_t(f.y) >= g.y + images[j].height + gap
                || std::int64_t(g.y) >= f.y + images[i].height + gap;
            if (!apart)
                return "images " + std::to_string(j) + " and " + std::to_string(i) + " are closer than the spacing";
        }
    }
    if (unplaced != layout.unplaced)
        return "unplaced count " + std::to_string(layout.unplaced) + ", frames say " + std::to_string(unplaced);
    for (const LayoutPage& page : layout.pages) {
        if (page.width > options.maxSize || page.height > options.maxSize)
            return "page above maxSize";
        if (options.pot && (!isPowerOfTwo(page.width) || !isPowerOfTwo(page.height)))
            return "page sides not powers of two";
        if (options.square && page.width != page.height)
            return "page not square";
    }
    return "";
}

TEST(AtlasLayout, ExactModesGiveTheCanvasSearchLayout)
{
    const std::vector<LayoutImage> images = randomImages(200, 3);
    for (const PackMode mode : {PackAuto, PackRight, PackDown}) {
        for (const bool tight : {true, false}) {
            CPacker packer;
            packer.setMode(mode);
            packer.setSpacing(2);
            for (const LayoutImage& image : images)
                packer.insertEntry(packer.count(), PackEntry{image.name, 0, 0, image.width, image.height});
            const std::optional<CanvasSize> size = packer.packCanvas(tight);
            ASSERT_TRUE(size);
            LayoutOptions options;
            options.mode = mode;
            options.spacing = 2;
            options.tight = tight;
            const AtlasLayout layout = layoutAtlas(images, options);
            ASSERT_TRUE(layout.fits());
            ASSERT_EQ(layout.pages.size(), 1u);
            EXPECT_EQ(layout.pages[0].width, size->width);
            EXPECT_EQ(layout.pages[0].height, size->height);
            for (std::uint32_t i = 0; i < packer.count(); ++i) {
                EXPECT_EQ(layout.frames[i].x, packer.entry(i).x);
                EXPECT_EQ(layout.frames[i].y, packer.entry(i).y);
            }
        }
    }
}

TEST(AtlasLayout, BorderIsTheMarginOnEveryEdge)
{
    const std::vector<LayoutImage> images = {{String("a"), 10, 10}, {String("b"), 10, 10}};
    for (const PackMode mode : {PackAuto, PackBest}) {
        LayoutOptions options;
        options.mode = mode;
        options.spacing = 3;
        options.border = 5;
        const AtlasLayout layout = layoutAtlas(images, options);
        ASSERT_TRUE(layout.fits());
        // Side by side or stacked: 5 + 10 + 3 + 10 + 5 one way, 5 + 10 + 5
        // the other.
        const LayoutPage& page = layout.pages[0];
        EXPECT_EQ(std::min(page.width, page.height), 20u) << mode;
        EXPECT_EQ(std::max(page.width, page.height), 33u) << mode;
        EXPECT_EQ(std::min(layout.frames[0].x, layout.frames[1].x), 5) << mode;
        EXPECT_EQ(std::min(layout.frames[0].y, layout.frames[1].y), 5) << mode;
    }
}

TEST(AtlasLayout, EveryModeKeepsTheCanvasRules)
{
    struct Case {
        PackMode mode;
        std::uint32_t maxSize;
        bool pot, square, multipack;
        std::uint32_t spacing;
    };
    const Case cases[] = {
        {PackAuto, 1024, true, false, false, 0},  {PackAuto, 1500, false, true, false, 1},
        {PackBest, 1000, false, true, false, 0},  {PackBest, 300, false, false, true, 2},
        {PackAuto, 200, false, false, true, 0},   {PackRight, 256, true, true, true, 1},
        {PackBest, 256, true, false, true, 0},    {PackBest, 2048, false, false, false, 4},
        {PackDown, 700, false, false, true, 0},   {PackBest, 1100, true, false, false, 0},
    };
    const std::vector<LayoutImage> images = randomImages(300, 7);
    for (const Case& c : cases) {
        LayoutOptions options;
        options.mode = c.mode;
        options.maxSize = c.maxSize;
        options.pot = c.pot;
        options.square = c.square;
        options.multipack = c.multipack;
        options.spacing = c.spacing;
        const AtlasLayout layout = layoutAtlas(images, options);
        const std::string where = "mode " + std::to_string(c.mode) + " max " + std::to_string(c.maxSize);
        EXPECT_TRUE(layout.fits()) << where;
        EXPECT_EQ(faultOf(images, options, layout), "") << where;
        EXPECT_EQ(c.multipack, layout.pages.size() > 1) << where;
    }
}

TEST(AtlasLayout, ImagesThatDoNotFitAreCounted)
{
    std::vector<LayoutImage> images = randomImages(50, 5);
    LayoutOptions options;
    options.maxSize = 128;
    // The exact mode stops at the first image without room: it and all
    // after it did not fit.
    AtlasLayout layout = layoutAtlas(images, options);
    EXPECT_GT(layout.unplaced, 0u);
    EXPECT_LT(layout.unplaced, images.size());
    EXPECT_TRUE(layout.pages.empty());
    options.multipack = true;
    const AtlasLayout pages = layoutAtlas(images, options);
    ASSERT_TRUE(pages.fits());
    EXPECT_EQ(pages.pages[0].images.size(), images.size() - layout.unplaced);

    // Images larger than a page: with multipack only they are left out.
    images[10].width = 200;
    images[11].height = INT32_MAX;
    for (const PackMode mode : {PackAuto, PackBest}) {
        options.mode = mode;
        layout = layoutAtlas(images, options);
        EXPECT_EQ(layout.unplaced, 2u) << mode;
        EXPECT_EQ(layout.frames[10].page, -1) << mode;
        EXPECT_EQ(faultOf(images, options, layout), "") << mode;
    }
    options.multipack = false;
    options.maxSize = 16384;
    images[10].width = -1;
    EXPECT_EQ(layoutAtlas(images, options).unplaced, 1u);
    options.maxSize = 0;
    EXPECT_EQ(layoutAtlas(images, options).unplaced, images.size());
}

TEST(AtlasLayout, BestFitIsDenseSoundAndRepeatable)
{
    // Odd sizes as well as zero-size and single-pixel images.
    std::vector<LayoutImage> images = randomImages(2000, 11, 1, 90);
    images[5].width = 0;
    images[6].height = 0;
    std::uint64_t area = 0;
    for (const LayoutImage& image : images)
        area += std::uint64_t(image.width) * image.height;
    for (const std::uint32_t spacing : {0u, 1u, 3u}) {
        LayoutOptions options;
        options.mode = PackBest;
        options.spacing = spacing;
        const AtlasLayout layout = layoutAtlas(images, options);
        ASSERT_TRUE(layout.fits());
        EXPECT_EQ(faultOf(images, options, layout), "") << spacing;
        if (spacing == 0) {
            EXPECT_GT(double(area) / (double(layout.pages[0].width) * layout.pages[0].height), 0.98);
        }
        const AtlasLayout again = layoutAtlas(images, options);
        for (std::size_t i = 0; i < images.size(); ++i) {
            ASSERT_EQ(again.frames[i].x, layout.frames[i].x);
            ASSERT_EQ(again.frames[i].y, layout.frames[i].y);
        }
    }
}

TEST(AtlasLayout, EmptyInputIsOnePageOfTheMargin)
{
    for (const PackMode mode : {PackAuto, PackBest}) {
        LayoutOptions options;
        options.mode = mode;
        options.spacing = 4;
        const AtlasLayout layout = layoutAtlas({}, options);
        ASSERT_TRUE(layout.fits()) << mode;
        ASSERT_EQ(layout.pages.size(), 1u) << mode;
        EXPECT_EQ(layout.pages[0].width, 4u) << mode;
        EXPECT_EQ(layout.pages[0].height, 4u) << mode;
    }
}

TEST(AtlasLayout, PagePackerAndPagePaths)
{
    const std::vector<LayoutImage> images = randomImages(100, 2);
    LayoutOptions options;
    options.mode = PackBest;
    options.maxSize = 200;
    options.multipack = true;
    const AtlasLayout layout = layoutAtlas(images, options);
    ASSERT_GE(layout.pages.size(), 2u);
    CPacker packer;
    fillPagePacker(images, layout, 1, packer);
    ASSERT_EQ(packer.count(), layout.pages[1].images.size());
    const std::uint32_t first = layout.pages[1].images[0];
    EXPECT_TRUE(packer.entry(0).name.equals(images[first].name));
    EXPECT_EQ(packer.entry(0).x, layout.frames[first].x);
    fillPagePacker(images, layout, 99, packer);
    EXPECT_EQ(packer.count(), 0u);
    EXPECT_EQ(atlasPagePath("out/sheet.png", 0), "out/sheet-1.png");
    EXPECT_EQ(atlasPagePath("sheet.TGA", 11), "sheet-12.TGA");
}

} // namespace

TEST(AtlasLayout, ExactMultipackBackOffEnds)
{
    // Power-of-two pages below maxSize whose packed prefix the canvas
    // search keeps refusing: the back-off must end, every image placed.
    const std::vector<LayoutImage> images = randomImages(400, 2061, 1, 64);
    LayoutOptions options;
    options.maxSize = 1000;
    options.pot = true;
    options.spacing = 2;
    options.multipack = true;
    const AtlasLayout layout = layoutAtlas(images, options);
    EXPECT_TRUE(layout.fits());
    EXPECT_EQ(faultOf(images, options, layout), "");
}
