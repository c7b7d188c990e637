// CSafeWriter: choosing how a path is written, and the three ways of putting
// the content in place.
#include "core/CSafeWriter.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Following more links than this is a loop, as the kernel counts it.
constexpr int maxLinkHops = 40;

std::string reasonFor(int code)
{
    std::string reason = std::strerror(code);
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z' && (reason.size() < 2 || reason[1] < 'A' || reason[1] > 'Z'))
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return reason;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Follows symbolic links from `path` to the file they lead to (which need
// not exist). Fills `info` and sets `exists` for that file. False with errno
// set when the path cannot be examined.
bool resolveLinks(std::string& path, struct stat& info, bool& exists)
{
    for (int hop = 0;; ++hop) {
        if (::lstat(path.c_str(), &info) != 0) {
            exists = false;
            return errno == ENOENT;
        }
        exists = true;
        if (!S_ISLNK(info.st_mode))
            return true;
        if (hop == maxLinkHops) {
            errno = ELOOP;
            return false;
        }
        std::string link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0)
            return false;
        if (std::size_t(length) >= link.size()) {
            errno = ENAMETOOLONG;
            return false;
        }
        link.resize(std::size_t(length));
        path = !link.empty() && link[0] == '/' ? link : joinPath(folderOf(path), link);
    }
}

// Temporary files are named ".qf-PID-" and six letters, PID being the
// process that writes them, so that a later pack can tell the litter of an
// ended process from a file being written. Earlier versions named them
// ".qf-" and six letters.
constexpr char temporaryPrefix[] = ".qf-";

// Every temporary file of this process not yet renamed or removed, so that
// an interrupted process can take them away. Held while a set of files is
// renamed, so that an interrupt waits for the renames to end.
std::recursive_mutex& temporariesMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

std::set<std::string>& temporaries()
{
    static std::set<std::string> paths;
    return paths;
}

void forgetTemporary(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> lock(temporariesMutex());
    temporaries().erase(path);
}

// Creates a new file with a short hidden name in `folder`, with the mode a
// plain new file gets (0666 less the umask). -1 with errno on failure.
int createTemporary(const std::string& folder, std::string& path)
{
    static std::atomic<unsigned> counter{0};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::uint64_t seed = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         (std::uint64_t(::getpid()) << 32) ^ (std::uint64_t(counter++) * 0x9E3779B97F4A7C15ull);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporaryPrefix + std::to_string(::getpid()) + "-";
        for (int i = 0; i < 6; ++i) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            name += letters[(seed >> 33) % (sizeof letters - 1)];
        }
        path = joinPath(folder, name);
        std::lock_guard<std::recursive_mutex> lock(temporariesMutex());
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (fd >= 0)
            temporaries().insert(path);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool isLetters(const char* text, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const char c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return text[count] == '\0';
}

// Whether `name` is a temporary file a writer that ended left behind: one of
// an ended process, or of the earlier naming and untouched for ten minutes.
bool isStaleTemporary(const char* name, const struct stat& info)
{
    const std::size_t prefix = sizeof temporaryPrefix - 1;
    if (std::strncmp(name, temporaryPrefix, prefix) != 0 || !S_ISREG(info.st_mode))
        return false;
    const char* rest = name + prefix;
    if (std::strlen(rest) == 6 && isLetters(rest, 6))
        return std::time(nullptr) - info.st_mtime > 600;
    char* end = nullptr;
    errno = 0;
    const long pid = std::strtol(rest, &end, 10);
    if (errno != 0 || end == rest || *rest < '1' || *rest > '9' || *end != '-' || !isLetters(end + 1, 6) ||
        pid <= 0 || pid > 0x3FFFFFFF || pid == long(::getpid()))
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

// Writes all bytes to `fd` at its current position; `written` counts what
// went out. False with errno on failure.
bool writeAll(int fd, const char* bytes, std::size_t size, std::size_t& written)
{
    written = 0;
    while (written < size) {
        const ssize_t count = ::write(fd, bytes + written, size - written);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (count == 0) {
            errno = EIO;
            return false;
        }
        written += std::size_t(count);
    }
    return true;
}

// Keeps a pipe whose reader went away from ending the process: while it
// lives SIGPIPE is blocked in this thread, and one raised by our writes is
// taken back before the old mask returns.
class CPipeSignalGuard {
public:
    CPipeSignalGuard()
    {
        sigemptyset(&pipeSet_);
        sigaddset(&pipeSet_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipeSet_, &previous_);
    }
    ~CPipeSignalGuard()
    {
        if (!wasPending_) {
            sigset_t pending;
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE) == 1) {
                const timespec now{};
                sigtimedwait(&pipeSet_, nullptr, &now);
            }
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    CPipeSignalGuard(const CPipeSignalGuard&) = delete;
    CPipeSignalGuard& operator=(const CPipeSignalGuard&) = delete;

private:
    sigset_t pipeSet_;
    sigset_t previous_;
    bool wasPending_ = false;
};

}  // namespace

CSafeWriter::~CSafeWriter()
{
    discard();
}

bool CSafeWriter::fail(std::string* error, int code)
{
    if (error != nullptr) {
        *error = mode_ == Mode::Closed ? "cannot open " + target_ + " for writing: " : "cannot write " + target_ + ": ";
        *error += reasonFor(code);
    }
    discard();
    return false;
}

bool CSafeWriter::open(const std::string& folder, const std::string& name, std::string* error)
{
    return open(joinPath(folder, name), error);
}

bool CSafeWriter::open(const std::string& path, std::string* error)
{
    return openPath(path, true, error);
}

bool CSafeWriter::openReplacingLink(const std::string& path, std::string* error)
{
    return openPath(path, false, error);
}

bool CSafeWriter::openPath(const std::string& path, bool followLinks, std::string* error)
{
    discard();
    target_ = path;
    if (path.empty()) {
        if (error != nullptr)
            *error = "cannot open a file without a name for writing";
        return false;
    }
    struct stat info {};
    bool exists = false;
    if (!followLinks) {
        // A link is replaced like a file the user may not keep: the new
        // file gets the default mode.
        exists = ::lstat(target_.c_str(), &info) == 0;
        if (!exists && errno != ENOENT)
            return fail(error, errno);
        if (exists && S_ISLNK(info.st_mode))
            exists = false;
    } else if (!resolveLinks(target_, info, exists)) {
        return fail(error, errno);
    }

    if (exists && S_ISDIR(info.st_mode))
        return fail(error, EISDIR);
    if (exists && !S_ISREG(info.st_mode)) {
        // Devices and pipes are written directly, never replaced.
        if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
            return fail(error, errno);
        mode_ = Mode::Direct;
        return openMemory(error);
    }
    if (exists) {
        // Refuse what the user could not open for writing, as other tools do;
        // opening without truncating leaves the file as it is.
        const int probe = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (probe < 0)
            return fail(error, errno);
        ::close(probe);
        owner_ = info.st_uid;
        group_ = info.st_gid;
        permissions_ = info.st_mode & 07777;
    }

    const int fd = createTemporary(folderOf(target_), temporary_);
    if (fd < 0) {
        const int code = errno;
        temporary_.clear();
        if (exists && (code == EACCES || code == EPERM)) {
            // The folder is closed to us but the file is not.
            mode_ = Mode::InPlace;
            return openMemory(error);
        }
        return fail(error, code);
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        const int code = errno;
        ::close(fd);
        ::unlink(temporary_.c_str());
        forgetTemporary(temporary_);
        temporary_.clear();
        return fail(error, code);
    }
    mode_ = Mode::Replace;
    replacing_ = exists;
    return true;
}

bool CSafeWriter::openMemory(std::string* error)
{
    stream_ = ::open_memstream(&memory_, &memorySize_);
    if (stream_ != nullptr)
        return true;
    const int code = errno;
    mode_ = Mode::Closed;
    return fail(error, code);
}

bool CSafeWriter::write(const void* bytes, std::size_t size)
{
    if (stream_ == nullptr)
        return false;
    if (size == 0 || std::fwrite(bytes, 1, size, stream_) == size)
        return true;
    if (streamError_ == 0)
        streamError_ = errno != 0 ? errno : EIO;
    return false;
}

bool CSafeWriter::commit(std::string* error)
{
    switch (mode_) {
    case Mode::Replace: return commitReplace(error);
    case Mode::InPlace: return commitInPlace(error);
    case Mode::Direct: return commitDirect(error);
    case Mode::Closed: break;
    }
    if (error != nullptr)
        *error = "cannot write " + (target_.empty() ? std::string("a file") : target_) + ": it was not opened";
    return false;
}

bool CSafeWriter::prepare(std::string* error)
{
    if (mode_ == Mode::Closed)
        return commit(error); // names the fault
    if (mode_ != Mode::Replace || stream_ == nullptr)
        return true; // written at commit(), or prepared already
    std::FILE* file = stream_;
    const int fd = ::fileno(file);
    errno = 0;
    if (std::fflush(file) != 0 || std::ferror(file))
        return fail(error, streamError_ != 0 ? streamError_ : errno != 0 ? errno : EIO);
    if (replacing_) {
        // The new file takes the old one's place: same owner and group where
        // we may set them (as root, always), then the same permission bits.
        if (::fchown(fd, owner_, group_) != 0 && ::fchown(fd, static_cast<uid_t>(-1), group_) != 0)
            errno = 0;  // keeping our own ownership is the fallback
        if (::fchmod(fd, permissions_) != 0 || ::fsync(fd) != 0)
            return fail(error, errno);
    }
    stream_ = nullptr;
    if (std::fclose(file) != 0)
        return fail(error, errno);
    return true;
}

bool CSafeWriter::commitReplace(std::string* error)
{
    if (!prepare(error))
        return false;
    std::lock_guard<std::recursive_mutex> lock(temporariesMutex());
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0)
        return fail(error, errno);
    temporaries().erase(temporary_);
    temporary_.clear();
    mode_ = Mode::Closed;
    return true;
}

