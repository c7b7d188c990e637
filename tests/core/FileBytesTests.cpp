// Tests for the bounded whole-file reader the codecs share.
#include "core/FileBytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class FileBytesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = std::filesystem::temp_directory_path() / ("qf_filebytes_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string file(const std::string& name, const std::string& contents)
    {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    std::filesystem::path folder;
};

}  // namespace

TEST_F(FileBytesTest, ReadsWholeFilesIncludingEmptyOnes)
{
    std::vector<std::uint8_t> bytes{9, 9, 9, 9, 9, 9};
    std::string error;
    ASSERT_TRUE(readFileBytes(file("abc", std::string("a\0c", 3)).c_str(), bytes, "T", &error)) << error;
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{'a', 0, 'c'}));
    ASSERT_TRUE(readFileBytes(file("empty", "").c_str(), bytes, "T", &error)) << error;
    EXPECT_TRUE(bytes.empty());
}

TEST_F(FileBytesTest, RefusesWhatIsNotAReadableRegularFile)
{
    std::vector<std::uint8_t> bytes{1, 2};
    std::string error;
    const std::string missing = (folder / "missing").string();
    EXPECT_FALSE(readFileBytes(missing.c_str(), bytes, "BMP", &error));
    EXPECT_EQ(error, "BMP: cannot open " + missing + ": no such file or directory");
    EXPECT_FALSE(readFileBytes(folder.c_str(), bytes, "TGA", &error));
    EXPECT_EQ(error, "TGA: cannot open " + folder.string() + ": is a directory");
    EXPECT_FALSE(readFileBytes(nullptr, bytes, "PNG", &error));
    EXPECT_EQ(error, "PNG: cannot open (null): invalid argument");
    EXPECT_FALSE(readFileBytes("/dev/zero", bytes, "PNG", nullptr));   // endless, not a regular file
    if (::geteuid() != 0) {   // root reads anything
        const std::string locked = file("locked", "secret");
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_FALSE(readFileBytes(locked.c_str(), bytes, "PNG", &error));
        EXPECT_EQ(error, "PNG: cannot open " + locked + ": permission denied");
    }
    // A refusal leaves the caller's bytes alone.
    EXPECT_EQ(bytes, (std::vector<std::uint8_t>{1, 2}));
}

TEST_F(FileBytesTest, RefusesFilesAboveTheBoundBeforeAllocating)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    const std::string four = file("four", "1234");
    EXPECT_TRUE(readFileBytes(four.c_str(), bytes, "T", &error, 4));
    EXPECT_FALSE(readFileBytes(four.c_str(), bytes, "T", &error, 3));
    EXPECT_EQ(error, "T: file is too large");

    // The default bound, with a sparse file one byte past it.
    const std::string huge = file("huge", "");
    std::filesystem::resize_file(huge, maxFileBytes + 1);
    EXPECT_FALSE(readFileBytes(huge.c_str(), bytes, "BMP", &error));
    EXPECT_EQ(error, "BMP: file is too large");
}
