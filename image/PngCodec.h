// PngCodec: the engine's own PNG reader and writer. It walks the chunk
// structure itself, uses zlib only to inflate and deflate the image data and
// applies and removes the row filters itself.
//
// Reads every standard format: grey at 1 to 16 bits, RGB, grey + alpha and
// RGBA at 8 or 16 bits, palette images, tRNS transparency and Adam7
// interlacing (how each lands in the engine's layout: PngPixelFormats.h).
// Plain 8-bit grey, grey + alpha, RGB and RGBA rows take a fast path.
// Refused with a reason: invalid depth and colour type pairs, unknown
// compression, filter or interlace methods, palette images without a usable
// PLTE, and every damaged file (no or repeated IHDR, IDAT before IHDR, chunks
// running past the end, image data that is damaged or does not inflate to
// exactly the picture's size, unknown row filters, sizes outside the central
// limit). Chunk CRCs are not checked; ancillary chunks (gAMA and friends) are
// skipped, not applied. The header queries report the picture a load returns.
//
// Pixel blocks are in the engine's layout: bottom-up rows, 1-byte components.
// The writer emits the signature, IHDR, one IDAT (zlib level 9; Sub filter on
// the first row, Paeth on every later row) and IEND. Image data of 256 KiB or
// more is deflated in pieces on every core, a little larger than one zlib
// call would make it; smaller pictures get exactly the one-call bytes. The
// Fast and Best compressions (ImageWriteOptions.h) deflate with libdeflate in
// the same pieces; Best also writes palette, grey, grey + alpha and RGB files
// at bit depths from 1 to 8 with a PLTE and tRNS as needed.
#pragma once

#include "image/CParallelDeflate.h"
#include "image/DecodedImage.h"
#include "image/ImageWriteOptions.h"

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

// Header queries: read only the chunks before the image data. -1 when the
// file cannot be opened, is not a PNG, has no usable IHDR or an empty or
// oversized picture; the bits-per-pixel query gives the decoded picture's
// (a palette image with tRNS alpha: 32) and -1 for every format the reader
// refuses.
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
// The same at the given compression.
std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                    const std::uint8_t* pixels, ImageCompression compression, std::string* error,
                                    const CParallelDeflate::Progress& progress = {});
// Encodes and writes a file; nothing is created when encoding fails.
bool writePngFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                  const std::uint8_t* pixels, std::string* error);
void savePng(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
             const std::uint8_t* pixels);
