// Tests for the PNG writer's fast and best compressions: every pixel format
// the reduction writes reads back to the same RGBA in our reader and in
// libpng, and the libdeflate pieces join into one stream zlib inflates.
#include "image/CParallelDeflate.h"
#include "image/PngCodec.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Any decoded block (grey, grey + alpha, RGB, RGBA) as RGBA, rows as stored.
Bytes toRgba(const std::uint8_t* pixels, std::size_t count, std::uint32_t bytesPerPixel)
{
    Bytes out(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* in = pixels + i * bytesPerPixel;
        const bool grey = bytesPerPixel <= 2;
        out[i * 4 + 0] = in[0];
        out[i * 4 + 1] = grey ? in[0] : in[1];
        out[i * 4 + 2] = grey ? in[0] : in[2];
        out[i * 4 + 3] = bytesPerPixel == 2 ? in[1] : bytesPerPixel == 4 ? in[3] : 0xFF;
    }
    return out;
}

// libpng's RGBA for a file in memory, rows flipped to bottom-up.
Bytes libpngRgba(const Bytes& file, std::uint32_t& width, std::uint32_t& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, file.data(), file.size()))
        return {};
    image.format = PNG_FORMAT_RGBA;
    Bytes topDown(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, topDown.data(), 0, nullptr))
        return {};
    width = image.width;
    height = image.height;
    Bytes bottomUp(topDown.size());
    const std::size_t stride = std::size_t(width) * 4;
    for (std::uint32_t row = 0; row < height; ++row)
        std::memcpy(bottomUp.data() + row * stride, topDown.data() + (height - 1 - row) * stride, stride);
    return bottomUp;
}

// A picture of up to `colours` distinct RGBA values (grey ones when `grey`,
// opaque ones when `opaque`), in runs when there are 256 or fewer.
Bytes picture(std::uint32_t width, std::uint32_t height, std::uint32_t colours, bool grey, bool opaque,
              unsigned seed)
{
    std::mt19937 random(seed);
    Bytes pixels(std::size_t(width) * height * 4);
    std::uint32_t colour = 0;
    for (std::size_t i = 0; i < std::size_t(width) * height; ++i) {
        if (colours > 256 || random() % 5 == 0)
            colour = random() % colours;
        const std::uint8_t value = std::uint8_t(colour * 255 / std::max(1u, colours - 1));
        pixels[i * 4 + 0] = value;
        pixels[i * 4 + 1] = grey ? value : std::uint8_t(colour * 37);
        pixels[i * 4 + 2] = grey ? value : std::uint8_t(colour / 7);
        pixels[i * 4 + 3] = opaque ? 0xFF : std::uint8_t(colour % 3 == 0 ? 0 : colour * 11);
    }
    return pixels;
}

struct FormatCase {
    const char* name;
    std::uint32_t colours;
    bool grey;
    bool opaque;
    std::uint8_t colourType;  // what the best compression should write
    std::uint8_t bitDepth;
};

constexpr FormatCase formatCases[] = {
    {"two colours", 2, false, false, 3, 1},       {"four colours", 4, false, true, 3, 2},
    {"sixteen colours", 16, false, false, 3, 4},  {"palette", 200, false, false, 3, 8},
    {"grey", 256, true, true, 0, 8},              {"grey and alpha", 4000, true, false, 4, 8},
    {"opaque colour", 3000, false, true, 2, 8},   {"colour and alpha", 3000, false, false, 6, 8},
    {"grey palette", 12, true, true, 3, 4},       {"grey palette with alpha", 100, true, false, 3, 8},
};

std::uint8_t ihdrByte(const Bytes& file, std::size_t index)
{
    return file[8 + 8 + index];
}

}  // namespace

