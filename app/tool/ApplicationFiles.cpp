// Application: saving the atlas, unpacking a description and opening one
// for editing (see Application.h). Save and unpack go through the same code
// as the command line, and a failure is reported in a message box so it is
// never silent. Nothing on disk is replaced without the person agreeing:
// the save dialog asks before an existing atlas is chosen, and unpacking
// names how many files of the chosen folder it would replace.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasLayout.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/AtlasUnpack.h"
#include "app/tool/StatusLine.h"
#include "app/tool/ToolText.h"
#include "core/CFolderLock.h"
#include "framework/CFileDialog.h"
#include "framework/CQuestionBox.h"
#include "gui/CCheckBox.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "xml/CXMLDocument.h"

#include <cstdlib>
#include <filesystem>

namespace {

// The endings of the save dialog's filters after "All Files".
const char* const filterEndings[] = {".bmp", ".jpg", ".png", ".tga"};

// One frame of a description as written: its name and rectangle.
struct DescriptionFrame {
    std::string name;
    long long x = 0;
    long long y = 0;
    long long w = 0;
    long long h = 0;
};

struct Description {
    std::string atlasFile;
    std::vector<DescriptionFrame> frames;
};

// A number attribute read leniently, as the resource list reader does
// (leading numeric text, 0 when there is none).
long long numberAttribute(const CXMLNode& node, const char* name)
{
    const String value = node.attributeValue(name);
    return value.c_str() != nullptr ? std::atoll(value.c_str()) : 0;
}

// Reads a description: the root "sprite" with its "file" and its "frame"
// children. Unnamed frames are named 1, 2, ... as unpacking names them.
bool readDescription(const std::string& path, Description& description, std::string& error)
{
    CXMLDocument document;
    error = document.loadDetailed(String(path.c_str()));
    if (!error.empty() || !document.isComplete()) {
        if (error.empty())
            error = "the description is not complete";
        return false;
    }
    const CXMLNode& root = document;
    if (toStdString(root.name()) != "sprite") {
        error = "the description's root is not a sprite";
        return false;
    }
    description.atlasFile = toStdString(root.attributeValue("file"));
    int unnamed = 1;
    for (std::uint32_t i = 0; i < root.childCount(); ++i) {
        const CXMLNode& node = *root.child(i);
        if (toStdString(node.name()) != "frame")
            continue;
        DescriptionFrame frame;
        frame.name = toStdString(node.attributeValue("name"));
        if (frame.name.empty())
            frame.name = std::to_string(unnamed++);
        frame.x = numberAttribute(node, "x");
        frame.y = numberAttribute(node, "y");
        frame.w = numberAttribute(node, "w");
        frame.h = numberAttribute(node, "h");
        description.frames.push_back(frame);
    }
    return true;
}

bool isSquarePowerOfTwo(std::uint32_t width, std::uint32_t height)
{
    return width == height && width >= 64 && (width & (width - 1)) == 0;
}

}

void Application::saveAtlasFile()
{
    if (packer.count() == 0)
        return;
    if (!layoutFits) {
        report(StatusLine::tooLarge(atlasLayout.unplaced, largestSide) + "; nothing was saved.");
        return;
    }
    CFileSelection selection;
    suggestFolder("save", "atlas.png");
    if (!fileDialog().save("Save atlas", atlasImageFilters(), selection))
        return;
    std::string path = selection.path;
    // A name typed without an image ending takes the ending of the chosen
    // filter, or ".png" under "All Files". The dialog asked about the name
    // as typed; the name with its ending is asked about here.
    if (imageFormatByEnding(path) == ImageFileFormat::None) {
        const int filter = selection.filterIndex;
        path += filter >= 1 && filter <= 4 ? filterEndings[filter - 1] : ".png";
        std::error_code error;
        if (std::filesystem::exists(path, error) &&
            !questionBox().ask("Quilt Forger", path + " already exists. Replace it?", "Replace", "Cancel"))
            return;
    }
    rememberFolder("save", path);
    if (atlasPages > 1) {
        savePages(path);
        return;
    }
    const std::uint32_t width = atlasSize.width;
    const std::uint32_t height = atlasSize.height;

    std::string error;
    if (!saveAtlas(path, packer, savedImages(), width, height, spriteOptions.finish(), &error)) {
        report("The atlas was not saved.\n\n" + error);
        return;
    }
    unsavedChanges = false;
    const AtlasOutput output = AtlasOutput::parse(path);
    setStatusMessage(StatusLine::saved(output.fileName, fileNameOf(output.descriptionPath()), width, height,
                                       packer.count()));
}

