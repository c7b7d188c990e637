// The framework on a real display: the GL window, pixels drawn into it, and
// SDL events reaching the input signals through the main loop.
#include "framework/CAppGL.h"
#include "framework/CSdlPlatform.h"
#include "framework/GLSupport.h"
#include "framework/Input.h"

#include <SDL.h>
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The SDL platform with message boxes recorded instead of shown.
class QuietPlatform : public CSdlPlatform {
public:
    QuietPlatform() { setPlatform(this); }
    ~QuietPlatform() override { setPlatform(nullptr); }
    void messageBox(const char* text, const char* title) override { boxes.push_back(std::string(title) + ": " + text); }
    std::vector<std::string> boxes;
};

class GLApp : public CAppGL {
public:
    void draw() override
    {
        ++draws;
        if (drawLimit > 0 && draws >= drawLimit)
            stop();
    }
    int main(int, char**) override { return 0; }
    int draws = 0;
    int drawLimit = 1;
};

struct Recorder {
    Recorder()
    {
        connectSlot(slots, keyboardInput(), this, &Recorder::onKey);
        connectSlot(slots, mouseInput(), this, &Recorder::onMouse);
    }
    void onKey(CInputMap& record) { keys.push_back(record); }
    void onMouse(CInputMap& record) { mouse.push_back(record); }
    std::vector<CInputMap> keys;
    std::vector<CInputMap> mouse;
    CSlotList slots;
};

SDL_Window* sdlWindow(const CApp& app)
{
    return static_cast<SDL_Window*>(app.getWindow());
}

void pushKey(SDL_Window* window, Uint32 type, SDL_Keycode key, SDL_Scancode scancode)
{
    SDL_Event event{};
    event.type = type;
    event.key.windowID = SDL_GetWindowID(window);
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushText(SDL_Window* window, const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = SDL_GetWindowID(window);
    SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

void pushMouse(SDL_Window* window, Uint32 type, int x, int y, Uint8 button = 0, Uint8 clicks = 1)
{
    SDL_Event event{};
    event.type = type;
    if (type == SDL_MOUSEMOTION) {
        event.motion.windowID = SDL_GetWindowID(window);
        event.motion.x = x;
        event.motion.y = y;
    } else if (type == SDL_MOUSEWHEEL) {
        event.wheel.windowID = SDL_GetWindowID(window);
        event.wheel.y = y;
    } else {
        event.button.windowID = SDL_GetWindowID(window);
        event.button.button = button;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

}

TEST(DisplayWindow, OpensBorderlessWithAContextThatDraws)
{
    QuietPlatform quiet;
    GLApp app;
    ASSERT_TRUE(app.createGLWindow(800, 600, false, false, false, 32, 24, 8, 0));
    ASSERT_NE(app.getContext(), nullptr);
    EXPECT_TRUE(quiet.boxes.empty());

    SDL_Window* window = sdlWindow(app);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_BORDERLESS, 0u);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_TRUE(getDrawableSize(width, height));
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_NE(getGLProcAddress("glClear"), nullptr);

    int depth = 0;
    int stencil = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);

    glViewport(0, 0, 800, 600);
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    unsigned char pixel[4] = {};
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_NEAR(pixel[0], 51, 1);
    EXPECT_NEAR(pixel[1], 102, 1);
    EXPECT_NEAR(pixel[2], 153, 1);
}

TEST(DisplayWindow, MultisampleRequestGivesAWorkingWindowWithoutReporting)
{
    QuietPlatform quiet;
    GLApp app;
    ASSERT_TRUE(app.createGLWindow(320, 240, true, false, false, 32, 24, 8, 4));
    EXPECT_NE(app.getContext(), nullptr);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), app.getContext());
    EXPECT_TRUE(quiet.boxes.empty());
    int buffers = 0;
    SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
    RecordProperty("multisampled", buffers);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
}

