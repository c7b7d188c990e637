// BMP codec: reads and writes uncompressed Windows bitmaps with 8, 24 or 32
// bits per pixel. 8-bit files are read through their palette: a grey palette
// gives an 8-bit grey picture, a coloured one a 24-bit RGB picture. Files are
// written with the 40-byte info header, rows bottom-up and padded to 4 bytes;
// 8-bit pictures get a grey palette. Compressed files (RLE, bit fields), 1-,
// 4- and 16-bit files and the old 12-byte core header are refused.
#pragma once

#include "image/DecodedImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// Decodes a whole BMP file held in memory. The error names the reason.
DecodedImage decodeBmpImage(const std::uint8_t* bytes, std::size_t length);
// Reads and decodes the file at path.
DecodedImage readBmpFile(const char* path);
// Returns the picture's pixel block (the caller owns it) or null.
std::unique_ptr<std::uint8_t[]> loadBmp(const char* path);
// Width, height and bits per pixel of the picture that loadBmp delivers, or -1
// when the file cannot be opened or would be refused.
int queryBmpWidth(const char* path);
int queryBmpHeight(const char* path);
int queryBmpBitsPerPixel(const char* path);
// Writes pixels (engine layout: RGB(A) or grey, rows bottom-up) as a BMP file.
// bitsPerPixel must be 8, 24 or 32. The pixels are never modified.
bool writeBmpFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                  const std::uint8_t* pixels, std::string* error);
// The same, written to an open stream (the caller's file or a CSafeWriter's);
// nothing is written when the arguments are refused.
bool writeBmpStream(std::FILE* file, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                    const std::uint8_t* pixels, std::string* error);
void saveBmp(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
             const std::uint8_t* pixels);
