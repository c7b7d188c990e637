// ToolSettings: what the window tool remembers per user between runs: the
// last folder of each file dialog and the packing options.
//
// The file is $XDG_CONFIG_HOME/quiltforger/settings.ini (~/.config when
// XDG_CONFIG_HOME is unset or not absolute), plain "key=value" lines:
//
//   mode=auto|right|down|best   centre=0|1   tight=0|1   spacing=N
//   largest=1024|2048|4096|8192|16384
//   folder.add=PATH  folder.save=PATH  folder.unpack=PATH  folder.open=PATH
//
// Reading is forgiving: a missing, unreadable or damaged file, an unknown
// key or a value out of range gives the default for that value, never an
// error. Writing goes through CSafeWriter (a temporary file renamed over the
// old one), so a crash never leaves a half-written file.
#pragma once

#include "app/pack/CPacker.h"

#include <cstdint>
#include <map>
#include <string>

struct ToolSettings {
    // The largest spacing kept; larger values read as the default.
    static constexpr std::uint32_t spacingLimit = 4096;

    PackMode mode = PackAuto;
    bool centre = false;
    bool tight = true;
    std::uint32_t spacing = 0;
    // Dialog ("add", "save", "unpack", "open") to the folder last used there.
    std::map<std::string, std::string> folders;
    // The largest side of an atlas page, one of the window's choices.
    std::uint32_t largest = 16384;

    bool operator==(const ToolSettings&) const = default;
};

// The settings file's path from the environment; empty when neither
// XDG_CONFIG_HOME nor HOME gives a folder.
std::string toolSettingsPath();

// Reads the file; defaults for whatever is missing or damaged.
ToolSettings loadToolSettings(const std::string& path);
// Reads the settings from text (the file's content).
ToolSettings parseToolSettings(const std::string& text);
// The file's content for these settings.
std::string formatToolSettings(const ToolSettings& settings);
// Writes the file, making its folder when needed. False with the reason.
bool saveToolSettings(const std::string& path, const ToolSettings& settings, std::string* error);
