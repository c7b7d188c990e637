// CTexture: an image prepared for, and uploaded to, the renderer as a square
// power-of-two texture.
//
// The picture is padded into the smallest power-of-two square that holds it,
// top-left aligned; above the size limit it is first shrunk with the resize
// filter, and scaleU/scaleV remember by how much so that pixel rectangles
// given against the picture as loaded still map to the right texels.
//
// Without an initialised renderer (the command line, unit tests) `upload`
// works out the square's size and scale factors but makes no GL call, and the
// texture keeps its pixels whatever the options say: the pixels are the only
// copy of the picture there is.
#pragma once

#include "image/CImage.h"

#include <cstdint>

class CTexture : public CImage {
public:
    CTexture();
    ~CTexture() override;

    CTexture(const CTexture&) = delete;
    CTexture& operator=(const CTexture&) = delete;

    // Prepares the square and uploads it with the resource manager's five
    // options; maxTextureSize is unsigned, so 0xFFFFFFFF means no limit.
    // Does nothing for a texture without pixels.
    void upload(std::uint32_t maxTextureSize, bool linearFilter, bool mipmaps, bool compressTextures,
                bool discardPixels);

    // Works out the uploaded square for the current picture: sets
    // textureSize, scaleU and scaleV. Returns true when the picture must be
    // padded (or shrunk) into a new square, which is then built into
    // `square` when it is not null; false when the picture goes up as it is.
    bool prepareSquare(std::uint32_t maxTextureSize, CImage* square);

    std::uint32_t getTextureId() const { return textureId; }
    std::uint32_t getTextureSize() const { return textureSize; }
    float getScaleU() const { return scaleU; }
    float getScaleV() const { return scaleV; }

private:
    std::uint32_t textureId = 0;
    std::uint32_t textureSize = 0;
    float scaleU = 1.0f;
    float scaleV = 1.0f;
};
