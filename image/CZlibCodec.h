// CZlibCodec: the engine's thin one-shot wrapper over zlib. Both operations
// work on whole buffers in one call and report failure as 0 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

class CZlibCodec {
public:
    // Deflates all of `source` at `level` into `destination` (zlib wrapper, or
    // a gzip wrapper when `gzip` is set). Returns the bytes written and stores
    // the Adler-32 of the input in `adler32` (when given); 0 on any failure,
    // including output that does not fit in `capacity`.
    static std::size_t compress(std::uint8_t* destination, std::size_t capacity, const std::uint8_t* source,
                                std::size_t sourceLength, int level, std::uint32_t* adler32, bool gzip);

    // Inflates `source` into `destination`. Succeeds only when the stream
    // reaches its end within `capacity`; returns the bytes produced, 0 on
    // failure (damaged data, a stream that needs more room, a stream that
    // stops before its end).
    static std::size_t uncompress(const std::uint8_t* source, std::size_t sourceLength, std::uint8_t* destination,
                                  std::size_t capacity, bool gzip);

    // Largest deflated size of `sourceLength` bytes (incompressible data grows).
    static std::size_t compressBound(std::size_t sourceLength);
};
