// CFilterResize: nearest-position sampling with a small blur.
#include "image/CFilterResize.h"

#include "image/CFilterBlur.h"

#include <algorithm>

CImage CFilterResize::resize(const CImage& source, std::uint32_t newWidth, std::uint32_t newHeight) const
{
    CImage result;
    if (!canFilter(source) || newWidth == 0 || newHeight == 0)
        return result;
    const float xRatio = float(source.getWidth()) / float(newWidth);
    const float yRatio = float(source.getHeight()) / float(newHeight);
    if (!result.create(newWidth, newHeight, source.getChannels(), source.getBitsPerPixel()))
        return result;
    const CFilterBlur blur(0.25f, 0.5f);
    const std::uint32_t channels = source.getChannels();
    std::uint8_t* out = result.getData();
    for (std::uint32_t y = 0; y < newHeight; ++y) {
        // NOTE: float rounding may land on the last row plus one; sampling clamps it.
        const auto row = std::min(std::uint32_t(float(y) * yRatio), source.getHeight() - 1);
        for (std::uint32_t x = 0; x < newWidth; ++x, out += channels) {
            const auto column = std::min(std::uint32_t(float(x) * xRatio), source.getWidth() - 1);
            sample(source, row, column, blur.getKernel(), out);
        }
    }
    return result;
}
