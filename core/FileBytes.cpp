// FileBytes: one bounded read of a regular file.
#include "core/FileBytes.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>

namespace {

bool fail(std::string* error, const char* component, const std::string& reason)
{
    if (error != nullptr)
        *error = std::string(component ? component : "file") + ": " + reason;
    return false;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

bool readFileBytes(const char* path, std::vector<std::uint8_t>& bytes, const char* component, std::string* error,
                   std::uint64_t limit)
{
    const std::string name = path ? path : "(null)";
    std::unique_ptr<std::FILE, FileCloser> file(path ? std::fopen(path, "rb") : nullptr);
    // The type is asked of the open file, so it is the file that gets read.
    struct stat info {};
    if (!file || ::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
        return fail(error, component, "cannot open " + name);
    if (info.st_size < 0 || std::uint64_t(info.st_size) > limit)
        return fail(error, component, "file is too large");
    std::vector<std::uint8_t> contents(static_cast<std::size_t>(info.st_size));
    if (!contents.empty() && std::fread(contents.data(), 1, contents.size(), file.get()) != contents.size())
        return fail(error, component, "cannot read " + name);
    bytes = std::move(contents);
    return true;
}

void removePartialFile(const char* path)
{
    struct stat info {};
    if (path != nullptr && ::lstat(path, &info) == 0 && S_ISREG(info.st_mode))
        std::remove(path);
}
