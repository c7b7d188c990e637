// Shortcuts: the window tool's keyboard commands, as a table from key and
// modifiers to a command, so the mapping is tested without a window.
//
//   Ctrl+N new atlas            Ctrl+O add images        Ctrl+S save atlas
//   Ctrl+Shift+O open an atlas or a project   Ctrl+Shift+S save the project
//   Delete remove the image     Up/Down select
//   Alt+Up/Alt+Down move the selected image in the order
//   F11 full screen             Escape quit (asks when there are unsaved changes)
#pragma once

#include <string>

enum class ToolCommand {
    none,
    newAtlas,
    addImages,
    saveAtlas,
    openAtlas,
    saveProject,
    removeImage,
    selectPrevious,
    selectNext,
    moveUp,
    moveDown,
    fullScreen,
};

// The command for a key press (virtual-key code, KeyModifier bits), none for
// keys that are no shortcut. Letters are their capital virtual keys ('O').
ToolCommand shortcutFor(int virtualKey, unsigned int modifiers);

// The shortcut a person reads for a command ("Ctrl+S"), empty for none.
std::string shortcutText(ToolCommand command);
