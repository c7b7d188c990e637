// Application lifecycle, main loop pacing, window operations and the entry point.
#include "TestApp.h"

#include "framework/ApplicationMain.h"
#include "framework/GLSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Counts frame ticks and ends the loop after a number of them.
struct TickCounter {
    TickCounter(CApp& app, int limit) : app(app), limit(limit) { connectSlot(slots, frameTick(), this, &TickCounter::tick); }
    void tick()
    {
        if (++ticks >= limit)
            app.stop();
    }
    CApp& app;
    int limit;
    int ticks = 0;
    CSlotList slots;
};

// Context handlers are plain functions: they log into the platform under test.
FakePlatform* handlerLog = nullptr;

void logContextReady()
{
    handlerLog->log.push_back("ready");
}

void logContextClosing()
{
    handlerLog->log.push_back("closing");
}

// Installs the logging handlers for one test and removes them afterwards.
struct ContextHandlers {
    explicit ContextHandlers(FakePlatform& fake)
    {
        handlerLog = &fake;
        CAppGL::setContextReadyHandler(logContextReady);
        CAppGL::setContextClosingHandler(logContextClosing);
    }
    ~ContextHandlers()
    {
        CAppGL::setContextReadyHandler(nullptr);
        CAppGL::setContextClosingHandler(nullptr);
        handlerLog = nullptr;
    }
};

std::vector<std::string> without(const std::vector<std::string>& log, const std::string& prefix)
{
    std::vector<std::string> kept;
    for (const std::string& line : log) {
        if (line.rfind(prefix, 0) != 0)
            kept.push_back(line);
    }
    return kept;
}

}

TEST(AppLifecycle, ConstructionAndDestructionSetTheCurrentApplication)
{
    FakePlatform fake;
    EXPECT_EQ(currentApp, nullptr);
    {
        TestApp app(&fake);
        EXPECT_EQ(currentApp, &app);
        EXPECT_EQ(app.getFrameTime(), 1);
        EXPECT_EQ(app.getShowState(), 5);
        EXPECT_FALSE(app.isRunning());
        EXPECT_FALSE(app.isFullscreen());
        EXPECT_EQ(app.getSize().width, 0u);
        // The application's own resize handler is its one connection.
        EXPECT_EQ(app.onResize.connectionCount(), 1);
        {
            // A second application takes over; when it goes, the first is not cleared by it.
            TestApp second(&fake);
            EXPECT_EQ(currentApp, &second);
        }
        EXPECT_EQ(currentApp, nullptr);
    }
    EXPECT_EQ(currentApp, nullptr);
    EXPECT_TRUE(fake.log.empty());  // no window, nothing torn down
}

TEST(AppLifecycle, DestructionDeletesContextThenWindowThenClass)
{
    FakePlatform fake;
    CSlotList outside;
    {
        TestApp app(&fake);
        ASSERT_TRUE(app.createGLWindow(800, 600, false, false, false, 32, 24, 8, 0));
        fake.log.clear();
    }
    EXPECT_EQ((std::vector<std::string>{"delete context", "destroy", "unregister"}), fake.log);
}

TEST(AppLifecycle, SignalsOutliveNoReceiver)
{
    FakePlatform fake;
    struct Receiver {
        void moved(int, int) { ++calls; }
        int calls = 0;
        CSlotList slots;
    };
    Receiver receiver;
    {
        TestApp app(&fake);
        connectSlot(receiver.slots, app.onMove, &receiver, &Receiver::moved);
        app.onMove.emit(1, 2);
    }
    // The destroyed application's signals left the receiver's slot.
    EXPECT_EQ(receiver.calls, 1);
    EXPECT_EQ(receiver.slots.first()->value->connectionCount(), 0);
}

TEST(EntryPoint, PassesTheWholeCommandLineAsOneArgument)
{
    char program[] = "quiltforger";
    char first[] = "atlas.xml";
    char second[] = "with space";
    char* none[] = {program, nullptr};
    char* some[] = {program, first, second, nullptr};

    EXPECT_EQ(runApplicationMain(1, none), 0);  // no application: 0, nothing called

    FakePlatform fake;
    TestApp app(&fake);
    EXPECT_EQ(runApplicationMain(1, none), 42);
    EXPECT_EQ(app.mainCount, 0);
    EXPECT_EQ(app.mainLine, "");
    EXPECT_EQ(runApplicationMain(3, some), 42);
    EXPECT_EQ(app.mainCount, 1);
    EXPECT_EQ(app.mainLine, "atlas.xml \"with space\"");
}

TEST(MainLoop, FrameSleepsTheRemainderOfTheFrameTime)
{
    FakePlatform fake;
    TestApp app(&fake);
    fake.now = 1000;
    app.setFrameTime(30);
    app.drawCost = 10;
    app.drawLimit = 4;
    app.run();
    ASSERT_EQ(app.drawStarts.size(), 4u);
    for (std::size_t i = 1; i < app.drawStarts.size(); ++i)
        EXPECT_EQ(app.drawStarts[i] - app.drawStarts[i - 1], 30u);
    EXPECT_EQ(fake.sleeps, std::vector<std::uint32_t>(4, 20));
}

