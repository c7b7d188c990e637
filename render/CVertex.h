// CVertex: one vertex of a shape as four vectors (CShape::vertex).
//
// position, texCoord and normal are bound to the shape's arrays at that vertex,
// so setting them writes the shape; colour is a copy of the four colour bytes
// as floats 0..255 and is not bound. A vertex past the end is four unbound
// zero vectors.
#pragma once

#include "core/CVector.h"

struct CVertex {
    CVector position;
    CVector texCoord;
    CVector normal;
    CVector colour;
};
