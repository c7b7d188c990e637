// ImageFile: the suffix table and the glue between the codecs' pixel blocks
// and CImage.
#include "image/ImageFile.h"

#include "core/CSafeWriter.h"
#include "image/BmpCodec.h"
#include "image/JpegCodec.h"
#include "image/PngCodec.h"
#include "image/TgaCodec.h"
#include "image/WebpCodec.h"

#include <cstring>

namespace {

struct FormatEntry {
    const char* suffix;
    ImageFileFormat format;
    const char* codec;
};

// In the order the suffixes are tried.
constexpr FormatEntry formatTable[] = {
    {".bmp", ImageFileFormat::Bmp, "BMP"},
    {".jpg", ImageFileFormat::Jpeg, "JPEG"},
    {".png", ImageFileFormat::Png, "PNG"},
    {".tga", ImageFileFormat::Tga, "TGA"},
    {".webp", ImageFileFormat::Webp, "WebP"},
};

const FormatEntry* findSuffix(const char* path)
{
    if (path == nullptr)
        return nullptr;
    const std::size_t length = std::strlen(path);
    for (const FormatEntry& entry : formatTable) {
        const std::size_t suffixLength = std::strlen(entry.suffix);
        if (length >= suffixLength && std::memcmp(path + length - suffixLength, entry.suffix, suffixLength) == 0)
            return &entry;
    }
    return nullptr;
}

const FormatEntry* findFormat(ImageFileFormat format)
{
    for (const FormatEntry& entry : formatTable) {
        if (entry.format == format)
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

bool writeBytesSafely(const char* path, const std::vector<std::uint8_t>& bytes, const char* codec,
                      std::string* error)
{
    std::string reason;
    if (CSafeWriter::writeFile(path, bytes.data(), bytes.size(), &reason))
        return true;
    return fail(error, std::string(codec) + ": " + reason);
}

std::string printable(const char* path)
{
    return path ? path : "(null)";
}

}  // namespace

ImageFileFormat imageFileFormatOf(const char* path)
{
    const FormatEntry* entry = findSuffix(path);
    return entry ? entry->format : ImageFileFormat::None;
}

bool loadImageFile(const char* path, ImageFileFormat format, CImage& image, std::string* error)
{
    if (path == nullptr || findFormat(format) == nullptr)
        return fail(error, "no image format for " + printable(path));
    DecodedImage decoded;
    switch (format) {
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
    case ImageFileFormat::Webp:
        decoded = readWebpFile(path);
        break;
    case ImageFileFormat::None:
        break;
    }
    if (!decoded)
        return fail(error, decoded.error);
    image.adopt(std::move(decoded));
    return true;
}

bool loadImageFile(const char* path, CImage& image, std::string* error)
{
    const ImageFileFormat format = imageFileFormatOf(path);
    if (format == ImageFileFormat::None)
        return fail(error, "not an image file name: " + printable(path));
    return loadImageFile(path, format, image, error);
}

namespace {

// The checks every write makes before any file is touched.
const FormatEntry* checkWritable(ImageFileFormat format, const CImage& image, std::string* error)
{
    const FormatEntry* entry = findFormat(format);
    if (entry == nullptr) {
        fail(error, "no image format to write");
        return nullptr;
    }
    if (image.getData() == nullptr) {
        fail(error, std::string(entry->codec) + ": the image has no pixels");
        return nullptr;
    }
    if (image.getBitsPerPixel() != image.getChannels() * 8) {
        fail(error, std::string(entry->codec) + ": only 8-bit components can be written");
        return nullptr;
    }
    return entry;
}

}  // namespace

bool saveImageFile(const char* path, ImageFileFormat format, const CImage& image, int jpegQuality,
                   std::string* error)
{
    if (path == nullptr || findFormat(format) == nullptr)
        return fail(error, "no image format for " + printable(path));
    if (checkWritable(format, image, error) == nullptr)
        return false;
    const std::uint32_t width = image.getWidth();
    const std::uint32_t height = image.getHeight();
    const std::uint32_t bits = image.getBitsPerPixel();
    const std::uint8_t* pixels = image.getData();
    switch (format) {
    case ImageFileFormat::Bmp:
        return writeBmpFile(path, width, height, bits, pixels, error);
    case ImageFileFormat::Jpeg:
        return writeJpegFile(path, width, height, bits, pixels, jpegQuality, error);
    case ImageFileFormat::Png:
        return writePngFile(path, width, height, bits, pixels, error);
    case ImageFileFormat::Tga:
        return writeTgaFile(path, width, height, bits, pixels, error);
    case ImageFileFormat::Webp: {
        const std::vector<std::uint8_t> bytes = encodeWebp(width, height, bits, pixels, -1, ImageCompression::Default,
                                                           error);
        return !bytes.empty() && writeBytesSafely(path, bytes, "WebP", error);
    }
    case ImageFileFormat::None:
        break;
    }
    return false;
}

bool writeImageStream(std::FILE* file, ImageFileFormat format, const CImage& image, int jpegQuality,
                      std::string* error, const CParallelDeflate::Progress& progress)
{
    ImageWriteOptions options;
    options.jpegQuality = jpegQuality;
    return writeImageStream(file, format, image, options, error, progress);
}

bool writeImageStream(std::FILE* file, ImageFileFormat format, const CImage& image, const ImageWriteOptions& options,
                      std::string* error, const CParallelDeflate::Progress& progress)
{
    const FormatEntry* entry = checkWritable(format, image, error);
    if (entry == nullptr)
        return false;
    if (file == nullptr)
        return fail(error, std::string(entry->codec) + ": no file to write to");
    const std::uint32_t width = image.getWidth();
    const std::uint32_t height = image.getHeight();
    const std::uint32_t bits = image.getBitsPerPixel();
    const std::uint8_t* pixels = image.getData();
    switch (format) {
    case ImageFileFormat::Bmp:
        return writeBmpStream(file, width, height, bits, pixels, error);
    case ImageFileFormat::Jpeg:
        return writeJpegStream(file, width, height, bits, pixels, options.jpegQuality, error);
    case ImageFileFormat::Png: {
        const std::vector<std::uint8_t> bytes =
            encodePng(width, height, bits, pixels, options.compression, error, progress);
        if (bytes.empty())
            return false;
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            return fail(error, "PNG: writing the file failed");
        return true;
    }
    case ImageFileFormat::Tga:
        return writeTgaStream(file, width, height, bits, pixels, error);
    case ImageFileFormat::Webp: {
        const std::vector<std::uint8_t> bytes =
            encodeWebp(width, height, bits, pixels, options.webpQuality, options.compression, error);
        if (bytes.empty())
            return false;
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
            return fail(error, "WebP: writing the file failed");
        return true;
    }
    case ImageFileFormat::None:
        break;
    }
    return false;
}

bool saveImageFile(const char* path, const CImage& image, int jpegQuality, std::string* error)
{
    const ImageFileFormat format = imageFileFormatOf(path);
    if (format == ImageFileFormat::None)
        return fail(error, "not an image file name: " + printable(path));
    return saveImageFile(path, format, image, jpegQuality, error);
}
