// CMaterial: the render state of a shape's surface (also a light's colours).
//
// Colours are RGBA vectors. The material holds the names of the GL textures it
// shows, one per texture layer; the textures themselves belong to the texture
// resources. Its texture matrix is loaded while those textures are bound.
#pragma once

#include "core/CMatrix.h"
#include "core/CVector.h"

#include <cstdint>
#include <vector>

class CMaterial {
public:
    CMaterial();

    // Same colours, shininess, carried values, blending, texture matrix and textures.
    bool equals(const CMaterial& other) const;

    CVector ambient;    // default (0.2, 0.2, 0.2, 0)
    CVector diffuse;    // default (0.8, 0.8, 0.8, 1)
    CVector emission;   // default 0
    CVector specular;   // default 0
    float shininess = 0.0f;
    // Two values no draw reads; the GUI keeps its own meaning in them.
    float extra1 = 0.0f;
    float extra2 = 0.0f;
    // false: source alpha / one minus source alpha; true: source alpha / one.
    bool additive = false;
    CMatrix textureMatrix;               // 4 x 4 identity
    std::vector<std::uint32_t> textures; // GL texture names, layer 0 first
};
