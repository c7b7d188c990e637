// GUI elements on a real display: SDL events pushed into the queue travel
// through the main loop, mouseInput and the manager to the elements, and the
// frames the elements then draw are read back from the frame buffer.
#include "DisplayTestSupport.h"
#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CGUIManager.h"
#include "gui/CProgress.h"
#include "gui/CScroll.h"
#include "resources/CResourceManager.h"
#include "xml/CXMLDocument.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using namespace display_test;

constexpr int windowWidth = 800;
constexpr int windowHeight = 600;

// Frame k of the test sprite is one flat colour, all different.
Colour frameColour(std::uint32_t k)
{
    return {int((k * 67 + 30) % 256), int((k * 131 + 90) % 256), int((k * 29 + 200) % 256)};
}

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
        if (!openOneTurnWindow(*app, windowWidth, windowHeight))
            return;
        resources = new CResourceManager();
        addTileSprite(*resources, frameColour);
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

    void push(Uint32 type, int x, int y, Uint8 clicks = 1) { pushMouse(*app, type, x, y, clicks); }

    // Runs one loop turn for the queued events, then draws the manager in
    // the engine's camera (origin top left) and leaves the frame unswapped.
    void turnAndDraw()
    {
        app->run();
        useEngineCamera(windowWidth, windowHeight);
        clear(0, 0, 0, 1);
        manager.draw();
    }

    static Colour pixelAt(int x, int y) { return display_test::pixelAt(x, y, windowHeight); }

    static void expectColour(int x, int y, Colour want, const char* what)
    {
        expectColourNear(pixelAt(x, y), x, y, want, what, 2);
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
