// WebpCodec: WebP files through libwebp, for atlases that web and game
// engines load directly.
//
// Reads still WebP files, lossy or lossless: a picture with alpha as 32-bit
// RGBA, one without as 24-bit RGB, rows bottom-up. Refused with a reason:
// files libwebp cannot parse, animations, and pictures outside the central
// size limit (checked on the header before anything is allocated).
//
// Writes 8-, 16-, 24- and 32-bit pictures (grey is written as colour).
// Lossless by default, keeping the colour of fully transparent pixels so the
// file reads back exactly; or lossy at a quality of 0 to 100. The compression
// choice sets the encoder's effort (lossless: presets 1, 6 and 9; lossy:
// methods 2, 4 and 6 for fast, default and best). WebP pictures are at most
// 16383 pixels wide and high; larger ones are refused.
#pragma once

#include "image/DecodedImage.h"
#include "image/ImageLimits.h"
#include "image/ImageWriteOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::uint32_t maxWebpSide = 16383;

// Decodes a WebP held in memory; on failure `error` says why. Pictures with
// more than pixelLimit pixels are refused before anything is allocated (the
// fuzzer uses a smaller limit than the engine's).
DecodedImage decodeWebpImage(const std::uint8_t* bytes, std::size_t length,
                             std::uint64_t pixelLimit = maxImagePixels);
// Reads and decodes a WebP file.
DecodedImage readWebpFile(const char* path);

// Encodes a bottom-up block; `quality` -1 for lossless, else 0 to 100.
// Returns the file's bytes, or an empty vector and a reason in `error`.
std::vector<std::uint8_t> encodeWebp(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                     const std::uint8_t* pixels, int quality, ImageCompression compression,
                                     std::string* error);
