// Tests for the PNG codec: the writer's exact bytes, agreement with libpng in
// both directions and on the PngSuite, and the refusal of damaged files.
#include "image/CCrc32.h"
#include "image/CParallelDeflate.h"
#include "image/PngCodec.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("qf_png_" + std::to_string(::getpid()) + "_" + name)).string();
}

Bytes randomPixels(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes pixels(count);
    for (auto& byte : pixels)
        byte = std::uint8_t(random());
    return pixels;
}

// Picture rows flipped between top-down and bottom-up.
Bytes flipRows(const Bytes& pixels, std::size_t stride)
{
    Bytes flipped(pixels.size());
    const std::size_t rows = pixels.size() / stride;
    for (std::size_t row = 0; row < rows; ++row)
        std::memcpy(flipped.data() + row * stride, pixels.data() + (rows - 1 - row) * stride, stride);
    return flipped;
}

void putBigEndian(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(value >> shift));
}

// Builds a PNG chunk by chunk.
struct PngBuilder {
    Bytes bytes{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

    PngBuilder& chunk(const char* type, const Bytes& data)
    {
        putBigEndian(bytes, std::uint32_t(data.size()));
        const std::size_t start = bytes.size();
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        putBigEndian(bytes, CCrc32().update(bytes.data() + start, 4 + data.size(), 0));
        return *this;
    }
    PngBuilder& header(std::uint32_t width, std::uint32_t height, std::uint8_t depth = 8, std::uint8_t colour = 0,
                       std::uint8_t interlace = 0, const char* type = "IHDR")
    {
        Bytes data;
        putBigEndian(data, width);
        putBigEndian(data, height);
        data.insert(data.end(), {depth, colour, 0, 0, interlace});
        return chunk(type, data);
    }
    PngBuilder& end() { return chunk("IEND", {}); }
};

Bytes deflateBytes(const Bytes& raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

// Raw rows of a grey picture, each with filter byte `filter`.
Bytes greyRaw(std::uint32_t width, std::uint32_t height, std::uint8_t filter = 0)
{
    Bytes raw;
    for (std::uint32_t row = 0; row < height; ++row) {
        raw.push_back(filter);
        for (std::uint32_t x = 0; x < width; ++x)
            raw.push_back(std::uint8_t(row * 16 + x));
    }
    return raw;
}

// A grey picture of the given raw rows (filter bytes included).
Bytes greyPng(std::uint32_t width, std::uint32_t height, const Bytes& raw)
{
    return PngBuilder().header(width, height).chunk("IDAT", deflateBytes(raw)).end().bytes;
}

DecodedImage decode(const Bytes& file)
{
    return decodePngImage(file.data(), file.size());
}

void writeFile(const std::string& path, const Bytes& bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

// libpng read, by default without transformations; rows top-down.
struct LibpngImage {
    bool ok = false;
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0, channels = 0;
    Bytes pixels;
};

LibpngImage readWithLibpng(const std::string& path, int transforms = PNG_TRANSFORM_IDENTITY)
{
    LibpngImage result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return result;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_read_png(png, info, transforms, nullptr);
        png_get_IHDR(png, info, &result.width, &result.height, &result.bitDepth, &result.colourType,
                     &result.interlace, nullptr, nullptr);
        result.channels = png_get_channels(png, info);
        const std::size_t stride = png_get_rowbytes(png, info);
        png_bytepp rows = png_get_rows(png, info);
        for (png_uint_32 row = 0; row < result.height; ++row)
            result.pixels.insert(result.pixels.end(), rows[row], rows[row] + stride);
        result.ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return result;
}

// Writes top-down rows with libpng using one filter for every row.
void writeWithLibpng(const std::string& path, std::uint32_t width, std::uint32_t height, int colourType,
                     int channels, const Bytes& topDown, int filter)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, width, height, 8, colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, filter);
        png_write_info(png, info);
        for (std::uint32_t row = 0; row < height; ++row)
            png_write_row(png, topDown.data() + std::size_t(row) * width * channels);
        png_write_end(png, info);
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

struct Format {
    std::uint32_t bitsPerPixel;
    int libpngColourType;
};
constexpr Format formats[] = {{8, PNG_COLOR_TYPE_GRAY},
                              {16, PNG_COLOR_TYPE_GRAY_ALPHA},
                              {24, PNG_COLOR_TYPE_RGB},
                              {32, PNG_COLOR_TYPE_RGBA}};

}  // namespace

TEST(PngCodec, CrcMatchesTheStandardChunkCrcs)
{
    const CCrc32 crc;
    const std::uint8_t iend[4] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(crc.update(iend, 4, 0), 0xAE426082u);
    // Feeding in two parts continues the same CRC.
    const std::uint8_t text[] = "123456789";
    EXPECT_EQ(crc.update(text, 9, 0), 0xCBF43926u);
    EXPECT_EQ(crc.update(text + 4, 5, crc.update(text, 4, 0)), 0xCBF43926u);
}

TEST(PngCodec, WritesOnePixelWithTheExactLayout)
{
    const std::uint8_t pixel[4] = {200, 100, 50, 25};
    const Bytes file = encodePng(1, 1, 32, pixel, nullptr);
    ASSERT_GE(file.size(), 8u + 25 + 12 + 12);
    const Bytes expectedHead = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                0, 0, 0, 1, 0, 0, 0, 1, 8, 6, 0, 0, 0, 0x1F, 0x15, 0xC4, 0x89};
    EXPECT_TRUE(std::equal(expectedHead.begin(), expectedHead.end(), file.begin()));
    const Bytes expectedTail = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_TRUE(std::equal(expectedTail.begin(), expectedTail.end(), file.end() - 12));

