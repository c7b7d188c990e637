// libFuzzer harness for the TGA decoder: any bytes must be decoded or refused
// without a crash, a hang or a read or write outside a buffer.
#include "image/TgaCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const DecodedImage image = decodeTgaImage(data, size);
    if (image) {
        // Touch the last byte so a block shorter than its size is noticed.
        volatile std::uint8_t last = image.pixels[std::size_t(image.width) * image.height * image.bitsPerPixel / 8 - 1];
        (void)last;
    }
    return 0;
}