void Application::unpackAtlasFile()
{
    CFileSelection selection;
    suggestFolder("unpack");
    if (!fileDialog().open("Unpack atlas", {{"XML Files (*.xml)", "*.xml"}}, false, selection))
        return;
    const std::string descriptionPath = selection.paths().front();
    rememberFolder("unpack", descriptionPath);
    Description description;
    std::string error;
    if (!readDescription(descriptionPath, description, error)) {
        report("Nothing was unpacked.\n\n" + descriptionPath + ": " + error);
        return;
    }
    // The frames go into a folder of their own, by default a new one named
    // after the atlas beside the description, so that unpacking never lands
    // on the sprites the atlas was made from without being asked.
    std::string name = fileNameOf(descriptionPath);
    if (name.size() > 4 && lowerAscii(name.substr(name.size() - 4)) == ".xml")
        name.resize(name.size() - 4);
    fileDialog().suggest(folderOf(descriptionPath), name);
    CFileSelection folderChoice;
    if (!fileDialog().chooseFolder("Unpack into folder", folderChoice))
        return;
    const std::string folder = folderChoice.path;
    std::size_t replaced = 0;
    for (const DescriptionFrame& frame : description.frames) {
        std::error_code exists;
        if (std::filesystem::exists(joinPath(folder, frame.name + ".png"), exists))
            ++replaced;
    }
    if (replaced > 0) {
        const std::string files = replaced == 1 ? "1 file" : std::to_string(replaced) + " files";
        if (!questionBox().ask("Quilt Forger",
                               "Unpacking would replace " + files + " in " + folder + ". Replace them?",
                               "Replace", "Cancel"))
            return;
    }
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    AtlasUnpackReport result;
    const bool complete = unpackAtlas(descriptionPath, folder, result);
    if (!result.written.empty())
        setStatusMessage(StatusLine::unpacked(result.written.size(), folder.empty() ? "the current folder" : folder));
    if (complete)
        return;
    std::string text = result.error.empty() ? "Some frames were not written:\n" : "Nothing was unpacked.\n\n" + result.error;
    for (std::size_t i = 0; i < result.refused.size() && i < 12; ++i)
        text += "\n" + result.refused[i];
    if (result.refused.size() > 12)
        text += "\n... and " + std::to_string(result.refused.size() - 12) + " more.";
    report(text);
}

void Application::openAtlasFile()
{
    if (!confirmDiscard("Open another atlas", "Discard the images"))
        return;
    CFileSelection selection;
    suggestFolder("open");
    if (!fileDialog().open("Open atlas", {{"XML Files (*.xml)", "*.xml"}}, false, selection))
        return;
    rememberFolder("open", selection.paths().front());
    openAtlas(selection.paths().front());
}

