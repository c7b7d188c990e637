// PngPixelFormats: a plain, format-general decoder. It reads each sample at
// the file's depth, applies the colour key or palette, scales to 8 bits and
// stores the pixel at its place in the picture; speed matters less here than
// on the codec's fast path, which handles what the packer itself writes.
#include "image/PngPixelFormats.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Adam7 passes (the PNG standard, section 8.2): first column and row, steps.
constexpr std::uint32_t passStartX[7] = {0, 4, 0, 2, 0, 1, 0};
constexpr std::uint32_t passStartY[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr std::uint32_t passStepX[7] = {8, 8, 4, 4, 2, 2, 1};
constexpr std::uint32_t passStepY[7] = {8, 8, 8, 4, 4, 2, 2};

std::uint32_t samplesPerPixel(std::uint8_t colourType)
{
    switch (colourType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;  // grey and palette
    }
}

struct Pass {
    std::uint32_t startX = 0, startY = 0, stepX = 1, stepY = 1;
    std::uint32_t width = 0, height = 0;
};

// The passes of the picture: one covering everything, or Adam7's seven.
std::vector<Pass> passesOf(const PngPixelFormat& format)
{
    if (format.interlaceMethod == 0)
        return {Pass{0, 0, 1, 1, format.width, format.height}};
    std::vector<Pass> passes;
    for (int i = 0; i < 7; ++i) {
        Pass pass{passStartX[i], passStartY[i], passStepX[i], passStepY[i], 0, 0};
        if (format.width > pass.startX)
            pass.width = (format.width - pass.startX + pass.stepX - 1) / pass.stepX;
        if (format.height > pass.startY)
            pass.height = (format.height - pass.startY + pass.stepY - 1) / pass.stepY;
        passes.push_back(pass);
    }
    return passes;
}

std::uint64_t rowBytes(std::uint32_t width, std::uint32_t bitsPerPixel)
{
    return (std::uint64_t(width) * bitsPerPixel + 7) / 8;
}

int paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Undoes one row's filter in place; `prior` is the unfiltered row above
// (null for a pass's first row), `distance` the filter's byte distance.
bool unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* prior, std::size_t length,
              std::size_t distance)
{
    if (filter > 4)
        return false;
    for (std::size_t i = 0; i < length && filter != 0; ++i) {
        const int a = i >= distance ? row[i - distance] : 0;
        const int b = prior ? prior[i] : 0;
        const int c = prior && i >= distance ? prior[i - distance] : 0;
        switch (filter) {
        case 1: row[i] = std::uint8_t(row[i] + a); break;
        case 2: row[i] = std::uint8_t(row[i] + b); break;
        case 3: row[i] = std::uint8_t(row[i] + ((a + b) >> 1)); break;
        default: row[i] = std::uint8_t(row[i] + paeth(a, b, c)); break;
        }
    }
    return true;
}

// Sample `index` of an unfiltered row at the given depth.
std::uint32_t sampleAt(const std::uint8_t* row, std::size_t index, std::uint8_t depth)
{
    switch (depth) {
    case 16: return std::uint32_t(row[index * 2]) << 8 | row[index * 2 + 1];
    case 8: return row[index];
    default: {
        const std::size_t bit = index * depth;
        return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
    }
    }
}

std::uint8_t toEightBits(std::uint32_t sample, std::uint8_t depth)
{
    switch (depth) {
    case 16: return std::uint8_t((sample * 255 + 32767) / 65535);
    case 8: return std::uint8_t(sample);
    default: return std::uint8_t(sample * 255 / ((1u << depth) - 1));
    }
}

}  // namespace

bool PngColourTables::setPalette(const std::uint8_t* data, std::uint32_t length)
{
    if (length == 0 || length % 3 != 0 || length / 3 > 256)
        return false;
    paletteSize = length / 3;
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint8_t* entry = &palette[i * 4];
        if (i < paletteSize)
            std::memcpy(entry, data + i * 3, 3);
        else
            entry[0] = entry[1] = entry[2] = 0;  // indices past the PLTE show black
        entry[3] = 0xFF;
    }
    return true;
}

void PngColourTables::setTransparency(std::uint8_t colourType, const std::uint8_t* data, std::uint32_t length)
{
    if (transparent)
        return;  // only the first tRNS counts
    switch (colourType) {
    case 0:
        if (length != 2)
            return;
        key[0] = std::uint16_t(data[0] << 8 | data[1]);
        break;
    case 2:
        if (length != 6)
            return;
        for (int i = 0; i < 3; ++i)
            key[i] = std::uint16_t(data[i * 2] << 8 | data[i * 2 + 1]);
        break;
    case 3:
        if (paletteSize == 0 || length == 0 || length > paletteSize)
            return;
        for (std::uint32_t i = 0; i < length; ++i)
            palette[i * 4 + 3] = data[i];
        break;
    default:
        return;  // grey + alpha and RGBA carry their own alpha
    }
    transparent = true;
}

