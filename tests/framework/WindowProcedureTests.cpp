// The window procedure driven with messages directly.
#include "TestApp.h"

#include "framework/WindowProcedure.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

struct AppSignals {
    explicit AppSignals(CApp& app)
    {
        connectSlot(slots, app.onMessage, this, &AppSignals::message);
        connectSlot(slots, app.onMove, this, &AppSignals::moved);
        connectSlot(slots, app.onResize, this, &AppSignals::resized);
        connectSlot(slots, app.onFocus, this, &AppSignals::focus);
    }
    void message(unsigned int number, int first, int second) { raw.emplace_back(number, first, second); }
    void moved(int x, int y) { events.push_back("move " + std::to_string(x) + "," + std::to_string(y)); }
    void resized(int w, int h, CDisplay::SizeType type)
    {
        events.push_back("size " + std::to_string(w) + "x" + std::to_string(h) + " " + std::to_string(type));
    }
    void focus(bool gained) { events.push_back(gained ? "focus" : "blur"); }

    std::vector<std::tuple<unsigned int, int, int>> raw;
    std::vector<std::string> events;
    CSlotList slots;
};

int send(unsigned int number, int first = 0, int second = 0)
{
    CWindowMessage message;
    message.message = number;
    message.first = first;
    message.second = second;
    return windowProcedure(message);
}

class WindowProcedureTest : public ::testing::Test {
protected:
    FakePlatform fake;
    TestApp app{&fake};
    AppSignals signals{app};
    InputRecorder input;
};

}

TEST_F(WindowProcedureTest, ApplicationMessagesEmitTheirSignalThenRawThenDefault)
{
    namespace M = WindowMessage;
    EXPECT_EQ(send(M::move, 0, packPoint(-5, 300)), 7);
    send(M::size, CDisplay::maximised, packPoint(1024, 700));
    send(M::setFocus);
    send(M::killFocus);
    EXPECT_EQ((std::vector<std::string>{"move -5,300", "size 1024x700 2", "focus", "blur"}), signals.events);
    ASSERT_EQ(signals.raw.size(), 4u);
    EXPECT_EQ(signals.raw[0], std::make_tuple(M::move, 0, packPoint(-5, 300)));
    EXPECT_EQ(signals.raw[1], std::make_tuple(M::size, 2, packPoint(1024, 700)));
    EXPECT_EQ(fake.countOf("default 3"), 1);
    EXPECT_EQ(fake.countOf("default 5"), 1);
    // The resize handler keeps the size; the move does not change the stored position.
    EXPECT_EQ(app.getSize().width, 1024u);
    EXPECT_EQ(app.getSize().height, 700u);
    EXPECT_EQ(app.getX(), 0);
}

TEST_F(WindowProcedureTest, SizeTypeOneMinimisesAndAnyOtherRestores)
{
    send(WindowMessage::size, CDisplay::minimised, 0);
    EXPECT_EQ(app.getShowState(), ShowCommand::minimise);
    send(WindowMessage::size, CDisplay::restored, packPoint(800, 600));
    EXPECT_EQ(app.getShowState(), ShowCommand::show);
    send(WindowMessage::size, CDisplay::minimised, 0);
    send(WindowMessage::size, CDisplay::otherMaximised, packPoint(800, 600));
    EXPECT_EQ(app.getShowState(), ShowCommand::show);
}

TEST_F(WindowProcedureTest, CloseStopsTheLoopAndGoesToDefaultHandling)
{
    app.show(ShowCommand::show);
    fake.post(WindowMessage::close);
    app.setFrameTime(30);
    app.run();  // returns because close cleared running
    EXPECT_FALSE(app.isRunning());
    EXPECT_TRUE(fake.logged("default 16"));
    ASSERT_EQ(signals.raw.size(), 1u);
    EXPECT_EQ(std::get<0>(signals.raw[0]), WindowMessage::close);
}

TEST_F(WindowProcedureTest, EraseBackgroundAndPowerCommandsEndAtOnce)
{
    namespace M = WindowMessage;
    EXPECT_EQ(send(M::eraseBackground), 0);
    EXPECT_EQ(send(M::systemCommand, M::screenSaverCommand), 0);
    EXPECT_EQ(send(M::systemCommand, M::monitorPowerCommand | 2), 0);
    EXPECT_TRUE(signals.raw.empty());
    EXPECT_TRUE(fake.log.empty());
    // Any other system command is raw-emitted and handled by default.
    EXPECT_EQ(send(M::systemCommand, 0xF020), 7);
    EXPECT_EQ(signals.raw.size(), 1u);
}

