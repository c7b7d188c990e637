// Texture preparation (power-of-two squares, shrinking above the limit),
// frame texture coordinates and frame selection, all without a renderer.
#include "render/CShape.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t noLimit = 0xFFFFFFFFu;

// An RGB picture whose pixel at (x, y from the top) is (x, y, 7).
void fillPicture(CTexture& texture, std::uint32_t width, std::uint32_t height)
{
    ASSERT_TRUE(texture.create(width, height, 3, 24));
    for (std::uint32_t row = 0; row < height; ++row) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* p = texture.getData() + (std::size_t(row) * width + x) * 3;
            p[0] = std::uint8_t(x);
            p[1] = std::uint8_t(height - 1 - row);
            p[2] = 7;
        }
    }
}

const std::uint8_t* pixelFromTop(const CImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t bytes = image.getBitsPerPixel() / 8;
    return image.getData() + (std::size_t(image.getHeight() - 1 - y) * image.getWidth() + x) * bytes;
}

}

TEST(CTexture, PowerOfTwoSquareGoesUpAsItIs)
{
    CTexture texture;
    fillPicture(texture, 64, 64);
    CImage square;
    EXPECT_FALSE(texture.prepareSquare(noLimit, &square));
    EXPECT_EQ(texture.getTextureSize(), 64u);
    EXPECT_EQ(square.getData(), nullptr);
    // The same square above a limit of 32 has to shrink.
    EXPECT_TRUE(texture.prepareSquare(32, nullptr));
    EXPECT_EQ(texture.getTextureSize(), 32u);
    EXPECT_FLOAT_EQ(texture.getScaleU(), 0.5f);
}

TEST(CTexture, OtherSizesArePaddedTopLeftIntoTheNextPowerOfTwo)
{
    CTexture texture;
    fillPicture(texture, 100, 50);
    CImage square;
    ASSERT_TRUE(texture.prepareSquare(noLimit, &square));
    EXPECT_EQ(texture.getTextureSize(), 128u);
    EXPECT_FLOAT_EQ(texture.getScaleU(), 1.0f);
    EXPECT_FLOAT_EQ(texture.getScaleV(), 1.0f);
    ASSERT_EQ(square.getWidth(), 128u);
    ASSERT_EQ(square.getHeight(), 128u);
    EXPECT_EQ(pixelFromTop(square, 99, 49)[0], 99);
    EXPECT_EQ(pixelFromTop(square, 99, 49)[1], 49);
    EXPECT_EQ(pixelFromTop(square, 99, 49)[2], 7);
    EXPECT_EQ(pixelFromTop(square, 100, 0)[2], 0); // padding is zero
    EXPECT_EQ(pixelFromTop(square, 0, 50)[2], 0);

    SpriteFrame frame;
    frame.initFrame(0, 0, 100, 50, 0, &texture);
    EXPECT_FLOAT_EQ(frame.u, 0.0f);
    EXPECT_FLOAT_EQ(frame.v, (128.0f - 50.0f) / 128.0f);
    EXPECT_FLOAT_EQ(frame.du, 100.0f / 128.0f);
    EXPECT_FLOAT_EQ(frame.dv, 50.0f / 128.0f);
}

TEST(CTexture, PicturesAboveTheLimitAreShrunkAndFramesScaled)
{
    CTexture texture;
    fillPicture(texture, 512, 256);
    CImage square;
    ASSERT_TRUE(texture.prepareSquare(256, &square));
    EXPECT_EQ(texture.getTextureSize(), 256u);
    EXPECT_FLOAT_EQ(texture.getScaleU(), 0.5f);
    EXPECT_FLOAT_EQ(texture.getScaleV(), 0.5f);
    ASSERT_EQ(square.getWidth(), 256u);
    // The shrunk picture fills the top half; the rest is zero.
    EXPECT_EQ(pixelFromTop(square, 10, 10)[2], 7);
    EXPECT_EQ(pixelFromTop(square, 10, 200)[2], 0);
    // The picture itself is kept as loaded.
    EXPECT_EQ(texture.getWidth(), 512u);

    SpriteFrame frame;
    frame.initFrame(100, 20, 40, 40, 5, &texture);
    EXPECT_EQ(frame.x, 50u);
    EXPECT_EQ(frame.y, 10u);
    EXPECT_EQ(frame.w, 20u);
    EXPECT_EQ(frame.h, 20u);
    EXPECT_EQ(frame.delay, 5);
}

TEST(CTexture, WideComponentPicturesAreShrunkToo)
{
    // 16-bit components: the resize works on an 8-bit copy and the square
    // keeps the picture's own depth.
    CTexture texture;
    ASSERT_TRUE(texture.create(512, 256, 1, 16));
    auto* components = reinterpret_cast<std::uint16_t*>(texture.getData());
    for (std::size_t i = 0; i < std::size_t(512) * 256; ++i)
        components[i] = 0x8080;
    CImage square;
    ASSERT_TRUE(texture.prepareSquare(256, &square));
    ASSERT_EQ(square.getBitsPerPixel(), 16u);
    const auto* out = reinterpret_cast<const std::uint16_t*>(square.getData());
    EXPECT_EQ(out[std::size_t(255) * 256 + 10], 0x8080);   // top row, inside the picture
    EXPECT_EQ(out[10], 0);                                 // bottom row: padding
}

TEST(CTexture, HeadlessUploadKeepsPixelsAndMakesNoTexture)
{
    CTexture texture;
    fillPicture(texture, 100, 50);
    texture.upload(noLimit, true, true, false, true);
    EXPECT_NE(texture.getData(), nullptr);
    EXPECT_EQ(texture.getTextureId(), 0u);
    EXPECT_EQ(texture.getTextureSize(), 128u);

    CTexture empty;
    empty.upload(noLimit, true, true, false, true);
    EXPECT_EQ(empty.getTextureSize(), 0u);
}

TEST(CSprite, DefaultDelayAndFrameSelection)
{
    CSprite sprite;
    EXPECT_EQ(sprite.getDefaultDelay(), 0);
    sprite.setFps(30);
    EXPECT_EQ(sprite.getDefaultDelay(), 33);

    CTexture texture;
    fillPicture(texture, 100, 50);
    texture.upload(noLimit, false, false, false, false);
    SpriteFrame frame;
    frame.initFrame(0, 0, 100, 50, 0, &texture);
    sprite.addFrame(frame);
    frame.initFrame(50, 10, 25, 20, 0, &texture);
    sprite.addFrame(frame);

    CShape shape;
    sprite.setShape(&shape);
    sprite.setFrame(1);
    const CMatrix& matrix = shape.getMaterial().textureMatrix;
    EXPECT_FLOAT_EQ(matrix.element(0), 25.0f / 128.0f);
    EXPECT_FLOAT_EQ(matrix.element(5), 20.0f / 128.0f);
    EXPECT_FLOAT_EQ(matrix.element(12), 50.0f / 128.0f);
    EXPECT_FLOAT_EQ(matrix.element(13), (128.0f - 20.0f - 10.0f) / 128.0f);
    EXPECT_EQ(sprite.getCurrentFrame(), 1u);
    sprite.setFrame(5); // invalid: nothing changes
    EXPECT_EQ(sprite.getCurrentFrame(), 1u);

    const CSprite copy(sprite);
    EXPECT_EQ(copy.getFrameCount(), 2u);
    EXPECT_EQ(copy.getFrame(1)->x, 50u);
}
