// Input: the process-wide input signals and the input functions the window
// procedure calls.
//
// keyboardInput and mouseInput are made on first use and live until process
// exit. Each input function builds one CInputMap and emits it; every
// receiver gets the same record, in connection order. The last mouse
// position is updated by every motion and used by button events.
#pragma once

#include "core/CSlotList.h"
#include "core/CVector.h"
#include "framework/CInputMap.h"

CSignal<CInputMap&>& keyboardInput();
CSignal<CInputMap&>& mouseInput();

// The last mouse position in client pixels (z and w 0).
CVector mousePosition();
// The cursor in screen coordinates, read now (z and w 0; all 0 when unknown).
CVector cursorScreenPosition();

// keyDown: the press comes from a key-down message (an arrow key) rather
// than a character message.
void keyPressed(int code, bool keyDown = false);
void keyReleased(int code);
void mouseDown(int button);
void mouseUp(int button);
void mouseDoubleClick(int button);
void mouseMoved(int x, int y);
void mouseWheel(int distance);
