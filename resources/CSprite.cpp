// CSprite: frame list, frame lookup and frame selection.
#include "resources/CSprite.h"

#include "render/CShape.h"
#include "resources/CTexture.h"

namespace {

// value * scale in single precision, truncated, kept within what the frame
// fields can hold (a float beyond that range must not be converted). An
// unscaled texture keeps the value exact: a float holds only 24 bits.
std::uint32_t scaled(std::uint32_t value, float scale)
{
    if (scale == 1.0f)
        return value;
    const float product = static_cast<float>(value) * scale;
    if (!(product > 0.0f))
        return 0;
    if (product >= 4294967296.0f)
        return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(product);
}

}

const char* SpriteFrame::checkRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h)
{
    if (x < 0 || y < 0 || w < 0 || h < 0)
        return "a coordinate or size is negative";
    constexpr std::int64_t limit = std::int64_t(1) << 31;
    if (x + w >= limit || y + h >= limit)
        return "its rectangle reaches beyond 2^31 pixels";
    return nullptr;
}

void SpriteFrame::initFrame(std::uint32_t newX, std::uint32_t newY, std::uint32_t newW, std::uint32_t newH,
                            std::int32_t newDelay, CTexture* newTexture)
{
    x = newX;
    y = newY;
    w = newW;
    h = newH;
    delay = newDelay;
    texture = newTexture;
    if (!texture)
        return;
    x = scaled(x, texture->getScaleU());
    w = scaled(w, texture->getScaleU());
    y = scaled(y, texture->getScaleV());
    h = scaled(h, texture->getScaleV());
    const std::uint32_t size = texture->getTextureSize();
    if (size == 0)
        return;
    const float side = static_cast<float>(size);
    u = static_cast<float>(x) / side;
    // The picture sits at the top of the square and rows are stored
    // bottom-up, so v counts from the square's bottom edge.
    v = (side - static_cast<float>(h) - static_cast<float>(y)) / side;
    du = static_cast<float>(w) / side;
    dv = static_cast<float>(h) / side;
}

CSprite::CSprite()
    : CResource(TypeSprite)
{
}

CSprite::CSprite(const CSprite& other) = default;
CSprite& CSprite::operator=(const CSprite& other) = default;
CSprite::~CSprite() = default;

void CSprite::addFrame(const SpriteFrame& frame)
{
    if (frames.size() == frames.capacity())
        frames.reserve(frames.capacity() < 2 ? 2 : frames.capacity() * 2);
    frames.push_back(frame);
}

SpriteFrame* CSprite::getFrame(std::uint32_t index)
{
    return index < frames.size() ? &frames[index] : nullptr;
}

const SpriteFrame* CSprite::getFrame(std::uint32_t index) const
{
    return index < frames.size() ? &frames[index] : nullptr;
}

SpriteFrame* CSprite::findFrame(const String& name)
{
    for (SpriteFrame& frame : frames) {
        if (frame.name == name)
            return &frame;
    }
    return nullptr;
}

std::int32_t CSprite::getDefaultDelay() const
{
    return fps == 0 ? 0 : 1000 / fps;
}

void CSprite::setFrame(std::uint32_t index)
{
    if (index >= frames.size())
        return;
    const SpriteFrame& frame = frames[index];
    if (shape && frame.texture) {
        CMaterial& material = shape->getMaterial();
        CMatrix& matrix = material.textureMatrix;
        const std::uint32_t count = matrix.elementCount();
        if (count > 0)
            matrix.setElement(0, frame.du);
        if (count > 5)
            matrix.setElement(5, frame.dv);
        if (count > 12)
            matrix.setElement(12, frame.u);
        if (count > 13)
            matrix.setElement(13, frame.v);
        if (!material.textures.empty())
            material.textures[0] = frame.texture->getTextureId();
    }
    currentFrame = index;
}
