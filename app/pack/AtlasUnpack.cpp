// Atlas unpack through the resource-list reader.
#include "app/pack/AtlasUnpack.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/SpritePixels.h"
#include "core/CFolderLock.h"
#include "core/CSafeWriter.h"
#include "image/CImage.h"
#include "image/ImageLimits.h"
#include "image/PngCodec.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLDocument.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <set>
#include <sys/stat.h>
#include <vector>

namespace {

bool isAbsolute(const std::string& path)
{
    return !path.empty() && (path[0] == '/' || path[0] == '\\');
}

// Makes the root's "file" attribute relative to the description's folder.
void resolveAtlasFile(CXMLNode& root, const std::string& descriptionFolder)
{
    CXMLAttribute* file = root.findAttribute("file", 1);
    if (!file)
        return;
    const std::string path = toStdString(file->value());
    if (path.empty() || isAbsolute(path) || descriptionFolder.empty())
        return;
    const std::string resolved = joinPath(descriptionFolder, path);
    file->setValue(String(resolved.c_str(), static_cast<std::uint32_t>(resolved.size())));
}

// strerror's text with its first letter in lower case, as messages read.
std::string lowerFirst(std::string text)
{
    if (text.size() >= 2 && text[0] >= 'A' && text[0] <= 'Z' && (text[1] < 'A' || text[1] > 'Z'))
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

}

void cutAtlasFrame(const CImage& atlas, const SpriteFrame& frame, CImage& out)
{
    out.create(frame.w, frame.h, atlas.getChannels(), atlas.getBitsPerPixel());
    const std::uint64_t atlasHeight = atlas.getHeight();
    const std::uint64_t top = frame.y;
    if (top >= atlasHeight || frame.x >= atlas.getWidth())
        return;
    // Rows that exist: the source is stored bottom-up, so the frame's top row
    // is atlasHeight - top - 1 and the block starts at its lowest visible row.
    const std::uint64_t bottom = top + frame.h < atlasHeight ? top + frame.h : atlasHeight;
    const std::uint32_t rows = static_cast<std::uint32_t>(bottom - top);
    const std::uint32_t srcY = static_cast<std::uint32_t>(atlasHeight - bottom);
    out.blitRect(atlas, 0, 0, frame.x, srcY, frame.w, rows);
}

namespace {

// Where a trimmed frame goes back: its offset in an image of the original
// size ("offsetX", "offsetY", "originalW", "originalH" on its element).
struct FrameRestore {
    bool rotated = false;   // stored turned 90 degrees ("rotated" not 0)
    bool clockwise = true;  // "rotated" above 0: clockwise; below: counter-clockwise
    bool trimmed = false;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
};

// A number attribute read by its leading decimal text, as the resource
// reader reads numbers; 0 when there is none, clamped far outside any size.
std::int64_t numberAttribute(const CXMLNode& node, const char* name)
{
    const std::string text = toStdString(node.attributeValue(name, 1));
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), std::int64_t(1) << 40);
    return negative ? -value : value;
}

// One entry per sprite frame the reader made from the element's children:
// one frame per child up to the first "array" child (which makes many, and
// which the save never writes); frames after it are restored as they are.
std::vector<FrameRestore> frameRestores(const CXMLNode& root)
{
    std::vector<FrameRestore> restores;
    for (std::uint32_t i = 0; i < root.childCount(); ++i) {
        const CXMLNode& child = *root.child(i);
        if (child.findAttribute("array", 1))
            break;
        FrameRestore restore;
        restore.rotated = numberAttribute(child, "rotated") != 0;
        restore.clockwise = numberAttribute(child, "rotated") > 0;
        restore.trimmed = child.findAttribute("originalW", 1) || child.findAttribute("originalH", 1);
        if (restore.trimmed) {
            restore.x = numberAttribute(child, "offsetX");
            restore.y = numberAttribute(child, "offsetY");
            restore.width = numberAttribute(child, "originalW");
            restore.height = numberAttribute(child, "originalH");
        }
        restores.push_back(restore);
    }
    return restores;
}

