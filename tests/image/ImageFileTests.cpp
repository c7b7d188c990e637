// Tests for the suffix dispatch between image files and CImage.
#include "image/ImageFile.h"

#include "image/BmpCodec.h"
#include "image/JpegCodec.h"
#include "image/PngCodec.h"
#include "image/TgaCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace {

std::string tempPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("qf_imagefile_" + std::to_string(::getpid()) + "_" + name))
        .string();
}

}  // namespace

TEST(ImageFile, SuffixTableIsCaseSensitiveOnTheWholePath)
{
    EXPECT_EQ(imageFileFormatOf("a.bmp"), ImageFileFormat::Bmp);
    EXPECT_EQ(imageFileFormatOf("dir.png/a.jpg"), ImageFileFormat::Jpeg);
    EXPECT_EQ(imageFileFormatOf("atlas.png"), ImageFileFormat::Png);
    EXPECT_EQ(imageFileFormatOf(".tga"), ImageFileFormat::Tga);
    EXPECT_EQ(imageFileFormatOf("atlas.PNG"), ImageFileFormat::None);
    EXPECT_EQ(imageFileFormatOf("atlas.jpeg"), ImageFileFormat::None);
    EXPECT_EQ(imageFileFormatOf("png"), ImageFileFormat::None);
    EXPECT_EQ(imageFileFormatOf(nullptr), ImageFileFormat::None);
}

TEST(ImageFile, SavesAndLoadsPngThroughCImage)
{
    CImage image;
    image.create(5, 3, 4, 32);
    for (std::size_t i = 0; i < image.getDataSize(); ++i)
        image.getData()[i] = std::uint8_t(i * 7);
    const std::string path = tempPath("atlas.png");
    std::string error;
    ASSERT_TRUE(saveImageFile(path.c_str(), image, 100, &error)) << error;

    CImage loaded;
    ASSERT_TRUE(loadImageFile(path.c_str(), loaded, &error)) << error;
    EXPECT_EQ(loaded.getWidth(), 5u);
    EXPECT_EQ(loaded.getHeight(), 3u);
    EXPECT_EQ(loaded.getChannels(), 4u);
    EXPECT_EQ(loaded.getBitsPerPixel(), 32u);
    EXPECT_FALSE(loaded.isBorrowed());
    EXPECT_EQ(std::memcmp(loaded.getData(), image.getData(), image.getDataSize()), 0);
    std::remove(path.c_str());
}