std::string checkPngPixelFormat(std::uint8_t bitDepth, std::uint8_t colourType)
{
    bool valid = false;
    switch (colourType) {
    case 0: valid = bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16; break;
    case 3: valid = bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8; break;
    case 2:
    case 4:
    case 6: valid = bitDepth == 8 || bitDepth == 16; break;
    default: return "PNG: colour type " + std::to_string(colourType) + " is not supported";
    }
    if (valid)
        return {};
    return "PNG: bit depth " + std::to_string(bitDepth) + " is not valid for colour type " + std::to_string(colourType);
}

std::uint32_t pngDecodedBitsPerPixel(std::uint8_t colourType, bool transparent)
{
    switch (colourType) {
    case 0: return transparent ? 16 : 8;
    case 4: return 16;
    case 2:
    case 3: return transparent ? 32 : 24;
    default: return 32;
    }
}

bool pngNeedsExpansion(const PngPixelFormat& format, bool transparent)
{
    return format.bitDepth != 8 || format.colourType == 3 || format.interlaceMethod != 0 || transparent;
}

std::uint64_t pngRawSize(const PngPixelFormat& format)
{
    const std::uint32_t bitsPerPixel = samplesPerPixel(format.colourType) * format.bitDepth;
    std::uint64_t size = 0;
    for (const Pass& pass : passesOf(format))
        if (pass.width > 0)
            size += std::uint64_t(pass.height) * (1 + rowBytes(pass.width, bitsPerPixel));
    return size;
}

bool expandPngPixels(std::uint8_t* raw, const PngPixelFormat& format, const PngColourTables& tables,
                     std::uint8_t* out, std::string& error)
{
    if (format.colourType == 3 && tables.paletteSize == 0) {
        error = "PNG: palette image without a PLTE chunk";
        return false;
    }
    const std::uint32_t samples = samplesPerPixel(format.colourType);
    const std::uint8_t depth = format.bitDepth;
    const std::uint32_t fileBits = samples * depth;
    const std::size_t distance = fileBits < 8 ? 1 : fileBits / 8;
    const std::uint32_t outSize = pngDecodedBitsPerPixel(format.colourType, tables.transparent) / 8;
    const std::size_t outStride = std::size_t(format.width) * outSize;

    std::uint8_t* row = raw;
    int passNumber = 0;
    for (const Pass& pass : passesOf(format)) {
        ++passNumber;
        if (pass.width == 0)
            continue;  // an empty pass has no rows at all
        const std::size_t length = std::size_t(rowBytes(pass.width, fileBits));
        const std::uint8_t* prior = nullptr;
        for (std::uint32_t y = 0; y < pass.height; ++y, row += length + 1) {
            if (!unfilter(row[0], row + 1, prior, length, distance)) {
                error = "PNG: row " + std::to_string(y) +
                        (format.interlaceMethod ? " of pass " + std::to_string(passNumber) : std::string()) +
                        " has unknown filter type " + std::to_string(row[0]);
                return false;
            }
            const std::uint8_t* line = row + 1;
            prior = line;
            const std::uint32_t pictureRow = pass.startY + y * pass.stepY;
            std::uint8_t* target = out + std::size_t(format.height - 1 - pictureRow) * outStride;
            for (std::uint32_t x = 0; x < pass.width; ++x) {
                std::uint8_t* pixel = target + std::size_t(pass.startX + x * pass.stepX) * outSize;
                std::uint32_t value[4] = {};
                for (std::uint32_t s = 0; s < samples; ++s)
                    value[s] = sampleAt(line, std::size_t(x) * samples + s, depth);
                switch (format.colourType) {
                case 3:
                    std::memcpy(pixel, &tables.palette[(value[0] & 0xFF) * 4], outSize);
                    break;
                case 0:
                    pixel[0] = toEightBits(value[0], depth);
                    if (tables.transparent)
                        pixel[1] = value[0] == tables.key[0] ? 0 : 0xFF;
                    break;
                case 2:
                    for (int s = 0; s < 3; ++s)
                        pixel[s] = toEightBits(value[s], depth);
                    if (tables.transparent)
                        pixel[3] = value[0] == tables.key[0] && value[1] == tables.key[1] && value[2] == tables.key[2]
                                       ? 0
                                       : 0xFF;
                    break;
                default:  // grey + alpha, RGBA
                    for (std::uint32_t s = 0; s < samples; ++s)
                        pixel[s] = toEightBits(value[s], depth);
                    break;
                }
            }
        }
    }
    return true;
}
