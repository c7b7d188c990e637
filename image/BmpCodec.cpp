// BMP codec. Reads the BITMAPINFOHEADER family (40-byte info header and the
// larger V4/V5 headers, whose extra fields are ignored), bottom-up and top-down
// files, uncompressed 8-, 24- and 32-bit pixels from the header's pixel-data
// offset. Every row in the file is padded to a multiple of 4 bytes.
// NOTE: 32-bit pixels are read as B, G, R, A including the fourth byte, which
// some writers leave 0 ("reserved"); such files load fully transparent.

#include "image/BmpCodec.h"

#include "core/CMemoryReader.h"
#include "core/CSafeWriter.h"
#include "core/FileBytes.h"
#include "image/ImageLimits.h"

#include <array>
#include <cstring>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

// The BMP file header after its two "BM" magic bytes, followed by the 40-byte
// BITMAPINFOHEADER: the 52 bytes at offsets 2 to 53 of every file, little-endian.
struct BmpHeader {
    std::uint32_t fileSize = 0;
    std::uint32_t reserved = 0;
    std::uint32_t pixelOffset = 0;
    std::uint32_t headerSize = 0;  // size of the info header: 40, 108 (V4) or 124 (V5)
    std::int32_t width = 0;
    std::int32_t height = 0;       // negative for a top-down file
    std::uint16_t planes = 0;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t compression = 0; // 0 = uncompressed
    std::uint32_t imageSize = 0;
    std::int32_t xPixelsPerMetre = 0;
    std::int32_t yPixelsPerMetre = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t importantColours = 0;
};
static_assert(sizeof(BmpHeader) == 52);

constexpr std::uint32_t fileHeaderSize = 14;
constexpr std::uint32_t infoHeaderSize = 40;
constexpr std::uint32_t headersSize = fileHeaderSize + infoHeaderSize;  // 54
constexpr std::uint32_t paletteEntries = 256;

// Where the pixels are and how to turn them into the engine's layout.
struct BmpLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    std::uint32_t fileBitsPerPixel = 0;
    std::uint32_t bitsPerPixel = 0;  // of the decoded picture
    std::uint32_t pixelOffset = 0;
    std::uint32_t stride = 0;        // bytes per file row, padding included
    std::array<std::uint8_t, paletteEntries * 3> palette{};  // RGB per index (8-bit files)
};

BmpHeader readHeader(CMemoryReader& reader)
{
    BmpHeader h;
    reader.seek(2, CMemoryReader::Start);
    h.fileSize = reader.readU32();
    h.reserved = reader.readU32();
    h.pixelOffset = reader.readU32();
    h.headerSize = reader.readU32();
    h.width = std::int32_t(reader.readU32());
    h.height = std::int32_t(reader.readU32());
    h.planes = reader.readU16();
    h.bitsPerPixel = reader.readU16();
    h.compression = reader.readU32();
    h.imageSize = reader.readU32();
    h.xPixelsPerMetre = std::int32_t(reader.readU32());
    h.yPixelsPerMetre = std::int32_t(reader.readU32());
    h.coloursUsed = reader.readU32();
    h.importantColours = reader.readU32();
    return h;
}

void putU16(std::uint8_t*& out, std::uint32_t value)
{
    *out++ = std::uint8_t(value);
    *out++ = std::uint8_t(value >> 8);
}

void putU32(std::uint8_t*& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        *out++ = std::uint8_t(value >> (8 * i));
}

// "BM" and the 52 header bytes, ready to write.
std::array<std::uint8_t, headersSize> encodeHeader(const BmpHeader& h)
{
    std::array<std::uint8_t, headersSize> bytes{};
    std::uint8_t* out = bytes.data();
    *out++ = 'B';
    *out++ = 'M';
    putU32(out, h.fileSize);
    putU32(out, h.reserved);
    putU32(out, h.pixelOffset);
    putU32(out, h.headerSize);
    putU32(out, std::uint32_t(h.width));
    putU32(out, std::uint32_t(h.height));
    putU16(out, h.planes);
    putU16(out, h.bitsPerPixel);
    putU32(out, h.compression);
    putU32(out, h.imageSize);
    putU32(out, std::uint32_t(h.xPixelsPerMetre));
    putU32(out, std::uint32_t(h.yPixelsPerMetre));
    putU32(out, h.coloursUsed);
    putU32(out, h.importantColours);
    return bytes;
}

bool fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

std::uint32_t paddedRowSize(std::uint32_t width, std::uint32_t bitsPerPixel)
{
    return std::uint32_t((std::uint64_t(width) * bitsPerPixel + 31) / 32 * 4);
}

