// CShape: arrays, rotation, normals and the mesh draw.
#include "render/CShape.h"

#include "render/CExtensionLoader.h"
#include "render/Renderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Largest element count whose byte size still fits in 32 bits.
bool fitsIn32Bits(std::uint32_t count, std::uint32_t bytesPerElement)
{
    return std::uint64_t(count) * bytesPerElement <= 0xFFFFFFFFull;
}

template <typename T>
std::unique_ptr<T[]> allocateArray(std::uint32_t count)
{
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

struct Vec3 {
    float x, y, z;
};

Vec3 positionAt(const float* positions, std::uint32_t index)
{
    return {positions[index * 3], positions[index * 3 + 1], positions[index * 3 + 2]};
}

// The face normal of the triangle p0, p1, p2: (p1 - p0) x (p0 - p2). Counter-
// clockwise triangles (seen from +z) face negative z.
Vec3 faceNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2)
{
    const Vec3 a{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
    const Vec3 b{p0.x - p2.x, p0.y - p2.y, p0.z - p2.z};
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void addTo(float* normals, std::uint32_t index, const Vec3& n)
{
    normals[index * 3] += n.x;
    normals[index * 3 + 1] += n.y;
    normals[index * 3 + 2] += n.z;
}

void normaliseInPlace(float* v)
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length != 0.0f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

void loadMatrixElements(const CMatrix& matrix, float out[16])
{
    for (std::uint32_t i = 0; i < 16; ++i)
        out[i] = matrix.element(i);
}

void colourArray(const CVector& colour, float out[4])
{
    out[0] = colour.x;
    out[1] = colour.y;
    out[2] = colour.z;
    out[3] = colour.w;
}

// The entry points one draw needs, or null when the renderer lacks them.
struct DrawEntryPoints {
    PFNGLACTIVETEXTUREARBPROC activeTexture = nullptr;
    PFNGLCLIENTACTIVETEXTUREARBPROC clientActiveTexture = nullptr;
    PFNGLBINDBUFFERARBPROC bindBuffer = nullptr;
    PFNGLBUFFERDATAARBPROC bufferData = nullptr;

    bool multitexture() const { return activeTexture && clientActiveTexture; }
    bool vertexBuffers() const { return bindBuffer && bufferData; }
};

DrawEntryPoints drawEntryPoints()
{
    const RendererCapabilities& caps = rendererCapabilities();
    DrawEntryPoints entries;
    if (caps.multitexture) {
        entries.activeTexture = glEntry<PFNGLACTIVETEXTUREARBPROC>(GLEntryPoint::ActiveTextureARB);
        entries.clientActiveTexture = glEntry<PFNGLCLIENTACTIVETEXTUREARBPROC>(GLEntryPoint::ClientActiveTextureARB);
    }
    if (caps.vertexBuffers) {
        entries.bindBuffer = glEntry<PFNGLBINDBUFFERARBPROC>(GLEntryPoint::BindBufferARB);
        entries.bufferData = glEntry<PFNGLBUFFERDATAARBPROC>(GLEntryPoint::BufferDataARB);
    }
    return entries;
}

// Hands one array to GL: uploads it to its own buffer and returns offset 0,
// or returns the array itself for a client-side pointer.
const void* submitArray(const DrawEntryPoints& gl, VertexBuffer buffer, const void* data, std::uint32_t bytes)
{
    if (!gl.vertexBuffers())
        return data;
    gl.bindBuffer(GL_ARRAY_BUFFER_ARB, vertexBufferName(buffer));
    gl.bufferData(GL_ARRAY_BUFFER_ARB, bytes, data, GL_DYNAMIC_DRAW_ARB);
    return nullptr;
}

}  // namespace

CShape::CShape() : rotation(0.0f, 0.0f, 0.0f, 0.0f), scale(1.0f, 1.0f, 1.0f, 0.0f)
{
}

CShape::~CShape() = default;

bool CShape::allocateVertices(std::uint32_t count)
{
    positions.reset();
    texCoords.reset();
    normals.reset();
    colours.reset();
    vertexCount = 0;
    if (count == 0)
        return true;
    if (!fitsIn32Bits(count, 3 * sizeof(float)))
        return false;
    positions = allocateArray<float>(count * 3);
    texCoords = allocateArray<float>(count * 2);
    normals = allocateArray<float>(count * 3);
    colours = allocateArray<std::uint8_t>(count * 4);
    if (!positions || !texCoords || !normals || !colours) {
        positions.reset();
        texCoords.reset();
        normals.reset();
        colours.reset();
        return false;
    }
    std::fill_n(positions.get(), count * 3, 0.0f);
    std::fill_n(texCoords.get(), count * 2, 0.0f);
    std::fill_n(normals.get(), count * 3, 0.0f);
    std::fill_n(colours.get(), count * 4, std::uint8_t(255));
    vertexCount = count;
    return true;
}

bool CShape::allocateIndices(std::uint32_t count)
{
    indices.reset();
    faceNormals.reset();
    indexCount = 0;
    if (count == 0)
        return true;
    if (!fitsIn32Bits(count, sizeof(float)))
        return false;
    indices = allocateArray<std::uint16_t>(count);
    faceNormals = allocateArray<float>(count);
    if (!indices || !faceNormals) {
        indices.reset();
        faceNormals.reset();
        return false;
    }
    // NOTE: zeroed although callers must write them, so a forgotten index
    // draws vertex 0 instead of garbage.
    std::fill_n(indices.get(), count, std::uint16_t(0));
    std::fill_n(faceNormals.get(), count, 0.0f);
    indexCount = count;
    return true;
}

CVertex CShape::vertex(std::uint32_t index)
{
    if (index >= vertexCount)
        return CVertex{};
    const std::uint8_t* colour = colours.get() + std::size_t(index) * 4;
    return CVertex{
        CVector(positions.get() + std::size_t(index) * 3, 3),
        CVector(texCoords.get() + std::size_t(index) * 2, 2),
        CVector(normals.get() + std::size_t(index) * 3, 3),
        CVector(float(colour[0]), float(colour[1]), float(colour[2]), float(colour[3])),
    };
}

void CShape::setRotation(float x, float y, float z)
{
    CVector quaternion;
    quaternion.fromEuler(x, y, z);
    CMatrix rotationMatrix(4, 4);
    CVector::toMatrix(quaternion, rotationMatrix);
    for (std::uint32_t column = 0; column < 3; ++column) {
        for (std::uint32_t row = 0; row < 3; ++row)
            transform.setElement(column * 4 + row, rotationMatrix.element(column * 4 + row));
    }
    rotation.set(x, y, z);
}

// Vertex normals as the normalised sum of the faces around each vertex.
// Indexed shapes weigh each triangle by its area and keep its normalised face
// normal; unindexed shapes take their triangles from the primitive type.
void CShape::computeNormals()
{
    if (vertexCount == 0)
        return;
    float* n = normals.get();
    std::fill_n(n, std::size_t(vertexCount) * 3, 0.0f);

    if (indexCount != 0) {
        std::fill_n(faceNormals.get(), indexCount, 0.0f);
        for (std::uint32_t group = 0; group + 2 < indexCount; group += 3) {
            const std::uint16_t i0 = indices[group], i1 = indices[group + 1], i2 = indices[group + 2];
            if (i0 >= vertexCount || i1 >= vertexCount || i2 >= vertexCount)
                continue;   // a broken triangle contributes nothing
            const Vec3 face = faceNormal(positionAt(positions.get(), i0), positionAt(positions.get(), i1),
                                         positionAt(positions.get(), i2));
            float* stored = faceNormals.get() + group;
            stored[0] = face.x;
            stored[1] = face.y;
            stored[2] = face.z;
            normaliseInPlace(stored);
            addTo(n, i0, face);
            addTo(n, i1, face);
            addTo(n, i2, face);
        }
    } else {
        computeUnindexedNormals();
    }

    for (std::uint32_t v = 0; v < vertexCount; ++v)
        normaliseInPlace(n + std::size_t(v) * 3);
}

// Triangles: every three vertices form one. Strips: vertices t, t+1, t+2 with
// the last two swapped on odd steps so all faces keep one winding. Fans: the
// first vertex with t+1 and t+2. Other primitives get no normals.
void CShape::computeUnindexedNormals()
{
    auto addTriangle = [this](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        const Vec3 face = faceNormal(positionAt(positions.get(), a), positionAt(positions.get(), b),
                                     positionAt(positions.get(), c));
        addTo(normals.get(), a, face);
        addTo(normals.get(), b, face);
        addTo(normals.get(), c, face);
    };
    switch (primitiveType) {
    case primitiveTriangles:
        for (std::uint32_t t = 0; t + 2 < vertexCount; t += 3)
            addTriangle(t, t + 1, t + 2);
        break;
    case primitiveTriangleStrip:
        for (std::uint32_t t = 0; t + 2 < vertexCount; ++t) {
            if (t % 2 == 0)
                addTriangle(t, t + 1, t + 2);
            else
                addTriangle(t, t + 2, t + 1);
        }
        break;
    case primitiveTriangleFan:
        for (std::uint32_t t = 1; t + 1 < vertexCount; ++t)
            addTriangle(0, t, t + 1);
        break;
    default:
        break;
    }
}

void CShape::copyFrom(const CShape& other)
{
    if (&other == this)
        return;
    transform = other.transform;
    material = other.material;
    vertexColours = other.vertexColours;
    primitiveType = other.primitiveType;

    allocateVertices(other.vertexCount);
    if (vertexCount != 0) {
        std::copy_n(other.positions.get(), std::size_t(vertexCount) * 3, positions.get());
        std::copy_n(other.texCoords.get(), std::size_t(vertexCount) * 2, texCoords.get());
        std::copy_n(other.normals.get(), std::size_t(vertexCount) * 3, normals.get());
        std::copy_n(other.colours.get(), std::size_t(vertexCount) * 4, colours.get());
    }
    allocateIndices(other.indexCount);
    if (indexCount != 0) {
        std::copy_n(other.indices.get(), indexCount, indices.get());
        std::copy_n(other.faceNormals.get(), indexCount, faceNormals.get());
    }
    setRotation(other.rotation.x, other.rotation.y, other.rotation.z);
    scale.set(other.scale.x, other.scale.y, other.scale.z);
}

bool CShape::indicesInRange() const
{
    for (std::uint32_t i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount)
            return false;
    }
    return true;
}

