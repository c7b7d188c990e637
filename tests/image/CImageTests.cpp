// Tests for CImage: blit placement and clipping, format conversions, copies
// and the refusal of blocks that cannot be allocated.
#include "image/CImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A w x h image whose pixel at storage (x, y) has every component equal to
// base + y * w + x.
CImage makeNumbered(std::uint32_t w, std::uint32_t h, std::uint32_t channels, std::uint8_t base = 1)
{
    CImage image;
    image.create(w, h, channels, channels * 8);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            for (std::uint32_t c = 0; c < channels; ++c)
                image.getData()[(y * w + x) * channels + c] = std::uint8_t(base + y * w + x);
    return image;
}

std::uint8_t at(const CImage& image, std::uint32_t x, std::uint32_t y, std::uint32_t c = 0)
{
    return image.getData()[(y * image.getWidth() + x) * image.getChannels() + c];
}

}  // namespace

TEST(CImage, StartsEmptyAndCreateZeroFills)
{
    CImage image;
    EXPECT_EQ(image.getType(), 1);
    EXPECT_EQ(image.getData(), nullptr);
    EXPECT_FALSE(image.isBorrowed());
    EXPECT_EQ(image.getAspect(), 0.0f);

    ASSERT_TRUE(image.create(3, 2, 4, 32));
    ASSERT_NE(image.getData(), nullptr);
    EXPECT_EQ(image.getDataSize(), 24u);
    for (std::size_t i = 0; i < image.getDataSize(); ++i)
        EXPECT_EQ(image.getData()[i], 0);
    EXPECT_FLOAT_EQ(image.getAspect(), 1.5f);

    image.create(5, 0, 4, 32);
    EXPECT_EQ(image.getAspect(), 0.0f);
    EXPECT_EQ(image.getData(), nullptr);
}

TEST(CImage, RefusesBlocksTooLargeToAllocate)
{
    CImage image;
    image.create(4, 4, 4, 32);
    EXPECT_FALSE(image.create(100000, 100000, 4, 32));
    EXPECT_EQ(image.getData(), nullptr);
    EXPECT_EQ(image.getWidth(), 0u);
    EXPECT_EQ(image.getHeight(), 0u);
    EXPECT_EQ(image.getBitsPerPixel(), 0u);
    EXPECT_FALSE(image.create(16384, 16384, 4, 8 * 64));  // absurd pixel size
    EXPECT_EQ(image.getData(), nullptr);
}

TEST(CImage, CopiesOwnTheirPixelsAndBorrowedBlocksAreNotFreed)
{
    std::vector<std::uint8_t> outside(2 * 2 * 3, 7);
    CImage borrowedImage;
    borrowedImage.name = "atlas";
    borrowedImage.borrowPixels(outside.data(), 2, 2, 3, 24);
    EXPECT_TRUE(borrowedImage.isBorrowed());

    CImage copy(borrowedImage);
    EXPECT_FALSE(copy.isBorrowed());
    EXPECT_NE(copy.getData(), outside.data());
    EXPECT_EQ(copy.name, String("atlas"));
    EXPECT_EQ(std::memcmp(copy.getData(), outside.data(), outside.size()), 0);

    CImage target;
    target.setPixels(borrowedImage);
    EXPECT_EQ(target.getWidth(), 2u);
    EXPECT_EQ(std::memcmp(target.getData(), outside.data(), outside.size()), 0);

    borrowedImage.create(1, 1, 1, 8);  // must not free the outside block (ASan would catch it)
    borrowedImage.discardPixels();
    EXPECT_EQ(outside[0], 7);
}

TEST(CImage, AdoptsDecodedBlocks)
{
    DecodedImage decoded;
    decoded.pixels = std::make_unique<std::uint8_t[]>(6);
    decoded.width = 1;
    decoded.height = 2;
    decoded.bitsPerPixel = 24;
    const std::uint8_t* block = decoded.pixels.get();
    CImage image;
    ASSERT_TRUE(image.adopt(std::move(decoded)));
    EXPECT_EQ(image.getData(), block);
    EXPECT_EQ(image.getChannels(), 3u);
    EXPECT_FALSE(image.adopt(DecodedImage::failure("PNG: broken")));
    EXPECT_EQ(image.getData(), block);
}