// Fills the 8-bit palette (identity grey for entries the file does not hold)
// and decides whether the picture is grey or needs RGB.
void readPalette(const std::uint8_t* bytes, const BmpHeader& h, BmpLayout& layout)
{
    for (std::uint32_t i = 0; i < paletteEntries; ++i)
        layout.palette[i * 3] = layout.palette[i * 3 + 1] = layout.palette[i * 3 + 2] = std::uint8_t(i);

    // The palette follows the info header and ends where the pixels start;
    // pixelOffset is already known to lie inside the file.
    const std::uint64_t start = std::uint64_t(fileHeaderSize) + h.headerSize;
    std::uint64_t count = h.coloursUsed == 0 || h.coloursUsed > paletteEntries ? paletteEntries : h.coloursUsed;
    const std::uint64_t room = layout.pixelOffset > start ? (layout.pixelOffset - start) / 4 : 0;
    if (count > room)
        count = room;
    bool grey = true;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = bytes + start + i * 4;  // B, G, R, reserved
        layout.palette[i * 3] = entry[2];
        layout.palette[i * 3 + 1] = entry[1];
        layout.palette[i * 3 + 2] = entry[0];
        grey = grey && entry[0] == entry[1] && entry[1] == entry[2];
    }
    layout.bitsPerPixel = grey ? 8 : 24;
}

// Validates the header against the file and the size limit. Nothing is
// allocated before this has succeeded.
bool parseBmp(const std::uint8_t* bytes, std::size_t length, BmpLayout& layout, std::string* error)
{
    if (length > std::numeric_limits<std::uint32_t>::max())
        return fail(error, "BMP: file is larger than 4 GiB");
    // The info header's size comes first, so that files with the old 12-byte
    // core header are named as such even when shorter than our header.
    CMemoryReader reader;
    reader.open(bytes, std::uint32_t(length));
    reader.seek(fileHeaderSize, CMemoryReader::Start);
    if (bytes == nullptr || length < fileHeaderSize + 4)
        return fail(error, "BMP: file is too short for its header");
    const std::uint32_t headerSize = reader.readU32();
    if (headerSize < infoHeaderSize)
        return fail(error, "BMP: info header of " + std::to_string(headerSize) + " bytes is not supported");
    if (length < headersSize)
        return fail(error, "BMP: file is too short for its header");
    const BmpHeader h = readHeader(reader);

    if (h.compression != 0)
        return fail(error, "BMP: compressed files are not supported");
    if (h.bitsPerPixel != 8 && h.bitsPerPixel != 24 && h.bitsPerPixel != 32)
        return fail(error, "BMP: " + std::to_string(h.bitsPerPixel) + " bits per pixel is not supported");
    if (h.width < 0)
        return fail(error, "BMP: negative width " + std::to_string(h.width));
    const std::int64_t height = h.height;
    const std::uint64_t rows = height < 0 ? std::uint64_t(-height) : std::uint64_t(height);
    const std::uint32_t clampedRows = rows > maxImageSide ? maxImageSide + 1 : std::uint32_t(rows);
    if (!checkImageSize(std::uint32_t(h.width), clampedRows, "BMP", error))
        return false;

    layout.width = std::uint32_t(h.width);
    layout.height = clampedRows;
    layout.topDown = height < 0;
    layout.fileBitsPerPixel = h.bitsPerPixel;
    layout.bitsPerPixel = h.bitsPerPixel;
    layout.pixelOffset = h.pixelOffset;
    layout.stride = paddedRowSize(layout.width, h.bitsPerPixel);

    // Only the bytes actually read must exist: the last row may lack its padding.
    const std::uint64_t rowBytes = std::uint64_t(layout.width) * h.bitsPerPixel / 8;
    const std::uint64_t end = std::uint64_t(h.pixelOffset) + std::uint64_t(layout.stride) * (layout.height - 1) + rowBytes;
    if (end > length)
        return fail(error, "BMP: pixel data runs past the end of the file");

    if (h.bitsPerPixel == 8)
        readPalette(bytes, h, layout);
    return true;
}

bool probeBmpFile(const char* path, BmpLayout& layout)
{
    std::vector<std::uint8_t> bytes;
    return readFileBytes(path, bytes, "BMP", nullptr) && parseBmp(bytes.data(), bytes.size(), layout, nullptr);
}

// One file row into one engine row.
void convertRow(const BmpLayout& layout, const std::uint8_t* src, std::uint8_t* dst)
{
    switch (layout.fileBitsPerPixel) {
    case 8:
        for (std::uint32_t x = 0; x < layout.width; ++x) {
            const std::uint8_t* rgb = &layout.palette[src[x] * 3];
            if (layout.bitsPerPixel == 8) {
                dst[x] = rgb[0];
            } else {
                std::memcpy(dst + x * 3, rgb, 3);
            }
        }
        break;
    case 24:
    case 32: {
        const std::uint32_t size = layout.fileBitsPerPixel / 8;
        for (std::uint32_t x = 0; x < layout.width; ++x, src += size, dst += size) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            if (size == 4)
                dst[3] = src[3];
        }
        break;
    }
    }
}

}  // namespace

