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
#include "app/pack/AtlasWriter.h"
#include "app/tool/StatusLine.h"
#include "app/tool/ToolText.h"
#include "core/CFolderLock.h"
#include "framework/CFileDialog.h"
#include "framework/CQuestionBox.h"
#include "gui/CFont.h"
#include "gui/CCheckBox.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "xml/CXMLDocument.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <tuple>
#include <unordered_map>

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
    // A trimmed frame: where it sat in an original of this size.
    bool trimmed = false;
    long long offsetX = 0;
    long long offsetY = 0;
    long long originalW = 0;
    long long originalH = 0;
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
        frame.trimmed = node.findAttribute("originalW") != nullptr || node.findAttribute("originalH") != nullptr;
        if (frame.trimmed) {
            frame.offsetX = numberAttribute(node, "offsetX");
            frame.offsetY = numberAttribute(node, "offsetY");
            frame.originalW = numberAttribute(node, "originalW");
            frame.originalH = numberAttribute(node, "originalH");
        }
        description.frames.push_back(frame);
    }
    return true;
}

bool isSquarePowerOfTwo(std::uint32_t width, std::uint32_t height)
{
    return width == height && width >= 64 && (width & (width - 1)) == 0;
}

// The descriptions of the multipack set a page's description belongs to
// ("atlas-2.xml" with atlas-1.xml, atlas-2.xml, ... beside it), in page
// order; just the description itself when it is no page of a set.
std::vector<std::string> pageSet(const std::string& descriptionPath)
{
    const std::string name = fileNameOf(descriptionPath);
    const std::size_t dash = name.rfind('-');
    if (name.size() < 4 || lowerAscii(name.substr(name.size() - 4)) != ".xml" || dash == std::string::npos ||
        dash + 1 >= name.size() - 4 ||
        name.find_first_not_of("0123456789", dash + 1) != name.size() - 4)
        return {descriptionPath};
    const std::string folder = folderOf(descriptionPath);
    const std::string base = name.substr(0, dash + 1);
    const std::string ending = name.substr(name.size() - 4);
    std::vector<std::string> pages;
    for (std::uint32_t page = 1; page <= 4096; ++page) {
        const std::string path = joinPath(folder, base + std::to_string(page) + ending);
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error))
            break;
        pages.push_back(path);
    }
    if (std::find(pages.begin(), pages.end(), descriptionPath) == pages.end())
        return {descriptionPath};
    return pages;
}

// The pixel at (x, y) from the top left, as bytes.
const std::uint8_t* pixelOf(const CImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint32_t bytes = image.getBitsPerPixel() / 8;
    return image.getData() + (std::size_t(image.getHeight() - 1 - y) * image.getWidth() + x) * bytes;
}

// How many rings of edge pixels every frame has around it in the atlas (at
// most `most`): the extrusion the atlas was saved with. A ring counts only
// when every frame has it and at least one of its pixels is not fully
// transparent, so transparent spacing is not taken for extrusion.
std::uint32_t extrusionOf(const CImage& atlas, const std::vector<DescriptionFrame>& frames, std::uint32_t most)
{
    const std::uint32_t bytes = atlas.getBitsPerPixel() / 8;
    if (atlas.getData() == nullptr || bytes == 0 || frames.empty())
        return 0;
    const long long width = atlas.getWidth();
    const long long height = atlas.getHeight();
    std::uint32_t rings = 0;
    for (std::uint32_t ring = 1; ring <= most; ++ring) {
        bool seen = false;
        for (const DescriptionFrame& frame : frames) {
            const long long left = frame.x - ring;
            const long long top = frame.y - ring;
            const long long right = frame.x + frame.w - 1 + ring;
            const long long bottom = frame.y + frame.h - 1 + ring;
            if (frame.w <= 0 || frame.h <= 0 || left < 0 || top < 0 || right >= width || bottom >= height)
                return rings;
            const auto matches = [&](long long x, long long y) {
                const long long fromX = std::clamp(x, frame.x, frame.x + frame.w - 1);
                const long long fromY = std::clamp(y, frame.y, frame.y + frame.h - 1);
                const std::uint8_t* p = pixelOf(atlas, std::uint32_t(x), std::uint32_t(y));
                const std::uint8_t* edge = pixelOf(atlas, std::uint32_t(fromX), std::uint32_t(fromY));
                seen = seen || bytes < 4 || p[3] != 0;
                return std::equal(p, p + bytes, edge);
            };
            for (long long x = left; x <= right; ++x) {
                if (!matches(x, top) || !matches(x, bottom))
                    return rings;
            }
            for (long long y = top + 1; y < bottom; ++y) {
                if (!matches(left, y) || !matches(right, y))
                    return rings;
            }
        }
        if (!seen)
            return rings;
        rings = ring;
    }
    return rings;
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
    const std::string lastAtlas = document.project().settings.atlasPath;
    if (!lastAtlas.empty())
        fileDialog().suggest(folderOf(lastAtlas), fileNameOf(lastAtlas));
    else
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
    saveAtlasAs(path);
}

