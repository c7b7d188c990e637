// CFileDialog: the selection's shape and the dialog in use (see the header).
#include "framework/CFileDialog.h"

#include "framework/CGtkFileDialog.h"

namespace {

CFileDialog* installed = nullptr;

// The folder part of a path, up to and including its last "/".
std::string folderWithSeparator(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}

std::vector<std::string> CFileSelection::paths() const
{
    if (names.empty())
        return path.empty() ? std::vector<std::string>{} : std::vector<std::string>{path};
    std::vector<std::string> result;
    result.reserve(names.size());
    const bool separated = !path.empty() && path.back() == '/';
    for (const std::string& name : names)
        result.push_back(path + (separated ? "" : "/") + name);
    return result;
}

CFileSelection selectionFromPaths(const std::vector<std::string>& paths)
{
    CFileSelection selection;
    if (paths.empty())
        return selection;
    if (paths.size() == 1) {
        selection.path = paths.front();
        return selection;
    }
    // The longest folder every path lies in.
    std::string shared = folderWithSeparator(paths.front());
    for (const std::string& path : paths) {
        while (!shared.empty() && path.compare(0, shared.size(), shared) != 0)
            shared = folderWithSeparator(shared.substr(0, shared.size() - 1));
    }
    for (const std::string& path : paths)
        selection.names.push_back(path.substr(shared.size()));
    // "/" stays as it is; any other folder loses its trailing separator.
    if (shared.size() > 1)
        shared.pop_back();
    selection.path = shared;
    return selection;
}

CFileDialog& fileDialog()
{
    if (installed != nullptr)
        return *installed;
    // Never destroyed, like the platform: the static application may still
    // be shutting down after function-local statics are gone.
    static CGtkFileDialog* const gtkDialog = new CGtkFileDialog;
    return *gtkDialog;
}

void setFileDialog(CFileDialog* replacement)
{
    installed = replacement;
}
