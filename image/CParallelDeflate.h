// CParallelDeflate: one zlib stream made from independently deflated pieces,
// so that a large buffer is compressed on every core.
//
// The input is cut into pieces of at least `minPieceSize` bytes, and into no
// more than `maxPieces`: every piece starts a new deflate block with its own
// code tables, which costs a few dozen bytes, and on well-compressing atlases
// more pieces would make the file measurably larger. Each piece
// is deflated on its own (raw deflate at the requested level, primed with the
// previous piece's last 32 KiB as a preset dictionary, so matches reach back
// across the cut) and ends with a sync flush; the last one ends the stream.
// The pieces are joined behind one zlib header, and the Adler-32 values of
// the pieces are combined into the trailer. Any zlib reader inflates the
// result in one go. The cut points depend only on the input length, never on
// the number of threads, so the bytes are the same on every machine.
// Input shorter than two pieces is compressed by one ordinary zlib call, and
// so is input that deflates to almost nothing, when that comes out smaller.
//
// compressWithLibdeflate makes the same kind of stream with libdeflate, which
// is several times faster than zlib at a like ratio (level 6) and denser at
// its top levels (10 to 12), but has neither a preset dictionary nor a flush:
// each piece is a complete raw deflate stream, matches do not reach across
// the cuts, and the pieces are joined by clearing the final-block bit of every
// piece but the last and ending each with an empty stored block (see
// DeflateBlocks.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CParallelDeflate {
public:
    static constexpr std::size_t minPieceSize = 128 * 1024;
    static constexpr std::size_t maxPieces = 16;
    static constexpr std::size_t dictionarySize = 32 * 1024;

    // Called on the caller's thread as each piece is finished (by whichever
    // worker deflated it), in order:
    // (pieces finished so far, number of pieces).
    using Progress = std::function<void(std::size_t piecesDone, std::size_t pieceCount)>;

    // Number of pieces `length` bytes are cut into (1 below two pieces' worth,
    // at most maxPieces).
    static std::size_t pieceCount(std::size_t length);

    // Appends the zlib stream of `source` to `out`. `threads` 0 means one per
    // hardware thread. False (and `out` as it was) when zlib fails or memory
    // runs out.
    static bool compress(const std::uint8_t* source, std::size_t length, int level, std::vector<std::uint8_t>& out,
                         const Progress& progress = {}, unsigned threads = 0);
    // The same with libdeflate at `level` (1 to 12); the same cut points, so
    // the bytes do not depend on the number of threads either.
    static bool compressWithLibdeflate(const std::uint8_t* source, std::size_t length, int level,
                                       std::vector<std::uint8_t>& out, const Progress& progress = {},
                                       unsigned threads = 0);
};
