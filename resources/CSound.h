// CSound: a sound resource (type 3) holding decoded PCM samples with their
// format. The resource manager makes one for every ".wav" file (read by the
// engine's own WavReader) and every ".ogg" file (decoded whole through
// OggDecoder). Playback is not part of the engine's resources.
#pragma once

#include "image/CResource.h"

#include <cstdint>
#include <string>
#include <vector>

class CSound : public CResource {
public:
    CSound();
    ~CSound() override;

    // Frees the samples; when size is not 0 allocates size bytes (zeroed)
    // and stores the format. False, with no samples, when the block cannot
    // be allocated.
    bool allocateSamples(std::uint32_t size, std::uint32_t channels, std::uint32_t sampleRate,
                         std::uint32_t bitsPerSample);

    // Length in milliseconds: dataSize / (rate x channels x bits / 8) x 1000,
    // 0 when the divisor is 0.
    virtual std::int64_t getDuration() const;

    // Replace the samples with the file's; false (no samples, `error` says
    // why) when it cannot be read. Ogg files decode to 16-bit PCM.
    bool loadWav(const char* path, std::string* error = nullptr);
    bool loadOgg(const char* path, std::string* error = nullptr);

    const std::uint8_t* getSamples() const { return samples.empty() ? nullptr : samples.data(); }
    std::uint8_t* getSamples() { return samples.empty() ? nullptr : samples.data(); }
    std::uint32_t getChannels() const { return channels; }
    std::uint32_t getSampleRate() const { return sampleRate; }
    std::uint32_t getBitsPerSample() const { return bitsPerSample; }
    std::uint32_t getDataSize() const { return dataSize; }
    bool isStreamed() const { return streamed; }

protected:
    CSound(std::int32_t typeCode, bool streamed);
    void clearSamples();
    // dataSize over the format's bytes a second, in milliseconds.
    static std::int64_t durationOf(std::uint64_t bytes, std::uint32_t sampleRate, std::uint32_t channels,
                                   std::uint32_t bitsPerSample);

    std::vector<std::uint8_t> samples;
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;
    bool streamed = false;
};
