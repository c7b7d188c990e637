// TGA codec. The reader validates the whole file (header, colour map, pixel
// data or run-length packets) against its length and the size limit before it
// allocates the picture; run-length packets never write past the picture and a
// packet that would is refused. The image descriptor's origin bits are
// honoured (bit 5 top-down, bit 4 right-to-left); its alpha-bit count is not
// needed. The TGA 2.0 footer and extension area are ignored.

#include "image/TgaCodec.h"

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

// The 18-byte TGA header, little-endian, as the Truevision format defines it.
#pragma pack(push, 1)
struct TgaHeader {
    std::uint8_t idLength = 0;
    std::uint8_t colourMapType = 0;   // 1 when a colour map follows the ID field
    std::uint8_t imageType = 0;       // 1 mapped, 2 true colour, 3 grey; +8 run-length encoded
    std::uint16_t mapOrigin = 0;      // index of the first map entry
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntrySize = 0;    // bits per map entry
    std::uint16_t xOrigin = 0;
    std::uint16_t yOrigin = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t pixelDepth = 0;
    std::uint8_t descriptor = 0;      // bits 0-3 alpha bits, bit 4 right-to-left, bit 5 top-down
};
#pragma pack(pop)
static_assert(sizeof(TgaHeader) == 18);

enum TgaImageType : std::uint8_t { ColourMapped = 1, TrueColour = 2, Grey = 3, RunLengthFlag = 8 };

// Where the pixels are and how to turn them into the engine's layout.
struct TgaLayout {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool topDown = false;
    bool rightToLeft = false;
    bool runLength = false;
    std::uint8_t baseType = 0;
    std::uint32_t fileBytesPerPixel = 0;
    std::uint32_t bitsPerPixel = 0;   // of the decoded picture
    bool attributeAlpha = false;      // 16-bit colours: the top bit is alpha
    std::size_t dataOffset = 0;
    std::vector<std::uint8_t> map;    // RGBA per index (mapped files)
};

// A 15- or 16-bit colour (A RRRRR GGGGG BBBBB, little-endian) as RGB(A); the
// top bit is alpha only when the descriptor names one alpha bit.
void unpackColour16(const std::uint8_t* src, bool attributeAlpha, std::uint8_t* rgba)
{
    const std::uint32_t value = src[0] | std::uint32_t(src[1]) << 8;
    auto widen = [](std::uint32_t five) { return std::uint8_t((five * 255 + 15) / 31); };
    rgba[0] = widen((value >> 10) & 0x1F);
    rgba[1] = widen((value >> 5) & 0x1F);
    rgba[2] = widen(value & 0x1F);
    rgba[3] = attributeAlpha && (value & 0x8000) == 0 ? 0 : 0xFF;
}

TgaHeader readHeader(CMemoryReader& reader)
{
    TgaHeader h;
    h.idLength = reader.readU8();
    h.colourMapType = reader.readU8();
    h.imageType = reader.readU8();
    h.mapOrigin = reader.readU16();
    h.mapLength = reader.readU16();
    h.mapEntrySize = reader.readU8();
    h.xOrigin = reader.readU16();
    h.yOrigin = reader.readU16();
    h.width = reader.readU16();
    h.height = reader.readU16();
    h.pixelDepth = reader.readU8();
    h.descriptor = reader.readU8();
    return h;
}

std::array<std::uint8_t, sizeof(TgaHeader)> encodeHeader(const TgaHeader& h)
{
    std::array<std::uint8_t, sizeof(TgaHeader)> bytes{};
    std::uint8_t* out = bytes.data();
    auto put16 = [&out](std::uint16_t v) {
        *out++ = std::uint8_t(v);
        *out++ = std::uint8_t(v >> 8);
    };
    *out++ = h.idLength;
    *out++ = h.colourMapType;
    *out++ = h.imageType;
    put16(h.mapOrigin);
    put16(h.mapLength);
    *out++ = h.mapEntrySize;
    put16(h.xOrigin);
    put16(h.yOrigin);
    put16(h.width);
    put16(h.height);
    *out++ = h.pixelDepth;
    *out++ = h.descriptor;
    return bytes;
}

bool fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

