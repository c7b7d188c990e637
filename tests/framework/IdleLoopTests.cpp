// The main loop in on-demand mode: an idle window draws nothing and sleeps
// until the next message or timer; anything that may change the picture
// draws one frame.
#include "FakePlatform.h"
#include "TestApp.h"

#include "framework/CTimer.h"
#include "framework/WindowMessages.h"

#include <gtest/gtest.h>

namespace {

// Stops the loop after a number of turns of waiting.
struct WaitCounter : FakePlatform {
    bool waitMessage(std::uint32_t milliseconds) override
    {
        waits.push_back(milliseconds);
        now += milliseconds;
        if (waits.size() == 3 && !messages.empty())
            return true;
        if (waits.size() >= limit)
            post(WindowMessage::quit);
        return false;
    }
    std::vector<std::uint32_t> waits;
    std::size_t limit = 6;
};

struct Blink {
    explicit Blink(CTimer& timer) { connectSlot(slots, timer.onElapsed, this, &Blink::elapsed); }
    void elapsed() { ++count; }
    int count = 0;
    CSlotList slots;
};

}

TEST(IdleLoop, DrawsOnlyForMessagesTimersAndRequests)
{
    WaitCounter fake;
    TestApp app(&fake);
    ASSERT_TRUE(app.createGLWindow(800, 600, false, true, false, 32, 24, 8, 0));
    app.setFrameTime(30);
    app.setRedrawOnDemand(true);
    CTimer timer;
    timer.interval = 500;
    Blink blink(timer);
    timer.start();
    app.run();
    // The first turn draws; then each wait lasts until the timer is due
    // (never longer than a second), and each firing draws one frame.
    EXPECT_EQ(fake.waits.size(), 6u);
    EXPECT_GE(blink.count, 2);
    // (A timer may also fire in the frame's own tick, drawn by that frame.)
    EXPECT_GE(app.getFrameCount(), static_cast<std::uint64_t>(blink.count));
    EXPECT_LE(app.getFrameCount(), static_cast<std::uint64_t>(1 + blink.count));
    for (std::uint32_t wait : fake.waits)
        EXPECT_LE(wait, 500u);

    // Without timers the loop waits the longest wait, and a message draws.
    timer.stop();
    fake.waits.clear();
    fake.limit = 4;
    const std::uint64_t before = app.getFrameCount();
    fake.post(WindowMessage::mouseMove, 0, 0);
    app.run();
    EXPECT_EQ(app.getFrameCount(), before + 1);
    for (std::uint32_t wait : fake.waits)
        EXPECT_EQ(wait, 1000u);
    EXPECT_EQ(millisecondsToNextTimer(77), 77u);

    // A deadline 2^31 ms or more ahead is still ahead: the loop keeps waiting.
    timer.interval = 0x90000000u;
    timer.start();
    EXPECT_EQ(millisecondsToNextTimer(1000), 1000u);
}
