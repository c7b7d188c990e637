// CFilterBlur: a 3 x 3 blur kernel built from a neighbour weight A and a
// centre weight B. The centre gets B, the four edge neighbours A / 2 and the
// corners 0 (weight (1 - (|dx| + |dy|) x 0.5) x A off the centre).
#pragma once

#include "image/CFilter.h"

class CFilterBlur : public CFilter {
public:
    CFilterBlur(float neighbourWeight, float centreWeight);

    // The kernel, 3 rows of 3 floats.
    const CMatrix& getKernel() const { return kernel; }

    // Blurs the source with this kernel.
    CImage blur(const CImage& source) const { return apply(source, kernel); }

private:
    CMatrix kernel{3, 3};
};
