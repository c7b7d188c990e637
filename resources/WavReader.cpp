// WavReader: the RIFF chunk walk.
#include "resources/WavReader.h"

#include "core/FileBytes.h"

#include <algorithm>
#include <cstring>

namespace {

// Sounds are limited to what a 32-bit data size can say.
constexpr std::uint64_t maxWavFileBytes = 0xFFFFFFFFull;

std::uint16_t read16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t read32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

WavFormatChunk readFormat(const std::uint8_t* p)
{
    WavFormatChunk format;
    format.formatTag = read16(p);
    format.channels = read16(p + 2);
    format.sampleRate = read32(p + 4);
    format.byteRate = read32(p + 8);
    format.blockAlign = read16(p + 12);
    format.bitsPerSample = read16(p + 14);
    return format;
}

bool fail(std::string* error, const char* why)
{
    if (error)
        *error = std::string("WAV: ") + why;
    return false;
}

}  // namespace

bool decodeWav(const std::uint8_t* data, std::size_t size, DecodedSound& sound, std::string* error)
{
    sound = DecodedSound();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return fail(error, "not a RIFF WAVE file");

    bool haveSamples = false;
    std::size_t pos = 12;
    while (size - pos >= 8) {
        const std::uint8_t* id = data + pos;
        const std::uint64_t chunkSize = read32(data + pos + 4);
        pos += 8;
        const std::size_t present = std::size_t(std::min<std::uint64_t>(chunkSize, size - pos));
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (chunkSize < 16 || present < 16)
                return fail(error, "the format chunk is too short");
            const WavFormatChunk format = readFormat(data + pos);
            if (format.formatTag != 1)
                break; // not integer PCM: keep what was read so far
            if (format.channels == 0 || format.sampleRate == 0 || format.bitsPerSample == 0)
                return fail(error, "zero channels, sample rate or bits per sample");
            sound.channels = format.channels;
            sound.sampleRate = format.sampleRate;
            sound.bitsPerSample = format.bitsPerSample;
        } else if (std::memcmp(id, "data", 4) == 0 && !haveSamples) {
            sound.samples.assign(data + pos, data + pos + present);
            haveSamples = true;
        }
        // Skip the chunk, its extra bytes and the pad byte after an odd size.
        const std::uint64_t next = pos + chunkSize + (chunkSize & 1);
        if (next >= size)
            break;
        pos = std::size_t(next);
    }

    if (sound.channels == 0)
        return fail(error, "no usable format chunk");
    if (sound.samples.empty())
        return fail(error, "no samples");
    // A cut "data" chunk keeps whole sample frames only.
    const std::size_t frameBytes = std::size_t(sound.channels) * ((sound.bitsPerSample + 7) / 8);
    sound.samples.resize(sound.samples.size() - sound.samples.size() % frameBytes);
    if (sound.samples.empty())
        return fail(error, "no samples");
    return true;
}

bool loadWavFile(const char* path, DecodedSound& sound, std::string* error)
{
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, bytes, "WAV", error, maxWavFileBytes)) {
        sound = DecodedSound();
        return false;
    }
    return decodeWav(bytes.data(), bytes.size(), sound, error);
}
