// CSoundStream: opening the decoder and sizing the stream buffer.
#include "resources/CSoundStream.h"

#include "resources/OggDecoder.h"

namespace {

constexpr std::uint64_t maxStreamBuffer = std::uint64_t(256) << 20;

}

CSoundStream::CSoundStream() : CSound(TypeSoundStream, true)
{
}

CSoundStream::~CSoundStream() = default;

bool CSoundStream::openStream(const char* path, std::uint32_t size, std::string* error)
{
    if (!decoder)
        decoder = std::make_unique<OggDecoder>();
    state = 0;
    auto fail = [&](const char* why) {
        decoder.reset();
        clearSamples();
        halfBufferSize = 0;
        totalSize = 0;
        if (why && error)
            *error = why;
        return false;
    };
    if (!decoder->openFile(path, error))
        return fail(nullptr);
    // Sized in 64 bits: the 32-bit product overflows for buffers of a few
    // seconds of multi-channel sound.
    const std::uint64_t bytesPerSecond = std::uint64_t(decoder->getSampleRate()) * decoder->getChannels() * 16;
    if (size != 0 && bytesPerSecond > maxStreamBuffer * 1000 / size)
        return fail("Ogg: the stream buffer is too large");
    const std::uint32_t bufferSize = std::uint32_t(bytesPerSecond * size / 1000);
    if (!allocateSamples(bufferSize, decoder->getChannels(), decoder->getSampleRate(), 16))
        return fail("Ogg: cannot allocate the stream buffer");
    halfBufferSize = bufferSize / 2;
    totalSize = decoder->getTotalBytes();
    state = 1;
    return true;
}

std::int64_t CSoundStream::getDuration() const
{
    return durationOf(totalSize, sampleRate, channels, bitsPerSample);
}
