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
    due = platform().milliseconds() + interval;
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
    if (static_cast<std::int32_t>(platform().milliseconds() - due) < 0)
        return;
    bool destroyed = false;
    destroyed_ = &destroyed;
    onElapsed.emit();
    // A handler may have destroyed this timer.
    if (destroyed)
        return;
    destroyed_ = nullptr;
    due = platform().milliseconds() + interval;
}
