// Helpers for the resource tests: a scratch folder per test and small PNG
// files written with the engine's own writer.
#pragma once

#include "image/PngCodec.h"

#include <cstdint>
#include <filesystem>
#include <unistd.h>
#include <string>
#include <vector>

#include <gtest/gtest.h>

class ScratchFolder {
public:
    ScratchFolder()
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() /
               ("qf-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }

    std::filesystem::path path;
};

// Writes a width x height RGBA PNG whose pixel (x, y from the top) is
// (x, y, seed, 255 - x).
inline void writeTestPng(const std::string& path, std::uint32_t width, std::uint32_t height, std::uint8_t seed = 0)
{
    std::vector<std::uint8_t> pixels(std::size_t(width) * height * 4);
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint32_t y = height - 1 - row; // storage is bottom-up
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* p = &pixels[(std::size_t(row) * width + x) * 4];
            p[0] = std::uint8_t(x);
            p[1] = std::uint8_t(y);
            p[2] = seed;
            p[3] = std::uint8_t(255 - x);
        }
    }
    ASSERT_TRUE(writePngFile(path.c_str(), width, height, 32, pixels.data(), nullptr));
}
