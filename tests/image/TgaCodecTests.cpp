// TGA codec: files we write open in stb_image and read back; files from other
// writers (top-left origin, run-length encoded, colour-mapped, with an ID
// field) decode the right way up; malformed files are refused.
#include "image/TgaCodec.h"

#include "CodecTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A hand-made TGA: the 18-byte header, then ID, colour map and data as given.
struct TgaFile {
    Bytes id;
    std::uint8_t colourMapType = 0;
    std::uint8_t imageType = 2;
    std::uint16_t mapOrigin = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntrySize = 0;
    Bytes map;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t depth = 24;
    std::uint8_t descriptor = 0;
    Bytes data;

    Bytes build() const
    {
        Bytes b;
        putU8(b, std::uint32_t(id.size()));
        putU8(b, colourMapType);
        putU8(b, imageType);
        putU16(b, mapOrigin);
        putU16(b, mapLength);
        putU8(b, mapEntrySize);
        putU16(b, 0);
        putU16(b, 0);
        putU16(b, width);
        putU16(b, height);
        putU8(b, depth);
        putU8(b, descriptor);
        b.insert(b.end(), id.begin(), id.end());
        b.insert(b.end(), map.begin(), map.end());
        b.insert(b.end(), data.begin(), data.end());
        return b;
    }
};

DecodedImage decode(const Bytes& file)
{
    return decodeTgaImage(file.data(), file.size());
}

TEST(TgaCodec, WritesUncompressedHeaderAndBgrPixels)
{
    CScratchFolder folder;
    const std::string path = folder.path("a.tga");
    const Bytes rgba{1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes before = rgba;
    ASSERT_TRUE(writeTgaFile(path.c_str(), 2, 1, 32, rgba.data(), nullptr));
    EXPECT_EQ(rgba, before);
    const Bytes file = readBytes(path);
    ASSERT_EQ(file.size(), 18u + 8u);
    EXPECT_EQ(file[2], 2);    // true colour
    EXPECT_EQ(file[12], 2);   // width
    EXPECT_EQ(file[16], 32);  // depth
    EXPECT_EQ(file[17], 0);   // descriptor: bottom-up
    EXPECT_EQ(Bytes(file.begin() + 18, file.end()), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));

    const Bytes grey{9};
    ASSERT_TRUE(writeTgaFile(path.c_str(), 1, 1, 8, grey.data(), nullptr));
    EXPECT_EQ(readBytes(path)[2], 3);  // uncompressed grey
}

TEST(TgaCodec, WrittenFilesOpenInStbAndReadBack)
{
    CScratchFolder folder;
    for (std::uint32_t bpp : {8u, 24u, 32u}) {
        for (std::uint32_t width : {1u, 2u, 3u, 5u}) {
            SCOPED_TRACE(std::to_string(width) + "x3x" + std::to_string(bpp));
            const std::string path = folder.path("p.tga");
            const Bytes pixels = makePattern(width, 3, bpp);
            ASSERT_TRUE(writeTgaFile(path.c_str(), width, 3, bpp, pixels.data(), nullptr));
            EXPECT_EQ(queryTgaWidth(path.c_str()), int(width));
            EXPECT_EQ(queryTgaHeight(path.c_str()), 3);
            EXPECT_EQ(queryTgaBitsPerPixel(path.c_str()), int(bpp));
            const std::unique_ptr<std::uint8_t[]> loaded = loadTga(path.c_str());
            ASSERT_NE(loaded, nullptr);
            EXPECT_EQ(std::memcmp(loaded.get(), pixels.data(), pixels.size()), 0);

            const StbPicture stb = loadWithStb(path);
            ASSERT_TRUE(stb.loaded);
            EXPECT_EQ(stb.width, int(width));
            EXPECT_EQ(stb.channels, int(bpp / 8));
            EXPECT_EQ(stb.pixels, pixels);
        }
    }
}

TEST(TgaCodec, HonoursTheOriginBitsOfTheDescriptor)
{
    // 2 x 2 grey, file order 1 2 / 3 4.
    TgaFile file;
    file.imageType = 3;
    file.depth = 8;
    file.width = file.height = 2;
    file.data = {1, 2, 3, 4};
    const std::pair<std::uint8_t, Bytes> cases[] = {
        {0x00, {1, 2, 3, 4}},  // bottom-left origin: already the engine's order
        {0x20, {3, 4, 1, 2}},  // top-left
        {0x10, {2, 1, 4, 3}},  // bottom-right
        {0x30, {4, 3, 2, 1}},  // top-right
    };
    for (const auto& [descriptor, expected] : cases) {
        file.descriptor = descriptor;
        const DecodedImage image = decode(file.build());
        ASSERT_TRUE(image) << image.error;
        EXPECT_EQ(pixelsOf(image), expected) << int(descriptor);
    }
}

