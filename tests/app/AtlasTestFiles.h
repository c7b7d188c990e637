// Helpers for the atlas and command-line tests: a scratch folder per test,
// test pictures, and reading files back.
#pragma once

#include "image/CImage.h"
#include "image/PngCodec.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>
#include <algorithm>

#include <gtest/gtest.h>

class AtlasScratch {
public:
    AtlasScratch()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() / ("qf-" + std::string(info->test_suite_name()) + "-" +
                                                         info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~AtlasScratch() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
    // Names of the files in the folder, sorted.
    std::vector<std::string> list() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path path;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A picture of the given format whose pixel at (x, y from the top) is
// (x + seed, y, seed, 100 + x) for as many channels as there are.
inline CImage makePicture(std::uint32_t width, std::uint32_t height, std::uint32_t channels, std::uint8_t seed)
{
    CImage image;
    image.create(width, height, channels, channels * 8);
    for (std::uint32_t row = 0; row < height; ++row) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* p = image.getData() + (std::size_t(row) * width + x) * channels;
            const std::uint8_t values[4] = {std::uint8_t(x + seed), std::uint8_t(height - 1 - row), seed,
                                            std::uint8_t(100 + x)};
            for (std::uint32_t c = 0; c < channels; ++c)
                p[c] = values[c];
        }
    }
    return image;
}

// Pixel (x, y from the top) of a bottom-up image.
inline const std::uint8_t* pixelAt(const CImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t bytes = image.getBitsPerPixel() / 8;
    return image.getData() + (std::size_t(image.getHeight() - 1 - y) * image.getWidth() + x) * bytes;
}

inline void writePicture(const std::string& path, const CImage& image)
{
    ASSERT_TRUE(writePngFile(path.c_str(), image.getWidth(), image.getHeight(), image.getBitsPerPixel(),
                             image.getData(), nullptr));
}