// Expands run-length packets into out (pixelCount pixels of pixelSize bytes),
// or with out null only checks that data holds them. A packet reaching past the
// last pixel, or data ending before it, is refused; out is never overrun.
bool expandRunLength(const std::uint8_t* data, std::size_t length, std::size_t pixelCount, std::uint32_t pixelSize,
                     std::uint8_t* out, std::string* error)
{
    std::size_t pos = 0;
    std::size_t done = 0;
    while (done < pixelCount) {
        if (pos >= length)
            return fail(error, "TGA: run-length data ends before the last pixel");
        const std::uint8_t packet = data[pos++];
        const std::size_t count = (packet & 0x7f) + 1u;
        if (count > pixelCount - done)
            return fail(error, "TGA: run-length packet runs past the last pixel");
        const std::size_t bytes = (packet & 0x80) ? pixelSize : count * pixelSize;
        if (bytes > length - pos)
            return fail(error, "TGA: run-length data ends before the last pixel");
        if (out != nullptr) {
            std::uint8_t* dst = out + done * pixelSize;
            if (packet & 0x80) {
                for (std::size_t i = 0; i < count; ++i)
                    std::memcpy(dst + i * pixelSize, data + pos, pixelSize);
            } else {
                std::memcpy(dst, data + pos, bytes);
            }
        }
        pos += bytes;
        done += count;
    }
    return true;
}

// Checks the image type against the pixel depth and the colour map, and sets
// the decoded depth.
bool checkPixelFormat(const TgaHeader& h, TgaLayout& layout, std::string* error)
{
    const std::uint8_t base = h.imageType & ~RunLengthFlag;
    const std::string depth = std::to_string(h.pixelDepth);
    layout.baseType = base;
    layout.runLength = (h.imageType & RunLengthFlag) != 0;
    layout.fileBytesPerPixel = (h.pixelDepth + 7u) / 8u;
    layout.bitsPerPixel = h.pixelDepth;
    const bool oneAlphaBit = (h.descriptor & 0x0F) == 1;
    switch (base) {
    case ColourMapped:
        if (h.colourMapType != 1)
            return fail(error, "TGA: colour-mapped picture without a colour map");
        if (h.pixelDepth != 8 && h.pixelDepth != 16)
            return fail(error, "TGA: colour index depth " + depth + " is not supported");
        if (h.mapEntrySize != 15 && h.mapEntrySize != 16 && h.mapEntrySize != 24 && h.mapEntrySize != 32)
            return fail(error, "TGA: colour map entry size " + std::to_string(h.mapEntrySize) + " is not supported");
        layout.attributeAlpha = h.mapEntrySize == 16 && oneAlphaBit;
        layout.bitsPerPixel = h.mapEntrySize == 32 || layout.attributeAlpha ? 32 : 24;
        return true;
    case TrueColour:
        if (h.pixelDepth != 15 && h.pixelDepth != 16 && h.pixelDepth != 24 && h.pixelDepth != 32)
            return fail(error, "TGA: true-colour depth " + depth + " is not supported");
        if (h.pixelDepth <= 16) {
            layout.attributeAlpha = h.pixelDepth == 16 && oneAlphaBit;
            layout.bitsPerPixel = layout.attributeAlpha ? 32 : 24;
        }
        return true;
    case Grey:
        if (h.pixelDepth != 8)
            return fail(error, "TGA: grey depth " + depth + " is not supported");
        return true;
    default:
        return fail(error, "TGA: image type " + std::to_string(h.imageType) + " is not supported");
    }
}

// Fills the RGBA lookup from the file's colour map; indices outside the map
// stay black.
void readColourMap(const std::uint8_t* map, const TgaHeader& h, TgaLayout& layout)
{
    const std::uint32_t entrySize = (h.mapEntrySize + 7u) / 8u;
    const std::uint32_t indices = layout.fileBytesPerPixel == 1 ? 256 : 65536;
    layout.map.assign(std::size_t(indices) * 4, 0);
    for (std::uint32_t index = h.mapOrigin; index < indices && index - h.mapOrigin < h.mapLength; ++index) {
        const std::uint8_t* entry = map + (index - h.mapOrigin) * entrySize;  // B, G, R(, A)
        std::uint8_t* rgba = &layout.map[std::size_t(index) * 4];
        if (entrySize == 2) {
            unpackColour16(entry, layout.attributeAlpha, rgba);
            continue;
        }
        rgba[0] = entry[2];
        rgba[1] = entry[1];
        rgba[2] = entry[0];
        rgba[3] = entrySize == 4 ? entry[3] : 0xff;
    }
}

