// GUI elements on a real display: SDL events pushed into the queue travel
// through the main loop, mouseInput and the manager to the elements, and the
// frames the elements then draw are read back from the frame buffer.
#include "framework/CAppGL.h"
#include "framework/CSdlPlatform.h"
#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CGUIManager.h"
#include "gui/CProgress.h"
#include "gui/CScroll.h"
#include "image/CImage.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "xml/CXMLDocument.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

constexpr int windowWidth = 800;
constexpr int windowHeight = 600;
constexpr std::uint32_t cell = 16;  // every frame is 16 x 16

struct Colour {
    int r, g, b;
};

// Frame k of the test sprite is one flat colour, all different.
Colour frameColour(std::uint32_t k)
{
    return {int((k * 67 + 30) % 256), int((k * 131 + 90) % 256), int((k * 29 + 200) % 256)};
}

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

// The window, the renderer and a resource manager holding "tiles": a 128 x
// 128 texture cut into 64 frames of 16 x 16, eight to a row.
class GuiDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform = new QuietPlatform();
        CAppGL::setContextReadyHandler(initialiseRenderer);
        CAppGL::setContextClosingHandler(shutdownRenderer);
        app = new OneTurnApp();
        if (!app->createGLWindow(windowWidth, windowHeight, false, false, false, 32, 24, 8, 0))
            return;
        app->setFrameTime(0);
        app->run();  // takes whatever SDL queued on its own
        resources = new CResourceManager();
        auto texture = std::make_unique<CTexture>();
        texture->create(128, 128, 4, 32);
        for (std::uint32_t y = 0; y < 128; ++y) {
            for (std::uint32_t x = 0; x < 128; ++x) {
                const Colour c = frameColour((y / cell) * 8 + x / cell);
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
        resources->add(std::move(texture));
        resources->add(std::move(sprite));
    }

    static void TearDownTestSuite()
    {
        delete resources;
        delete app;  // closes the context and shuts the renderer down
        delete platform;
        CAppGL::setContextReadyHandler(nullptr);
        CAppGL::setContextClosingHandler(nullptr);
        resources = nullptr;
        app = nullptr;
        platform = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(isRendererInitialised()) << "no GL context (run under xvfb-run)"; }

    void load(const char* text)
    {
        CXMLDocument document;
        ASSERT_TRUE(document.parse(text));
        manager.loadNode(document, resources);
    }

    void push(Uint32 type, int x, int y, Uint8 clicks = 1)
    {
        SDL_Event event{};
        event.type = type;
        const Uint32 id = SDL_GetWindowID(static_cast<SDL_Window*>(app->getWindow()));
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

    // Runs one loop turn for the queued events, then draws the manager in
    // the engine's camera (origin top left) and leaves the frame unswapped.
    void turnAndDraw()
    {
        app->run();
        setViewport(0, 0, windowWidth, windowHeight);
        const CMatrix projection = CMatrix::orthographic(0, windowWidth, windowHeight, 0, 0, 1000);
        loadProjection(&projection);
        CMatrix camera(4, 4);
        camera.setTranslation(CVector(float(windowWidth), float(windowHeight), 0.0f));
        const CMatrix identity(4, 4);
        loadModelView(&identity);
        multiplyMatrix(camera.inverse());
        clear(0, 0, 0, 1);
        manager.draw();
    }

    static Colour pixelAt(int x, int y)
    {
        CImage pixel;
        if (!readFramebuffer(x, windowHeight - 1 - y, 1, 1, 4, pixel))
            return {-1, -1, -1};
        const std::uint8_t* rgba = pixel.getData();
        return {rgba[0], rgba[1], rgba[2]};
    }

    static void expectColour(int x, int y, Colour want, const char* what)
    {
        const Colour got = pixelAt(x, y);
        EXPECT_NEAR(got.r, want.r, 2) << what << " at " << x << "," << y;
        EXPECT_NEAR(got.g, want.g, 2) << what << " at " << x << "," << y;
        EXPECT_NEAR(got.b, want.b, 2) << what << " at " << x << "," << y;
    }

    static void expectFrame(int x, int y, std::uint32_t frame, const char* what)
    {
        expectColour(x, y, frameColour(frame), what);
    }

    static inline QuietPlatform* platform = nullptr;
    static inline OneTurnApp* app = nullptr;
    static inline CResourceManager* resources = nullptr;
    CGUIManager manager;
};

const Colour black{0, 0, 0};

} // namespace

TEST_F(GuiDisplay, ElementDrawsItsSpriteFrameAtItsPosition)
{
    load(R"(<gui>
      <gui name="plain" sprite="tiles" frame="5" x="100" y="50" w="32" h="32"/>
      <gui name="centred" sprite="tiles" frame="9" x="300" y="300" w="40" h="20" align="4"/>
      <gui name="child" sprite="tiles" frame="12" parent="plain" x="100" y="0" w="10" h="10"/>
      <gui name="hidden" sprite="tiles" frame="13" x="500" y="50" w="10" h="10" visible="0"/>
      <gui name="earlier" sprite="tiles" frame="14" x="600" y="400" w="20" h="20"/>
      <gui name="later" sprite="tiles" frame="15" x="610" y="410" w="20" h="20"/>
    </gui>)");
    turnAndDraw();
    expectFrame(101, 51, 5, "plain, top left");
    expectFrame(130, 80, 5, "plain, bottom right");
    expectColour(99, 60, black, "left of plain");
    expectColour(110, 83, black, "below plain");
    expectFrame(281, 291, 9, "centred element around its position");
    expectColour(278, 300, black, "left of centred");
    expectFrame(205, 55, 12, "child at its parent's position plus its own");
    expectColour(505, 55, black, "hidden");
    expectFrame(615, 415, 14, "the earlier element over the later one");
    expectFrame(625, 425, 15, "the later element where it is alone");
}

