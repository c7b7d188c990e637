// Cross-checks the BMP, TGA and JPEG readers against ImageMagick: files in
// the variants other programs write (bit-field masks, 5-6-5, palettes of
// every size, RLE, colour-mapped and 16-bit targas, grey, CMYK and YCCK
// JPEGs), made by ImageMagick or built by hand, decode to the same pixels as
// ImageMagick's own decode, and the header queries agree with the load.
// Skipped when ImageMagick (Debian package imagemagick) is not installed.
#include "image/BmpCodec.h"
#include "image/JpegCodec.h"
#include "image/TgaCodec.h"

#include "CodecTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include <jpeglib.h>

namespace {

const char* const convertTool = "/usr/bin/convert";

bool runConvert(const std::string& arguments)
{
    const std::string command = std::string(convertTool) + " " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

// ImageMagick's decode as 8-bit RGBA, rows top-down.
// NOTE: ImageMagick keeps a targa's rows in file order and only notes the
// origin the descriptor names; -auto-orient applies it.
Bytes convertToRgba(const std::string& path, bool fromInks = false)
{
    const std::string raw = path + ".rgba";
    if (!runConvert("'" + path + "' -auto-orient" + (fromInks ? " -colorspace sRGB" : "") + " -depth 8 RGBA:'" + raw +
                    "'"))
        return {};
    return readBytes(raw);
}

// Our decode as 8-bit RGBA, rows top-down.
Bytes toRgbaTopDown(const DecodedImage& image)
{
    const std::uint32_t channels = image.bitsPerPixel / 8;
    Bytes rgba(std::size_t(image.width) * image.height * 4);
    for (std::uint32_t y = 0; y < image.height; ++y) {
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint8_t* in = image.pixels.get() + (std::size_t(image.height - 1 - y) * image.width + x) * channels;
            std::uint8_t* out = rgba.data() + (std::size_t(y) * image.width + x) * 4;
            const bool grey = channels <= 2;
            out[0] = in[0];
            out[1] = grey ? in[0] : in[1];
            out[2] = grey ? in[0] : in[2];
            out[3] = channels == 2 ? in[1] : channels == 4 ? in[3] : 0xFF;
        }
    }
    return rgba;
}

struct Codec {
    std::function<DecodedImage(const char*)> read;
    std::function<int(const char*)> queryBitsPerPixel;
    std::function<int(const char*)> queryWidth;
};
const Codec bmp{readBmpFile, queryBmpBitsPerPixel, queryBmpWidth};
const Codec tga{readTgaFile, queryTgaBitsPerPixel, queryTgaWidth};
const Codec jpeg{readJpegFile, queryJpegBitsPerPixel, queryJpegWidth};

// Decodes `path` both ways and compares: every component within `tolerance`,
// and the mean difference below `meanLimit`.
void expectSameAsImageMagick(const Codec& codec, const std::string& path, int tolerance = 0, double meanLimit = 0.5,
                             bool fromInks = false)
{
    SCOPED_TRACE(path);
    const DecodedImage ours = codec.read(path.c_str());
    ASSERT_TRUE(ours) << ours.error;
    EXPECT_EQ(codec.queryBitsPerPixel(path.c_str()), int(ours.bitsPerPixel));
    EXPECT_EQ(codec.queryWidth(path.c_str()), int(ours.width));
    const Bytes theirs = convertToRgba(path, fromInks);
    const Bytes mine = toRgbaTopDown(ours);
    ASSERT_EQ(theirs.size(), mine.size());
    int worst = 0;
    double sum = 0;
    for (std::size_t i = 0; i < mine.size(); ++i) {
        const int difference = std::abs(int(mine[i]) - int(theirs[i]));
        worst = std::max(worst, difference);
        sum += difference;
    }
    EXPECT_LE(worst, tolerance);
    EXPECT_LE(sum / double(mine.size()), meanLimit);
}

class ImageMagickCrossCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(convertTool))
            GTEST_SKIP() << "ImageMagick is not installed";
        // A colourful picture, odd-sized so that BMP rows need padding, and
        // a copy with a gradient of alpha.
        ASSERT_TRUE(runConvert("-size 23x17 -seed 7 plasma:fractal '" + rgb + "'"));
        ASSERT_TRUE(runConvert("'" + rgb + "' \\( -size 23x17 gradient:white-black \\) -alpha off -compose CopyOpacity "
                               "-composite '" + rgba + "'"));
    }

    // Has ImageMagick write `source` as "FORMAT:name" with the options.
    std::string make(const std::string& source, const std::string& options, const std::string& target)
    {
        const std::size_t colon = target.find(':');
        const std::string path = folder.path(target.substr(colon + 1));
        EXPECT_TRUE(runConvert("'" + source + "' " + options + " " + target.substr(0, colon + 1) + "'" + path + "'"))
            << options;
        return path;
    }

    CScratchFolder folder;
    const std::string rgb = folder.path("rgb.png");
    const std::string rgba = folder.path("rgba.png");
};