    // One IDAT holding the whole stream, which inflates to 01 R G B A.
    const std::uint32_t idatLength = (file[33] << 24) | (file[34] << 16) | (file[35] << 8) | file[36];
    EXPECT_EQ(std::memcmp(file.data() + 37, "IDAT", 4), 0);
    EXPECT_EQ(33 + 12 + idatLength + 12, file.size());
    std::uint8_t raw[16];
    uLongf rawSize = sizeof(raw);
    ASSERT_EQ(uncompress(raw, &rawSize, file.data() + 41, idatLength), Z_OK);
    const std::uint8_t expectedRaw[5] = {1, 200, 100, 50, 25};
    ASSERT_EQ(rawSize, 5u);
    EXPECT_EQ(std::memcmp(raw, expectedRaw, 5), 0);
}

TEST(PngCodec, FirstRowUsesSubAndLaterRowsPaeth)
{
    for (std::uint32_t height : {1u, 4u}) {
        const Bytes pixels = randomPixels(3 * height * 3, height);
        const Bytes file = encodePng(3, height, 24, pixels.data(), nullptr);
        const std::uint32_t idatLength = (file[33] << 24) | (file[34] << 16) | (file[35] << 8) | file[36];
        Bytes raw(height * 10);
        uLongf rawSize = uLongf(raw.size());
        ASSERT_EQ(uncompress(raw.data(), &rawSize, file.data() + 41, idatLength), Z_OK);
        ASSERT_EQ(rawSize, raw.size());
        for (std::uint32_t row = 0; row < height; ++row)
            EXPECT_EQ(raw[row * 10], row == 0 ? 1 : 4);
    }
}

