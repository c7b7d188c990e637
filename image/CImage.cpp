// CImage: block management, the clipped rectangle blit and the channel and
// depth conversions. Components of 2 and 4 bytes are read and written with
// memcpy, so blocks need no particular alignment.
#include "image/CImage.h"

#include "image/ImageLimits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace {

// Largest component size (float) times the largest channel count.
constexpr std::uint32_t maxBytesPerPixel = 16;

// Allocates a zero-filled block, or returns null when the picture is outside
// the central limit or memory runs out.
std::unique_ptr<std::uint8_t[]> allocateBlock(std::uint32_t width, std::uint32_t height, std::uint32_t bytesPerPixel)
{
    if (bytesPerPixel == 0 || bytesPerPixel > maxBytesPerPixel || !checkImageSize(width, height, "Image", nullptr))
        return nullptr;
    const std::size_t size = std::size_t(width) * height * bytesPerPixel;
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[size]());
    return block;
}

// Component size in bytes, or 0 when the format is not one of the three.
std::uint32_t componentSize(std::uint32_t bitsPerPixel, std::uint32_t channels)
{
    if (channels == 0)
        return 0;
    const std::uint32_t size = bitsPerPixel / 8 / channels;
    return (size == 1 || size == 2 || size == 4) ? size : 0;
}

// One component as a value of its own type, widened to double so that sums of
// three components stay exact for every type.
double readComponent(const std::uint8_t* at, std::uint32_t size)
{
    if (size == 1)
        return *at;
    if (size == 2) {
        std::uint16_t value;
        std::memcpy(&value, at, 2);
        return value;
    }
    float value;
    std::memcpy(&value, at, 4);
    return value;
}

void writeComponent(std::uint8_t* at, std::uint32_t size, double value)
{
    if (size == 1) {
        *at = static_cast<std::uint8_t>(value);
    } else if (size == 2) {
        const auto word = static_cast<std::uint16_t>(value);
        std::memcpy(at, &word, 2);
    } else {
        const auto real = static_cast<float>(value);
        std::memcpy(at, &real, 4);
    }
}

double maxComponent(std::uint32_t size)
{
    return size == 1 ? 255.0 : size == 2 ? 65535.0 : 1.0;
}

// Grey from red, green and blue: integer division truncating for 8- and
// 16-bit components, float division for float components.
double greyOf(double r, double g, double b, std::uint32_t size)
{
    if (size == 4)
        return static_cast<float>(static_cast<float>(r + g + b) / 3.0f);
    return std::floor((r + g + b) / 3.0);
}

// Float to an integer component, truncating toward zero. Values outside 0..1
// (and NaN) are clamped: casting them unclamped is undefined.
double floatToInteger(double value, double maximum)
{
    if (!(value > 0.0))
        return 0.0;
    if (value >= 1.0)
        return maximum;
    return std::trunc(static_cast<float>(value) * static_cast<float>(maximum));
}

double convertComponent(double value, std::uint32_t from, std::uint32_t to)
{
    if (from == 1 && to == 2)
        return value * 257.0;  // v / 255 x 65535, exactly
    if (from == 2 && to == 1)
        return std::floor(value / 257.0);  // v / 65535 x 255, truncated
    if (to == 4)
        return static_cast<float>(value) / static_cast<float>(maxComponent(from));
    return floatToInteger(value, maxComponent(to));
}

}  // namespace

CImage::CImage() : CResource(TypeImage) {}

CImage::CImage(const CImage& source) : CResource(source)
{
    type = TypeImage;
    copyFrom(source);
}

CImage::CImage(CImage&& source) noexcept
    : CResource(std::move(source)),
      borrowed(source.borrowed),
      data(source.data),
      width(source.width),
      height(source.height),
      channels(source.channels),
      bitsPerPixel(source.bitsPerPixel),
      owned(std::move(source.owned))
{
    source.borrowed = 0;
    source.data = nullptr;
    source.width = source.height = source.channels = source.bitsPerPixel = 0;
}

CImage& CImage::operator=(const CImage& source)
{
    setPixels(source);
    return *this;
}

