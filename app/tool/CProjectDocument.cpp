// CProjectDocument: the window's open project (see the header).
#include "app/tool/CProjectDocument.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/NaturalOrder.h"
#include "app/pack/SpriteNames.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace {

// A folder's image files by their ending in any letter case (".jpeg" too),
// as the command line reads them.
bool isImageName(const std::string& name)
{
    const std::string lower = lowerAscii(name);
    if (lower.size() > 5 && lower.compare(lower.size() - 5, 5, ".jpeg") == 0)
        return true;
    return imageFormatByEnding(lower) != ImageFileFormat::None;
}

// Subfolders deeper than this are not walked (links that lead back).
constexpr std::uint32_t deepestFolder = 64;

// The command line's walk (CPackInputs): the folder's entries sorted
// together, hidden ones passed over, a subfolder walked where it sorts
// (with `recursive`), an atlas a description there names passed over,
// each file named by its path below the folder given
// ("hero/walk_1.png") unless `flatten`; each folder once, however links
// lead back to it.
using FolderId = std::pair<dev_t, ino_t>;
void addFolder(const std::string& input, const std::string& folder, const std::string& prefix,
               const PackSettings& settings, std::uint32_t depth, std::set<FolderId>& visited,
               std::vector<CProjectDocument::ImageFile>& files)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !visited.insert({info.st_dev, info.st_ino}).second)
        return;
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.empty() && name[0] != '.')
            names.push_back(name);
    }
    sortNames(names, settings.order);
    const std::vector<std::string> earlierAtlases = atlasesDescribedIn(folder, names);
    for (const std::string& name : names) {
        const std::string path = joinPath(folder, name);
        std::error_code sameError;
        if (std::any_of(earlierAtlases.begin(), earlierAtlases.end(), [&](const std::string& atlas) {
                return std::filesystem::equivalent(atlas, path, sameError);
            }))
            continue;
        std::error_code typeError;
        if (std::filesystem::is_directory(path, typeError)) {
            if (settings.recursive && depth < deepestFolder)
                addFolder(input, path, prefix + name + "/", settings, depth + 1, visited, files);
        } else if (std::filesystem::is_regular_file(path, typeError) && isImageName(name)) {
            files.push_back({path, spriteName(settings.flatten ? name : prefix + name), input});
        }
    }
}

}

void CProjectDocument::clear()
{
    path_.clear();
    project_ = CProject();
    outputsChanged_ = false;
}

bool CProjectDocument::open(const std::string& path, std::string& error)
{
    CProject project;
    if (!project.load(path, error))
        return false;
    project_ = std::move(project);
    path_ = path;
    outputsChanged_ = false;
    return true;
}

bool CProjectDocument::save(const std::string& path, const PackSettings& settings, std::string& error)
{
    CProject project = project_;
    project.settings = settings;
    if (project.settings.atlasPath.empty()) {
        std::string stem = fileNameOf(path);
        const std::size_t dot = stem.rfind('.');
        if (dot != std::string::npos && dot > 0)
            stem.resize(dot);
        project.settings.atlasPath = joinPath(folderOf(path), stem + ".png");
    }
    // The quality makes a WebP atlas lossy and means nothing for the other
    // formats, whose pack refuses it: it is kept in the window's settings.
    if (imageFormatByEnding(project.settings.atlasPath) != ImageFileFormat::Webp)
        project.settings.quality = -1;
    if (!project.save(path, error))
        return false;
    project_ = std::move(project);
    path_ = path;
    outputsChanged_ = false;
    return true;
}

std::string CProjectDocument::title(bool modified) const
{
    std::string text = "Quilt Forger";
    if (!path_.empty())
        text += "  -  " + fileNameOf(path_);
    if (modified)
        text += " *";
    return text;
}

void CProjectDocument::remember(std::vector<std::string>& recent, const std::string& path, std::size_t limit)
{
    std::error_code error;
    const std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    recent.erase(std::remove(recent.begin(), recent.end(), absolute), recent.end());
    recent.insert(recent.begin(), absolute);
    if (recent.size() > limit)
        recent.resize(limit);
}

std::vector<CProjectDocument::ImageFile> CProjectDocument::imageFiles(const PackSettings& settings)
{
    std::vector<ImageFile> files;
    std::set<FolderId> visited;
    for (const std::string& input : settings.inputs) {
        std::error_code error;
        if (std::filesystem::is_directory(input, error))
            addFolder(input, input, "", settings, 1, visited, files);
        else
            files.push_back({input, spriteName(fileNameOf(input)), std::string()});
    }
    return files;
}
