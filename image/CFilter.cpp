// CFilter: the shared sampling step. Sums are kept in float per channel and
// stored clamped to 0..255, truncated toward zero.
#include "image/CFilter.h"

#include <algorithm>

CFilter::~CFilter() = default;

bool CFilter::canFilter(const CImage& source)
{
    const std::uint32_t channels = source.getChannels();
    return source.getData() != nullptr && channels >= 1 && channels <= 4 && source.getBitsPerPixel() == channels * 8;
}

void CFilter::sample(const CImage& source, std::uint32_t row, std::uint32_t column, const CMatrix& kernel,
                     std::uint8_t* out)
{
    const std::uint32_t rows = kernel.rows();
    const std::uint32_t columns = kernel.columns();
    const float* weights = kernel.data();
    const std::uint32_t channels = source.getChannels();
    const std::int64_t width = source.getWidth();
    const std::int64_t height = source.getHeight();
    float sums[4] = {0, 0, 0, 0};
    for (std::uint32_t k = 0; k < rows; ++k) {
        const std::int64_t y = std::clamp<std::int64_t>(std::int64_t(row) - (rows - 1) / 2 + k, 0, height - 1);
        for (std::uint32_t m = 0; m < columns; ++m) {
            const std::int64_t x = std::clamp<std::int64_t>(std::int64_t(column) - (columns - 1) / 2 + m, 0, width - 1);
            const std::uint8_t* pixel = source.getData() + (y * width + x) * channels;
            const float weight = weights[std::size_t(k) * columns + m];
            for (std::uint32_t c = 0; c < channels; ++c)
                sums[c] += weight * pixel[c];
        }
    }
    for (std::uint32_t c = 0; c < channels; ++c) {
        // NOTE: written so that NaN sums give 0 rather than an undefined cast.
        const float sum = sums[c];
        out[c] = sum > 255.0f ? 255 : sum >= 0.0f ? std::uint8_t(sum) : 0;
    }
}

CImage CFilter::apply(const CImage& source, const CMatrix& kernel) const
{
    CImage result;
    if (!canFilter(source) || kernel.isEmpty())
        return result;
    if (!result.create(source.getWidth(), source.getHeight(), source.getChannels(), source.getBitsPerPixel()))
        return result;
    const std::uint32_t channels = source.getChannels();
    std::uint8_t* out = result.getData();
    for (std::uint32_t y = 0; y < source.getHeight(); ++y)
        for (std::uint32_t x = 0; x < source.getWidth(); ++x, out += channels)
            sample(source, y, x, kernel, out);
    return result;
}
