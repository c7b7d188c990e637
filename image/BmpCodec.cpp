// BMP codec. Reads the BITMAPINFOHEADER family (40-byte info header and the
// larger V2 to V5 headers, whose fields past the masks are ignored),
// bottom-up and top-down files, pixels from the header's pixel-data offset.
// Every row in the file is padded to a multiple of 4 bytes.

#include "image/BmpCodec.h"

#include "core/CMemoryReader.h"
#include "core/CSafeWriter.h"
#include "core/FileBytes.h"
#include "image/ImageLimits.h"

#include <algorithm>
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

enum BmpCompression : std::uint32_t { Uncompressed = 0, RunLength8 = 1, RunLength4 = 2, BitFields = 3,
                                       EmbeddedJpeg = 4, EmbeddedPng = 5, AlphaBitFields = 6 };

// One colour channel of a 16- or 32-bit pixel: where its bits are and their
// largest value (0 when the file has no such channel).
struct BmpChannel {
    std::uint32_t mask = 0;
    std::uint32_t shift = 0;
    std::uint32_t maximum = 0;

    static BmpChannel of(std::uint32_t mask)
    {
        BmpChannel channel;
        channel.mask = mask;
        while (mask != 0 && (mask & 1u) == 0) {
            mask >>= 1;
            ++channel.shift;
        }
        channel.maximum = mask;
        return channel;
    }
    // The channel's value scaled to 0..255, rounded.
    std::uint8_t read(std::uint32_t pixel) const
    {
        if (maximum == 0)
            return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return std::uint8_t((value * 255 + maximum / 2) / maximum);
    }
};

// Where the pixels are and how to turn them into the engine's layout.
struct BmpLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    std::uint32_t compression = Uncompressed;
    std::uint32_t fileBitsPerPixel = 0;
    std::uint32_t bitsPerPixel = 0;  // of the decoded picture
    std::uint32_t pixelOffset = 0;
    std::uint32_t stride = 0;        // bytes per file row, padding included
    BmpChannel channels[4];          // R, G, B, A of 16- and 32-bit pixels
    std::array<std::uint8_t, paletteEntries * 3> palette{};  // RGB per index (1-, 4- and 8-bit files)
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

