// CSdlPlatform: SDL2 implementation of the framework's platform interface.
#include "framework/CSdlPlatform.h"

#include "framework/CApp.h"
#include "framework/GtkSupport.h"
#include "framework/TextWrap.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

SDL_Window* toWindow(CPlatform::WindowHandle window)
{
    return static_cast<SDL_Window*>(window);
}

bool videoRunning()
{
    return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

// The pixel format as GL attributes: colour bits spread over red, green and
// blue (32 and 24 give 8 each), no alpha asked for, double buffered.
void applyPixelFormat(const CPixelFormat& format)
{
    const int channel = std::min(8, format.colourBits / 3);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channel);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, format.depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.samples > 0 ? 1 : 0);
    SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, static_cast<int>(format.samples));
}

}

std::uint32_t CSdlPlatform::milliseconds()
{
    return SDL_GetTicks();
}

void CSdlPlatform::sleep(std::uint32_t milliseconds)
{
    SDL_Delay(milliseconds);
}

void CSdlPlatform::messageBox(const char* text, const char* title)
{
    const std::string message = text != nullptr ? text : "";
    const std::string caption = title != nullptr ? title : "";
    if (gtkMessageBox(caption, message))
        return;
    // SDL's box neither wraps nor scrolls: break the lines for it.
    SDL_Window* owner = currentApp != nullptr && videoRunning() ? toWindow(currentApp->getWindow()) : nullptr;
    const std::string wrapped = wrapText(message, 80);
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption.c_str(), wrapped.c_str(), owner) != 0)
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), message.c_str());
}

bool CSdlPlatform::registerWindowClass()
{
    // Closing the window is a close message the application may refuse, not
    // a quit of its own.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    // The engine's windows keep the screen awake, as the classic window
    // procedure did by refusing the screen saver and monitor power-down.
    SDL_DisableScreenSaver();
    return true;
}

void CSdlPlatform::unregisterWindowClass()
{
    pending_.clear();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

namespace {

// A borderless window has no frame to resize it by: its outer few pixels
// act as one.
SDL_HitTestResult resizeEdges(SDL_Window* window, const SDL_Point* point, void*)
{
    constexpr int edge = 6;
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    const bool left = point->x < edge;
    const bool right = point->x >= width - edge;
    const bool top = point->y < edge;
    const bool bottom = point->y >= height - edge;
    if (top && left)
        return SDL_HITTEST_RESIZE_TOPLEFT;
    if (top && right)
        return SDL_HITTEST_RESIZE_TOPRIGHT;
    if (bottom && left)
        return SDL_HITTEST_RESIZE_BOTTOMLEFT;
    if (bottom && right)
        return SDL_HITTEST_RESIZE_BOTTOMRIGHT;
    if (left)
        return SDL_HITTEST_RESIZE_LEFT;
    if (right)
        return SDL_HITTEST_RESIZE_RIGHT;
    if (top)
        return SDL_HITTEST_RESIZE_TOP;
    if (bottom)
        return SDL_HITTEST_RESIZE_BOTTOM;
    return SDL_HITTEST_NORMAL;
}

}

CPlatform::WindowHandle CSdlPlatform::createWindow(int width, int height, bool framed, bool resizable)
{
    if (!videoRunning())
        return nullptr;
    applyPixelFormat(format_);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN;
    if (!framed)
        flags |= SDL_WINDOW_BORDERLESS;
    if (resizable)
        flags |= SDL_WINDOW_RESIZABLE;
    const int w = std::max(width, 1);
    const int h = std::max(height, 1);
    SDL_Window* window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h, flags);
    if (window == nullptr && format_.samples == 0) {
        // SDL's sizes are minimums; like choosing the closest format, settle
        // for any double-buffered RGBA format the display offers.
        CPixelFormat closest;
        closest.colourBits = 0;
        closest.depthBits = 0;
        closest.stencilBits = 0;
        applyPixelFormat(closest);
        window = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, w, h, flags);
    }
    if (window == nullptr)
        return nullptr;
    translator_.setClientSize(width, height);
    if (resizable && !framed)
        SDL_SetWindowHitTest(window, resizeEdges, nullptr);
    SDL_StartTextInput();
    return window;
}