void CShape::draw()
{
    if (!isRendererInitialised() || vertexCount == 0 || !indicesInRange())
        return;
    const DrawEntryPoints gl = drawEntryPoints();
    const auto textureCount = static_cast<std::uint32_t>(material.textures.size());
    const auto layerLimit = static_cast<std::uint32_t>(std::max(rendererCapabilities().textureLayerLimit, 0));
    const std::uint32_t layers = std::min(textureCount, layerLimit);
    const bool textureLayers = gl.multitexture() && textureCount > 1;

    // 1. Transform.
    float matrix[16];
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    loadMatrixElements(transform, matrix);
    glMultMatrixf(matrix);
    glScalef(scale.x, scale.y, scale.z);

    // 2. Vertex colours and arrays.
    const std::uint32_t n = vertexCount;
    if (vertexColours) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
        glEnable(GL_COLOR_MATERIAL);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, submitArray(gl, VertexBuffer::Colours, colours.get(), n * 4));
    }
    glVertexPointer(3, GL_FLOAT, 0, submitArray(gl, VertexBuffer::Positions, positions.get(), n * 12));
    const void* texCoordPointer = submitArray(gl, VertexBuffer::TexCoords, texCoords.get(), n * 8);
    // Layer 0's texture-coordinate array is on in the default state; the
    // draw puts it back as it found it, whatever the layers turned on.
    bool layer0CoordsWereOn = true;
    if (gl.multitexture() && textureCount >= 1) {
        gl.clientActiveTexture(GL_TEXTURE0_ARB);
        layer0CoordsWereOn = glIsEnabled(GL_TEXTURE_COORD_ARRAY) == GL_TRUE;
        for (std::uint32_t layer = 0; layer < layers; ++layer) {
            gl.clientActiveTexture(GL_TEXTURE0_ARB + layer);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, texCoordPointer);
        }
        gl.clientActiveTexture(GL_TEXTURE0_ARB);
    } else {
        glTexCoordPointer(2, GL_FLOAT, 0, texCoordPointer);
    }
    glNormalPointer(GL_FLOAT, 0, submitArray(gl, VertexBuffer::Normals, normals.get(), n * 12));
    if (gl.vertexBuffers()) {
        gl.bindBuffer(GL_ARRAY_BUFFER_ARB, 0);
        if (indexCount != 0) {
            gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, vertexBufferName(VertexBuffer::Indices));
            gl.bufferData(GL_ELEMENT_ARRAY_BUFFER_ARB, indexCount * 2, indices.get(), GL_DYNAMIC_DRAW_ARB);
        }
    }

    // Material (front faces) and blending.
    float colour[4];
    colourArray(material.ambient, colour);
    glMaterialfv(GL_FRONT, GL_AMBIENT, colour);
    colourArray(material.diffuse, colour);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, colour);
    colourArray(material.emission, colour);
    glMaterialfv(GL_FRONT, GL_EMISSION, colour);
    colourArray(material.specular, colour);
    glMaterialfv(GL_FRONT, GL_SPECULAR, colour);
    glMaterialf(GL_FRONT, GL_SHININESS, material.shininess);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, material.additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);

    // Textures, each with the material's texture matrix.
    loadMatrixElements(material.textureMatrix, matrix);
    auto bindLayer = [&](std::uint32_t texture) {
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glLoadMatrixf(matrix);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    };
    if (textureLayers) {
        for (std::uint32_t layer = 0; layer < layers; ++layer) {
            gl.activeTexture(GL_TEXTURE0_ARB + layer);
            bindLayer(material.textures[layer]);
        }
    } else if (textureCount >= 1) {
        bindLayer(material.textures[0]);
    }
    glMatrixMode(GL_MODELVIEW);

    // 3. Draw.
    if (indexCount != 0)
        glDrawElements(primitiveType, indexCount, GL_UNSIGNED_SHORT, gl.vertexBuffers() ? nullptr : indices.get());
    else
        glDrawArrays(primitiveType, 0, vertexCount);

    // 4. Restore.
    if (vertexColours) {
        glDisable(GL_COLOR_MATERIAL);
        glDisableClientState(GL_COLOR_ARRAY);
    }
    if (textureLayers) {
        for (std::uint32_t layer = layers; layer-- > 0;) {
            gl.activeTexture(GL_TEXTURE0_ARB + layer);
            gl.clientActiveTexture(GL_TEXTURE0_ARB + layer);
            glMatrixMode(GL_TEXTURE);
            glPopMatrix();
            glDisable(GL_TEXTURE_2D);
            if (layer != 0 || !layer0CoordsWereOn)
                glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    } else if (textureCount >= 1) {
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
        glDisable(GL_TEXTURE_2D);
        if (!layer0CoordsWereOn) {
            gl.clientActiveTexture(GL_TEXTURE0_ARB);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
    }
    glDisable(GL_BLEND);
    if (gl.vertexBuffers())
        gl.bindBuffer(GL_ELEMENT_ARRAY_BUFFER_ARB, 0);

    // 5. Transform back.
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
