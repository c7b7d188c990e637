// One SDL window with a GL context for all display tests of the renderer.
#include "GLTestContext.h"

#include "core/CMatrix.h"
#include "core/CVector.h"
#include "image/CImage.h"
#include "render/Renderer.h"
#include "render/Screenshot.h"

#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

SDL_Window* window = nullptr;
SDL_GLContext context = nullptr;

class GLEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
        if (SDL_Init(SDL_INIT_VIDEO) != 0)
            return;
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
        SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
        window = SDL_CreateWindow("render tests", 0, 0, testWindowWidth, testWindowHeight,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
        if (window == nullptr)
            return;
        context = SDL_GL_CreateContext(window);
        if (context == nullptr)
            return;
        SDL_GL_MakeCurrent(window, context);
        initialiseRenderer();
    }

    void TearDown() override
    {
        if (context != nullptr) {
            shutdownRenderer();
            SDL_GL_DeleteContext(context);
        }
        if (window != nullptr)
            SDL_DestroyWindow(window);
        SDL_Quit();
    }
};

[[maybe_unused]] ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new GLEnvironment);

}  // namespace

bool glTestContextReady()
{
    return context != nullptr && isRendererInitialised();
}

void setEngineCamera()
{
    setViewport(0, 0, testWindowWidth, testWindowHeight);
    setCapability(GL_SCISSOR_TEST, false);
    const CMatrix projection = CMatrix::orthographic(0, testWindowWidth, testWindowHeight, 0, 0, 1000);
    loadProjection(&projection);
    CMatrix camera(4, 4);
    camera.setTranslation(CVector(float(testWindowWidth), float(testWindowHeight), 0.0f));
    const CMatrix identity(4, 4);
    loadModelView(&identity);
    multiplyMatrix(camera.inverse());
}

Pixel readGuiPixel(int x, int y)
{
    CImage pixel;
    if (!readFramebuffer(x, testWindowHeight - 1 - y, 1, 1, 4, pixel))
        return {0, 0, 0, 0};
    const std::uint8_t* rgba = pixel.getData();
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}