TEST(DisplayWindow, PushedEventsReachTheInputSignals)
{
    QuietPlatform quiet;
    GLApp app;
    ASSERT_TRUE(app.createGLWindow(800, 600, false, false, false, 32, 24, 8, 0));
    SDL_Window* window = sdlWindow(app);
    Recorder recorder;

    pushKey(window, SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A);
    pushText(window, "a");
    pushKey(window, SDL_KEYUP, SDLK_a, SDL_SCANCODE_A);
    pushKey(window, SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT);
    pushKey(window, SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    pushMouse(window, SDL_MOUSEMOTION, 120, 45);
    pushMouse(window, SDL_MOUSEBUTTONDOWN, 120, 45, SDL_BUTTON_LEFT);
    pushMouse(window, SDL_MOUSEBUTTONUP, 120, 45, SDL_BUTTON_LEFT);
    // A second press of the right button in the same place: a double click.
    pushMouse(window, SDL_MOUSEBUTTONDOWN, 120, 45, SDL_BUTTON_RIGHT);
    pushMouse(window, SDL_MOUSEBUTTONUP, 120, 45, SDL_BUTTON_RIGHT);
    pushMouse(window, SDL_MOUSEBUTTONDOWN, 120, 45, SDL_BUTTON_RIGHT, 2);
    pushMouse(window, SDL_MOUSEWHEEL, 0, -1);
    app.run();  // one turn: pump, tick, one frame

    ASSERT_EQ(recorder.keys.size(), 4u);
    EXPECT_EQ(recorder.keys[0].value, 97);
    EXPECT_EQ(recorder.keys[0].code, 97);
    EXPECT_EQ(recorder.keys[0].action, 1);
    EXPECT_EQ(recorder.keys[1].value, 65);
    EXPECT_EQ(recorder.keys[1].action, 0);
    EXPECT_EQ(recorder.keys[2].value, 37);
    EXPECT_EQ(recorder.keys[2].action, 1);
    EXPECT_EQ(recorder.keys[3].value, 27);
    EXPECT_EQ(recorder.keys[3].code, 27);
    EXPECT_EQ(recorder.keys[3].action, 1);

    // SDL may add motion of its own; look at the records this test made.
    std::vector<CInputMap> mouse;
    for (const CInputMap& record : recorder.mouse) {
        if (record.action != CInputMap::moved || record.position == CVector(120, 45, 0, 0))
            mouse.push_back(record);
    }
    ASSERT_EQ(mouse.size(), 7u);
    EXPECT_EQ(mouse[0].action, 3);
    EXPECT_EQ(mouse[0].code, 146);
    EXPECT_EQ(mouse[1].action, 1);
    EXPECT_EQ(mouse[1].code, 0);
    EXPECT_EQ(mouse[1].position, CVector(120, 45, 0, 0));
    EXPECT_EQ(mouse[2].action, 0);
    EXPECT_EQ(mouse[3].action, 1);
    EXPECT_EQ(mouse[4].action, 0);
    EXPECT_EQ(mouse[5].action, 2);
    EXPECT_EQ(mouse[5].code, 1);
    EXPECT_EQ(mouse[6].action, 4);
    EXPECT_EQ(mouse[6].value, -120);
    EXPECT_EQ(mouse[6].position, CVector(0, 0, 0, 0));
    EXPECT_EQ(app.draws, 1);
}

TEST(DisplayWindow, CloseAndQuitEndTheLoop)
{
    QuietPlatform quiet;
    GLApp app;
    app.drawLimit = 0;
    app.setFrameTime(5);
    ASSERT_TRUE(app.createGLWindow(200, 100, false, false, false, 32, 24, 8, 0));
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(sdlWindow(app));
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    app.run();
    EXPECT_FALSE(app.isRunning());
    EXPECT_EQ(SDL_GetWindowFlags(sdlWindow(app)) & SDL_WINDOW_SHOWN, 0u);  // hidden until destroyed

    postQuitMessage();
    app.run();
    EXPECT_FALSE(app.isRunning());
}