// Fills the palette (identity grey for entries the file does not hold) and
// decides whether the picture is grey or needs RGB.
void readPalette(const std::uint8_t* bytes, std::size_t length, const BmpHeader& h, BmpLayout& layout)
{
    for (std::uint32_t i = 0; i < paletteEntries; ++i)
        layout.palette[i * 3] = layout.palette[i * 3 + 1] = layout.palette[i * 3 + 2] = std::uint8_t(i);

    // The palette follows the info header and ends where the pixels start;
    // pixelOffset is already known to lie inside the file.
    const std::uint64_t start = std::uint64_t(fileHeaderSize) + h.headerSize;
    const std::uint32_t entries = 1u << h.bitsPerPixel;
    std::uint64_t count = h.coloursUsed == 0 || h.coloursUsed > entries ? entries : h.coloursUsed;
    const std::uint64_t end = std::min<std::uint64_t>(layout.pixelOffset, length);
    const std::uint64_t room = end > start ? (end - start) / 4 : 0;
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

// Finds the channel masks of 16- and 32-bit files: in the info header from
// the 52-byte version on, else in the 12 or 16 bytes after the 40-byte
// header; without bit fields, the formats' fixed layouts.
bool readMasks(const std::uint8_t* bytes, std::size_t length, const BmpHeader& h, BmpLayout& layout,
               std::string* error)
{
    std::uint32_t masks[4] = {};
    if (h.compression == Uncompressed) {
        if (h.bitsPerPixel == 16) {
            masks[0] = 0x7C00;  // 5-5-5, top bit unused
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else {
            masks[0] = 0x00FF0000;  // B, G, R, A bytes
            masks[1] = 0x0000FF00;
            masks[2] = 0x000000FF;
            masks[3] = 0xFF000000;
        }
    } else {
        const std::uint32_t count = h.compression == AlphaBitFields ? 4 : 3;
        const std::uint32_t inHeader = h.headerSize >= 56 ? 4 : h.headerSize >= 52 ? 3 : 0;
        const std::uint32_t stored = std::max(count, inHeader);
        if (length < headersSize + 4 * std::uint64_t(stored))
            return fail(error, "BMP: file is too short for its bit-field masks");
        for (std::uint32_t i = 0; i < stored; ++i)
            masks[i] = std::uint32_t(bytes[54 + 4 * i]) | std::uint32_t(bytes[55 + 4 * i]) << 8 |
                       std::uint32_t(bytes[56 + 4 * i]) << 16 | std::uint32_t(bytes[57 + 4 * i]) << 24;
        if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0)
            return fail(error, "BMP: bit-field masks select no colour");
    }
    if (h.bitsPerPixel == 16)
        for (std::uint32_t& mask : masks)
            mask &= 0xFFFF;
    for (int i = 0; i < 4; ++i)
        layout.channels[i] = BmpChannel::of(masks[i]);
    layout.bitsPerPixel = masks[3] != 0 ? 32 : 24;
    return true;
}

bool expandRunLength(const std::uint8_t* data, std::size_t length, const BmpLayout& layout, std::uint8_t* out,
                     std::string& error);

// Validates the header against the file and the size limit. Nothing is
// allocated before this has succeeded. With `headerOnly`, `bytes` may be
// just the start of the file: the pixel data is not looked at.
bool parseBmp(const std::uint8_t* bytes, std::size_t length, BmpLayout& layout, std::string* error,
              bool headerOnly = false)
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

    switch (h.compression) {
    case Uncompressed:
        if (h.bitsPerPixel != 1 && h.bitsPerPixel != 4 && h.bitsPerPixel != 8 && h.bitsPerPixel != 16 &&
            h.bitsPerPixel != 24 && h.bitsPerPixel != 32)
            return fail(error, "BMP: " + std::to_string(h.bitsPerPixel) + " bits per pixel is not supported");
        break;
    case RunLength8:
    case RunLength4:
        if (h.bitsPerPixel != (h.compression == RunLength8 ? 8 : 4))
            return fail(error, std::string("BMP: ") + (h.compression == RunLength8 ? "RLE8" : "RLE4") +
                                   " compression with " + std::to_string(h.bitsPerPixel) + " bits per pixel");
        if (h.height < 0)
            return fail(error, "BMP: run-length encoded files cannot be top-down");
        break;
    case BitFields:
    case AlphaBitFields:
        if (h.bitsPerPixel != 16 && h.bitsPerPixel != 32)
            return fail(error, "BMP: bit-field masks with " + std::to_string(h.bitsPerPixel) +
                                   " bits per pixel are not supported");
        break;
    case EmbeddedJpeg:
        return fail(error, "BMP: embedded JPEG pictures are not supported");
    case EmbeddedPng:
        return fail(error, "BMP: embedded PNG pictures are not supported");
    default:
        return fail(error, "BMP: compression method " + std::to_string(h.compression) + " is not supported");
    }
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
    layout.compression = h.compression;
    layout.fileBitsPerPixel = h.bitsPerPixel;
    layout.bitsPerPixel = h.bitsPerPixel;
    layout.pixelOffset = h.pixelOffset;
    layout.stride = paddedRowSize(layout.width, h.bitsPerPixel);

    if (headerOnly) {
    } else if (h.compression == RunLength8 || h.compression == RunLength4) {
        if (h.pixelOffset >= length)
            return fail(error, "BMP: pixel data runs past the end of the file");
        // Without the skips (end of picture, moves), two bytes cover at most
        // one run of 255 pixels or the rest of a row. Pictures far larger
        // than their data would only be allocated to stay blank.
        const std::uint64_t pairs = (length - h.pixelOffset) / 2 + 1;
        if (std::uint64_t(layout.width) * layout.height > pairs * std::max<std::uint64_t>(255, layout.width))
            return fail(error, "BMP: run-length data is too short for the picture");
    } else {
        // Only the bytes actually read must exist: the last row may lack its padding.
        const std::uint64_t rowBytes = (std::uint64_t(layout.width) * h.bitsPerPixel + 7) / 8;
        const std::uint64_t end =
            std::uint64_t(h.pixelOffset) + std::uint64_t(layout.stride) * (layout.height - 1) + rowBytes;
        if (end > length)
            return fail(error, "BMP: pixel data runs past the end of the file");
    }

    if (h.bitsPerPixel <= 8) {
        readPalette(bytes, length, h, layout);
        std::string reason;
        if (!headerOnly && (h.compression == RunLength8 || h.compression == RunLength4) &&
            !expandRunLength(bytes + h.pixelOffset, length - h.pixelOffset, layout, nullptr, reason))
            return fail(error, reason);
    } else if (h.bitsPerPixel != 24 && !readMasks(bytes, length, h, layout, error))
        return false;
    return true;
}

// The header queries read the headers, palette and masks only (all of them
// lie in the first few KiB of any real file), so a file cut short in its
// pixels still answers.
bool probeBmpFile(const char* path, BmpLayout& layout)
{
    constexpr std::size_t headerBytes = 64 * 1024;
    std::vector<std::uint8_t> bytes;
    return readFileStart(path, bytes, headerBytes) && parseBmp(bytes.data(), bytes.size(), layout, nullptr, true);
}

// Palette index `x` of a 1-, 4- or 8-bit row.
std::uint8_t indexAt(const std::uint8_t* row, std::uint32_t x, std::uint32_t bitsPerPixel)
{
    const std::uint32_t bit = x * bitsPerPixel;
    return std::uint8_t((row[bit / 8] >> (8 - bitsPerPixel - bit % 8)) & ((1u << bitsPerPixel) - 1));
}

