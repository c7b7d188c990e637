// ToolSettings: what the window tool remembers per user between runs: the
// last folder of each file dialog and the packing options.
//
// The file is $XDG_CONFIG_HOME/quiltforger/settings.ini (~/.config when
// XDG_CONFIG_HOME is unset or not absolute), plain "key=value" lines:
//
//   mode=auto|right|down|best   centre=0|1   tight=0|1   spacing=N
//   largest=1024|2048|4096|8192|16384
//   folder.add=PATH  folder.save=PATH  folder.unpack=PATH  folder.open=PATH
//   trim=0|1  alias=0|1  extrude=N  bleed=0|1  premultiply=0|1  pot=0|1
//   square=0|1  pages=0|1  border=N|(empty: the spacing)  rotate=0|1
//   formats=xml,json,json-array,atlas,phaser3  recursive=0|1  flatten=0|1
//   sort=natural|bytes  animations=0|1
//   compression=fast|default|best  quality=N|(empty: lossless)
//   jpegFlatten=0|1  jpegFlattenColour=#RRGGBB
//   pivot=X,Y|(empty: none)  scales=2 @2x, 1, 0.5|(empty: none)
//   recent=PATH (one line per recent project, newest first)
//
// Reading is forgiving: a missing, unreadable or damaged file, an unknown
// key or a value out of range gives the default for that value, never an
// error. Writing goes through CSafeWriter (a temporary file renamed over the
// old one), so a crash never leaves a half-written file.
#pragma once

#include "app/pack/CPacker.h"
#include "app/pack/PackSettings.h"
#include "app/pack/NaturalOrder.h"
#include "image/ImageWriteOptions.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

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
    // The further options, as a project holds them (PackSettings).
    static constexpr std::uint32_t extrudeLimit = 8;
    bool trim = false;
    bool alias = false;
    std::uint32_t extrude = 0;
    bool bleed = false;
    bool premultiply = false;
    bool pot = false;
    bool square = false;
    bool pages = false; // always write pages (atlas-1, ...), not only when needed
    std::optional<std::uint32_t> border;
    bool rotate = false;
    bool json = false;
    bool jsonArray = false;
    bool gdxAtlas = false;
    bool phaser3 = false;
    bool recursive = false;
    bool flatten = false;
    NameOrder order = NameOrder::Natural;
    bool animations = true;
    ImageCompression compression = ImageCompression::Default;
    int quality = -1; // WebP quality 0 to 100; -1: lossless
    bool jpegFlatten = false;
    std::uint32_t jpegFlattenColour = 0x000000;
    std::optional<SpritePivot> pivot;   // the default pivot
    std::vector<ScaleVariant> variants; // as the options panel writes them
    // Projects opened or saved, newest first.
    static constexpr std::size_t recentLimit = 8;
    std::vector<std::string> recentProjects;

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
