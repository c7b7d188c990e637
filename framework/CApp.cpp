// CApp: application object, window operations and the main loop.
#include "framework/CApp.h"

#include "framework/CTimer.h"
#include "framework/WindowProcedure.h"

#include <algorithm>

CApp* currentApp = nullptr;

CSignal<>& frameTick()
{
    static CSignal<> tick;
    return tick;
}

void postQuitMessage()
{
    platform().postQuitMessage();
}

CApp::CApp()
{
    currentApp = this;
    connectSlot(slots, onResize, this, &CApp::handleResize);
}

CApp::~CApp()
{
    slots.clear();
    // Another application made later owns the pointer now; leave it to that one.
    if (currentApp == this)
        currentApp = nullptr;
    destroyWindowAndClass();
    // The slot list and the signals (focus, resized, moved, message) go with
    // the members, in that order.
}

void CApp::handleResize(int width, int height, CDisplay::SizeType type)
{
    width_ = static_cast<unsigned int>(width);
    height_ = static_cast<unsigned int>(height);
    showState_ = type == CDisplay::minimised ? ShowCommand::minimise : ShowCommand::show;
}

bool CApp::createWindow(unsigned int width, unsigned int height, bool framed, bool resizable, bool fullscreen)
{
    resizable_ = resizable;
    if (!classRegistered_) {
        if (!platform().registerWindowClass()) {
            platform().messageBox("Could not register window", "App Error");
            return false;
        }
        classRegistered_ = true;
    }
    // One window per application: a second call replaces the first window.
    if (window_ != nullptr) {
        platform().destroyWindow(window_);
        window_ = nullptr;
        fullscreen_ = false;
    }
    window_ = platform().createWindow(static_cast<int>(width), static_cast<int>(height), framed, resizable);
    if (window_ == nullptr) {
        platform().messageBox("Could not create window", "App Error");
        return false;
    }
    setSize(width, height, fullscreen);
    return true;
}

void CApp::destroyWindowAndClass()
{
    if (window_ != nullptr) {
        platform().destroyWindow(window_);
        window_ = nullptr;
        // The display mode belongs to the window here; it leaves with it.
        fullscreen_ = false;
    }
    if (classRegistered_) {
        platform().unregisterWindowClass();
        classRegistered_ = false;
    }
}

void CApp::draw()
{
}

void CApp::frame()
{
    const std::uint32_t start = platform().milliseconds();
    draw();
    sleepRestOfFrame(start);
}

void CApp::sleepRestOfFrame(std::uint32_t start)
{
    const auto remaining =
        static_cast<std::int32_t>(start + static_cast<std::uint32_t>(frameTime_) - platform().milliseconds());
    if (remaining > 0)
        platform().sleep(static_cast<std::uint32_t>(remaining));
}

void CApp::run()
{
    running_ = true;
    while (running_) {
        CWindowMessage message;
        bool changed = false;
        while (platform().peekMessage(message)) {
            if (message.message == WindowMessage::quit) {
                running_ = false;
                changed = true;
            } else {
                windowProcedure(message);
                changed = changed || messageChangesFrame(message);
            }
        }
        const std::uint64_t firings = timerFiringCount();
        frameTick().emit();
        changed = changed || timerFiringCount() != firings;
        if (redrawOnDemand_) {
            drawOrWait(changed);
            continue;
        }
        if (showState_ != ShowCommand::minimise && showState_ != ShowCommand::hide) {
            ++frameCount_;
            frame();
        } else if (frameTime_ > 0) {
            platform().sleep(static_cast<std::uint32_t>(frameTime_));
        }
    }
}

void CApp::drawOrWait(bool changed)
{
    if (changed)
        redrawWanted_ = true;
    if (!running_)
        return;
    const bool visible = showState_ != ShowCommand::minimise && showState_ != ShowCommand::hide;
    if (visible && redrawWanted_) {
        redrawWanted_ = false;
        ++frameCount_;
        frame();
        return;
    }
    // Nothing to draw: sleep until a message arrives or the next timer is
    // due. The wait is capped so that a clock that jumps cannot stall the
    // loop for long.
    constexpr std::uint32_t longestWait = 1000;
    const std::uint32_t wait = std::min(longestWait, millisecondsToNextTimer(longestWait));
    platform().waitMessage(wait);
}

void CApp::repaint()
{
    if (window_ != nullptr)
        draw();
}

bool CApp::messageChangesFrame(const CWindowMessage&)
{
    return true;
}

bool CApp::queryClose()
{
    return true;
}

void CApp::minimiseWindow()
{
    platform().showWindow(window_, ShowCommand::minimise);
}

void CApp::setMaximised(bool maximised)
{
    platform().maximiseWindow(window_, maximised);
}

bool CApp::isMaximised() const
{
    return platform().isWindowMaximised(window_);
}

bool CApp::setDesktopFullscreen(bool fullscreen)
{
    if (fullscreen == desktopFullscreen_)
        return true;
    if (fullscreen) {
        windowedWidth_ = width_;
        windowedHeight_ = height_;
    }
    if (!platform().setDesktopFullscreen(window_, fullscreen))
        return false;
    desktopFullscreen_ = fullscreen;
    // Without a window manager nothing gives the window its old size back.
    if (!fullscreen && windowedWidth_ > 0 && windowedHeight_ > 0)
        platform().setWindowSize(window_, static_cast<int>(windowedWidth_), static_cast<int>(windowedHeight_),
                                 false);
    return true;
}

void CApp::setMinimumSize(unsigned int width, unsigned int height)
{
    platform().setMinimumWindowSize(window_, static_cast<int>(width), static_cast<int>(height));
}

void CApp::setTitle(const String& text)
{
    platform().setWindowTitle(window_, text.c_str() != nullptr ? text.c_str() : "");
}

void CApp::setPosition(int x, int y)
{
    windowX_ = x;
    windowY_ = y;
    platform().setWindowPosition(window_, x, y);
}

void CApp::centre(bool horizontally, bool vertically)
{
    int screenWidth = 0;
    int screenHeight = 0;
    platform().screenSize(screenWidth, screenHeight);
    if (horizontally)
        windowX_ = screenWidth / 2 - static_cast<int>(width_ / 2);
    if (vertically)
        windowY_ = screenHeight / 2 - static_cast<int>(height_ / 2);
    platform().setWindowPosition(window_, windowX_, windowY_);
}

void CApp::setSize(unsigned int width, unsigned int height, bool fullscreen)
{
    width_ = width;
    height_ = height;
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    if (fullscreen) {
        platform().setWindowSize(window_, w, h, true);
        if (fullscreen_)
            return;
        if (platform().enterFullscreenMode(window_, w, h))
            fullscreen_ = true;
        else
            platform().messageBox("Could not set to fullscreen mode", "Error");
        return;
    }
    // The display mode is left before the window is sized: a size given while
    // the window is still full screen is dropped by the windowing system, and
    // the window would keep the full-screen size.
    if (fullscreen_) {
        platform().leaveFullscreenMode(window_);
        fullscreen_ = false;
    }
    platform().setWindowSize(window_, w, h, false);
}

void CApp::show(int command)
{
    showState_ = command;
    platform().showWindow(window_, command);
}
