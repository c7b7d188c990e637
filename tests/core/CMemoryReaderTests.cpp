// CMemoryReader: clamped reads and seeks; origin 0 is the start, 1 the end and
// 2 the current position.
#include "core/CMemoryReader.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(CMemoryReader, ReadIsClampedToTheBlock)
{
    const std::uint8_t bytes[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CMemoryReader reader;
    reader.open(bytes, sizeof bytes);
    EXPECT_EQ(reader.position(), 0u);
    EXPECT_FALSE(reader.atEnd());

    std::uint8_t buffer[5] = {};
    reader.seek(8, 0);
    EXPECT_EQ(reader.read(buffer, 5), 2u);
    EXPECT_EQ(buffer[0], 8);
    EXPECT_EQ(buffer[1], 9);
    EXPECT_EQ(buffer[2], 0);  // untouched
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.read(buffer, 5), 0u);
    EXPECT_EQ(reader.read(buffer, 0xFFFFFFFFu), 0u);
}

TEST(CMemoryReader, SeekOriginsAndClamping)
{
    const std::uint8_t bytes[10] = {};
    CMemoryReader reader;
    reader.open(bytes, sizeof bytes);

    reader.seek(-3, 1);  // 1: from the end
    EXPECT_EQ(reader.position(), 7u);
    reader.seek(-20, 2);  // 2: from the current position, clamped at 0
    EXPECT_EQ(reader.position(), 0u);
    reader.seek(4, 2);
    reader.seek(2, 2);
    EXPECT_EQ(reader.position(), 6u);
    reader.seek(3, 0);  // 0: from the start
    EXPECT_EQ(reader.position(), 3u);
    reader.seek(5, 3);  // unknown origin: no change
    EXPECT_EQ(reader.position(), 3u);
    reader.seek(11, 0);
    EXPECT_EQ(reader.position(), 10u);
    EXPECT_TRUE(reader.atEnd());
    reader.seek(5, 1);
    EXPECT_EQ(reader.position(), 10u);

    // Extreme offsets clamp without overflowing.
    reader.seek(INT64_MAX, 2);
    EXPECT_EQ(reader.position(), 10u);
    reader.seek(INT64_MIN, 2);
    EXPECT_EQ(reader.position(), 0u);
    reader.seek(INT64_MIN, 1);
    EXPECT_EQ(reader.position(), 0u);
}

TEST(CMemoryReader, ClearAndEmptyBlocks)
{
    const std::uint8_t bytes[4] = {1, 2, 3, 4};
    CMemoryReader reader;
    std::uint8_t buffer[4] = {};
    EXPECT_TRUE(reader.atEnd());  // a fresh reader has nothing to read
    EXPECT_EQ(reader.read(buffer, 4), 0u);

    reader.open(bytes, 4);
    reader.seek(2, 0);
    reader.clear();
    EXPECT_EQ(reader.size(), 0u);
    EXPECT_EQ(reader.position(), 0u);
    EXPECT_EQ(reader.read(buffer, 4), 0u);

    reader.open(nullptr, 100);  // no block means nothing to read
    EXPECT_EQ(reader.size(), 0u);
    EXPECT_EQ(reader.read(buffer, 4), 0u);
}

TEST(CMemoryReader, LittleEndianReadsZeroFillPastTheEnd)
{
    const std::uint8_t bytes[7] = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0xAB};
    CMemoryReader reader;
    reader.open(bytes, sizeof bytes);
    EXPECT_EQ(reader.readU8(), 0x01u);
    EXPECT_EQ(reader.readU16(), 0x1234u);
    EXPECT_EQ(reader.readU32(), 0xAB345678u);
    EXPECT_TRUE(reader.atEnd());
    EXPECT_EQ(reader.readU32(), 0u);
    reader.seek(-1, CMemoryReader::End);
    EXPECT_EQ(reader.readU16(), 0x00ABu);  // the missing high byte reads as 0
}
