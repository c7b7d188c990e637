// CParallelDeflate: pieces are handed out to worker threads through one
// atomic counter; the caller's thread waits for them and reports progress.
// The zlib and libdeflate forms share the cutting, the workers and the
// joining; they differ in how one piece is deflated.
#include "image/CParallelDeflate.h"

#include "image/CZlibCodec.h"
#include "image/DeflateBlocks.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
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

namespace {

// Cuts `length` bytes into `count` pieces whose lengths differ by at most one.
bool cutPieces(std::size_t length, std::size_t count, std::vector<Piece>& pieces)
{
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
    return true;
}

// Runs every piece on worker threads; `makeWorker` is called once on each
// thread for that thread's piece function (which owns its scratch state).
void runPieces(std::size_t count, unsigned threads, const CParallelDeflate::Progress& progress,
               const std::function<std::function<void(std::size_t)>()>& makeWorker)
{
    std::atomic<std::size_t> next{0};
    std::mutex lock;
    std::condition_variable finished;
    std::size_t done = 0;
    auto work = [&] {
        const std::function<void(std::size_t)> deflateOne = makeWorker();
        for (std::size_t i = next++; i < count; i = next++) {
            deflateOne(i);
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
}

// The joined stream's size, or 0 when a piece failed; `adler` gets the
// Adler-32 of the whole input.
std::size_t joinedSize(const std::vector<Piece>& pieces, std::uint32_t& adler)
{
    std::size_t total = 2 + 4;
    adler = 1;
    for (const Piece& piece : pieces) {
        if (!piece.ok)
            return 0;
        total += piece.deflated.size();
        adler = std::uint32_t(adler32_combine(adler, piece.adler, z_off_t(piece.length)));
    }
    return total;
}

// Appends the zlib header, the pieces and the Adler-32 trailer.
bool appendJoined(const std::vector<Piece>& pieces, int level, std::size_t total, std::uint32_t adler,
                  std::vector<std::uint8_t>& out)
{
    try {
        out.reserve(out.size() + total + 64);  // and room for what the caller appends (a chunk's CRC, IEND)
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

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

// One zlib stream by one libdeflate call, appended to `out`.
bool libdeflateInOneCall(const std::uint8_t* source, std::size_t length, int level, std::vector<std::uint8_t>& out)
{
    const Compressor compressor(libdeflate_alloc_compressor(level));
    if (!compressor)
        return false;
    const std::size_t start = out.size();
    try {
        out.resize(start + libdeflate_zlib_compress_bound(compressor.get(), length));
    } catch (const std::bad_alloc&) {
        out.resize(start);
        return false;
    }
    const std::size_t written =
        libdeflate_zlib_compress(compressor.get(), source, length, out.data() + start, out.size() - start);
    out.resize(written == 0 ? start : start + written);
    return written != 0;
}

// Raw deflate of one piece by libdeflate. A piece that is not the last loses
// its final-block bit and gains an empty stored block, so that the next piece
// starts on a byte boundary and the inflater reads on into it.
void libdeflatePiece(libdeflate_compressor* compressor, const std::uint8_t* source, Piece& piece, bool last,
                     std::vector<std::uint8_t>& scratch)
{
    try {
        const std::size_t bound = libdeflate_deflate_compress_bound(compressor, piece.length);
        if (scratch.size() < bound)
            scratch.resize(bound);
    } catch (const std::bad_alloc&) {
        return;
    }
    std::size_t written =
        libdeflate_deflate_compress(compressor, source + piece.offset, piece.length, scratch.data(), scratch.size());
    if (written == 0)
        return;
    static constexpr std::uint8_t emptyStoredBlock[5] = {0x00, 0x00, 0x00, 0xFF, 0xFF};
    const std::uint8_t* tail = nullptr;
    std::size_t tailLength = 0;
    if (!last) {
        DeflateStreamEnds ends;
        if (!findDeflateEnds(scratch.data(), written, ends))
            return;
        scratch[ends.finalBlockBit / 8] &= std::uint8_t(~(1u << (ends.finalBlockBit % 8)));
        written = std::size_t((ends.endBit + 7) / 8);
        const unsigned usedBits = unsigned(ends.endBit % 8);
        if (usedBits != 0)
            scratch[written - 1] &= std::uint8_t((1u << usedBits) - 1);
        // The stored block's three header bits fit in the last byte's
        // padding when at least three bits are free; else they begin a byte.
        const std::uint64_t freeBits = std::uint64_t(written) * 8 - ends.endBit;
        tail = freeBits >= 3 ? emptyStoredBlock + 1 : emptyStoredBlock;
        tailLength = freeBits >= 3 ? 4 : 5;
    }
    try {
        piece.deflated.reserve(written + tailLength);
        piece.deflated.assign(scratch.begin(), scratch.begin() + std::ptrdiff_t(written));
        piece.deflated.insert(piece.deflated.end(), tail, tail + tailLength);
    } catch (const std::bad_alloc&) {
        return;
    }
    piece.adler = libdeflate_adler32(1, source + piece.offset, piece.length);
    piece.ok = true;
}

using OneCall = bool (*)(const std::uint8_t* source, std::size_t length, int level, std::vector<std::uint8_t>& out);
// Makes the worker of one thread, which deflates piece i of the pieces cut.
using WorkerMaker = std::function<std::function<void(std::size_t)>(std::vector<Piece>& pieces)>;

// The flow both compressors share: data of one piece goes through one call;
// larger data is cut, its pieces deflated on the workers and joined. With
// `preferSmallerSingle`, data that deflates to almost nothing (a nearly empty
// atlas), where the cuts would make the stream more than 0.5 % larger, is
// deflated again in one call and that kept when smaller: it is quick.
bool deflateInPieces(const std::uint8_t* source, std::size_t length, int level, std::vector<std::uint8_t>& out,
                     const CParallelDeflate::Progress& progress, unsigned threads, OneCall oneCall,
                     const WorkerMaker& makeWorker, bool preferSmallerSingle)
{
    const std::size_t count = CParallelDeflate::pieceCount(length);
    if (count == 1) {
        const bool ok = oneCall(source, length, level, out);
        if (ok && progress)
            progress(1, 1);
        return ok;
    }
    std::vector<Piece> pieces;
    if (!cutPieces(length, count, pieces))
        return false;
    runPieces(count, threads, progress, [&] { return makeWorker(pieces); });

    std::uint32_t adler = 1;
    const std::size_t total = joinedSize(pieces, adler);
    if (total == 0)
        return false;
    if (preferSmallerSingle && total < (count - 1) * cutCost * 200) {
        std::vector<std::uint8_t> single;
        if (oneCall(source, length, level, single) && single.size() <= total) {
            try {
                out.insert(out.end(), single.begin(), single.end());
            } catch (const std::bad_alloc&) {
                return false;
            }
            return true;
        }
    }
    return appendJoined(pieces, level, total, adler, out);
}

}  // namespace

bool CParallelDeflate::compress(const std::uint8_t* source, std::size_t length, int level,
                                std::vector<std::uint8_t>& out, const Progress& progress, unsigned threads)
{
    // NOTE: zlib counts piece sizes in 32 bits; the largest picture the image
    // limit admits (1 GiB) makes pieces of 64 MiB.
    const std::size_t count = pieceCount(length);
    return deflateInPieces(
        source, length, level, out, progress, threads, compressInOneCall,
        [&](std::vector<Piece>& pieces) -> std::function<void(std::size_t)> {
            auto scratch = std::make_shared<std::vector<std::uint8_t>>();
            return [&, scratch](std::size_t i) { deflatePiece(source, pieces[i], level, i + 1 == count, *scratch); };
        },
        true);
}

bool CParallelDeflate::compressWithLibdeflate(const std::uint8_t* source, std::size_t length, int level,
                                              std::vector<std::uint8_t>& out, const Progress& progress,
                                              unsigned threads)
{
    const std::size_t count = pieceCount(length);
    return deflateInPieces(
        source, length, level, out, progress, threads, libdeflateInOneCall,
        [&](std::vector<Piece>& pieces) -> std::function<void(std::size_t)> {
            auto compressor = std::make_shared<Compressor>(libdeflate_alloc_compressor(level));
            auto scratch = std::make_shared<std::vector<std::uint8_t>>();
            return [&, compressor, scratch](std::size_t i) {
                if (*compressor)
                    libdeflatePiece(compressor->get(), source, pieces[i], i + 1 == count, *scratch);
            };
        },
        false);
}
