// CQuad: the four-vertex shape, and the rectangle quad built from it.
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

std::unique_ptr<CQuad> makeRectangleQuad(float x, float y, float width, float height, float z)
{
    CVertex corners[4];
    const float unit[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int i = 0; i < 4; ++i) {
        corners[i].position.set(unit[i][0], unit[i][1], 0.0f);
        corners[i].texCoord.set(unit[i][0], 1.0f - unit[i][1]);
        corners[i].normal.set(0.0f, 0.0f, 1.0f);
    }
    auto quad = std::make_unique<CQuad>(corners[0], corners[1], corners[2], corners[3]);
    quad->getTransform().setTranslation(CVector(x, y, z));
    quad->setScale(width, height, 1.0f);
    return quad;
}
