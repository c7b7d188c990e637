// Input: input signals, records and the last mouse position.
#include "framework/Input.h"

#include "framework/CPlatform.h"

namespace {

int lastMouseX = 0;
int lastMouseY = 0;

void emitKey(int code, int action, bool keyDown = false)
{
    CInputMap record;
    record.value = code;
    record.action = action;
    record.code = code;
    record.keyDown = keyDown;
    keyboardInput().emit(record);
}

void emitButton(int button, int action)
{
    CInputMap record;
    record.position = CVector(static_cast<float>(lastMouseX), static_cast<float>(lastMouseY), 0.0f, 0.0f);
    record.action = action;
    record.code = button;
    mouseInput().emit(record);
}

}

CSignal<CInputMap&>& keyboardInput()
{
    // Never destroyed: receivers may still leave it during static destruction.
    static auto* signal = new CSignal<CInputMap&>();
    return *signal;
}

CSignal<CInputMap&>& mouseInput()
{
    static auto* signal = new CSignal<CInputMap&>();
    return *signal;
}

CVector mousePosition()
{
    return CVector(static_cast<float>(lastMouseX), static_cast<float>(lastMouseY), 0.0f, 0.0f);
}

CVector cursorScreenPosition()
{
    int x = 0;
    int y = 0;
    if (!platform().cursorScreenPosition(x, y))
        return CVector();
    return CVector(static_cast<float>(x), static_cast<float>(y), 0.0f, 0.0f);
}

void keyPressed(int code, bool keyDown)
{
    emitKey(code, CInputMap::pressed, keyDown);
}

void keyReleased(int code)
{
    emitKey(code, CInputMap::released);
}

void mouseDown(int button)
{
    emitButton(button, CInputMap::pressed);
}

void mouseUp(int button)
{
    emitButton(button, CInputMap::released);
}

void mouseDoubleClick(int button)
{
    emitButton(button, CInputMap::doubleClick);
}

void mouseMoved(int x, int y)
{
    lastMouseX = x;
    lastMouseY = y;
    CInputMap record;
    record.position = CVector(static_cast<float>(x), static_cast<float>(y), 0.0f, 0.0f);
    record.action = CInputMap::moved;
    record.code = CInputMap::mouseCode;
    mouseInput().emit(record);
}

void mouseWheel(int distance)
{
    CInputMap record;
    record.value = distance;
    record.action = CInputMap::wheel;
    record.code = CInputMap::mouseCode;
    mouseInput().emit(record);
}