TEST(ImageFile, EveryFormatRoundTripsThroughTheSuffixDispatch)
{
    // Lossless formats come back byte for byte in each layout they write.
    struct Case {
        const char* name;
        std::uint32_t channels;
    };
    const Case lossless[] = {{"grey.bmp", 1}, {"rgb.bmp", 3}, {"rgba.bmp", 4}, {"grey.tga", 1},
                             {"rgb.tga", 3},  {"rgba.tga", 4}, {"rgb.png", 3}};
    for (const Case& c : lossless) {
        SCOPED_TRACE(c.name);
        CImage image;
        image.create(7, 5, c.channels, c.channels * 8);
        for (std::size_t i = 0; i < image.getDataSize(); ++i)
            image.getData()[i] = std::uint8_t(i * 13 + 1);
        const std::string path = tempPath(c.name);
        std::string error;
        ASSERT_TRUE(saveImageFile(path.c_str(), image, 100, &error)) << error;
        CImage loaded;
        ASSERT_TRUE(loadImageFile(path.c_str(), loaded, &error)) << error;
        EXPECT_EQ(loaded.getWidth(), 7u);
        EXPECT_EQ(loaded.getHeight(), 5u);
        ASSERT_EQ(loaded.getBitsPerPixel(), c.channels * 8);
        EXPECT_EQ(loaded.getChannels(), c.channels);
        EXPECT_EQ(std::memcmp(loaded.getData(), image.getData(), image.getDataSize()), 0);
        std::remove(path.c_str());
    }

    // JPEG is lossy: a flat colour comes back close, and the quality reaches
    // the writer (a lower quality gives a smaller file for a busy picture).
    CImage flat;
    flat.create(16, 8, 3, 24);
    for (std::size_t i = 0; i < flat.getDataSize(); i += 3) {
        flat.getData()[i] = 200;
        flat.getData()[i + 1] = 100;
        flat.getData()[i + 2] = 50;
    }
    const std::string jpeg = tempPath("flat.jpg");
    std::string error;
    ASSERT_TRUE(saveImageFile(jpeg.c_str(), flat, 95, &error)) << error;
    CImage loaded;
    ASSERT_TRUE(loadImageFile(jpeg.c_str(), loaded, &error)) << error;
    ASSERT_EQ(loaded.getBitsPerPixel(), 24u);
    EXPECT_EQ(loaded.getWidth(), 16u);
    EXPECT_EQ(loaded.getHeight(), 8u);
    EXPECT_NEAR(loaded.getData()[0], 200, 4);
    EXPECT_NEAR(loaded.getData()[1], 100, 4);
    EXPECT_NEAR(loaded.getData()[2], 50, 4);

    CImage busy;
    busy.create(64, 64, 3, 24);
    for (std::size_t i = 0; i < busy.getDataSize(); ++i)
        busy.getData()[i] = std::uint8_t((i * 2654435761u) >> 13);
    ASSERT_TRUE(saveImageFile(jpeg.c_str(), busy, 100, &error)) << error;
    const auto bestSize = std::filesystem::file_size(jpeg);
    ASSERT_TRUE(saveImageFile(jpeg.c_str(), busy, 10, &error)) << error;
    EXPECT_LT(std::filesystem::file_size(jpeg), bestSize);
    std::remove(jpeg.c_str());
}

TEST(ImageFile, UpperCaseSuffixIsNotAnImageEvenWhenTheFileIsOne)
{
    CImage image;
    image.create(2, 2, 3, 24);
    const std::string lower = tempPath("real.png");
    const std::string upper = tempPath("real.PNG");
    std::string error;
    ASSERT_TRUE(saveImageFile(lower.c_str(), image, 100, &error)) << error;
    std::filesystem::rename(lower, upper);
    CImage loaded;
    EXPECT_FALSE(loadImageFile(upper.c_str(), loaded, &error));
    EXPECT_EQ(error, "not an image file name: " + upper);
    EXPECT_EQ(loaded.getData(), nullptr);
    EXPECT_FALSE(saveImageFile(upper.c_str(), image, 100, &error));
    EXPECT_EQ(error, "not an image file name: " + upper);
    std::remove(upper.c_str());
}

TEST(ImageFile, RefusalsLeaveTheImageUnchangedAndSayWhy)
{
    CImage image;
    image.create(2, 2, 1, 8);
    const std::uint8_t* before = image.getData();
    std::string error;
    EXPECT_FALSE(loadImageFile("picture.PNG", image, &error));
    EXPECT_EQ(error, "not an image file name: picture.PNG");
    EXPECT_FALSE(loadImageFile("/nonexistent/picture.png", image, &error));
    EXPECT_EQ(error, "PNG: cannot open /nonexistent/picture.png: no such file or directory");
    EXPECT_EQ(image.getData(), before);
    EXPECT_EQ(image.getWidth(), 2u);

    const std::string path = tempPath("refused.png");
    std::remove(path.c_str());
    EXPECT_FALSE(saveImageFile(path.c_str(), CImage(), 100, &error));
    EXPECT_EQ(error, "PNG: the image has no pixels");
    CImage wide;
    wide.create(2, 2, 1, 16);
    EXPECT_FALSE(saveImageFile(path.c_str(), wide, 100, &error));
    EXPECT_EQ(error, "PNG: only 8-bit components can be written");
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_FALSE(saveImageFile("atlas.PNG", image, 100, &error));
}

