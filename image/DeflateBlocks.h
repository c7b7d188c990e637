// DeflateBlocks: walks the block structure of a raw deflate stream (RFC 1951)
// to find, to the bit, where its final block starts and where the stream
// ends. CParallelDeflate needs both to join streams from a compressor that
// cannot flush (libdeflate): the final-block bit of every piece but the last
// is cleared, and an empty stored block brings the next piece to a byte
// boundary.
//
// The walk decodes every Huffman code but copies no bytes, so its cost
// follows the compressed size, not the inflated one. It refuses (false) what
// a correct stream never holds: block type 3, stored blocks whose length and
// its complement disagree, over-subscribed or unusable code tables, codes
// that are in no table, length or distance symbols out of range and streams
// that run past the end of the buffer. It does not check that distances
// reach back no further than the data before them.
#pragma once

#include <cstddef>
#include <cstdint>

struct DeflateStreamEnds {
    std::uint64_t finalBlockBit = 0;  // bit offset of the final block's first (BFINAL) bit
    std::uint64_t endBit = 0;         // bit offset just past the end-of-block code of the final block
};

// Bit offsets count from the first byte's least significant bit, the order
// deflate packs bits in.
bool findDeflateEnds(const std::uint8_t* data, std::size_t size, DeflateStreamEnds& ends);
