// CTimer: a periodic notifier driven by the frame tick.
//
// A started timer listens to the frame tick; on each tick at or after its
// deadline it emits onElapsed and sets the next deadline to the clock after
// the handlers plus the interval. So it fires at most once per tick, never
// catches up after a long frame, and its period is the interval rounded up to
// the next tick plus the handlers' run time. A stopped timer costs nothing.
//
// The time since the last start or firing is measured in unsigned 32-bit
// arithmetic, so the clock's wrap does no harm and any interval the 32-bit
// field holds (up to about 49 days) is kept.
#pragma once

#include "core/CSlotList.h"

#include <cstdint>

class CTimer {
public:
    CTimer();
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;
    ~CTimer();

    // Enables the timer, sets the deadline to now + interval and connects to
    // the frame tick.
    void start();
    // Disables the timer and leaves the frame tick.
    void stop();
    // Called on every frame tick.
    void update();

    bool enabled = false;
    std::uint32_t interval = 1000;  // milliseconds
    std::uint32_t due = 0;          // clock value of the next firing
    std::uint32_t since = 0;        // clock value of the start or last firing
    CSlot<CTimer> tickSlot;
    CSignal<> onElapsed;

private:
    bool* destroyed_ = nullptr;  // set while update() runs the handlers
};

// For a loop that sleeps while idle: milliseconds until the earliest running
// timer is due (0 when one is overdue), or `none` when no timer runs.
std::uint32_t millisecondsToNextTimer(std::uint32_t none);
// How many times any timer has fired since the process started; a change
// tells the loop that something may look different.
std::uint64_t timerFiringCount();
