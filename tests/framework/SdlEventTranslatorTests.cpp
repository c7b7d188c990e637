// SDL events to window messages: keys, characters, buttons, wheel, window events.
#include "TestApp.h"

#include "framework/CSdlEventTranslator.h"
#include "framework/WindowProcedure.h"

#include <gtest/gtest.h>

namespace {

SDL_Event keyEvent(Uint32 type, SDL_Keycode key, SDL_Scancode scancode = SDL_SCANCODE_UNKNOWN, Uint16 mod = 0)
{
    SDL_Event event{};
    event.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = mod;
    return event;
}

SDL_Event textEvent(const char* text)
{
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, text, sizeof(event.text.text));
    return event;
}

SDL_Event windowEvent(Uint8 kind, int data1 = 0, int data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

SDL_Event buttonEvent(Uint32 type, Uint8 button, Uint8 clicks, int x, int y)
{
    SDL_Event event{};
    event.type = type;
    event.button.button = button;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    return event;
}

std::deque<CWindowMessage> translate(CSdlEventTranslator& translator, const SDL_Event& event)
{
    std::deque<CWindowMessage> out;
    translator.translate(event, out);
    return out;
}

}

TEST(SdlEventTranslator, VirtualKeyTable)
{
    using T = CSdlEventTranslator;
    EXPECT_EQ(T::virtualKey(SDLK_a, SDL_SCANCODE_A), 65);
    EXPECT_EQ(T::virtualKey(SDLK_z, SDL_SCANCODE_Z), 90);
    EXPECT_EQ(T::virtualKey(SDLK_0, SDL_SCANCODE_0), 48);
    EXPECT_EQ(T::virtualKey(SDLK_9, SDL_SCANCODE_9), 57);
    EXPECT_EQ(T::virtualKey(SDLK_LEFT, SDL_SCANCODE_LEFT), 37);
    EXPECT_EQ(T::virtualKey(SDLK_UP, SDL_SCANCODE_UP), 38);
    EXPECT_EQ(T::virtualKey(SDLK_RIGHT, SDL_SCANCODE_RIGHT), 39);
    EXPECT_EQ(T::virtualKey(SDLK_DOWN, SDL_SCANCODE_DOWN), 40);
    EXPECT_EQ(T::virtualKey(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 27);
    EXPECT_EQ(T::virtualKey(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), 8);
    EXPECT_EQ(T::virtualKey(SDLK_TAB, SDL_SCANCODE_TAB), 9);
    EXPECT_EQ(T::virtualKey(SDLK_RETURN, SDL_SCANCODE_RETURN), 13);
    EXPECT_EQ(T::virtualKey(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), 13);
    EXPECT_EQ(T::virtualKey(SDLK_SPACE, SDL_SCANCODE_SPACE), 32);
    EXPECT_EQ(T::virtualKey(SDLK_DELETE, SDL_SCANCODE_DELETE), 46);
    EXPECT_EQ(T::virtualKey(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), 16);
    EXPECT_EQ(T::virtualKey(SDLK_LCTRL, SDL_SCANCODE_LCTRL), 17);
    EXPECT_EQ(T::virtualKey(SDLK_F1, SDL_SCANCODE_F1), 112);
    EXPECT_EQ(T::virtualKey(SDLK_F12, SDL_SCANCODE_F12), 123);
    EXPECT_EQ(T::virtualKey(SDLK_KP_7, SDL_SCANCODE_KP_7), 103);
    EXPECT_EQ(T::virtualKey(SDLK_MINUS, SDL_SCANCODE_MINUS), 189);
    EXPECT_EQ(T::virtualKey(SDLK_PERIOD, SDL_SCANCODE_PERIOD), 190);
    // A key that carries a non-ASCII symbol falls back on its place.
    EXPECT_EQ(T::virtualKey(0x00E9, SDL_SCANCODE_Q), 81);
    EXPECT_EQ(T::virtualKey(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}

TEST(SdlEventTranslator, ControlCharactersComeFromTheKeyPress)
{
    using T = CSdlEventTranslator;
    EXPECT_EQ(T::controlCharacter(SDLK_ESCAPE, 0), 27);
    EXPECT_EQ(T::controlCharacter(SDLK_BACKSPACE, 0), 8);
    EXPECT_EQ(T::controlCharacter(SDLK_RETURN, 0), 13);
    EXPECT_EQ(T::controlCharacter(SDLK_KP_ENTER, 0), 13);
    EXPECT_EQ(T::controlCharacter(SDLK_TAB, KMOD_LSHIFT), 9);
    EXPECT_EQ(T::controlCharacter(SDLK_a, KMOD_LCTRL), 1);
    EXPECT_EQ(T::controlCharacter(SDLK_z, KMOD_RCTRL), 26);
    EXPECT_EQ(T::controlCharacter(SDLK_a, 0), -1);       // typed text brings it
    EXPECT_EQ(T::controlCharacter(SDLK_a, KMOD_LCTRL | KMOD_RALT), -1);  // AltGr types
    EXPECT_EQ(T::controlCharacter(SDLK_LEFT, 0), -1);
}

TEST(SdlEventTranslator, KeysAndText)
{
    namespace M = WindowMessage;
    CSdlEventTranslator translator;

    auto down = translate(translator, keyEvent(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE));
    ASSERT_EQ(down.size(), 2u);
    EXPECT_EQ(down[0].message, M::keyDown);
    EXPECT_EQ(down[0].first, 27);
    EXPECT_EQ(down[1].message, M::character);
    EXPECT_EQ(down[1].first, 27);

    auto up = translate(translator, keyEvent(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A));
    ASSERT_EQ(up.size(), 1u);
    EXPECT_EQ(up[0].message, M::keyUp);
    EXPECT_EQ(up[0].first, 65);

    auto letter = translate(translator, keyEvent(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A));
    ASSERT_EQ(letter.size(), 1u);  // the character comes with the text event
    auto text = translate(translator, textEvent("A\xC3\xA9\xE2\x82\xAC"));  // A, e-acute, euro sign
    ASSERT_EQ(text.size(), 3u);
    EXPECT_EQ(text[0].message, M::character);
    EXPECT_EQ(text[0].first, 65);
    EXPECT_EQ(text[1].first, 0xE9);
    EXPECT_EQ(text[2].first, '?');

    // With Ctrl held the press makes the control character and text is dropped.
    auto ctrl = translate(translator, keyEvent(SDL_KEYDOWN, SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL));
    ASSERT_EQ(ctrl.size(), 2u);
    EXPECT_EQ(ctrl[1].first, 3);
    EXPECT_TRUE(translate(translator, textEvent("c")).empty());

    // Left Alt makes system keys and characters, which reach no input function.
    auto alt = translate(translator, keyEvent(SDL_KEYDOWN, SDLK_f, SDL_SCANCODE_F, KMOD_LALT));
    ASSERT_EQ(alt.size(), 1u);
    EXPECT_EQ(alt[0].message, M::systemKeyDown);
    auto altText = translate(translator, textEvent("f"));
    ASSERT_EQ(altText.size(), 1u);
    EXPECT_EQ(altText[0].message, M::systemCharacter);
}

TEST(SdlEventTranslator, MouseButtonsMotionAndWheel)
{
    namespace M = WindowMessage;
    CSdlEventTranslator translator;
    const Uint8 buttons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE};
    const unsigned int firsts[] = {M::leftButtonDown, M::rightButtonDown, M::middleButtonDown};
    for (int i = 0; i < 3; ++i) {
        auto press = translate(translator, buttonEvent(SDL_MOUSEBUTTONDOWN, buttons[i], 1, 10, -4));
        auto release = translate(translator, buttonEvent(SDL_MOUSEBUTTONUP, buttons[i], 1, 10, -4));
        auto second = translate(translator, buttonEvent(SDL_MOUSEBUTTONDOWN, buttons[i], 2, 10, -4));
        auto third = translate(translator, buttonEvent(SDL_MOUSEBUTTONDOWN, buttons[i], 3, 10, -4));
        EXPECT_EQ(press.at(0).message, firsts[i]);
        EXPECT_EQ(release.at(0).message, firsts[i] + 1);
        EXPECT_EQ(second.at(0).message, firsts[i] + 2);
        EXPECT_EQ(third.at(0).message, firsts[i]);
        EXPECT_EQ(lowHalf(press[0].second), 10);
        EXPECT_EQ(highHalf(press[0].second), -4);
    }
    EXPECT_TRUE(translate(translator, buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 0, 0)).empty());

    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.x = -7;
    motion.motion.y = 300;
    auto moved = translate(translator, motion);
    EXPECT_EQ(moved.at(0).message, M::mouseMove);
    EXPECT_EQ(lowHalf(moved[0].second), -7);
    EXPECT_EQ(highHalf(moved[0].second), 300);

    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -1;  // towards the user
    auto towards = translate(translator, wheel);
    EXPECT_EQ(towards.at(0).message, M::mouseWheel);
    EXPECT_EQ(highHalf(towards[0].first), -120);
    wheel.wheel.y = 2;
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    EXPECT_EQ(highHalf(translate(translator, wheel).at(0).first), -240);
}

TEST(SdlEventTranslator, WindowEventsAndQuit)
{
    namespace M = WindowMessage;
    CSdlEventTranslator translator;
    translator.setClientSize(800, 600);
    auto moved = translate(translator, windowEvent(SDL_WINDOWEVENT_MOVED, -10, 20));
    EXPECT_EQ(moved.at(0).message, M::move);
    EXPECT_EQ(lowHalf(moved[0].second), -10);
    EXPECT_EQ(highHalf(moved[0].second), 20);

    auto minimised = translate(translator, windowEvent(SDL_WINDOWEVENT_MINIMIZED));
    EXPECT_EQ(minimised.at(0).message, M::size);
    EXPECT_EQ(minimised[0].first, CDisplay::minimised);
    auto restored = translate(translator, windowEvent(SDL_WINDOWEVENT_RESTORED));
    EXPECT_EQ(restored.at(0).first, CDisplay::restored);
    EXPECT_EQ(restored[0].second, packPoint(800, 600));
    auto maximised = translate(translator, windowEvent(SDL_WINDOWEVENT_MAXIMIZED));
    EXPECT_EQ(maximised.at(0).first, CDisplay::maximised);
    auto grown = translate(translator, windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1280, 1000));
    EXPECT_EQ(grown.at(0).first, CDisplay::maximised);
    EXPECT_EQ(grown[0].second, packPoint(1280, 1000));

    EXPECT_EQ(translate(translator, windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED)).at(0).message, M::setFocus);
    EXPECT_EQ(translate(translator, windowEvent(SDL_WINDOWEVENT_FOCUS_LOST)).at(0).message, M::killFocus);
    EXPECT_EQ(translate(translator, windowEvent(SDL_WINDOWEVENT_CLOSE)).at(0).message, M::close);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(translate(translator, quit).at(0).message, M::quit);
}

