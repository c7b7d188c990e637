// Edit fields, menus and combo boxes on a real display: SDL events pushed
// into the queue travel through the main loop and the input signals to the
// controls, and the frames they draw are read back. Covers typing end to
// end, the blinking caret, a drop-down list over what lies below it and a
// sub-menu opening to the right.
#include "DisplayTestSupport.h"
#include "gui/CCombo.h"
#include "gui/CEdit.h"
#include "gui/CGUIManager.h"
#include "gui/CMenu.h"
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

// Frame k of "tiles" is one flat colour, dark enough that white text and
// the white caret stand out on every one of them.
Colour tileColour(std::uint32_t k)
{
    return {int((k * 37 + 20) % 128), int((k * 71 + 40) % 128), int((k * 23 + 60) % 128)};
}

class EditMenuComboDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        platform = new QuietPlatform();
        CAppGL::setContextReadyHandler(initialiseRenderer);
        app = new OneTurnApp();
        if (!openOneTurnWindow(*app, windowWidth, windowHeight))
            return;
        resources = new CResourceManager();
        resources->setTextureOptions(0xFFFFFFFFu, false, false, false, false);
        addTileSprite(*resources, tileColour);
        CXMLDocument list;
        if (list.parse("<resources><font name='sans' height='16' start='32' end='126'"
                       " file='/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'/></resources>"))
            resources->loadList(list);
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

    void load(const char* text)
    {
        CXMLDocument document;
        ASSERT_TRUE(document.parse(text));
        manager.loadNode(document, resources);
    }

    static Uint32 windowId() { return display_test::windowId(*app); }

    static void pushMouse(Uint32 type, int x, int y) { display_test::pushMouse(*app, type, x, y); }

    static void pushClick(int x, int y)
    {
        pushMouse(SDL_MOUSEMOTION, x, y);
        pushMouse(SDL_MOUSEBUTTONDOWN, x, y);
        pushMouse(SDL_MOUSEBUTTONUP, x, y);
    }

    static void pushKey(SDL_Keycode key, SDL_Scancode scancode)
    {
        for (Uint32 type : {Uint32(SDL_KEYDOWN), Uint32(SDL_KEYUP)}) {
            SDL_Event event{};
            event.type = type;
            event.key.windowID = windowId();
            event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.key.keysym.sym = key;
            event.key.keysym.scancode = scancode;
            ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        }
    }

    // Typed text as SDL's text input delivers it.
    static void pushText(const char* text)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = windowId();
        SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    }

    // One loop turn for the queued events, then the manager drawn in the
    // engine's camera (origin top left) on black, left unswapped.
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

    static bool isWhite(Colour c) { return c.r > 200 && c.g > 200 && c.b > 200; }

    static inline QuietPlatform* platform = nullptr;
    static inline OneTurnApp* app = nullptr;
    static inline CResourceManager* resources = nullptr;
    CGUIManager manager;
};

const Colour black{0, 0, 0};

// The middle of the caret bar in window pixels, from the field's own layout.
bool caretPixel(const CEdit& edit, int& x, int& y)
{
    float cx = 0.0f;
    float cy = 0.0f;
    if (!edit.caretPlace(cx, cy))
        return false;
    CEdit& field = const_cast<CEdit&>(edit);
    const CVector at = field.getAbsolutePosition();
    const float lineHeight = field.getTextView().getLineHeight();
    x = int(at.x + cx + 1.0f);
    y = int(at.y + cy + (lineHeight > 0.0f ? lineHeight : field.getTextView().getHeight()) * 0.5f);
    return true;
}

} // namespace

