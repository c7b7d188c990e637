// CTimer: frame-tick driven periodic notifier.
#include "framework/CTimer.h"

#include "framework/CApp.h"
#include "framework/CPlatform.h"

#include <algorithm>
#include <vector>

namespace {

// The running timers, for the idle loop's wait.
std::vector<CTimer*>& runningTimers()
{
    static std::vector<CTimer*> timers;
    return timers;
}

void leaveRunning(CTimer* timer)
{
    auto& timers = runningTimers();
    timers.erase(std::remove(timers.begin(), timers.end(), timer), timers.end());
}

std::uint64_t firings = 0;

}

std::uint32_t millisecondsToNextTimer(std::uint32_t none)
{
    const std::uint32_t now = platform().milliseconds();
    std::uint32_t result = none;
    for (const CTimer* timer : runningTimers()) {
        if (!timer->enabled)
            continue;
        // Unsigned, like the firing test: a deadline 2^31 ms or more away is
        // still ahead, not behind.
        const std::uint32_t elapsed = now - timer->since;
        result = std::min(result, elapsed >= timer->interval ? 0u : timer->interval - elapsed);
    }
    return result;
}

std::uint64_t timerFiringCount()
{
    return firings;
}

CTimer::CTimer()
{
    tickSlot.bind(this, &CTimer::update);
}

CTimer::~CTimer()
{
    leaveRunning(this);
    if (destroyed_ != nullptr)
        *destroyed_ = true;
}

void CTimer::start()
{
    enabled = true;
    since = platform().milliseconds();
    due = since + interval;
    frameTick().connect(&tickSlot);
    leaveRunning(this);
    runningTimers().push_back(this);
}

void CTimer::stop()
{
    enabled = false;
    tickSlot.disconnectAll();
    leaveRunning(this);
}

void CTimer::update()
{
    if (!enabled)
        return;
    // Elapsed time against the interval, both unsigned: comparing the clock
    // with the deadline as a signed difference would make intervals of 2^31
    // ms or more look due at once.
    if (platform().milliseconds() - since < interval)
        return;
    bool destroyed = false;
    destroyed_ = &destroyed;
    ++firings;
    onElapsed.emit();
    // A handler may have destroyed this timer.
    if (destroyed)
        return;
    destroyed_ = nullptr;
    since = platform().milliseconds();
    due = since + interval;
}
