// Sprite preparation and its pixel work: trim bounds, alias groups, alpha
// bleeding distances, extrusion, and natural name order.
#include "AtlasTestFiles.h"

#include "app/pack/NaturalOrder.h"
#include "app/pack/SpritePixels.h"
#include "app/pack/SpriteSheet.h"

namespace {

// A transparent RGBA picture (or grey+alpha with channels 2).
CImage blank(std::uint32_t width, std::uint32_t height, std::uint32_t channels = 4)
{
    CImage image;
    image.create(width, height, channels, channels * 8);
    return image;
}

std::uint8_t* at(CImage& image, std::uint32_t x, std::uint32_t y)
{
    return const_cast<std::uint8_t*>(pixelAt(image, x, y));
}

void paint(CImage& image, std::uint32_t x, std::uint32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
           std::uint8_t a = 255)
{
    std::uint8_t* p = at(image, x, y);
    if (image.getChannels() == 2) {
        p[0] = r;
        p[1] = a;
        return;
    }
    const std::uint8_t values[4] = {r, g, b, a};
    for (std::uint32_t c = 0; c < image.getChannels(); ++c)
        p[c] = values[c];
}

std::vector<std::uint8_t> rgbaAt(const CImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* p = pixelAt(image, x, y);
    return {p[0], p[1], p[2], p[3]};
}

}

TEST(SpritePixels, TrimBoundsHoldEveryPixelWithAlpha)
{
    struct Case {
        const char* what;
        CImage image;
        PixelRect want;
    };
    std::vector<Case> cases;
    {
        CImage image = blank(10, 8);
        paint(image, 3, 2, 1, 2, 3);
        paint(image, 6, 5, 1, 2, 3, 1); // alpha 1 counts
        cases.push_back({"margins all round", std::move(image), {3, 2, 4, 4}});
    }
    {
        CImage image = blank(5, 4);
        paint(image, 0, 3, 9, 9, 9);
        cases.push_back({"ink in column 0 only", std::move(image), {0, 3, 1, 1}});
    }
    {
        CImage image = blank(5, 4);
        paint(image, 4, 0, 9, 9, 9);
        paint(image, 0, 3, 9, 9, 9);
        cases.push_back({"ink in opposite corners", std::move(image), {0, 0, 5, 4}});
    }
    cases.push_back({"fully transparent keeps one pixel", blank(6, 3), {0, 0, 1, 1}});
    {
        CImage image = blank(4, 4, 2);
        paint(image, 2, 1, 50, 0, 0, 200);
        cases.push_back({"grey and alpha", std::move(image), {2, 1, 1, 1}});
    }
    cases.push_back({"no alpha channel stays whole", makePicture(7, 3, 3, 0), {0, 0, 7, 3}});
    for (const Case& c : cases) {
        const PixelRect got = trimBounds(c.image);
        EXPECT_EQ(got, c.want) << c.what << ": got " << got.x << "," << got.y << " " << got.w << "x" << got.h;
    }
}

TEST(SpriteSheet, AliasesShareTheFirstPictureAfterTrimming)
{
    CImage a = blank(8, 8);
    paint(a, 2, 2, 10, 20, 30);
    paint(a, 3, 2, 40, 50, 60, 128);
    CImage b = blank(5, 3); // the same picture with other margins
    paint(b, 0, 1, 10, 20, 30);
    paint(b, 1, 1, 40, 50, 60, 128);
    CImage c = blank(5, 3); // one alpha step away
    paint(c, 0, 1, 10, 20, 30);
    paint(c, 1, 1, 40, 50, 60, 127);
    CImage grey = blank(3, 3, 2);
    paint(grey, 1, 1, 70, 0, 0, 255);
    CImage rgba = blank(1, 1); // grey (70, 255) read as RGBA
    paint(rgba, 0, 0, 70, 70, 70);
    const std::vector<AtlasImage> images = {{"a.png", &a}, {"b.png", &b}, {"c.png", &c}, {"grey.png", &grey},
                                            {"rgba.png", &rgba}};

    SpriteOptions options;
    options.trim = true;
    options.alias = true;
    options.extrude = 1;
    const SpriteSheet sheet = prepareSprites(images, options);
    ASSERT_EQ(sheet.images.size(), 5u);
    EXPECT_EQ(sheet.aliased, 2u);
    ASSERT_EQ(sheet.pictures.size(), 3u);
    EXPECT_EQ(sheet.pictures[0].name, String("a.png"));
    EXPECT_EQ(sheet.pictures[0].width, 2 + 2);
    EXPECT_EQ(sheet.pictures[0].height, 1 + 2);
    EXPECT_EQ(sheet.images[1].entryName(), String("a.png"));
    EXPECT_EQ(sheet.images[2].entryName(), String("c.png"));
    EXPECT_EQ(sheet.images[4].entryName(), String("grey.png"));
    EXPECT_EQ(sheet.pictureOf, (std::vector<std::size_t>{0, 0, 1, 2, 2}));
    EXPECT_EQ(sheet.pictureArea, 2u + 2u + 1u);
    ASSERT_TRUE(sheet.images[0].trim.has_value());
    EXPECT_EQ(sheet.images[0].trim->x, 2);
    EXPECT_EQ(sheet.images[0].trim->sourceWidth, 8);
    EXPECT_FALSE(sheet.images[4].trim.has_value()); // nothing to cut

    // Without trimming the margins differ, so nothing is shared.
    options.trim = false;
    EXPECT_EQ(prepareSprites(images, options).aliased, 0u);
    // Every option off: each image whole under its own name.
    const SpriteSheet plain = prepareSprites(images, SpriteOptions{});
    EXPECT_EQ(plain.pictures[0].width, 8);
    EXPECT_EQ(plain.images[1].entryName(), String("b.png"));
}

