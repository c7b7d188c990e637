// Tests for the WebP codec: lossless files read back exactly (colour under
// transparent pixels included), lossy ones nearly, and bad input is refused.
#include "image/CImage.h"
#include "image/ImageFile.h"
#include "image/WebpCodec.h"

#include "CodecTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(WebpCodec, LosslessRoundTripIsExactAndLossyIsClose)
{
    const std::uint32_t width = 37, height = 21;
    for (const std::uint32_t bits : {24u, 32u}) {
        Bytes pixels = makePattern(width, height, bits);
        if (bits == 32)
            pixels[3] = 0;  // a transparent pixel keeps its colour
        std::string error;
        const Bytes lossless =
            encodeWebp(width, height, bits, pixels.data(), -1, ImageCompression::Default, &error);
        ASSERT_FALSE(lossless.empty()) << error;
        const DecodedImage exact = decodeWebpImage(lossless.data(), lossless.size());
        ASSERT_TRUE(exact) << exact.error;
        EXPECT_EQ(exact.bitsPerPixel, bits);
        EXPECT_EQ(pixelsOf(exact), pixels);

        const Bytes smooth(std::size_t(width) * height * (bits / 8), 120);
        const Bytes lossy = encodeWebp(width, height, bits, smooth.data(), 90, ImageCompression::Fast, &error);
        const DecodedImage near = decodeWebpImage(lossy.data(), lossy.size());
        ASSERT_TRUE(near) << near.error;
        for (std::size_t i = 0; i < smooth.size(); ++i)
            ASSERT_LE(std::abs(int(near.pixels[i]) - 120), 3) << i;
    }
}

TEST(WebpCodec, TheImageFileDispatchReadsAndWritesWebp)
{
    CScratchFolder folder;
    CImage image;
    ASSERT_TRUE(image.create(5, 4, 4, 32));
    const Bytes pixels = makePattern(5, 4, 32);
    std::copy(pixels.begin(), pixels.end(), image.getData());
    const std::string path = folder.path("atlas.webp");
    std::string error;
    ASSERT_EQ(imageFileFormatOf(path.c_str()), ImageFileFormat::Webp);
    ASSERT_TRUE(saveImageFile(path.c_str(), image, 100, &error)) << error;
    CImage back;
    ASSERT_TRUE(loadImageFile(path.c_str(), back, &error)) << error;
    EXPECT_EQ(Bytes(back.getData(), back.getData() + pixels.size()), pixels);
}

TEST(WebpCodec, RefusesBadInputWithAReason)
{
    const Bytes pixels(16, 0);
    std::string error;
    EXPECT_TRUE(encodeWebp(maxWebpSide + 1, 1, 32, Bytes(std::size_t(maxWebpSide + 1) * 4).data(), -1,
                           ImageCompression::Fast, &error)
                    .empty());
    EXPECT_NE(error.find("16383"), std::string::npos) << error;
    EXPECT_TRUE(encodeWebp(2, 2, 32, pixels.data(), 101, ImageCompression::Fast, &error).empty());

    const Bytes file = encodeWebp(2, 2, 32, pixels.data(), -1, ImageCompression::Fast, &error);
    ASSERT_FALSE(file.empty());
    const Bytes notWebp = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    const Bytes cut(file.begin(), file.begin() + long(file.size() / 2));
    for (const Bytes* bad : {&notWebp, &cut}) {
        const DecodedImage refused = decodeWebpImage(bad->data(), bad->size());
        EXPECT_FALSE(refused);
        EXPECT_EQ(refused.error.rfind("WebP: ", 0), 0u) << refused.error;
    }
}
