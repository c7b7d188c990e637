// What the window tool's display suites share: a platform that records
// message boxes instead of showing them, SDL input pushed into the event
// queue as if the user had done it, and small pictures and list reads.
#pragma once

#include "app/AtlasTestFiles.h"
#include "app/pack/AtlasFiles.h"
#include "app/tool/Application.h"
#include "framework/CSdlPlatform.h"
#include "gui/CList.h"
#include "image/CImage.h"

#include <SDL.h>

#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// The SDL platform with message boxes recorded ("title: text") instead of shown.
class QuietPlatform : public CSdlPlatform {
public:
    QuietPlatform() { setPlatform(this); }
    ~QuietPlatform() override { setPlatform(nullptr); }
    void messageBox(const char* text, const char* title) override { boxes.push_back(std::string(title) + ": " + text); }
    std::vector<std::string> boxes;
};

// Runs `step` once after the first frame, then ends the loop.
class OneStepTool : public Application {
public:
    std::function<void(OneStepTool&)> step;
    void draw() override
    {
        Application::draw();
        if (step)
            step(*this);
        step = nullptr;
        stop();
    }
};

// A picture of `width` x `height` inside transparent margins (`left` and
// `top` before it, `right` and `bottom` after it); alpha falls by
// `alphaStep` a column.
inline void marginPng(const std::string& path, std::uint32_t left, std::uint32_t top, std::uint32_t width,
                      std::uint32_t height, std::uint8_t seed, std::uint32_t right = 3, std::uint32_t bottom = 1,
                      std::uint32_t alphaStep = 1)
{
    CImage image;
    image.create(left + width + right, top + height + bottom, 4, 32);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* p = const_cast<std::uint8_t*>(pixelAt(image, left + x, top + y));
            p[0] = std::uint8_t(seed + x * 9);
            p[1] = std::uint8_t(y * 13);
            p[2] = seed;
            p[3] = std::uint8_t(255 - x * alphaStep);
        }
    }
    writePicture(path, image);
}

inline SDL_Window* sdlWindow(const CApp& app)
{
    return static_cast<SDL_Window*>(app.getWindow());
}

// One pointer event: a move, a left-button press or release, or `wheel`
// notches of the wheel.
inline void pushMouse(const CApp& app, Uint32 type, int x, int y, int wheel = 0)
{
    SDL_Event event{};
    event.type = type;
    const Uint32 id = SDL_GetWindowID(sdlWindow(app));
    if (type == SDL_MOUSEMOTION) {
        event.motion.windowID = id;
        event.motion.x = x;
        event.motion.y = y;
    } else if (type == SDL_MOUSEWHEEL) {
        event.wheel.windowID = id;
        event.wheel.y = wheel;
        event.wheel.direction = SDL_MOUSEWHEEL_NORMAL;
    } else {
        event.button.windowID = id;
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = x;
        event.button.y = y;
    }
    SDL_PushEvent(&event);
}

// A key pressed and released.
inline void pushKey(const CApp& app, SDL_Keycode sym, SDL_Scancode scancode, Uint16 modifiers = 0)
{
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = SDL_GetWindowID(sdlWindow(app));
    key.key.state = SDL_PRESSED;
    key.key.keysym.sym = sym;
    key.key.keysym.scancode = scancode;
    key.key.keysym.mod = modifiers;
    SDL_PushEvent(&key);
    key.type = SDL_KEYUP;
    key.key.state = SDL_RELEASED;
    SDL_PushEvent(&key);
}

// The pointer moved to (x, y), then a left click there.
inline void click(const CApp& app, int x, int y)
{
    pushMouse(app, SDL_MOUSEMOTION, x, y);
    pushMouse(app, SDL_MOUSEBUTTONDOWN, x, y);
    pushMouse(app, SDL_MOUSEBUTTONUP, x, y);
}

// The pointer moved to (x, y), then the wheel turned by `notches`.
inline void wheel(const CApp& app, int x, int y, int notches)
{
    pushMouse(app, SDL_MOUSEMOTION, x, y);
    pushMouse(app, SDL_MOUSEWHEEL, x, y, notches);
}

// A single-colour opaque PNG in the scratch folder.
inline std::string solidPng(const AtlasScratch& scratch, const std::string& name, std::uint32_t width,
                            std::uint32_t height, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    CImage image;
    image.create(width, height, 4, 32);
    for (std::uint32_t i = 0; i < width * height; ++i) {
        std::uint8_t* p = image.getData() + i * 4;
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = 255;
    }
    const std::string path = scratch.file(name);
    writePicture(path, image);
    return path;
}

// The names in the image list, top to bottom.
inline std::vector<std::string> listNames(Application& app)
{
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < app.getList()->getRowCount(); ++i)
        names.push_back(toStdString(app.getList()->getCellText(i, 0)));
    return names;
}

// Runs the tool's main from `folder` (its data folder, or one holding a copy)
// with its settings kept in `config`, away from the user's own, and returns
// main's result.
inline int runTool(Application& tool, const std::filesystem::path& config,
                   const std::filesystem::path& folder = QF_TOOL_DIR)
{
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const int result = tool.main(0, nullptr);
    std::filesystem::current_path(here);
    return result;
}

// A tool run by script: one step per drawn frame, each followed by idle
// frames so that the events it pushed are handled before the next step
// looks; the loop stops after the last step. The status line of every frame
// drawn is kept.
class ScriptedTool : public Application {
public:
    using Step = std::function<void(ScriptedTool&)>;

    void draw() override
    {
        Application::draw();
        statuses.push_back(getStatusText());
        // The tool draws only when something changed; the script wants a
        // frame per step.
        requestRedraw();
        if (next < steps.size())
            steps[next++](*this);
        else
            stop();
        requestRedraw();
    }

    void then(Step step, int idle = 1)
    {
        steps.push_back(std::move(step));
        for (int i = 0; i < idle; ++i)
            steps.push_back([](ScriptedTool&) {});
    }

    // Each run starts from the default settings, kept away from the user's
    // own (and from earlier runs').
    int start(AtlasScratch& scratch) { return runTool(*this, scratch.file("config")); }
    int start(const std::string& folder)
    {
        const std::filesystem::path config =
            std::filesystem::temp_directory_path() / ("qf-tool-config-" + std::to_string(getpid()));
        std::filesystem::remove_all(config);
        return runTool(*this, config, folder);
    }

    std::vector<Step> steps;
    std::size_t next = 0;
    std::vector<std::string> statuses; // of every frame drawn
};
