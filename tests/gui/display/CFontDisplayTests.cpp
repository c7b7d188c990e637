// Text drawn in DejaVu Sans through a real GL context, read back pixel by
// pixel: alignment inside the element's rectangle, wrapping at a word, and
// the last line that fits. The suite draws into the lower-left 320 x 240
// pixels of the current GL context, or of a window of its own when there is
// none.
#include "DisplayTestSupport.h"
#include "gui/CFont.h"
#include "gui/CGUIManager.h"
#include "image/CImage.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"
#include "resources/CResourceManager.h"
#include "xml/CXMLDocument.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int windowWidth = 320;
constexpr int windowHeight = 240;

// A text pixel: the glyphs are white on the black background.
constexpr int lit = 96;

class CFontDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            return;
        // Another suite's context, with the renderer set up in it, is used
        // as it is (drawing into its lower-left corner); otherwise the suite
        // makes its own.
        window = SDL_GL_GetCurrentWindow();
        context = SDL_GL_GetCurrentContext();
        ownsContext = !(window && context && isRendererInitialised());
        if (ownsContext) {
            previousWindow = window;
            previousContext = context;
            SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
            SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
            window = SDL_CreateWindow("text tests", 0, 0, windowWidth, windowHeight,
                                      SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
            if (!window)
                return;
            context = SDL_GL_CreateContext(window);
            if (!context)
                return;
            SDL_GL_MakeCurrent(window, context);
            initialiseRenderer();
        }
        // The glyph texture is uploaded into this context.
        resources = new CResourceManager();
        resources->setTextureOptions(0xFFFFFFFFu, false, false, false, false);
        CXMLDocument list;
        if (list.parse("<resources><font name='sans' height='20' start='32' end='126'"
                       " file='/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'/></resources>"))
            resources->loadList(list);
    }

    static void TearDownTestSuite()
    {
        delete resources;
        resources = nullptr;
        if (ownsContext) {
            if (context) {
                shutdownRenderer();
                SDL_GL_DeleteContext(context);
            }
            if (window)
                SDL_DestroyWindow(window);
            if (previousContext)
                SDL_GL_MakeCurrent(previousWindow, previousContext);
        }
        context = nullptr;
        window = nullptr;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    void SetUp() override
    {
        ASSERT_NE(context, nullptr) << "no GL context (run under xvfb-run)";
        ASSERT_NE(resources->find("sans"), nullptr) << "fonts-dejavu-core is not installed";
        SDL_GL_MakeCurrent(window, context);
        display_test::useEngineCamera(windowWidth, windowHeight);
    }

    // Draws one text element described by `attributes` on black and reads
    // the whole window back.
    CFont* draw(const std::string& attributes)
    {
        const std::string text = "<gui><font name='text' sprite='sans' " + attributes + "/></gui>";
        CXMLDocument description;
        if (!description.parse(text.c_str()))
            return nullptr;
        manager.clear();
        manager.loadNode(description, resources);
        clear(0, 0, 0, 1);
        manager.draw();
        readFramebuffer(0, 0, windowWidth, windowHeight, 4, screen);
        return dynamic_cast<CFont*>(manager.find("text"));
    }

    // Red component at GUI coordinates (origin top left).
    int red(int x, int y) const
    {
        const int row = windowHeight - 1 - y;
        return screen.getData()[(std::size_t(row) * windowWidth + x) * 4];
    }

    // The lit columns' extent within rows y0..y1 (exclusive); first > last
    // when nothing is lit.
    void litColumns(int y0, int y1, int& first, int& last) const
    {
        first = windowWidth;
        last = -1;
        for (int y = std::max(y0, 0); y < std::min(y1, windowHeight); ++y) {
            for (int x = 0; x < windowWidth; ++x) {
                if (red(x, y) > lit) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
    }

    bool anyLitOutside(int x0, int y0, int x1, int y1) const
    {
        for (int y = 0; y < windowHeight; ++y)
            for (int x = 0; x < windowWidth; ++x)
                if ((x < x0 || x >= x1 || y < y0 || y >= y1) && red(x, y) > lit)
                    return true;
        return false;
    }

    static inline SDL_Window* window = nullptr;
    static inline SDL_GLContext context = nullptr;
    static inline SDL_Window* previousWindow = nullptr;
    static inline SDL_GLContext previousContext = nullptr;
    static inline bool ownsContext = false;
    static inline CResourceManager* resources = nullptr;

    CGUIManager manager;
    CImage screen;
};

TEST_F(CFontDisplay, TextIsDrawnLeftCentredAndRightAlignedInsideItsRectangle)
{
    // Rectangle (20, 30) to (300, 90).
    const std::string rect = "x='20' y='30' w='280' h='60' text='Quilt'";
    int first[3];
    int last[3];
    float width = 0.0f;
    for (int align = 0; align < 3; ++align) {
        CFont* font = draw(rect + " align='" + std::to_string(align) + "'");
        ASSERT_NE(font, nullptr);
        width = font->getLineWidth(0, 0);
        EXPECT_FALSE(anyLitOutside(20, 30, 300, 90)) << "align " << align;
        litColumns(30, 90, first[align], last[align]);
        ASSERT_LE(first[align], last[align]) << "nothing drawn for align " << align;
    }
    ASSERT_GT(width, 30.0f);
    // Glyph ink starts within a couple of pixels of the pen and ends before
    // the advance runs out.
    EXPECT_NEAR(first[0], 20, 3);
    EXPECT_NEAR(last[2], 300 - 1 - 1, 3);
    EXPECT_NEAR((first[1] + last[1]) / 2.0, 160, 3);
    // The same ink, shifted.
    EXPECT_EQ(last[0] - first[0], last[1] - first[1]);
    EXPECT_EQ(last[0] - first[0], last[2] - first[2]);
}

TEST_F(CFontDisplay, WrapsAtAWordAndDrawsTheNextLineLikeTheWordAlone)
{
    // Measure, then size the rectangle so that "gamma" no longer fits.
    CFont* font = draw("x='0' y='0' w='300' h='200' text='alpha beta gamma'");
    ASSERT_NE(font, nullptr);
    const float alphaBeta = font->getLineWidth(0, 0) - font->getCharWidth(' ') * 2 -
                            (font->getCharWidth('g') + 2 * font->getCharWidth('a') + 2 * font->getCharWidth('m'));
    const int rectWidth = static_cast<int>(alphaBeta + font->getCharWidth(' ') + 3 * font->getCharWidth('m'));
    const int lineHeight = static_cast<int>(font->getLineHeight());

    draw("x='10' y='10' w='" + std::to_string(rectWidth) + "' h='200' text='gamma'");
    CImage alone = screen;
    draw("x='10' y='10' w='" + std::to_string(rectWidth) + "' h='200' text='alpha beta gamma'");
    EXPECT_FALSE(anyLitOutside(10, 10, 10 + rectWidth, 10 + 2 * lineHeight));
    int first = 0;
    int last = 0;
    litColumns(10, 10 + lineHeight, first, last);
    EXPECT_LE(first, last) << "first line empty";
    // The second line is "gamma" as drawn on its own, one line lower.
    int differing = 0;
    for (int y = 10; y < 10 + lineHeight; ++y) {
        for (int x = 0; x < windowWidth; ++x) {
            const int row = windowHeight - 1 - y;
            const int aloneRed = alone.getData()[(std::size_t(row) * windowWidth + x) * 4];
            differing += (aloneRed > lit) != (red(x, y + lineHeight) > lit);
        }
    }
    EXPECT_EQ(differing, 0);
}

TEST_F(CFontDisplay, StopsAtTheLastLineThatFits)
{
    // Lines are 20 high; 50 pixels hold two of the four.
    CFont* font = draw("x='10' y='10' w='200' h='50' text='one\\ntwo\\nthree\\nfour'");
    ASSERT_NE(font, nullptr);
    const int lineHeight = static_cast<int>(font->getLineHeight());
    ASSERT_EQ(lineHeight, 20);
    int first = 0;
    int last = 0;
    for (int line = 0; line < 2; ++line) {
        litColumns(10 + line * lineHeight, 10 + (line + 1) * lineHeight, first, last);
        EXPECT_LE(first, last) << "line " << line << " empty";
    }
    EXPECT_FALSE(anyLitOutside(0, 0, windowWidth, 10 + 2 * lineHeight));
}

}
