// BMP codec: files we write (row padding, header fields, palette) read back
// here and in stb_image; files from other writers (top-down, V5 header, colour
// palette) read the right way up; malformed files are refused.
#include "image/BmpCodec.h"

#include "CodecTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A hand-made BMP: file header, info header of headerSize bytes, palette
// (4 bytes per entry, B G R 0) and pixel bytes exactly as given.
struct BmpFile {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t coloursUsed = 0;
    Bytes palette;
    Bytes pixels;
    std::int64_t pixelOffset = -1;  // -1: right after the palette

    Bytes build() const
    {
        const std::uint32_t offset = pixelOffset >= 0 ? std::uint32_t(pixelOffset)
                                                      : std::uint32_t(14 + headerSize + palette.size());
        Bytes b{'B', 'M'};
        putU32(b, std::uint32_t(offset + pixels.size()));
        putU32(b, 0);
        putU32(b, offset);
        putU32(b, headerSize);
        putU32(b, std::uint32_t(width));
        putU32(b, std::uint32_t(height));
        putU16(b, 1);
        putU16(b, bitsPerPixel);
        putU32(b, compression);
        putU32(b, std::uint32_t(pixels.size()));
        putU32(b, 2835);
        putU32(b, 2835);
        putU32(b, coloursUsed);
        putU32(b, 0);
        b.resize(14 + headerSize, 0);
        b.insert(b.end(), palette.begin(), palette.end());
        if (b.size() < offset)
            b.resize(offset, 0);
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
};

DecodedImage decode(const Bytes& file)
{
    return decodeBmpImage(file.data(), file.size());
}

TEST(BmpCodec, PadsRowsToFourBytesAndSizesTheHeaderToMatch)
{
    CScratchFolder folder;
    const std::string path = folder.path("row.bmp");
    const Bytes pixels{10, 20, 30, 40, 50, 60, 70, 80, 90};
    const Bytes before = pixels;
    ASSERT_TRUE(writeBmpFile(path.c_str(), 3, 1, 24, pixels.data(), nullptr));
    EXPECT_EQ(pixels, before);

    const Bytes file = readBytes(path);
    ASSERT_EQ(file.size(), 66u);
    EXPECT_EQ(getU32(file, 2), 66u);   // file size
    EXPECT_EQ(getU32(file, 10), 54u);  // pixel offset
    EXPECT_EQ(getU32(file, 34), 12u);  // image size
    const Bytes row(file.begin() + 54, file.end());
    EXPECT_EQ(row, (Bytes{30, 20, 10, 60, 50, 40, 90, 80, 70, 0, 0, 0}));

    const DecodedImage image = readBmpFile(path.c_str());
    ASSERT_TRUE(image) << image.error;
    EXPECT_EQ(pixelsOf(image), pixels);
}

TEST(BmpCodec, WritesEightBitPicturesWithGreyPalette)
{
    CScratchFolder folder;
    const std::string path = folder.path("grey.bmp");
    const Bytes pixels{1, 2, 3, 4};
    ASSERT_TRUE(writeBmpFile(path.c_str(), 2, 2, 8, pixels.data(), nullptr));
    const Bytes file = readBytes(path);
    ASSERT_EQ(file.size(), 54u + 1024u + 8u);
    EXPECT_EQ(getU32(file, 10), 1078u);
    EXPECT_EQ(getU32(file, 46), 256u);
    EXPECT_EQ(Bytes(file.begin() + 54 + 7 * 4, file.begin() + 54 + 8 * 4), (Bytes{7, 7, 7, 0}));
    EXPECT_EQ(Bytes(file.begin() + 1078, file.end()), (Bytes{1, 2, 0, 0, 3, 4, 0, 0}));
    EXPECT_EQ(queryBmpBitsPerPixel(path.c_str()), 8);
}

TEST(BmpCodec, WrittenFilesOpenInStbAndReadBackAtEveryPaddedWidth)
{
    CScratchFolder folder;
    for (std::uint32_t bpp : {8u, 24u, 32u}) {
        for (std::uint32_t width : {1u, 2u, 3u, 5u}) {
            for (std::uint32_t height : {1u, 3u}) {
                SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bpp));
                const std::string path = folder.path("p.bmp");
                const Bytes pixels = makePattern(width, height, bpp);
                const Bytes before = pixels;
                ASSERT_TRUE(writeBmpFile(path.c_str(), width, height, bpp, pixels.data(), nullptr));
                EXPECT_EQ(pixels, before);

                EXPECT_EQ(queryBmpWidth(path.c_str()), int(width));
                EXPECT_EQ(queryBmpHeight(path.c_str()), int(height));
                EXPECT_EQ(queryBmpBitsPerPixel(path.c_str()), int(bpp));
                const std::unique_ptr<std::uint8_t[]> loaded = loadBmp(path.c_str());
                ASSERT_NE(loaded, nullptr);
                EXPECT_EQ(std::memcmp(loaded.get(), pixels.data(), pixels.size()), 0);

                const StbPicture stb = loadWithStb(path);
                ASSERT_TRUE(stb.loaded);
                EXPECT_EQ(stb.width, int(width));
                EXPECT_EQ(stb.height, int(height));
                // stb expands 8-bit palettes to RGB.
                if (bpp == 8) {
                    ASSERT_EQ(stb.channels, 3);
                    for (std::size_t i = 0; i < pixels.size(); ++i)
                        ASSERT_EQ(stb.pixels[i * 3], pixels[i]);
                } else {
                    EXPECT_EQ(stb.channels, int(bpp / 8));
                    EXPECT_EQ(stb.pixels, pixels);
                }
            }
        }
    }
}

