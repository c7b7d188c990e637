// ToolSettings: the per-user settings file (see the header).
#include "app/tool/ToolSettings.h"

#include "app/pack/AtlasFrames.h"
#include "app/pack/OptionValues.h"
#include "app/tool/ToolText.h"
#include "core/CSafeWriter.h"
#include "core/FileBytes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

const char* const modeNames[] = {"auto", "right", "down", "best"};
const char* const compressionNames[] = {"fast", "default", "best"};

bool isLargestSide(std::uint32_t side)
{
    return side == 1024 || side == 2048 || side == 4096 || side == 8192 || side == 16384;
}

bool readFlag(const std::string& value, bool fallback)
{
    if (value == "1")
        return true;
    if (value == "0")
        return false;
    return fallback;
}

bool readSpacing(const std::string& value, std::uint32_t& spacing)
{
    if (value.empty() || value.size() > 5 || value.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long number = std::stoul(value);
    if (number > ToolSettings::spacingLimit)
        return false;
    spacing = static_cast<std::uint32_t>(number);
    return true;
}

}

std::string toolSettingsPath()
{
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config != nullptr && config[0] == '/') {
        folder = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return {};
        folder = std::string(home) + "/.config";
    }
    return folder + "/quiltforger/settings.ini";
}

ToolSettings parseToolSettings(const std::string& text)
{
    ToolSettings settings;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "mode") {
            for (int i = 0; i < 4; ++i) {
                if (value == modeNames[i])
                    settings.mode = static_cast<PackMode>(i);
            }
        } else if (key == "centre") {
            settings.centre = readFlag(value, settings.centre);
        } else if (key == "tight") {
            settings.tight = readFlag(value, settings.tight);
        } else if (key == "spacing") {
            readSpacing(value, settings.spacing);
        } else if (key == "largest") {
            for (const std::uint32_t side : {1024u, 2048u, 4096u, 8192u, 16384u}) {
                if (value == std::to_string(side))
                    settings.largest = side;
            }
        } else if (key == "trim") {
            settings.trim = readFlag(value, settings.trim);
        } else if (key == "alias") {
            settings.alias = readFlag(value, settings.alias);
        } else if (key == "extrude") {
            std::uint32_t extrude = 0;
            if (readSpacing(value, extrude) && extrude <= ToolSettings::extrudeLimit)
                settings.extrude = extrude;
        } else if (key == "bleed") {
            settings.bleed = readFlag(value, settings.bleed);
        } else if (key == "premultiply") {
            settings.premultiply = readFlag(value, settings.premultiply);
        } else if (key == "pot") {
            settings.pot = readFlag(value, settings.pot);
        } else if (key == "square") {
            settings.square = readFlag(value, settings.square);
        } else if (key == "pages") {
            settings.pages = readFlag(value, settings.pages);
        } else if (key == "border") {
            std::uint32_t border = 0;
            if (value.empty())
                settings.border.reset();
            else if (readSpacing(value, border))
                settings.border = border;
        } else if (key == "rotate") {
            settings.rotate = readFlag(value, settings.rotate);
        } else if (key == "formats") {
            settings.json = settings.jsonArray = settings.gdxAtlas = settings.phaser3 = false;
            std::istringstream names(value);
            for (std::string name; std::getline(names, name, ',');) {
                settings.json = settings.json || name == "json";
                settings.jsonArray = settings.jsonArray || name == "json-array";
                settings.gdxAtlas = settings.gdxAtlas || name == "atlas";
                settings.phaser3 = settings.phaser3 || name == "phaser3";
            }
            settings.json = settings.json && !settings.jsonArray;
        } else if (key == "recursive") {
            settings.recursive = readFlag(value, settings.recursive);
        } else if (key == "flatten") {
            settings.flatten = readFlag(value, settings.flatten);
        } else if (key == "sort") {
            if (value == "natural" || value == "bytes")
                settings.order = value == "bytes" ? NameOrder::Bytes : NameOrder::Natural;
        } else if (key == "animations") {
            settings.animations = readFlag(value, settings.animations);
        } else if (key == "compression") {
            for (int i = 0; i < 3; ++i) {
                if (value == compressionNames[i])
                    settings.compression = static_cast<ImageCompression>(i);
            }
        } else if (key == "quality") {
            std::uint32_t quality = 0;
            if (value.empty())
                settings.quality = -1;
            else if (readSpacing(value, quality) && quality <= 100)
                settings.quality = static_cast<int>(quality);
        } else if (key == "jpegFlatten") {
            settings.jpegFlatten = readFlag(value, settings.jpegFlatten);
        } else if (key == "jpegFlattenColour") {
            if (value.size() == 7 && value[0] == '#' &&
                value.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos)
                settings.jpegFlattenColour = static_cast<std::uint32_t>(std::stoul(value.substr(1), nullptr, 16));
        } else if (key == "pivot") {
            SpritePivot pivot;
            if (value.empty())
                settings.pivot.reset();
            else if (parsePivot(value, pivot))
                settings.pivot = pivot;
        } else if (key == "scales") {
            std::vector<ScaleVariant> variants;
            if (parseScaleList(value, variants).empty())
                settings.variants = variants;
        } else if (key == "recent") {
            if (!value.empty() && value[0] == '/' && settings.recentProjects.size() < ToolSettings::recentLimit)
                settings.recentProjects.push_back(value);
        } else if (key.rfind("folder.", 0) == 0 && key.size() > 7 && !value.empty() && value[0] == '/') {
            settings.folders[key.substr(7)] = value;
        }
    }
    return settings;
}

