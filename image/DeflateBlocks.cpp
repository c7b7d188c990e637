// DeflateBlocks: a bit reader, canonical Huffman tables with a 9-bit lookup
// for short codes, and the block loop. Tables and limits follow RFC 1951,
// sections 3.2.5 to 3.2.7.
#include "image/DeflateBlocks.h"

#include <cstring>

namespace {

constexpr int maxCodeBits = 15;
constexpr int fastBits = 9;

class BitReader {
public:
    BitReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // The next `count` (at most 32) bits without using them; past the end of
    // the buffer they read as zeros, and overrun() reports their use.
    std::uint32_t peek(int count)
    {
        while (held_ <= 56) {
            const std::uint64_t byte = next_ < size_ ? data_[next_] : 0;
            ++next_;
            buffer_ |= byte << held_;
            held_ += 8;
        }
        return std::uint32_t(buffer_ & ((std::uint64_t(1) << count) - 1));
    }
    void drop(int count)
    {
        buffer_ >>= count;
        held_ -= count;
        position_ += std::uint64_t(count);
    }
    std::uint32_t take(int count)
    {
        const std::uint32_t value = peek(count);
        drop(count);
        return value;
    }
    // Moves to a byte offset (stored blocks are skipped this way).
    void seekByte(std::uint64_t byte)
    {
        next_ = byte;
        buffer_ = 0;
        held_ = 0;
        position_ = byte * 8;
    }
    std::uint64_t position() const { return position_; }
    bool overrun() const { return position_ > std::uint64_t(size_) * 8; }

private:
    const std::uint8_t* data_;
    std::uint64_t size_;
    std::uint64_t next_ = 0;
    std::uint64_t buffer_ = 0;
    int held_ = 0;
    std::uint64_t position_ = 0;
};

struct Huffman {
    std::uint16_t count[maxCodeBits + 1] = {};
    std::uint16_t symbol[288] = {};
    // Indexed by the next fastBits stream bits: (length << 9) | symbol, or 0
    // for codes longer than fastBits.
    std::uint16_t fast[1 << fastBits] = {};

    // False for an over-subscribed set of lengths. Incomplete sets are taken;
    // their unused codes are refused when met.
    bool build(const std::uint8_t* lengths, int symbols)
    {
        std::memset(count, 0, sizeof(count));
        for (int i = 0; i < symbols; ++i)
            ++count[lengths[i]];
        count[0] = 0;
        int left = 1;
        for (int length = 1; length <= maxCodeBits; ++length) {
            left = (left << 1) - count[length];
            if (left < 0)
                return false;
        }
        std::uint16_t offsets[maxCodeBits + 2] = {};
        for (int length = 1; length <= maxCodeBits; ++length)
            offsets[length + 1] = std::uint16_t(offsets[length] + count[length]);
        for (int i = 0; i < symbols; ++i) {
            if (lengths[i] != 0)
                symbol[offsets[lengths[i]]++] = std::uint16_t(i);
        }
        std::memset(fast, 0, sizeof(fast));
        std::uint32_t code = 0;
        int index = 0;
        for (int length = 1; length <= fastBits; ++length) {
            for (int k = 0; k < count[length]; ++k, ++code, ++index) {
                std::uint32_t reversed = 0;
                for (int bit = 0; bit < length; ++bit)
                    reversed |= ((code >> bit) & 1u) << (length - 1 - bit);
                for (std::uint32_t at = reversed; at < (1u << fastBits); at += 1u << length)
                    fast[at] = std::uint16_t((length << 9) | symbol[index]);
            }
            code <<= 1;
        }
        return true;
    }