TEST(BmpCodec, ReadsBottomUpAndTopDownFilesTheRightWayUp)
{
    // Two rows of one 24-bit pixel: the bottom row red, the top row blue.
    const Bytes red{0, 0, 255, 0}, blue{255, 0, 0, 0};
    BmpFile file;
    file.height = 2;
    file.pixels = red;
    file.pixels.insert(file.pixels.end(), blue.begin(), blue.end());
    DecodedImage bottomUp = decode(file.build());
    ASSERT_TRUE(bottomUp) << bottomUp.error;
    EXPECT_EQ(pixelsOf(bottomUp), (Bytes{255, 0, 0, 0, 0, 255}));

    file.height = -2;  // the same bytes now start with the top row
    DecodedImage topDown = decode(file.build());
    ASSERT_TRUE(topDown) << topDown.error;
    EXPECT_EQ(topDown.height, 2u);
    EXPECT_EQ(pixelsOf(topDown), (Bytes{0, 0, 255, 255, 0, 0}));
}

TEST(BmpCodec, ReadsPixelsFromTheHeaderOffsetForEveryDepth)
{
    for (std::uint16_t bpp : {24, 32}) {
        BmpFile file;
        file.headerSize = 124;  // BITMAPV5HEADER
        file.bitsPerPixel = bpp;
        file.pixels = bpp == 24 ? Bytes{1, 2, 3, 0} : Bytes{1, 2, 3, 4};
        file.pixelOffset = 14 + 124 + 6;  // a gap before the pixels
        const DecodedImage image = decode(file.build());
        ASSERT_TRUE(image) << image.error;
        EXPECT_EQ(pixelsOf(image), bpp == 24 ? (Bytes{3, 2, 1}) : (Bytes{3, 2, 1, 4}));
    }
}

