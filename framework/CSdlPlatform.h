// CSdlPlatform: the framework's platform on SDL2 (video, GL context, events,
// display modes, message boxes, clock, cursor).
//
// The window class of the classic desktop API has no SDL counterpart;
// registering it starts SDL's video subsystem and unregistering stops it. The
// pixel format is applied as GL attributes when the window is created, as
// SDL chooses the visual then. Message boxes are warning boxes over the
// application's window: GTK 3 shows them where it can start (framework/GtkDialogs),
// SDL's own box otherwise, and when neither can be shown (no display) the
// text goes to stderr.
// Override messageBox() to keep boxes from blocking a test.
#pragma once

#include "framework/CPlatform.h"
#include "framework/CSdlEventTranslator.h"

#include <deque>

class CSdlPlatform : public CPlatform {
public:
    std::uint32_t milliseconds() override;
    void sleep(std::uint32_t milliseconds) override;
    void messageBox(const char* text, const char* title) override;

    bool registerWindowClass() override;
    void unregisterWindowClass() override;
    WindowHandle createWindow(int width, int height, bool framed, bool resizable) override;
    void destroyWindow(WindowHandle window) override;
    void setWindowTitle(WindowHandle window, const char* text) override;
    void setWindowPosition(WindowHandle window, int x, int y) override;
    void setWindowSize(WindowHandle window, int width, int height, bool topMost) override;
    void showWindow(WindowHandle window, int command) override;
    bool screenSize(int& width, int& height) override;
    bool enterFullscreenMode(WindowHandle window, int width, int height) override;
    void leaveFullscreenMode(WindowHandle window) override;

    bool peekMessage(CWindowMessage& message) override;
    int defaultProcedure(const CWindowMessage& message) override;
    void postQuitMessage() override;
    bool cursorScreenPosition(int& x, int& y) override;
    bool waitMessage(std::uint32_t milliseconds) override;
    unsigned int keyModifiers() override;
    void maximiseWindow(WindowHandle window, bool maximised) override;
    bool isWindowMaximised(WindowHandle window) override;
    bool setDesktopFullscreen(WindowHandle window, bool fullscreen) override;
    void setMinimumWindowSize(WindowHandle window, int width, int height) override;

    void setPixelFormat(const CPixelFormat& format) override;
    bool multisampleFormatAvailable(const CPixelFormat& format) override;
    ContextHandle createGLContext(WindowHandle window) override;
    bool makeCurrent(WindowHandle window, ContextHandle context) override;
    void deleteGLContext(ContextHandle context) override;
    void swapBuffers(WindowHandle window) override;
    void* glProcAddress(const char* name) override;
    bool drawableSize(WindowHandle window, int& width, int& height) override;

private:
    void takeEvent(const SDL_Event& event);

    CPixelFormat format_;
    CSdlEventTranslator translator_;
    std::deque<CWindowMessage> pending_;
    bool quitPosted_ = false;
};
