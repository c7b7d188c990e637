// CInputMap: one keyboard or mouse event, built on the stack by the input
// functions (Input.h) and passed by reference on keyboardInput and
// mouseInput. Receivers must not keep it.
//
//   event            value                 position        action  code
//   key press        key or character      0, 0            1       = value
//   key release      virtual key           0, 0            0       = value
//   button down/up   0                     last mouse pos  1 / 0   button (0 left, 1 right, 2 middle)
//   double click     0                     last mouse pos  2       button
//   mouse move       0                     new position    3       146
//   wheel            distance (120/notch)  0, 0            4       146
//
// A key press made from a key-down message (the arrow keys) has the same
// value as the character with that code ('%' to '(' for 37 to 40); its
// `keyDown` flag tells the two apart, so text fields type only characters.
#pragma once

#include "core/CVector.h"

class CInputMap {
public:
    enum Action {
        released = 0,
        pressed = 1,
        doubleClick = 2,
        moved = 3,
        wheel = 4,
    };
    // The code of motion and wheel events.
    static constexpr int mouseCode = 146;

    int value = 0;
    CVector position;  // x, y in client pixels for mouse buttons and motion; z, w 0
    int action = 0;
    int code = 0;
    bool keyDown = false;  // key press from a key-down message, not a character
};