bool CSafeWriter::commitAll(const std::vector<CSafeWriter*>& files, std::string* error)
{
    for (CSafeWriter* file : files) {
        if (!file->prepare(error))
            return false;
    }
    std::lock_guard<std::recursive_mutex> lock(temporariesMutex());
    for (CSafeWriter* file : files) {
        if (!file->commit(error))
            return false;
    }
    return true;
}

void CSafeWriter::abandonTemporaries()
{
    // Taken and never given back: no rename starts after this.
    temporariesMutex().lock();
    for (const std::string& path : temporaries())
        ::unlink(path.c_str());
    temporaries().clear();
}

std::size_t CSafeWriter::removeStaleTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr)
        return 0;
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat info {};
        if (entry->d_name[0] != '.' || ::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (isStaleTemporary(entry->d_name, info) && ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

bool CSafeWriter::takeMemory(std::string* error)
{
    const bool streamFailed = std::ferror(stream_) != 0;
    std::FILE* file = stream_;
    stream_ = nullptr;
    if (std::fclose(file) != 0 || streamFailed)
        return fail(error, ENOMEM);
    return true;
}

bool CSafeWriter::commitInPlace(std::string* error)
{
    if (!takeMemory(error))
        return false;
    const int fd = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, errno);
    // Reserve the space first (without changing the size): running out of
    // it then costs nothing. File systems that cannot reserve just go on.
    if (memorySize_ > 0 && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(memorySize_)) != 0 &&
        (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
        const int code = errno;
        ::close(fd);
        return fail(error, code);
    }
    std::size_t written = 0;
    const bool ok = writeAll(fd, memory_, memorySize_, written) && ::ftruncate(fd, off_t(memorySize_)) == 0 &&
                    ::fsync(fd) == 0;
    const int code = errno;
    const bool closed = ::close(fd) == 0;
    if (ok && closed) {
        discard();
        return true;
    }
    const std::string reason = reasonFor(ok ? EIO : code);
    discard();
    if (error != nullptr) {
        *error = "cannot write " + target_ + ": " + reason;
        if (written > 0 || ok)
            *error += " (the write failed midway; its old content is lost)";
    }
    return false;
}

bool CSafeWriter::commitDirect(std::string* error)
{
    if (!takeMemory(error))
        return false;
    CPipeSignalGuard pipeGuard;
    const int fd = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, errno);
    std::size_t written = 0;
    const bool ok = writeAll(fd, memory_, memorySize_, written);
    const int code = errno;
    const bool closed = ::close(fd) == 0;
    if (!ok || !closed)
        return fail(error, ok ? errno : code);
    discard();
    return true;
}

void CSafeWriter::closeStream()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
}

void CSafeWriter::discard()
{
    closeStream();
    if (!temporary_.empty()) {
        std::lock_guard<std::recursive_mutex> lock(temporariesMutex());
        ::unlink(temporary_.c_str());
        temporaries().erase(temporary_);
        temporary_.clear();
    }
    std::free(memory_);
    memory_ = nullptr;
    memorySize_ = 0;
    mode_ = Mode::Closed;
    replacing_ = false;
    streamError_ = 0;
}

bool CSafeWriter::writeFile(const std::string& path, const void* bytes, std::size_t size, std::string* error)
{
    CSafeWriter writer;
    if (!writer.open(path, error))
        return false;
    writer.write(bytes, size);
    return writer.commit(error);
}

bool CSafeWriter::writeFile(const std::string& path, const Producer& produce, std::string* error)
{
    CSafeWriter writer;
    if (!writer.open(path, error))
        return false;
    if (!produce(writer.stream()))
        return false;
    return writer.commit(error);
}
