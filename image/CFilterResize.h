// CFilterResize: shrinks or enlarges an 8-bit image by sampling the source at
// the scaled position (truncated) and smoothing it with the 3 x 3 blur
// kernel A = 0.25, B = 0.5. Used to fit pictures under the texture size limit.
#pragma once

#include "image/CFilter.h"

class CFilterResize : public CFilter {
public:
    // Returns a newWidth x newHeight image with the source's channels and
    // bits per pixel; empty when the source cannot be filtered or a new side
    // is 0.
    CImage resize(const CImage& source, std::uint32_t newWidth, std::uint32_t newHeight) const;
};