void CSdlPlatform::destroyWindow(WindowHandle window)
{
    if (window != nullptr)
        SDL_DestroyWindow(toWindow(window));
}

void CSdlPlatform::setWindowTitle(WindowHandle window, const char* text)
{
    if (window != nullptr)
        SDL_SetWindowTitle(toWindow(window), text != nullptr ? text : "");
}

void CSdlPlatform::setWindowPosition(WindowHandle window, int x, int y)
{
    if (window != nullptr)
        SDL_SetWindowPosition(toWindow(window), x, y);
}

void CSdlPlatform::setWindowSize(WindowHandle window, int width, int height, bool topMost)
{
    if (window == nullptr)
        return;
    SDL_SetWindowAlwaysOnTop(toWindow(window), topMost ? SDL_TRUE : SDL_FALSE);
    SDL_SetWindowSize(toWindow(window), std::max(width, 1), std::max(height, 1));
    translator_.setClientSize(width, height);
}

void CSdlPlatform::showWindow(WindowHandle window, int command)
{
    if (window == nullptr)
        return;
    SDL_Window* sdlWindow = toWindow(window);
    switch (command) {
    case ShowCommand::hide:
        SDL_HideWindow(sdlWindow);
        break;
    case ShowCommand::showMinimised:
    case ShowCommand::minimise:
    case ShowCommand::showMinimisedNoActivate:
        SDL_MinimizeWindow(sdlWindow);
        break;
    case ShowCommand::maximise:
        SDL_ShowWindow(sdlWindow);
        SDL_MaximizeWindow(sdlWindow);
        break;
    case ShowCommand::showNormal:
    case ShowCommand::restore:
        SDL_ShowWindow(sdlWindow);
        SDL_RestoreWindow(sdlWindow);
        break;
    default:
        SDL_ShowWindow(sdlWindow);
        break;
    }
}

bool CSdlPlatform::screenSize(int& width, int& height)
{
    SDL_DisplayMode mode;
    if (!videoRunning() || SDL_GetDesktopDisplayMode(0, &mode) != 0)
        return false;
    width = mode.w;
    height = mode.h;
    return true;
}

bool CSdlPlatform::enterFullscreenMode(WindowHandle window, int width, int height)
{
    if (window == nullptr)
        return false;
    SDL_Window* sdlWindow = toWindow(window);
    SDL_DisplayMode mode;
    const int display = std::max(0, SDL_GetWindowDisplayIndex(sdlWindow));
    if (SDL_GetDesktopDisplayMode(display, &mode) != 0)
        return false;
    // Only the size changes; depth and refresh rate stay as the desktop has them.
    mode.w = width;
    mode.h = height;
    // SDL would quietly settle for the nearest mode it has; a display without
    // this size is a failed switch, reported by the caller.
    SDL_DisplayMode closest;
    if (SDL_GetClosestDisplayMode(display, &mode, &closest) == nullptr || closest.w != width ||
        closest.h != height)
        return false;
    if (SDL_SetWindowDisplayMode(sdlWindow, &closest) != 0)
        return false;
    return SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN) == 0;
}

void CSdlPlatform::leaveFullscreenMode(WindowHandle window)
{
    if (window != nullptr)
        SDL_SetWindowFullscreen(toWindow(window), 0);
}

void CSdlPlatform::takeEvent(const SDL_Event& event)
{
    translator_.translate(event, pending_);
    if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT)
        SDL_free(event.drop.file);
}

bool CSdlPlatform::peekMessage(CWindowMessage& message)
{
    while (pending_.empty()) {
        SDL_Event event;
        if (!videoRunning() || SDL_PollEvent(&event) <= 0)
            break;
        takeEvent(event);
    }
    if (!pending_.empty()) {
        message = pending_.front();
        pending_.pop_front();
        return true;
    }
    // A posted quit is taken only once nothing else is waiting.
    if (quitPosted_) {
        quitPosted_ = false;
        message = CWindowMessage{};
        message.message = WindowMessage::quit;
        return true;
    }
    return false;
}

int CSdlPlatform::defaultProcedure(const CWindowMessage& message)
{
    // Closing hides the window at once; it is destroyed with the application,
    // so the rest of the loop turn never draws into a destroyed drawable.
    if (message.message == WindowMessage::close && videoRunning()) {
        SDL_Window* window = SDL_GetWindowFromID(static_cast<Uint32>(message.window));
        if (window != nullptr)
            SDL_HideWindow(window);
    }
    return 0;
}