TEST_F(WindowProcedureTest, KeyDownReachesInputOnlyForArrows)
{
    namespace M = WindowMessage;
    for (int key = VirtualKey::left; key <= VirtualKey::down; ++key)
        send(M::keyDown, key);
    send(M::keyDown, 'A');
    send(M::keyDown, VirtualKey::escape);
    ASSERT_EQ(input.keys.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(input.keys[i].value, 37 + i);
        EXPECT_EQ(input.keys[i].code, 37 + i);
        EXPECT_EQ(input.keys[i].action, CInputMap::pressed);
        EXPECT_TRUE(input.keys[i].keyDown) << "an arrow is not the character of its code";
    }
    // Every key message is still emitted raw.
    EXPECT_EQ(signals.raw.size(), 6u);
}

TEST_F(WindowProcedureTest, LetterPressComesFromCharacterAndReleaseFromKeyUp)
{
    namespace M = WindowMessage;
    send(M::keyDown, 'A');
    send(M::character, 'a');
    send(M::keyUp, 'A');
    ASSERT_EQ(input.keys.size(), 2u);
    EXPECT_EQ(input.keys[0].value, 97);
    EXPECT_EQ(input.keys[0].code, 97);
    EXPECT_EQ(input.keys[0].action, CInputMap::pressed);
    EXPECT_EQ(input.keys[1].value, 65);
    EXPECT_EQ(input.keys[1].code, 65);
    EXPECT_EQ(input.keys[1].action, CInputMap::released);
    EXPECT_EQ(input.keys[1].position, CVector(0, 0, 0, 0));
}

TEST_F(WindowProcedureTest, MouseMessagesBuildTheirRecords)
{
    namespace M = WindowMessage;
    send(M::mouseMove, 0, packPoint(-3, -20));  // left of and above the client area during capture
    send(M::mouseMove, 0, packPoint(120, 45));
    send(M::leftButtonDown, 0, packPoint(999, 999));  // buttons use the last motion, not their own point
    send(M::rightButtonUp);
    send(M::middleButtonDoubleClick);
    send(M::mouseWheel, packPoint(0, -120), packPoint(50, 50));
    ASSERT_EQ(input.mouse.size(), 6u);
    EXPECT_EQ(input.mouse[0].position, CVector(-3, -20, 0, 0));
    EXPECT_EQ(input.mouse[0].action, CInputMap::moved);
    EXPECT_EQ(input.mouse[0].code, 146);
    EXPECT_EQ(input.mouse[0].value, 0);
    struct Expected {
        int action, code;
    } buttons[] = {{1, 0}, {0, 1}, {2, 2}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(input.mouse[2 + i].action, buttons[i].action);
        EXPECT_EQ(input.mouse[2 + i].code, buttons[i].code);
        EXPECT_EQ(input.mouse[2 + i].value, 0);
        EXPECT_EQ(input.mouse[2 + i].position, CVector(120, 45, 0, 0));
    }
    const CInputMap& wheel = input.mouse[5];
    EXPECT_EQ(wheel.value, -120);
    EXPECT_EQ(wheel.action, CInputMap::wheel);
    EXPECT_EQ(wheel.code, 146);
    EXPECT_EQ(wheel.position, CVector(0, 0, 0, 0));
    EXPECT_EQ(mousePosition(), CVector(120, 45, 0, 0));
}

TEST(WindowProcedureWithoutApplication, OnlyInputIsHandled)
{
    namespace M = WindowMessage;
    FakePlatform fake;
    InputRecorder input;
    ASSERT_EQ(currentApp, nullptr);
    send(M::move, 0, packPoint(1, 2));
    send(M::size, 0, packPoint(3, 4));
    send(M::setFocus);
    send(M::close);
    send(M::character, 'x');
    send(M::leftButtonDown);
    EXPECT_EQ(send(M::eraseBackground), 0);
    EXPECT_EQ((std::vector<std::string>{"default 3", "default 5", "default 7", "default 16", "default 258",
                                        "default 513"}),
              fake.log);
    EXPECT_EQ(input.keys.size(), 1u);
    EXPECT_EQ(input.mouse.size(), 1u);
}

TEST(CursorScreenPosition, IsReadFromThePlatformAtTheCall)
{
    FakePlatform fake;
    fake.cursorX = 1500;
    fake.cursorY = -10;
    EXPECT_EQ(cursorScreenPosition(), CVector(1500, -10, 0, 0));
    fake.cursorX = 7;
    EXPECT_EQ(cursorScreenPosition().x, 7);
}
