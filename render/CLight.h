// CLight: one positional GL light, applied with applyLight (Renderer.h).
#pragma once

#include "core/CVector.h"
#include "render/CMaterial.h"

class CLight {
public:
    CLight();

    bool enabled = true;
    bool noSpot = true;          // false: the spot parameters are applied
    CVector position;            // sent with w = 1: always a positional light
    CVector attenuation;         // constant, linear, quadratic in x, y, z; default (1, 0, 0)
    CVector spotDirection;       // x, y, z used; default (0, 0, -1) as in GL
    float spotCutOff = 45.0f;    // degrees
    float spotExponent = 1.0f;
    CMaterial colours;           // its ambient, diffuse and specular are the light's
};