    // The next symbol, or -1 for a code not in the table.
    int decode(BitReader& bits) const
    {
        const std::uint32_t window = bits.peek(maxCodeBits);
        const std::uint16_t entry = fast[window & ((1u << fastBits) - 1)];
        if (entry != 0) {
            bits.drop(entry >> 9);
            return entry & 0x1FF;
        }
        // Canonical decoding one bit at a time (codes are sent most
        // significant bit first).
        int code = 0, first = 0, index = 0;
        for (int length = 1; length <= maxCodeBits; ++length) {
            code |= int((window >> (length - 1)) & 1u);
            const int here = count[length];
            if (code - here < first) {
                bits.drop(length);
                return symbol[index + (code - first)];
            }
            index += here;
            first = (first + here) << 1;
            code <<= 1;
        }
        return -1;
    }
};

constexpr std::uint8_t lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                          2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::uint8_t distanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                            6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

bool readDynamicTables(BitReader& bits, Huffman& literals, Huffman& distances)
{
    const int literalCount = int(bits.take(5)) + 257;
    const int distanceCount = int(bits.take(5)) + 1;
    const int codeLengthCount = int(bits.take(4)) + 4;
    if (literalCount > 286 || distanceCount > 30)
        return false;
    static constexpr std::uint8_t order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    std::uint8_t lengths[286 + 30] = {};
    for (int i = 0; i < codeLengthCount; ++i)
        lengths[order[i]] = std::uint8_t(bits.take(3));
    Huffman codeLengths;
    if (!codeLengths.build(lengths, 19))
        return false;
    std::memset(lengths, 0, sizeof(lengths));
    const int total = literalCount + distanceCount;
    for (int i = 0; i < total;) {
        const int symbol = codeLengths.decode(bits);
        if (symbol < 0 || bits.overrun())
            return false;
        if (symbol < 16) {
            lengths[i++] = std::uint8_t(symbol);
            continue;
        }
        std::uint8_t value = 0;
        int repeat = 0;
        if (symbol == 16) {
            if (i == 0)
                return false;
            value = lengths[i - 1];
            repeat = 3 + int(bits.take(2));
        } else if (symbol == 17) {
            repeat = 3 + int(bits.take(3));
        } else {
            repeat = 11 + int(bits.take(7));
        }
        if (i + repeat > total)
            return false;
        while (repeat-- > 0)
            lengths[i++] = value;
    }
    if (lengths[256] == 0)
        return false;  // no end-of-block code
    return literals.build(lengths, literalCount) && distances.build(lengths + literalCount, distanceCount);
}

const Huffman* fixedTables()
{
    static const Huffman* tables = [] {
        static Huffman fixed[2];
        std::uint8_t lengths[288];
        for (int i = 0; i < 288; ++i)
            lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
        fixed[0].build(lengths, 288);
        for (int i = 0; i < 30; ++i)
            lengths[i] = 5;
        fixed[1].build(lengths, 30);
        return fixed;
    }();
    return tables;
}

// Walks the codes of one Huffman block up to its end-of-block code.
bool walkCodes(BitReader& bits, const Huffman& literals, const Huffman& distances)
{
    for (;;) {
        int symbol = literals.decode(bits);
        if (symbol < 0 || bits.overrun())
            return false;
        if (symbol < 256)
            continue;
        if (symbol == 256)
            return true;
        symbol -= 257;
        if (symbol >= 29)
            return false;
        bits.drop(lengthExtra[symbol]);
        const int distance = distances.decode(bits);
        if (distance < 0 || distance >= 30)
            return false;
        bits.drop(distanceExtra[distance]);
    }
}

}  // namespace

bool findDeflateEnds(const std::uint8_t* data, std::size_t size, DeflateStreamEnds& ends)
{
    if (data == nullptr || size == 0)
        return false;
    BitReader bits(data, size);
    Huffman literals, distances;
    for (;;) {
        const std::uint64_t blockStart = bits.position();
        const bool final = bits.take(1) != 0;
        const std::uint32_t type = bits.take(2);
        if (type == 0) {
            bits.drop(int((8 - bits.position() % 8) % 8));
            const std::uint32_t length = bits.take(16);
            const std::uint32_t complement = bits.take(16);
            if ((length ^ 0xFFFFu) != complement)
                return false;
            bits.seekByte(bits.position() / 8 + length);
        } else if (type == 1) {
            if (!walkCodes(bits, fixedTables()[0], fixedTables()[1]))
                return false;
        } else if (type == 2) {
            if (!readDynamicTables(bits, literals, distances) || !walkCodes(bits, literals, distances))
                return false;
        } else {
            return false;
        }
        if (bits.overrun())
            return false;
        if (final) {
            ends.finalBlockBit = blockStart;
            ends.endBit = bits.position();
            return true;
        }
    }
}