bool Application::openAtlas(const std::string& descriptionPath)
{
    // Held shared while the description and its atlas are read, as unpack
    // does: a pack replacing them meanwhile is seen whole or not at all.
    CFolderLock folderLock;
    folderLock.acquire(folderOf(descriptionPath), CFolderLock::Kind::Shared);
    Description description;
    std::string error;
    if (!readDescription(descriptionPath, description, error)) {
        report("The atlas was not opened.\n\n" + descriptionPath + ": " + error);
        return false;
    }
    const std::string atlasPath = joinPath(folderOf(descriptionPath), description.atlasFile);
    CImage atlas;
    std::string reason;
    if (description.atlasFile.empty() || !loadImageByEnding(atlasPath, atlas, &reason)) {
        report("The atlas was not opened.\n\n" + (description.atlasFile.empty() ? descriptionPath + ": no atlas file named"
                                                                                : atlasPath + ": " + reason));
        return false;
    }
    newAtlas();
    // Frames are cut as unpacking cuts them and come into the list in the
    // description's order, each named after its frame with ".png", which
    // saving turns back into the same frame name.
    std::vector<std::string> problems;
    std::vector<std::string> passedOver;
    long long left = -1;
    long long top = -1;
    constexpr long long largestSide = 16384;
    for (const DescriptionFrame& frame : description.frames) {
        const std::string name = frame.name + ".png";
        if (frame.w <= 0 || frame.h <= 0 || frame.w > largestSide || frame.h > largestSide || frame.x < 0 ||
            frame.y < 0 || frame.name.find_first_of("/\\") != std::string::npos) {
            problems.push_back(frame.name + ": the frame's name or rectangle cannot be used");
            continue;
        }
        if (const std::string outside = frameOutsideAtlas(atlas, frame.x, frame.y, frame.w, frame.h); !outside.empty()) {
            problems.push_back(frame.name + ": " + outside);
            continue;
        }
        if (textures.find(String(name.c_str())) != nullptr) {
            passedOver.push_back(name);
            continue;
        }
        SpriteFrame cut;
        cut.x = static_cast<std::uint32_t>(frame.x);
        cut.y = static_cast<std::uint32_t>(frame.y);
        cut.w = static_cast<std::uint32_t>(frame.w);
        cut.h = static_cast<std::uint32_t>(frame.h);
        auto texture = std::make_unique<CTexture>();
        cutAtlasFrame(atlas, cut, *texture);
        addTexture(std::move(texture), String(name.c_str()), descriptionPath + "#" + frame.name);
        left = left < 0 ? frame.x : std::min(left, frame.x);
        top = top < 0 ? frame.y : std::min(top, frame.y);
    }
    // The options the description shows: the spacing is the margin before
    // the first image (both sides alike), and an atlas that is no square
    // power of two was tight packed.
    cboxTightPack->setChecked(!isSquarePowerOfTwo(atlas.getWidth(), atlas.getHeight()));
    const float spacing = left == top && left > 0 ? static_cast<float>(left) : 0.0f;
    spaceScroll->setValue(std::clamp(spacing, spaceScroll->getMin(), spaceScroll->getMax()));
    setSpacing(spaceScroll->getValue());
    updateHint();
    unsavedChanges = false;
    const std::string text = addReport(passedOver, problems);
    if (!text.empty())
        report(text);
    return true;
}

bool Application::savePages(const std::string& path)
{
    const auto pages = static_cast<std::uint32_t>(atlasLayout.pages.size());
    // The dialog asked about the name chosen; the pages are other files.
    std::size_t replaced = 0;
    for (std::uint32_t page = 0; page < pages; ++page) {
        const std::string pagePath = atlasPagePath(path, page);
        for (const std::string& file : {pagePath, atlasDescriptionPath(pagePath)}) {
            std::error_code error;
            if (std::filesystem::exists(file, error))
                ++replaced;
        }
    }
    if (replaced > 0) {
        const std::string files = replaced == 1 ? "1 file" : std::to_string(replaced) + " files";
        if (!questionBox().ask("Quilt Forger",
                               "Saving " + std::to_string(pages) + " pages would replace " + files + " beside " +
                                   fileNameOf(path) + ". Replace them?",
                               "Replace", "Cancel"))
            return false;
    }
    // Each page is saved as the command line saves it: a packer holding
    // that page's images, and the images on it.
    CPacker pagePacker = packer;
    for (std::uint32_t page = 0; page < pages; ++page) {
        const std::string pagePath = atlasPagePath(path, page);
        fillPagePacker(sprites.pictures, atlasLayout, page, pagePacker);
        const LayoutPage& sheet = atlasLayout.pages[page];
        std::string error;
        if (!saveAtlas(pagePath, pagePacker, savedPageImages(page), sheet.width, sheet.height,
                       spriteOptions.finish(), &error)) {
            const std::string written =
                page == 0 ? std::string() : "\n\nPages 1 to " + std::to_string(page) + " were written.";
            report("Page " + std::to_string(page + 1) + " of the atlas was not saved.\n\n" + error + written);
            return false;
        }
    }
    unsavedChanges = false;
    const std::string first = fileNameOf(atlasPagePath(path, 0));
    const std::string last = fileNameOf(atlasPagePath(path, pages - 1));
    setStatusMessage(StatusLine::savedPages(first, last, pages, static_cast<std::uint32_t>(sprites.pictures.size())));
    return true;
}