TEST(MainLoop, LongFramesFollowAtOnceWithoutCatchingUp)
{
    FakePlatform fake;
    TestApp app(&fake);
    app.setFrameTime(30);
    app.drawCost = 50;
    app.drawLimit = 3;
    app.run();
    EXPECT_EQ(app.drawStarts, (std::vector<std::uint32_t>{0, 50, 100}));
    EXPECT_TRUE(fake.sleeps.empty());
}

TEST(MainLoop, GLFrameTicksDrawsSwapsThenSleeps)
{
    FakePlatform fake;
    TestApp app(&fake);
    TickCounter counter(app, 1000);
    app.setFrameTime(30);
    app.drawCost = 5;
    app.drawLimit = 2;
    app.run();
    EXPECT_EQ((std::vector<std::string>{"draw", "swap", "sleep 25", "draw", "swap", "sleep 25"}), fake.log);
    // Once per turn and once per rendered frame.
    EXPECT_EQ(counter.ticks, 4);
}

TEST(MainLoop, NothingIsDrawnWhileMinimisedOrHidden)
{
    FakePlatform fake;
    TestApp app(&fake);
    app.setFrameTime(30);
    fake.post(WindowMessage::size, CDisplay::minimised, 0);
    TickCounter counter(app, 3);
    app.run();
    EXPECT_TRUE(app.drawStarts.empty());
    EXPECT_EQ(fake.sleeps, std::vector<std::uint32_t>(3, 30));

    fake.sleeps.clear();
    app.show(ShowCommand::hide);
    counter.ticks = 0;
    app.run();
    EXPECT_TRUE(app.drawStarts.empty());
    EXPECT_EQ(fake.sleeps.size(), 3u);

    // A restore resumes drawing.
    fake.post(WindowMessage::size, CDisplay::restored, packPoint(800, 600));
    counter.ticks = 0;
    counter.limit = 2;
    app.run();
    EXPECT_FALSE(app.drawStarts.empty());
}

TEST(MainLoop, QuitEndsTheLoopWithoutBeingDispatched)
{
    FakePlatform fake;
    TestApp app(&fake);
    struct Raw {
        void message(unsigned int number, int, int) { numbers.push_back(number); }
        std::vector<unsigned int> numbers;
        CSlotList slots;
    } raw;
    connectSlot(raw.slots, app.onMessage, &raw, &Raw::message);
    fake.post(WindowMessage::setFocus);
    postQuitMessage();
    fake.post(WindowMessage::killFocus);  // still pumped in the same turn
    app.run();
    EXPECT_EQ(raw.numbers, (std::vector<unsigned int>{WindowMessage::setFocus, WindowMessage::killFocus}));
    EXPECT_EQ(app.drawStarts.size(), 1u);  // the turn finishes
}

TEST(MainLoop, NegativeFrameTimeNeverSleeps)
{
    FakePlatform fake;
    TestApp app(&fake);
    app.setFrameTime(-1);
    app.show(ShowCommand::hide);
    TickCounter counter(app, 2);
    app.run();
    EXPECT_TRUE(fake.sleeps.empty());
}

TEST(Window, CreateGLWindowOrderAndFailures)
{
    {
        FakePlatform fake;
        TestApp app(&fake);
        ASSERT_TRUE(app.createGLWindow(800, 600, false, false, false, 32, 24, 8, 0));
        EXPECT_EQ((std::vector<std::string>{"format 32/24/8 samples 0", "register", "create 800x600 samples 0",
                                            "size 800x600", "context", "current"}),
                  fake.log);
        EXPECT_NE(app.getContext(), nullptr);
        int width = 0;
        int height = 0;
        EXPECT_TRUE(getDrawableSize(width, height));
        EXPECT_EQ(width, 800);
    }
    {
        FakePlatform fake;
        fake.failRegister = true;
        TestApp app(&fake);
        EXPECT_FALSE(app.createGLWindow(800, 600, true, true, false, 32, 24, 8, 0));
        EXPECT_EQ(fake.log.back(), "box App Error: Could not register window");
    }
    {
        FakePlatform fake;
        fake.failCreate = true;
        TestApp app(&fake);
        EXPECT_FALSE(app.createGLWindow(800, 600, true, true, false, 32, 24, 8, 0));
        EXPECT_EQ(fake.log.back(), "box App Error: Could not create window");
        EXPECT_FALSE(fake.logged("context"));
    }
    {
        FakePlatform fake;
        fake.failContext = true;
        TestApp app(&fake);
        EXPECT_FALSE(app.createGLWindow(800, 600, false, false, false, 32, 24, 8, 0));
        EXPECT_EQ(fake.log.back(), "box App Error: Could not create OpenGL context");
    }
}