TEST_F(ImageMagickCrossCheck, BmpVariantsDecodeAlike)
{
    expectSameAsImageMagick(bmp, make(rgb, "", "BMP3:plain24.bmp"));
    expectSameAsImageMagick(bmp, make(rgba, "", "BMP:v5-bitfields32.bmp"));
    expectSameAsImageMagick(bmp, make(rgb, "-define bmp:subtype=RGB565", "BMP:bitfields565.bmp"), 1);
    expectSameAsImageMagick(bmp, make(rgb, "-define bmp:subtype=RGB555", "BMP:bitfields555.bmp"), 1);
    // NOTE: ImageMagick widens 4-bit channels by shifting (15 becomes 240);
    // we scale to the full range (15 becomes 255).
    expectSameAsImageMagick(bmp, make(rgba, "-define bmp:subtype=ARGB4444", "BMP:bitfields4444.bmp"), 15, 8.0);
    expectSameAsImageMagick(bmp, make(rgb, "-type Palette -compress None", "BMP3:palette8.bmp"));
    expectSameAsImageMagick(bmp, make(rgb, "-colors 16 -type Palette", "BMP3:palette4.bmp"));
    expectSameAsImageMagick(bmp, make(rgb, "-type Bilevel", "BMP3:palette1.bmp"));
    expectSameAsImageMagick(bmp, make(rgb, "-type Palette -compress RLE", "BMP3:rle8.bmp"));
}

