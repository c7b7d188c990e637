// The --if-changed digest: computing it, and the file that keeps it.
#include "app/cli/CPackDigest.h"

#include "app/pack/AtlasFiles.h"
#include "app/cli/CSha256.h"
#include "core/FileBytes.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

constexpr const char* digestHeader = "quiltforger-cli digest 1\n";

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
    CSha256 sha;
    sha.updateField(QF_VERSION);
    sha.updateField(std::to_string(arguments.size()));
    for (const std::string& argument : arguments)
        sha.updateField(argument);
    std::vector<std::uint8_t> bytes;
    for (const PackInput& file : files) {
        sha.updateField(file.path);
        std::string error = file.error;
        if (error.empty() && !readFileBytes(file.path.c_str(), bytes, "input", &error))
            bytes.clear();
        sha.updateField(error);
        if (error.empty())
            sha.updateField(std::string(bytes.begin(), bytes.end()));
    }
    return sha.hex();
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
    std::string text = std::string(digestHeader) + "inputs " + digest + "\n";
    for (const std::string& output : outputs) {
        const std::string line = outputLine(output);
        if (line.empty())
            return std::string();
        text += line;
    }
    return text;
}
