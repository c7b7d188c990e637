// CSha256: the SHA-256 digest (FIPS 180-4), for telling whether a pack's
// inputs and options are those its outputs were made from. Incremental:
// update() any number of times, then hex().
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

class CSha256 {
public:
    CSha256();
    void update(const void* bytes, std::size_t size);
    // Adds the length, then the bytes, so that consecutive fields cannot run
    // into one another ("ab" + "c" differs from "a" + "bc").
    void updateField(const std::string& text);
    // The digest as 64 lower-case hex digits; the object is then spent.
    std::string hex();

private:
    void block(const std::uint8_t* data);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;
};
