// CParallelDeflate: pieces are handed out to worker threads through one
// atomic counter; the caller's thread waits for them and reports progress.
#include "image/CParallelDeflate.h"

#include "image/CZlibCodec.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace {

// Bytes a cut between two pieces typically adds to the stream on data that
// deflates well: an empty stored block for the sync flush and the next
// block's code tables.
constexpr std::size_t cutCost = 24;

struct Piece {
    std::size_t offset = 0;
    std::size_t length = 0;
    std::vector<std::uint8_t> deflated;
    std::uint32_t adler = 1;
    bool ok = false;
};

// Raw deflate of one piece, primed with the bytes before it. The stream is
// made in `scratch` (sized for the worst case once per thread) and copied
// out at its real size, so the pieces waiting to be joined hold no more
// memory than their deflated bytes.
void deflatePiece(const std::uint8_t* source, Piece& piece, int level, bool last, std::vector<std::uint8_t>& scratch)
{
    z_stream stream{};
    if (deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return;
    const std::size_t primed = std::min(piece.offset, CParallelDeflate::dictionarySize);
    bool ok = primed == 0 ||
              deflateSetDictionary(&stream, source + piece.offset - primed, uInt(primed)) == Z_OK;
    try {
        // A sync flush adds at most a few bytes; the bound covers the rest.
        const std::size_t bound = deflateBound(&stream, uLong(piece.length)) + 16;
        if (scratch.size() < bound)
            scratch.resize(bound);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    if (ok) {
        stream.next_in = const_cast<Bytef*>(source + piece.offset);
        stream.avail_in = uInt(piece.length);
        stream.next_out = scratch.data();
        stream.avail_out = uInt(scratch.size());
        const int status = deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
        ok = last ? status == Z_STREAM_END : (status == Z_OK && stream.avail_in == 0 && stream.avail_out > 0);
        try {
            if (ok)
                piece.deflated.assign(scratch.begin(), scratch.begin() + (scratch.size() - stream.avail_out));
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    deflateEnd(&stream);
    if (!ok)
        return;
    piece.adler = std::uint32_t(adler32(1, source + piece.offset, uInt(piece.length)));
    piece.ok = true;
}

// One ordinary zlib call appended to `out`: the same bytes as compress2().
bool compressInOneCall(const std::uint8_t* source, std::size_t length, int level, std::vector<std::uint8_t>& out)
{
    const std::size_t start = out.size();
    try {
        out.resize(start + CZlibCodec::compressBound(length));
    } catch (const std::bad_alloc&) {
        out.resize(start);
        return false;
    }
    const std::size_t written =
        CZlibCodec::compress(out.data() + start, out.size() - start, source, length, level, nullptr, false);
    out.resize(written == 0 ? start : start + written);
    return written != 0;
}

}  // namespace

std::size_t CParallelDeflate::pieceCount(std::size_t length)
{
    return std::clamp<std::size_t>(length / minPieceSize, 1, maxPieces);
}

bool CParallelDeflate::compress(const std::uint8_t* source, std::size_t length, int level,
                                std::vector<std::uint8_t>& out, const Progress& progress, unsigned threads)
{
    const std::size_t count = pieceCount(length);
    const std::size_t start = out.size();
    if (count == 1) {
        const bool ok = compressInOneCall(source, length, level, out);
        if (ok && progress)
            progress(1, 1);
        return ok;
    }
    // NOTE: zlib counts piece sizes in 32 bits; the largest picture the image
    // limit admits (1 GiB) makes pieces of 64 MiB.
    std::vector<Piece> pieces;
    try {
        pieces.resize(count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const std::size_t base = length / count, extra = length % count;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < count; ++i) {
        pieces[i].offset = offset;
        pieces[i].length = base + (i < extra ? 1 : 0);
        offset += pieces[i].length;
    }

    std::atomic<std::size_t> next{0};
    std::mutex lock;
    std::condition_variable finished;
    std::size_t done = 0;
    auto work = [&] {
        std::vector<std::uint8_t> scratch;
        for (std::size_t i = next++; i < count; i = next++) {
            deflatePiece(source, pieces[i], level, i + 1 == count, scratch);
            std::lock_guard<std::mutex> guard(lock);
            ++done;
            finished.notify_one();
        }
    };
    // The workers deflate while the caller's thread only reports, so each
    // piece is reported as soon as it is finished, whichever thread wrote it.
    // Only when no worker can be started does the caller deflate.
    const unsigned available = threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = std::min<std::size_t>(available, count);
    std::vector<std::thread> workers;
    try {
        for (std::size_t i = 0; i < helpers; ++i)
            workers.emplace_back(work);
    } catch (const std::system_error&) {
        // Fewer threads than hoped: the ones started finish the rest.
    }
    if (workers.empty())
        work();
    std::size_t reported = 0;
    {
        std::unique_lock<std::mutex> guard(lock);
        while (reported < count) {
            finished.wait(guard, [&] { return done > reported; });
            const std::size_t now = done;
            guard.unlock();
            while (reported < now) {
                ++reported;
                if (progress)
                    progress(reported, count);
            }
            guard.lock();
        }
    }
    for (std::thread& worker : workers)
        worker.join();

    std::size_t total = 2 + 4;
    std::uint32_t adler = 1;
    for (const Piece& piece : pieces) {
        if (!piece.ok)
            return false;
        total += piece.deflated.size();
        adler = std::uint32_t(adler32_combine(adler, piece.adler, z_off_t(piece.length)));
    }
    // On data that deflates to almost nothing (a nearly empty atlas) the
    // cuts would make the stream more than 0.5 % larger than one call would.
    // Such data deflates quickly, so one call is tried and kept if smaller.
    if (total < (count - 1) * cutCost * 200) {
        std::vector<std::uint8_t> single;
        if (compressInOneCall(source, length, level, single) && single.size() <= total) {
            try {
                out.insert(out.end(), single.begin(), single.end());
            } catch (const std::bad_alloc&) {
                return false;
            }
            return true;
        }
    }
    try {
        out.reserve(start + total + 64);  // and room for what the caller appends (a chunk's CRC, IEND)
    } catch (const std::bad_alloc&) {
        return false;
    }
    // zlib header for a 32 KiB window with the level bits zlib itself writes
    // (3 for levels 7 to 9); the check bits make the pair a multiple of 31.
    const int zlibLevel = level == Z_DEFAULT_COMPRESSION ? 6 : level;
    const std::uint8_t levelBits = zlibLevel < 2 ? 0 : zlibLevel < 6 ? 1 : zlibLevel == 6 ? 2 : 3;
    const std::uint16_t header = std::uint16_t(0x7800 | (levelBits << 6));
    out.push_back(std::uint8_t(header >> 8));
    out.push_back(std::uint8_t((header & 0xFF) | (31 - header % 31) % 31));
    for (const Piece& piece : pieces)
        out.insert(out.end(), piece.deflated.begin(), piece.deflated.end());
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(std::uint8_t(adler >> shift));
    return true;
}