// Validates the whole file against its length and the size limit. Nothing is
// allocated before this has succeeded. With `headerOnly`, only the 18-byte
// header is needed: colour map and pixels are not looked at.
bool parseTga(const std::uint8_t* bytes, std::size_t length, TgaLayout& layout, std::string* error,
              bool headerOnly = false)
{
    if (length > std::numeric_limits<std::uint32_t>::max())
        return fail(error, "TGA: file is larger than 4 GiB");
    if (bytes == nullptr || length < sizeof(TgaHeader))
        return fail(error, "TGA: file is too short for its header");
    CMemoryReader reader;
    reader.open(bytes, std::uint32_t(length));
    const TgaHeader h = readHeader(reader);

    if (!checkPixelFormat(h, layout, error))
        return false;
    if (!checkImageSize(h.width, h.height, "TGA", error))
        return false;
    layout.width = h.width;
    layout.height = h.height;
    layout.topDown = (h.descriptor & 0x20) != 0;
    layout.rightToLeft = (h.descriptor & 0x10) != 0;

    const std::size_t mapOffset = sizeof(TgaHeader) + h.idLength;
    const std::size_t mapSize = h.colourMapType != 0 ? std::size_t(h.mapLength) * ((h.mapEntrySize + 7u) / 8u) : 0;
    layout.dataOffset = mapOffset + mapSize;
    if (headerOnly)
        return true;
    if (layout.dataOffset > length)
        return fail(error, "TGA: colour map runs past the end of the file");
    if (layout.baseType == ColourMapped)
        readColourMap(bytes + mapOffset, h, layout);

    const std::size_t pixelCount = std::size_t(layout.width) * layout.height;
    const std::uint8_t* data = bytes + layout.dataOffset;
    const std::size_t available = length - layout.dataOffset;
    if (layout.runLength)
        return expandRunLength(data, available, pixelCount, layout.fileBytesPerPixel, nullptr, error);
    if (pixelCount * layout.fileBytesPerPixel > available)
        return fail(error, "TGA: pixel data runs past the end of the file");
    return true;
}

// The header queries read the 18-byte header only, so a file cut short
// after it still answers.
bool probeTgaFile(const char* path, TgaLayout& layout)
{
    std::vector<std::uint8_t> bytes;
    return readFileStart(path, bytes, sizeof(TgaHeader)) &&
           parseTga(bytes.data(), bytes.size(), layout, nullptr, true);
}

// One file pixel into one engine pixel.
void convertPixel(const TgaLayout& layout, const std::uint8_t* src, std::uint8_t* dst)
{
    std::uint8_t rgba[4];
    switch (layout.baseType) {
    case ColourMapped: {
        const std::size_t index = layout.fileBytesPerPixel == 2 ? src[0] | std::size_t(src[1]) << 8 : src[0];
        std::memcpy(dst, &layout.map[index * 4], layout.bitsPerPixel / 8);
        break;
    }
    case TrueColour:
        if (layout.fileBytesPerPixel == 2) {
            unpackColour16(src, layout.attributeAlpha, rgba);
            std::memcpy(dst, rgba, layout.bitsPerPixel / 8);
            break;
        }
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
        if (layout.fileBytesPerPixel == 4)
            dst[3] = src[3];
        break;
    default:
        dst[0] = src[0];
        break;
    }
}

}  // namespace

