// CMaterial: defaults and comparison.
#include "render/CMaterial.h"

CMaterial::CMaterial()
    : ambient(0.2f, 0.2f, 0.2f, 0.0f)
    , diffuse(0.8f, 0.8f, 0.8f, 1.0f)
    , emission(0.0f, 0.0f, 0.0f, 0.0f)
    , specular(0.0f, 0.0f, 0.0f, 0.0f)
    , textureMatrix(4, 4)
{
}

bool CMaterial::equals(const CMaterial& other) const
{
    for (std::uint32_t i = 0; i < 16; ++i) {
        if (textureMatrix.element(i) != other.textureMatrix.element(i))
            return false;
    }
    return ambient.equals(other.ambient) && diffuse.equals(other.diffuse) && emission.equals(other.emission)
        && specular.equals(other.specular) && shininess == other.shininess && extra1 == other.extra1
        && extra2 == other.extra2 && additive == other.additive && textures == other.textures;
}
