// CFilterBlur: kernel construction.
#include "image/CFilterBlur.h"

#include <cstdlib>

CFilterBlur::CFilterBlur(float neighbourWeight, float centreWeight)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const float weight = (dx == 0 && dy == 0)
                                     ? centreWeight
                                     : (1.0f - float(std::abs(dx) + std::abs(dy)) * 0.5f) * neighbourWeight;
            kernel.setElement(std::uint32_t((dy + 1) * 3 + (dx + 1)), weight);
        }
    }
}
