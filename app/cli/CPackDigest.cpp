// The --if-changed digest: computing it, and the file that keeps it.
#include "app/cli/CPackDigest.h"

#include "app/pack/AtlasFiles.h"
#include "app/cli/BuildIdentity.h"
#include "core/FileBytes.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <xxhash.h>

namespace {

constexpr const char* digestHeader = "quiltforger-cli digest 2\n";

struct HashStateFree {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

// XXH3-128 over fields, each preceded by its length, so that consecutive
// fields cannot run into one another ("ab" + "c" differs from "a" + "bc").
class FieldHash {
public:
    FieldHash() : state_(XXH3_createState()) { XXH3_128bits_reset(state_.get()); }
    void add(const void* bytes, std::size_t size)
    {
        const std::uint64_t length = size;
        XXH3_128bits_update(state_.get(), &length, sizeof length);
        XXH3_128bits_update(state_.get(), bytes, size);
    }
    void add(const std::string& text) { add(text.data(), text.size()); }
    std::string hex() const
    {
        XXH128_canonical_t canonical;
        XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(state_.get()));
        std::string text;
        for (const unsigned char byte : canonical.digest) {
            text += "0123456789abcdef"[byte >> 4];
            text += "0123456789abcdef"[byte & 15];
        }
        return text;
    }

private:
    std::unique_ptr<XXH3_state_t, HashStateFree> state_;
};

// "size mtime-seconds.nanoseconds device inode path" of one output, or "".
std::string outputLine(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::string();
    char line[160];
    std::snprintf(line, sizeof line, "output %lld %lld.%09ld %llu %llu ", static_cast<long long>(info.st_size),
                  static_cast<long long>(info.st_mtim.tv_sec), info.st_mtim.tv_nsec,
                  static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino));
    return line + path + "\n";
}

}

std::string packDigestPath(const std::string& atlasPath)
{
    std::string name = ".";
    name += fileNameOf(atlasPath);
    name += ".digest";
    return joinPath(folderOf(atlasPath), name);
}

std::string packInputsDigest(const std::vector<std::string>& arguments, const std::vector<PackInput>& files)
{
    FieldHash hash;
    hash.add(std::string(buildIdentity()));
    hash.add(std::to_string(arguments.size()));
    for (const std::string& argument : arguments)
        hash.add(argument);
    std::vector<std::uint8_t> bytes;
    for (const PackInput& file : files) {
        hash.add(file.path);
        std::string error = file.error;
        if (error.empty() && !readFileBytes(file.path.c_str(), bytes, "input", &error))
            bytes.clear();
        hash.add(error);
        if (error.empty())
            hash.add(bytes.data(), bytes.size());
    }
    return hash.hex();
}

bool packIsUpToDate(const std::string& digestPath, const std::string& digest,
                    const std::vector<std::string>& outputs)
{
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(digestPath.c_str(), bytes, "digest", nullptr, 1 << 20))
        return false;
    const std::string expected = packDigestText(digest, outputs);
    return !expected.empty() && std::string(bytes.begin(), bytes.end()) == expected;
}

std::string packDigestText(const std::string& digest, const std::vector<std::string>& outputs)
{
    std::string text = std::string(digestHeader) + "tool " + buildIdentity() + "\ninputs " + digest + "\n";
    for (const std::string& output : outputs) {
        const std::string line = outputLine(output);
        if (line.empty())
            return std::string();
        text += line;
    }
    return text;
}
