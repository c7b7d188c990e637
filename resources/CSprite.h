// CSprite: a named list of frames, each a pixel rectangle of one texture with
// a display delay and its texture coordinates.
//
// Sprites come from the resource list (CResourceManager::loadList); GUI
// elements and drawables show them through `shape`, and the atlas unpacker
// walks their frames to cut an atlas apart.
#pragma once

#include "core/String.h"
#include "image/CResource.h"

#include <cstdint>
#include <vector>

class CShape;
class CTexture;

// One frame. x, y, w, h are pixels of the texture's picture (x from the left,
// y from the top), already multiplied by the texture's scale factors; u, v is
// the lower-left corner in texture coordinates and du, dv its extent.
struct SpriteFrame {
    String name;
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    std::int32_t delay = 0;
    float u = 0.0f;
    float v = 0.0f;
    float du = 0.0f;
    float dv = 0.0f;
    CTexture* texture = nullptr; // borrowed; the resource manager keeps it alive
    // Why the rectangle the resource list gave was refused, or null. A
    // refused frame keeps its place, name and delay with an empty rectangle,
    // so the frames after it keep their indices.
    const char* refusal = nullptr;

    // Stores the rectangle and delay; with a texture, scales the rectangle by
    // its scaleU/scaleV and works out u, v, du, dv against its square.
    void initFrame(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h, std::int32_t delay,
                   CTexture* texture);

    // Checks a rectangle read from outside data: no coordinate or size may be
    // negative, and its right and bottom edges (x + w, y + h) must stay
    // below 2^31. Null when it is usable, else the reason.
    static const char* checkRect(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h);
};

class CSprite : public CResource {
public:
    CSprite();
    CSprite(const CSprite& other);
    CSprite& operator=(const CSprite& other);
    ~CSprite() override;

    // Appends a copy of the frame (capacity doubles when full, minimum 2).
    void addFrame(const SpriteFrame& frame);
    SpriteFrame* getFrame(std::uint32_t index);
    const SpriteFrame* getFrame(std::uint32_t index) const;
    SpriteFrame* findFrame(const String& name);
    std::uint32_t getFrameCount() const { return static_cast<std::uint32_t>(frames.size()); }

    void setFps(std::int32_t value) { fps = value; }
    std::int32_t getFps() const { return fps; }
    // 1000 / fps milliseconds, 0 without a frame rate.
    std::int32_t getDefaultDelay() const;

    // Shows frame `index` on the bound shape (texture matrix and texture),
    // then remembers it as the current frame. Invalid indices do nothing.
    void setFrame(std::uint32_t index);
    std::uint32_t getCurrentFrame() const { return currentFrame; }

    void setShape(CShape* value) { shape = value; }
    CShape* getShape() const { return shape; }

private:
    std::vector<SpriteFrame> frames;
    CShape* shape = nullptr; // not owned
    std::int32_t fps = 0;
    std::uint32_t currentFrame = 0;
};
