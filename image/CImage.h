// CImage: the engine's in-memory raster, a resource (type 1) that owns or
// borrows one block of pixels with its width, height, channel count and bits
// per pixel.
//
// Pixel layout, shared by every codec and user: components interleaved R, G,
// B, A (grey images one component, grey+alpha grey then alpha); component size
// bitsPerPixel / 8 / channels bytes (1 unsigned 8-bit, 2 unsigned 16-bit,
// 4 float 0..1); rows tightly packed and stored bottom-up (the first row in
// memory is the bottom row of the picture, as OpenGL expects).
//
// Operations report nothing: a missing block, an unsupported conversion or an
// empty rectangle leave the image unchanged. A block too large for the central
// size limit (image/ImageLimits.h) or for memory is not allocated; the image
// is then left empty (null data, all numbers 0).
#pragma once

#include "image/CResource.h"
#include "image/DecodedImage.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class CImage : public CResource {
public:
    CImage();
    CImage(const CImage& source);            // copies name, file and pixels; the copy owns its block
    CImage(CImage&& source) noexcept;        // takes the block (and its borrowed flag) over
    CImage& operator=(const CImage& source); // same as setPixels
    CImage& operator=(CImage&& source) noexcept;
    ~CImage() override;

    // Replaces the block by a zero-filled one of width x height pixels. Returns
    // false (and leaves the image empty) when the size is refused or memory
    // runs out. A zero width or height stores the numbers without a block.
    bool create(std::uint32_t width, std::uint32_t height, std::uint32_t channels, std::uint32_t bitsPerPixel);

    // Copies name, file and all pixel data of the source into this image.
    void setPixels(const CImage& source);

    // Copies the whole source to (destX, destY), measured from the top left.
    void blit(const CImage& source, std::uint32_t destX, std::uint32_t destY);

    // Copies a rectangle of the source. destX/destY: top-left corner of the
    // block in this image, from the top left of the picture. srcX: pixels from
    // the left of the source; srcY: rows from the bottom of the source (storage
    // order). The source is converted to this image's format first.
    void blitRect(const CImage& source, std::uint32_t destX, std::uint32_t destY, std::uint32_t srcX,
                  std::uint32_t srcY, std::uint32_t srcWidth, std::uint32_t srcHeight);

    // Converts to 1, 2, 3 or 4 channels keeping the component size.
    void convertChannels(std::uint32_t newChannels);

    // Converts every component to the size (newBitsPerPixel / 8) / channels:
    // 1 (8-bit), 2 (16-bit) or 4 (float).
    void convertDepth(std::uint32_t newBitsPerPixel);

    // Hands a decoder's block over to the image, which then owns it; channels
    // are bitsPerPixel / 8 (every codec delivers 1-byte components). An empty
    // result leaves the image unchanged and returns false.
    bool adopt(DecodedImage&& decoded);
    // Takes ownership of a block of width x height x bitsPerPixel / 8 bytes.
    void adoptPixels(std::unique_ptr<std::uint8_t[]> pixels, std::uint32_t width, std::uint32_t height,
                     std::uint32_t channels, std::uint32_t bitsPerPixel);
    // Points the image at a block owned elsewhere, never freed by the image.
    void borrowPixels(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height, std::uint32_t channels,
                      std::uint32_t bitsPerPixel);
    // Frees an owned block and forgets a borrowed one; the numbers stay
    // (a texture that discards its pixels after the upload keeps its size).
    void discardPixels();
    // Back to the empty state: no block, all numbers 0 (name and file stay).
    void clear();

    std::uint8_t* getData() { return data; }
    const std::uint8_t* getData() const { return data; }
    std::uint32_t getWidth() const { return width; }
    std::uint32_t getHeight() const { return height; }
    std::uint32_t getBitsPerPixel() const { return bitsPerPixel; }
    std::uint32_t getChannels() const { return channels; }
    bool isBorrowed() const { return borrowed != 0; }
    // Bytes of the block: width x height x bitsPerPixel / 8.
    std::size_t getDataSize() const;
    // width / height, 0 when height is 0.
    float getAspect() const;

protected:
    std::uint8_t borrowed = 0;     // 1: data belongs to someone else
    std::uint8_t* data = nullptr;  // the block, or null for an empty image
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;

private:
    void replaceBlock(std::unique_ptr<std::uint8_t[]> block);
    void copyFrom(const CImage& source);

    std::unique_ptr<std::uint8_t[]> owned;  // holds data while borrowed is 0
};
