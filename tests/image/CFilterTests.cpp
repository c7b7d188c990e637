// Tests for the blur kernel, the convolution and the resize filter.
#include "image/CFilterBlur.h"
#include "image/CFilterResize.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

CImage greyImage(std::uint32_t width, std::uint32_t height, const std::uint8_t* values)
{
    CImage image;
    image.create(width, height, 1, 8);
    std::memcpy(image.getData(), values, std::size_t(width) * height);
    return image;
}

}  // namespace

TEST(CFilter, BlurKernelWeights)
{
    const CFilterBlur blur(0.25f, 0.5f);
    const float expected[9] = {0, 0.125f, 0, 0.125f, 0.5f, 0.125f, 0, 0.125f, 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_FLOAT_EQ(blur.getKernel().element(std::uint32_t(i)), expected[i]) << i;
}

TEST(CFilter, ApplyKeepsUniformAndSinglePixelImages)
{
    const CFilterBlur blur(0.25f, 0.5f);
    CImage one;
    one.create(1, 1, 4, 32);
    const std::uint8_t pixel[4] = {9, 130, 255, 77};
    std::memcpy(one.getData(), pixel, 4);
    const CImage blurred = blur.apply(one, blur.getKernel());
    ASSERT_NE(blurred.getData(), nullptr);
    EXPECT_EQ(std::memcmp(blurred.getData(), pixel, 4), 0);

    // Weights summing above 1 saturate at 255; negative sums give 0.
    CMatrix heavy(1, 1), negative(1, 1);
    heavy.setElement(0, 3.0f);
    negative.setElement(0, -1.0f);
    EXPECT_EQ(blur.apply(one, heavy).getData()[1], 255);
    EXPECT_EQ(blur.apply(one, negative).getData()[1], 0);
    EXPECT_EQ(blur.apply(one, CMatrix(0, 0)).getData(), nullptr);
}

TEST(CFilter, ResizeSamplesScaledPositionsWithClampedEdges)
{
    // 4 x 4 grey, value = 10 * row + column (storage order).
    std::uint8_t values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = std::uint8_t(10 * (i / 4) + i % 4);
    const CImage source = greyImage(4, 4, values);
    const CImage half = CFilterResize().resize(source, 2, 2);
    ASSERT_EQ(half.getWidth(), 2u);
    ASSERT_EQ(half.getHeight(), 2u);
    auto expected = [&](int row, int column) {
        auto v = [&](int r, int c) {
            r = std::clamp(r, 0, 3);
            c = std::clamp(c, 0, 3);
            return float(values[r * 4 + c]);
        };
        const float sum = 0.5f * v(row, column) +
                          0.125f * (v(row - 1, column) + v(row + 1, column) + v(row, column - 1) + v(row, column + 1));
        return std::uint8_t(sum);
    };
    EXPECT_EQ(half.getData()[0], expected(0, 0));
    EXPECT_EQ(half.getData()[1], expected(0, 2));
    EXPECT_EQ(half.getData()[2], expected(2, 0));
    EXPECT_EQ(half.getData()[3], expected(2, 2));
    EXPECT_EQ(half.getData()[0], 1);  // 0.5*0 + 0.125*(0 + 10 + 0 + 1) = 1.375
}

TEST(CFilter, ResizeOfUniformAndSinglePixelImages)
{
    CImage uniform;
    uniform.create(7, 5, 3, 24);
    std::memset(uniform.getData(), 200, uniform.getDataSize());
    const CImage smaller = CFilterResize().resize(uniform, 3, 2);
    ASSERT_EQ(smaller.getDataSize(), 3u * 2 * 3);
    for (std::size_t i = 0; i < smaller.getDataSize(); ++i)
        EXPECT_EQ(smaller.getData()[i], 200);

    const std::uint8_t value = 42;
    const CImage larger = CFilterResize().resize(greyImage(1, 1, &value), 2, 2);
    ASSERT_EQ(larger.getDataSize(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(larger.getData()[i], 42);
}

TEST(CFilter, RefusesImagesItCannotFilter)
{
    CImage wide;
    wide.create(2, 2, 1, 16);  // 16-bit components
    EXPECT_EQ(CFilterResize().resize(wide, 1, 1).getData(), nullptr);
    EXPECT_EQ(CFilterBlur(0.25f, 0.5f).blur(wide).getData(), nullptr);
    EXPECT_EQ(CFilterResize().resize(CImage(), 1, 1).getData(), nullptr);
    const std::uint8_t value = 1;
    EXPECT_EQ(CFilterResize().resize(greyImage(1, 1, &value), 0, 4).getData(), nullptr);
}
