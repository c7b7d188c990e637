// libFuzzer harness for the WAV reader: any byte string must be read or
// refused without crashing, hanging or touching memory it does not own.
#include "resources/WavReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodedSound sound;
    if (decodeWav(data, size, sound, nullptr)) {
        volatile std::uint8_t sink = sound.samples.front() ^ sound.samples.back();
        (void)sink;
    }
    return 0;
}