void putIndex(const BmpLayout& layout, std::uint8_t index, std::uint8_t* dst)
{
    const std::uint8_t* rgb = &layout.palette[index * 3];
    if (layout.bitsPerPixel == 8)
        dst[0] = rgb[0];
    else
        std::memcpy(dst, rgb, 3);
}

// One file row into one engine row.
void convertRow(const BmpLayout& layout, const std::uint8_t* src, std::uint8_t* dst)
{
    const std::uint32_t outSize = layout.bitsPerPixel / 8;
    switch (layout.fileBitsPerPixel) {
    case 1:
    case 4:
    case 8:
        for (std::uint32_t x = 0; x < layout.width; ++x)
            putIndex(layout, indexAt(src, x, layout.fileBitsPerPixel), dst + x * outSize);
        break;
    case 24:
        for (std::uint32_t x = 0; x < layout.width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        break;
    default:  // 16 and 32 bits through the channel masks
        for (std::uint32_t x = 0; x < layout.width; ++x, dst += outSize) {
            std::uint32_t pixel = src[0] | std::uint32_t(src[1]) << 8;
            if (layout.fileBitsPerPixel == 32)
                pixel |= std::uint32_t(src[2]) << 16 | std::uint32_t(src[3]) << 24;
            src += layout.fileBitsPerPixel / 8;
            for (std::uint32_t c = 0; c < outSize; ++c)
                dst[c] = layout.channels[c].read(pixel);
        }
        break;
    }
}

// Expands RLE8 or RLE4 data into `out` (bottom-up rows of decoded pixels),
// or with `out` null only checks the data.
// Pixels the data skips (end of line, delta) keep palette entry 0; runs that
// reach past a row's end are cut there, and nothing is written outside the
// picture. False with a reason when the data ends before the picture does.
bool expandRunLength(const std::uint8_t* data, std::size_t length, const BmpLayout& layout, std::uint8_t* out,
                     std::string& error)
{
    const std::uint32_t outSize = layout.bitsPerPixel / 8;
    const std::size_t rowSize = std::size_t(layout.width) * outSize;
    for (std::size_t i = 0; out != nullptr && i < std::size_t(layout.width) * layout.height; ++i)
        putIndex(layout, 0, out + i * outSize);
    const bool four = layout.compression == RunLength4;
    std::uint64_t x = 0, y = 0;
    auto put = [&](std::uint8_t index) {
        if (out != nullptr && x < layout.width)
            putIndex(layout, index, out + rowSize * y + std::size_t(x) * outSize);
        ++x;
    };
    std::size_t at = 0;
    while (y < layout.height && length - at >= 2) {
        const std::uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {  // a run of one index (RLE4: two alternating)
            for (std::uint32_t i = 0; i < count && x < layout.width; ++i)
                put(four ? std::uint8_t(i % 2 == 0 ? value >> 4 : value & 0x0F) : value);
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            return true;
        } else if (value == 2) {  // move right and up
            if (length - at < 2)
                break;
            x += data[at];
            y += data[at + 1];
            at += 2;
        } else {  // `value` literal indices, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            if (length - at < bytes)
                break;
            for (std::uint32_t i = 0; i < value; ++i)
                put(four ? std::uint8_t(i % 2 == 0 ? data[at + i / 2] >> 4 : data[at + i / 2] & 0x0F)
                         : data[at + i]);
            at += std::min((bytes + 1) & ~std::size_t(1), length - at);
        }
    }
    if (y >= layout.height)
        return true;
    error = "BMP: run-length data ends before the end of the picture";
    return false;
}

// Writers that leave the fourth byte of 32-bit pixels unused fill it with 0;
// a picture whose alpha is 0 everywhere is such a file, not an invisible one.
void makeOpaqueIfAlphaUnused(std::uint8_t* pixels, std::size_t pixelCount)
{
    for (std::size_t i = 0; i < pixelCount; ++i)
        if (pixels[i * 4 + 3] != 0)
            return;
    for (std::size_t i = 0; i < pixelCount; ++i)
        pixels[i * 4 + 3] = 0xFF;
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
    if (layout.compression == RunLength8 || layout.compression == RunLength4) {
        if (!expandRunLength(bytes + layout.pixelOffset, length - layout.pixelOffset, layout, image.pixels.get(),
                             error))
            return DecodedImage::failure(error);
        return image;
    }
    for (std::uint32_t y = 0; y < layout.height; ++y) {
        // File row y is the bottom row + y, unless the file is top-down.
        const std::uint32_t fileRow = layout.topDown ? layout.height - 1 - y : y;
        const std::uint8_t* src = bytes + layout.pixelOffset + std::size_t(layout.stride) * fileRow;
        convertRow(layout, src, image.pixels.get() + rowSize * y);
    }
    if (layout.bitsPerPixel == 32)
        makeOpaqueIfAlphaUnused(image.pixels.get(), std::size_t(layout.width) * layout.height);
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
