#include "CodecTestSupport.h"

#include <fstream>
#include <random>

// stb_image is compiled here with internal linkage, so it cannot clash with
// another test file of this executable that compiles it too.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

CScratchFolder::CScratchFolder()
{
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() / ("qf-codecs-" + std::to_string(random()));
    std::filesystem::create_directories(folder_);
}

CScratchFolder::~CScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes makePattern(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel)
{
    Bytes pixels(std::size_t(width) * height * bitsPerPixel / 8);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 37 + 11);
    return pixels;
}

void putU8(Bytes& bytes, std::uint32_t value)
{
    bytes.push_back(std::uint8_t(value));
}

void putU16(Bytes& bytes, std::uint32_t value)
{
    bytes.push_back(std::uint8_t(value));
    bytes.push_back(std::uint8_t(value >> 8));
}

void putU32(Bytes& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(std::uint8_t(value >> (8 * i)));
}

std::uint32_t getU32(const Bytes& bytes, std::size_t offset)
{
    return std::uint32_t(bytes.at(offset)) | std::uint32_t(bytes.at(offset + 1)) << 8 |
           std::uint32_t(bytes.at(offset + 2)) << 16 | std::uint32_t(bytes.at(offset + 3)) << 24;
}

StbPicture loadWithStb(const std::string& path)
{
    StbPicture picture;
    stbi_uc* data = stbi_load(path.c_str(), &picture.width, &picture.height, &picture.channels, 0);
    if (data == nullptr)
        return picture;
    picture.loaded = true;
    const std::size_t rowSize = std::size_t(picture.width) * picture.channels;
    picture.pixels.resize(rowSize * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        const stbi_uc* top = data + rowSize * (picture.height - 1 - y);
        std::copy(top, top + rowSize, picture.pixels.begin() + rowSize * y);
    }
    stbi_image_free(data);
    return picture;
}

Bytes pixelsOf(const DecodedImage& image)
{
    return Bytes(image.pixels.get(), image.pixels.get() + std::size_t(image.width) * image.height * image.bitsPerPixel / 8);
}
