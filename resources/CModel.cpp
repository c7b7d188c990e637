// CModel: the mesh hand-over from the readers and the bounds.
#include "resources/CModel.h"

#include <algorithm>

void ModelMesh::addVertex(float x, float y, float z)
{
    positions.insert(positions.end(), {x, y, z});
    texCoords.insert(texCoords.end(), {0.0f, 0.0f});
    colours.insert(colours.end(), {255, 255, 255, 255});
}

CModel::CModel() : CResource(TypeModel)
{
    computeBounds();
}

CModel::~CModel() = default;

bool CModel::setMesh(const ModelMesh& mesh, std::string* error)
{
    auto fail = [&](const std::string& why) {
        shape.allocateVertices(0);
        shape.allocateIndices(0);
        shape.setVertexColours(false);
        computeBounds();
        if (error)
            *error = why;
        return false;
    };
    const std::size_t vertices = mesh.vertexCount();
    if (vertices > maxModelVertices)
        return fail("model: " + std::to_string(vertices) + " vertices are more than 16-bit indices can address");
    for (std::uint32_t index : mesh.indices) {
        if (index >= vertices)
            return fail("model: a triangle names a vertex outside the vertex list");
    }
    shape.setPrimitiveType(CShape::primitiveTriangles);
    if (!shape.allocateVertices(std::uint32_t(vertices)) || mesh.indices.size() > 0xFFFFFFFFu ||
        !shape.allocateIndices(std::uint32_t(mesh.indices.size())))
        return fail("model: the mesh is too large to allocate");
    if (vertices != 0) {
        std::copy(mesh.positions.begin(), mesh.positions.begin() + vertices * 3, shape.getPositions());
        std::copy(mesh.texCoords.begin(), mesh.texCoords.begin() + vertices * 2, shape.getTexCoords());
        std::copy(mesh.colours.begin(), mesh.colours.begin() + vertices * 4, shape.getColours());
    }
    std::uint16_t* indices = shape.getIndices();
    for (std::size_t i = 0; i < mesh.indices.size(); ++i)
        indices[i] = std::uint16_t(mesh.indices[i]);
    shape.setVertexColours(mesh.vertexColours);
    shape.computeNormals();
    computeBounds();
    return true;
}

void CModel::setShape(const CShape& other)
{
    shape.copyFrom(other);
    computeBounds();
}

void CModel::computeBounds()
{
    boundsMin.set(1000000.0f, 1000000.0f, 1000000.0f, 0.0f);
    boundsMax.set(-1000000.0f, -1000000.0f, -1000000.0f, 0.0f);
    const float* p = shape.getPositions();
    for (std::uint32_t v = 0; v < shape.getVertexCount(); ++v, p += 3) {
        boundsMin.set(std::min(boundsMin.x, p[0]), std::min(boundsMin.y, p[1]), std::min(boundsMin.z, p[2]), 0.0f);
        boundsMax.set(std::max(boundsMax.x, p[0]), std::max(boundsMax.y, p[1]), std::max(boundsMax.z, p[2]), 0.0f);
    }
}
