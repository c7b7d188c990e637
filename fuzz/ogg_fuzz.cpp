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
    std::vector<std::uint8_t> samples(decoder.getTotalBytes());
    if (!samples.empty())
        decoder.decodeAll(samples.data());
    return 0;
}