TEST(TgaCodec, DecodesRunLengthPacketsAcrossRows)
{
    // 3 x 2 true colour: a run of 4 red pixels crossing the row end, then two raw pixels.
    TgaFile file;
    file.imageType = 10;
    file.width = 3;
    file.height = 2;
    file.data = {0x83, 0, 0, 255, 0x01, 255, 0, 0, 0, 255, 0};
    DecodedImage colour = decode(file.build());
    ASSERT_TRUE(colour) << colour.error;
    EXPECT_EQ(pixelsOf(colour), (Bytes{255, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 255, 0}));

    TgaFile grey;
    grey.imageType = 11;
    grey.depth = 8;
    grey.width = 4;
    grey.descriptor = 0x20;
    grey.data = {0x01, 7, 8, 0x81, 9};
    DecodedImage image = decode(grey.build());
    ASSERT_TRUE(image) << image.error;
    EXPECT_EQ(pixelsOf(image), (Bytes{7, 8, 9, 9}));
}

TEST(TgaCodec, DecodesColourMappedFilesThroughTheirMap)
{
    TgaFile file;
    file.colourMapType = 1;
    file.imageType = 1;
    file.depth = 8;
    file.mapOrigin = 5;  // the map's first entry is index 5
    file.mapLength = 2;
    file.mapEntrySize = 24;
    file.map = {255, 0, 0, 0, 0, 255};  // blue, red
    file.width = 3;
    file.data = {6, 5, 0};              // index 0 is outside the map: black
    DecodedImage image = decode(file.build());
    ASSERT_TRUE(image) << image.error;
    EXPECT_EQ(image.bitsPerPixel, 24u);
    EXPECT_EQ(pixelsOf(image), (Bytes{255, 0, 0, 0, 0, 255, 0, 0, 0}));

    file.imageType = 9;  // run-length encoded, 32-bit map entries
    file.mapEntrySize = 32;
    file.map = {1, 2, 3, 4, 5, 6, 7, 8};
    file.data = {0x82, 5};
    image = decode(file.build());
    ASSERT_TRUE(image) << image.error;
    EXPECT_EQ(image.bitsPerPixel, 32u);
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4}));

    CScratchFolder folder;
    writeBytes(folder.path("m.tga"), file.build());
    EXPECT_EQ(queryTgaBitsPerPixel(folder.path("m.tga").c_str()), 32);
}

TEST(TgaCodec, SkipsTheIdFieldAndAnUnusedColourMap)
{
    TgaFile file;
    file.id = {'h', 'e', 'l', 'l', 'o'};
    file.colourMapType = 1;
    file.mapLength = 3;
    file.mapEntrySize = 15;  // 2 bytes per entry, rounded up
    file.map = Bytes(6, 0xEE);
    file.data = {1, 2, 3};
    const DecodedImage image = decode(file.build());
    ASSERT_TRUE(image) << image.error;
    EXPECT_EQ(pixelsOf(image), (Bytes{3, 2, 1}));
}

