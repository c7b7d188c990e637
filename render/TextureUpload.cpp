// TextureUpload: texture parameters and the four upload paths.
#include "render/TextureUpload.h"

#include "image/CImage.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

namespace {

struct PixelFormat {
    GLenum type;             // component type
    GLenum format;           // channel layout
    GLint compressed;        // compressed internal format
    GLint floatInternal;     // internal format for float pixels
};

// False for layouts GL cannot take.
bool pixelFormat(std::uint32_t channels, std::uint32_t bitsPerPixel, PixelFormat& out)
{
    if (channels < 1 || channels > 4 || bitsPerPixel % (8 * channels) != 0)
        return false;
    switch (bitsPerPixel / 8 / channels) {
    case 1: out.type = GL_UNSIGNED_BYTE; break;
    case 2: out.type = GL_UNSIGNED_SHORT; break;
    case 4: out.type = GL_FLOAT; break;
    default: return false;
    }
    static const GLenum formats[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    static const GLint compressed[] = {GL_COMPRESSED_LUMINANCE, GL_COMPRESSED_LUMINANCE_ALPHA, GL_COMPRESSED_RGB,
                                       GL_COMPRESSED_RGBA};
    static const GLint floats[] = {GL_LUMINANCE32F_ARB, GL_LUMINANCE_ALPHA32F_ARB, GL_RGB32F_ARB, GL_RGBA32F_ARB};
    out.format = formats[channels - 1];
    out.compressed = compressed[channels - 1];
    out.floatInternal = floats[channels - 1];
    return true;
}

}  // namespace

bool uploadSquareTexture(const CImage& square, std::uint32_t& textureId, bool linearFilter, bool mipmaps,
                         bool compressTextures)
{
    if (square.getWidth() != square.getHeight())
        return false;
    return uploadSquarePixels(square.getData(), square.getWidth(), square.getChannels(), square.getBitsPerPixel(),
                              textureId, linearFilter, mipmaps, compressTextures);
}

bool uploadSquarePixels(const void* pixels, std::uint32_t side, std::uint32_t channels,
                        std::uint32_t bitsPerPixel, std::uint32_t& textureId, bool linearFilter, bool mipmaps,
                        bool compressTextures)
{
    PixelFormat format{};
    if (!isRendererInitialised() || pixels == nullptr || side == 0 || side > 0x7FFFFFFFu
        || !pixelFormat(channels, bitsPerPixel, format))
        return false;

    GLuint name = textureId;
    if (name != 0)
        glDeleteTextures(1, &name);   // the same name is bound again below
    else
        glGenTextures(1, &name);
    textureId = name;

    const GLint filter = linearFilter ? GL_LINEAR : GL_NEAREST;
    const auto n = static_cast<GLsizei>(side);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : filter);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);

    if (mipmaps && compressTextures) {
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, format.compressed, n, n, 0, format.format, format.type, pixels);
    } else if (mipmaps) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(channels), n, n, format.format, format.type, pixels);
    } else if (compressTextures) {
        glTexImage2D(GL_TEXTURE_2D, 0, format.compressed, n, n, 0, format.format, format.type, pixels);
    } else {
        const GLint internal = format.type == GL_FLOAT ? format.floatInternal : static_cast<GLint>(format.format);
        glTexImage2D(GL_TEXTURE_2D, 0, internal, n, n, 0, format.format, format.type, pixels);
    }
    return true;
}

void deleteTexture(std::uint32_t textureId)
{
    if (textureId == 0 || !isRendererInitialised())
        return;
    const GLuint name = textureId;
    glDeleteTextures(1, &name);
}
