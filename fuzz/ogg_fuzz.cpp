// libFuzzer harness for Ogg Vorbis decoding through libvorbisfile: any byte
// string must be decoded or refused without crashing, hanging, touching
// memory it does not own or allocating for a length the file cannot hold.
#include "resources/OggDecoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    OggDecoder decoder;
    if (!decoder.openMemory(data, size, nullptr))
        return 0;
    // The bound a whole sound has (1 GiB) would let one input take minutes;
    // a smaller one still checks that a decode stops at its limit.
    std::vector<std::uint8_t> samples;
    decoder.decodeAll(samples, std::uint64_t(64) << 20, nullptr);
    return 0;
}