ToolSettings loadToolSettings(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    // A settings file is a few lines; anything large is not ours.
    constexpr std::size_t largest = 64 * 1024;
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error) ||
        !readFileBytes(path.c_str(), bytes, "settings", nullptr, largest))
        return {};
    return parseToolSettings(std::string(bytes.begin(), bytes.end()));
}

std::string formatToolSettings(const ToolSettings& settings)
{
    std::string text = "# Quilt Forger settings, rewritten when the tool ends.\n";
    const int mode = settings.mode >= PackAuto && settings.mode <= PackBest ? settings.mode : PackAuto;
    text += std::string("mode=") + modeNames[mode] + "\n";
    text += std::string("centre=") + (settings.centre ? "1" : "0") + "\n";
    text += std::string("tight=") + (settings.tight ? "1" : "0") + "\n";
    text += "spacing=" + std::to_string(settings.spacing) + "\n";
    text += "largest=" + std::to_string(isLargestSide(settings.largest) ? settings.largest : 16384) + "\n";
    const auto flag = [&text](const char* key, bool value) { text += std::string(key) + (value ? "=1\n" : "=0\n"); };
    flag("trim", settings.trim);
    flag("alias", settings.alias);
    text += "extrude=" + std::to_string(std::min(settings.extrude, ToolSettings::extrudeLimit)) + "\n";
    flag("bleed", settings.bleed);
    flag("premultiply", settings.premultiply);
    flag("pot", settings.pot);
    flag("square", settings.square);
    flag("pages", settings.pages);
    text += "border=" + (settings.border ? std::to_string(std::min(*settings.border, ToolSettings::spacingLimit)) : "") +
            "\n";
    flag("rotate", settings.rotate);
    text += std::string("formats=xml") + (settings.json && !settings.jsonArray ? ",json" : "") +
            (settings.jsonArray ? ",json-array" : "") + (settings.gdxAtlas ? ",atlas" : "") +
            (settings.phaser3 ? ",phaser3" : "") + "\n";
    flag("recursive", settings.recursive);
    flag("flatten", settings.flatten);
    text += std::string("sort=") + (settings.order == NameOrder::Bytes ? "bytes" : "natural") + "\n";
    flag("animations", settings.animations);
    const int compression = static_cast<int>(settings.compression);
    text += std::string("compression=") + compressionNames[compression >= 0 && compression < 3 ? compression : 1] + "\n";
    text += "quality=" + (settings.quality >= 0 && settings.quality <= 100 ? std::to_string(settings.quality) : "") + "\n";
    flag("jpegFlatten", settings.jpegFlatten);
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(settings.jpegFlattenColour & 0xFFFFFF));
    text += std::string("jpegFlattenColour=") + colour + "\n";
    text += "pivot=" + (settings.pivot ? decimalText(settings.pivot->x) + "," + decimalText(settings.pivot->y) : "") +
            "\n";
    const std::string scales = scaleListText(settings.variants);
    text += "scales=" + (scales.find_first_of("\r\n") == std::string::npos ? scales : std::string()) + "\n";
    for (std::size_t i = 0; i < settings.recentProjects.size() && i < ToolSettings::recentLimit; ++i) {
        const std::string& path = settings.recentProjects[i];
        if (!path.empty() && path[0] == '/' && path.find_first_of("\r\n") == std::string::npos)
            text += "recent=" + path + "\n";
    }
    for (const auto& [dialog, folder] : settings.folders) {
        // A line break in a name would split the entry; such a folder is not kept.
        if (folder.find_first_of("\r\n") == std::string::npos && dialog.find_first_of("=\r\n") == std::string::npos)
            text += "folder." + dialog + "=" + folder + "\n";
    }
    return text;
}

bool saveToolSettings(const std::string& path, const ToolSettings& settings, std::string* error)
{
    if (path.empty()) {
        if (error != nullptr)
            *error = "no settings folder (neither XDG_CONFIG_HOME nor HOME is set)";
        return false;
    }
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), made);
    const std::string text = formatToolSettings(settings);
    return CSafeWriter::writeFile(path, text.data(), text.size(), error);
}
