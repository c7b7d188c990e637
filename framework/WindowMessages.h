// WindowMessages: the numbering the engine uses for window messages, keys,
// show commands and size types.
//
// The engine speaks the classic desktop message numbering (move 3, size 5,
// key down 0x100, ...), virtual-key codes (arrows 37 to 40, letters 65 to 90)
// and show commands (0 hidden, 5 shown, 6 minimised), whatever the windowing
// layer underneath. The platform layer translates its own events into
// CWindowMessage values; the window procedure only ever sees these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One window message: the message number and its two parameters. Points are
// packed into the second parameter as two signed 16-bit halves (x low, y high).
struct CWindowMessage {
    std::uintptr_t window = 0;  // the platform's window identifier (opaque)
    unsigned int message = 0;
    int first = 0;
    int second = 0;
    std::vector<std::string> files;  // the paths of a drop message, in drop order
};

namespace WindowMessage {
inline constexpr unsigned int move = 0x0003;
inline constexpr unsigned int size = 0x0005;
inline constexpr unsigned int setFocus = 0x0007;
inline constexpr unsigned int killFocus = 0x0008;
inline constexpr unsigned int paint = 0x000F;
inline constexpr unsigned int close = 0x0010;
inline constexpr unsigned int quit = 0x0012;
inline constexpr unsigned int eraseBackground = 0x0014;
inline constexpr unsigned int showWindow = 0x0018;
inline constexpr unsigned int keyDown = 0x0100;
inline constexpr unsigned int keyUp = 0x0101;
inline constexpr unsigned int character = 0x0102;
inline constexpr unsigned int systemKeyDown = 0x0104;
inline constexpr unsigned int systemKeyUp = 0x0105;
inline constexpr unsigned int systemCharacter = 0x0106;
inline constexpr unsigned int systemCommand = 0x0112;
inline constexpr unsigned int mouseMove = 0x0200;
inline constexpr unsigned int leftButtonDown = 0x0201;
inline constexpr unsigned int leftButtonUp = 0x0202;
inline constexpr unsigned int leftButtonDoubleClick = 0x0203;
inline constexpr unsigned int rightButtonDown = 0x0204;
inline constexpr unsigned int rightButtonUp = 0x0205;
inline constexpr unsigned int rightButtonDoubleClick = 0x0206;
inline constexpr unsigned int middleButtonDown = 0x0207;
inline constexpr unsigned int middleButtonUp = 0x0208;
inline constexpr unsigned int middleButtonDoubleClick = 0x0209;
inline constexpr unsigned int mouseWheel = 0x020A;
// Files or folders dropped on the window; the first parameter is their count.
inline constexpr unsigned int dropFiles = 0x0233;

// First parameter of a system command (low four bits are reserved, so they
// are masked off before comparing).
inline constexpr int screenSaverCommand = 0xF140;
inline constexpr int monitorPowerCommand = 0xF170;

// One notch of the wheel.
inline constexpr int wheelDelta = 120;
}

namespace VirtualKey {
inline constexpr int backspace = 8;
inline constexpr int tab = 9;
inline constexpr int enter = 13;
inline constexpr int shift = 16;
inline constexpr int control = 17;
inline constexpr int alt = 18;
inline constexpr int pause = 19;
inline constexpr int capsLock = 20;
inline constexpr int escape = 27;
inline constexpr int space = 32;
inline constexpr int pageUp = 33;
inline constexpr int pageDown = 34;
inline constexpr int end = 35;
inline constexpr int home = 36;
inline constexpr int left = 37;
inline constexpr int up = 38;
inline constexpr int right = 39;
inline constexpr int down = 40;
inline constexpr int printScreen = 44;
inline constexpr int insert = 45;
inline constexpr int deleteKey = 46;
inline constexpr int digit0 = 48;   // '0' to '9' are 48 to 57
inline constexpr int letterA = 65;  // 'A' to 'Z' are 65 to 90
inline constexpr int leftWindows = 91;
inline constexpr int rightWindows = 92;
inline constexpr int applications = 93;
inline constexpr int numpad0 = 96;  // keypad 0 to 9 are 96 to 105
inline constexpr int multiply = 106;
inline constexpr int add = 107;
inline constexpr int subtract = 109;
inline constexpr int decimal = 110;
inline constexpr int divide = 111;
inline constexpr int f1 = 112;      // F1 to F24 are 112 to 135
inline constexpr int numLock = 144;
inline constexpr int scrollLock = 145;
inline constexpr int semicolon = 186;
inline constexpr int plus = 187;
inline constexpr int comma = 188;
inline constexpr int minus = 189;
inline constexpr int period = 190;
inline constexpr int slash = 191;
inline constexpr int backquote = 192;
inline constexpr int leftBracket = 219;
inline constexpr int backslash = 220;
inline constexpr int rightBracket = 221;
inline constexpr int quote = 222;
inline constexpr int oem102 = 226;  // the extra key left of Z on ISO keyboards
}

namespace ShowCommand {
inline constexpr int hide = 0;
inline constexpr int showNormal = 1;
inline constexpr int showMinimised = 2;
inline constexpr int maximise = 3;
inline constexpr int showNoActivate = 4;
inline constexpr int show = 5;
inline constexpr int minimise = 6;
inline constexpr int showMinimisedNoActivate = 7;
inline constexpr int showNotActive = 8;
inline constexpr int restore = 9;
}

// Packs two coordinates into one parameter as signed 16-bit halves (x low).
inline int packPoint(int x, int y)
{
    return static_cast<int>((static_cast<std::uint32_t>(y) & 0xFFFFu) << 16 | (static_cast<std::uint32_t>(x) & 0xFFFFu));
}

// The signed low and high 16-bit halves of a parameter.
inline int lowHalf(int value)
{
    return static_cast<std::int16_t>(static_cast<std::uint32_t>(value) & 0xFFFFu);
}

inline int highHalf(int value)
{
    return static_cast<std::int16_t>((static_cast<std::uint32_t>(value) >> 16) & 0xFFFFu);
}
