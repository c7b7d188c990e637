// ImageFile: the suffix table and the glue between the codecs' pixel blocks
// and CImage.
//
// FIXME: the BMP, TGA and JPEG codecs are not wired in yet; their suffixes
// are recognised but loading and saving them report "not yet available".
#include "image/ImageFile.h"

#include "image/PngCodec.h"

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
    case ImageFileFormat::Png:
        decoded = readPngFile(path);
        break;
    default:
        return fail(error, std::string(entry->codec) + ": not yet available");
    }
    if (!decoded)
        return fail(error, decoded.error);
    image.adopt(std::move(decoded));
    return true;
}

bool saveImageFile(const char* path, const CImage& image, int jpegQuality, std::string* error)
{
    (void)jpegQuality;  // used once the JPEG writer is wired in
    const SuffixEntry* entry = findSuffix(path);
    if (entry == nullptr)
        return fail(error, std::string("not an image file name: ") + (path ? path : "(null)"));
    if (image.getData() == nullptr)
        return fail(error, std::string(entry->codec) + ": the image has no pixels");
    if (image.getBitsPerPixel() != image.getChannels() * 8)
        return fail(error, std::string(entry->codec) + ": only 8-bit components can be written");
    switch (entry->format) {
    case ImageFileFormat::Png:
        return writePngFile(path, image.getWidth(), image.getHeight(), image.getBitsPerPixel(), image.getData(),
                            error);
    default:
        return fail(error, std::string(entry->codec) + ": not yet available");
    }
}
