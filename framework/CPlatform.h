// CPlatform: everything the framework needs from the windowing system, the
// GL context provider and the clock, behind one small interface.
//
// The engine runs on SDL2 (CSdlPlatform, the default); tests install their
// own implementation with setPlatform() to drive the framework without a
// display and with an injected clock. Only one top-level window exists per
// process. Handles are opaque to callers.
#pragma once

#include "framework/WindowMessages.h"

#include <cstdint>

// The GL buffer layout asked for when the window is created. A sample count
// above 0 asks for a multisampled format.
struct CPixelFormat {
    std::uint8_t colourBits = 32;
    std::uint8_t depthBits = 24;
    std::uint8_t stencilBits = 8;
    std::uint32_t samples = 0;
};

// Bits of CPlatform::keyModifiers().
namespace KeyModifier {
inline constexpr unsigned int shift = 1;
inline constexpr unsigned int control = 2;
inline constexpr unsigned int alt = 4;
}

class CPlatform {
public:
    using WindowHandle = void*;
    using ContextHandle = void*;

    virtual ~CPlatform() = default;

    // The millisecond clock (wraps after about 49.7 days) and a sleep.
    virtual std::uint32_t milliseconds() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;

    // A warning box without an owner window. Returns at once when there is no
    // display to show it on.
    virtual void messageBox(const char* text, const char* title) = 0;

    // Starting and stopping the windowing system, once per window life.
    virtual bool registerWindowClass() = 0;
    virtual void unregisterWindowClass() = 0;

    // Creates the one visible top-level window at the default position with a
    // client area of width x height and the pixel format last set. Returns
    // null on failure.
    virtual WindowHandle createWindow(int width, int height, bool framed, bool resizable) = 0;
    virtual void destroyWindow(WindowHandle window) = 0;
    virtual void setWindowTitle(WindowHandle window, const char* text) = 0;
    virtual void setWindowPosition(WindowHandle window, int x, int y) = 0;
    // Gives the window a new size and sets or clears its top-most state.
    virtual void setWindowSize(WindowHandle window, int width, int height, bool topMost) = 0;
    virtual void showWindow(WindowHandle window, int command) = 0;
    // The primary screen's size in pixels; false when unknown.
    virtual bool screenSize(int& width, int& height) = 0;
    // Switches the display to width x height (depth and refresh unchanged)
    // and back to the desktop mode.
    virtual bool enterFullscreenMode(WindowHandle window, int width, int height) = 0;
    virtual void leaveFullscreenMode(WindowHandle window) = 0;

    // Takes the next pending message (translated; a quit request arrives as
    // WindowMessage::quit). False when the queue is empty.
    virtual bool peekMessage(CWindowMessage& message) = 0;
    // What the windowing system does with a message the framework does not end.
    virtual int defaultProcedure(const CWindowMessage& message) = 0;
    virtual void postQuitMessage() = 0;
    // The cursor in screen coordinates; false when unknown.
    virtual bool cursorScreenPosition(int& x, int& y) = 0;
    // Waits up to `milliseconds` for a message; true when one is pending.
    // Platforms without a queue to wait on just sleep.
    virtual bool waitMessage(std::uint32_t milliseconds)
    {
        sleep(milliseconds);
        return false;
    }
    // The modifier keys held now (KeyModifier bits), 0 when unknown.
    virtual unsigned int keyModifiers() { return 0; }
    // Window operations of a desktop with a window manager: maximise and
    // restore (no-ops where unknown), and full screen at the desktop's own
    // resolution without a display-mode change.
    virtual void maximiseWindow(WindowHandle, bool) {}
    virtual bool isWindowMaximised(WindowHandle) { return false; }
    virtual bool setDesktopFullscreen(WindowHandle, bool) { return false; }
    // The smallest size the user may give a resizable window.
    virtual void setMinimumWindowSize(WindowHandle, int, int) {}

    // The format the next createWindow uses.
    virtual void setPixelFormat(const CPixelFormat& format) = 0;
    // Whether a window with this multisampled format can be made. Leaves the
    // current window and context as they were.
    virtual bool multisampleFormatAvailable(const CPixelFormat& format) = 0;
    virtual ContextHandle createGLContext(WindowHandle window) = 0;
    virtual bool makeCurrent(WindowHandle window, ContextHandle context) = 0;
    virtual void deleteGLContext(ContextHandle context) = 0;
    virtual void swapBuffers(WindowHandle window) = 0;
    virtual void* glProcAddress(const char* name) = 0;
    virtual bool drawableSize(WindowHandle window, int& width, int& height) = 0;
};

// The platform in use: the SDL platform unless another was installed.
CPlatform& platform();
// Installs a platform (not owned); null goes back to the SDL platform.
void setPlatform(CPlatform* replacement);
