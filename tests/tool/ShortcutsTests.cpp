// The window tool's keyboard shortcuts.
#include "app/tool/Shortcuts.h"

#include "framework/CPlatform.h"
#include "framework/WindowMessages.h"

#include <gtest/gtest.h>

TEST(Shortcuts, KeysAndModifiersChooseTheirCommand)
{
    constexpr unsigned int ctrl = KeyModifier::control;
    constexpr unsigned int shift = KeyModifier::shift;
    constexpr unsigned int alt = KeyModifier::alt;
    const struct {
        int key;
        unsigned int modifiers;
        ToolCommand command;
    } cases[] = {
        {'N', ctrl, ToolCommand::newAtlas},
        {'O', ctrl, ToolCommand::addImages},
        {'O', ctrl | shift, ToolCommand::openAtlas},
        {'S', ctrl, ToolCommand::saveAtlas},
        {'S', ctrl | shift, ToolCommand::saveProject},
        {VirtualKey::deleteKey, 0, ToolCommand::removeImage},
        {VirtualKey::up, 0, ToolCommand::selectPrevious},
        {VirtualKey::down, 0, ToolCommand::selectNext},
        {VirtualKey::up, alt, ToolCommand::moveUp},
        {VirtualKey::down, alt, ToolCommand::moveDown},
        {VirtualKey::f1 + 10, 0, ToolCommand::fullScreen},
        // Near misses do nothing.
        {'O', 0, ToolCommand::none},
        {'S', ctrl | alt, ToolCommand::none},
        {VirtualKey::deleteKey, ctrl, ToolCommand::none},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shortcutFor(c.key, c.modifiers), c.command) << c.key << " " << c.modifiers;
    EXPECT_EQ(shortcutText(ToolCommand::openAtlas), "Ctrl+Shift+O");
    EXPECT_EQ(shortcutText(ToolCommand::none), "");
}
