// CSoundStream: a streamed sound resource (type 4): an open Ogg Vorbis
// decoder and a PCM buffer sized for `size` milliseconds, for a player to
// refill half by half. The resource manager makes one for every "stream"
// element of a resource list naming an ".ogg" file.
#pragma once

#include "resources/CSound.h"

#include <memory>

class OggDecoder;

class CSoundStream : public CSound {
public:
    CSoundStream();
    ~CSoundStream() override;

    // Opens the Ogg file and allocates a buffer of
    // rate x channels x size x bitsPerSample / 1000 bytes (16 bits a sample).
    // On failure the decoder is dropped and false returned (`error` says
    // why); a buffer that would not fit in 32 bits or pass 256 MiB is refused.
    bool openStream(const char* path, std::uint32_t size, std::string* error = nullptr);

    // The whole file's length, from its total decoded size.
    std::int64_t getDuration() const override;

    bool isOpen() const { return state == 1; }
    OggDecoder* getDecoder() { return decoder.get(); }
    std::uint32_t getHalfBufferSize() const { return halfBufferSize; }
    // Bytes of PCM the whole file claims (any length: a stream holds only
    // its buffer).
    std::uint64_t getTotalSize() const { return totalSize; }

private:
    std::unique_ptr<OggDecoder> decoder;
    std::uint32_t halfBufferSize = 0;
    std::uint32_t state = 0;  // 1 once open
    std::uint64_t totalSize = 0;
};