CImage& CImage::operator=(CImage&& source) noexcept
{
    if (this == &source)
        return *this;
    name = std::move(source.name);
    file = std::move(source.file);
    owned = std::move(source.owned);
    borrowed = source.borrowed;
    data = source.data;
    width = source.width;
    height = source.height;
    channels = source.channels;
    bitsPerPixel = source.bitsPerPixel;
    source.borrowed = 0;
    source.data = nullptr;
    source.width = source.height = source.channels = source.bitsPerPixel = 0;
    return *this;
}

CImage::~CImage() = default;

void CImage::replaceBlock(std::unique_ptr<std::uint8_t[]> block)
{
    owned = std::move(block);
    data = owned.get();
    borrowed = 0;
}

void CImage::clear()
{
    replaceBlock(nullptr);
    width = height = channels = bitsPerPixel = 0;
}

void CImage::discardPixels()
{
    replaceBlock(nullptr);
}

bool CImage::create(std::uint32_t newWidth, std::uint32_t newHeight, std::uint32_t newChannels,
                    std::uint32_t newBitsPerPixel)
{
    clear();
    if (newWidth != 0 && newHeight != 0) {
        auto block = allocateBlock(newWidth, newHeight, newBitsPerPixel / 8);
        if (!block)
            return false;
        replaceBlock(std::move(block));
    }
    width = newWidth;
    height = newHeight;
    channels = newChannels;
    bitsPerPixel = newBitsPerPixel;
    return true;
}

void CImage::copyFrom(const CImage& source)
{
    std::unique_ptr<std::uint8_t[]> block;
    if (source.data != nullptr) {
        block = allocateBlock(source.width, source.height, source.bitsPerPixel / 8);
        if (!block) {
            clear();
            return;
        }
        std::memcpy(block.get(), source.data, source.getDataSize());
    }
    replaceBlock(std::move(block));
    width = source.width;
    height = source.height;
    channels = source.channels;
    bitsPerPixel = source.bitsPerPixel;
}

void CImage::setPixels(const CImage& source)
{
    if (this == &source)
        return;
    name = source.name;
    file = source.file;
    copyFrom(source);
}

bool CImage::adopt(DecodedImage&& decoded)
{
    if (!decoded)
        return false;
    const std::uint32_t bpp = decoded.bitsPerPixel;
    adoptPixels(std::move(decoded.pixels), decoded.width, decoded.height, bpp / 8, bpp);
    return true;
}

void CImage::adoptPixels(std::unique_ptr<std::uint8_t[]> pixels, std::uint32_t newWidth, std::uint32_t newHeight,
                         std::uint32_t newChannels, std::uint32_t newBitsPerPixel)
{
    replaceBlock(std::move(pixels));
    width = newWidth;
    height = newHeight;
    channels = newChannels;
    bitsPerPixel = newBitsPerPixel;
}

void CImage::borrowPixels(std::uint8_t* pixels, std::uint32_t newWidth, std::uint32_t newHeight,
                          std::uint32_t newChannels, std::uint32_t newBitsPerPixel)
{
    replaceBlock(nullptr);
    data = pixels;
    borrowed = 1;
    width = newWidth;
    height = newHeight;
    channels = newChannels;
    bitsPerPixel = newBitsPerPixel;
}

std::size_t CImage::getDataSize() const
{
    return std::size_t(width) * height * (bitsPerPixel / 8);
}

float CImage::getAspect() const
{
    if (height == 0)
        return 0.0f;
    return static_cast<float>(width) / static_cast<float>(height);
}

void CImage::blit(const CImage& source, std::uint32_t destX, std::uint32_t destY)
{
    blitRect(source, destX, destY, 0, 0, source.width, source.height);
}

