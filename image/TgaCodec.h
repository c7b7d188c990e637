// TGA codec: reads and writes Truevision targa files. Reads grey (8-bit),
// true-colour (24- and 32-bit) and colour-mapped (8-bit indices into a 24- or
// 32-bit map, delivered as RGB or RGBA) pictures, uncompressed or run-length
// encoded, in any of the four row/column orders. Writes uncompressed grey,
// 24- and 32-bit files, bottom-up. 15- and 16-bit pixels or map entries and
// 16-bit indices are refused.
#pragma once

#include "image/DecodedImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// Decodes a whole TGA file held in memory. The error names the reason.
DecodedImage decodeTgaImage(const std::uint8_t* bytes, std::size_t length);
// Reads and decodes the file at path.
DecodedImage readTgaFile(const char* path);
// Returns the picture's pixel block (the caller owns it) or null.
std::unique_ptr<std::uint8_t[]> loadTga(const char* path);
// Width, height and bits per pixel of the picture that loadTga delivers, or -1
// when the file cannot be opened or would be refused.
int queryTgaWidth(const char* path);
int queryTgaHeight(const char* path);
int queryTgaBitsPerPixel(const char* path);
// Writes pixels (engine layout: RGB(A) or grey, rows bottom-up) as an
// uncompressed TGA file. bitsPerPixel must be 8, 24 or 32. The pixels are never
// modified.
bool writeTgaFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                  const std::uint8_t* pixels, std::string* error);
// The same, written to an open stream (the caller's file or a CSafeWriter's);
// nothing is written when the arguments are refused.
bool writeTgaStream(std::FILE* file, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                    const std::uint8_t* pixels, std::string* error);
void saveTga(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
             const std::uint8_t* pixels);
