// CTexture: square power-of-two preparation and the hand-over to the
// renderer's upload (the GL calls themselves live in render/TextureUpload).
#include "resources/CTexture.h"

#include "render/TextureUpload.h"

#include <cstring>

namespace {

// Shrinks `source` to width x height the way the engine's resize filter does:
// each result pixel samples the source at the scaled position, smoothed with
// the 3 x 3 kernel 0.125 / 0.5 / 0.125 (edge neighbours) and clamped edges.
// Images whose components are not single bytes are sampled without the blur.
// FIXME: use the image library's resize filter once it has one.
void resizePicture(const CImage& source, std::uint32_t width, std::uint32_t height, CImage& result)
{
    if (!result.create(width, height, source.getChannels(), source.getBitsPerPixel()))
        return;
    const std::uint32_t pixelBytes = source.getBitsPerPixel() / 8;
    const std::uint32_t channels = source.getChannels();
    const bool byteComponents = channels != 0 && pixelBytes == channels;
    const std::uint32_t sourceWidth = source.getWidth();
    const std::uint32_t sourceHeight = source.getHeight();
    const float xRatio = static_cast<float>(sourceWidth) / static_cast<float>(width);
    const float yRatio = static_cast<float>(sourceHeight) / static_cast<float>(height);
    const std::uint8_t* in = source.getData();
    std::uint8_t* out = result.getData();
    auto at = [&](std::int64_t row, std::int64_t column) {
        row = row < 0 ? 0 : (row >= sourceHeight ? sourceHeight - 1 : row);
        column = column < 0 ? 0 : (column >= sourceWidth ? sourceWidth - 1 : column);
        return in + (std::size_t(row) * sourceWidth + std::size_t(column)) * pixelBytes;
    };
    static const int offsets[5][2] = {{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    static const float weights[5] = {0.5f, 0.125f, 0.125f, 0.125f, 0.125f};
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::int64_t row = static_cast<std::int64_t>(static_cast<float>(y) * yRatio);
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::int64_t column = static_cast<std::int64_t>(static_cast<float>(x) * xRatio);
            std::uint8_t* target = out + (std::size_t(y) * width + x) * pixelBytes;
            if (!byteComponents) {
                std::memcpy(target, at(row, column), pixelBytes);
                continue;
            }
            for (std::uint32_t c = 0; c < channels; ++c) {
                float sum = 0.0f;
                for (int k = 0; k < 5; ++k)
                    sum += weights[k] * at(row + offsets[k][1], column + offsets[k][0])[c];
                target[c] = static_cast<std::uint8_t>(sum < 0.0f ? 0.0f : (sum > 255.0f ? 255.0f : sum));
            }
        }
    }
}

bool isPowerOfTwo(std::uint32_t value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

// Smallest power of two that is at least `value` (value >= 1), as 64 bits so
// that sides above 2^31 do not wrap.
std::uint64_t powerOfTwoAtLeast(std::uint32_t value)
{
    std::uint64_t side = 1;
    while (side < value)
        side <<= 1;
    return side;
}

}

CTexture::CTexture() = default;

CTexture::~CTexture()
{
    if (textureId != 0)
        deleteTexture(textureId);
}

bool CTexture::prepareSquare(std::uint32_t maxTextureSize, CImage* square)
{
    const std::uint32_t width = getWidth();
    const std::uint32_t height = getHeight();
    scaleU = 1.0f;
    scaleV = 1.0f;
    if (width == 0 || height == 0) {
        textureSize = width > height ? width : height;
        return false;
    }

    // NOTE: whole powers of two are recognised with integer arithmetic; a
    // single-precision log2 can miss them by one ulp and double the texture.
    if (isPowerOfTwo(width) && width == height && width <= maxTextureSize) {
        textureSize = width;
        return false;
    }

    const std::uint64_t side = powerOfTwoAtLeast(width > height ? width : height);
    if (side <= maxTextureSize) {
        textureSize = static_cast<std::uint32_t>(side);
        if (square) {
            square->create(textureSize, textureSize, getChannels(), getBitsPerPixel());
            square->blit(*this, 0, 0);
        }
        return true;
    }

    // Shrink to the limit, keeping the aspect ratio; the wider side takes the
    // whole limit.
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    const float limit = static_cast<float>(maxTextureSize);
    std::uint32_t newWidth = maxTextureSize;
    std::uint32_t newHeight = maxTextureSize;
    if (height < width)
        newHeight = static_cast<std::uint32_t>(limit / aspect);
    else
        newWidth = static_cast<std::uint32_t>(aspect * limit);
    if (newWidth == 0)
        newWidth = 1;
    if (newHeight == 0)
        newHeight = 1;
    scaleU = static_cast<float>(newWidth) / static_cast<float>(width);
    scaleV = static_cast<float>(newHeight) / static_cast<float>(height);
    textureSize = maxTextureSize;
    if (square) {
        CImage shrunk;
        resizePicture(*this, newWidth, newHeight, shrunk);
        square->create(maxTextureSize, maxTextureSize, getChannels(), getBitsPerPixel());
        square->blit(shrunk, 0, 0);
    }
    return true;
}

void CTexture::upload(std::uint32_t maxTextureSize, bool linearFilter, bool mipmaps, bool compressTextures,
                      bool discardPixels)
{
    if (!getData())
        return;
    if (!isRendererInitialised()) {
        // Headless: the sizes are what frames need; keep the pixels.
        prepareSquare(maxTextureSize, nullptr);
        return;
    }
    CImage square;
    const bool padded = prepareSquare(maxTextureSize, &square);
    uploadSquareTexture(padded ? square : *this, textureId, linearFilter, mipmaps, compressTextures);
    if (discardPixels)
        CImage::discardPixels();
}
