// PngReduction: one pass counts colours (up to 257) and checks for grey and
// opaque pixels; a second packs the rows in the chosen format.
#include "image/PngReduction.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace {

// RGBA packed as R | G << 8 | B << 16 | A << 24.
std::uint32_t pixelAt(const std::uint8_t* at, std::uint32_t bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 1: return at[0] * 0x010101u | 0xFF000000u;
    case 2: return at[0] * 0x010101u | std::uint32_t(at[1]) << 24;
    case 3: return at[0] | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | 0xFF000000u;
    default: return at[0] | std::uint32_t(at[1]) << 8 | std::uint32_t(at[2]) << 16 | std::uint32_t(at[3]) << 24;
    }
}

// Open addressing set of up to 256 colours, each with its palette index.
class ColourTable {
public:
    static constexpr std::size_t slots = 1024;

    // The slot of `colour`, adding it when there is room; -1 when full.
    int find(std::uint32_t colour)
    {
        std::size_t slot = (colour * 0x9E3779B1u) >> 22;
        while (used_[slot]) {
            if (colours_[slot] == colour)
                return int(slot);
            slot = (slot + 1) % slots;
        }
        if (count_ == 256)
            return -1;
        used_[slot] = true;
        colours_[slot] = colour;
        ++count_;
        return int(slot);
    }
    std::size_t count() const { return count_; }
    std::vector<std::uint32_t> colours() const
    {
        std::vector<std::uint32_t> list;
        for (std::size_t i = 0; i < slots; ++i) {
            if (used_[i])
                list.push_back(colours_[i]);
        }
        return list;
    }
    std::uint8_t& indexOf(int slot) { return index_[std::size_t(slot)]; }

private:
    std::array<std::uint32_t, slots> colours_{};
    std::array<bool, slots> used_{};
    std::array<std::uint8_t, slots> index_{};
    std::size_t count_ = 0;
};

struct Survey {
    bool grey = true;
    bool opaque = true;
    bool fewColours = true;  // at most 256
};

Survey survey(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, const std::uint8_t* pixels,
              ColourTable& table)
{
    Survey result;
    const std::size_t count = std::size_t(width) * height;
    std::uint32_t last = pixelAt(pixels, bytesPerPixel) ^ 1u;  // differs from the first pixel
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t colour = pixelAt(pixels + i * bytesPerPixel, bytesPerPixel);
        if (colour == last)
            continue;
        last = colour;
        const std::uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
        result.grey = result.grey && r == g && g == b;
        result.opaque = result.opaque && (colour >> 24) == 0xFF;
        if (result.fewColours && table.find(colour) < 0)
            result.fewColours = false;
        if (!result.fewColours && !result.grey && !result.opaque)
            break;
    }
    return result;
}

void packPalette(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel, const std::uint8_t* pixels,
                 ColourTable& table, PngReducedImage& reduced)
{
    const unsigned depth = reduced.bitDepth;
    const unsigned perByte = 8 / depth;
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint8_t* in = pixels + std::size_t(height - 1 - row) * width * bytesPerPixel;
        std::uint8_t* out = reduced.rows.data() + std::size_t(row) * reduced.rowBytes;
        std::uint32_t last = pixelAt(in, bytesPerPixel) ^ 1u;
        std::uint8_t index = 0;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t colour = pixelAt(in + std::size_t(x) * bytesPerPixel, bytesPerPixel);
            if (colour != last) {
                last = colour;
                index = table.indexOf(table.find(colour));
            }
            // Pixels fill a byte from its most significant bits down.
            const unsigned shift = 8 - depth * (x % perByte + 1);
            out[x / perByte] |= std::uint8_t(index << shift);
        }
    }
}

void packTrueColour(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel,
                    const std::uint8_t* pixels, PngReducedImage& reduced)
{
    const std::size_t channels = reduced.filterDistance;
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint8_t* in = pixels + std::size_t(height - 1 - row) * width * bytesPerPixel;
        std::uint8_t* out = reduced.rows.data() + std::size_t(row) * reduced.rowBytes;
        if (channels == bytesPerPixel) {
            std::memcpy(out, in, reduced.rowBytes);
            continue;
        }
        for (std::uint32_t x = 0; x < width; ++x, out += channels) {
            const std::uint32_t colour = pixelAt(in + std::size_t(x) * bytesPerPixel, bytesPerPixel);
            const std::uint8_t rgba[4] = {std::uint8_t(colour), std::uint8_t(colour >> 8), std::uint8_t(colour >> 16),
                                          std::uint8_t(colour >> 24)};
            if (channels == 1) {
                out[0] = rgba[0];
            } else if (channels == 2) {
                out[0] = rgba[0];
                out[1] = rgba[3];
            } else {
                std::memcpy(out, rgba, channels);
            }
        }
    }
}

}  // namespace

bool reducePngImage(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                    const std::uint8_t* pixels, PngReducedImage& reduced)
{
    const std::uint32_t bytesPerPixel = bitsPerPixel / 8;
    ColourTable table;
    const Survey found = survey(width, height, bytesPerPixel, pixels, table);
    const std::size_t colours = table.count();
    const bool lowDepthPalette = found.fewColours && colours <= 16;
    bool palette = false;
    if (found.grey && found.opaque) {
        palette = lowDepthPalette;
        reduced.colourType = palette ? 3 : 0;
    } else if (found.grey) {
        palette = found.fewColours;
        reduced.colourType = palette ? 3 : 4;
    } else {
        palette = found.fewColours;
        reduced.colourType = palette ? 3 : found.opaque ? 2 : 6;
    }
    reduced.bitDepth = !palette ? 8 : colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
    reduced.filterDistance = palette ? 1 : reduced.colourType == 0 ? 1 : reduced.colourType == 4 ? 2
                                                                   : reduced.colourType == 2 ? 3 : 4;
    const std::size_t bitsPerRow = std::size_t(width) * (palette ? reduced.bitDepth : reduced.filterDistance * 8);
    reduced.rowBytes = (bitsPerRow + 7) / 8;
    try {
        reduced.rows.assign(reduced.rowBytes * height, 0);
        if (palette) {
            // Entries that are not opaque first (by alpha, then colour), so the
            // tRNS ends at the last of them; the opaque ones by colour.
            std::vector<std::uint32_t> list = table.colours();
            std::sort(list.begin(), list.end(), [](std::uint32_t a, std::uint32_t b) {
                const std::uint32_t alphaA = a >> 24, alphaB = b >> 24;
                if ((alphaA == 0xFF) != (alphaB == 0xFF))
                    return alphaA != 0xFF;
                if (alphaA != alphaB)
                    return alphaA < alphaB;
                return (a & 0xFFFFFF) < (b & 0xFFFFFF);
            });
            reduced.palette.clear();
            reduced.transparency.clear();
            for (std::size_t i = 0; i < list.size(); ++i) {
                const std::uint32_t colour = list[i];
                table.indexOf(table.find(colour)) = std::uint8_t(i);
                reduced.palette.insert(reduced.palette.end(), {std::uint8_t(colour), std::uint8_t(colour >> 8),
                                                               std::uint8_t(colour >> 16)});
                if ((colour >> 24) != 0xFF)
                    reduced.transparency.push_back(std::uint8_t(colour >> 24));
            }
            packPalette(width, height, bytesPerPixel, pixels, table, reduced);
        } else {
            packTrueColour(width, height, bytesPerPixel, pixels, reduced);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