DecodedImage decodeBmpImage(const std::uint8_t* bytes, std::size_t length)
{
    BmpLayout layout;
    std::string error;
    if (!parseBmp(bytes, length, layout, &error))
        return DecodedImage::failure(error);

    const std::size_t rowSize = std::size_t(layout.width) * layout.bitsPerPixel / 8;
    DecodedImage image;
    image.pixels.reset(new std::uint8_t[rowSize * layout.height]);
    image.width = layout.width;
    image.height = layout.height;
    image.bitsPerPixel = layout.bitsPerPixel;
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        // File row y is the bottom row + y, unless the file is top-down.
        const std::uint32_t fileRow = layout.topDown ? layout.height - 1 - y : y;
        const std::uint8_t* src = bytes + layout.pixelOffset + std::size_t(layout.stride) * fileRow;
        convertRow(layout, src, image.pixels.get() + rowSize * y);
    }
    return image;
}

DecodedImage readBmpFile(const char* path)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readFileBytes(path, bytes, "BMP", &error))
        return DecodedImage::failure(error);
    return decodeBmpImage(bytes.data(), bytes.size());
}

std::unique_ptr<std::uint8_t[]> loadBmp(const char* path)
{
    return readBmpFile(path).pixels;
}

int queryBmpWidth(const char* path)
{
    BmpLayout layout;
    return probeBmpFile(path, layout) ? int(layout.width) : -1;
}

int queryBmpHeight(const char* path)
{
    BmpLayout layout;
    return probeBmpFile(path, layout) ? int(layout.height) : -1;
}

int queryBmpBitsPerPixel(const char* path)
{
    BmpLayout layout;
    return probeBmpFile(path, layout) ? int(layout.bitsPerPixel) : -1;
}

namespace {

bool checkBmpPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel, const std::uint8_t* pixels,
                    std::string* error)
{
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return fail(error, "BMP: " + std::to_string(bitsPerPixel) + " bits per pixel cannot be written");
    if (pixels == nullptr)
        return fail(error, "BMP: no pixels to write");
    return checkImageSize(width, height, "BMP", error);
}

}  // namespace

bool writeBmpStream(std::FILE* file, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                    const std::uint8_t* pixels, std::string* error)
{
    if (!checkBmpPixels(width, height, bitsPerPixel, pixels, error))
        return false;
    const std::uint32_t stride = paddedRowSize(width, bitsPerPixel);
    const std::uint32_t paletteSize = bitsPerPixel == 8 ? paletteEntries * 4 : 0;
    BmpHeader h;
    h.imageSize = stride * height;
    h.pixelOffset = headersSize + paletteSize;
    h.fileSize = h.pixelOffset + h.imageSize;
    h.headerSize = infoHeaderSize;
    h.width = std::int32_t(width);
    h.height = std::int32_t(height);
    h.planes = 1;
    h.bitsPerPixel = std::uint16_t(bitsPerPixel);
    h.xPixelsPerMetre = h.yPixelsPerMetre = 2835;
    h.coloursUsed = h.importantColours = bitsPerPixel == 8 ? paletteEntries : 0;

    const auto header = encodeHeader(h);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();
    if (bitsPerPixel == 8) {
        std::array<std::uint8_t, paletteEntries * 4> palette{};
        for (std::uint32_t i = 0; i < paletteEntries; ++i)
            palette[i * 4] = palette[i * 4 + 1] = palette[i * 4 + 2] = std::uint8_t(i);
        ok = ok && std::fwrite(palette.data(), 1, palette.size(), file) == palette.size();
    }

    // Rows stay bottom-up; each is converted to BGR(A) in a padded row buffer.
    const std::uint32_t pixelSize = bitsPerPixel / 8;
    const std::size_t rowSize = std::size_t(width) * pixelSize;
    std::vector<std::uint8_t> row(stride, 0);
    for (std::uint32_t y = 0; y < height && ok; ++y) {
        const std::uint8_t* src = pixels + rowSize * y;
        std::memcpy(row.data(), src, rowSize);
        if (pixelSize >= 3) {
            for (std::size_t x = 0; x < rowSize; x += pixelSize)
                std::swap(row[x], row[x + 2]);
        }
        ok = std::fwrite(row.data(), 1, stride, file) == stride;
    }
    return ok || fail(error, "BMP: writing the file failed");
}

bool writeBmpFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                  const std::uint8_t* pixels, std::string* error)
{
    if (!checkBmpPixels(width, height, bitsPerPixel, pixels, error))
        return false;
    if (path == nullptr)
        return fail(error, "BMP: cannot open (null) for writing");
    std::string reason;
    const auto produce = [&](std::FILE* file) {
        return writeBmpStream(file, width, height, bitsPerPixel, pixels, &reason);
    };
    if (CSafeWriter::writeFile(path, produce, &reason))
        return true;
    return fail(error, reason.rfind("BMP: ", 0) == 0 ? reason : "BMP: " + reason);
}

void saveBmp(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
             const std::uint8_t* pixels)
{
    writeBmpFile(path, width, height, bitsPerPixel, pixels, nullptr);
}
