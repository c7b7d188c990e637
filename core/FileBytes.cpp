// FileBytes: one bounded read of a regular file.
#include "core/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(std::string* error, const char* component, const std::string& reason)
{
    if (error != nullptr)
        *error = std::string(component ? component : "file") + ": " + reason;
    return false;
}

// strerror's text with its first letter in lower case, as messages read.
std::string reasonFor(int code)
{
    std::string reason = std::strerror(code);
    if (reason.size() >= 2 && reason[0] >= 'A' && reason[0] <= 'Z' && (reason[1] < 'A' || reason[1] > 'Z'))
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return reason;
}

}  // namespace

FilePointer openRegularFile(const char* path)
{
    if (path == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int code = S_ISDIR(info.st_mode) ? EISDIR : errno != 0 ? errno : EINVAL;
        ::close(fd);
        errno = code;
        return nullptr;
    }
    // Reads of a regular file never block anyway; the flag goes so that the
    // stdio layer sees an ordinary descriptor.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr)
        ::close(fd);
    return FilePointer(file);
}

bool readFileBytes(const char* path, std::vector<std::uint8_t>& bytes, const char* component, std::string* error,
                   std::uint64_t limit)
{
    const std::string name = path ? path : "(null)";
    errno = 0;
    FilePointer file = openRegularFile(path);
    // The type is asked of the open file, so it is the file that gets read.
    struct stat info {};
    if (!file || ::fstat(fileno(file.get()), &info) != 0 || !S_ISREG(info.st_mode))
        return fail(error, component, "cannot open " + name + ": " + reasonFor(errno != 0 ? errno : EINVAL));
    if (info.st_size < 0 || std::uint64_t(info.st_size) > limit)
        return fail(error, component, "file is too large");
    std::vector<std::uint8_t> contents(static_cast<std::size_t>(info.st_size));
    errno = 0;
    if (!contents.empty() && std::fread(contents.data(), 1, contents.size(), file.get()) != contents.size())
        return fail(error, component, "cannot read " + name + ": " + reasonFor(errno != 0 ? errno : EIO));
    bytes = std::move(contents);
    return true;
}

bool readFileStart(const char* path, std::vector<std::uint8_t>& bytes, std::size_t count)
{
    FilePointer file = openRegularFile(path);
    if (!file)
        return false;
    std::vector<std::uint8_t> start(count);
    start.resize(std::fread(start.data(), 1, start.size(), file.get()));
    bytes = std::move(start);
    return true;
}

void removePartialFile(const char* path)
{
    struct stat info {};
    if (path != nullptr && ::lstat(path, &info) == 0 && S_ISREG(info.st_mode))
        std::remove(path);
}
