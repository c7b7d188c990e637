// WavReader: the engine's own reader of RIFF WAVE files holding integer PCM.
//
// Read: the "fmt " chunk (format tag 1 only) and the first "data" chunk; other
// chunks (LIST, fact, cue ...) are skipped. Float and compressed formats and
// WAVE_FORMAT_EXTENSIBLE are not read: a format tag other than 1 ends the
// reading. The samples read so far are kept when a PCM "fmt " described
// them; samples that no PCM format came before are not integer PCM, and the
// file yields none. A "data" chunk keeps whole sample frames only (a partial
// frame at its end is not a sample).
//
// NOTE: chunks of odd size are followed by a pad byte, which is skipped. A
// "data" size past the end of the file (writers that could not seek back
// leave one) is cut to the bytes present, in whole sample frames. A "fmt "
// chunk longer than 16 bytes has its extra bytes skipped; one shorter than
// 16, or one with zero channels, rate or bits, refuses the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The "fmt " chunk's first 16 bytes, as the RIFF WAVE format defines them.
struct WavFormatChunk {
    std::uint16_t formatTag;
    std::uint16_t channels;
    std::uint32_t sampleRate;
    std::uint32_t byteRate;
    std::uint16_t blockAlign;
    std::uint16_t bitsPerSample;
};
static_assert(sizeof(WavFormatChunk) == 16);

// PCM samples with their format.
struct DecodedSound {
    std::vector<std::uint8_t> samples;
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bitsPerSample = 0;
};

// Reads a WAV file's bytes. False, with `error`, when they are not a RIFF
// WAVE file, the format is unusable or there are no samples.
bool decodeWav(const std::uint8_t* data, std::size_t size, DecodedSound& sound, std::string* error);
// Reads the WAV file at path.
bool loadWavFile(const char* path, DecodedSound& sound, std::string* error);
