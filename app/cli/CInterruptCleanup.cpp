// CInterruptCleanup: a sigwait() thread.
#include "app/cli/CInterruptCleanup.h"

#include "core/CSafeWriter.h"

#include <csignal>
#include <pthread.h>
#include <thread>

namespace {

sigset_t interruptSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

}

void CInterruptCleanup::install()
{
    const sigset_t set = interruptSignals();
    if (pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0)
        return;
    std::thread([set] {
        int signal = 0;
        while (sigwait(&set, &signal) != 0) {
        }
        CSafeWriter::abandonTemporaries();
        // End as the signal would have ended us, so callers see it.
        std::signal(signal, SIG_DFL);
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, signal);
        pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
        std::raise(signal);
    }).detach();
}