TEST(ImageFile, ExplicitFormatIgnoresTheSuffix)
{
    CImage image;
    image.create(3, 2, 4, 32);
    for (std::size_t i = 0; i < image.getDataSize(); ++i)
        image.getData()[i] = std::uint8_t(i * 5);
    // A TGA under an upper-case name and a PNG under no image suffix at all.
    const std::string tga = tempPath("picture.TGA");
    const std::string png = tempPath("picture.dat");
    std::string error;
    ASSERT_TRUE(saveImageFile(tga.c_str(), ImageFileFormat::Tga, image, 100, &error)) << error;
    ASSERT_TRUE(saveImageFile(png.c_str(), ImageFileFormat::Png, image, 100, &error)) << error;
    CImage fromTga;
    CImage fromPng;
    ASSERT_TRUE(loadImageFile(tga.c_str(), ImageFileFormat::Tga, fromTga, &error)) << error;
    ASSERT_TRUE(loadImageFile(png.c_str(), ImageFileFormat::Png, fromPng, &error)) << error;
    EXPECT_EQ(std::memcmp(fromTga.getData(), image.getData(), image.getDataSize()), 0);
    EXPECT_EQ(std::memcmp(fromPng.getData(), image.getData(), image.getDataSize()), 0);

    // The wrong codec for the bytes says so; no format at all is refused.
    CImage untouched;
    EXPECT_FALSE(loadImageFile(png.c_str(), ImageFileFormat::Bmp, untouched, &error));
    EXPECT_EQ(error.rfind("BMP: ", 0), 0u) << error;
    EXPECT_FALSE(loadImageFile(png.c_str(), ImageFileFormat::None, untouched, &error));
    EXPECT_EQ(error, "no image format for " + png);
    EXPECT_FALSE(saveImageFile(png.c_str(), ImageFileFormat::None, image, 100, &error));
    EXPECT_EQ(untouched.getData(), nullptr);
    std::remove(tga.c_str());
    std::remove(png.c_str());
}

// The codecs' own entry points are public too; a null path is refused by each,
// never handed to the C library.
TEST(ImageFile, CodecsRefuseANullPath)
{
    const std::uint8_t pixels[4 * 3] = {};
    std::string error;
    EXPECT_FALSE(writeBmpFile(nullptr, 2, 2, 24, pixels, &error));
    EXPECT_EQ(error, "BMP: cannot open (null) for writing");
    EXPECT_FALSE(writeTgaFile(nullptr, 2, 2, 24, pixels, &error));
    EXPECT_EQ(error, "TGA: cannot open (null) for writing");
    EXPECT_FALSE(writeJpegFile(nullptr, 2, 2, 24, pixels, 90, &error));
    EXPECT_EQ(error, "JPEG: cannot open (null) for writing");
    EXPECT_FALSE(writePngFile(nullptr, 2, 2, 24, pixels, &error));
    EXPECT_EQ(readJpegFile(nullptr).error, "JPEG: cannot open (null)");
    EXPECT_EQ(queryJpegWidth(nullptr), -1);
    EXPECT_FALSE(readBmpFile(nullptr));
    EXPECT_FALSE(readTgaFile(nullptr));
    EXPECT_FALSE(readPngFile(nullptr));
}

TEST(ImageFile, FailedWritesReportAndNeverRemoveADevice)
{
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    // Large enough that every writer reaches the device before it closes.
    const std::uint32_t side = 256;
    const std::vector<std::uint8_t> pixels(side * side * 3, 7);
    std::string error;
    EXPECT_FALSE(writeBmpFile("/dev/full", side, side, 24, pixels.data(), &error));
    EXPECT_FALSE(writeTgaFile("/dev/full", side, side, 24, pixels.data(), &error));
    EXPECT_FALSE(writeJpegFile("/dev/full", side, side, 24, pixels.data(), 100, &error));
    EXPECT_FALSE(writePngFile("/dev/full", side, side, 24, pixels.data(), &error));
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}