// Why a trimmed frame cannot go back into its original, or "".
std::string restoreProblem(const SpriteFrame& frame, const FrameRestore& restore)
{
    const std::int64_t w = restore.rotated ? frame.h : frame.w;
    const std::int64_t h = restore.rotated ? frame.w : frame.h;
    if (restore.x < 0 || restore.y < 0 || restore.x + w > restore.width || restore.y + h > restore.height)
        return "its offset and original size do not hold its rectangle";
    std::string sizeError;
    if (restore.width > 0xFFFFFFFFll || restore.height > 0xFFFFFFFFll)
        return "its original size is too large";
    if (!checkImageSize(static_cast<std::uint32_t>(restore.width), static_cast<std::uint32_t>(restore.height), "PNG",
                        &sizeError))
        return sizeError;
    return std::string();
}

// True when `name` stays below the folder it is joined to: "/"-separated
// parts, none empty, "." or "..", and no "\\" (another system's separator).
bool isSafeSubpath(const std::string& name)
{
    if (name.find('\\') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = name.find('/', start);
        const std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty() || part == "." || (part == ".." && end != std::string::npos))
            return false;
        if (end == std::string::npos)
            return part != ".." || start == 0; // a whole name ".." is the plain file "...png"
        start = end + 1;
    }
}

// Creates the subfolders of `name` (a safe subpath) below `folder`; an
// existing one must be a real folder, never a link that could lead
// elsewhere. False with the reason.
bool makeSubfolders(const std::string& folder, const std::string& name, std::string& error)
{
    std::string path = folder;
    for (std::size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
        path = joinPath(folder, name.substr(0, slash));
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) {
            if (!S_ISDIR(info.st_mode)) {
                error = path + ": is not a folder";
                return false;
            }
        } else if (::mkdir(path.c_str(), 0777) != 0) {
            error = "cannot create the folder " + path + ": " + lowerFirst(std::strerror(errno));
            return false;
        }
    }
    return true;
}

// The frame's file name, or why it is refused.
bool outputName(const SpriteFrame& frame, int& unnamedCounter, std::string& name, std::string& problem)
{
    std::string base = toStdString(frame.name);
    if (base.empty())
        base = std::to_string(unnamedCounter++);
    name = base + ".png";
    if (!isSafeSubpath(base)) {
        problem = "frame \"" + base + "\" not written: its name holds a folder separator that leads outside the "
                  "output folder";
        return false;
    }
    if (frame.refusal) {
        problem = "frame \"" + base + "\" not written: " + frame.refusal;
        return false;
    }
    if (frame.w == 0 || frame.h == 0) {
        problem = "frame \"" + base + "\" not written: its rectangle is empty";
        return false;
    }
    std::string sizeError;
    if (!checkImageSize(frame.w, frame.h, "PNG", &sizeError)) {
        problem = "frame \"" + base + "\" not written: " + sizeError;
        return false;
    }
    return true;
}

bool writeFrame(const CImage& image, const std::string& folder, const std::string& name, std::string* error)
{
    const std::vector<std::uint8_t> bytes =
        encodePng(image.getWidth(), image.getHeight(), image.getBitsPerPixel(), image.getData(), error);
    if (bytes.empty())
        return false;
    std::string reason;
    if (!makeSubfolders(folder, name, reason)) {
        if (error)
            *error = reason;
        return false;
    }
    // A link at a frame's name is replaced, never followed: the frames go
    // into this folder only.
    CSafeWriter file;
    if (!file.openReplacingLink(joinPath(folder, name), error))
        return false;
    file.write(bytes.data(), bytes.size());
    return file.commit(error);
}

// The other descriptions the pack writes, which unpack does not read.
std::string otherDescriptionKind(const std::string& path)
{
    const std::string name = lowerAscii(fileNameOf(path));
    const auto endsWith = [&](const char* ending) {
        const std::size_t size = std::strlen(ending);
        return name.size() > size && name.compare(name.size() - size, size, ending) == 0;
    };
    if (endsWith(".json"))
        return "a JSON description";
    if (endsWith(".atlas"))
        return "a libGDX/Spine .atlas description";
    return std::string();
}

