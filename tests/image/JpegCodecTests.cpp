// JPEG codec: written files read back here and in stb_image close to the
// original and the right way up; corrupt files are refused without ending the
// process.
#include "image/JpegCodec.h"

#include "CodecTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// A smooth picture in the engine layout; it does not wrap around up to 40 x 24.
Bytes makeGradient(std::uint32_t width, std::uint32_t height, std::uint32_t channels)
{
    Bytes pixels(std::size_t(width) * height * channels);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            for (std::uint32_t c = 0; c < channels; ++c)
                pixels[(std::size_t(y) * width + x) * channels + c] = std::uint8_t(x * 4 + y * 2 + c * 20);
    return pixels;
}

double meanDifference(const std::uint8_t* a, const std::uint8_t* b, std::size_t size)
{
    double sum = 0;
    for (std::size_t i = 0; i < size; ++i)
        sum += std::abs(int(a[i]) - int(b[i]));
    return sum / double(size);
}

// Offset of the first marker FF code, or 0.
std::size_t findMarker(const Bytes& file, std::uint8_t code)
{
    for (std::size_t i = 2; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == code)
            return i;
    return 0;
}

Bytes writeGradientJpeg(const std::string& path, std::uint32_t width, std::uint32_t height, std::uint32_t channels)
{
    const Bytes pixels = makeGradient(width, height, channels);
    std::string error;
    EXPECT_TRUE(writeJpegFile(path.c_str(), width, height, channels * 8, pixels.data(), 95, &error)) << error;
    return readBytes(path);
}

// A 16 x 8 progressive colour JPEG, written straight through libjpeg (our
// writer only writes baseline files).
Bytes makeProgressiveJpeg(const Bytes& pixels)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 16;
    info.image_height = 8;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    Bytes row(16 * 3);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* source = pixels.data() + row.size() * (7 - info.next_scanline);
        std::copy(source, source + row.size(), row.begin());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    Bytes file(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return file;
}

TEST(JpegCodec, RoundTripsGreyAndColourCloseToTheOriginal)
{
    CScratchFolder folder;
    for (std::uint32_t channels : {1u, 3u}) {
        SCOPED_TRACE(channels);
        const std::string path = folder.path("g.jpg");
        const Bytes pixels = makeGradient(40, 24, channels);
        const Bytes before = pixels;
        ASSERT_TRUE(writeJpegFile(path.c_str(), 40, 24, channels * 8, pixels.data(), 95, nullptr));
        EXPECT_EQ(pixels, before);
        const Bytes file = readBytes(path);
        EXPECT_NE(findMarker(file, 0xC0), 0u) << "baseline frame expected";

        EXPECT_EQ(queryJpegWidth(path.c_str()), 40);
        EXPECT_EQ(queryJpegHeight(path.c_str()), 24);
        EXPECT_EQ(queryJpegBitsPerPixel(path.c_str()), int(channels * 8));
        const DecodedImage image = readJpegFile(path.c_str());
        ASSERT_TRUE(image) << image.error;
        EXPECT_EQ(image.bitsPerPixel, channels * 8);
        EXPECT_LT(meanDifference(image.pixels.get(), pixels.data(), pixels.size()), 2.0);

        const StbPicture stb = loadWithStb(path);
        ASSERT_TRUE(stb.loaded);
        ASSERT_EQ(stb.channels, int(channels));
        EXPECT_LT(meanDifference(stb.pixels.data(), pixels.data(), pixels.size()), 2.0);
    }
}

