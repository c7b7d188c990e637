// CMemoryReader: a read cursor over a byte block held elsewhere, with clamped
// reads and seeks. Used by the image decoders.
#pragma once

#include <cstdint>

class CMemoryReader {
public:
    enum Origin { Start = 0, End = 1, Current = 2 };  // NOTE: 1 is the end, 2 the current position

    void clear();
    void open(const void* data, std::uint32_t size);
    bool atEnd() const { return position_ == std::int64_t(size_); }
    std::uint32_t read(void* buffer, std::uint32_t count);
    // Little-endian integers, as file headers store them; bytes past the end
    // of the block read as 0.
    std::uint8_t readU8();
    std::uint16_t readU16();
    std::uint32_t readU32();
    void seek(std::int64_t offset, int origin);
    std::uint32_t position() const { return static_cast<std::uint32_t>(position_); }
    std::uint32_t size() const { return size_; }
    std::uint32_t remaining() const { return size_ - position(); }
    const std::uint8_t* data() const { return data_; }

private:
    const std::uint8_t* data_ = nullptr;
    std::uint32_t size_ = 0;
    std::int64_t position_ = 0;
};