TEST(BmpCodec, ReadsEightBitFilesThroughTheirPalette)
{
    BmpFile file;
    file.width = 2;
    file.bitsPerPixel = 8;
    file.coloursUsed = 2;
    file.pixels = {1, 0, 0, 0};
    file.palette = {9, 9, 9, 0, 200, 200, 200, 0};  // inverted-ish grey palette
    DecodedImage grey = decode(file.build());
    ASSERT_TRUE(grey) << grey.error;
    EXPECT_EQ(grey.bitsPerPixel, 8u);
    EXPECT_EQ(pixelsOf(grey), (Bytes{200, 9}));

    file.palette = {255, 0, 0, 0, 0, 128, 0, 0};  // blue, dark green
    DecodedImage colour = decode(file.build());
    ASSERT_TRUE(colour) << colour.error;
    EXPECT_EQ(colour.bitsPerPixel, 24u);
    EXPECT_EQ(pixelsOf(colour), (Bytes{0, 128, 0, 0, 0, 255}));

    CScratchFolder folder;
    writeBytes(folder.path("c.bmp"), file.build());
    EXPECT_EQ(queryBmpBitsPerPixel(folder.path("c.bmp").c_str()), 24);
}

TEST(BmpCodec, ToleratesDamagedMagic)
{
    BmpFile file;
    file.pixels = {1, 2, 3, 0};
    Bytes bytes = file.build();
    bytes[0] = 'X';
    EXPECT_TRUE(decode(bytes));
}

TEST(BmpCodec, RefusesMalformedFiles)
{
    BmpFile good;
    good.width = 2;
    good.height = 2;
    good.pixels = makePattern(16, 1, 8);  // two rows of 6 bytes padded to 8
    ASSERT_TRUE(decode(good.build()));

    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    auto variant = [&](const char* name, const char* reason, auto change) {
        BmpFile file = good;
        change(file);
        cases.push_back({name, file.build(), reason});
    };
    const Bytes goodBytes = good.build();
    cases.push_back({"truncated header", Bytes(goodBytes.begin(), goodBytes.begin() + 40), "too short"});
    Bytes shortPixels = goodBytes;
    shortPixels.resize(shortPixels.size() - 3);  // the last row's padding and one pixel byte
    cases.push_back({"short pixel data", shortPixels, "past the end"});
    Bytes badOffset = goodBytes;
    badOffset[10] = 0x88;  // pixel offset 0x88 + 0x13 * 256, far past the end
    badOffset[11] = 0x13;
    cases.push_back({"offset past the end", badOffset, "past the end"});
    variant("zero width", "empty", [](BmpFile& f) { f.width = 0; });
    variant("zero height", "empty", [](BmpFile& f) { f.height = 0; });
    variant("huge width", "16384", [](BmpFile& f) { f.width = 0x7fffffff; });
    variant("huge top-down height", "16384", [](BmpFile& f) { f.height = std::int32_t(0x80000000u); });
    variant("negative width", "negative width", [](BmpFile& f) { f.width = -2; });
    variant("RLE8 at 24 bits", "RLE8 compression with 24 bits per pixel", [](BmpFile& f) { f.compression = 1; });
    variant("top-down RLE4", "run-length encoded files cannot be top-down", [](BmpFile& f) {
        f.compression = 2;
        f.bitsPerPixel = 4;
        f.height = -2;
    });
    variant("RLE8 ending early", "run-length data ends before the end of the picture", [](BmpFile& f) {
        f.compression = 1;
        f.bitsPerPixel = 8;
        f.pixels = {2, 5, 0, 0, 2};
    });
    variant("RLE8 far larger than its data", "run-length data is too short for the picture", [](BmpFile& f) {
        f.compression = 1;
        f.bitsPerPixel = 8;
        f.width = f.height = 4000;
        f.pixels = {0, 1};
    });
    variant("bit fields at 24 bits", "bit-field masks with 24 bits per pixel", [](BmpFile& f) { f.compression = 3; });
    variant("masks select nothing", "bit-field masks select no colour", [](BmpFile& f) {
        f.compression = 3;
        f.bitsPerPixel = 32;
        f.headerSize = 56;
    });
    variant("embedded PNG", "embedded PNG", [](BmpFile& f) { f.compression = 5; });
    variant("2 bits per pixel", "2 bits per pixel", [](BmpFile& f) { f.bitsPerPixel = 2; });
    variant("core header", "info header of 12 bytes", [](BmpFile& f) { f.headerSize = 12; });

    CScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedImage image = decode(c.bytes);
        EXPECT_FALSE(image);
        EXPECT_NE(image.error.find(c.reason), std::string::npos) << image.error;
        const std::string path = folder.path("bad.bmp");
        writeBytes(path, c.bytes);
        EXPECT_EQ(loadBmp(path.c_str()), nullptr);
        // Faults in the pixel data alone leave the header queries answering.
        const std::string name = c.name;
        const bool headerWhole = name == "short pixel data" || name == "offset past the end" ||
                                 name == "RLE8 ending early" || name == "RLE8 far larger than its data";
        if (headerWhole) {
            EXPECT_GT(queryBmpWidth(path.c_str()), 0);
            continue;
        }
        EXPECT_EQ(queryBmpWidth(path.c_str()), -1);
        EXPECT_EQ(queryBmpHeight(path.c_str()), -1);
        EXPECT_EQ(queryBmpBitsPerPixel(path.c_str()), -1);
    }
    EXPECT_FALSE(decodeBmpImage(nullptr, 0));
}

