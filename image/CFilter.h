// CFilter: convolution of an 8-bit image (1-byte components, 1 to 4
// channels) with a kernel of any size. Edge pixels repeat outward. Images
// with 16-bit or float components are not filtered: the result is an empty
// image.
#pragma once

#include "core/CMatrix.h"
#include "image/CImage.h"

#include <cstdint>

class CFilter {
public:
    virtual ~CFilter();

    // Convolves `source` with the kernel (any number of rows and columns,
    // centred on the pixel). Returns a new image of the source's size and
    // format; empty when the source cannot be filtered or the kernel is empty.
    virtual CImage apply(const CImage& source, const CMatrix& kernel) const;

protected:
    // Writes the kernel-weighted sum around source pixel (row, column) to
    // `out`, one byte per channel; the source is known to be filterable.
    static void sample(const CImage& source, std::uint32_t row, std::uint32_t column, const CMatrix& kernel,
                       std::uint8_t* out);
    // True for 1-byte components and 1 to 4 channels with pixels present.
    static bool canFilter(const CImage& source);
};