TEST(Window, MultisampleRecreatesTheWindowOrKeepsTheSingleSampleOne)
{
    {
        FakePlatform fake;
        fake.multisampleAvailable = true;
        TestApp app(&fake);
        ASSERT_TRUE(app.createGLWindow(640, 480, false, false, false, 32, 24, 8, 4));
        EXPECT_EQ((std::vector<std::string>{"format 32/24/8 samples 0", "register", "create 640x480 samples 0",
                                            "size 640x480", "context", "current", "probe 4", "delete context",
                                            "destroy", "unregister", "format 32/24/8 samples 4", "register",
                                            "create 640x480 samples 4", "size 640x480", "context", "current"}),
                  fake.log);
    }
    {
        FakePlatform fake;
        TestApp app(&fake);
        ASSERT_TRUE(app.createGLWindow(640, 480, false, false, false, 32, 24, 8, 4));
        EXPECT_EQ(fake.log.back(), "probe 4");  // kept, nothing reported
        EXPECT_NE(app.getContext(), nullptr);
    }
}

TEST(Window, FullscreenSwitchesOnceAndReportsFailure)
{
    FakePlatform fake;
    TestApp app(&fake);
    ASSERT_TRUE(app.createWindow(800, 600, false, false, false));
    fake.log.clear();
    app.setSize(800, 600, true);
    app.setSize(800, 600, true);
    EXPECT_TRUE(app.isFullscreen());
    EXPECT_EQ(fake.countOf("fullscreen 800x600"), 1);
    app.setSize(1024, 768, false);
    EXPECT_FALSE(app.isFullscreen());
    EXPECT_EQ((std::vector<std::string>{"size 800x600 topmost", "fullscreen 800x600", "size 800x600 topmost",
                                        "windowed", "size 1024x768"}),
              fake.log);
    EXPECT_EQ(app.getSize().width, 1024u);

    fake.failFullscreen = true;
    fake.log.clear();
    app.setSize(640, 480, true);
    EXPECT_FALSE(app.isFullscreen());
    EXPECT_EQ((std::vector<std::string>{"size 640x480 topmost", "fullscreen 640x480",
                                        "box Error: Could not set to fullscreen mode"}),
              fake.log);
    // Leaving a mode that was never entered restores nothing.
    fake.log.clear();
    app.setSize(640, 480, false);
    EXPECT_FALSE(fake.logged("windowed"));
}

TEST(Window, PositionCentreTitleAndShow)
{
    FakePlatform fake;
    TestApp app(&fake);
    ASSERT_TRUE(app.createWindow(800, 600, false, false, false));
    app.setPosition(10, 77);
    app.centre(true, false);
    EXPECT_EQ(app.getX(), 240);
    EXPECT_EQ(app.getY(), 77);
    app.centre(false, true);
    EXPECT_EQ(app.getY(), 212);
    fake.screenWidth = 1281;  // each extent is halved on its own, truncating
    app.setSize(801, 600, false);
    app.centre(true, true);
    EXPECT_EQ(app.getX(), 640 - 400);
    app.setTitle("Quilt Forger");
    app.show(ShowCommand::minimise);
    EXPECT_EQ(app.getShowState(), 6);
    const auto log = without(fake.log, "size");
    EXPECT_EQ((std::vector<std::string>{"register", "create 800x600 samples 0", "position 10,77", "position 240,77",
                                        "position 240,212", "position 240,212", "title Quilt Forger", "show 6"}),
              log);
}

TEST(Window, ContextHandlersBracketEveryContextAnnouncedReady)
{
    {
        // Destruction: closing comes while the context still exists.
        FakePlatform fake;
        ContextHandlers handlers(fake);
        {
            TestApp app(&fake);
            ASSERT_TRUE(app.createGLWindow(800, 600, false, false, false, 32, 24, 8, 0));
            EXPECT_EQ(fake.log.back(), "ready");
            fake.log.clear();
        }
        EXPECT_EQ((std::vector<std::string>{"closing", "delete context", "destroy", "unregister"}), fake.log);
    }
    {
        // A second window closes the first context before deleting it; the
        // single-sample context the multisample path throws away was never
        // announced, so it gets no closing call.
        FakePlatform fake;
        fake.multisampleAvailable = true;
        ContextHandlers handlers(fake);
        TestApp app(&fake);
        ASSERT_TRUE(app.createGLWindow(640, 480, false, false, false, 32, 24, 8, 4));
        EXPECT_EQ(fake.countOf("ready"), 1);
        EXPECT_EQ(fake.countOf("closing"), 0);
        fake.log.clear();
        ASSERT_TRUE(app.createGLWindow(640, 480, false, false, false, 32, 24, 8, 0));
        ASSERT_GE(fake.log.size(), 3u);
        EXPECT_EQ(fake.log[1], "closing");
        EXPECT_EQ(fake.log[2], "delete context");
        EXPECT_EQ(fake.countOf("ready"), 1);
    }
    {
        // A context that could not be made was never ready: nothing to close.
        FakePlatform fake;
        fake.failContext = true;
        ContextHandlers handlers(fake);
        {
            TestApp app(&fake);
            EXPECT_FALSE(app.createGLWindow(800, 600, false, false, false, 32, 24, 8, 0));
        }
        EXPECT_FALSE(fake.logged("ready"));
        EXPECT_FALSE(fake.logged("closing"));
    }
}
