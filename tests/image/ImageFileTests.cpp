// Tests for the suffix dispatch between image files and CImage.
#include "image/ImageFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

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

TEST(ImageFile, RefusalsLeaveTheImageUnchangedAndSayWhy)
{
    CImage image;
    image.create(2, 2, 1, 8);
    const std::uint8_t* before = image.getData();
    std::string error;
    EXPECT_FALSE(loadImageFile("picture.PNG", image, &error));
    EXPECT_EQ(error, "not an image file name: picture.PNG");
    EXPECT_FALSE(loadImageFile("/nonexistent/picture.png", image, &error));
    EXPECT_EQ(error, "PNG: cannot open /nonexistent/picture.png");
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
