// CAppGL: GL window creation with the multisample path, and the GL frame.
#include "framework/CAppGL.h"

namespace {

CAppGL::ContextReadyHandler contextReadyHandler = nullptr;
CAppGL::ContextClosingHandler contextClosingHandler = nullptr;

}

void CAppGL::setContextReadyHandler(ContextReadyHandler handler)
{
    contextReadyHandler = handler;
}

void CAppGL::setContextClosingHandler(ContextClosingHandler handler)
{
    contextClosingHandler = handler;
}

CAppGL::~CAppGL()
{
    deleteContext();
}

void CAppGL::deleteContext()
{
    if (context_ != nullptr) {
        if (contextReady_ && contextClosingHandler != nullptr)
            contextClosingHandler();
        contextReady_ = false;
        platform().deleteGLContext(context_);
        context_ = nullptr;
    }
}

bool CAppGL::createContext()
{
    context_ = platform().createGLContext(window_);
    if (context_ == nullptr) {
        platform().messageBox("Could not create OpenGL context", "App Error");
        return false;
    }
    platform().makeCurrent(window_, context_);
    return true;
}

bool CAppGL::createGLWindow(unsigned int width, unsigned int height, bool framed, bool resizable, bool fullscreen,
                            std::uint8_t colourBits, std::uint8_t depthBits, std::uint8_t stencilBits,
                            std::uint32_t samples)
{
    CPixelFormat format;
    format.colourBits = colourBits;
    format.depthBits = depthBits;
    format.stencilBits = stencilBits;
    format.samples = 0;
    // The visual is chosen when the window is made, so the format goes first.
    platform().setPixelFormat(format);
    deleteContext();
    if (!createWindow(width, height, framed, resizable, fullscreen))
        return false;
    if (!createContext())
        return false;

    if (samples != 0) {
        CPixelFormat multisampled = format;
        multisampled.samples = samples;
        if (platform().multisampleFormatAvailable(multisampled)) {
            deleteContext();
            destroyWindowAndClass();
            platform().setPixelFormat(multisampled);
            if (!createWindow(width, height, framed, resizable, fullscreen))
                return false;
            if (!createContext())
                return false;
        }
    }

    contextReady_ = true;
    if (contextReadyHandler != nullptr)
        contextReadyHandler();
    return true;
}

void CAppGL::frame()
{
    frameTick().emit();
    const std::uint32_t start = platform().milliseconds();
    draw();
    platform().swapBuffers(window_);
    sleepRestOfFrame(start);
}

void CAppGL::repaint()
{
    if (window_ == nullptr || context_ == nullptr || !contextReady_)
        return;
    draw();
    platform().swapBuffers(window_);
}