TEST(TgaCodec, RefusesMalformedFiles)
{
    TgaFile good;
    good.width = 2;
    good.height = 2;
    good.data = makePattern(2, 2, 24);
    ASSERT_TRUE(decode(good.build()));

    struct Case {
        const char* name;
        Bytes bytes;
        const char* reason;
    };
    std::vector<Case> cases;
    auto variant = [&](const char* name, const char* reason, auto change) {
        TgaFile file = good;
        change(file);
        cases.push_back({name, file.build(), reason});
    };
    const Bytes goodBytes = good.build();
    cases.push_back({"truncated header", Bytes(goodBytes.begin(), goodBytes.begin() + 10), "too short"});
    cases.push_back({"short pixel data", Bytes(goodBytes.begin(), goodBytes.end() - 1), "past the end"});
    variant("zero width", "empty", [](TgaFile& f) { f.width = 0; });
    variant("zero height", "empty", [](TgaFile& f) { f.height = 0; });
    variant("huge size", "16384", [](TgaFile& f) { f.width = f.height = 65535; });
    variant("12-bit pixels", "true-colour depth 12", [](TgaFile& f) { f.depth = 12; });
    variant("no image data", "image type 0", [](TgaFile& f) { f.imageType = 0; });
    variant("unknown image type", "image type 33", [](TgaFile& f) { f.imageType = 33; });
    variant("colour map past the end", "colour map runs past", [](TgaFile& f) {
        f.colourMapType = 1;
        f.mapLength = 1000;
        f.mapEntrySize = 24;
    });
    variant("mapped without a map", "without a colour map", [](TgaFile& f) {
        f.imageType = 1;
        f.depth = 8;
    });
    variant("12-bit map entries", "entry size 12", [](TgaFile& f) {
        f.imageType = 1;
        f.depth = 8;
        f.colourMapType = 1;
        f.mapLength = 1;
        f.mapEntrySize = 12;
        f.map = {0, 0};
    });
    variant("run-length overrun", "past the last pixel", [](TgaFile& f) {
        f.imageType = 10;
        f.data = {0x84, 1, 2, 3};  // 5 pixels into a 4-pixel picture
    });
    variant("raw packet overrun", "past the last pixel", [](TgaFile& f) {
        f.imageType = 10;
        f.data = Bytes(1 + 5 * 3, 0);
        f.data[0] = 0x04;
    });
    variant("run-length data ends early", "ends before", [](TgaFile& f) {
        f.imageType = 10;
        f.data = {0x82, 1, 2, 3};  // 3 of 4 pixels
    });
    variant("packet without its pixel", "ends before", [](TgaFile& f) {
        f.imageType = 10;
        f.data = {0x82, 1, 2, 3, 0x80, 1};
    });

    CScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedImage image = decode(c.bytes);
        EXPECT_FALSE(image);
        EXPECT_NE(image.error.find(c.reason), std::string::npos) << image.error;
        const std::string path = folder.path("bad.tga");
        writeBytes(path, c.bytes);
        EXPECT_EQ(loadTga(path.c_str()), nullptr);
        // Faults past the 18-byte header leave the header queries answering.
        const std::string name = c.name;
        if (name == "colour map past the end" || name == "packet without its pixel" || name == "raw packet overrun" ||
            name == "run-length data ends early" || name == "run-length overrun" || name == "short pixel data") {
            EXPECT_GT(queryTgaWidth(path.c_str()), 0);
            continue;
        }
        EXPECT_EQ(queryTgaWidth(path.c_str()), -1);
        EXPECT_EQ(queryTgaHeight(path.c_str()), -1);
        EXPECT_EQ(queryTgaBitsPerPixel(path.c_str()), -1);
    }
}

TEST(TgaCodec, ReportsFilesItCannotOpenOrWrite)
{
    CScratchFolder folder;
    const std::string missing = folder.path("missing.tga");
    EXPECT_EQ(loadTga(missing.c_str()), nullptr);
    EXPECT_EQ(queryTgaBitsPerPixel(missing.c_str()), -1);
    const std::string directory = folder.path("folder.tga");
    std::filesystem::create_directory(directory);
    EXPECT_EQ(readTgaFile(directory.c_str()).error, "TGA: cannot open " + directory + ": is a directory");
    EXPECT_EQ(queryTgaWidth(directory.c_str()), -1);

    const Bytes pixels = makePattern(2, 2, 32);
    std::string error;
    EXPECT_FALSE(writeTgaFile(folder.path("no/such/folder.tga").c_str(), 2, 2, 32, pixels.data(), &error));
    EXPECT_NE(error.find("cannot open"), std::string::npos);
    EXPECT_FALSE(writeTgaFile(folder.path("a.tga").c_str(), 2, 2, 16, pixels.data(), &error));
    EXPECT_EQ(error, "TGA: 16 bits per pixel cannot be written");
    EXPECT_FALSE(writeTgaFile(folder.path("a.tga").c_str(), 70000, 1, 8, pixels.data(), &error));
    EXPECT_FALSE(std::filesystem::exists(folder.path("a.tga")));
}

}  // namespace

TEST(TgaCodec, HeaderQueriesAnswerFromTheHeaderOfACutFile)
{
    CScratchFolder folder;
    for (const std::uint32_t bits : {8u, 24u, 32u}) {
        const std::string path = folder.path("cut" + std::to_string(bits) + ".tga");
        const Bytes pixels = makePattern(40, 30, bits);
        ASSERT_TRUE(writeTgaFile(path.c_str(), 40, 30, bits, pixels.data(), nullptr));
        const Bytes file = readBytes(path);
        writeBytes(path, Bytes(file.begin(), file.begin() + std::ptrdiff_t(file.size() / 2)));
        EXPECT_EQ(queryTgaWidth(path.c_str()), 40) << bits;
        EXPECT_EQ(queryTgaHeight(path.c_str()), 30) << bits;
        EXPECT_EQ(queryTgaBitsPerPixel(path.c_str()), int(bits)) << bits;
        EXPECT_EQ(readTgaFile(path.c_str()).pixels, nullptr) << bits;
    }
}