TEST(CImage, BlitRgbIntoRgbaSetsOpaqueAlphaOnlyInCopiedArea)
{
    CImage dest;
    dest.create(4, 4, 4, 32);
    CImage source = makeNumbered(2, 2, 3);
    dest.blit(source, 1, 0);  // top rows of the picture = storage rows 2 and 3
    EXPECT_EQ(at(dest, 1, 2, 3), 255);
    EXPECT_EQ(at(dest, 2, 3, 3), 255);
    EXPECT_EQ(at(dest, 1, 2, 0), 1);  // source storage row 0 lands on storage row 2
    EXPECT_EQ(at(dest, 2, 3, 0), 4);
    EXPECT_EQ(at(dest, 0, 2, 3), 0);
    EXPECT_EQ(at(dest, 1, 1, 3), 0);
    EXPECT_EQ(at(dest, 3, 3, 3), 0);
}

TEST(CImage, BlitRowPlacementAtTheBottomEdge)
{
    CImage source = makeNumbered(2, 2, 1);
    CImage dest;
    dest.create(3, 3, 1, 8);
    dest.blit(source, 0, 1);  // destY + h == height: fits exactly at the bottom
    EXPECT_EQ(at(dest, 0, 0), 1);
    EXPECT_EQ(at(dest, 1, 1), 4);

    CImage below;
    below.create(3, 3, 1, 8);
    below.blit(source, 0, 2);  // would reach below the bottom edge: nothing
    for (std::size_t i = 0; i < below.getDataSize(); ++i)
        EXPECT_EQ(below.getData()[i], 0);
}

TEST(CImage, BlitRectClipsToSourceAndDestination)
{
    CImage source = makeNumbered(3, 3, 1);
    CImage dest;
    dest.create(4, 4, 1, 8);
    // Rectangle 2x5 from (1, 1): clipped to 2 rows; placed from destY 0 downward.
    dest.blitRect(source, 3, 0, 1, 1, 2, 5);
    // h = 2 -> first destination storage row is 4 - 0 - 2 = 2; only column 3 fits.
    EXPECT_EQ(at(dest, 3, 2), 1 + 1 * 3 + 1);
    EXPECT_EQ(at(dest, 3, 3), 1 + 2 * 3 + 1);
    EXPECT_EQ(at(dest, 2, 2), 0);
    EXPECT_EQ(at(dest, 3, 1), 0);

    CImage untouched;
    untouched.create(2, 2, 1, 8);
    untouched.blitRect(source, 0, 0, 3, 0, 1, 1);    // srcX past the source
    untouched.blitRect(source, 2, 0, 0, 0, 1, 1);    // destX past the destination
    untouched.blitRect(source, 0, 0, 0, 3, 1, 1);    // srcY past the source
    untouched.blitRect(source, 0, 9, 0, 0, 1, 1);    // destY far below
    untouched.blitRect(source, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0xFFFFFFFFu);
    for (std::size_t i = 0; i < untouched.getDataSize(); ++i)
        EXPECT_EQ(untouched.getData()[i], 0);

    CImage empty;
    empty.blit(source, 0, 0);  // no block: nothing happens
    EXPECT_EQ(empty.getData(), nullptr);
}

TEST(CImage, BlitOfUnconvertibleFormatLeavesDestinationUnchanged)
{
    CImage source;
    source.create(1, 1, 3, 24 * 3);  // 3 channels of 3 bytes: not a component size
    std::memset(source.getData(), 9, source.getDataSize());
    CImage dest;
    dest.create(2, 2, 4, 32);
    dest.blit(source, 0, 0);
    for (std::size_t i = 0; i < dest.getDataSize(); ++i)
        EXPECT_EQ(dest.getData()[i], 0);
}

