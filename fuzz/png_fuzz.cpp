// libFuzzer harness for the PNG reader: any byte string must be decoded or
// refused without crashing, hanging or touching memory it does not own.
#include "image/PngCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodedImage image = decodePngImage(data, size);
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
