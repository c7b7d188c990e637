// DataFolder: the data folder search (see the header).
#include "framework/DataFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#ifndef QF_INSTALL_DATADIR
#define QF_INSTALL_DATADIR "/usr/local/share/quiltforger"
#endif

namespace {

bool isFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}

std::string executableFolder()
{
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    buffer.resize(static_cast<std::size_t>(length));
    const std::size_t slash = buffer.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return buffer.substr(0, slash);
}

std::vector<std::string> dataFolderCandidates(const std::string& name)
{
    std::vector<std::string> candidates{name};
    const std::string exeFolder = executableFolder();
    if (!exeFolder.empty()) {
        candidates.push_back(exeFolder + "/" + name);
        // An installed tree moved as a whole: <prefix>/bin next to <prefix>/share.
        candidates.push_back(exeFolder + "/../share/quiltforger/" + name);
    }
    candidates.push_back(std::string(QF_INSTALL_DATADIR) + "/" + name);
    return candidates;
}

std::string findDataFolder(const std::string& name, const std::string& marker)
{
    for (const std::string& candidate : dataFolderCandidates(name)) {
        if (isFile(candidate + "/" + marker))
            return candidate;
    }
    return {};
}