TEST_F(EditMenuComboDisplay, TypedKeysReachTheFieldAndTheCaretBlinksAfterTheText)
{
    ASSERT_NE(resources->find("sans"), nullptr) << "fonts-dejavu-core is not installed";
    load(R"(<gui>
      <font name="f" sprite="sans" w="10" h="10"/>
      <edit name="e" sprite="tiles" frame="9" font="f" x="100" y="100" w="300" h="30" borderSize="4" text="ab"/>
    </gui>)");
    auto* edit = dynamic_cast<CEdit*>(manager.find("e"));
    ASSERT_NE(edit, nullptr);

    turnAndDraw();
    int x = 0;
    int y = 0;
    ASSERT_TRUE(caretPixel(*edit, x, y));
    expectColour(x, y, tileColour(9), "no caret before the field is pressed");

    pushClick(300, 115);
    turnAndDraw();
    ASSERT_TRUE(edit->isActive());
    ASSERT_TRUE(caretPixel(*edit, x, y));
    const int before = x;
    EXPECT_TRUE(isWhite(pixelAt(x, y))) << "caret at " << x << "," << y;

    // Real key events: text input for the characters, key presses for
    // Backspace and Enter (Enter does nothing in a one-line field) and an
    // arrow key, which types nothing.
    pushText("h");
    pushText("i");
    pushKey(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE);
    pushText("W");
    pushKey(SDLK_RETURN, SDL_SCANCODE_RETURN);
    pushKey(SDLK_LEFT, SDL_SCANCODE_LEFT);  // its code is also that of '%'
    turnAndDraw();
    EXPECT_STREQ(edit->getText().c_str(), "abhW");
    ASSERT_TRUE(caretPixel(*edit, x, y));
    EXPECT_GT(x, before + 10) << "the caret follows the text";
    if (edit->isBlinkOn()) {
        EXPECT_TRUE(isWhite(pixelAt(x, y))) << "caret after the typed text";
    }

    // The caret goes off and comes back on the frame tick, 300 ms apart.
    for (const bool wanted : {false, true}) {
        const Uint32 start = SDL_GetTicks();
        while (edit->isBlinkOn() != wanted && SDL_GetTicks() - start < 2000) {
            SDL_Delay(5);
            turnAndDraw();
        }
        ASSERT_EQ(edit->isBlinkOn(), wanted);
        turnAndDraw();
        if (wanted)
            EXPECT_TRUE(isWhite(pixelAt(x, y))) << "caret back on";
        else
            expectColour(x, y, tileColour(9), "caret off");
    }
    const Uint32 start = SDL_GetTicks();
    while (edit->isBlinkOn() && SDL_GetTicks() - start < 2000)
        turnAndDraw();
    EXPECT_GE(SDL_GetTicks() - start, 250u) << "a whole blink period passes";
}

TEST_F(EditMenuComboDisplay, DropDownListIsDrawnOverWhatLiesBelow)
{
    load(R"(<gui>
      <combo name="c" x="100" y="300" w="120" h="100">
        <edit w="100" h="20"/><button w="20" h="20"/><list/>
      </combo>
      <gui name="below" sprite="tiles" frame="3" x="100" y="330" w="200" h="60"/>
    </gui>)");
    auto* combo = dynamic_cast<CCombo*>(manager.find("c"));
    ASSERT_NE(combo, nullptr);
    const auto* tiles = dynamic_cast<const CSprite*>(resources->find("tiles"));
    ASSERT_NE(tiles, nullptr);
    combo->getList().setSprite(*tiles);
    combo->getList().setFrame(12);

    turnAndDraw();
    expectColour(150, 350, tileColour(3), "collapsed: the element below shows");
    pushClick(210, 310);  // the drop button
    turnAndDraw();
    ASSERT_TRUE(combo->getList().getVisible());
    expectColour(150, 350, tileColour(12), "open: the list covers it");
    expectColour(260, 350, tileColour(3), "right of the list");
    pushClick(700, 550);  // a press elsewhere closes the list
    turnAndDraw();
    EXPECT_FALSE(combo->getList().getVisible());
    expectColour(150, 350, tileColour(3), "closed again");
}

TEST_F(EditMenuComboDisplay, SubMenuOpensToTheRightOfItsHoveredEntry)
{
    load(R"(<gui>
      <menu name="file" sprite="tiles" frame="4" x="10" y="10" w="60" h="20">
        <menu name="recent" sprite="tiles" frame="5" parent="file">
          <menu name="last" sprite="tiles" frame="6" parent="recent"/>
        </menu>
      </menu>
    </gui>)");
    turnAndDraw();
    expectColour(40, 20, tileColour(4), "title");
    expectColour(40, 40, black, "closed column");

    pushClick(40, 20);
    turnAndDraw();
    expectColour(40, 40, tileColour(5), "entry below the title");
    expectColour(100, 40, black, "sub-column still closed");

    pushMouse(SDL_MOUSEMOTION, 40, 40);
    turnAndDraw();
    expectColour(100, 40, tileColour(6), "sub-column to the right of the entry");
    expectColour(100, 60, black, "nothing below the sub-entry");

    pushClick(100, 40);  // choosing the sub-entry closes the tree
    turnAndDraw();
    expectColour(40, 40, black, "column closed");
    expectColour(100, 40, black, "sub-column closed");
}
