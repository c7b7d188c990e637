// CLight: defaults.
#include "render/CLight.h"

CLight::CLight()
    : position(0.0f, 0.0f, 0.0f, 0.0f)
    , attenuation(1.0f, 0.0f, 0.0f, 0.0f)
    , spotDirection(0.0f, 0.0f, -1.0f, 0.0f)
{
}