void CSdlPlatform::postQuitMessage()
{
    quitPosted_ = true;
}

bool CSdlPlatform::cursorScreenPosition(int& x, int& y)
{
    if (!videoRunning())
        return false;
    SDL_GetGlobalMouseState(&x, &y);
    return true;
}

bool CSdlPlatform::waitMessage(std::uint32_t milliseconds)
{
    if (!pending_.empty() || quitPosted_)
        return true;
    if (!videoRunning()) {
        SDL_Delay(milliseconds);
        return false;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(milliseconds)) == 0)
        return false;
    takeEvent(event);
    return true;
}

unsigned int CSdlPlatform::keyModifiers()
{
    // The modifiers of the key event being handled, not of the keyboard now:
    // a shortcut is what was pressed, however late it is handled.
    const Uint16 held = translator_.modifiers();
    unsigned int result = 0;
    if ((held & KMOD_SHIFT) != 0)
        result |= KeyModifier::shift;
    if ((held & KMOD_CTRL) != 0)
        result |= KeyModifier::control;
    if ((held & KMOD_ALT) != 0)
        result |= KeyModifier::alt;
    return result;
}

void CSdlPlatform::maximiseWindow(WindowHandle window, bool maximised)
{
    if (window == nullptr)
        return;
    if (maximised)
        SDL_MaximizeWindow(toWindow(window));
    else
        SDL_RestoreWindow(toWindow(window));
}

bool CSdlPlatform::isWindowMaximised(WindowHandle window)
{
    return window != nullptr && (SDL_GetWindowFlags(toWindow(window)) & SDL_WINDOW_MAXIMIZED) != 0;
}

bool CSdlPlatform::setDesktopFullscreen(WindowHandle window, bool fullscreen)
{
    if (window == nullptr)
        return false;
    return SDL_SetWindowFullscreen(toWindow(window), fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void CSdlPlatform::setMinimumWindowSize(WindowHandle window, int width, int height)
{
    if (window != nullptr)
        SDL_SetWindowMinimumSize(toWindow(window), width, height);
}

void CSdlPlatform::setPixelFormat(const CPixelFormat& format)
{
    format_ = format;
}

bool CSdlPlatform::multisampleFormatAvailable(const CPixelFormat& format)
{
    if (!videoRunning() || format.samples == 0)
        return false;
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();

    applyPixelFormat(format);
    bool available = false;
    SDL_Window* probe = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                                         SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (probe != nullptr) {
        SDL_GLContext context = SDL_GL_CreateContext(probe);
        if (context != nullptr) {
            int buffers = 0;
            available = SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers) == 0 && buffers > 0;
            SDL_GL_DeleteContext(context);
        }
        SDL_DestroyWindow(probe);
    }
    applyPixelFormat(format_);
    if (previousWindow != nullptr && previousContext != nullptr)
        SDL_GL_MakeCurrent(previousWindow, previousContext);
    return available;
}

CPlatform::ContextHandle CSdlPlatform::createGLContext(WindowHandle window)
{
    if (window == nullptr)
        return nullptr;
    return SDL_GL_CreateContext(toWindow(window));
}

bool CSdlPlatform::makeCurrent(WindowHandle window, ContextHandle context)
{
    return SDL_GL_MakeCurrent(toWindow(window), static_cast<SDL_GLContext>(context)) == 0;
}

void CSdlPlatform::deleteGLContext(ContextHandle context)
{
    if (context == nullptr)
        return;
    if (SDL_GL_GetCurrentContext() == context)
        SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
}

void CSdlPlatform::swapBuffers(WindowHandle window)
{
    if (window != nullptr)
        SDL_GL_SwapWindow(toWindow(window));
}

void* CSdlPlatform::glProcAddress(const char* name)
{
    if (!videoRunning() || name == nullptr)
        return nullptr;
    return SDL_GL_GetProcAddress(name);
}

bool CSdlPlatform::drawableSize(WindowHandle window, int& width, int& height)
{
    if (window == nullptr)
        return false;
    SDL_GL_GetDrawableSize(toWindow(window), &width, &height);
    return true;
}