TEST(SpritePixels, BleedTakesTheNearestColourOfTheSameRectangle)
{
    // Row 0 of an 11 x 3 atlas: rectangle 0..6 holds red at 1 and blue at 6;
    // rectangle 8..9 (rows 0..1) is fully transparent; the rest is spacing.
    CImage atlas = blank(11, 3);
    paint(atlas, 1, 0, 255, 0, 0);
    paint(atlas, 6, 0, 0, 0, 255, 1);
    bleedTransparent(atlas, {{0, 0, 7, 3}, {8, 0, 2, 2}});
    struct Case {
        std::uint32_t x, y;
        std::vector<std::uint8_t> want;
    };
    const std::vector<std::uint8_t> red = {255, 0, 0, 0};
    const std::vector<std::uint8_t> blue = {0, 0, 255, 0};
    const std::vector<std::uint8_t> none = {0, 0, 0, 0};
    const Case cases[] = {
        {0, 0, red}, {3, 2, red},  {4, 0, blue}, {5, 2, blue},     // inside, by distance
        {7, 1, blue},                                               // spacing: nearest coloured pixel
        {8, 0, none}, {9, 1, none},                                 // a transparent picture takes nothing
        {9, 2, blue}, {10, 0, blue},                                // reached around it
        {1, 0, {255, 0, 0, 255}}, {6, 0, {0, 0, 255, 1}},           // sources keep colour and alpha
    };
    for (const Case& c : cases)
        EXPECT_EQ(rgbaAt(atlas, c.x, c.y), c.want) << "pixel " << c.x << "," << c.y;
}

TEST(SpritePixels, ExtrusionRepeatsEdgesAndStopsAtTheAtlasEdge)
{
    CImage atlas = blank(5, 4);
    paint(atlas, 1, 1, 1, 0, 0);
    paint(atlas, 2, 1, 2, 0, 0);
    paint(atlas, 1, 2, 3, 0, 0);
    paint(atlas, 2, 2, 4, 0, 0);
    extrudeEdges(atlas, {1, 1, 2, 2}, 2);
    const std::uint8_t want[4][5] = {{1, 1, 2, 2, 2}, {1, 1, 2, 2, 2}, {3, 3, 4, 4, 4}, {3, 3, 4, 4, 4}};
    for (std::uint32_t y = 0; y < 4; ++y) {
        for (std::uint32_t x = 0; x < 5; ++x)
            EXPECT_EQ(pixelAt(atlas, x, y)[0], want[y][x]) << "pixel " << x << "," << y;
    }
}

TEST(NaturalOrder, NumbersCompareByValue)
{
    std::vector<std::string> names = {"frame10.png", "frame2.png", "Frame3.png", "frame02.png", "a", "frame1.png",
                                      "frame", "b1", "a10b", "a9z"};
    sortNames(names, NameOrder::Natural);
    EXPECT_EQ(names, (std::vector<std::string>{"Frame3.png", "a", "a9z", "a10b", "b1", "frame", "frame1.png",
                                               "frame02.png", "frame2.png", "frame10.png"}));
    sortNames(names, NameOrder::Bytes);
    EXPECT_EQ(names, (std::vector<std::string>{"Frame3.png", "a", "a10b", "a9z", "b1", "frame", "frame02.png",
                                               "frame1.png", "frame10.png", "frame2.png"}));
}
