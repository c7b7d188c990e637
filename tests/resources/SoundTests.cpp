// Sounds: the WAV reader and Ogg decoding against files made and read by
// sox and vorbis-tools, streams, and the files that must be refused or mended.
#include "ModelFileWriters.h"
#include "ResourceTestFiles.h"
#include "SoundTestFiles.h"
#include "resources/CSound.h"
#include "resources/CSoundStream.h"
#include "resources/OggDecoder.h"
#include "resources/WavReader.h"

#include <gtest/gtest.h>

#include <fstream>

#include <cmath>

namespace {

DecodedSound decode(const std::vector<std::uint8_t>& bytes, bool expectOk = true)
{
    DecodedSound sound;
    EXPECT_EQ(decodeWav(bytes.data(), bytes.size(), sound, nullptr), expectOk);
    return sound;
}

std::uint32_t oggCrc(const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= std::uint32_t(data[i]) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

// Sets the granule position of the file's last page and mends its checksum.
void setLastGranule(std::vector<std::uint8_t>& ogg, std::uint64_t granule)
{
    std::size_t page = ogg.size() - 3;
    while (page-- > 0 && std::string(ogg.begin() + std::ptrdiff_t(page), ogg.begin() + std::ptrdiff_t(page) + 4) != "OggS")
        ;
    ASSERT_LT(page, ogg.size());
    for (int i = 0; i < 8; ++i)
        ogg[page + 6 + i] = std::uint8_t(granule >> (8 * i));
    std::fill(ogg.begin() + std::ptrdiff_t(page) + 22, ogg.begin() + std::ptrdiff_t(page) + 26, 0);
    const std::uint32_t crc = oggCrc(ogg.data() + page, ogg.size() - page);
    for (int i = 0; i < 4; ++i)
        ogg[page + 22 + i] = std::uint8_t(crc >> (8 * i));
}

}  // namespace

TEST(WavReader, AgreesWithSoxOnFormatDurationAndSamples)
{
    ScratchFolder folder;
    // sox writes 8 and 16 bits as plain PCM (more bits, or more than two
    // channels, it writes as WAVE_FORMAT_EXTENSIBLE, which is not read).
    for (const int bits : {8, 16}) {
        SCOPED_TRACE(bits);
        const std::string wav = folder.file("sine" + std::to_string(bits) + ".wav");
        const std::string raw = folder.file("sine" + std::to_string(bits) + ".raw");
        ASSERT_TRUE(makeSineWav(wav, 22050, 1, 2, bits));
        ASSERT_TRUE(runTool("sox " + wav + " -t raw " + raw));
        CSound sound;
        ASSERT_TRUE(sound.loadWav(wav.c_str()));
        EXPECT_EQ(std::to_string(sound.getChannels()), toolOutput("soxi -c " + wav));
        EXPECT_EQ(std::to_string(sound.getSampleRate()), toolOutput("soxi -r " + wav));
        EXPECT_EQ(std::to_string(sound.getBitsPerSample()), toolOutput("soxi -b " + wav));
        EXPECT_EQ(sound.getDuration(), std::llround(std::stod(toolOutput("soxi -D " + wav)) * 1000));
        const std::vector<std::uint8_t> expected = readAllBytes(raw);
        ASSERT_EQ(sound.getDataSize(), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sound.getSamples()));
    }
}

TEST(WavReader, FloatFilesFromSoxYieldNoSamples)
{
    ScratchFolder folder;
    const std::string wav = folder.file("float.wav");
    ASSERT_TRUE(runTool("sox -n -r 8000 -c 1 -b 32 -e floating-point " + wav + " synth 0.1 sine 440"));
    CSound sound;
    EXPECT_FALSE(sound.loadWav(wav.c_str()));
    EXPECT_EQ(sound.getSamples(), nullptr);
    EXPECT_EQ(sound.getDataSize(), 0u);
}

