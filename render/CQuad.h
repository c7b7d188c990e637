// CQuad: a four-vertex shape drawn as one GL quad; the base of GUI elements.
#pragma once

#include "render/CShape.h"
#include "render/CVertex.h"

class CQuad : public CShape {
public:
    // Vertices 0 to 3 take the position, texture coordinates and normal of
    // the records in argument order; colours stay opaque white.
    CQuad(const CVertex& v0, const CVertex& v1, const CVertex& v2, const CVertex& v3);
    ~CQuad() override;
};
