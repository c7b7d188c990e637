// CSound: sample storage, duration and the two whole-file readers.
#include "resources/CSound.h"

#include "resources/OggDecoder.h"
#include "resources/WavReader.h"

#include <new>

CSound::CSound() : CSound(TypeSound, false)
{
}

CSound::CSound(std::int32_t typeCode, bool isStreamed) : CResource(typeCode), streamed(isStreamed)
{
}

CSound::~CSound() = default;

void CSound::clearSamples()
{
    std::vector<std::uint8_t>().swap(samples);
    dataSize = 0;
}

bool CSound::allocateSamples(std::uint32_t size, std::uint32_t newChannels, std::uint32_t newSampleRate,
                             std::uint32_t newBitsPerSample)
{
    clearSamples();
    if (size == 0)
        return true;
    try {
        samples.assign(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    channels = newChannels;
    sampleRate = newSampleRate;
    bitsPerSample = newBitsPerSample;
    dataSize = size;
    return true;
}

std::int64_t CSound::durationOf(std::uint64_t bytes, std::uint32_t rate, std::uint32_t channelCount,
                                std::uint32_t bits)
{
    const double divisor = double(rate) * channelCount * bits * 0.125;
    if (divisor == 0.0)
        return 0;
    return std::int64_t(double(bytes) / divisor * 1000.0);
}

std::int64_t CSound::getDuration() const
{
    return durationOf(dataSize, sampleRate, channels, bitsPerSample);
}

bool CSound::loadWav(const char* path, std::string* error)
{
    clearSamples();
    DecodedSound sound;
    if (!loadWavFile(path, sound, error))
        return false;
    samples = std::move(sound.samples);
    channels = sound.channels;
    sampleRate = sound.sampleRate;
    bitsPerSample = sound.bitsPerSample;
    dataSize = std::uint32_t(samples.size());
    return true;
}

bool CSound::loadOgg(const char* path, std::string* error)
{
    // Whole sounds stay below 1 GiB of PCM (and so within dataSize's 32 bits);
    // longer ones are for streams.
    constexpr std::uint64_t maxSampleBytes = std::uint64_t(1) << 30;
    clearSamples();
    OggDecoder decoder;
    if (!decoder.openFile(path, error))
        return false;
    std::vector<std::uint8_t> decoded;
    try {
        if (!decoder.decodeAll(decoded, maxSampleBytes, error))
            return false;
    } catch (const std::bad_alloc&) {
        if (error)
            *error = "Ogg: cannot allocate the samples";
        return false;
    }
    if (decoded.empty()) {
        if (error)
            *error = "Ogg: the stream holds no samples";
        return false;
    }
    samples = std::move(decoded);
    channels = decoder.getChannels();
    sampleRate = decoder.getSampleRate();
    bitsPerSample = 16;
    dataSize = std::uint32_t(samples.size());
    return true;
}
