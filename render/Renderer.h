// Renderer: the process-wide GL state of the engine.
//
// `initialiseRenderer` sets the default state once per GL context and reads
// the renderer's capabilities; the other operations are thin wrappers over
// fixed-function OpenGL that the application uses between draws (clear,
// capabilities, scissor, viewport, matrices, lights). Drawables set and restore
// their own state around every draw (CShape). All need a current GL context,
// except the queries of the capabilities.
#pragma once

#include <cstdint>

class CLight;
class CMatrix;

struct RendererCapabilities {
    bool multitexture = false;     // "GL_ARB_multitexture" loaded
    bool vertexBuffers = false;    // "GL_ARB_vertex_buffer_object" loaded
    bool vertexShader = false;     // not used by drawing
    bool fragmentShader = false;   // not used by drawing
    std::int32_t textureLayerLimit = 0;   // most texture layers a draw binds
};

// Default GL state, capability flags, the draw's vertex buffers. Call once
// after a context is made current (again for a new context).
void initialiseRenderer();
bool isRendererInitialised();
// Forgets the context: call before it is destroyed. Later GL work waits for
// the next initialiseRenderer.
void shutdownRenderer();

const RendererCapabilities& rendererCapabilities();
// Replaces the flags read at initialisation, e.g. to draw as a GL without
// multitexture or vertex buffers would. Flags for groups that did not load
// are not turned on.
void setRendererCapabilities(const RendererCapabilities& capabilities);

// The draw's own buffer names (0 without vertex buffers).
enum class VertexBuffer : std::uint32_t { Positions, TexCoords, Normals, Colours, Indices, Count };
std::uint32_t vertexBufferName(VertexBuffer buffer);

// Sets the clear colour and clears colour, depth and stencil, in that order.
void clear(float red, float green, float blue, float alpha);
void setCapability(std::uint32_t capability, bool enabled);
void setScissor(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
// A width or height of 0 becomes 1.
void setViewport(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
// Select the matrix and, when one is given, load its 16 elements.
void loadProjection(const CMatrix* matrix = nullptr);
void loadModelView(const CMatrix* matrix = nullptr);
// Multiply onto the current matrix.
void multiplyMatrix(const CMatrix& matrix);
void translate(float x, float y, float z);
// Sets GL light (0 + index) from light; a disabled light is switched off.
void applyLight(std::uint32_t index, const CLight& light);
