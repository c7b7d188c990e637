// OggDecoder: Ogg Vorbis decoding through libvorbisfile, from a file or from
// bytes in memory, always to signed 16-bit little-endian PCM.
//
// The decoder checks what the stream claims: every link must have the first
// link's channels and rate (a chained file that changes format would decode
// into a buffer of mixed layouts), and the claimed length must be one the
// file could hold. Vorbis packets carry at most 4096 samples a channel and
// take at least two bytes of the file each, so a length beyond 2048 samples
// a channel per file byte is refused as absurd. The claim is only a claim
// (the last page says it): whole decodes are sized by what actually decodes,
// never by it, and only they are bounded, since a stream holds no more than
// its buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct OggVorbis_File;

class OggDecoder {
public:
    OggDecoder();
    ~OggDecoder();

    OggDecoder(const OggDecoder&) = delete;
    OggDecoder& operator=(const OggDecoder&) = delete;

    // Opens the file (mode "rb"); the decoder keeps it open until `close`.
    bool openFile(const char* path, std::string* error);
    // Opens bytes the caller keeps alive until `close`.
    bool openMemory(const std::uint8_t* data, std::size_t size, std::string* error);
    void close();
    bool isOpen() const { return open; }

    std::uint32_t getChannels() const { return channels; }
    std::uint32_t getSampleRate() const { return sampleRate; }
    // Bytes of 16-bit PCM the stream claims to decode to.
    std::uint64_t getTotalBytes() const { return totalBytes; }

    // Decodes up to `bytes` bytes into out. Returns the bytes written, 0 at
    // the end of the stream, or -1 on a hole in the data, a bad link or
    // another decoder error.
    long read(std::uint8_t* out, std::size_t bytes);

    // Decodes the whole stream into `samples`, which ends up exactly as long
    // as what decoded. Fails (with `error`) on a decoder error, or when the
    // stream decodes to more than `limit` bytes.
    bool decodeAll(std::vector<std::uint8_t>& samples, std::uint64_t limit, std::string* error);

private:
    friend struct OggMemoryCallbacks;
    bool checkStream(std::uint64_t fileBytes, std::string* error);

    std::unique_ptr<OggVorbis_File> file;
    bool open = false;
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint64_t totalBytes = 0;
    // Memory source: the bytes and the read position.
    const std::uint8_t* memoryData = nullptr;
    std::size_t memorySize = 0;
    std::size_t memoryPos = 0;
};