bool Application::saveAtlasAs(const std::string& path)
{
    // The window writes through the command line's own write flow, with the
    // layout it shows: the same files, byte for byte, as pack --project.
    PackSettings settings = packSettings();
    settings.atlasPath = path;
    // The list's images in its order, packed again by the command line's
    // own call: sprite details (animations, pivots) included, and the same
    // layout the preview shows, which is deterministic.
    std::unordered_map<std::string, const CImage*> pixels;
    for (std::uint32_t i = 0; i < textures.getCount(); ++i) {
        if (const auto* texture = dynamic_cast<const CTexture*>(textures.getResource(i)))
            pixels.emplace(toStdString(texture->getName()), texture);
    }
    std::vector<AtlasImage> images;
    for (std::uint32_t i = 0; i < list->getRowCount(); ++i) {
        const String name = list->getCellText(i, 0);
        const auto found = pixels.find(toStdString(name));
        if (found == pixels.end())
            continue;
        images.emplace_back(name, found->second);
        if (const CImageIndex::Entry* entry = this->images.find(name))
            images.back().meta.nineSlice = entry->nineSlice;
    }
    const PackedAtlas packed = packAtlas(images, settings);
    if (!packed.layout.fits()) {
        report(StatusLine::tooLarge(packed.layout.unplaced, largestSide) + "; nothing was saved.");
        return false;
    }
    // A JPEG cannot keep transparency: the engine refuses such an atlas, so
    // the person is asked before anything is written.
    if (imageFormatByEnding(path) == ImageFileFormat::Jpeg && !settings.jpegFlatten) {
        if (const AtlasImage* transparent = firstTransparentImage(packed.sprites.images)) {
            if (!questionBox().ask("Quilt Forger",
                                   toStdString(transparent->name) +
                                       " has pixels that are not opaque, and a JPEG atlas cannot keep "
                                       "transparency. Flatten the atlas onto black? (.png and .webp keep "
                                       "transparency.)",
                                   "Flatten onto black", "Cancel"))
                return false;
            settings.jpegFlatten = true;
            settings.jpegFlattenColour = 0x000000;
        }
    }
    const auto pages = static_cast<std::uint32_t>(packed.layout.pages.size());
    if (settings.multipack) {
        // The dialog asked about the name chosen; the pages are other files.
        std::size_t replaced = 0;
        for (const std::string& file : atlasSetPaths(settings, pages)) {
            std::error_code error;
            if (std::filesystem::exists(file, error))
                ++replaced;
        }
        if (replaced > 0) {
            const std::string files = replaced == 1 ? "1 file" : std::to_string(replaced) + " files";
            if (!questionBox().ask("Quilt Forger",
                                   "Saving " + std::to_string(pages) + (pages == 1 ? " page" : " pages") +
                                       " would replace " + files + " beside " + fileNameOf(path) +
                                       ". Replace them?",
                                   "Replace", "Cancel"))
                return false;
        }
    }
    std::string error;
    AtlasWriteReport written;
    if (!writeAtlasSet(settings, packed, {}, error, &written)) {
        const std::size_t done = written.pagePaths.size();
        const std::string pagesWritten =
            done == 0 ? std::string() : "\n\nPages 1 to " + std::to_string(done) + " were written.";
        report((settings.multipack ? "Page " + std::to_string(done + 1) + " of the atlas" : std::string("The atlas")) +
               " was not saved.\n\n" + error + pagesWritten);
        return false;
    }
    unsavedChanges = false;
    if (document.project().settings.atlasPath != path) {
        document.setAtlasPath(path);
        document.markOutputsChanged();
    }
    if (settings.multipack) {
        setStatusMessage(StatusLine::savedPages(fileNameOf(written.pagePaths.front()),
                                                fileNameOf(written.pagePaths.back()), pages,
                                                static_cast<std::uint32_t>(packed.sprites.pictures.size())));
    } else {
        const AtlasOutput output = AtlasOutput::parse(path);
        setStatusMessage(StatusLine::saved(output.fileName, fileNameOf(output.descriptionPath()),
                                           written.pageWidths.front(), written.pageHeights.front(),
                                           static_cast<std::uint32_t>(images.size())));
    }
    return true;
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
    if (!fileDialog().open("Open atlas or project",
                           {{"Atlases and projects (*.xml, *.qfproj)", "*.xml;*.qfproj"},
                            {"Projects (*.qfproj)", "*.qfproj"},
                            {"XML Files (*.xml)", "*.xml"}},
                           false, selection))
        return;
    const std::string path = selection.paths().front();
    rememberFolder("open", path);
    const std::string ending = CProject::ending;
    if (lowerAscii(path).size() > ending.size() &&
        lowerAscii(path).compare(path.size() - ending.size(), ending.size(), ending) == 0)
        openProject(path);
    else
        openAtlas(path);
}

