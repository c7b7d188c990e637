// The window procedure (see the header).
#include "framework/WindowProcedure.h"

#include "framework/CApp.h"
#include "framework/Input.h"

namespace {

// Handles the input messages; false for any other message.
bool handleInput(const CWindowMessage& message)
{
    namespace M = WindowMessage;
    const unsigned int number = message.message;
    if (number >= M::leftButtonDown && number <= M::middleButtonDoubleClick) {
        const unsigned int offset = number - M::leftButtonDown;
        const int button = static_cast<int>(offset / 3);
        switch (offset % 3) {
        case 0:
            mouseDown(button);
            break;
        case 1:
            mouseUp(button);
            break;
        default:
            mouseDoubleClick(button);
            break;
        }
        return true;
    }
    switch (number) {
    case M::keyDown:
        // Other keys arrive as character messages.
        if (message.first >= VirtualKey::left && message.first <= VirtualKey::down)
            keyPressed(message.first, true);
        return true;
    case M::keyUp:
        keyReleased(message.first);
        return true;
    case M::character:
        keyPressed(message.first);
        return true;
    case M::mouseMove:
        mouseMoved(lowHalf(message.second), highHalf(message.second));
        return true;
    case M::mouseWheel:
        mouseWheel(highHalf(message.first));
        return true;
    default:
        return false;
    }
}

// Handles the messages that act on the application; false for any other.
bool handleApplication(CApp& app, const CWindowMessage& message)
{
    namespace M = WindowMessage;
    switch (message.message) {
    case M::move:
        app.onMove.emit(lowHalf(message.second), highHalf(message.second));
        return true;
    case M::size:
        app.onResize.emit(lowHalf(message.second), highHalf(message.second),
                          static_cast<CDisplay::SizeType>(message.first));
        return true;
    case M::setFocus:
        app.onFocus.emit(true);
        return true;
    case M::killFocus:
        app.onFocus.emit(false);
        return true;
    case M::close:
        app.stop();
        return true;
    case M::dropFiles:
        app.onDropFiles.emit(message.files);
        return true;
    default:
        return false;
    }
}

bool isApplicationMessage(unsigned int number)
{
    namespace M = WindowMessage;
    return number == M::move || number == M::size || number == M::setFocus || number == M::killFocus ||
           number == M::close || number == M::dropFiles;
}

}

int windowProcedure(const CWindowMessage& message)
{
    namespace M = WindowMessage;
    if (message.message == M::eraseBackground)
        return 0;
    if (message.message == M::systemCommand) {
        const int command = message.first & 0xFFF0;
        if (command == M::screenSaverCommand || command == M::monitorPowerCommand)
            return 0;
    }

    CApp* app = currentApp;
    if (app == nullptr) {
        if (!isApplicationMessage(message.message))
            handleInput(message);
        return platform().defaultProcedure(message);
    }
    // A close the application refuses (it asked, and the person kept the
    // window) goes no further: the default handling would hide the window.
    if (message.message == M::close && !app->queryClose()) {
        if (currentApp == app)
            app->onMessage.emit(message.message, message.first, message.second);
        return 0;
    }
    if (!handleApplication(*app, message))
        handleInput(message);
    // A handler may have destroyed the application; emit only on a live one.
    if (currentApp == app)
        app->onMessage.emit(message.message, message.first, message.second);
    return platform().defaultProcedure(message);
}
