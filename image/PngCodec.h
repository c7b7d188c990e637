// PngCodec: the engine's own PNG reader and writer. It walks the chunk
// structure itself, uses zlib only to inflate and deflate the image data and
// applies and removes the row filters itself.
//
// Supported: bit depth 8, colour types 0 (grey), 4 (grey+alpha), 2 (RGB) and
// 6 (RGBA), not interlaced. Refused with a reason: palette images, other bit
// depths, interlaced images, and every damaged file (no or repeated IHDR,
// IDAT before IHDR, chunks running past the end, image data that is damaged
// or does not inflate to exactly the picture's size, unknown row filters,
// sizes outside the central limit). Chunk CRCs are not checked; ancillary
// chunks (gAMA and friends) are skipped, not applied.
//
// Pixel blocks are in the engine's layout: bottom-up rows, 1-byte components.
// The writer emits the signature, IHDR, one IDAT (zlib level 9; Sub filter on
// the first row, Paeth on every later row) and IEND. Image data of 256 KiB or
// more is deflated in pieces on every core, a little larger than one zlib
// call would make it; smaller pictures get exactly the one-call bytes.
#pragma once

#include "image/CParallelDeflate.h"
#include "image/DecodedImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Decodes a PNG held in memory; on failure `error` says why.
DecodedImage decodePngImage(const std::uint8_t* bytes, std::size_t length);
// Reads and decodes a PNG file.
DecodedImage readPngFile(const char* path);

// Plain forms: a new pixel block, or null.
std::unique_ptr<std::uint8_t[]> decodePng(const std::uint8_t* bytes, std::size_t length);
std::unique_ptr<std::uint8_t[]> loadPng(const char* path);

// Header queries: read only the signature and IHDR. -1 when the file cannot
// be opened, is not a PNG, has no usable IHDR or an empty or oversized
// picture; the bits-per-pixel query also gives -1 for every format the
// reader refuses.
int queryPngWidth(const char* path);
int queryPngHeight(const char* path);
int queryPngBitsPerPixel(const char* path);

// Encodes a bottom-up block of 8, 16, 24 or 32 bits per pixel. Returns the
// whole file's bytes, or an empty vector (and a reason in `error`, if given).
std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                    const std::uint8_t* pixels, std::string* error);
// The same; large pictures are compressed in pieces on every core and
// `progress` hears of each finished piece (see CParallelDeflate).
std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                    const std::uint8_t* pixels, std::string* error,
                                    const CParallelDeflate::Progress& progress);
// Encodes and writes a file; nothing is created when encoding fails.
bool writePngFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                  const std::uint8_t* pixels, std::string* error);
void savePng(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
             const std::uint8_t* pixels);