bool Application::openAtlas(const std::string& descriptionPath)
{
    // Held shared while the descriptions and their atlases are read, as
    // unpack does: a pack replacing them meanwhile is seen whole or not at all.
    CFolderLock folderLock;
    folderLock.acquire(folderOf(descriptionPath), CFolderLock::Kind::Shared);
    // One page of a multipack set opens the whole set, page by page.
    const std::vector<std::string> pagePaths = pageSet(descriptionPath);
    struct Page {
        Description description;
        CImage atlas;
    };
    std::vector<Page> pages(pagePaths.size());
    for (std::size_t i = 0; i < pages.size(); ++i) {
        std::string error;
        if (!readDescription(pagePaths[i], pages[i].description, error)) {
            report("The atlas was not opened.\n\n" + pagePaths[i] + ": " + error);
            return false;
        }
        const std::string atlasFile = pages[i].description.atlasFile;
        const std::string atlasPath = joinPath(folderOf(pagePaths[i]), atlasFile);
        std::string reason;
        if (atlasFile.empty() || !loadImageByEnding(atlasPath, pages[i].atlas, &reason)) {
            report("The atlas was not opened.\n\n" +
                   (atlasFile.empty() ? pagePaths[i] + ": no atlas file named" : atlasPath + ": " + reason));
            return false;
        }
    }
    newAtlas();
    document.clear();
    // Frames are cut as unpacking cuts them and come into the list in the
    // description's order, each named after its frame with ".png", which
    // saving turns back into the same frame name. A trimmed frame goes back
    // into a transparent image of its original size, so saving with "Trim"
    // writes the same offsets and original sizes again.
    std::vector<std::string> problems;
    std::vector<std::string> passedOver;
    long long left = -1;
    long long top = -1;
    bool trimmed = false;
    bool shared = false;
    std::uint32_t extrude = 0;
    constexpr long long largestSide = 16384;
    std::size_t added = 0;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const Description& description = pages[i].description;
        const CImage& atlas = pages[i].atlas;
        const std::uint32_t pageExtrude = extrusionOf(atlas, description.frames, 8);
        extrude = i == 0 ? pageExtrude : std::min(extrude, pageExtrude);
        std::set<std::tuple<long long, long long, long long, long long>> rects;
        for (const DescriptionFrame& frame : description.frames) {
            const std::string name = frame.name + ".png";
            const bool restorable = !frame.trimmed ||
                (frame.offsetX >= 0 && frame.offsetY >= 0 && frame.originalW <= largestSide &&
                 frame.originalH <= largestSide && frame.offsetX + frame.w <= frame.originalW &&
                 frame.offsetY + frame.h <= frame.originalH);
            if (frame.w <= 0 || frame.h <= 0 || frame.w > largestSide || frame.h > largestSide || frame.x < 0 ||
                frame.y < 0 || frame.name.find_first_of("/\\") != std::string::npos || !restorable) {
                problems.push_back(frame.name + ": the frame's name or rectangle cannot be used");
                continue;
            }
            if (const std::string outside = frameOutsideAtlas(atlas, frame.x, frame.y, frame.w, frame.h);
                !outside.empty()) {
                problems.push_back(frame.name + ": " + outside);
                continue;
            }
            if (textures.find(String(name.c_str())) != nullptr) {
                passedOver.push_back(name);
                continue;
            }
            shared = !rects.emplace(frame.x, frame.y, frame.w, frame.h).second || shared;
            SpriteFrame cut;
            cut.x = static_cast<std::uint32_t>(frame.x);
            cut.y = static_cast<std::uint32_t>(frame.y);
            cut.w = static_cast<std::uint32_t>(frame.w);
            cut.h = static_cast<std::uint32_t>(frame.h);
            auto texture = std::make_unique<CTexture>();
            cutAtlasFrame(atlas, cut, *texture);
            if (frame.trimmed) {
                CImage kept;
                kept.create(texture->getWidth(), texture->getHeight(), texture->getChannels(),
                            texture->getBitsPerPixel());
                kept.blitRect(*texture, 0, 0, 0, 0, texture->getWidth(), texture->getHeight());
                texture = std::make_unique<CTexture>();
                texture->create(static_cast<std::uint32_t>(frame.originalW), static_cast<std::uint32_t>(frame.originalH),
                                kept.getChannels(), kept.getBitsPerPixel());
                texture->blitRect(kept, static_cast<std::uint32_t>(frame.offsetX),
                                  static_cast<std::uint32_t>(frame.offsetY), 0, 0, kept.getWidth(), kept.getHeight());
                trimmed = true;
            }
            addTexture(std::move(texture), String(name.c_str()), pagePaths[i] + "#" + frame.name);
            ++added;
            if (i == 0) {
                left = left < 0 ? frame.x : std::min(left, frame.x);
                top = top < 0 ? frame.y : std::min(top, frame.y);
            }
        }
    }
    // The options the descriptions show: trimmed frames, frames sharing a
    // rectangle (duplicates packed once), edge pixels repeated around every
    // frame (extrusion, which is not spacing); the spacing is the margin
    // before the first image less the extrusion (both sides alike), and an
    // atlas that is no square power of two was tight packed.
    const CImage& first = pages.front().atlas;
    cboxTightPack->setChecked(!isSquarePowerOfTwo(first.getWidth(), first.getHeight()));
    spriteOptions.trim = trimmed;
    spriteOptions.alias = shared;
    if (options.trim != nullptr)
        options.trim->setChecked(trimmed);
    if (options.alias != nullptr)
        options.alias->setChecked(shared);
    if (options.extrude != nullptr)
        options.extrude->setValue(static_cast<float>(extrude));
    else
        spriteOptions.extrude = extrude;
    const long long margin = left == top && left > extrude ? left - extrude : 0;
    spaceScroll->setValue(std::clamp(static_cast<float>(margin), spaceScroll->getMin(), spaceScroll->getMax()));
    setSpacing(spaceScroll->getValue());
    updateHint();
    unsavedChanges = false;
    document.setSavedVersion(layoutVersion);
    if (pages.size() > 1)
        setStatusMessage("Opened all " + std::to_string(pages.size()) + " pages of the set (" +
                         std::to_string(added) + " images): " + fileNameOf(pagePaths.front()) + " to " +
                         fileNameOf(pagePaths.back()));
    const std::string text = addReport(passedOver, problems);
    if (!text.empty())
        report(text);
    return true;
}

