// CTexture: square power-of-two preparation and the hand-over to the
// renderer's upload (the GL calls themselves live in render/TextureUpload).
#include "resources/CTexture.h"

#include "image/CFilterResize.h"
#include "render/TextureUpload.h"

namespace {

// The picture shrunk with the image library's resize filter. The filter reads
// 1-byte components only (what every codec delivers); a picture of wider
// components is shrunk as an 8-bit copy, which the blit into the square
// widens again.
CImage shrinkPicture(const CImage& picture, std::uint32_t width, std::uint32_t height)
{
    const CFilterResize filter;
    const std::uint32_t byteDepth = picture.getChannels() * 8;
    if (picture.getBitsPerPixel() == byteDepth)
        return filter.resize(picture, width, height);
    CImage bytes(picture);
    bytes.convertDepth(byteDepth);
    return filter.resize(bytes, width, height);
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
        square->create(maxTextureSize, maxTextureSize, getChannels(), getBitsPerPixel());
        square->blit(shrinkPicture(*this, newWidth, newHeight), 0, 0);
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
    // Only a block the texture owns is dropped: a borrowed one belongs to
    // someone who still shows or saves it.
    if (discardPixels && !isBorrowed())
        CImage::discardPixels();
}
