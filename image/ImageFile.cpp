// ImageFile: the suffix table and the glue between the codecs' pixel blocks
// and CImage.
#include "image/ImageFile.h"

#include "image/BmpCodec.h"
#include "image/JpegCodec.h"
#include "image/PngCodec.h"
#include "image/TgaCodec.h"

#include <cstring>

namespace {

struct SuffixEntry {
    const char* suffix;
    ImageFileFormat format;
    const char* codec;
};

constexpr SuffixEntry suffixTable[] = {
    {".bmp", ImageFileFormat::Bmp, "BMP"},
    {".jpg", ImageFileFormat::Jpeg, "JPEG"},
    {".png", ImageFileFormat::Png, "PNG"},
    {".tga", ImageFileFormat::Tga, "TGA"},
};

const SuffixEntry* findSuffix(const char* path)
{
    if (path == nullptr)
        return nullptr;
    const std::size_t length = std::strlen(path);
    for (const SuffixEntry& entry : suffixTable) {
        const std::size_t suffixLength = std::strlen(entry.suffix);
        if (length >= suffixLength && std::memcmp(path + length - suffixLength, entry.suffix, suffixLength) == 0)
            return &entry;
    }
    return nullptr;
}

bool fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

}  // namespace

ImageFileFormat imageFileFormatOf(const char* path)
{
    const SuffixEntry* entry = findSuffix(path);
    return entry ? entry->format : ImageFileFormat::None;
}

bool loadImageFile(const char* path, CImage& image, std::string* error)
{
    const SuffixEntry* entry = findSuffix(path);
    if (entry == nullptr)
        return fail(error, std::string("not an image file name: ") + (path ? path : "(null)"));
    DecodedImage decoded;
    switch (entry->format) {
    case ImageFileFormat::Bmp:
        decoded = readBmpFile(path);
        break;
    case ImageFileFormat::Jpeg:
        decoded = readJpegFile(path);
        break;
    case ImageFileFormat::Png:
        decoded = readPngFile(path);
        break;
    case ImageFileFormat::Tga:
        decoded = readTgaFile(path);
        break;
    case ImageFileFormat::None:
        break;
    }
    if (!decoded)
        return fail(error, decoded.error);
    image.adopt(std::move(decoded));
    return true;
}

bool saveImageFile(const char* path, const CImage& image, int jpegQuality, std::string* error)
{
    const SuffixEntry* entry = findSuffix(path);
    if (entry == nullptr)
        return fail(error, std::string("not an image file name: ") + (path ? path : "(null)"));
    if (image.getData() == nullptr)
        return fail(error, std::string(entry->codec) + ": the image has no pixels");
    if (image.getBitsPerPixel() != image.getChannels() * 8)
        return fail(error, std::string(entry->codec) + ": only 8-bit components can be written");
    const std::uint32_t width = image.getWidth();
    const std::uint32_t height = image.getHeight();
    const std::uint32_t bits = image.getBitsPerPixel();
    const std::uint8_t* pixels = image.getData();
    switch (entry->format) {
    case ImageFileFormat::Bmp:
        return writeBmpFile(path, width, height, bits, pixels, error);
    case ImageFileFormat::Jpeg:
        return writeJpegFile(path, width, height, bits, pixels, jpegQuality, error);
    case ImageFileFormat::Png:
        return writePngFile(path, width, height, bits, pixels, error);
    case ImageFileFormat::Tga:
        return writeTgaFile(path, width, height, bits, pixels, error);
    case ImageFileFormat::None:
        break;
    }
    return fail(error, std::string("not an image file name: ") + path);
}