TEST(CImage, ChannelConversionsOfEightBitImages)
{
    CImage image;
    image.create(1, 1, 4, 32);
    const std::uint8_t rgba[4] = {10, 20, 31, 77};
    std::memcpy(image.getData(), rgba, 4);
    image.convertChannels(1);
    EXPECT_EQ(image.getBitsPerPixel(), 8u);
    EXPECT_EQ(image.getData()[0], 20);  // (10 + 20 + 31) / 3 truncated
    image.convertChannels(4);
    const std::uint8_t back[4] = {20, 20, 20, 255};
    EXPECT_EQ(std::memcmp(image.getData(), back, 4), 0);

    image.convertChannels(3);
    EXPECT_EQ(image.getBitsPerPixel(), 24u);
    image.convertChannels(5);  // not a channel count: unchanged
    EXPECT_EQ(image.getChannels(), 3u);
}

TEST(CImage, GreyAlphaConversions)
{
    CImage image;
    image.create(1, 1, 2, 16);
    image.getData()[0] = 90;
    image.getData()[1] = 40;
    CImage rgba(image);
    rgba.convertChannels(4);
    const std::uint8_t expected4[4] = {90, 90, 90, 40};
    EXPECT_EQ(std::memcmp(rgba.getData(), expected4, 4), 0);
    CImage rgb(image);
    rgb.convertChannels(3);
    const std::uint8_t expected3[3] = {90, 90, 90};
    EXPECT_EQ(std::memcmp(rgb.getData(), expected3, 3), 0);
    CImage grey(image);
    grey.convertChannels(1);
    EXPECT_EQ(grey.getData()[0], 90);

    rgba.getData()[0] = 0;  // (0 + 90 + 90) / 3 = 60, alpha kept
    rgba.convertChannels(2);
    EXPECT_EQ(rgba.getData()[0], 60);
    EXPECT_EQ(rgba.getData()[1], 40);
    rgb.convertChannels(2);
    EXPECT_EQ(rgb.getData()[1], 255);
    grey.convertChannels(2);
    EXPECT_EQ(grey.getData()[0], 90);
    EXPECT_EQ(grey.getData()[1], 255);
}

TEST(CImage, DepthConversions)
{
    CImage image;
    image.create(3, 1, 1, 8);
    image.getData()[0] = 0;
    image.getData()[1] = 128;
    image.getData()[2] = 255;
    CImage wide(image);
    wide.convertDepth(16);
    ASSERT_EQ(wide.getBitsPerPixel(), 16u);
    std::uint16_t words[3];
    std::memcpy(words, wide.getData(), 6);
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[1], 128 * 257);
    EXPECT_EQ(words[2], 65535);
    wide.convertDepth(8);
    EXPECT_EQ(std::memcmp(wide.getData(), image.getData(), 3), 0);

    CImage real(image);
    real.convertDepth(32);
    float values[3];
    std::memcpy(values, real.getData(), 12);
    EXPECT_FLOAT_EQ(values[1], 128.0f / 255.0f);
    EXPECT_FLOAT_EQ(values[2], 1.0f);
    values[0] = -3.0f;  // out of range floats are clamped, not undefined
    values[2] = 7.0f;
    std::memcpy(real.getData(), values, 12);
    real.convertDepth(8);
    EXPECT_EQ(real.getData()[0], 0);
    EXPECT_EQ(real.getData()[1], 128);
    EXPECT_EQ(real.getData()[2], 255);

    image.convertDepth(24);  // 3 bytes per component: unchanged
    EXPECT_EQ(image.getBitsPerPixel(), 8u);
}

TEST(CImage, BlitConvertsDepthOfTheSource)
{
    CImage source = makeNumbered(1, 1, 4, 255);
    CImage dest;
    dest.create(1, 1, 4, 64);
    dest.blit(source, 0, 0);
    std::uint16_t words[4];
    std::memcpy(words, dest.getData(), 8);
    EXPECT_EQ(words[0], 65535);
    EXPECT_EQ(words[3], 65535);
}
