// COutputLock: flock() on the output folder's descriptor.
#include "app/cli/COutputLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

COutputLock::~COutputLock()
{
    release();
}

void COutputLock::acquire(const std::string& folder)
{
    release();
    descriptor_ = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor_ < 0)
        return;
    while (::flock(descriptor_, LOCK_EX) != 0) {
        if (errno != EINTR) {
            release();
            return;
        }
    }
}

void COutputLock::release()
{
    if (descriptor_ < 0)
        return;
    ::close(descriptor_); // closing the last descriptor releases the lock
    descriptor_ = -1;
}
