// JPEG codec over the libjpeg 6b interface. Reads baseline and progressive
// files with grey, YCbCr or RGB colour (delivered as 8-bit grey or 24-bit RGB,
// rows bottom-up) and writes 8-bit grey or 24-bit RGB pictures with float
// DCT, baseline-compatible quantisation tables and optimised Huffman tables.
// CMYK and YCCK files are refused; so are 32-bit pictures on writing.
// Library errors never end the process: a corrupt file is refused with the
// library's message, and warnings (such as a truncated file, whose missing
// part the library fills with grey) are ignored.
#pragma once

#include "image/DecodedImage.h"
#include "image/ImageLimits.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// Decodes a whole JPEG file held in memory. Pictures with more than
// pixelLimit pixels are refused before anything is allocated (the fuzzer uses
// a smaller limit than the engine's).
DecodedImage decodeJpegImage(const std::uint8_t* bytes, std::size_t length,
                             std::uint64_t pixelLimit = maxImagePixels);
// Reads and decodes the file at path.
DecodedImage readJpegFile(const char* path);
// Returns the picture's pixel block (the caller owns it) or null.
std::unique_ptr<std::uint8_t[]> loadJpeg(const char* path);
// Width, height and bits per pixel (8 grey, 24 colour) from the file's header,
// or -1 when the file cannot be opened, is no JPEG or would be refused.
int queryJpegWidth(const char* path);
int queryJpegHeight(const char* path);
int queryJpegBitsPerPixel(const char* path);
// Writes pixels (engine layout: grey or RGB, rows bottom-up) as a JPEG file
// with quality 0..100. bitsPerPixel must be 8 or 24. The pixels are never
// modified.
bool writeJpegFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                   const std::uint8_t* pixels, int quality, std::string* error);
// The same, written to an open stream (the caller's file or a CSafeWriter's);
// nothing is written when the arguments are refused.
bool writeJpegStream(std::FILE* file, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                     const std::uint8_t* pixels, int quality, std::string* error);
void saveJpeg(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
              const std::uint8_t* pixels, int quality);
