// Shortcuts: the key table (see the header).
#include "app/tool/Shortcuts.h"

#include "framework/CPlatform.h"
#include "framework/WindowMessages.h"

namespace {

struct Shortcut {
    int key;
    unsigned int modifiers;
    ToolCommand command;
    const char* text;
};

constexpr unsigned int ctrl = KeyModifier::control;
constexpr unsigned int shift = KeyModifier::shift;
constexpr unsigned int alt = KeyModifier::alt;

const Shortcut shortcuts[] = {
    {'N', ctrl, ToolCommand::newAtlas, "Ctrl+N"},
    {'O', ctrl, ToolCommand::addImages, "Ctrl+O"},
    {'S', ctrl, ToolCommand::saveAtlas, "Ctrl+S"},
    {'O', ctrl | shift, ToolCommand::openAtlas, "Ctrl+Shift+O"},
    {'S', ctrl | shift, ToolCommand::saveProject, "Ctrl+Shift+S"},
    {VirtualKey::deleteKey, 0, ToolCommand::removeImage, "Delete"},
    {VirtualKey::up, 0, ToolCommand::selectPrevious, "Up"},
    {VirtualKey::down, 0, ToolCommand::selectNext, "Down"},
    {VirtualKey::up, alt, ToolCommand::moveUp, "Alt+Up"},
    {VirtualKey::down, alt, ToolCommand::moveDown, "Alt+Down"},
    {VirtualKey::f1 + 10, 0, ToolCommand::fullScreen, "F11"},
};

}

ToolCommand shortcutFor(int virtualKey, unsigned int modifiers)
{
    for (const Shortcut& shortcut : shortcuts) {
        if (shortcut.key == virtualKey && shortcut.modifiers == modifiers)
            return shortcut.command;
    }
    return ToolCommand::none;
}

std::string shortcutText(ToolCommand command)
{
    for (const Shortcut& shortcut : shortcuts) {
        if (shortcut.command == command)
            return shortcut.text;
    }
    return {};
}
