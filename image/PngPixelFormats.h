// PngPixelFormats: every PNG pixel format beyond the plain 8-bit grey, grey +
// alpha, RGB and RGBA rows that the PNG codec decodes on its fast path:
// 1-, 2- and 4-bit grey, 16-bit channels, palette images, tRNS transparency
// and Adam7 interlacing.
//
// How they land in the engine's layout (1-byte components, bottom-up):
// - grey of any depth: 8-bit grey; with a tRNS grey key, grey + alpha;
// - grey + alpha: 16 bits per pixel; RGBA: 32;
// - RGB: 24; with a tRNS colour key, 32 (the key colour fully transparent);
// - palette: RGB through the PLTE, or RGBA when a tRNS gives entries alpha;
// - 16-bit samples are rounded to 8 bits (v x 255 / 65535); low-bit grey is
//   stretched to 0..255 (a 1-bit 1 becomes 255, a 4-bit 15 too);
// - interlaced pictures are put together from their seven passes.
// A tRNS chunk that does not fit the picture (wrong length, palette image
// without a PLTE before it, colour types with alpha) is ignored, as the PNG
// standard's readers do.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

struct PngPixelFormat {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colourType = 0;
    std::uint8_t interlaceMethod = 0;
};

// The PLTE and tRNS data that shape the decoded pixels.
struct PngColourTables {
    std::array<std::uint8_t, 256 * 4> palette{};  // RGBA per index; alpha from tRNS
    std::uint32_t paletteSize = 0;                // entries in the PLTE (0: none seen)
    bool transparent = false;                     // a tRNS applies to this picture
    std::uint16_t key[3] = {};                    // grey or RGB colour key (at the file's depth)

    // Takes a PLTE chunk's data; false when its length is not 1 to 256
    // whole entries.
    bool setPalette(const std::uint8_t* data, std::uint32_t length);
    // Takes a tRNS chunk's data when it fits the picture (see the file
    // header); otherwise the chunk is ignored.
    void setTransparency(std::uint8_t colourType, const std::uint8_t* data, std::uint32_t length);
};

// Empty when the depth and colour type form a PNG format, else the reason
// ("PNG: bit depth 16 is not valid for colour type 3").
std::string checkPngPixelFormat(std::uint8_t bitDepth, std::uint8_t colourType);

// Bits per pixel of the decoded picture.
std::uint32_t pngDecodedBitsPerPixel(std::uint8_t colourType, bool transparent);

// True when the picture needs the general path below rather than the plain
// 8-bit rows the codec unfilters itself.
bool pngNeedsExpansion(const PngPixelFormat& format, bool transparent);

// Size of the inflated image data (every pass, filter bytes included).
std::uint64_t pngRawSize(const PngPixelFormat& format);

// Unfilters `raw` (pngRawSize bytes, changed in place) and writes the decoded
// picture, bottom-up, into `out` (width x height x decoded bytes per pixel).
// False with a reason for an unknown row filter or a palette image without
// a PLTE.
bool expandPngPixels(std::uint8_t* raw, const PngPixelFormat& format, const PngColourTables& tables,
                     std::uint8_t* out, std::string& error);
