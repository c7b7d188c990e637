// CModel: a model resource (type 5) holding one triangle mesh and its
// axis-aligned bounds.
//
// The mesh lives in a renderer shape: positions, texture coordinates, one
// colour a vertex and 16-bit triangle indices. Materials are reduced to those
// vertex colours (the diffuse colour of each face's material); the shape
// draws with them when the file had materials. The readers (ObjReader,
// Model3dsReader) and the heightmap fill the shape through `setMesh`, which
// also finishes it for drawing and works out the bounds.
//
// A mesh is refused, leaving the model empty, when it has more vertices than
// 16-bit indices can address (65536).
#pragma once

#include "core/CVector.h"
#include "image/CResource.h"
#include "render/CShape.h"
#include "resources/CSprite.h"

#include <cstdint>
#include <string>
#include <vector>

// A mesh as the readers collect it before it becomes the model's shape.
struct ModelMesh {
    std::vector<float> positions;       // 3 a vertex
    std::vector<float> texCoords;       // 2 a vertex
    std::vector<std::uint8_t> colours;  // 4 a vertex (R, G, B, A)
    std::vector<std::uint32_t> indices; // 3 a triangle
    bool vertexColours = false;

    std::size_t vertexCount() const { return positions.size() / 3; }
    // Adds a vertex at (x, y, z) with texture coordinate 0 and opaque white.
    void addVertex(float x, float y, float z);
};

// Most vertices a model may have: every one must be reachable by a 16-bit index.
constexpr std::size_t maxModelVertices = 65536;

class CModel : public CResource {
public:
    CModel();
    ~CModel() override;

    CModel(const CModel&) = delete;
    CModel& operator=(const CModel&) = delete;

    // Replaces the shape with the mesh (triangles) and computes normals and
    // bounds. False, leaving an empty shape, when the mesh has more than
    // maxModelVertices vertices or an index outside its vertex list, or
    // cannot be allocated; `error` then says why.
    bool setMesh(const ModelMesh& mesh, std::string* error);
    // Takes over a finished shape (the heightmap's) and computes the bounds.
    void setShape(const CShape& shape);

    // Bounds from the shape's positions: minimum starts at 1000000 and
    // maximum at -1000000 on every axis (w 0), so an empty model keeps those.
    void computeBounds();

    CShape& getShape() { return shape; }
    const CShape& getShape() const { return shape; }
    CSprite& getSprite() { return sprite; }
    const CVector& getBoundsMin() const { return boundsMin; }
    const CVector& getBoundsMax() const { return boundsMax; }

private:
    CShape shape;
    CSprite sprite;
    CVector boundsMin;
    CVector boundsMax;
};
