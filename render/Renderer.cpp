// Renderer: default GL state, capabilities and the global GL operations.
#include "render/Renderer.h"

#include "core/CMatrix.h"
#include "render/CExtensionLoader.h"
#include "render/CLight.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>

namespace {

// GL's limit on the texture-matrix stack, the engine's texture layer limit.
constexpr GLenum maxTextureStackDepth = 0x0D39;

struct RendererState {
    bool initialised = false;
    RendererCapabilities loaded;    // what the context offers
    RendererCapabilities current;   // what drawing uses
    GLuint buffers[static_cast<std::uint32_t>(VertexBuffer::Count)] = {};
};

RendererState& state()
{
    static RendererState rendererState;
    return rendererState;
}

void loadMatrix(GLenum mode, const CMatrix* matrix)
{
    glMatrixMode(mode);
    if (matrix == nullptr)
        return;
    float elements[16];
    for (std::uint32_t i = 0; i < 16; ++i)
        elements[i] = matrix->element(i);
    glLoadMatrixf(elements);
}

void lightColour(GLenum light, GLenum parameter, const CVector& colour)
{
    const float values[4] = {colour.x, colour.y, colour.z, 1.0f};
    glLightfv(light, parameter, values);
}

}  // namespace

void initialiseRenderer()
{
    RendererState& s = state();
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_NORMALIZE);
    glEnable(GL_LIGHTING);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);

    RendererCapabilities caps;
    caps.multitexture = loadExtension("GL_ARB_multitexture");
    caps.vertexBuffers = loadExtension("GL_ARB_vertex_buffer_object");
    caps.vertexShader = loadExtension("GL_ARB_vertex_shader");
    caps.fragmentShader = loadExtension("GL_ARB_fragment_shader");
    GLint stackDepth = 0;
    glGetIntegerv(maxTextureStackDepth, &stackDepth);
    caps.textureLayerLimit = stackDepth;
    if (caps.multitexture) {
        // The matrix stack may be deeper than there are texture units (Mesa:
        // 10 against 8); binding past the last unit is an error.
        GLint units = 0;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
        caps.textureLayerLimit = std::min(stackDepth, units);
    }

    std::fill(std::begin(s.buffers), std::end(s.buffers), 0u);
    if (caps.vertexBuffers) {
        auto genBuffers = glEntry<PFNGLGENBUFFERSARBPROC>(GLEntryPoint::GenBuffersARB);
        genBuffers(static_cast<GLsizei>(VertexBuffer::Count), s.buffers);
    }
    s.loaded = caps;
    s.current = caps;
    s.initialised = true;
}

bool isRendererInitialised()
{
    return state().initialised;
}

void shutdownRenderer()
{
    RendererState& s = state();
    if (s.initialised && s.loaded.vertexBuffers) {
        auto deleteBuffers = glEntry<PFNGLDELETEBUFFERSARBPROC>(GLEntryPoint::DeleteBuffersARB);
        if (deleteBuffers)
            deleteBuffers(static_cast<GLsizei>(VertexBuffer::Count), s.buffers);
    }
    s = RendererState{};
}

const RendererCapabilities& rendererCapabilities()
{
    return state().current;
}

void setRendererCapabilities(const RendererCapabilities& capabilities)
{
    RendererState& s = state();
    s.current.multitexture = capabilities.multitexture && s.loaded.multitexture;
    s.current.vertexBuffers = capabilities.vertexBuffers && s.loaded.vertexBuffers;
    s.current.vertexShader = capabilities.vertexShader && s.loaded.vertexShader;
    s.current.fragmentShader = capabilities.fragmentShader && s.loaded.fragmentShader;
    s.current.textureLayerLimit = std::clamp(capabilities.textureLayerLimit, 0, s.loaded.textureLayerLimit);
}

std::uint32_t vertexBufferName(VertexBuffer buffer)
{
    const auto index = static_cast<std::uint32_t>(buffer);
    return index < static_cast<std::uint32_t>(VertexBuffer::Count) ? state().buffers[index] : 0;
}

void clear(float red, float green, float blue, float alpha)
{
    glClearColor(red, green, blue, alpha);
    glClear(GL_COLOR_BUFFER_BIT);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClear(GL_STENCIL_BUFFER_BIT);
}

void setCapability(std::uint32_t capability, bool enabled)
{
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}

void setScissor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    glScissor(x, y, width, height);
}

void setViewport(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    glViewport(x, y, width == 0 ? 1 : width, height == 0 ? 1 : height);
}

void loadProjection(const CMatrix* matrix)
{
    loadMatrix(GL_PROJECTION, matrix);
}

void loadModelView(const CMatrix* matrix)
{
    loadMatrix(GL_MODELVIEW, matrix);
}

void multiplyMatrix(const CMatrix& matrix)
{
    float elements[16];
    for (std::uint32_t i = 0; i < 16; ++i)
        elements[i] = matrix.element(i);
    glMultMatrixf(elements);
}

void translate(float x, float y, float z)
{
    glTranslatef(x, y, z);
}

void applyLight(std::uint32_t index, const CLight& light)
{
    const GLenum id = GL_LIGHT0 + index;
    if (!light.enabled) {
        glDisable(id);
        return;
    }
    glEnable(id);
    const float position[4] = {light.position.x, light.position.y, light.position.z, 1.0f};
    glLightfv(id, GL_POSITION, position);
    lightColour(id, GL_AMBIENT, light.colours.ambient);
    lightColour(id, GL_DIFFUSE, light.colours.diffuse);
    lightColour(id, GL_SPECULAR, light.colours.specular);
    glLightf(id, GL_CONSTANT_ATTENUATION, light.attenuation.x);
    glLightf(id, GL_LINEAR_ATTENUATION, light.attenuation.y);
    glLightf(id, GL_QUADRATIC_ATTENUATION, light.attenuation.z);
    if (!light.noSpot) {
        const float direction[3] = {light.spotDirection.x, light.spotDirection.y, light.spotDirection.z};
        glLightfv(id, GL_SPOT_DIRECTION, direction);
        glLightf(id, GL_SPOT_CUTOFF, light.spotCutOff);
        glLightf(id, GL_SPOT_EXPONENT, light.spotExponent);
    } else {
        // A light that was a spot before must not stay one.
        glLightf(id, GL_SPOT_CUTOFF, 180.0f);
    }
}
