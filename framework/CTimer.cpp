// CTimer: frame-tick driven periodic notifier.
#include "framework/CTimer.h"

#include "framework/CApp.h"
#include "framework/CPlatform.h"

CTimer::CTimer()
{
    tickSlot.bind(this, &CTimer::update);
}

CTimer::~CTimer()
{
    if (destroyed_ != nullptr)
        *destroyed_ = true;
}

void CTimer::start()
{
    enabled = true;
    since = platform().milliseconds();
    due = since + interval;
    frameTick().connect(&tickSlot);
}

void CTimer::stop()
{
    enabled = false;
    tickSlot.disconnectAll();
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
    onElapsed.emit();
    // A handler may have destroyed this timer.
    if (destroyed)
        return;
    destroyed_ = nullptr;
    since = platform().milliseconds();
    due = since + interval;
}
