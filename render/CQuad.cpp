// CQuad: the four-vertex shape.
#include "render/CQuad.h"

CQuad::CQuad(const CVertex& v0, const CVertex& v1, const CVertex& v2, const CVertex& v3)
{
    primitiveType = primitiveQuads;
    allocateVertices(4);
    allocateIndices(0);
    const CVertex* records[4] = {&v0, &v1, &v2, &v3};
    for (std::uint32_t i = 0; i < 4; ++i) {
        const CVertex& from = *records[i];
        CVertex to = vertex(i);
        to.position.set(from.position.x, from.position.y, from.position.z);
        to.texCoord.set(from.texCoord.x, from.texCoord.y);
        to.normal.set(from.normal.x, from.normal.y, from.normal.z);
    }
}

CQuad::~CQuad() = default;