TEST(SdlEventTranslator, TypedKeysReachTheKeyboardOnceThroughTheProcedure)
{
    FakePlatform fake;
    InputRecorder input;
    CSdlEventTranslator translator;
    const SDL_Event events[] = {
        keyEvent(SDL_KEYDOWN, SDLK_a, SDL_SCANCODE_A), textEvent("a"), keyEvent(SDL_KEYUP, SDLK_a, SDL_SCANCODE_A),
        keyEvent(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT), keyEvent(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN),
    };
    for (const SDL_Event& event : events) {
        for (const CWindowMessage& message : translate(translator, event))
            windowProcedure(message);
    }
    ASSERT_EQ(input.keys.size(), 4u);
    EXPECT_EQ(input.keys[0].value, 'a');
    EXPECT_EQ(input.keys[0].action, CInputMap::pressed);
    EXPECT_EQ(input.keys[1].value, 'A');
    EXPECT_EQ(input.keys[1].action, CInputMap::released);
    EXPECT_EQ(input.keys[2].value, VirtualKey::left);
    EXPECT_EQ(input.keys[3].value, 13);
}

TEST(SdlEventTranslator, DoubleClickOnlyCloseInTimeAndPlace)
{
    const struct {
        int dx;
        Uint32 later;
        Uint8 button;
        bool isDouble;
    } cases[] = {
        {0, 300, SDL_BUTTON_LEFT, true},
        {5, 300, SDL_BUTTON_LEFT, true},
        {20, 300, SDL_BUTTON_LEFT, false},  // the next control down: a click of its own
        {0, 401, SDL_BUTTON_LEFT, false},
        {0, 100, SDL_BUTTON_RIGHT, false},
    };
    for (const auto& c : cases) {
        CSdlEventTranslator translator;
        SDL_Event first = buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1, 100, 200);
        first.button.timestamp = 1000;
        translate(translator, first);
        SDL_Event second = buttonEvent(SDL_MOUSEBUTTONDOWN, c.button, 2, 100, 200 + c.dx);
        second.button.timestamp = 1000 + c.later;
        const auto messages = translate(translator, second);
        ASSERT_EQ(messages.size(), 1u);
        const unsigned int down =
            c.button == SDL_BUTTON_LEFT ? WindowMessage::leftButtonDown : WindowMessage::rightButtonDown;
        EXPECT_EQ(messages[0].message, c.isDouble ? down + 2 : down) << c.dx << " " << c.later;
    }
}
