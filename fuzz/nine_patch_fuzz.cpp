// Nine-patch guide reading on arbitrary pixels: the first two bytes give the
// width and height (1 to 64), the third the channel count (1 to 4), the rest
// the pixels (zero-filled when short). Guides must either be refused with a
// reason or give borders and padding that lie inside the inner picture,
// which must then be the image without its frame.
#include "app/pack/NinePatch.h"
#include "image/CImage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::uint32_t width = data[0] % 64 + 1;
    const std::uint32_t height = data[1] % 64 + 1;
    const std::uint32_t channels = data[2] % 4 + 1;
    CImage image;
    if (!image.create(width, height, channels, channels * 8))
        return 0;
    const std::size_t bytes = image.getDataSize();
    std::memcpy(image.getData(), data + 3, std::min(bytes, size - 3));

    NineSlice slice;
    std::string reason;
    if (!takeNinePatch(image, slice, reason)) {
        if (reason.empty() || image.getWidth() != width || image.getHeight() != height)
            std::abort();
        return 0;
    }
    const auto w = static_cast<std::int32_t>(image.getWidth());
    const auto h = static_cast<std::int32_t>(image.getHeight());
    if (w != std::int32_t(width) - 2 || h != std::int32_t(height) - 2)
        std::abort();
    const auto inside = [](std::int32_t a, std::int32_t b, std::int32_t size) {
        return a >= 0 && b >= 0 && a + b < size; // at least one pixel stretches
    };
    if (!inside(slice.left, slice.right, w) || !inside(slice.top, slice.bottom, h))
        std::abort();
    if (slice.pad && (!inside((*slice.pad)[0], (*slice.pad)[1], w) || !inside((*slice.pad)[2], (*slice.pad)[3], h)))
        std::abort();
    return 0;
}