TEST(WavReader, SkipsOtherChunksPadBytesAndLongFormatChunks)
{
    WavParts parts;
    parts.data = {1, 2, 3, 4, 5, 6};
    parts.fmtExtra = {0, 0};                                         // cbSize of an 18-byte "fmt "
    parts.before = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0}; // odd size, then its pad byte
    const DecodedSound sound = decode(makeWav(parts));
    EXPECT_EQ(sound.samples, parts.data);
    EXPECT_EQ(sound.channels, 1u);
    EXPECT_EQ(sound.sampleRate, 8000u);
}

TEST(WavReader, DataSizePastTheEndKeepsTheWholeFramesPresent)
{
    WavParts parts;
    parts.channels = 2;
    parts.data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    parts.dataSize = 0xFFFFFFFFu; // a writer that could not seek back
    EXPECT_EQ(decode(makeWav(parts)).samples, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(WavReader, FormatChunksAroundTheDataDecideWhatIsKept)
{
    // A float "fmt " after PCM samples ends the reading and keeps them; the
    // same chunk before any PCM format refuses the file (its samples are not
    // integer PCM); a complete data chunk keeps whole frames only.
    WavParts pcm;
    pcm.data = {1, 2, 3, 4};
    std::vector<std::uint8_t> floatFormat{'f', 'm', 't', ' ', 16, 0, 0, 0, 3, 0, 1, 0, 0x40, 0x1F, 0, 0,
                                          0, 0x7D, 0, 0, 4, 0, 32, 0};
    std::vector<std::uint8_t> pcmThenFloat = makeWav(pcm);
    for (std::uint8_t byte : floatFormat)
        pcmThenFloat.push_back(byte);
    EXPECT_EQ(decode(pcmThenFloat).samples, pcm.data);

    std::vector<std::uint8_t> dataThenFloat{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                            'd', 'a', 't', 'a', 4, 0, 0, 0, 1, 2, 3, 4};
    for (std::uint8_t byte : floatFormat)
        dataThenFloat.push_back(byte);
    decode(dataThenFloat, false);

    WavParts odd;
    odd.channels = 2;
    odd.data.assign(801, 7);
    odd.data.push_back(0);  // the pad byte after the odd size
    odd.dataSize = 801;
    EXPECT_EQ(decode(makeWav(odd)).samples.size(), 800u);
}

TEST(WavReader, RefusesUnusableFormats)
{
    WavParts noChannels;
    noChannels.channels = 0;
    noChannels.data = {1, 2};
    decode(makeWav(noChannels), false);
    WavParts noRate = noChannels;
    noRate.channels = 1;
    noRate.sampleRate = 0;
    decode(makeWav(noRate), false);
    std::vector<std::uint8_t> shortFormat = makeWav(noChannels);
    shortFormat[16] = 12; // a "fmt " chunk of 12 bytes
    decode(shortFormat, false);
    std::vector<std::uint8_t> notWave = makeWav(noRate);
    notWave[8] = 'X';
    decode(notWave, false);
}

TEST(CSound, DurationOfOneSecondOfCdSoundIsOneThousandMilliseconds)
{
    CSound sound;
    ASSERT_TRUE(sound.allocateSamples(176400, 2, 44100, 16));
    EXPECT_EQ(sound.getDuration(), 1000);
    EXPECT_EQ(sound.getType(), CResource::TypeSound);
    ASSERT_TRUE(sound.allocateSamples(0, 2, 44100, 16));
    EXPECT_EQ(sound.getSamples(), nullptr);
    EXPECT_EQ(CSound().getDuration(), 0);
}

class OggTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wav = folder.file("sine.wav");
        ogg = folder.file("sine.ogg");
        ASSERT_TRUE(makeSineWav(wav, 44100, 1));
        ASSERT_TRUE(makeOgg(wav, ogg));
    }

    ScratchFolder folder;
    std::string wav;
    std::string ogg;
};

