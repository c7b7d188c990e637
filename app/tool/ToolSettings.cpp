// ToolSettings: the per-user settings file (see the header).
#include "app/tool/ToolSettings.h"

#include "core/CSafeWriter.h"
#include "core/FileBytes.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace {

const char* const modeNames[] = {"auto", "right", "down", "best"};

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
