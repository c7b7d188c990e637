// The window procedure: handles one window message as the framework defines
// it, whatever windowing layer produced it.
//
// Moves, resizes, focus changes and close act on the current application
// (signals, running flag); keys, characters, buttons, motion and the wheel go
// to the input functions (Input.h); every message is then emitted raw on the
// application's message signal and handed to the platform's default handling.
// Erase-background and the screen-saver and monitor-power system commands end
// at once with 0. Without a current application, the application messages go
// straight to default handling and nothing is emitted raw.
#pragma once

#include "framework/WindowMessages.h"

int windowProcedure(const CWindowMessage& message);
