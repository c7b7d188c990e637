// PngReduction: the smallest PNG pixel format that holds a picture exactly,
// for the writer's "best" compression.
//
// The picture (bottom-up, 8-bit grey, grey + alpha, RGB or RGBA) is read as
// RGBA and written as:
// - a palette of 1, 2, 4 or 8 bits per pixel when it has at most 256 colours
//   (counting alpha), with a tRNS chunk for the entries that are not opaque;
//   entries that are not opaque come first so that the tRNS is short;
// - 8-bit grey when every pixel is grey and opaque, grey + alpha when every
//   pixel is grey (unless a palette of 16 colours or fewer fits, which packs
//   pixels below a byte, or a palette of 256 or fewer fits where grey + alpha
//   would take two bytes);
// - RGB when every pixel is opaque, else RGBA.
// Every format decodes to the same RGBA values, fully transparent pixels
// keeping their colour. Grey below 8 bits and colour-key tRNS chunks are not
// tried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct PngReducedImage {
    std::uint8_t colourType = 6;
    std::uint8_t bitDepth = 8;
    std::vector<std::uint8_t> palette;       // PLTE data: RGB per entry
    std::vector<std::uint8_t> transparency;  // tRNS data: alpha of the leading entries
    std::size_t rowBytes = 0;                // bytes per packed row, without the filter byte
    std::size_t filterDistance = 1;          // bytes between a byte and the one left of it (at least 1)
    std::vector<std::uint8_t> rows;          // height x rowBytes, top-down, unfiltered
};

// Reduces a bottom-up block of 8, 16, 24 or 32 bits per pixel. False only
// when memory runs out.
bool reducePngImage(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                    const std::uint8_t* pixels, PngReducedImage& reduced);