TEST(JpegCodec, StoresTheTopScanlineAsTheLastRow)
{
    // Bottom-up block: eight black rows at the bottom, eight white rows on top.
    Bytes pixels(8 * 16, 0);
    std::fill(pixels.begin() + 8 * 8, pixels.end(), 255);
    CScratchFolder folder;
    const std::string path = folder.path("half.jpg");
    ASSERT_TRUE(writeJpegFile(path.c_str(), 8, 16, 8, pixels.data(), 100, nullptr));

    const StbPicture stb = loadWithStb(path);  // rows put bottom-up again
    ASSERT_TRUE(stb.loaded);
    EXPECT_LT(stb.pixels.front(), 10);
    EXPECT_GT(stb.pixels.back(), 245);
    const std::unique_ptr<std::uint8_t[]> loaded = loadJpeg(path.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_LT(loaded[0], 10);
    EXPECT_GT(loaded[8 * 16 - 1], 245);
}

TEST(JpegCodec, WritesNothingItCannotEncode)
{
    CScratchFolder folder;
    const Bytes pixels = makeGradient(4, 4, 4);
    std::string error;
    EXPECT_FALSE(writeJpegFile(folder.path("a.jpg").c_str(), 4, 4, 32, pixels.data(), 90, &error));
    EXPECT_EQ(error, "JPEG: 32 bits per pixel cannot be written");
    saveJpeg(folder.path("b.jpg").c_str(), 4, 4, 32, pixels.data(), 90);
    EXPECT_FALSE(writeJpegFile(folder.path("c.jpg").c_str(), 0, 4, 24, pixels.data(), 90, &error));
    EXPECT_FALSE(std::filesystem::exists(folder.path("a.jpg")));
    EXPECT_FALSE(std::filesystem::exists(folder.path("b.jpg")));
    EXPECT_FALSE(std::filesystem::exists(folder.path("c.jpg")));
    EXPECT_FALSE(writeJpegFile(folder.path("no/such/folder.jpg").c_str(), 4, 4, 24, pixels.data(), 90, &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
}

TEST(JpegCodec, RefusesCorruptFilesWithoutEndingTheProcess)
{
    CScratchFolder folder;
    const Bytes good = writeGradientJpeg(folder.path("good.jpg"), 40, 24, 3);
    const std::size_t frame = findMarker(good, 0xC0);
    const std::size_t huffman = findMarker(good, 0xC4);
    ASSERT_NE(frame, 0u);
    ASSERT_NE(huffman, 0u);

    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    cases.push_back({"not a JPEG", Bytes{'B', 'M', 1, 2, 3, 4, 5, 6}, "JPEG: Not a JPEG file"});
    cases.push_back({"start marker only", Bytes{0xFF, 0xD8}, "JPEG: "});
    cases.push_back({"cut in the headers", Bytes(good.begin(), good.begin() + std::ptrdiff_t(frame + 6)), "JPEG: "});
    Bytes huge = good;
    huge[frame + 5] = huge[frame + 7] = 0x40;  // 16385 x 16385: valid JPEG, above our limit
    huge[frame + 6] = huge[frame + 8] = 0x01;
    cases.push_back({"huge size", huge, "exceeds the largest side"});
    Bytes precision = good;
    precision[frame + 4] = 12;
    cases.push_back({"12-bit samples", precision, "precision"});
    Bytes bogusTable = good;
    bogusTable[huffman + 5] = 0xFF;  // code counts now add up to more than 256
    cases.push_back({"bogus Huffman table", bogusTable, "Huffman"});
    Bytes components = good;
    components[frame + 9] = 0;
    cases.push_back({"no components", components, "JPEG: "});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedImage image = decodeJpegImage(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(image);
        EXPECT_NE(image.error.find(c.reason), std::string::npos) << image.error;
        const std::string path = folder.path("bad.jpg");
        writeBytes(path, c.bytes);
        EXPECT_EQ(loadJpeg(path.c_str()), nullptr);
        EXPECT_EQ(queryJpegWidth(path.c_str()), -1);
        EXPECT_EQ(queryJpegHeight(path.c_str()), -1);
        EXPECT_EQ(queryJpegBitsPerPixel(path.c_str()), -1);
    }
    EXPECT_FALSE(decodeJpegImage(nullptr, 0));
    EXPECT_EQ(queryJpegWidth(folder.path("missing.jpg").c_str()), -1);
    EXPECT_EQ(loadJpeg(folder.path("missing.jpg").c_str()), nullptr);
}

TEST(JpegCodec, ReadsProgressiveFilesButRefusesEndlessScans)
{
    const Bytes pixels = makeGradient(16, 8, 3);
    const Bytes file = makeProgressiveJpeg(pixels);
    const DecodedImage image = decodeJpegImage(file.data(), file.size());
    ASSERT_TRUE(image) << image.error;
    EXPECT_LT(meanDifference(image.pixels.get(), pixels.data(), pixels.size()), 3.0);

    // Repeating the last scan is only a warning to the library, but thousands
    // of scans would each revisit the whole picture.
    std::size_t lastScan = 0;
    for (std::size_t i = 0; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xDA)
            lastScan = i;
    ASSERT_NE(lastScan, 0u);
    Bytes endless(file.begin(), file.end() - 2);
    for (int i = 0; i < 1001; ++i)
        endless.insert(endless.end(), file.begin() + std::ptrdiff_t(lastScan), file.end() - 2);
    endless.insert(endless.end(), {0xFF, 0xD9});
    const DecodedImage refused = decodeJpegImage(endless.data(), endless.size());
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error, "JPEG: more than 1000 scans");
}

TEST(JpegCodec, RefusesTruncatedScanDataAndHonoursThePixelLimit)
{
    CScratchFolder folder;
    const Bytes good = writeGradientJpeg(folder.path("good.jpg"), 64, 64, 3);
    // A file cut inside its scan data is only a warning to the library, which
    // would fill the rest with grey.
    const Bytes cut(good.begin(), good.end() - std::ptrdiff_t(good.size() / 3));
    const DecodedImage image = decodeJpegImage(cut.data(), cut.size());
    EXPECT_FALSE(image);
    EXPECT_EQ(image.error, "JPEG: Premature end of JPEG file");
    const std::string path = folder.path("cut.jpg");
    writeBytes(path, cut);
    EXPECT_EQ(readJpegFile(path.c_str()).error, "JPEG: Premature end of JPEG file");

    const DecodedImage limited = decodeJpegImage(good.data(), good.size(), 64 * 63);
    EXPECT_FALSE(limited);
    EXPECT_EQ(limited.error, "JPEG: picture exceeds the pixel limit");
}

}  // namespace