TEST(PngCodec, RoundTripsAndLibpngReadsWhatWeWrite)
{
    for (const Format& format : formats) {
        const std::uint32_t width = 37, height = 23, bytesPerPixel = format.bitsPerPixel / 8;
        const Bytes pixels = randomPixels(width * height * bytesPerPixel, format.bitsPerPixel);
        const Bytes before = pixels;
        const std::string path = tempPath("roundtrip.png");
        std::string error;
        ASSERT_TRUE(writePngFile(path.c_str(), width, height, format.bitsPerPixel, pixels.data(), &error)) << error;
        EXPECT_EQ(pixels, before);  // the caller's block is untouched

        DecodedImage ours = readPngFile(path.c_str());
        ASSERT_TRUE(ours) << ours.error;
        EXPECT_EQ(ours.bitsPerPixel, format.bitsPerPixel);
        EXPECT_EQ(Bytes(ours.pixels.get(), ours.pixels.get() + pixels.size()), pixels);
        EXPECT_EQ(queryPngWidth(path.c_str()), int(width));
        EXPECT_EQ(queryPngHeight(path.c_str()), int(height));
        EXPECT_EQ(queryPngBitsPerPixel(path.c_str()), int(format.bitsPerPixel));

        const LibpngImage theirs = readWithLibpng(path);
        ASSERT_TRUE(theirs.ok);
        EXPECT_EQ(theirs.colourType, format.libpngColourType);
        EXPECT_EQ(theirs.pixels, flipRows(pixels, width * bytesPerPixel));
        std::remove(path.c_str());
    }
}

TEST(PngCodec, DecodesTransparentRunsAroundSpritesExactly)
{
    // Mostly zero pictures with lone pixels and short sprites at every offset,
    // so zero runs start and stop at every alignment within a row.
    for (const Format& format : formats) {
        const std::uint32_t width = 61, height = 19, bytesPerPixel = format.bitsPerPixel / 8;
        Bytes pixels(width * height * bytesPerPixel, 0);
        std::mt19937 random(format.bitsPerPixel);
        for (std::uint32_t y = 0; y < height; ++y) {
            for (std::uint32_t x = y % 7; x < width; x += 5 + random() % 17) {
                const std::size_t run = 1 + random() % 3;
                for (std::size_t k = 0; k < run * bytesPerPixel && (x * bytesPerPixel + k) < width * bytesPerPixel; ++k)
                    pixels[(std::size_t(y) * width + x) * bytesPerPixel + k] = std::uint8_t(1 + random() % 255);
            }
        }
        const Bytes file = encodePng(width, height, format.bitsPerPixel, pixels.data(), nullptr);
        const DecodedImage image = decodePngImage(file.data(), file.size());
        ASSERT_TRUE(image) << image.error;
        EXPECT_EQ(Bytes(image.pixels.get(), image.pixels.get() + pixels.size()), pixels) << format.bitsPerPixel;
    }
}

TEST(PngCodec, ReadsLibpngFilesAtEveryFilterType)
{
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB, PNG_FILTER_UP, PNG_FILTER_AVG, PNG_FILTER_PAETH};
    for (const Format& format : formats) {
        const std::uint32_t width = 19, height = 11, stride = width * format.bitsPerPixel / 8;
        const Bytes topDown = randomPixels(stride * height, 7 + format.bitsPerPixel);
        for (int filter : filters) {
            const std::string path = tempPath("libpng.png");
            writeWithLibpng(path, width, height, format.libpngColourType, format.bitsPerPixel / 8, topDown, filter);
            DecodedImage ours = readPngFile(path.c_str());
            ASSERT_TRUE(ours) << ours.error;
            EXPECT_EQ(flipRows(Bytes(ours.pixels.get(), ours.pixels.get() + topDown.size()), stride), topDown)
                << "bits per pixel " << format.bitsPerPixel << ", filter " << filter;
            std::remove(path.c_str());
        }
    }
}

