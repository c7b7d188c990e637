// CSdlEventTranslator: SDL events to window messages (see the header).
#include "framework/CSdlEventTranslator.h"

#include "framework/CDisplay.h"

#include <cstdlib>

namespace {

struct KeyEntry {
    SDL_Keycode key;
    int virtualKey;
};

// Keys whose virtual-key code does not follow from ASCII.
constexpr KeyEntry keyTable[] = {
    {SDLK_BACKSPACE, VirtualKey::backspace}, {SDLK_TAB, VirtualKey::tab},
    {SDLK_RETURN, VirtualKey::enter}, {SDLK_KP_ENTER, VirtualKey::enter},
    {SDLK_RETURN2, VirtualKey::enter},
    {SDLK_LSHIFT, VirtualKey::shift}, {SDLK_RSHIFT, VirtualKey::shift},
    {SDLK_LCTRL, VirtualKey::control}, {SDLK_RCTRL, VirtualKey::control},
    {SDLK_LALT, VirtualKey::alt}, {SDLK_RALT, VirtualKey::alt},
    {SDLK_PAUSE, VirtualKey::pause}, {SDLK_CAPSLOCK, VirtualKey::capsLock},
    {SDLK_ESCAPE, VirtualKey::escape}, {SDLK_SPACE, VirtualKey::space},
    {SDLK_PAGEUP, VirtualKey::pageUp}, {SDLK_PAGEDOWN, VirtualKey::pageDown},
    {SDLK_END, VirtualKey::end}, {SDLK_HOME, VirtualKey::home},
    {SDLK_LEFT, VirtualKey::left}, {SDLK_UP, VirtualKey::up},
    {SDLK_RIGHT, VirtualKey::right}, {SDLK_DOWN, VirtualKey::down},
    {SDLK_PRINTSCREEN, VirtualKey::printScreen}, {SDLK_INSERT, VirtualKey::insert},
    {SDLK_DELETE, VirtualKey::deleteKey},
    {SDLK_LGUI, VirtualKey::leftWindows}, {SDLK_RGUI, VirtualKey::rightWindows},
    {SDLK_APPLICATION, VirtualKey::applications},
    {SDLK_KP_MULTIPLY, VirtualKey::multiply}, {SDLK_KP_PLUS, VirtualKey::add},
    {SDLK_KP_MINUS, VirtualKey::subtract}, {SDLK_KP_PERIOD, VirtualKey::decimal},
    {SDLK_KP_DIVIDE, VirtualKey::divide},
    {SDLK_NUMLOCKCLEAR, VirtualKey::numLock}, {SDLK_SCROLLLOCK, VirtualKey::scrollLock},
    {SDLK_SEMICOLON, VirtualKey::semicolon}, {SDLK_EQUALS, VirtualKey::plus},
    {SDLK_PLUS, VirtualKey::plus}, {SDLK_COMMA, VirtualKey::comma},
    {SDLK_MINUS, VirtualKey::minus}, {SDLK_PERIOD, VirtualKey::period},
    {SDLK_SLASH, VirtualKey::slash}, {SDLK_BACKQUOTE, VirtualKey::backquote},
    {SDLK_LEFTBRACKET, VirtualKey::leftBracket}, {SDLK_BACKSLASH, VirtualKey::backslash},
    {SDLK_RIGHTBRACKET, VirtualKey::rightBracket}, {SDLK_QUOTE, VirtualKey::quote},
    {SDLK_LESS, VirtualKey::oem102},
};

constexpr SDL_Keycode keypadDigits[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                        SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};

CWindowMessage makeMessage(Uint32 windowId, unsigned int message, int first, int second)
{
    CWindowMessage result;
    result.window = windowId;
    result.message = message;
    result.first = first;
    result.second = second;
    return result;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Malformed bytes decode
// as themselves so that nothing is lost and the loop always advances.
Uint32 decodeUtf8(const char* text, int& i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead < 0x80 || lead >= 0xF8 || extra == 0) {
        ++i;
        return lead;
    }
    Uint32 value = lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        value = value << 6 | (next & 0x3F);
    }
    i += extra + 1;
    return value;
}

bool ctrlHeld(Uint16 modifiers)
{
    // AltGr arrives as right Alt (sometimes with Ctrl): it types characters.
    return (modifiers & KMOD_CTRL) != 0 && (modifiers & KMOD_RALT) == 0;
}

bool systemKeyHeld(Uint16 modifiers)
{
    return (modifiers & KMOD_LALT) != 0;
}

}