// Creates `folder` and its missing parents; false with errno set.
bool makeFolderPath(const std::string& folder)
{
    if (folder.empty())
        return true;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    const std::string parent = folderOf(folder);
    if (!parent.empty() && parent != folder && !makeFolderPath(parent))
        return false;
    return ::mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

// Undoes premultiplied alpha as closely as 8 bits allow: each colour is the
// stored one times 255 over alpha, rounded and capped at 255 (within 1 of
// the packed colour where alpha is high; colour under alpha 0 is lost and
// stays 0).
void unpremultiply(CImage& image)
{
    if (image.getChannels() != 4 || image.getBitsPerPixel() != 32)
        return;
    std::uint8_t* p = image.getData();
    const std::size_t pixels = std::size_t(image.getWidth()) * image.getHeight();
    for (std::size_t i = 0; i < pixels; ++i, p += 4) {
        const std::uint32_t alpha = p[3];
        if (alpha == 255 || alpha == 0)
            continue;
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (p[c] * 255u + alpha / 2) / alpha));
    }
}

}

std::string frameOutsideAtlas(const CImage& atlas, std::uint64_t x, std::uint64_t y, std::uint64_t w,
                              std::uint64_t h)
{
    if (x + w <= atlas.getWidth() && y + h <= atlas.getHeight())
        return std::string();
    return "its rectangle (" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(w) + " x " +
           std::to_string(h) + ") does not lie inside the atlas image (" + std::to_string(atlas.getWidth()) + " x " +
           std::to_string(atlas.getHeight()) + ")";
}

