// Lists and control bars on a real display: SDL events pushed into the
// queue reach the list through the main loop and the manager; the highlight
// bars, the rows shown and the scroll bar are read back from the frame
// buffer. The control bar's drag moves the real window through the
// framework.
#include "DisplayTestSupport.h"
#include "gui/CControlBar.h"
#include "gui/CGUIManager.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "xml/CXMLDocument.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace display_test;

constexpr int windowWidth = 640;
constexpr int windowHeight = 480;

// Frame k of the test sprite is one flat colour, all different.
Colour frameColour(std::uint32_t k)
{
    return {int((k * 53 + 20) % 256), int((k * 97 + 60) % 256), int((k * 31 + 180) % 256)};
}

class ListDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform = new QuietPlatform();
        CAppGL::setContextReadyHandler(initialiseRenderer);
        app = new OneTurnApp();
        if (!openOneTurnWindow(*app, windowWidth, windowHeight))
            return;
        resources = new CResourceManager();
        addTileSprite(*resources, frameColour);
    }

    static void TearDownTestSuite()
    {
        delete resources;
        delete app;
        delete platform;
        resources = nullptr;
        app = nullptr;
        platform = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(isRendererInitialised()) << "no GL context (run under xvfb-run)"; }

    CList* loadList(const char* text)
    {
        CXMLDocument document;
        EXPECT_TRUE(document.parse(text));
        manager.loadNode(document, resources);
        return dynamic_cast<CList*>(manager.find("list"));
    }

    // A row whose one cell shows tile `frame`, 200 wide (the column narrows
    // it) and 16 high.
    static void addTileRow(CList& list, std::uint32_t frame)
    {
        CGUI tile;
        tile.setSprite(*static_cast<const CSprite*>(resources->find("tiles")));
        tile.setFrame(frame);
        tile.setSize(200.0f, 16.0f);
        list.insertRow(list.getRowCount(), tile);
    }

    void push(Uint32 type, int x, int y) { pushMouse(*app, type, x, y); }

    void click(int x, int y)
    {
        push(SDL_MOUSEMOTION, x, y);
        push(SDL_MOUSEBUTTONDOWN, x, y);
        push(SDL_MOUSEBUTTONUP, x, y);
    }

    // One loop turn for the queued events, then the manager drawn in the
    // engine's camera (origin top left).
    void turnAndDraw()
    {
        app->run();
        useEngineCamera(windowWidth, windowHeight);
        clear(0, 0, 0, 1);
        manager.draw();
    }

    static Colour pixelAt(int x, int y) { return display_test::pixelAt(x, y, windowHeight); }

    // Untextured bars also take a little of the scene's ambient light, so
    // they are compared more loosely than sprite frames.
    static void expectColour(int x, int y, Colour want, const char* what, int tolerance = 2)
    {
        expectColourNear(pixelAt(x, y), x, y, want, what, tolerance);
    }

    static inline QuietPlatform* platform = nullptr;
    static inline OneTurnApp* app = nullptr;
    static inline CResourceManager* resources = nullptr;
    CGUIManager manager;
};

const Colour red{255, 0, 0};
const Colour green{0, 255, 0};

} // namespace

TEST_F(ListDisplay, HighlightBarsLieBehindTheHoveredAndSelectedRows)
{
    // The list's own picture is tile 2; rows of 16 from y 100, cells 100
    // wide from x 100, so the bars show from x 200 to 300.
    CList* list = loadList(R"(<gui>
      <list name="list" sprite="tiles" frame="2" x="100" y="100" w="200" h="100">
        <hover r="1" a="1"/><select g="1" a="1"/><column w="100"/>
      </list></gui>)");
    ASSERT_NE(list, nullptr);
    for (std::uint32_t i = 0; i < 5; ++i)
        addTileRow(*list, 8 + i);
    turnAndDraw();  // cells are hit where they were last drawn

    push(SDL_MOUSEMOTION, 150, 100 + 16 + 8);
    turnAndDraw();
    EXPECT_EQ(list->getHover(), 1);
    expectColour(250, 124, red, "hover bar behind row 1", 16);
    expectColour(150, 124, frameColour(9), "row 1's cell over its bar");
    expectColour(250, 108, frameColour(2), "row 0 without a bar");

    click(150, 100 + 3 * 16 + 8);
    push(SDL_MOUSEMOTION, 150, 100 + 16 + 8);
    turnAndDraw();
    EXPECT_EQ(list->getSelected(), 3);
    expectColour(250, 156, green, "selection bar behind row 3", 16);
    expectColour(250, 124, red, "hover bar follows the pointer", 16);
    expectColour(250, 190, frameColour(2), "below the rows");

    // Both bars lie at the same depth and the selection's is drawn first,
    // so a hovered selected row keeps showing its selection.
    push(SDL_MOUSEMOTION, 150, 100 + 3 * 16 + 8);
    turnAndDraw();
    EXPECT_EQ(list->getHover(), 3);
    expectColour(250, 156, green, "selection under the pointer", 16);
    expectColour(250, 124, frameColour(2), "row 1 no longer hovered");
}

