// OggDecoder: libvorbisfile over a standard file stream or a memory block.
#include "resources/OggDecoder.h"

#include "core/FileBytes.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace {

// Samples a channel one byte of file can carry at most (see the header).
constexpr std::uint64_t maxSamplesPerFileByte = 2048;

std::size_t fileRead(void* out, std::size_t size, std::size_t count, void* source)
{
    return std::fread(out, size, count, static_cast<std::FILE*>(source));
}

int fileSeek(void* source, ogg_int64_t offset, int whence)
{
    return fseeko(static_cast<std::FILE*>(source), off_t(offset), whence);
}

int fileClose(void* source)
{
    return std::fclose(static_cast<std::FILE*>(source));
}

long fileTell(void* source)
{
    return long(ftello(static_cast<std::FILE*>(source)));
}

bool fail(std::string* error, const std::string& why)
{
    if (error)
        *error = "Ogg: " + why;
    return false;
}

}  // namespace

// The memory source's callbacks need the decoder's position fields.
struct OggMemoryCallbacks {
    static std::size_t read(void* out, std::size_t size, std::size_t count, void* source)
    {
        OggDecoder& decoder = *static_cast<OggDecoder*>(source);
        if (size == 0)
            return 0;
        const std::size_t left = decoder.memorySize - decoder.memoryPos;
        const std::size_t items = std::min(count, left / size);
        if (items == 0)
            return 0;  // also keeps an empty block's null pointer from memcpy
        std::memcpy(out, decoder.memoryData + decoder.memoryPos, items * size);
        decoder.memoryPos += items * size;
        return items;
    }
    static int seek(void* source, ogg_int64_t offset, int whence)
    {
        OggDecoder& decoder = *static_cast<OggDecoder*>(source);
        ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? ogg_int64_t(decoder.memoryPos)
                                                                        : ogg_int64_t(decoder.memorySize);
        if (offset < -base || offset > ogg_int64_t(decoder.memorySize) - base)
            return -1;
        decoder.memoryPos = std::size_t(base + offset);
        return 0;
    }
    static long tell(void* source) { return long(static_cast<OggDecoder*>(source)->memoryPos); }
};

OggDecoder::OggDecoder() = default;

OggDecoder::~OggDecoder()
{
    close();
}

void OggDecoder::close()
{
    if (open)
        ov_clear(file.get());
    file.reset();
    open = false;
    channels = sampleRate = totalBytes = 0;
    memoryData = nullptr;
    memorySize = memoryPos = 0;
}

bool OggDecoder::openFile(const char* path, std::string* error)
{
    close();
    std::FILE* stream = openRegularFile(path).release();
    if (!stream)
        return fail(error, std::string("cannot open ") + (path ? path : "(null)"));
    struct stat info;
    if (fstat(fileno(stream), &info) != 0) {
        std::fclose(stream);
        return fail(error, "not a regular file");
    }
    file = std::make_unique<OggVorbis_File>();
    const ov_callbacks callbacks = {fileRead, fileSeek, fileClose, fileTell};
    if (ov_open_callbacks(stream, file.get(), nullptr, 0, callbacks) != 0) {
        std::fclose(stream); // not taken over on failure
        file.reset();
        return fail(error, "not an Ogg Vorbis stream");
    }
    open = true;
    return checkStream(std::uint64_t(info.st_size), error);
}

bool OggDecoder::openMemory(const std::uint8_t* data, std::size_t size, std::string* error)
{
    close();
    memoryData = data;
    memorySize = data ? size : 0;
    memoryPos = 0;
    file = std::make_unique<OggVorbis_File>();
    const ov_callbacks callbacks = {OggMemoryCallbacks::read, OggMemoryCallbacks::seek, nullptr,
                                    OggMemoryCallbacks::tell};
    if (ov_open_callbacks(this, file.get(), nullptr, 0, callbacks) != 0) {
        file.reset();
        return fail(error, "not an Ogg Vorbis stream");
    }
    open = true;
    return checkStream(memorySize, error);
}

bool OggDecoder::checkStream(std::uint64_t fileBytes, std::string* error)
{
    const vorbis_info* info = ov_info(file.get(), 0);
    if (!info || info->channels <= 0 || info->rate <= 0) {
        close();
        return fail(error, "no stream information");
    }
    const long links = ov_streams(file.get());
    for (long link = 1; link < links; ++link) {
        const vorbis_info* other = ov_info(file.get(), int(link));
        if (!other || other->channels != info->channels || other->rate != info->rate) {
            close();
            return fail(error, "chained streams change channels or rate");
        }
    }
    const ogg_int64_t samples = ov_pcm_total(file.get(), -1);
    if (samples < 0) {
        close();
        return fail(error, "the stream's length is unknown");
    }
    const std::uint64_t perChannel = std::uint64_t(samples);
    const std::uint64_t channelCount = std::uint64_t(info->channels);
    if (perChannel > fileBytes * maxSamplesPerFileByte) {
        close();
        return fail(error, "the stream claims an absurd length");
    }
    channels = std::uint32_t(info->channels);
    sampleRate = std::uint32_t(info->rate);
    // Below 2^64: perChannel is at most 2048 per file byte, channels < 256.
    totalBytes = perChannel * channelCount * 2;
    return true;
}

long OggDecoder::read(std::uint8_t* out, std::size_t bytes)
{
    if (!open)
        return -1;
    int link = 0;
    const int chunk = int(std::min<std::size_t>(bytes, 1 << 20));
    const long got = ov_read(file.get(), reinterpret_cast<char*>(out), chunk, 0, 2, 1, &link);
    return got < 0 ? -1 : got;
}

bool OggDecoder::decodeAll(std::vector<std::uint8_t>& samples, std::uint64_t limit, std::string* error)
{
    samples.clear();
    if (!open)
        return fail(error, "no stream is open");
    // Grown as the data decodes; the claimed length only caps the first
    // reservation, so a false claim costs nothing.
    constexpr std::size_t block = std::size_t(1) << 16;
    samples.reserve(std::size_t(std::min<std::uint64_t>({totalBytes, limit, std::uint64_t(16) << 20})));
    // A claim shorter than the data (an encoder's end trim) ends the decode.
    const std::uint64_t wanted = std::min(totalBytes, limit);
    std::size_t filled = 0;
    while (filled < totalBytes) {
        if (samples.size() - filled < block) {
            if (filled >= wanted) {
                // One byte more than the limit allows decides whether it is hit.
                std::uint8_t probe[4096];
                if (read(probe, sizeof probe) == 0)
                    break;
                samples.clear();
                return fail(error, "the stream decodes to more than " + std::to_string(limit >> 20) + " MiB");
            }
            samples.resize(std::size_t(std::min<std::uint64_t>(filled + std::max(block, filled), wanted)));
        }
        const long got = read(samples.data() + filled, samples.size() - filled);
        if (got < 0) {
            samples.clear();
            return fail(error, "the stream has a hole or a bad link");
        }
        if (got == 0)
            break;
        filled += std::size_t(got);
    }
    samples.resize(filled);
    samples.shrink_to_fit();
    return true;
}
