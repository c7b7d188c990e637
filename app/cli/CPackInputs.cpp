// CPackInputs: folder walking, the skip counts and the output guard.
#include "app/cli/CPackInputs.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/SpriteNames.h"
#include "app/cli/CliFiles.h"
#include "xml/CXMLDocument.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

// Deeper folders than this are not walked: no real asset tree comes near it,
// and it bounds the recursion.
constexpr std::uint32_t maxFolderDepth = 64;
// How many different skipped endings the summary names.
constexpr std::size_t maxEndingsShown = 5;

bool endsWith(const std::string& text, const char* ending)
{
    const std::size_t length = std::strlen(ending);
    return text.size() >= length && text.compare(text.size() - length, length, ending) == 0;
}

// ".gif" for "anim.GIF"; "no ending" when the name has no dot after its first letter.
std::string endingOf(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string("no ending") : lowerAscii(name.substr(dot));
}

std::string plural(std::uint32_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}

ImageFileFormat inputImageFormat(const std::string& path)
{
    const std::string name = lowerAscii(fileNameOf(path));
    if (endsWith(name, ".jpeg"))
        return name.size() > 5 ? ImageFileFormat::Jpeg : ImageFileFormat::None;
    if (endsWith(name, ".webp"))
        return name.size() > 5 ? ImageFileFormat::Webp : ImageFileFormat::None;
    return name.size() > 4 ? imageFormatByEnding(name) : ImageFileFormat::None;
}

CPackInputs::CPackInputs(const std::vector<std::string>& outputs, bool recursive, NameOrder order, bool flatten)
    : recursive_(recursive), flatten_(flatten), order_(order)
{
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        struct stat info {};
        if (::stat(outputs[i].c_str(), &info) != 0)
            continue;
        outputs_.push_back(Output{outputs[i], FileId{info.st_dev, info.st_ino}});
        if (i == 0) {
            atlasId_ = outputs_.back().id;
            hasAtlasFile_ = true;
        }
    }
    if (outputs.size() < 2)
        return;
    // An earlier atlas beside the new one, perhaps under another ending: the
    // image the XML description there names.
    struct stat info {};
    if (::stat(outputs[1].c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    CXMLDocument description;
    if (!description.load(String(outputs[1].c_str())) || toStdString(description.name()) != "sprite")
        return;
    const std::string named = toStdString(description.attributeValue(String("file")));
    if (named.empty() || named != fileNameOf(named))
        return;
    const std::string earlier = joinPath(folderOf(outputs[0]), named);
    if (::stat(earlier.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        earlierAtlas_ = FileId{info.st_dev, info.st_ino};
        hasEarlierAtlas_ = true;
    }
}

bool CPackInputs::collect(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        struct stat info {};
        if (::stat(argument.c_str(), &info) != 0) {
            const int code = errno;
            files_.push_back(PackInput{argument, spriteName(fileNameOf(argument)), ImageFileFormat::None,
                                       reasonText(code), code == ENOENT});
            continue;
        }
        const FileId id{info.st_dev, info.st_ino};
        if (S_ISDIR(info.st_mode)) {
            if (!visitedFolders_.insert(id).second)
                continue;
            if (!addFolder(argument, 1, ""))
                return false;
            continue;
        }
        if (const Output* output = outputFor(id)) {
            std::fprintf(stderr, "%s: is also the output %s; choose another atlas name\n", shown(argument).c_str(),
                         shown(output->path).c_str());
            return false;
        }
        const ImageFileFormat format = inputImageFormat(argument);
        files_.push_back(PackInput{argument, spriteName(fileNameOf(argument)), format,
                                   format == ImageFileFormat::None ? "not a .bmp, .jpg, .jpeg, .png, .tga or .webp file" : ""});
    }
    return true;
}

bool CPackInputs::addFolder(const std::string& folder, std::uint32_t depth, const std::string& prefix)
{
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) {
        std::fprintf(stderr, "%s: cannot read the folder: %s\n", shown(folder).c_str(), reasonText(errno).c_str());
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (!name.empty() && name[0] != '.')
            names.push_back(name);
    }
    ::closedir(listing);
    sortNames(names, order_);
    noteDescribedAtlases(folder, names);
    for (const std::string& name : names) {
        const std::string path = joinPath(folder, name);
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            ++notRegular_; // a link that leads nowhere
            continue;
        }
        const FileId id{info.st_dev, info.st_ino};
        if (S_ISDIR(info.st_mode)) {
            if (!recursive_ || depth >= maxFolderDepth)
                ++subfolders_;
            else if (visitedFolders_.insert(id).second && !addFolder(path, depth + 1, prefix + name + "/"))
                return false;
        } else if (!S_ISREG(info.st_mode)) {
            ++notRegular_;
        } else if (!addFolderFile(path, spriteName(flatten_ ? name : prefix + name), id)) {
            return false;
        }
    }
    return true;
}