TEST(PngCodec, PngSuiteDecodesLikeLibpngWithExpansion)
{
    // Every valid suite file: palettes and colour keys expanded to RGB(A),
    // low-bit grey stretched to 8 bits, 16-bit samples rounded, passes joined.
    const std::filesystem::path folder = QF_TESTDATA_DIR "/pngsuite/";
    int decoded = 0, expanded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".png")
            continue;
        const std::string path = entry.path().string();
        const LibpngImage reference = readWithLibpng(path, PNG_TRANSFORM_EXPAND | PNG_TRANSFORM_SCALE_16);
        ASSERT_TRUE(reference.ok) << path;
        const DecodedImage ours = readPngFile(path.c_str());
        ASSERT_TRUE(ours) << path << ": " << ours.error;
        const std::size_t stride = std::size_t(reference.width) * reference.channels;
        ASSERT_EQ(ours.bitsPerPixel, std::uint32_t(reference.channels * 8)) << path;
        EXPECT_EQ(flipRows(Bytes(ours.pixels.get(), ours.pixels.get() + stride * reference.height), stride),
                  reference.pixels)
            << path;
        EXPECT_EQ(queryPngWidth(path.c_str()), int(reference.width)) << path;
        EXPECT_EQ(queryPngHeight(path.c_str()), int(reference.height)) << path;
        EXPECT_EQ(queryPngBitsPerPixel(path.c_str()), int(ours.bitsPerPixel)) << path;
        const LibpngImage plain = readWithLibpng(path);
        expanded += plain.bitDepth != 8 || plain.interlace != 0 || plain.colourType == PNG_COLOR_TYPE_PALETTE;
        ++decoded;
    }
    EXPECT_GT(decoded, 150);
    EXPECT_GT(expanded, 100);
}

TEST(PngCodec, AcceptsMixedCaseChunkTypesAndJoinsSplitImageData)
{
    const Bytes raw = greyRaw(3, 5);  // narrower than tall
    const Bytes deflated = deflateBytes(raw);
    PngBuilder builder;
    builder.header(3, 5, 8, 0, 0, "iHdR").chunk("gAMA", {0, 0, 0xB1, 0x8F});
    const std::size_t third = deflated.size() / 3;
    builder.chunk("IDAT", Bytes(deflated.begin(), deflated.begin() + third));
    builder.chunk("idat", Bytes(deflated.begin() + third, deflated.begin() + 2 * third));
    builder.chunk("IdAt", Bytes(deflated.begin() + 2 * third, deflated.end()));
    const DecodedImage image = decode(builder.end().bytes);
    ASSERT_TRUE(image) << image.error;
    EXPECT_EQ(image.width, 3u);
    EXPECT_EQ(image.height, 5u);
    EXPECT_EQ(image.pixels[0], 4 * 16);      // bottom row first
    EXPECT_EQ(image.pixels[14], 2);          // top row last
}

