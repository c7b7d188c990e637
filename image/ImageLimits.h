// The one limit on image size that every decoder checks against the file's
// header before it allocates anything, and that the packer's canvas search
// uses as its largest canvas.
#pragma once

#include <cstdint>
#include <string>

// Largest accepted width or height, and largest pixel count (16384 x 16384,
// 1 GiB as 8-bit RGBA).
constexpr std::uint32_t maxImageSide = 16384;
constexpr std::uint64_t maxImagePixels = std::uint64_t(maxImageSide) * maxImageSide;

// True when width x height is a picture we accept. Otherwise false, and when
// error is given it receives "<codec>: image size WxH is ..." for the user.
bool checkImageSize(std::uint32_t width, std::uint32_t height, const char* codec, std::string* error);