TEST(BmpCodec, ReportsFilesItCannotOpenOrWrite)
{
    CScratchFolder folder;
    const std::string missing = folder.path("missing.bmp");
    EXPECT_EQ(loadBmp(missing.c_str()), nullptr);
    EXPECT_EQ(queryBmpWidth(missing.c_str()), -1);
    EXPECT_NE(readBmpFile(missing.c_str()).error.find("cannot open"), std::string::npos);
    const std::string directory = folder.path("folder.bmp");
    std::filesystem::create_directory(directory);
    EXPECT_EQ(readBmpFile(directory.c_str()).error, "BMP: cannot open " + directory + ": is a directory");

    const Bytes pixels = makePattern(2, 2, 32);
    std::string error;
    EXPECT_FALSE(writeBmpFile(folder.path("no/such/folder.bmp").c_str(), 2, 2, 32, pixels.data(), &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_FALSE(writeBmpFile(folder.path("a.bmp").c_str(), 2, 2, 16, pixels.data(), &error));
    EXPECT_EQ(error, "BMP: 16 bits per pixel cannot be written");
    EXPECT_FALSE(writeBmpFile(folder.path("b.bmp").c_str(), 0, 2, 32, pixels.data(), &error));
    saveBmp(folder.path("c.bmp").c_str(), 2, 2, 16, pixels.data());
    EXPECT_FALSE(std::filesystem::exists(folder.path("a.bmp")));
    EXPECT_FALSE(std::filesystem::exists(folder.path("c.bmp")));
}

}  // namespace

TEST(BmpCodec, HeaderQueriesAnswerFromTheHeaderOfACutFile)
{
    // The pixels are cut in half; the headers and palette stay whole.
    CScratchFolder folder;
    for (const std::uint32_t bits : {8u, 24u, 32u}) {
        const std::string path = folder.path("cut" + std::to_string(bits) + ".bmp");
        const Bytes pixels = makePattern(40, 30, bits);
        ASSERT_TRUE(writeBmpFile(path.c_str(), 40, 30, bits, pixels.data(), nullptr));
        const Bytes file = readBytes(path);
        const std::size_t pixelOffset = getU32(file, 10);
        writeBytes(path, Bytes(file.begin(), file.begin() + std::ptrdiff_t(pixelOffset + (file.size() - pixelOffset) / 2)));
        EXPECT_EQ(queryBmpWidth(path.c_str()), 40) << bits;
        EXPECT_EQ(queryBmpHeight(path.c_str()), 30) << bits;
        EXPECT_EQ(queryBmpBitsPerPixel(path.c_str()), int(bits)) << bits;
        EXPECT_EQ(readBmpFile(path.c_str()).pixels, nullptr) << bits;  // the pixels are still refused
    }
}
