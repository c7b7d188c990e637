// CFilter: convolution of an 8-bit image (1-byte components, 1 to 4
// channels) with a kernel of any size. Edge pixels repeat outward. Images
// with 16-bit or float components are not filtered: the result is an empty
// image.
#pragma once

#include "image/CImage.h"

#include <cstdint>

class CFilter {
public:
    virtual ~CFilter();

    // Convolves `source` with a rows x columns kernel stored one row after
    // another. Returns a new image of the source's size and format.
    virtual CImage apply(const CImage& source, const float* kernel, std::uint32_t rows, std::uint32_t columns) const;

    // The same with any matrix offering data(), rows() and columns() (the
    // engine's CMatrix).
    template <class Matrix>
    CImage apply(const CImage& source, const Matrix& kernel) const
    {
        return apply(source, kernel.data(), kernel.rows(), kernel.columns());
    }

protected:
    // Writes the kernel-weighted sum around source pixel (row, column) to
    // `out`, one byte per channel; the source is known to be filterable.
    static void sample(const CImage& source, std::uint32_t row, std::uint32_t column, const float* kernel,
                       std::uint32_t rows, std::uint32_t columns, std::uint8_t* out);
    // True for 1-byte components and 1 to 4 channels with pixels present.
    static bool canFilter(const CImage& source);
};
