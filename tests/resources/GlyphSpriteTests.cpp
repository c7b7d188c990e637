// Glyph sprites built from a real TrueType font (DejaVu Sans from the
// system's fonts-dejavu-core package), and the resource list's "font" entry.
#include "ResourceTestFiles.h"

#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "resources/GlyphSprite.h"
#include "xml/CXMLDocument.h"

#include <climits>
#include <fstream>

namespace {

const char* const dejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char* const dejaVuSansMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// Alpha of the picture's pixel (x, y from the top).
std::uint8_t alphaAt(const CTexture& texture, std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t row = texture.getHeight() - 1 - y;
    return texture.getData()[(std::size_t(row) * texture.getWidth() + x) * 4 + 3];
}

std::uint32_t coveredPixels(const CTexture& texture, const SpriteFrame& frame)
{
    std::uint32_t count = 0;
    for (std::uint32_t y = frame.y; y < frame.y + frame.h; ++y)
        for (std::uint32_t x = frame.x; x < frame.x + frame.w; ++x)
            count += alphaAt(texture, x, y) > 0;
    return count;
}

}

class GlyphSpriteFonts : public ::testing::TestWithParam<const char*> {};

INSTANTIATE_TEST_SUITE_P(DejaVu, GlyphSpriteFonts, ::testing::Values(dejaVuSans, dejaVuSansMono));

// A monospaced font fills every row evenly, which is where the rows the
// measuring pass counts fall short of the rows the placing pass uses.
TEST_P(GlyphSpriteFonts, PrintableAsciiGetsOneFrameEachInsideTheTexture)
{
    ASSERT_TRUE(std::ifstream(GetParam()).good()) << "fonts-dejavu-core is not installed";
    CSprite sprite;
    CTexture texture;
    std::string error;
    ASSERT_TRUE(buildGlyphSprite(GetParam(), 14, 32, 126, sprite, texture, &error)) << error;
    ASSERT_EQ(sprite.getFrameCount(), 95u);
    ASSERT_EQ(texture.getChannels(), 4u);
    ASSERT_EQ(texture.getBitsPerPixel(), 32u);

    for (std::uint32_t i = 0; i < sprite.getFrameCount(); ++i) {
        const SpriteFrame& frame = *sprite.getFrame(i);
        const char code = static_cast<char>(32 + i);
        SCOPED_TRACE(std::string(1, code));
        EXPECT_EQ(frame.name, String(&code, 1));
        EXPECT_EQ(frame.texture, &texture);
        EXPECT_GE(frame.h, 14u);
        EXPECT_EQ(frame.h, sprite.getFrame(0)->h);
        // Every cell lies inside the picture, also on the last rows, which
        // the placing pass fills with fewer glyphs than the measuring pass.
        EXPECT_LE(frame.x + frame.w, texture.getWidth());
        EXPECT_LE(frame.y + frame.h, texture.getHeight());
        // Cells do not overlap: a later one is right of or below this one.
        if (i > 0) {
            const SpriteFrame& before = *sprite.getFrame(i - 1);
            EXPECT_TRUE(frame.y > before.y || frame.x >= before.x + before.w);
        }
    }
    EXPECT_EQ(coveredPixels(texture, *sprite.findFrame(" ")), 0u);
    EXPECT_GT(coveredPixels(texture, *sprite.findFrame("M")), 20u);
    EXPECT_GT(coveredPixels(texture, *sprite.findFrame("~")), 0u);

    // Glyphs are white with their coverage in alpha.
    const std::uint8_t* pixels = texture.getData();
    for (std::size_t i = 0; i < std::size_t(texture.getWidth()) * texture.getHeight(); ++i) {
        if (pixels[i * 4 + 3] != 0) {
            ASSERT_EQ(pixels[i * 4], 255);
            ASSERT_EQ(pixels[i * 4 + 2], 255);
        }
    }
}

TEST(GlyphSprite, RefusesMissingFilesNonFontsAndAbsurdSizes)
{
    ScratchFolder scratch;
    writeTestPng(scratch.file("picture.png"), 8, 8);
    CSprite sprite;
    CTexture texture;
    std::string error;
    EXPECT_FALSE(buildGlyphSprite(scratch.file("none.ttf").c_str(), 14, 32, 126, sprite, texture, &error));
    EXPECT_NE(error.find("Font: "), std::string::npos);
    EXPECT_FALSE(buildGlyphSprite(scratch.file("picture.png").c_str(), 14, 32, 126, sprite, texture));
    for (std::int32_t height : {0, -14, 257, INT_MAX, INT_MIN})
        EXPECT_FALSE(buildGlyphSprite(dejaVuSans, height, 32, 126, sprite, texture)) << height;
    EXPECT_EQ(sprite.getFrameCount(), 0u);
    EXPECT_EQ(texture.getData(), nullptr);

    // A range of two billion codes is cut to the first 257 after code 0.
    ASSERT_TRUE(buildGlyphSprite(dejaVuSans, 8, INT_MIN, INT_MAX, sprite, texture));
    EXPECT_EQ(sprite.getFrameCount(), 257u);
    // An empty range builds nothing.
    CSprite empty;
    CTexture untouched;
    EXPECT_TRUE(buildGlyphSprite(dejaVuSans, 14, 100, 50, empty, untouched));
    EXPECT_EQ(empty.getFrameCount(), 0u);
    EXPECT_EQ(untouched.getData(), nullptr);
}

