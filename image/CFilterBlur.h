// CFilterBlur: a 3 x 3 blur kernel built from a neighbour weight A and a
// centre weight B. The centre gets B, the four edge neighbours A / 2 and the
// corners 0 (weight (1 - (|dx| + |dy|) x 0.5) x A off the centre).
#pragma once

#include "image/CFilter.h"

class CFilterBlur : public CFilter {
public:
    CFilterBlur(float neighbourWeight, float centreWeight);

    // The kernel, 3 rows of 3 floats.
    const float* kernel() const { return elements; }
    std::uint32_t rows() const { return 3; }
    std::uint32_t columns() const { return 3; }
    const float* data() const { return elements; }

    // Blurs the source with this kernel.
    CImage blur(const CImage& source) const { return apply(source, elements, 3, 3); }

private:
    float elements[9];
};