// A BMP of the 40-byte header kind with the given pixel data.
Bytes bmpFile(std::int32_t width, std::int32_t height, std::uint16_t bitsPerPixel, std::uint32_t compression,
              const Bytes& palette, const Bytes& pixels)
{
    const std::uint32_t offset = std::uint32_t(54 + palette.size());
    Bytes b{'B', 'M'};
    putU32(b, std::uint32_t(offset + pixels.size()));
    putU32(b, 0);
    putU32(b, offset);
    for (std::uint32_t value : {40u, std::uint32_t(width), std::uint32_t(height)})
        putU32(b, value);
    putU16(b, 1);
    putU16(b, bitsPerPixel);
    for (std::uint32_t value : {compression, std::uint32_t(pixels.size()), 2835u, 2835u, 0u, 0u})
        putU32(b, value);
    b.insert(b.end(), palette.begin(), palette.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

TEST_F(ImageMagickCrossCheck, HandBuiltBmpAndTgaVariantsDecodeAlike)
{
    // RLE4: a run of two alternating indices, literal indices, a run cut by
    // the end of the picture.
    Bytes palette;
    for (std::uint32_t i = 0; i < 16; ++i)
        for (std::uint32_t value : {i * 16, 255 - i * 16, i * 8, 0u})
            putU8(palette, value);
    const Bytes rle4 = {0x04, 0x12, 0x00, 0x00, 0x00, 0x04, 0x34, 0x56, 0x00, 0x00, 0x04, 0x7A, 0x00, 0x01};
    writeBytes(folder.path("rle4.bmp"), bmpFile(4, 3, 4, 2, palette, rle4));
    expectSameAsImageMagick(bmp, folder.path("rle4.bmp"));

    // 32-bit pixels whose fourth byte is never used: opaque, not invisible.
    Bytes unusedAlpha = makePattern(5, 3, 32);
    for (std::size_t i = 3; i < unusedAlpha.size(); i += 4)
        unusedAlpha[i] = 0;
    writeBytes(folder.path("unused-alpha.bmp"), bmpFile(5, 3, 32, 0, {}, unusedAlpha));
    expectSameAsImageMagick(bmp, folder.path("unused-alpha.bmp"));
    const DecodedImage opaque = readBmpFile(folder.path("unused-alpha.bmp").c_str());
    ASSERT_TRUE(opaque);
    EXPECT_EQ(opaque.pixels[3], 0xFF);

    // 16-bit targa with one alpha bit, and a colour map of 16-bit entries.
    Bytes tga16 = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0, 3, 0, 16, 1};
    for (std::uint32_t i = 0; i < 15; ++i)
        putU16(tga16, (i * 2731u) ^ (i % 3 == 0 ? 0x8000u : 0u));
    writeBytes(folder.path("alpha-bit16.tga"), tga16);
    expectSameAsImageMagick(tga, folder.path("alpha-bit16.tga"), 1);
    Bytes mapped = {0, 1, 1, 0, 0, 4, 0, 15, 0, 0, 0, 0, 3, 0, 2, 0, 8, 0};
    for (std::uint32_t value : {0x7C00u, 0x03E0u, 0x001Fu, 0x4210u})
        putU16(mapped, value);
    mapped.insert(mapped.end(), {0, 1, 2, 3, 2, 1});
    writeBytes(folder.path("map16.tga"), mapped);
    expectSameAsImageMagick(tga, folder.path("map16.tga"), 1);
}

TEST_F(ImageMagickCrossCheck, TgaVariantsDecodeAlike)
{
    expectSameAsImageMagick(tga, make(rgb, "", "TGA:true24.tga"));
    expectSameAsImageMagick(tga, make(rgba, "-compress RLE", "TGA:rle32.tga"));
    expectSameAsImageMagick(tga, make(rgb, "-type Palette", "TGA:mapped.tga"));
    expectSameAsImageMagick(tga, make(rgb, "-type Palette -compress RLE", "TGA:mapped-rle.tga"));
    expectSameAsImageMagick(tga, make(rgb, "-type Grayscale", "TGA:grey.tga"));
    expectSameAsImageMagick(tga, make(rgb, "-depth 5", "TGA:true15.tga"), 1);
}

// Writes 4-component ink samples as a YCCK JPEG through libjpeg (the library
// adds the Adobe marker that says so).
void writeYcck(const std::string& path, std::uint32_t width, std::uint32_t height)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_YCCK);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    Bytes row(std::size_t(width) * 4);
    while (info.next_scanline < height) {
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < 4; ++c)
                row[x * 4 + c] = std::uint8_t(40 + x * 6 + info.next_scanline * 3 + c * 40);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

TEST_F(ImageMagickCrossCheck, JpegVariantsDecodeAlike)
{
    // ImageMagick decodes with the integer transform, we with the float one.
    expectSameAsImageMagick(jpeg, make(rgb, "-quality 90", "JPEG:colour.jpg"), 4, 1.0);
    expectSameAsImageMagick(jpeg, make(rgb, "-colorspace Gray -quality 90", "JPEG:grey.jpg"), 4, 1.0);
    EXPECT_EQ(queryJpegBitsPerPixel(folder.path("grey.jpg").c_str()), 8);
    expectSameAsImageMagick(jpeg, make(rgb, "-colorspace CMYK -quality 90", "JPEG:cmyk.jpg"), 4, 1.0, true);
    writeYcck(folder.path("ycck.jpg"), 23, 17);
    expectSameAsImageMagick(jpeg, folder.path("ycck.jpg"), 4, 1.0, true);
}

}  // namespace