bool Application::openProject(const std::string& path)
{
    CProjectDocument opened;
    std::string error;
    if (!opened.open(path, error)) {
        report("The project was not opened.\n\n" + error);
        return false;
    }
    newAtlas();
    document = std::move(opened);
    const PackSettings& projectSettings = document.project().settings;
    applyPackSettings(projectSettings);
    // The images come in the descriptions' frame order (the order a save
    // lists them in) and the list then takes the inputs' order.
    std::vector<CProjectDocument::ImageFile> files = CProjectDocument::imageFiles(projectSettings);
    std::vector<ImageFile> adding;
    for (const CProjectDocument::ImageFile& file : files)
        adding.push_back({file.path, String(file.name.c_str()), file.folder});
    if (!projectSettings.frameOrder.empty()) {
        std::map<std::string, std::size_t> rank;
        for (std::size_t i = 0; i < projectSettings.frameOrder.size(); ++i)
            rank.emplace(projectSettings.frameOrder[i], i);
        const auto rankOf = [&](const ImageFile& file) {
            const auto found = rank.find(toStdString(file.name));
            return found != rank.end() ? found->second : rank.size();
        };
        std::stable_sort(adding.begin(), adding.end(),
                         [&](const ImageFile& a, const ImageFile& b) { return rankOf(a) < rankOf(b); });
    }
    addFiles(adding);
    if (!projectSettings.frameOrder.empty()) {
        std::vector<String> names;
        for (const CProjectDocument::ImageFile& file : files) {
            if (textures.find(String(file.name.c_str())) != nullptr)
                names.push_back(String(file.name.c_str()));
        }
        list->clear();
        for (std::size_t i = 0; i < names.size(); ++i)
            list->addRow(static_cast<std::uint32_t>(i), names[i]);
        relayout();
    }
    unsavedChanges = false;
    document.setSavedVersion(layoutVersion);
    rememberProject(path);
    setStatusMessage("Opened the project " + fileNameOf(path) + " (" + std::to_string(list->getRowCount()) +
                     (list->getRowCount() == 1 ? " image)" : " images)"));
    return true;
}