TEST(PngCompression, EveryWrittenFormatReadsBackToTheSameRgbaInOurReaderAndLibpng)
{
    // Odd widths leave part of the last byte of a low-depth row unused.
    for (const FormatCase& test : formatCases) {
        for (const std::uint32_t width : {13u, 64u}) {
            const std::uint32_t height = 37;
            const Bytes rgba = picture(width, height, test.colours, test.grey, test.opaque, width);
            for (const ImageCompression compression : {ImageCompression::Fast, ImageCompression::Best}) {
                SCOPED_TRACE(std::string(test.name) + ", width " + std::to_string(width) +
                             (compression == ImageCompression::Best ? ", best" : ", fast"));
                std::string error;
                const Bytes file = encodePng(width, height, 32, rgba.data(), compression, &error);
                ASSERT_FALSE(file.empty()) << error;
                if (compression == ImageCompression::Best) {
                    EXPECT_EQ(ihdrByte(file, 9), test.colourType);
                    EXPECT_EQ(ihdrByte(file, 8), test.bitDepth);
                }
                const DecodedImage ours = decodePngImage(file.data(), file.size());
                ASSERT_TRUE(ours) << ours.error;
                EXPECT_EQ(toRgba(ours.pixels.get(), std::size_t(width) * height, ours.bitsPerPixel / 8), rgba);
                std::uint32_t theirWidth = 0, theirHeight = 0;
                EXPECT_EQ(libpngRgba(file, theirWidth, theirHeight), rgba);
                EXPECT_EQ(theirWidth, width);
            }
        }
    }
}

TEST(PngCompression, BestReducesGreyAndColourInputsAndNeverGrowsTheFile)
{
    // 8-bit grey and 24-bit inputs go through the same reduction.
    const std::uint32_t width = 300, height = 200;
    const Bytes rgba = picture(width, height, 5000, false, true, 7);
    Bytes rgb, grey;
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
        grey.push_back(rgba[i]);
    }
    struct Input {
        const Bytes* pixels;
        std::uint32_t bitsPerPixel;
        std::uint8_t colourType;
    };
    for (const Input& input : {Input{&rgb, 24, 2}, Input{&grey, 8, 0}}) {
        const Bytes best = encodePng(width, height, input.bitsPerPixel, input.pixels->data(), ImageCompression::Best,
                                     nullptr);
        const Bytes plain = encodePng(width, height, input.bitsPerPixel, input.pixels->data(), nullptr);
        ASSERT_FALSE(best.empty());
        EXPECT_EQ(ihdrByte(best, 9), input.colourType);
        EXPECT_LT(best.size(), plain.size());
        const DecodedImage ours = decodePngImage(best.data(), best.size());
        ASSERT_TRUE(ours);
        EXPECT_EQ(Bytes(ours.pixels.get(), ours.pixels.get() + input.pixels->size()), *input.pixels);
    }
}

TEST(PngCompression, LibdeflatePiecesJoinIntoOneStreamZlibInflates)
{
    // Pieces mixing runs, noise (stored blocks) and text-like bytes, so they
    // end in different kinds of block at different bit positions.
    const std::size_t size = 6 * CParallelDeflate::minPieceSize + 12345;
    Bytes data(size);
    std::mt19937 random(99);
    for (std::size_t i = 0; i < size; ++i) {
        const std::size_t region = (i / 30000) % 3;
        data[i] = region == 0 ? std::uint8_t(i / 700) : region == 1 ? std::uint8_t(random()) : "abcabd"[random() % 6];
    }
    for (const int level : {1, 6, 12}) {
        Bytes single;
        ASSERT_TRUE(CParallelDeflate::compressWithLibdeflate(data.data(), data.size(), level, single, {}, 1));
        Bytes threaded;
        ASSERT_TRUE(CParallelDeflate::compressWithLibdeflate(data.data(), data.size(), level, threaded, {}, 3));
        EXPECT_EQ(single, threaded) << "level " << level;
        Bytes inflated(size);
        uLongf length = uLongf(size);
        ASSERT_EQ(uncompress(inflated.data(), &length, single.data(), uLong(single.size())), Z_OK) << "level " << level;
        EXPECT_EQ(length, size);
        EXPECT_TRUE(inflated == data) << "level " << level;
    }
}