bool CPackInputs::addFolderFile(const std::string& path, const std::string& name, const FileId& id)
{
    const bool earlier = hasEarlierAtlas_ && sameFile(id, earlierAtlas_);
    if (hasAtlasFile_ && sameFile(id, atlasId_) && !earlier) {
        std::fprintf(stderr, "%s: is an image to pack and also the atlas being written, which would overwrite it; "
                     "choose another atlas name\n", shown(path).c_str());
        return false;
    }
    if (earlier || outputFor(id)) {
        ++ownOutputs_;
        return true;
    }
    if (describedAtlases_.count(id) != 0) {
        ++describedAtlasCount_;
        return true;
    }
    const ImageFileFormat format = inputImageFormat(path);
    if (format == ImageFileFormat::None) {
        ++withoutEnding_;
        skippedEndings_.insert(endingOf(fileNameOf(path)));
        return true;
    }
    files_.push_back(PackInput{path, name, format, ""});
    return true;
}

void CPackInputs::noteDescribedAtlases(const std::string& folder, const std::vector<std::string>& names)
{
    for (const std::string& atlas : atlasesDescribedIn(folder, names)) {
        struct stat info {};
        if (::stat(atlas.c_str(), &info) == 0)
            describedAtlases_.insert(FileId{info.st_dev, info.st_ino});
    }
}

const CPackInputs::Output* CPackInputs::outputFor(const FileId& id) const
{
    for (const Output& output : outputs_) {
        if (sameFile(output.id, id))
            return &output;
    }
    return nullptr;
}

std::string CPackInputs::skippedText() const
{
    const std::uint32_t total = withoutEnding_ + subfolders_ + notRegular_ + ownOutputs_ + describedAtlasCount_;
    if (total == 0)
        return std::string();
    std::vector<std::string> parts;
    if (withoutEnding_ > 0) {
        std::string part = plural(withoutEnding_, "without an image ending", "without an image ending") + " (";
        std::size_t shown = 0;
        for (const std::string& ending : skippedEndings_) {
            if (shown == maxEndingsShown) {
                part += ", ...";
                break;
            }
            part += (shown++ ? ", " : "") + ending;
        }
        parts.push_back(part + ")");
    }
    if (subfolders_ > 0)
        parts.push_back(plural(subfolders_, "subfolder", "subfolders") + (recursive_ ? " too deep" : " (see --recursive)"));
    if (notRegular_ > 0)
        parts.push_back(plural(notRegular_, "not a regular file", "not regular files"));
    if (ownOutputs_ > 0)
        parts.push_back(plural(ownOutputs_, "output of this pack", "outputs of this pack"));
    if (describedAtlasCount_ > 0)
        parts.push_back(plural(describedAtlasCount_, "atlas of a description", "atlases of descriptions"));
    std::string text = plural(total, "folder entry skipped: ", "folder entries skipped: ");
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i ? ", " : "") + parts[i];
    return text;
}