TEST_F(OggTest, DecodesWhatOggdecDecodesCloseToTheOriginal)
{
    const std::string raw = folder.file("decoded.raw");
    ASSERT_TRUE(runTool("oggdec -Q -R -o " + raw + " " + ogg));
    CSound sound;
    ASSERT_TRUE(sound.loadOgg(ogg.c_str()));
    EXPECT_EQ(sound.getChannels(), 2u);
    EXPECT_EQ(sound.getSampleRate(), 44100u);
    EXPECT_EQ(sound.getBitsPerSample(), 16u);
    EXPECT_EQ(sound.getDataSize(), 176400u);
    EXPECT_EQ(sound.getDuration(), 1000);
    const std::vector<std::uint8_t> expected = readAllBytes(raw);
    ASSERT_EQ(sound.getDataSize(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sound.getSamples()));

    // Against the PCM that went in: a lossy codec, so the error is bounded
    // relative to the signal (about -20 dB would already be a broken decode).
    DecodedSound original;
    ASSERT_TRUE(loadWavFile(wav.c_str(), original, nullptr));
    ASSERT_EQ(original.samples.size(), expected.size());
    double signal = 0, noise = 0;
    for (std::size_t i = 0; i + 1 < expected.size(); i += 2) {
        const double a = std::int16_t(original.samples[i] | (original.samples[i + 1] << 8));
        const double b = std::int16_t(sound.getSamples()[i] | (sound.getSamples()[i + 1] << 8));
        signal += a * a;
        noise += (a - b) * (a - b);
    }
    EXPECT_GT(10 * std::log10(signal / noise), 30.0);
}

TEST_F(OggTest, StreamSizesItsBufferFromTheRequestedMilliseconds)
{
    CSoundStream stream;
    ASSERT_TRUE(stream.openStream(ogg.c_str(), 500));
    EXPECT_TRUE(stream.isOpen());
    EXPECT_EQ(stream.getType(), CResource::TypeSoundStream);
    EXPECT_TRUE(stream.isStreamed());
    EXPECT_EQ(stream.getDataSize(), 705600u);
    EXPECT_EQ(stream.getHalfBufferSize(), 352800u);
    EXPECT_EQ(stream.getTotalSize(), 176400u);
    EXPECT_EQ(stream.getDuration(), 1000);
    ASSERT_NE(stream.getDecoder(), nullptr);

    // A size whose buffer overflows 32 bits is refused, not wrapped.
    std::string error;
    EXPECT_FALSE(stream.openStream(ogg.c_str(), 4000000000u, &error));
    EXPECT_FALSE(stream.isOpen());
    EXPECT_EQ(stream.getDecoder(), nullptr);
    EXPECT_EQ(stream.getSamples(), nullptr);
    EXPECT_FALSE(stream.openStream(wav.c_str(), 500));
}

TEST_F(OggTest, ClaimedLengthNeverOutgrowsTheFile)
{
    // libvorbisfile already distrusts a last granule beyond its page; the
    // decoder's own bound catches what gets past it. Either way nothing
    // near 2^40 samples is allocated.
    std::vector<std::uint8_t> bytes = readAllBytes(ogg);
    setLastGranule(bytes, std::uint64_t(1) << 40);
    OggDecoder decoder;
    std::vector<std::uint8_t> samples;
    if (decoder.openMemory(bytes.data(), bytes.size(), nullptr)) {
        EXPECT_LE(decoder.getTotalBytes(), bytes.size() * 2048 * 2 * 2);
        EXPECT_TRUE(decoder.decodeAll(samples, std::uint64_t(1) << 30, nullptr));
    }
    // A shorter claim (an encoder's end trim) stops the decode there.
    setLastGranule(bytes, 22050);
    ASSERT_TRUE(decoder.openMemory(bytes.data(), bytes.size(), nullptr));
    EXPECT_EQ(decoder.getTotalBytes(), 22050u * 4);
    EXPECT_TRUE(decoder.decodeAll(samples, std::uint64_t(1) << 30, nullptr));
    EXPECT_EQ(samples.size(), 22050u * 4);
    // An empty block is refused without touching its null pointer.
    EXPECT_FALSE(decoder.openMemory(nullptr, 0, nullptr));
}
