// The program entry (see the header).
#include "framework/ApplicationMain.h"

#include "framework/CApp.h"

#include <cstring>
#include <string>

int runApplicationMain(int argc, char** argv)
{
    if (currentApp == nullptr)
        return 0;
    std::string line;
    for (int i = 1; i < argc && argv != nullptr; ++i) {
        const char* argument = argv[i] != nullptr ? argv[i] : "";
        if (i > 1)
            line += ' ';
        const bool quote = argument[0] == '\0' || std::strpbrk(argument, " \t") != nullptr;
        if (quote)
            line += '"';
        line += argument;
        if (quote)
            line += '"';
    }
    char* arguments[2] = {line.data(), nullptr};
    return currentApp->main(line.empty() ? 0 : 1, arguments);
}