TEST(GlyphSprite, FontEntryAddsTheGlyphTextureAndTheSprite)
{
    ScratchFolder scratch;
    const std::string list = std::string("<resources>") + "<font name=\"missing\" file=\"" +
                             scratch.file("none.ttf") + "\"/>" + "<font name=\"sans\" file=\"" + dejaVuSans +
                             "\" height=\"20\" start=\"65\" end=\"90\"/>" + "</resources>";
    CXMLDocument document;
    ASSERT_TRUE(document.parse(list.c_str()));
    CResourceManager manager;
    manager.loadList(document);
    // The missing file adds nothing; the font adds its texture, then the sprite.
    ASSERT_EQ(manager.getCount(), 2u);
    auto* texture = dynamic_cast<CTexture*>(manager.getResource(0));
    auto* sprite = dynamic_cast<CSprite*>(manager.getResource(1));
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(texture->getName(), String(dejaVuSans));
    EXPECT_EQ(texture->getFile(), String(dejaVuSans));
    EXPECT_EQ(sprite->getName(), String("sans"));
    ASSERT_EQ(sprite->getFrameCount(), 26u);
    // Texture coordinates follow the uploaded square.
    const float side = static_cast<float>(texture->getTextureSize());
    ASSERT_GT(side, 0.0f);
    const SpriteFrame& z = *sprite->findFrame("Z");
    EXPECT_FLOAT_EQ(z.u, z.x / side);
    EXPECT_FLOAT_EQ(z.du, z.w / side);
    EXPECT_FLOAT_EQ(z.v, (side - z.h - z.y) / side);
    EXPECT_EQ(manager.find("missing"), nullptr);
}

// Ink past the advance ("f", "j", "T", "V") stays in the glyph's frame, and
// characters outside the built range come from the cache, CJK from the
// fallback font.
TEST(GlyphSprite, FramesKeepAllInkAndTheCacheAddsOtherCharacters)
{
    const char* const fallback = "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf";
    ASSERT_TRUE(std::ifstream(dejaVuSans).good()) << "fonts-dejavu-core is not installed";
    CSprite sprite;
    CTexture texture;
    ASSERT_TRUE(buildGlyphSprite(dejaVuSans, 13, 32, 126, sprite, texture));
    texture.setFile(dejaVuSans);
    const std::shared_ptr<CGlyphCache> cache = findGlyphCache(sprite);
    ASSERT_NE(cache, nullptr);
    std::uint32_t wider = 0;
    for (const char* name : {"f", "j", "T", "V", "K"}) {
        const SpriteFrame& frame = *sprite.findFrame(name);
        const GlyphMetrics* metrics = cache->builtMetrics(static_cast<char32_t>(name[0]));
        ASSERT_NE(metrics, nullptr) << name;
        EXPECT_LE(metrics->inkLeft, 0) << name;
        EXPECT_GE(std::int64_t(frame.w) + metrics->inkLeft, metrics->advance) << name;
        wider += std::int64_t(frame.w) > metrics->advance;
    }
    EXPECT_GE(wider, 2u) << "some of these glyphs reach past their advance at 13 px";

    setGlyphFallbackFonts({fallback});
    CGlyphCache fresh(dejaVuSans, 13, static_cast<std::int32_t>(sprite.getFrame(0)->h), 10);
    const CGlyphCache::Glyph* katakana = fresh.glyph(0x30B9);
    const CGlyphCache::Glyph* eAcute = fresh.glyph(0xE9);
    setGlyphFallbackFonts({});
    ASSERT_NE(katakana, nullptr);
    if (std::ifstream(fallback).good()) {
        ASSERT_TRUE(katakana->drawable);
        EXPECT_GT(coveredPixels(*katakana->frame.texture, katakana->frame), 10u);
        EXPECT_GE(katakana->metrics.advance, 10);
    }
    ASSERT_TRUE(eAcute->drawable);
    EXPECT_GT(coveredPixels(*eAcute->frame.texture, eAcute->frame), 10u);
    EXPECT_EQ(fresh.glyph(0x110000), nullptr);
    EXPECT_EQ(fresh.glyph(0xE9), eAcute) << "built once";
}
