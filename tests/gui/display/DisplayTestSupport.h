// Support shared by the GUI display tests: a platform with silent message
// boxes, an application that stops after one turn of its main loop, SDL
// event pushing, the engine's camera and pixel read-back from the frame
// buffer.
#pragma once

#include "core/CMatrix.h"
#include "core/CVector.h"
#include "framework/CAppGL.h"
#include "framework/CSdlPlatform.h"
#include "image/CImage.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

namespace display_test {

struct Colour {
    int r, g, b;
};

class QuietPlatform : public CSdlPlatform {
public:
    QuietPlatform() { setPlatform(this); }
    ~QuietPlatform() override { setPlatform(nullptr); }
    void messageBox(const char*, const char*) override {}
};

// One turn of the main loop per run(): pump the queue, tick, one frame.
class OneTurnApp : public CAppGL {
public:
    void draw() override { stop(); }
    int main(int, char**) override { return 0; }
};

// Opens the app's window with the suites' pixel format and takes whatever
// SDL queued on its own; false when there is no window.
inline bool openOneTurnWindow(OneTurnApp& app, int width, int height)
{
    if (!app.createGLWindow(width, height, false, false, false, 32, 24, 8, 0))
        return false;
    app.setFrameTime(0);
    app.run();
    return true;
}

// "tiles": a 128 x 128 texture cut into 64 frames of 16 x 16, eight to a
// row; frame k is one flat colour, colourOf(k).
template <typename ColourOf>
void addTileSprite(CResourceManager& resources, ColourOf colourOf)
{
    constexpr std::uint32_t cell = 16;
    auto texture = std::make_unique<CTexture>();
    texture->create(128, 128, 4, 32);
    for (std::uint32_t y = 0; y < 128; ++y) {
        for (std::uint32_t x = 0; x < 128; ++x) {
            const Colour c = colourOf((y / cell) * 8 + x / cell);
            std::uint8_t* pixel = texture->getData() + ((127 - y) * 128 + x) * 4;
            pixel[0] = std::uint8_t(c.r);
            pixel[1] = std::uint8_t(c.g);
            pixel[2] = std::uint8_t(c.b);
            pixel[3] = 255;
        }
    }
    texture->upload(0xFFFFFFFFu, false, false, false, false);
    auto sprite = std::make_unique<CSprite>();
    sprite->setName("tiles");
    for (std::uint32_t k = 0; k < 64; ++k) {
        SpriteFrame frame;
        frame.initFrame((k % 8) * cell, (k / 8) * cell, cell, cell, 0, texture.get());
        sprite->addFrame(frame);
    }
    resources.add(std::move(texture));
    resources.add(std::move(sprite));
}

inline Uint32 windowId(CAppGL& app)
{
    return SDL_GetWindowID(static_cast<SDL_Window*>(app.getWindow()));
}

// A mouse motion, wheel or left button event for the app's window.
inline void pushMouse(CAppGL& app, Uint32 type, int x, int y, Uint8 clicks = 1)
{
    SDL_Event event{};
    event.type = type;
    const Uint32 id = windowId(app);
    if (type == SDL_MOUSEMOTION) {
        event.motion.windowID = id;
        event.motion.x = x;
        event.motion.y = y;
    } else if (type == SDL_MOUSEWHEEL) {
        event.wheel.windowID = id;
        event.wheel.y = y;
    } else {
        event.button.windowID = id;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

// The engine's camera over a width x height window: origin top left, y down.
inline void useEngineCamera(int width, int height)
{
    setViewport(0, 0, width, height);
    const CMatrix projection = CMatrix::orthographic(0, width, height, 0, 0, 1000);
    loadProjection(&projection);
    CMatrix camera(4, 4);
    camera.setTranslation(CVector(float(width), float(height), 0.0f));
    const CMatrix identity(4, 4);
    loadModelView(&identity);
    multiplyMatrix(camera.inverse());
}

// The colour at GUI coordinates (origin top left) of a window `height`
// pixels high; -1 in every component when it cannot be read.
inline Colour pixelAt(int x, int y, int height)
{
    CImage pixel;
    if (!readFramebuffer(x, height - 1 - y, 1, 1, 4, pixel))
        return {-1, -1, -1};
    const std::uint8_t* rgba = pixel.getData();
    return {rgba[0], rgba[1], rgba[2]};
}

inline void expectColourNear(Colour got, int x, int y, Colour want, const char* what, int tolerance)
{
    EXPECT_NEAR(got.r, want.r, tolerance) << what << " at " << x << "," << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << what << " at " << x << "," << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << what << " at " << x << "," << y;
}

} // namespace display_test
