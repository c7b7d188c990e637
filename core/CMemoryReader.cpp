#include "core/CMemoryReader.h"

#include <cstring>

void CMemoryReader::clear()
{
    data_ = nullptr;
    size_ = 0;
    position_ = 0;
}

void CMemoryReader::open(const void* data, std::uint32_t size)
{
    data_ = static_cast<const std::uint8_t*>(data);
    size_ = data_ ? size : 0;
    position_ = 0;
}

std::uint32_t CMemoryReader::read(void* buffer, std::uint32_t count)
{
    const std::uint32_t available = remaining();
    if (count > available)
        count = available;
    if (count > 0)
        std::memcpy(buffer, data_ + position_, count);
    position_ += count;
    return count;
}

std::uint8_t CMemoryReader::readU8()
{
    std::uint8_t b = 0;
    read(&b, 1);
    return b;
}

std::uint16_t CMemoryReader::readU16()
{
    std::uint8_t b[2] = {};
    read(b, 2);
    return std::uint16_t(b[0] | b[1] << 8);
}

std::uint32_t CMemoryReader::readU32()
{
    std::uint8_t b[4] = {};
    read(b, 4);
    return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
}

void CMemoryReader::seek(std::int64_t offset, int origin)
{
    // Offsets beyond any 32-bit block clamp the same way; limiting them first
    // keeps the sum below from overflowing.
    const std::int64_t limit = std::int64_t(1) << 33;
    if (offset > limit)
        offset = limit;
    if (offset < -limit)
        offset = -limit;
    std::int64_t target;
    switch (origin) {
    case Start: target = offset; break;
    case End: target = std::int64_t(size_) + offset; break;
    case Current: target = position_ + offset; break;
    default: return;
    }
    if (target < 0)
        target = 0;
    if (target > std::int64_t(size_))
        target = size_;
    position_ = target;
}