void Application::saveProjectFile()
{
    std::string path = document.path();
    if (path.empty()) {
        CFileSelection selection;
        suggestFolder("project", "atlas.qfproj");
        if (!fileDialog().save("Save project", {{"Projects (*.qfproj)", "*.qfproj"}}, selection))
            return;
        path = selection.path;
        const std::string ending = CProject::ending;
        if (lowerAscii(path).size() <= ending.size() ||
            lowerAscii(path).compare(path.size() - ending.size(), ending.size(), ending) != 0) {
            path += ending;
            std::error_code error;
            if (std::filesystem::exists(path, error) &&
                !questionBox().ask("Quilt Forger", path + " already exists. Replace it?", "Replace", "Cancel"))
                return;
        }
        rememberFolder("project", path);
    }
    const PackSettings settings = packSettings();
    std::string error;
    if (!document.save(path, settings, error)) {
        report("The project was not saved.\n\n" + error);
        return;
    }
    document.setSavedVersion(layoutVersion);
    rememberProject(path);
    // Images of a subfolder kept one by one (their folder changed since it
    // was added) are named by their file name alone when the project packs.
    const std::set<std::string> inputs(settings.inputs.begin(), settings.inputs.end());
    std::size_t withoutFile = 0;
    std::string renamed;
    for (std::uint32_t i = 0; i < list->getRowCount(); ++i) {
        const String name = list->getCellText(i, 0);
        const CImageIndex::Entry* entry = images.find(name);
        const std::string file = entry != nullptr ? toStdString(entry->texture->getFile()) : std::string();
        withoutFile += file.empty() || file.find('#') != std::string::npos ? 1 : 0;
        if (renamed.empty() && inputs.count(file) != 0 && toStdString(name).find('/') != std::string::npos)
            renamed = toStdString(name);
    }
    setStatusMessage("Saved the project " + fileNameOf(path));
    std::string notes;
    if (withoutFile > 0)
        notes = "The project was saved without " +
                (withoutFile == 1 ? std::string("1 image") : std::to_string(withoutFile) + " images") +
                " cut from an opened atlas: they have no file of their own. Unpack the atlas and add its "
                "frames to keep them in the project.";
    if (!renamed.empty())
        notes += (notes.empty() ? "" : "\n\n") + std::string("The images of a folder whose images were removed, moved or "
                 "added to since it was added are kept one by one, and a pack of the project names them by "
                 "their file names: ") +
                 renamed + " becomes " + fileNameOf(renamed) + ". Add the folder again to keep the names.";
    if (!notes.empty())
        report(notes);
}

void Application::openRecentProject(std::size_t index)
{
    if (index >= settings.recentProjects.size())
        return;
    const std::string path = settings.recentProjects[index];
    if (!confirmDiscard("Open another project", "Discard the images"))
        return;
    openProject(path);
}

void Application::rememberProject(const std::string& path)
{
    CProjectDocument::remember(settings.recentProjects, path, ToolSettings::recentLimit);
    optionsPanel.showRecent(settings.recentProjects);
    storeSettings();
}

void Application::updateTitle()
{
    if (hoveredButton >= 0)
        return;
    const bool modified = document.path().empty() ? unsavedChanges && list->getRowCount() > 0
                                                  : document.isModified(layoutVersion);
    const std::string title = document.title(modified);
    if (title == shownTitle)
        return;
    shownTitle = title;
    if (titleText != nullptr)
        titleText->setText(String(title.c_str()));
    // The desktop's title (task bar, window lists) names the project; without
    // one it stays the tool's name, which scripts look the window up by.
    setTitle(document.path().empty() ? "Quilt Forger" : title.c_str());
}
