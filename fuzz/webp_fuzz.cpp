// libFuzzer harness for the WebP reader: any byte string must be decoded or
// refused without crashing, hanging or touching memory it does not own.
// Pictures above one million pixels are refused here so that a tiny header
// cannot make every run decode a huge picture.
#include "image/WebpCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodedImage image = decodeWebpImage(data, size, 1u << 20);
    if (image) {
        // Touch the whole block so that a short allocation would be reported.
        volatile std::uint8_t sink = 0;
        const std::size_t bytes = std::size_t(image.width) * image.height * (image.bitsPerPixel / 8);
        for (std::size_t i = 0; i < bytes; i += 61)
            sink = sink ^ image.pixels[i];
        sink = sink ^ image.pixels[bytes - 1];
    }
    return 0;
}
