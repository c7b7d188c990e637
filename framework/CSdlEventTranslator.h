// CSdlEventTranslator: turns SDL events into the engine's window messages.
//
// This is the one place that knows both numberings. Keys become virtual-key
// codes; typed text becomes one character message per character, and the
// control characters that SDL's text input never delivers (Escape 27,
// Backspace 8, Enter 13, Tab 9, Ctrl+letter 1 to 26) are made from the key
// press, as the classic translation step does. Mouse buttons become
// press/release/double-click messages with the position packed into the second
// parameter; a press is a double click only when it follows a single press of
// the same button within doubleClickTime and doubleClickDistance pixels (the
// desktop's usual values; SDL's own count allows 32 pixels, so two quick
// clicks on neighbouring controls were taken for one double click); wheel notches are scaled to 120 per notch in the high half of the
// first parameter. Window events become move, size (with its size type),
// focus, show, paint and close messages; SDL_QUIT becomes the quit message.
// The files of one drag-and-drop (SDL_DROPBEGIN, one SDL_DROPFILE each,
// SDL_DROPCOMPLETE) become one drop message carrying all their paths.
//
// The translator keeps a little state (the last client size for size
// messages, maximised, the modifier keys last seen) and makes no SDL calls, so
// tests feed it hand-built events.
#pragma once

#include "framework/WindowMessages.h"

#include <SDL.h>

#include <deque>
#include <string>
#include <vector>

class CSdlEventTranslator {
public:
    // GTK's defaults for gtk-double-click-time and gtk-double-click-distance.
    static constexpr Uint32 doubleClickTime = 400;
    static constexpr int doubleClickDistance = 5;

    // Appends the messages for one event (none for events the engine ignores).
    void translate(const SDL_Event& event, std::deque<CWindowMessage>& out);

    // The modifier keys of the last key event translated (SDL's KMOD bits).
    Uint16 modifiers() const { return modifiers_; }

    // Seeds the client size reported with restore and maximise messages.
    void setClientSize(int width, int height);

    // The virtual-key code for a key, 0 when it has none.
    static int virtualKey(SDL_Keycode key, SDL_Scancode scancode);
    // The character code a key press makes besides typed text (Escape,
    // Backspace, Enter, Tab and Ctrl combinations), -1 for none.
    static int controlCharacter(SDL_Keycode key, Uint16 modifiers);

private:
    void translateWindowEvent(const SDL_WindowEvent& event, std::deque<CWindowMessage>& out);
    void translateKey(const SDL_KeyboardEvent& event, std::deque<CWindowMessage>& out);
    void translateText(const SDL_TextInputEvent& event, std::deque<CWindowMessage>& out);
    void translateButton(const SDL_MouseButtonEvent& event, std::deque<CWindowMessage>& out);
    void translateDrop(const SDL_DropEvent& event, std::deque<CWindowMessage>& out);

    int width_ = 0;
    int height_ = 0;
    bool maximised_ = false;
    Uint16 modifiers_ = 0;
    std::vector<std::string> dropped_;  // the paths of the drop under way
    // The last button press, for telling double clicks from two clicks.
    struct Press {
        Uint8 button = 0;
        Uint32 window = 0;
        int x = 0;
        int y = 0;
        Uint32 time = 0;
        bool wasDouble = true;  // no press yet: the next is a single one
    } lastPress_;  // the paths of the drop under way
};
