// DecodedImage: what a decoder hands back. On success `pixels` holds the
// picture in the engine's layout (components R, G, B, A interleaved, 1 byte
// each, rows tightly packed and stored bottom-up); on failure it is null and
// `error` says why, prefixed by the codec ("PNG: bit depth 16 is not
// supported").
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct DecodedImage {
    std::unique_ptr<std::uint8_t[]> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::string error;

    explicit operator bool() const { return pixels != nullptr; }

    static DecodedImage failure(std::string message)
    {
        DecodedImage result;
        result.error = std::move(message);
        return result;
    }
};
