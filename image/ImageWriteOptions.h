// ImageWriteOptions: how an image file is encoded, beyond its format.
//
// `compression` picks the PNG writer's effort (and the WebP encoder's, see
// WebpCodec.h): Default is the writer's long-standing output, byte for byte
// (zlib level 9, fixed row filters); Fast deflates with libdeflate level 6;
// Best reduces the pixel format losslessly (PngReduction.h), chooses a
// filter per row and deflates with libdeflate level 12. Every choice is
// lossless and read back to the same pixels.
#pragma once

enum class ImageCompression { Fast, Default, Best };

struct ImageWriteOptions {
    ImageCompression compression = ImageCompression::Default;
    // JPEG quality, 0 to 100.
    int jpegQuality = 100;
    // WebP: -1 for lossless, 0 to 100 for lossy at that quality.
    int webpQuality = -1;
};
