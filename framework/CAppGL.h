// CAppGL: the application with an OpenGL context on its window.
//
// createGLWindow creates the window with a double-buffered RGBA format of the
// given colour, depth and stencil bits and a GL context on it. A sample count
// above 0 asks for multisampling: when the platform can make a multisampled
// window, the single-sample window and context are torn down and made again
// with the multisampled format; otherwise the single-sample window is kept and
// nothing is reported. Each rendered frame emits the frame tick, draws, swaps
// the buffers and sleeps out the frame time.
#pragma once

#include "framework/CApp.h"

class CAppGL : public CApp {
public:
    CAppGL() = default;
    // Deletes the GL context (after the closing handler), then the window
    // (CApp).
    ~CAppGL() override;

    void frame() override;
    // Draws and swaps when the context is ready (no pacing, no tick).
    void repaint() override;

    // Returns false (nothing more done) when the window cannot be made; when
    // the GL context cannot be made, shows "Could not create OpenGL context"
    // (title "App Error") and returns false.
    virtual bool createGLWindow(unsigned int width, unsigned int height, bool framed, bool resizable,
                                bool fullscreen, std::uint8_t colourBits, std::uint8_t depthBits,
                                std::uint8_t stencilBits, std::uint32_t samples);

    CPlatform::ContextHandle getContext() const { return context_; }

    // Called once the context is current, to set the renderer's default
    // state (the renderer sits above the framework and installs it).
    using ContextReadyHandler = void (*)();
    static void setContextReadyHandler(ContextReadyHandler handler);

    // Called just before a context that was announced ready is deleted (by
    // the destructor or by a new createGLWindow), while it is still current,
    // so that the renderer can let go of it.
    using ContextClosingHandler = void (*)();
    static void setContextClosingHandler(ContextClosingHandler handler);

private:
    bool createContext();
    void deleteContext();

    CPlatform::ContextHandle context_ = nullptr;
    // The ready handler's turn came for context_: the closing one's is due.
    bool contextReady_ = false;
};
