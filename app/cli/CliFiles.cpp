// Folder creation and error texts for the command-line commands.
#include "app/cli/CliFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

bool makeFolders(const std::string& folder)
{
    if (folder.empty())
        return true;
    std::size_t position = 0;
    while (position <= folder.size()) {
        const std::size_t next = folder.find('/', position);
        const std::string partial = folder.substr(0, next == std::string::npos ? folder.size() : next);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        if (next == std::string::npos)
            break;
        position = next + 1;
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return false;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

std::string reasonText(int code)
{
    std::string reason = std::strerror(code);
    if (reason.size() >= 2 && reason[0] >= 'A' && reason[0] <= 'Z' && (reason[1] < 'A' || reason[1] > 'Z'))
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    return reason;
}

std::string shown(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        out += escaped;
    }
    return out;
}