TEST(PngCodec, RefusesDamagedChunkStructure)
{
    const Bytes raw = greyRaw(4, 4);
    const Bytes idat = deflateBytes(raw);
    Bytes badSignature = greyPng(4, 4, raw);
    badSignature[1] = 'Q';

    Bytes pastEnd = greyPng(4, 4, raw);
    pastEnd[33 + 1] = 0x10;  // IDAT length grows far beyond the file

    struct Case {
        const char* what;
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        {"bad signature", badSignature, "PNG: not a PNG file (bad signature)"},
        {"short file", Bytes(badSignature.begin(), badSignature.begin() + 5), "PNG: not a PNG file (bad signature)"},
        {"no IHDR", PngBuilder().chunk("IDAT", idat).end().bytes, "PNG: IDAT chunk before IHDR"},
        {"only IEND", PngBuilder().end().bytes, "PNG: no IHDR chunk"},
        {"repeated IHDR", PngBuilder().header(4, 4).header(4, 4).chunk("IDAT", idat).end().bytes,
         "PNG: more than one IHDR chunk"},
        {"IDAT before IHDR", PngBuilder().chunk("IDAT", idat).header(4, 4).end().bytes,
         "PNG: IDAT chunk before IHDR"},
        {"short IHDR", PngBuilder().chunk("IHDR", Bytes(12)).chunk("IDAT", idat).end().bytes,
         "PNG: IHDR chunk is too short"},
        {"length past end", pastEnd, "PNG: chunk IDAT runs past the end of the file"},
        {"no image data", PngBuilder().header(4, 4).end().bytes, "PNG: no image data"},
        {"zero width", PngBuilder().header(0, 4).chunk("IDAT", idat).end().bytes, "PNG: image size 0x4 is empty"},
        {"absurd size", PngBuilder().header(100000, 4).chunk("IDAT", idat).end().bytes,
         "PNG: image size 100000x4 exceeds the largest side of 16384 pixels"},
        {"palette without PLTE", PngBuilder().header(4, 4, 8, 3).chunk("IDAT", idat).end().bytes,
         "PNG: palette image without a PLTE chunk"},
        {"PLTE of partial entries", PngBuilder().header(4, 4, 8, 3).chunk("PLTE", Bytes(7)).chunk("IDAT", idat).end().bytes,
         "PNG: PLTE chunk of 7 bytes is not a palette"},
        {"huge size, tiny data", PngBuilder().header(16384, 16384, 8, 6).chunk("IDAT", idat).end().bytes,
         "PNG: image data is too short for the picture"},
    };
    for (const Case& c : cases) {
        const DecodedImage image = decode(c.file);
        EXPECT_FALSE(image) << c.what;
        EXPECT_EQ(image.error, c.message) << c.what;
        EXPECT_EQ(decodePng(c.file.data(), c.file.size()), nullptr) << c.what;
    }
}

TEST(PngCodec, RefusesDamagedImageData)
{
    const Bytes raw = greyRaw(8, 8);
    const Bytes idat = deflateBytes(raw);
    const std::string damagedData = "PNG: image data is damaged or does not match the picture size";

    Bytes flipped = idat;
    for (std::size_t i = 2; i < flipped.size(); i += 3)
        flipped[i] ^= 0x5A;
    EXPECT_EQ(decode(PngBuilder().header(8, 8).chunk("IDAT", flipped).end().bytes).error, damagedData);
    const Bytes cut(idat.begin(), idat.begin() + idat.size() / 2);
    EXPECT_EQ(decode(PngBuilder().header(8, 8).chunk("IDAT", cut).end().bytes).error, damagedData);
    // Streams that end early or run long for the picture the header describes.
    EXPECT_EQ(decode(PngBuilder().header(8, 9).chunk("IDAT", idat).end().bytes).error, damagedData);
    EXPECT_EQ(decode(PngBuilder().header(8, 7).chunk("IDAT", idat).end().bytes).error, damagedData);
    EXPECT_EQ(decode(PngBuilder().header(8, 8).chunk("IDAT", Bytes(40, 0xFF)).end().bytes).error, damagedData);

    Bytes badFilter = raw;
    badFilter[3 * 9] = 5;
    EXPECT_EQ(decode(greyPng(8, 8, badFilter)).error, "PNG: row 3 has unknown filter type 5");
}