void CImage::blitRect(const CImage& source, std::uint32_t destX, std::uint32_t destY, std::uint32_t srcX,
                      std::uint32_t srcY, std::uint32_t srcWidth, std::uint32_t srcHeight)
{
    if (data == nullptr || source.data == nullptr)
        return;

    // Bring the source to this image's format in a temporary copy.
    std::unique_ptr<CImage> converted;
    if (source.channels != channels) {
        converted = std::make_unique<CImage>(source);
        converted->convertChannels(channels);
    }
    if (source.bitsPerPixel != bitsPerPixel) {
        if (!converted)
            converted = std::make_unique<CImage>(source);
        converted->convertDepth(bitsPerPixel);
    }
    const CImage& from = converted ? *converted : source;
    // NOTE: a conversion that is not defined (or ran out of memory) leaves the
    // copy in another format; copying its bytes would scramble the picture.
    if (from.data == nullptr || from.channels != channels || from.bitsPerPixel != bitsPerPixel)
        return;

    // Byte span of each row, clipped to the source row and the destination row.
    const std::uint64_t bpp = from.bitsPerPixel / 8;
    const std::uint64_t srcRow = std::uint64_t(from.width) * bpp;
    const std::uint64_t dstRow = std::uint64_t(width) * (bitsPerPixel / 8);
    const std::uint64_t colStart = std::uint64_t(srcX) * bpp;
    const std::uint64_t dstStart = std::uint64_t(destX) * bpp;
    if (colStart >= srcRow || dstStart >= dstRow)
        return;
    std::uint64_t span = std::uint64_t(srcWidth) * bpp;
    span = std::min(span, srcRow - colStart);
    span = std::min(span, dstRow - dstStart);
    if (span == 0)
        return;

    // Row range, clipped to the source; the block hangs down from destY.
    if (srcY >= from.height)
        return;
    const std::uint64_t rows = std::min<std::uint64_t>(srcHeight, from.height - srcY);
    std::int64_t destRow = std::int64_t(height) - std::int64_t(destY) - std::int64_t(rows);
    for (std::uint64_t row = 0; row < rows; ++row, ++destRow) {
        if (destRow < 0 || destRow >= std::int64_t(height))
            break;
        const std::uint8_t* in = from.data + (srcY + row) * srcRow + colStart;
        std::uint8_t* out = data + std::uint64_t(destRow) * dstRow + dstStart;
        std::memcpy(out, in, span);
    }
}

void CImage::convertChannels(std::uint32_t newChannels)
{
    if (newChannels < 1 || newChannels > 4 || newChannels == channels || channels < 1 || channels > 4)
        return;
    const std::uint32_t size = componentSize(bitsPerPixel, channels);
    if (size == 0)
        return;
    if (data == nullptr) {
        // No pixels to convert: only the format changes.
        channels = newChannels;
        bitsPerPixel = newChannels * size * 8;
        return;
    }
    auto block = allocateBlock(width, height, newChannels * size);
    if (!block)
        return;

    const double maximum = maxComponent(size);
    const std::size_t pixels = std::size_t(width) * height;
    const std::uint32_t inStep = channels * size;
    const std::uint32_t outStep = newChannels * size;
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::uint8_t* in = data + i * inStep;
        std::uint8_t* out = block.get() + i * outStep;
        double grey;
        double alpha = maximum;
        if (channels <= 2) {
            grey = readComponent(in, size);
            if (channels == 2)
                alpha = readComponent(in + size, size);
        } else {
            grey = greyOf(readComponent(in, size), readComponent(in + size, size),
                          readComponent(in + 2 * size, size), size);
            if (channels == 4)
                alpha = readComponent(in + 3 * size, size);
        }
        switch (newChannels) {
        case 1:
            writeComponent(out, size, grey);
            break;
        case 2:
            writeComponent(out, size, grey);
            writeComponent(out + size, size, alpha);
            break;
        default:  // 3 or 4
            if (channels >= 3) {
                std::memcpy(out, in, 3 * size);
            } else {
                for (std::uint32_t c = 0; c < 3; ++c)
                    writeComponent(out + c * size, size, grey);
            }
            if (newChannels == 4)
                writeComponent(out + 3 * size, size, alpha);
            break;
        }
    }
    replaceBlock(std::move(block));
    channels = newChannels;
    bitsPerPixel = newChannels * size * 8;
}

void CImage::convertDepth(std::uint32_t newBitsPerPixel)
{
    if (newBitsPerPixel == bitsPerPixel)
        return;
    const std::uint32_t from = componentSize(bitsPerPixel, channels);
    const std::uint32_t to = componentSize(newBitsPerPixel, channels);
    if (from == 0 || to == 0 || from == to)
        return;
    if (data == nullptr) {
        bitsPerPixel = to * channels * 8;
        return;
    }
    auto block = allocateBlock(width, height, to * channels);
    if (!block)
        return;
    const std::size_t components = std::size_t(width) * height * channels;
    for (std::size_t i = 0; i < components; ++i)
        writeComponent(block.get() + i * to, to, convertComponent(readComponent(data + i * from, from), from, to));
    replaceBlock(std::move(block));
    bitsPerPixel = to * channels * 8;
}