void CSdlEventTranslator::setClientSize(int width, int height)
{
    width_ = width;
    height_ = height;
}

int CSdlEventTranslator::virtualKey(SDL_Keycode key, SDL_Scancode scancode)
{
    if (key >= SDLK_a && key <= SDLK_z)
        return VirtualKey::letterA + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return VirtualKey::digit0 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return VirtualKey::f1 + (key - SDLK_F1);
    if (key >= SDLK_F13 && key <= SDLK_F24)
        return VirtualKey::f1 + 12 + (key - SDLK_F13);
    for (int digit = 0; digit < 10; ++digit) {
        if (key == keypadDigits[digit])
            return VirtualKey::numpad0 + digit;
    }
    for (const KeyEntry& entry : keyTable) {
        if (entry.key == key)
            return entry.virtualKey;
    }
    // Layouts whose keys carry non-ASCII symbols: fall back on the key's place.
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return VirtualKey::letterA + (scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return VirtualKey::digit0 + 1 + (scancode - SDL_SCANCODE_1);
    if (scancode == SDL_SCANCODE_0)
        return VirtualKey::digit0;
    return 0;
}

int CSdlEventTranslator::controlCharacter(SDL_Keycode key, Uint16 modifiers)
{
    const bool ctrl = ctrlHeld(modifiers);
    switch (key) {
    case SDLK_ESCAPE:
        return 27;
    case SDLK_BACKSPACE:
        return ctrl ? 127 : 8;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
        return ctrl ? 10 : 13;
    case SDLK_TAB:
        return ctrl ? -1 : 9;
    default:
        break;
    }
    if (!ctrl)
        return -1;
    if (key >= SDLK_a && key <= SDLK_z)
        return 1 + (key - SDLK_a);
    if (key == SDLK_LEFTBRACKET)
        return 27;
    if (key == SDLK_BACKSLASH)
        return 28;
    if (key == SDLK_RIGHTBRACKET)
        return 29;
    return -1;
}

void CSdlEventTranslator::translate(const SDL_Event& event, std::deque<CWindowMessage>& out)
{
    switch (event.type) {
    case SDL_QUIT:
        out.push_back(makeMessage(0, WindowMessage::quit, 0, 0));
        break;
    case SDL_WINDOWEVENT:
        translateWindowEvent(event.window, out);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        translateKey(event.key, out);
        break;
    case SDL_TEXTINPUT:
        translateText(event.text, out);
        break;
    case SDL_MOUSEMOTION:
        out.push_back(makeMessage(event.motion.windowID, WindowMessage::mouseMove, 0,
                                  packPoint(event.motion.x, event.motion.y)));
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        translateButton(event.button, out);
        break;
    case SDL_MOUSEWHEEL: {
        int notches = event.wheel.y;
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
            notches = -notches;
        if (notches == 0)
            break;
        const int distance = notches * WindowMessage::wheelDelta;
        out.push_back(makeMessage(event.wheel.windowID, WindowMessage::mouseWheel, packPoint(0, distance), 0));
        break;
    }
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPCOMPLETE:
        translateDrop(event.drop, out);
        break;
    default:
        break;
    }
}

void CSdlEventTranslator::translateDrop(const SDL_DropEvent& event, std::deque<CWindowMessage>& out)
{
    if (event.type == SDL_DROPBEGIN) {
        dropped_.clear();
    } else if (event.type == SDL_DROPFILE) {
        if (event.file != nullptr)
            dropped_.emplace_back(event.file);
    } else if (!dropped_.empty()) {
        CWindowMessage message = makeMessage(event.windowID, WindowMessage::dropFiles,
                                             static_cast<int>(dropped_.size()), 0);
        message.files = std::move(dropped_);
        dropped_.clear();
        out.push_back(std::move(message));
    }
}

void CSdlEventTranslator::translateWindowEvent(const SDL_WindowEvent& event, std::deque<CWindowMessage>& out)
{
    const Uint32 id = event.windowID;
    switch (event.event) {
    case SDL_WINDOWEVENT_MOVED:
        out.push_back(makeMessage(id, WindowMessage::move, 0, packPoint(event.data1, event.data2)));
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        width_ = event.data1;
        height_ = event.data2;
        out.push_back(makeMessage(id, WindowMessage::size, maximised_ ? CDisplay::maximised : CDisplay::restored,
                                  packPoint(width_, height_)));
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        // A minimised window has no client area.
        out.push_back(makeMessage(id, WindowMessage::size, CDisplay::minimised, packPoint(0, 0)));
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        maximised_ = true;
        out.push_back(makeMessage(id, WindowMessage::size, CDisplay::maximised, packPoint(width_, height_)));
        break;
    case SDL_WINDOWEVENT_RESTORED:
        maximised_ = false;
        out.push_back(makeMessage(id, WindowMessage::size, CDisplay::restored, packPoint(width_, height_)));
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        out.push_back(makeMessage(id, WindowMessage::setFocus, 0, 0));
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        out.push_back(makeMessage(id, WindowMessage::killFocus, 0, 0));
        break;
    case SDL_WINDOWEVENT_SHOWN:
        out.push_back(makeMessage(id, WindowMessage::showWindow, 1, 0));
        break;
    case SDL_WINDOWEVENT_HIDDEN:
        out.push_back(makeMessage(id, WindowMessage::showWindow, 0, 0));
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        out.push_back(makeMessage(id, WindowMessage::paint, 0, 0));
        break;
    case SDL_WINDOWEVENT_CLOSE:
        out.push_back(makeMessage(id, WindowMessage::close, 0, 0));
        break;
    default:
        break;
    }
}

void CSdlEventTranslator::translateKey(const SDL_KeyboardEvent& event, std::deque<CWindowMessage>& out)
{
    modifiers_ = event.keysym.mod;
    const int key = virtualKey(event.keysym.sym, event.keysym.scancode);
    const bool down = event.state == SDL_PRESSED;
    const bool system = systemKeyHeld(event.keysym.mod) || key == VirtualKey::alt;
    // The second parameter: repeat count 1, previous state (bit 30) and
    // transition (bit 31).
    int second = 1;
    if (!down || event.repeat)
        second |= 1 << 30;
    if (!down)
        second = static_cast<int>(static_cast<unsigned int>(second) | 0x80000000u);
    if (key != 0) {
        unsigned int message;
        if (down)
            message = system ? WindowMessage::systemKeyDown : WindowMessage::keyDown;
        else
            message = system ? WindowMessage::systemKeyUp : WindowMessage::keyUp;
        out.push_back(makeMessage(event.windowID, message, key, second));
    }
    if (down && !systemKeyHeld(event.keysym.mod)) {
        const int character = controlCharacter(event.keysym.sym, event.keysym.mod);
        if (character >= 0)
            out.push_back(makeMessage(event.windowID, WindowMessage::character, character, second));
    }
}

void CSdlEventTranslator::translateText(const SDL_TextInputEvent& event, std::deque<CWindowMessage>& out)
{
    // With Ctrl held the key press made its control character already.
    if (ctrlHeld(modifiers_))
        return;
    const unsigned int message = systemKeyHeld(modifiers_) ? WindowMessage::systemCharacter : WindowMessage::character;
    int i = 0;
    while (i < static_cast<int>(sizeof(event.text)) && event.text[i] != '\0') {
        const Uint32 codePoint = decodeUtf8(event.text, i);
        // Character messages carry single-byte codes; what a byte cannot hold
        // becomes '?', as an ANSI conversion does.
        const int character = codePoint < 256 ? static_cast<int>(codePoint) : '?';
        out.push_back(makeMessage(event.windowID, message, character, 1));
    }
}

void CSdlEventTranslator::translateButton(const SDL_MouseButtonEvent& event, std::deque<CWindowMessage>& out)
{
    unsigned int down;
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        down = WindowMessage::leftButtonDown;
        break;
    case SDL_BUTTON_RIGHT:
        down = WindowMessage::rightButtonDown;
        break;
    case SDL_BUTTON_MIDDLE:
        down = WindowMessage::middleButtonDown;
        break;
    default:
        return;
    }
    unsigned int message = down;
    if (event.state == SDL_RELEASED) {
        message = down + 1;
    } else {
        // The press after a single one, close in time and place, is a double
        // click; the press after a double click starts afresh.
        const Press& last = lastPress_;
        const bool isDouble = !last.wasDouble && last.button == event.button && last.window == event.windowID &&
                              event.timestamp - last.time <= doubleClickTime &&
                              std::abs(event.x - last.x) <= doubleClickDistance &&
                              std::abs(event.y - last.y) <= doubleClickDistance;
        if (isDouble)
            message = down + 2;
        lastPress_ = Press{event.button, event.windowID, event.x, event.y, event.timestamp, isDouble};
    }
    out.push_back(makeMessage(event.windowID, message, 0, packPoint(event.x, event.y)));
}
