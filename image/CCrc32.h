// CCrc32: table-driven CRC-32 as the PNG standard computes it over a chunk's
// type and data (reflected polynomial 0xEDB88320, value complemented before
// and after). Feeding more bytes to a running value continues the same CRC.
#pragma once

#include <cstddef>
#include <cstdint>

class CCrc32 {
public:
    static constexpr std::uint32_t pngPolynomial = 0xEDB88320u;

    explicit CCrc32(std::uint32_t polynomial = pngPolynomial);

    // Returns the CRC of everything fed so far, starting from `value`
    // (0 for a new CRC).
    std::uint32_t update(const std::uint8_t* bytes, std::size_t length, std::uint32_t value) const;

private:
    std::uint32_t table[256];
};
