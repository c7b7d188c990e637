// WebpCodec: libwebp's advanced decoding and encoding interfaces, with the
// rows flipped between libwebp's top-down order and the engine's bottom-up.
#include "image/WebpCodec.h"

#include "core/FileBytes.h"
#include "image/ImageLimits.h"

#include <webp/decode.h>
#include <webp/encode.h>

#include <cstring>
#include <limits>
#include <new>

namespace {

bool fail(std::string* error, std::string message)
{
    if (error != nullptr)
        *error = std::move(message);
    return false;
}

// RGBA rows top-down from a bottom-up block of 1 to 4 bytes per pixel.
std::vector<std::uint8_t> topDownRgba(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel,
                                      const std::uint8_t* pixels)
{
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4);
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint8_t* in = pixels + std::size_t(height - 1 - row) * width * bytesPerPixel;
        std::uint8_t* out = rgba.data() + std::size_t(row) * width * 4;
        for (std::uint32_t x = 0; x < width; ++x, in += bytesPerPixel, out += 4) {
            const bool grey = bytesPerPixel <= 2;
            out[0] = in[0];
            out[1] = grey ? in[0] : in[1];
            out[2] = grey ? in[0] : in[2];
            out[3] = bytesPerPixel == 2 ? in[1] : bytesPerPixel == 4 ? in[3] : 0xFF;
        }
    }
    return rgba;
}

int writeToVector(const std::uint8_t* data, std::size_t size, const WebPPicture* picture)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(picture->custom_ptr);
    try {
        out->insert(out->end(), data, data + size);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

const char* encodingProblem(WebPEncodingError code)
{
    switch (code) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY: return "out of memory";
    case VP8_ENC_ERROR_BAD_DIMENSION: return "the picture is too large for WebP";
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
    case VP8_ENC_ERROR_PARTITION_OVERFLOW: return "the picture is too large for a lossy WebP at this quality";
    case VP8_ENC_ERROR_FILE_TOO_BIG: return "the file would be larger than WebP allows (4 GiB)";
    default: return "encoding failed";
    }
}

}  // namespace

DecodedImage decodeWebpImage(const std::uint8_t* bytes, std::size_t length, std::uint64_t pixelLimit)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return DecodedImage::failure("WebP: the decoder library does not match its headers");
    if (bytes == nullptr || WebPGetFeatures(bytes, length, &config.input) != VP8_STATUS_OK)
        return DecodedImage::failure("WebP: not a WebP file, or its header is damaged");
    const WebPBitstreamFeatures& features = config.input;
    if (features.has_animation)
        return DecodedImage::failure("WebP: animations are not supported");
    std::string error;
    if (features.width <= 0 || features.height <= 0 ||
        !checkImageSize(std::uint32_t(features.width), std::uint32_t(features.height), "WebP", &error))
        return DecodedImage::failure(error.empty() ? "WebP: the picture has no pixels" : error);

    const std::uint32_t width = std::uint32_t(features.width), height = std::uint32_t(features.height);
    if (std::uint64_t(width) * height > pixelLimit)
        return DecodedImage::failure("WebP: image size " + std::to_string(width) + "x" + std::to_string(height) +
                                     " is larger than this reader accepts");
    const std::uint32_t bytesPerPixel = features.has_alpha ? 4 : 3;
    const std::size_t size = std::size_t(width) * height * bytesPerPixel;
    DecodedImage result;
    result.pixels.reset(new (std::nothrow) std::uint8_t[size]);
    if (!result.pixels)
        return DecodedImage::failure("WebP: out of memory");
    config.options.flip = 1;  // bottom-up, as the engine keeps rows
    config.output.colorspace = features.has_alpha ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = result.pixels.get();
    config.output.u.RGBA.stride = int(width * bytesPerPixel);
    config.output.u.RGBA.size = size;
    const VP8StatusCode status = WebPDecode(bytes, length, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return DecodedImage::failure(status == VP8_STATUS_OUT_OF_MEMORY ? "WebP: out of memory"
                                                                        : "WebP: the image data is damaged");
    result.width = width;
    result.height = height;
    result.bitsPerPixel = bytesPerPixel * 8;
    return result;
}

DecodedImage readWebpFile(const char* path)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readFileBytes(path, bytes, "WebP", &error))
        return DecodedImage::failure(error);
    return decodeWebpImage(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> encodeWebp(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                     const std::uint8_t* pixels, int quality, ImageCompression compression,
                                     std::string* error)
{
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        fail(error, "WebP: cannot write " + std::to_string(bitsPerPixel) + " bits per pixel");
        return {};
    }
    if (pixels == nullptr) {
        fail(error, "WebP: no pixels to write");
        return {};
    }
    if (width == 0 || height == 0 || width > maxWebpSide || height > maxWebpSide) {
        fail(error, "WebP: image size " + std::to_string(width) + "x" + std::to_string(height) +
                        " is not allowed (WebP pictures are 1 to " + std::to_string(maxWebpSide) +
                        " pixels wide and high)");
        return {};
    }
    if (quality < -1 || quality > 100) {
        fail(error, "WebP: quality " + std::to_string(quality) + " is not 0 to 100");
        return {};
    }

    const int effort = compression == ImageCompression::Fast ? 0 : compression == ImageCompression::Best ? 2 : 1;
    WebPConfig config;
    if (!WebPConfigInit(&config)) {
        fail(error, "WebP: the encoder library does not match its headers");
        return {};
    }
    if (quality < 0) {
        static constexpr int presets[3] = {1, 6, 9};
        WebPConfigLosslessPreset(&config, presets[effort]);
        config.exact = 1;  // keep the colour under fully transparent pixels
    } else {
        static constexpr int methods[3] = {2, 4, 6};
        config.quality = float(quality);
        config.method = methods[effort];
    }
    config.thread_level = 1;

    std::vector<std::uint8_t> out;
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) {
        fail(error, "WebP: the encoder library does not match its headers");
        return {};
    }
    picture.width = int(width);
    picture.height = int(height);
    picture.use_argb = quality < 0 ? 1 : 0;
    picture.writer = writeToVector;
    picture.custom_ptr = &out;
    bool ok = false;
    try {
        const std::vector<std::uint8_t> rgba = topDownRgba(width, height, bitsPerPixel / 8, pixels);
        ok = WebPPictureImportRGBA(&picture, rgba.data(), int(width * 4)) != 0;
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (!ok) {
        WebPPictureFree(&picture);
        fail(error, "WebP: out of memory");
        return {};
    }
    ok = WebPEncode(&config, &picture) != 0;
    const WebPEncodingError code = picture.error_code;
    WebPPictureFree(&picture);
    if (!ok) {
        fail(error, std::string("WebP: ") + encodingProblem(code));
        return {};
    }
    return out;
}