TEST(PngCodec, HeaderQueriesOnBadFiles)
{
    EXPECT_EQ(queryPngWidth("/nonexistent/file.png"), -1);
    EXPECT_EQ(queryPngBitsPerPixel("/nonexistent/file.png"), -1);
    const std::string folder = std::filesystem::temp_directory_path().string();
    EXPECT_EQ(readPngFile(folder.c_str()).error, "PNG: cannot open " + folder + ": is a directory");
    EXPECT_EQ(queryPngWidth(folder.c_str()), -1);
    const std::string path = tempPath("query.png");
    const Bytes idat = deflateBytes(greyRaw(4, 4));
    const Bytes files[] = {
        Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g'},
        PngBuilder().chunk("IDAT", idat).header(4, 4).end().bytes,  // IDAT first
        PngBuilder().header(0, 4).chunk("IDAT", idat).end().bytes,
        PngBuilder().header(4, 70000).chunk("IDAT", idat).end().bytes,
        PngBuilder().chunk("tEXt", Bytes(5, 'a')).end().bytes,
    };
    for (const Bytes& file : files) {
        writeFile(path, file);
        EXPECT_EQ(queryPngWidth(path.c_str()), -1);
        EXPECT_EQ(queryPngHeight(path.c_str()), -1);
        EXPECT_EQ(queryPngBitsPerPixel(path.c_str()), -1);
    }
    // A skipped chunk before IHDR is fine; a lower-case IHDR is found.
    writeFile(path, PngBuilder().chunk("tEXt", Bytes(5, 'a')).header(6, 3, 8, 4, 0, "ihdr").end().bytes);
    EXPECT_EQ(queryPngWidth(path.c_str()), 6);
    EXPECT_EQ(queryPngHeight(path.c_str()), 3);
    EXPECT_EQ(queryPngBitsPerPixel(path.c_str()), 16);
    std::remove(path.c_str());
}

TEST(PngCodec, WriterHandlesIncompressibleDataAndRefusesBadArguments)
{
    const std::uint32_t side = 64;
    const Bytes noise = randomPixels(side * side * 4, 99);
    const Bytes file = encodePng(side, side, 32, noise.data(), nullptr);
    ASSERT_FALSE(file.empty());
    EXPECT_GT(file.size(), noise.size() + side);  // bigger than the filtered data
    const DecodedImage image = decode(file);
    ASSERT_TRUE(image) << image.error;
    EXPECT_EQ(Bytes(image.pixels.get(), image.pixels.get() + noise.size()), noise);

    const std::string path = tempPath("refused.png");
    std::remove(path.c_str());
    std::string error;
    EXPECT_FALSE(writePngFile(path.c_str(), side, side, 12, noise.data(), &error));
    EXPECT_EQ(error, "PNG: cannot write 12 bits per pixel");
    savePng(path.c_str(), 0, side, 32, noise.data());
    savePng(path.c_str(), side, side, 32, nullptr);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(writePngFile("/nonexistent/dir/x.png", side, side, 32, noise.data(), &error));
}

namespace {

// Sprite-like RGBA content: patches of a few colours on a transparent
// canvas, one cell in `spacing` filled.
Bytes spriteSheet(std::uint32_t width, std::uint32_t height, std::uint32_t spacing = 3)
{
    std::mt19937 random(width * 31 + height);
    Bytes pixels(std::size_t(width) * height * 4, 0);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            if ((x / 24 + y / 24) % spacing == 0)
                for (int k = 0; k < 4; ++k)
                    pixels[(std::size_t(y) * width + x) * 4 + k] = std::uint8_t(random() % 2 * 8 + x / 8 + k * 50);
    return pixels;
}

// The zlib stream of the one IDAT our writer emits.
Bytes idatOf(const Bytes& file)
{
    const std::size_t at = 8 + 25;
    const std::uint32_t length = std::uint32_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
    return Bytes(file.begin() + at + 8, file.begin() + at + 8 + length);
}

Bytes inflateBytes(const Bytes& stream, std::size_t size)
{
    Bytes out(size);
    uLongf length = uLongf(size);
    EXPECT_EQ(uncompress(out.data(), &length, stream.data(), uLong(stream.size())), Z_OK);
    out.resize(length);
    return out;
}

}  // namespace

