// libFuzzer harness for the window tool's settings file: any bytes must read
// as settings without crashing, and what is read must write and read back to
// the same settings.
#include "app/tool/ToolSettings.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ToolSettings settings = parseToolSettings(text);
    if (settings.spacing > ToolSettings::spacingLimit)
        __builtin_trap();
    const ToolSettings again = parseToolSettings(formatToolSettings(settings));
    // Folders and recent projects holding a line break are not written; all else must survive.
    ToolSettings expected = settings;
    for (auto it = expected.folders.begin(); it != expected.folders.end();) {
        if (it->second.find_first_of("\r\n") != std::string::npos || it->first.find_first_of("=\r\n") != std::string::npos)
            it = expected.folders.erase(it);
        else
            ++it;
    }
    std::erase_if(expected.recentProjects,
                  [](const std::string& path) { return path.find_first_of("\r\n") != std::string::npos; });
    expected.json = expected.json && !expected.jsonArray;
    if (!(again == expected))
        __builtin_trap();
    return 0;
}
