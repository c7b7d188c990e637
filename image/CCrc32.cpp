// CCrc32: the byte-at-a-time table algorithm from the PNG standard's sample
// code.
#include "image/CCrc32.h"

CCrc32::CCrc32(std::uint32_t polynomial)
{
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? polynomial ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
}

std::uint32_t CCrc32::update(const std::uint8_t* bytes, std::size_t length, std::uint32_t value) const
{
    std::uint32_t c = ~value;
    for (std::size_t i = 0; i < length; ++i)
        c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
    return ~c;
}
