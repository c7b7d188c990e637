// CQuad: a four-vertex shape drawn as one GL quad; the base of GUI elements.
#pragma once

#include "render/CShape.h"
#include "render/CVertex.h"

#include <memory>

class CQuad : public CShape {
public:
    // Vertices 0 to 3 take the position, texture coordinates and normal of
    // the records in argument order; colours stay opaque white.
    CQuad(const CVertex& v0, const CVertex& v1, const CVertex& v2, const CVertex& v3);
    ~CQuad() override;
};

// A quad covering the rectangle (x, y, width, height) at depth z, in the
// engine's window coordinates (origin top left): a unit square facing the
// viewer (normal +z), scaled and moved into place, with texture v = 1 along
// its top edge so that a bottom-up picture shows upright.
std::unique_ptr<CQuad> makeRectangleQuad(float x, float y, float width, float height, float z);