DecodedImage decodeTgaImage(const std::uint8_t* bytes, std::size_t length)
{
    TgaLayout layout;
    std::string error;
    if (!parseTga(bytes, length, layout, &error))
        return DecodedImage::failure(error);

    const std::size_t width = layout.width;
    const std::size_t height = layout.height;
    const std::uint32_t fileSize = layout.fileBytesPerPixel;
    const std::uint8_t* source = bytes + layout.dataOffset;
    std::vector<std::uint8_t> expanded;
    if (layout.runLength) {
        expanded.resize(width * height * fileSize);
        expandRunLength(source, length - layout.dataOffset, width * height, fileSize, expanded.data(), nullptr);
        source = expanded.data();
    }

    const std::uint32_t pixelSize = layout.bitsPerPixel / 8;
    DecodedImage image;
    image.pixels.reset(new std::uint8_t[width * height * pixelSize]);
    image.width = layout.width;
    image.height = layout.height;
    image.bitsPerPixel = layout.bitsPerPixel;
    for (std::size_t y = 0; y < height; ++y) {
        // Engine row y is the picture's bottom row + y.
        const std::size_t fileRow = layout.topDown ? height - 1 - y : y;
        const std::uint8_t* srcRow = source + fileRow * width * fileSize;
        std::uint8_t* dstRow = image.pixels.get() + y * width * pixelSize;
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t fileColumn = layout.rightToLeft ? width - 1 - x : x;
            convertPixel(layout, srcRow + fileColumn * fileSize, dstRow + x * pixelSize);
        }
    }
    // NOTE: writers that ignore the alpha bit leave it 0 everywhere; such a
    // picture is opaque, not invisible.
    if (layout.attributeAlpha) {
        std::uint8_t* pixels = image.pixels.get();
        bool anyVisible = false;
        for (std::size_t i = 0; i < width * height && !anyVisible; ++i)
            anyVisible = pixels[i * 4 + 3] != 0;
        for (std::size_t i = 0; i < width * height && !anyVisible; ++i)
            pixels[i * 4 + 3] = 0xFF;
    }
    return image;
}

DecodedImage readTgaFile(const char* path)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readFileBytes(path, bytes, "TGA", &error))
        return DecodedImage::failure(error);
    return decodeTgaImage(bytes.data(), bytes.size());
}

std::unique_ptr<std::uint8_t[]> loadTga(const char* path)
{
    return readTgaFile(path).pixels;
}

int queryTgaWidth(const char* path)
{
    TgaLayout layout;
    return probeTgaFile(path, layout) ? int(layout.width) : -1;
}

int queryTgaHeight(const char* path)
{
    TgaLayout layout;
    return probeTgaFile(path, layout) ? int(layout.height) : -1;
}

int queryTgaBitsPerPixel(const char* path)
{
    TgaLayout layout;
    return probeTgaFile(path, layout) ? int(layout.bitsPerPixel) : -1;
}

namespace {

bool checkTgaPixels(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel, const std::uint8_t* pixels,
                    std::string* error)
{
    if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return fail(error, "TGA: " + std::to_string(bitsPerPixel) + " bits per pixel cannot be written");
    if (pixels == nullptr)
        return fail(error, "TGA: no pixels to write");
    return checkImageSize(width, height, "TGA", error);
}

}  // namespace

bool writeTgaStream(std::FILE* file, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                    const std::uint8_t* pixels, std::string* error)
{
    if (!checkTgaPixels(width, height, bitsPerPixel, pixels, error))
        return false;
    TgaHeader h;
    h.imageType = bitsPerPixel == 8 ? Grey : TrueColour;
    h.width = std::uint16_t(width);
    h.height = std::uint16_t(height);
    h.pixelDepth = std::uint8_t(bitsPerPixel);

    const auto header = encodeHeader(h);
    bool ok = std::fwrite(header.data(), 1, header.size(), file) == header.size();

    // Rows stay bottom-up; each is converted to BGR(A) in a row buffer.
    const std::uint32_t pixelSize = bitsPerPixel / 8;
    const std::size_t rowSize = std::size_t(width) * pixelSize;
    std::vector<std::uint8_t> row(rowSize);
    for (std::uint32_t y = 0; y < height && ok; ++y) {
        std::memcpy(row.data(), pixels + rowSize * y, rowSize);
        if (pixelSize >= 3) {
            for (std::size_t x = 0; x < rowSize; x += pixelSize)
                std::swap(row[x], row[x + 2]);
        }
        ok = std::fwrite(row.data(), 1, rowSize, file) == rowSize;
    }
    return ok || fail(error, "TGA: writing the file failed");
}

bool writeTgaFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                  const std::uint8_t* pixels, std::string* error)
{
    if (!checkTgaPixels(width, height, bitsPerPixel, pixels, error))
        return false;
    if (path == nullptr)
        return fail(error, "TGA: cannot open (null) for writing");
    std::string reason;
    const auto produce = [&](std::FILE* file) {
        return writeTgaStream(file, width, height, bitsPerPixel, pixels, &reason);
    };
    if (CSafeWriter::writeFile(path, produce, &reason))
        return true;
    return fail(error, reason.rfind("TGA: ", 0) == 0 ? reason : "TGA: " + reason);
}

void saveTga(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
             const std::uint8_t* pixels)
{
    writeTgaFile(path, width, height, bitsPerPixel, pixels, nullptr);
}