TEST_F(GuiDisplay, ButtonShowsHoverAndDownFramesAsThePointerMovesAndPresses)
{
    load(R"(<gui><button name="b" sprite="tiles" frame="16" x="200" y="100" w="64" h="32"/></gui>)");
    struct Clicks {
        void clicked() { ++count; }
        int count = 0;
        CSlotList slots;
    } clicks;
    connectSlot(clicks.slots, manager.find("b")->onClick, &clicks, &Clicks::clicked);

    push(SDL_MOUSEMOTION, 10, 10);
    turnAndDraw();
    expectFrame(232, 116, 16, "enable");
    push(SDL_MOUSEMOTION, 230, 110);
    turnAndDraw();
    expectFrame(232, 116, 17, "hover");
    push(SDL_MOUSEBUTTONDOWN, 230, 110);
    turnAndDraw();
    expectFrame(232, 116, 18, "down");
    push(SDL_MOUSEBUTTONUP, 230, 110);
    turnAndDraw();
    expectFrame(232, 116, 17, "hover after the click");
    EXPECT_EQ(clicks.count, 1);
    push(SDL_MOUSEMOTION, 400, 400);
    turnAndDraw();
    expectFrame(232, 116, 16, "enable after leaving");
    manager.find("b")->setEnabled(false);
    turnAndDraw();
    expectFrame(232, 116, 19, "disable");
}

TEST_F(GuiDisplay, CheckBoxShowsItsCheckedFrame)
{
    load(R"(<gui><checkbox name="c" sprite="tiles" frame="24" x="50" y="400" w="20" h="20"/></gui>)");
    auto* box = static_cast<CCheckBox*>(manager.find("c"));
    push(SDL_MOUSEMOTION, 60, 410);
    push(SDL_MOUSEBUTTONDOWN, 60, 410);
    push(SDL_MOUSEBUTTONUP, 60, 410);
    turnAndDraw();
    EXPECT_TRUE(box->isChecked());
    expectFrame(60, 410, 26, "checked");
    push(SDL_MOUSEMOTION, 300, 500);
    turnAndDraw();
    expectFrame(60, 410, 26, "checked, pointer away");
    push(SDL_MOUSEMOTION, 61, 411);
    push(SDL_MOUSEBUTTONDOWN, 61, 411);
    push(SDL_MOUSEBUTTONUP, 61, 411);
    turnAndDraw();
    EXPECT_FALSE(box->isChecked());
    // The toggle sets Enable; the hover frame waits for the next move.
    expectFrame(60, 410, 24, "unchecked");
}

TEST_F(GuiDisplay, ScrollThumbSitsAtItsValueAndFollowsADrag)
{
    // Track frame 32, thumb 33-36, first button 37-40, second 41-44.
    load(R"(<gui><scroll name="s" sprite="tiles" frame="32" x="600" y="100" h="232" min="0" max="100"/></gui>)");
    auto* scroll = static_cast<CScroll*>(manager.find("s"));
    scroll->setValue(50);
    turnAndDraw();
    // Track 232 high, buttons and thumb 16: the thumb's top is at
    // 100 + 16 + 0.5 * (232 - 48) = 208.
    expectFrame(608, 108, 37, "first button");
    expectFrame(608, 324, 41, "second button");
    expectFrame(608, 216, 33, "thumb at 50");
    expectFrame(608, 200, 32, "track above the thumb");
    expectFrame(608, 230, 32, "track below the thumb");

    push(SDL_MOUSEMOTION, 608, 216);
    push(SDL_MOUSEBUTTONDOWN, 608, 216);
    push(SDL_MOUSEMOTION, 608, 262);  // 46 px of the 184-px track: +25
    turnAndDraw();
    EXPECT_EQ(scroll->getValue(), 75.0f);
    expectFrame(608, 262, 35, "thumb dragged, down");
    expectFrame(608, 216, 32, "track where the thumb was");
    push(SDL_MOUSEBUTTONUP, 608, 262);
    turnAndDraw();
    expectFrame(608, 262, 34, "thumb released under the pointer");
}

TEST_F(GuiDisplay, ProgressFillIsItsPercentOfTheWidth)
{
    load(R"(<gui><progress name="p" sprite="tiles" frame="48" x="100" y="500" w="200" h="16"/></gui>)");
    auto* progress = static_cast<CProgress*>(manager.find("p"));
    progress->setPercent(25);
    turnAndDraw();
    expectFrame(102, 508, 49, "fill start");
    expectFrame(148, 508, 49, "fill end");
    expectFrame(152, 508, 48, "track after the fill");
    expectFrame(298, 508, 48, "track end");
    progress->setPercent(100);
    turnAndDraw();
    expectFrame(298, 508, 49, "full");
}
