// Screenshot: glReadPixels into an image.
#include "render/Screenshot.h"

#include "image/CImage.h"
#include "render/Renderer.h"

#include <GL/gl.h>

bool readFramebuffer(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                     std::uint32_t channels, CImage& into)
{
    if (!isRendererInitialised() || width == 0 || height == 0 || (channels != 3 && channels != 4))
        return false;
    CImage pixels;
    if (!pixels.create(width, height, channels, channels * 8))
        return false;

    GLint readBuffer = GL_BACK;
    GLint alignment = 4;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);   // rows are tightly packed
    glReadPixels(x, y, GLsizei(width), GLsizei(height), channels == 4 ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE,
                 pixels.getData());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glReadBuffer(GLenum(readBuffer));

    into = std::move(pixels);
    return true;
}
