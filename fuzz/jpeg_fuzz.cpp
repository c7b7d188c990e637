// libFuzzer harness for the JPEG decoder: any bytes must be decoded or refused
// without a crash, a hang, a read or write outside a buffer or an exit from
// inside the library. Pictures above one million pixels are refused here so
// that a tiny header cannot make every run decode a huge grey picture.
#include "image/JpegCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const DecodedImage image = decodeJpegImage(data, size, 1u << 20);
    if (image) {
        // Touch the last byte so a block shorter than its size is noticed.
        volatile std::uint8_t last = image.pixels[std::size_t(image.width) * image.height * image.bitsPerPixel / 8 - 1];
        (void)last;
    }
    return 0;
}
