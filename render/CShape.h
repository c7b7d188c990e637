// CShape: a mesh of vertex arrays with a material and optional textures.
//
// The shape owns its arrays: positions (3 floats a vertex), texture coordinates
// (2), normals (3), colours (4 bytes, opaque white when allocated), 16-bit
// indices and one face normal a triangle. Every draw sets the GL state it
// needs, submits the arrays (as client arrays or through the renderer's own
// vertex buffers, re-uploaded each draw), draws and restores the state, so
// draws do not depend on their order. Shapes are meant to be small: a GUI
// element is one quad.
//
// Allocation refuses arrays whose byte size would not fit in 32 bits; the
// shape is then left empty. A draw whose indices point past the vertex arrays
// draws nothing rather than letting GL read outside them.
#pragma once

#include "core/CVector.h"
#include "render/CDraw.h"
#include "render/CMaterial.h"
#include "render/CVertex.h"

#include <cstdint>
#include <memory>

class CShape : public CDraw {
public:
    // GL primitive codes the shape understands.
    static constexpr std::uint32_t primitivePoints = 0;
    static constexpr std::uint32_t primitiveTriangles = 4;
    static constexpr std::uint32_t primitiveTriangleStrip = 5;
    static constexpr std::uint32_t primitiveTriangleFan = 6;
    static constexpr std::uint32_t primitiveQuads = 7;

    CShape();
    ~CShape() override;

    // Frees the four vertex arrays, stores the count and allocates them anew
    // (colours 255). False, with no vertices, when the arrays are too large.
    bool allocateVertices(std::uint32_t count);
    // Frees the index and face-normal arrays and allocates them anew
    // (contents undefined until written). False, with no indices, when too large.
    bool allocateIndices(std::uint32_t count);

    CVertex vertex(std::uint32_t index);

    // Rotation about x, then y, then z (degrees) into the transform's upper
    // left 3 x 3; the translation is kept.
    void setRotation(float x, float y, float z);
    // Per-vertex normals from the faces; see CShape.cpp.
    void computeNormals();
    // Frees this shape's arrays and copies everything from other.
    void copyFrom(const CShape& other);

    void draw() override;

    std::uint32_t getPrimitiveType() const { return primitiveType; }
    void setPrimitiveType(std::uint32_t type) { primitiveType = type; }
    CMaterial& getMaterial() { return material; }
    const CMaterial& getMaterial() const { return material; }
    bool getVertexColours() const { return vertexColours; }
    void setVertexColours(bool on) { vertexColours = on; }
    std::uint32_t getVertexCount() const { return vertexCount; }
    std::uint32_t getIndexCount() const { return indexCount; }
    const CVector& getRotation() const { return rotation; }
    const CVector& getScale() const { return scale; }
    void setScale(float x, float y, float z) { scale.set(x, y, z); }

    // The arrays (null when the count is 0).
    float* getPositions() { return positions.get(); }
    float* getTexCoords() { return texCoords.get(); }
    float* getNormals() { return normals.get(); }
    std::uint8_t* getColours() { return colours.get(); }
    std::uint16_t* getIndices() { return indices.get(); }
    float* getFaceNormals() { return faceNormals.get(); }
    const float* getPositions() const { return positions.get(); }
    const float* getTexCoords() const { return texCoords.get(); }
    const float* getNormals() const { return normals.get(); }
    const std::uint8_t* getColours() const { return colours.get(); }
    const std::uint16_t* getIndices() const { return indices.get(); }
    const float* getFaceNormals() const { return faceNormals.get(); }

protected:
    std::uint32_t primitiveType = primitivePoints;
    CMaterial material;
    bool vertexColours = false;
    std::uint32_t vertexCount = 0;
    std::uint32_t indexCount = 0;
    std::unique_ptr<float[]> positions;
    std::unique_ptr<float[]> texCoords;
    std::unique_ptr<float[]> normals;
    std::unique_ptr<std::uint8_t[]> colours;
    std::unique_ptr<std::uint16_t[]> indices;
    std::unique_ptr<float[]> faceNormals;
    CVector rotation;   // degrees, as last given to setRotation
    CVector scale;      // applied after the transform, (1, 1, 1)

private:
    bool indicesInRange() const;
    void computeUnindexedNormals();
};
