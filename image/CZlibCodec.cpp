// CZlibCodec: zlib's stream interface driven in one pass. zlib counts
// buffer sizes in 32-bit units, so larger buffers are handed over in slices
// within the same stream.
#include "image/CZlibCodec.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace {

constexpr std::size_t maxSlice = std::numeric_limits<uInt>::max();

// Tops up the stream's input and output windows from the remaining totals.
void feed(z_stream& stream, std::size_t& inLeft, std::size_t& outLeft)
{
    if (stream.avail_in == 0 && inLeft > 0) {
        stream.avail_in = static_cast<uInt>(std::min(inLeft, maxSlice));
        inLeft -= stream.avail_in;
    }
    if (stream.avail_out == 0 && outLeft > 0) {
        stream.avail_out = static_cast<uInt>(std::min(outLeft, maxSlice));
        outLeft -= stream.avail_out;
    }
}

}  // namespace

std::size_t CZlibCodec::compress(std::uint8_t* destination, std::size_t capacity, const std::uint8_t* source,
                                 std::size_t sourceLength, int level, std::uint32_t* adler32, bool gzip)
{
    if (destination == nullptr || (source == nullptr && sourceLength > 0))
        return 0;
    z_stream stream{};
    const int init = gzip ? deflateInit2(&stream, level, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY)
                          : deflateInit(&stream, level);
    if (init != Z_OK)
        return 0;
    stream.next_in = const_cast<Bytef*>(source);
    stream.next_out = destination;
    std::size_t inLeft = sourceLength;
    std::size_t outLeft = capacity;
    int status = Z_OK;
    while (status == Z_OK) {
        feed(stream, inLeft, outLeft);
        const bool lastInput = inLeft == 0;
        if (stream.avail_out == 0)
            break;  // out of room before the end
        status = deflate(&stream, lastInput ? Z_FINISH : Z_NO_FLUSH);
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && inLeft > 0)
            status = Z_OK;  // no progress possible until the next input slice
    }
    const std::size_t written = capacity - outLeft - stream.avail_out;
    const uLong adler = stream.adler;
    const bool ended = deflateEnd(&stream) == Z_OK;
    if (status != Z_STREAM_END || !ended)
        return 0;
    if (adler32 != nullptr)
        *adler32 = static_cast<std::uint32_t>(adler);
    return written;
}

std::size_t CZlibCodec::uncompress(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* destination,
                                   std::size_t capacity, bool gzip)
{
    if (source == nullptr || destination == nullptr)
        return 0;
    z_stream stream{};
    if ((gzip ? inflateInit2(&stream, 31) : inflateInit(&stream)) != Z_OK)
        return 0;
    stream.next_in = const_cast<Bytef*>(source);
    stream.next_out = destination;
    std::size_t inLeft = sourceLength;
    std::size_t outLeft = capacity;
    int status = Z_OK;
    while (status == Z_OK) {
        feed(stream, inLeft, outLeft);
        if (stream.avail_in == 0 && stream.avail_out == 0)
            break;
        status = inflate(&stream, Z_FINISH);
        // Z_BUF_ERROR with both windows still holding room cannot happen; with
        // one of them empty, refill it if more is left, else give up.
        if (status == Z_BUF_ERROR && ((stream.avail_in == 0 && inLeft > 0) || (stream.avail_out == 0 && outLeft > 0)))
            status = Z_OK;
    }
    const std::size_t produced = capacity - outLeft - stream.avail_out;
    inflateEnd(&stream);
    return status == Z_STREAM_END ? produced : 0;
}

std::size_t CZlibCodec::compressBound(std::size_t sourceLength)
{
    // zlib's own bound, widened to size_t, plus the gzip wrapper's extra bytes.
    return sourceLength + (sourceLength >> 12) + (sourceLength >> 14) + (sourceLength >> 25) + 13 + 18;
}