bool unpackAtlas(const std::string& descriptionPath, const std::string& outputFolder, AtlasUnpackReport& report,
                 bool replaceExisting)
{
    report = AtlasUnpackReport();
    // A pack into the description's folder holds this lock while it puts
    // its files in place: the description and its atlas are of one pack.
    CFolderLock lock;
    lock.acquire(folderOf(descriptionPath), CFolderLock::Kind::Shared);
    CXMLDocument document;
    const std::string parseError = document.loadDetailed(String(descriptionPath.c_str()));
    if (!parseError.empty() || !document.isComplete()) {
        struct stat info {};
        const std::string kind = otherDescriptionKind(descriptionPath);
        if (::stat(descriptionPath.c_str(), &info) != 0)
            report.error = descriptionPath + ": " + lowerFirst(std::strerror(errno));
        else if (!kind.empty())
            report.error = descriptionPath + " is " + kind + "; unpack reads the XML description (ATLAS.xml)";
        else if (S_ISDIR(info.st_mode))
            report.error = descriptionPath + ": is a folder";
        else if (!parseError.empty() && parseError.rfind("XML: cannot", 0) == 0)
            report.error = descriptionPath + ": " + parseError.substr(5);
        else
            report.error = descriptionPath + ": not well-formed XML (" +
                           (parseError.empty() ? std::string("the text ends inside an element")
                                               : parseError.substr(5)) + ")";
        return false;
    }

    // The reader processes the children of the node it is given, so the
    // description's root goes into a wrapper.
    const std::string descriptionFolder = folderOf(descriptionPath);
    CXMLNode root(document);
    resolveAtlasFile(root, descriptionFolder);
    CXMLNode wrapper;
    wrapper.addChild(root);

    CResourceManager resources;
    resources.setTextureOptions(0xFFFFFFFFu, false, false, false, false);
    resources.loadList(wrapper);

    CSprite* sprite = dynamic_cast<CSprite*>(resources.getResource(1));
    CTexture* atlas = dynamic_cast<CTexture*>(resources.getResource(0));
    if (!sprite || !atlas) {
        const std::string file = toStdString(root.attributeValue("file", 1));
        if (toStdString(root.name()) != "sprite" || file.empty())
            report.error = descriptionPath + ": holds no sprite with a \"file\" attribute";
        else
            report.error = descriptionPath + ": the atlas image " + file + " is not a .bmp, .jpg, .png, .tga or .webp file";
        return false;
    }
    if (!atlas->getData()) {
        // Load once more only to learn the codec's reason.
        CImage probe;
        std::string reason;
        loadImageByEnding(toStdString(atlas->getFile()), probe, &reason);
        report.error = "cannot load the atlas image " + toStdString(atlas->getFile()) +
                       (reason.empty() ? std::string() : ": " + reason);
        return false;
    }

    const std::string folder = outputFolder.empty() ? descriptionFolder : outputFolder;
    if (!makeFolderPath(folder)) {
        report.error = "cannot create the folder " + folder + ": " + lowerFirst(std::strerror(errno));
        return false;
    }
    if (!replaceExisting) {
        // Frames are often unpacked beside their source art: nothing is
        // replaced unless asked, and the check comes before any write.
        int counter = 1;
        for (std::uint32_t i = 0; i < sprite->getFrameCount(); ++i) {
            std::string name;
            std::string problem;
            struct stat info {};
            if (outputName(*sprite->getFrame(i), counter, name, problem) &&
                ::lstat(joinPath(folder, name).c_str(), &info) == 0)
                report.existing.push_back(joinPath(folder, name));
        }
        if (!report.existing.empty()) {
            report.error = report.existing.front() + " already exists";
            return false;
        }
    }
    const std::vector<FrameRestore> restores = frameRestores(root);
    const std::string premultiplied = lowerAscii(toStdString(root.attributeValue("premultiplied", 1)));
    const bool undoPremultiply = premultiplied == "true" || premultiplied == "1";
    std::set<std::string> names;
    int unnamedCounter = 1;
    for (std::uint32_t i = 0; i < sprite->getFrameCount(); ++i) {
        const SpriteFrame& frame = *sprite->getFrame(i);
        std::string name;
        std::string problem;
        if (!outputName(frame, unnamedCounter, name, problem)) {
            report.refused.push_back(problem);
            continue;
        }
        const FrameRestore restore = i < restores.size() ? restores[i] : FrameRestore();
        if (restore.trimmed) {
            const std::string why = restoreProblem(frame, restore);
            if (!why.empty()) {
                report.refused.push_back("frame \"" + name.substr(0, name.size() - 4) + "\" not written: " + why);
                continue;
            }
        }
        const std::string frameName = name.substr(0, name.size() - 4);
        const bool repeated = !names.insert(name).second;
        if (repeated)
            report.warnings.push_back("frame \"" + frameName + "\" appears more than once; " + name +
                                      " holds the last one");
        const CImage& source = frame.texture ? *frame.texture : *atlas;
        if (const std::string outside = frameOutsideAtlas(source, frame.x, frame.y, frame.w, frame.h);
            !outside.empty()) {
            report.refused.push_back("frame \"" + frameName + "\" not written: " + outside);
            continue;
        }
        CImage image;
        cutAtlasFrame(source, frame, image);
        if (restore.rotated) {
            CImage upright;
            turnPicture(image, !restore.clockwise, upright);
            image = std::move(upright);
        }
        if (undoPremultiply)
            unpremultiply(image);
        if (restore.trimmed) {
            // Back at its offset in a transparent image of the original size.
            CImage original;
            original.create(static_cast<std::uint32_t>(restore.width), static_cast<std::uint32_t>(restore.height),
                            image.getChannels(), image.getBitsPerPixel());
            original.blit(image, static_cast<std::uint32_t>(restore.x), static_cast<std::uint32_t>(restore.y));
            image = std::move(original);
        }
        const std::string path = joinPath(folder, name);
        std::string error;
        if (!writeFrame(image, folder, name, &error)) {
            report.refused.push_back(error);
            continue;
        }
        if (!repeated)
            report.written.push_back(path);
    }
    return report.refused.empty();
}
