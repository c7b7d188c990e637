// CFolderLock: flock() on the folder's descriptor.
#include "core/CFolderLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CFolderLock::~CFolderLock()
{
    release();
}

bool CFolderLock::acquire(const std::string& folder, Kind kind)
{
    release();
    descriptor_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor_ < 0)
        return false;
    while (::flock(descriptor_, kind == Kind::Shared ? LOCK_SH : LOCK_EX) != 0) {
        if (errno != EINTR) {
            release();
            return false;
        }
    }
    return true;
}

void CFolderLock::release()
{
    if (descriptor_ < 0)
        return;
    ::close(descriptor_); // closing the last descriptor releases the lock
    descriptor_ = -1;
}
