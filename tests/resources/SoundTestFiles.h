// Sound files for the tests and the benchmark, made by the tools players
// use (sox, oggenc, oggdec from vorbis-tools), and a small WAV writer for
// files those tools would never write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// Runs a shell command quietly; true when it succeeded.
inline bool runTool(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The first line a command prints.
inline std::string toolOutput(const std::string& command)
{
    std::string text;
    if (std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char line[256];
        if (std::fgets(line, sizeof line, pipe))
            text = line;
        pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

inline std::vector<std::uint8_t> readAllBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A stereo 16-bit sine pair (440 Hz left, 660 Hz right) of `seconds` at `rate`.
inline bool makeSineWav(const std::string& path, int rate, int seconds, int channels = 2, int bits = 16)
{
    return runTool("sox -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " -b " +
                   std::to_string(bits) + (bits == 8 ? " -e unsigned-integer " : " -e signed-integer ") + path + " synth " + std::to_string(seconds) +
                   " sine 440 sine 660 gain -3");
}

inline bool makeOgg(const std::string& wav, const std::string& ogg)
{
    return runTool("oggenc -Q -q 4 -o " + ogg + " " + wav);
}

// A RIFF WAVE file from parts: the "fmt " payload, optional chunks, the data.
struct WavParts {
    std::uint16_t formatTag = 1;
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 8000;
    std::uint16_t bits = 16;
    std::vector<std::uint8_t> fmtExtra;                // bytes after the 16
    std::vector<std::uint8_t> before;                  // whole chunks before "data"
    std::vector<std::uint8_t> data;
    std::uint64_t dataSize = ~std::uint64_t(0);        // the size written; default: data.size()
};

inline void putLe(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

inline std::vector<std::uint8_t> makeWav(const WavParts& parts)
{
    std::vector<std::uint8_t> body{'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    putLe(body, 16 + parts.fmtExtra.size(), 4);
    putLe(body, parts.formatTag, 2);
    putLe(body, parts.channels, 2);
    putLe(body, parts.sampleRate, 4);
    putLe(body, std::uint64_t(parts.sampleRate) * parts.channels * parts.bits / 8, 4);
    putLe(body, parts.channels * parts.bits / 8, 2);
    putLe(body, parts.bits, 2);
    body.insert(body.end(), parts.fmtExtra.begin(), parts.fmtExtra.end());
    body.insert(body.end(), parts.before.begin(), parts.before.end());
    body.insert(body.end(), {'d', 'a', 't', 'a'});
    putLe(body, parts.dataSize == ~std::uint64_t(0) ? parts.data.size() : parts.dataSize, 4);
    body.insert(body.end(), parts.data.begin(), parts.data.end());
    std::vector<std::uint8_t> file{'R', 'I', 'F', 'F'};
    putLe(file, body.size(), 4);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}
