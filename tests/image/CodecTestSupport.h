// Helpers shared by the BMP, TGA and JPEG codec tests: a scratch folder, byte
// files, test pictures, little-endian byte builders and a second reader
// (stb_image) to check that written files open elsewhere.
#pragma once

#include "image/DecodedImage.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system temp folder, removed with everything in it.
class CScratchFolder {
public:
    CScratchFolder();
    ~CScratchFolder();
    CScratchFolder(const CScratchFolder&) = delete;
    CScratchFolder& operator=(const CScratchFolder&) = delete;

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

private:
    std::filesystem::path folder_;
};

Bytes readBytes(const std::string& path);
// The whole pixel block of a decoded picture.
Bytes pixelsOf(const DecodedImage& image);
void writeBytes(const std::string& path, const Bytes& bytes);

// A picture in the engine layout whose bytes all differ from their neighbours.
Bytes makePattern(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);

// Appends little-endian values.
void putU8(Bytes& bytes, std::uint32_t value);
void putU16(Bytes& bytes, std::uint32_t value);
void putU32(Bytes& bytes, std::uint32_t value);
std::uint32_t getU32(const Bytes& bytes, std::size_t offset);

// A picture read by stb_image, converted to the engine's bottom-up row order.
struct StbPicture {
    bool loaded = false;
    int width = 0;
    int height = 0;
    int channels = 0;
    Bytes pixels;
};
StbPicture loadWithStb(const std::string& path);