TEST_F(ListDisplay, ScrollBarAppearsWhenRowsOverflowAndScrollsThem)
{
    // Four rows of 16 fit in 64. Scroll bar: track 32, thumb 33, first
    // button 37, second button 41, all 16 x 16.
    CList* list = loadList(R"(<gui>
      <scroll name="bar" sprite="tiles" frame="32" x="600" visible="0"/>
      <list name="list" sprite="tiles" frame="2" scroll="bar" x="100" y="100" w="200" h="64">
        <column w="100"/>
      </list></gui>)");
    ASSERT_NE(list, nullptr);
    for (std::uint32_t i = 0; i < 4; ++i)
        addTileRow(*list, 8 + i);
    turnAndDraw();
    EXPECT_FALSE(list->getScrollBar().isVisible());
    expectColour(292, 108, frameColour(2), "no scroll bar while the rows fit");
    expectColour(150, 156, frameColour(11), "last row");

    addTileRow(*list, 12);
    addTileRow(*list, 13);
    turnAndDraw();
    EXPECT_TRUE(list->getScrollBar().isVisible());
    expectColour(292, 108, frameColour(37), "first button");
    expectColour(292, 124, frameColour(33), "thumb at the top");
    expectColour(292, 156, frameColour(41), "second button");
    expectColour(150, 108, frameColour(8), "row 0 on top");
    expectColour(150, 172, Colour{0, 0, 0}, "row 4 not drawn below the list");

    // The second button scrolls down one row, the wheel one more; the last
    // row then sits at the bottom and the list scrolls no further.
    click(292, 156);
    turnAndDraw();
    EXPECT_EQ(list->getTopRow(), 1);
    expectColour(150, 108, frameColour(9), "row 1 on top");
    push(SDL_MOUSEWHEEL, 0, -1);
    push(SDL_MOUSEWHEEL, 0, -1);
    turnAndDraw();
    EXPECT_EQ(list->getTopRow(), 2);
    expectColour(150, 108, frameColour(10), "row 2 on top");
    expectColour(150, 156, frameColour(13), "last row at the bottom");
    expectColour(292, 140, frameColour(33), "thumb at the bottom of the track");
}

TEST_F(ListDisplay, ControlBarDragMovesTheWindow)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse(R"(<gui><control name="c" sprite="tiles" frame="40" w="640" h="20"/></gui>)"));
    manager.loadNode(document, resources);
    auto* bar = dynamic_cast<CControlBar*>(manager.find("c"));
    ASSERT_NE(bar, nullptr);
    struct Mover {
        void moveBy(std::int32_t dx, std::int32_t dy) { app->setPosition(app->getX() + dx, app->getY() + dy); }
        OneTurnApp* app;
        CSlotList slots;
    } mover{app, {}};
    connectSlot(mover.slots, bar->onDragBy, &mover, &Mover::moveBy);

    auto* window = static_cast<SDL_Window*>(app->getWindow());
    app->setPosition(50, 60);
    int startX = 0;
    int startY = 0;
    SDL_GetWindowPosition(window, &startX, &startY);
    SDL_WarpMouseGlobal(startX + 100, startY + 10);
    push(SDL_MOUSEMOTION, 100, 10);
    push(SDL_MOUSEBUTTONDOWN, 100, 10);
    turnAndDraw();
    SDL_WarpMouseGlobal(startX + 130, startY + 25);
    turnAndDraw();
    push(SDL_MOUSEBUTTONUP, 100, 10);
    turnAndDraw();
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    EXPECT_EQ(x - startX, 30);
    EXPECT_EQ(y - startY, 15);
}
