// Timers driven by the frame tick with an injected clock.
#include "FakePlatform.h"

#include "framework/CApp.h"
#include "framework/CTimer.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct Listener {
    explicit Listener(CTimer& timer) { connectSlot(slots, timer.onElapsed, this, &Listener::elapsed); }
    void elapsed()
    {
        firedAt.push_back(fake->now);
        fake->now += handlerCost;
        if (stopTimer != nullptr)
            stopTimer->stop();
        if (destroyTimer != nullptr)
            destroyTimer->reset();
    }
    FakePlatform* fake = nullptr;
    std::uint32_t handlerCost = 0;
    CTimer* stopTimer = nullptr;
    std::unique_ptr<CTimer>* destroyTimer = nullptr;
    std::vector<std::uint32_t> firedAt;
    CSlotList slots;
};

void tickAt(FakePlatform& fake, std::uint32_t now)
{
    fake.now = now;
    frameTick().emit();
}

}

TEST(Timer, FiresAtTheFirstTickAfterTheDeadlineAndMeasuresFromTheHandlersEnd)
{
    FakePlatform fake;
    CTimer timer;
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(timer.interval, 1000u);
    EXPECT_EQ(timer.tickSlot.connectionCount(), 0);
    Listener listener(timer);
    listener.fake = &fake;
    listener.handlerCost = 10;

    fake.now = 5000;
    timer.start();
    EXPECT_EQ(timer.due, 6000u);
    tickAt(fake, 5999);
    EXPECT_TRUE(listener.firedAt.empty());
    tickAt(fake, 6000);
    EXPECT_EQ(listener.firedAt, std::vector<std::uint32_t>{6000});
    EXPECT_EQ(timer.due, 7010u);
    // A long frame: one firing, no catching up.
    tickAt(fake, 9500);
    EXPECT_EQ(listener.firedAt.size(), 2u);
    EXPECT_EQ(timer.due, 10510u);
    tickAt(fake, 9600);
    EXPECT_EQ(listener.firedAt.size(), 2u);
}

TEST(Timer, StoppingInsideTheHandlerPreventsFurtherFiring)
{
    FakePlatform fake;
    CTimer timer;
    timer.interval = 300;
    Listener listener(timer);
    listener.fake = &fake;
    listener.stopTimer = &timer;
    timer.start();
    tickAt(fake, 300);
    tickAt(fake, 5000);
    EXPECT_EQ(listener.firedAt.size(), 1u);
    EXPECT_FALSE(timer.enabled);
    EXPECT_EQ(timer.tickSlot.connectionCount(), 0);
    // Started again, it sets a fresh deadline.
    listener.stopTimer = nullptr;
    timer.start();
    EXPECT_EQ(timer.due, 5300u);
    tickAt(fake, 5300);
    EXPECT_EQ(listener.firedAt.size(), 2u);
}

TEST(Timer, HandlerMayDestroyTheTimer)
{
    FakePlatform fake;
    auto timer = std::make_unique<CTimer>();
    timer->interval = 10;
    Listener listener(*timer);
    listener.fake = &fake;
    listener.destroyTimer = &timer;
    timer->start();
    tickAt(fake, 10);
    EXPECT_EQ(timer, nullptr);
    EXPECT_EQ(frameTick().connectionCount(), 0);
    tickAt(fake, 100);
    EXPECT_EQ(listener.firedAt.size(), 1u);
}

TEST(Timer, DeadlinesSurviveTheClockWrap)
{
    FakePlatform fake;
    CTimer timer;
    timer.interval = 100;
    Listener listener(timer);
    listener.fake = &fake;
    fake.now = 0xFFFFFFF0u;
    timer.start();
    EXPECT_EQ(timer.due, 0x54u);
    tickAt(fake, 0xFFFFFFF8u);  // before the wrap: not yet due
    EXPECT_TRUE(listener.firedAt.empty());
    tickAt(fake, 0x54u);
    EXPECT_EQ(listener.firedAt.size(), 1u);
}

TEST(Timer, DestroyedTimerLeavesTheFrameTick)
{
    FakePlatform fake;
    {
        CTimer timer;
        timer.start();
        EXPECT_EQ(frameTick().connectionCount(), 1);
    }
    EXPECT_EQ(frameTick().connectionCount(), 0);
}

TEST(Timer, IntervalsOfTwoToTheThirtyOneMillisecondsOrMoreWaitTheirTime)
{
    // Across the clock's wrap too: each case starts at `start` and ticks at
    // start + interval / 2 and start + interval - 1 (not yet), then at
    // start + interval (fires).
    const struct {
        std::uint32_t start;
        std::uint32_t interval;
    } cases[] = {{0, 0x90000000u}, {0x80000000u, 0x80000000u}, {0xFFFFF000u, 0xFFFFFFF0u}, {0xFFFFFFF0u, 100}};
    for (const auto& c : cases) {
        FakePlatform fake;
        CTimer timer;
        timer.interval = c.interval;
        Listener listener(timer);
        listener.fake = &fake;
        fake.now = c.start;
        timer.start();
        tickAt(fake, c.start + c.interval / 2);
        tickAt(fake, c.start + c.interval - 1);
        EXPECT_TRUE(listener.firedAt.empty()) << c.interval;
        tickAt(fake, c.start + c.interval);
        EXPECT_EQ(listener.firedAt.size(), 1u) << c.interval;
    }
}
