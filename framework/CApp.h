// CApp: the platform application: one window, its message handling, the main
// loop and frame pacing.
//
// Exactly one application exists per process. Its constructor makes it the
// current application (currentApp), through which the window procedure and
// the entry point reach it; its destructor clears it again. The main loop
// pumps every pending window message, emits the frame tick that drives
// timers, and then draws one frame and sleeps out the rest of the frame time,
// unless the window is minimised or hidden (then it only sleeps one frame
// time). In on-demand mode (setRedrawOnDemand) an idle window draws nothing
// and waits for the next message or timer instead. The window operations talk to the windowing system through
// CPlatform; SDL2 by default.
//
// Window sizes are client sizes: a framed window's border comes on top of
// the size asked for.
#pragma once

#include "core/CSlotList.h"
#include "core/String.h"
#include "framework/CDisplay.h"
#include "framework/CPlatform.h"

#include <cstdint>
#include <string>
#include <vector>

class CApp {
public:
    struct Size {
        unsigned int width;
        unsigned int height;
    };

    CApp();
    CApp(const CApp&) = delete;
    CApp& operator=(const CApp&) = delete;

    // Virtual operations, in this order.
    // Starts the windowing system and creates the window, then sizes it with
    // setSize(). Shows "Could not register window" or "Could not create
    // window" (title "App Error") and returns false on failure.
    virtual bool createWindow(unsigned int width, unsigned int height, bool framed, bool resizable, bool fullscreen);
    // Draws one frame and sleeps for what is left of the frame time.
    virtual void frame();
    // Draws the scene; empty here.
    virtual void draw();
    virtual ~CApp();
    // The program's entry operation, called by the entry point with a count
    // of 0 or 1 and the whole command line as the one argument.
    virtual int main(int argumentCount, char** arguments) = 0;
    // Draws one frame at once, outside the loop and without pacing (a modal
    // dialog keeps the window drawn behind it). Nothing without a window.
    virtual void repaint();
    // Asked when the window is to be closed (the desktop's close button);
    // false keeps it open. True here.
    virtual bool queryClose();

    // The main loop; returns when running becomes false.
    void run();
    bool isRunning() const { return running_; }
    // Clears the running flag: the loop ends after its current turn.
    void stop() { running_ = false; }

    // Redraw on demand: the loop then draws a frame only after a message, a
    // timer firing or requestRedraw(), and otherwise waits for the next
    // message or timer deadline instead of drawing every frame time. Off by
    // default (a frame every turn).
    void setRedrawOnDemand(bool onDemand) { redrawOnDemand_ = onDemand; }
    bool isRedrawOnDemand() const { return redrawOnDemand_; }
    // Asks for one more frame in on-demand mode.
    void requestRedraw() { redrawWanted_ = true; }
    // In on-demand mode, asked after each message has been handled: whether
    // it may have changed what is drawn. True here; an application that
    // knows a pointer move changed nothing (and asks with requestRedraw
    // when something did) saves drawing a frame per move.
    virtual bool messageChangesFrame(const CWindowMessage& message);
    // Frames drawn by the loop so far.
    std::uint64_t getFrameCount() const { return frameCount_; }

    bool isFullscreen() const { return fullscreen_; }
    bool isResizable() const { return resizable_; }
    Size getSize() const { return Size{width_, height_}; }
    int getX() const { return windowX_; }
    int getY() const { return windowY_; }
    int getFrameTime() const { return frameTime_; }
    void setFrameTime(int milliseconds) { frameTime_ = milliseconds; }
    // 0 hidden, 5 shown, 6 minimised (see ShowCommand).
    int getShowState() const { return showState_; }
    CPlatform::WindowHandle getWindow() const { return window_; }

    void setTitle(const String& text);
    // Moves the window; size and stacking order unchanged.
    void setPosition(int x, int y);
    // Centres the window on the primary screen along the axes asked for.
    void centre(bool horizontally, bool vertically);
    // Resizes the window and switches the display into or out of full-screen
    // mode ("Could not set to fullscreen mode", title "Error", on failure).
    void setSize(unsigned int width, unsigned int height, bool fullscreen);
    // Stores the show command as the show state and applies it.
    void show(int command);
    // Asks the desktop to minimise the window. Unlike show(minimise) the show
    // state follows the desktop: drawing stops only once the platform reports
    // the window minimised, so a desktop that does not iconify it (or a
    // session without a window manager) keeps a live window.
    void minimiseWindow();
    // Maximises or restores the window as the desktop does it (no display
    // mode change), and whether it is maximised now.
    void setMaximised(bool maximised);
    bool isMaximised() const;
    // Full screen at the desktop's own resolution, without a display-mode
    // change; false when the desktop refused. The new size arrives as a
    // resize. Independent of setSize's mode switch.
    bool setDesktopFullscreen(bool fullscreen);
    bool isDesktopFullscreen() const { return desktopFullscreen_; }
    // The smallest size the person may give a resizable window.
    void setMinimumSize(unsigned int width, unsigned int height);

    // Emitted by the window procedure: every message (number, first and
    // second parameter), moves, resizes (with their size type) and focus
    // changes (true when gained).
    CSignal<unsigned int, int, int> onMessage;
    CSignal<int, int> onMove;
    CSignal<int, int, CDisplay::SizeType> onResize;
    CSignal<bool> onFocus;
    // Files and folders dropped on the window from a file manager, all paths
    // of one drop at once, in the order the file manager gave them.
    CSignal<const std::vector<std::string>&> onDropFiles;

protected:
    // Destroys the window and stops the windowing system (used when the
    // window is made again with another pixel format).
    void destroyWindowAndClass();
    // Sleeps for what is left of the frame time after a frame begun at
    // `start` (the platform clock, across its wrap).
    void sleepRestOfFrame(std::uint32_t start);

    CPlatform::WindowHandle window_ = nullptr;
    bool classRegistered_ = false;
    bool running_ = false;
    bool fullscreen_ = false;
    bool resizable_ = false;
    int windowX_ = 0;
    int windowY_ = 0;
    unsigned int width_ = 0;
    unsigned int height_ = 0;
    int frameTime_ = 1;
    int showState_ = 5;
    bool redrawOnDemand_ = false;
    bool redrawWanted_ = true;
    bool desktopFullscreen_ = false;
    unsigned int windowedWidth_ = 0;   // the size before desktop full screen
    unsigned int windowedHeight_ = 0;
    std::uint64_t frameCount_ = 0;
    CSlotList slots;

private:
    void handleResize(int width, int height, CDisplay::SizeType type);
    // One turn's drawing or waiting in on-demand mode.
    void drawOrWait(bool changed);
};

// The current application: set by the CApp constructor, cleared by its
// destructor. Null when none exists.
extern CApp* currentApp;

// The frame tick, emitted once per main-loop turn and once more per rendered
// frame by CAppGL. Made on first use, so it exists before any static object
// can connect to it, and lives until process exit.
CSignal<>& frameTick();

// Asks the main loop to end: a quit message is queued behind every pending
// message, and the loop stops when it takes it.
void postQuitMessage();