TEST(PngCodec, LargePicturesAreDeflatedInPiecesNearlyAsSmallAsOneCall)
{
    // Mostly transparent, as atlases are: the data deflates so well that the
    // cost of every extra piece shows in the size.
    const std::uint32_t width = 1100, height = 700;
    const Bytes pixels = spriteSheet(width, height, 6);
    const std::size_t filteredSize = std::size_t(height) * (width * 4 + 1);
    std::vector<std::size_t> reports;
    std::size_t reportedTotal = 0;
    const Bytes file = encodePng(width, height, 32, pixels.data(), nullptr, [&](std::size_t done, std::size_t total) {
        reports.push_back(done);
        reportedTotal = total;
    });
    ASSERT_FALSE(file.empty());
    const std::size_t pieces = CParallelDeflate::pieceCount(filteredSize);
    ASSERT_EQ(pieces, CParallelDeflate::maxPieces);
    EXPECT_EQ(reportedTotal, pieces);
    ASSERT_EQ(reports.size(), pieces);
    for (std::size_t i = 0; i < pieces; ++i)
        EXPECT_EQ(reports[i], i + 1);

    const std::string path = tempPath("pieces.png");
    writeFile(path, file);
    const LibpngImage theirs = readWithLibpng(path);
    std::remove(path.c_str());
    ASSERT_TRUE(theirs.ok);
    EXPECT_EQ(theirs.pixels, flipRows(pixels, width * 4));

    // No more than 0.5 % above one zlib call over the same filtered rows, and
    // the same bytes whatever the number of threads.
    const Bytes filtered = inflateBytes(idatOf(file), filteredSize);
    ASSERT_EQ(filtered.size(), filteredSize);
    EXPECT_LE(double(idatOf(file).size()), double(deflateBytes(filtered).size()) * 1.005);
    for (unsigned threads : {1u, 3u}) {
        Bytes stream;
        ASSERT_TRUE(CParallelDeflate::compress(filtered.data(), filtered.size(), 9, stream, {}, threads));
        EXPECT_EQ(stream, idatOf(file)) << threads << " threads";
    }
}

TEST(PngCodec, AnEmptyAtlasIsNoLargerThanOneCallMakesIt)
{
    // Sixteen pieces of nothing: the cuts alone would add about 1 %.
    const std::uint32_t width = 2048, height = 2048;
    const Bytes file = encodePng(width, height, 32, Bytes(std::size_t(width) * height * 4, 0).data(), nullptr);
    const std::size_t filteredSize = std::size_t(height) * (width * 4 + 1);
    ASSERT_EQ(CParallelDeflate::pieceCount(filteredSize), CParallelDeflate::maxPieces);
    const Bytes filtered = inflateBytes(idatOf(file), filteredSize);
    ASSERT_EQ(filtered.size(), filteredSize);
    EXPECT_LE(double(idatOf(file).size()), double(deflateBytes(filtered).size()) * 1.005);
}

TEST(PngCodec, PicturesBelowTwoPiecesKeepTheOneCallBytes)
{
    const std::uint32_t width = 100, height = 653;  // 261,853 filtered bytes
    ASSERT_EQ(CParallelDeflate::pieceCount(std::size_t(height) * (width * 4 + 1)), 1u);
    const Bytes file = encodePng(width, height, 32, spriteSheet(width, height).data(), nullptr);
    const Bytes idat = idatOf(file);
    EXPECT_EQ(deflateBytes(inflateBytes(idat, std::size_t(height) * (width * 4 + 1))), idat);
}

TEST(PngCodec, EachDeflatedPieceIsReportedWhenItIsFinished)
{
    // One worker deflates while the caller reports: the first piece is
    // reported long before the last is finished, not all at the end.
    Bytes data(CParallelDeflate::maxPieces * CParallelDeflate::minPieceSize);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : data) {
        state = state * 1103515245u + 12345u;
        byte = std::uint8_t((state >> 16) & 0x3F);
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    std::vector<Clock::time_point> reports;
    Bytes stream;
    ASSERT_TRUE(CParallelDeflate::compress(data.data(), data.size(), 9, stream,
                                           [&](std::size_t, std::size_t) { reports.push_back(Clock::now()); }, 1));
    ASSERT_EQ(reports.size(), CParallelDeflate::maxPieces);
    EXPECT_GT((reports.back() - reports.front()).count(), (reports.back() - start).count() / 2);
}
