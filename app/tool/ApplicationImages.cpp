// Application: the image list and the relayout (see Application.h).
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasLayout.h"
#include "app/pack/AtlasWriter.h"
#include "app/pack/FrameDetails.h"
#include "app/pack/NaturalOrder.h"
#include "app/pack/NinePatch.h"
#include "app/pack/SpriteNames.h"
#include "app/tool/StatusLine.h"
#include "app/tool/ToolText.h"
#include "framework/CFileDialog.h"
#include "gui/CCheckBox.h"
#include "gui/CList.h"
#include "resources/CTexture.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

// The format an image file is read with: its ending in any letter case, and
// ".jpeg" as JPEG, as the command line reads it.
ImageFileFormat readFormatOf(const std::string& path)
{
    const std::string lower = lowerAscii(fileNameOf(path));
    if (lower.size() > 5 && lower.compare(lower.size() - 5, 5, ".jpeg") == 0)
        return ImageFileFormat::Jpeg;
    return imageFormatByEnding(lower);
}

std::size_t subfolderCount(const std::string& folder)
{
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code typeError;
        count += entry.is_directory(typeError) ? 1 : 0;
    }
    return count;
}

}

const std::vector<CFileFilter>& atlasImageFilters()
{
    static const std::vector<CFileFilter> filters{
        {"All Files (*.bmp, *.jpg, *.jpeg, *.png, *.tga, *.webp)", "*.bmp;*.jpg;*.jpeg;*.png;*.tga;*.webp;"},
        {"BMP Files (*.bmp)", "*.bmp"},
        {"JPG Files (*.jpg, *.jpeg)", "*.jpg;*.jpeg"},
        {"PNG Files (*.png)", "*.png"},
        {"TGA Files (*.tga)", "*.tga"},
    };
    return filters;
}

void Application::addImages()
{
    CFileSelection selection;
    suggestFolder("add");
    if (!fileDialog().openFilesOrFolders("Add images", atlasImageFilters(), selection))
        return;
    rememberFolder("add", selection.paths().front());
    const std::vector<std::string> paths = selection.paths();
    std::error_code error;
    if (paths.size() == 1 && !std::filesystem::is_directory(paths.front(), error)) {
        // One file: its name is lower-cased as the tool has always named a
        // single choice, but the path keeps its case so that it can be read.
        addFiles({{selection.path, String(spriteName(lowerAscii(singleFileName(selection.path))).c_str()), {}}});
        return;
    }
    addPaths(paths);
}

void Application::addPaths(const std::vector<std::string>& paths)
{
    std::vector<ImageFile> files;
    std::vector<std::string> problems;
    PackSettings walk = optionsPanel.values();
    for (const std::string& path : paths) {
        walk.inputs = {path};
        const std::vector<CProjectDocument::ImageFile> found = CProjectDocument::imageFiles(walk);
        for (const CProjectDocument::ImageFile& file : found)
            files.push_back({file.path, String(file.name.c_str()), file.folder});
        std::error_code error;
        if (found.empty() && std::filesystem::is_directory(path, error))
            problems.push_back(emptyFolderProblem(path, walk.recursive ? 0 : subfolderCount(path)));
    }
    addFiles(files, problems);
}

void Application::filesDropped(const std::vector<std::string>& paths)
{
    addPaths(paths);
}

void Application::addFiles(const std::vector<ImageFile>& files, std::vector<std::string> problems)
{
    std::vector<std::string> passedOver;
    // A large set takes seconds: the status line counts the images read,
    // redrawn a few times a second, while the preview waits for the layout.
    constexpr std::uint32_t progressInterval = 150;
    constexpr std::size_t largeSet = 100;
    std::uint32_t lastShown = platform().milliseconds();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ImageFile& file = files[i];
        // A large set shows its count at once.
        const std::uint32_t now = platform().milliseconds();
        const bool first = i == 0 && files.size() >= largeSet;
        if ((first || now - lastShown >= progressInterval) && statusLine != nullptr) {
            lastShown = now;
            addingImages = true;
            statusLine->setText(String(StatusLine::adding(i, files.size()).c_str()));
            repaint();
        }
        std::string problem;
        if (addImage(file, problem))
            continue;
        if (problem.empty())
            passedOver.push_back(toStdString(file.name));
        else
            problems.push_back(problem);
    }
    addingImages = false;
    relayout();
    updateHint();
    // One message for the whole selection: images already there in one
    // line, a long list of other problems cut short.
    const std::string text = addReport(passedOver, problems);
    if (!text.empty())
        report(text);
}

bool Application::addImage(const ImageFile& file, std::string& problem)
{
    const std::string& path = file.path;
    const String& name = file.name;
    // Two rows of one name would share one texture and one preview element.
    if (images.nameOfFile(path) != nullptr) {
        problem.clear();  // the same file again: passed over
        return false;
    }
    if (const CImageIndex::Entry* existing = images.find(name)) {
        problem = alreadyInListProblem(path, toStdString(name), toStdString(existing->texture->getFile()));
        return false;
    }
    // Read by the lower-cased ending, so Hero.PNG is read like hero.png; an
    // image that does not decode is not added at all.
    auto texture = std::make_unique<CTexture>();
    std::string reason;
    const ImageFileFormat format = readFormatOf(path);
    if (format == ImageFileFormat::None)
        reason = "not a .bmp, .jpg, .jpeg, .png, .tga or .webp file";
    if (format == ImageFileFormat::None || !loadImageFile(path.c_str(), format, *texture, &reason)) {
        problem = path + ": " + reason;
        return false;
    }
    // A nine-patch packs as the picture inside its guides, as on the
    // command line; the borders go to the descriptions.
    std::optional<NineSlice> nineSlice;
    if (isNinePatchName(path)) {
        NineSlice slice;
        if (!takeNinePatch(*texture, slice, reason)) {
            problem = path + ": nine-patch: " + reason;
            return false;
        }
        nineSlice = slice;
    }
    addTexture(std::move(texture), name, path, file.folder, nineSlice);
    return true;
}

void Application::addTexture(std::unique_ptr<CTexture> texture, const String& name, const std::string& file,
                             const std::string& folder, const std::optional<NineSlice>& nineSlice)
{
    texture->setName(name);
    texture->setFile(String(file.c_str()));
    texture->upload(0xFFFFFFFFu, false, false, false, false);
    CTexture* loaded = texture.get();
    textures.add(std::move(texture));

    list->addRow(list->getRowCount(), name);
    CGUI* element = preview.create(CGUI::Element, name);
    CImageIndex::Entry entry;
    entry.texture = loaded;
    entry.element = element;
    entry.folder = folder;
    entry.nineSlice = nineSlice;
    images.add(name, file, entry);
    const float width = static_cast<float>(loaded->getWidth());
    const float height = static_cast<float>(loaded->getHeight());
    element->storeSize(width, height);  // no onResize
    CMaterial& material = element->getMaterial();
    material.textures.insert(material.textures.begin(), loaded->getTextureId());
    const float side = static_cast<float>(loaded->getTextureSize());
    if (side > 0.0f) {
        material.textureMatrix.setElement(0, width / side);
        material.textureMatrix.setElement(5, height / side);
        material.textureMatrix.setElement(12, 0.0f);
        material.textureMatrix.setElement(13, (side - height) / side);
    }
    element->setParent(canvas);
}

void Application::removeImage()
{
    const std::int32_t selected = list->getSelected();
    if (selected < 0)
        return;
    const String name = list->getCellText(static_cast<std::uint32_t>(selected), 0);
    images.remove(name);
    preview.remove(name);
    textures.remove(name);
    list->removeRow(static_cast<std::uint32_t>(selected));
    relayout();
    updateHint();
}

void Application::moveImageUp()
{
    const std::int32_t selected = list->getSelected();
    if (selected <= 0)
        return;
    const auto row = static_cast<std::uint32_t>(selected);
    const CGUI* cell = list->getCell(row, 0);
    if (cell == nullptr)
        return;
    list->insertRow(row - 1, *cell);
    list->removeRow(row + 1);
    list->setSelected(row - 1);
    relayout();
}

void Application::moveImageDown()
{
    const std::int32_t selected = list->getSelected();
    if (selected < 0 || selected >= static_cast<std::int32_t>(list->getRowCount()) - 1)
        return;
    const auto row = static_cast<std::uint32_t>(selected);
    const CGUI* cell = list->getCell(row, 0);
    if (cell == nullptr)
        return;
    list->insertRow(row + 2, *cell);
    list->removeRow(row);
    list->setSelected(row + 1);
    relayout();
}

void Application::newAtlas()
{
    images.clear();
    preview.clear();
    textures.clear();
    packer.clear();
    sprites = SpriteSheet();
    list->clear();
    atlasSize = CanvasSize{};
    atlasPages = 1;
    atlasLayout = AtlasLayout{};
    ++layoutVersion;
    view.setArea(previewArea());
    view.setAtlasSize(0.0f, 0.0f);
    view.home();
    applyView();
    statusMessage.clear();
    pointerImage.clear();
    updateStatus();
    unsavedChanges = false;
    updateHint();
}

void Application::relayout()
{
    // Every change of the list or the options ends here.
    unsavedChanges = list->getRowCount() > 0;
    ++layoutVersion;
    view.setArea(previewArea());
    view.home();
    savedCanvasPos[0] = view.getOriginX();
    savedCanvasPos[1] = view.getOriginY();
    canvasDragCheck(0.0f, 0.0f);
    const std::vector<LayoutImage> images = prepareLayoutImages();
    // The packer holds the options the controls set and, after the layout,
    // the images at their places for the preview and the save.
    const PackSettings chosen = layoutSettings();
    optionsPanel.allowRotate(chosen.mode == PackBest);
    animationsFound =
        chosen.animations ? static_cast<std::uint32_t>(animationCount(sprites.images)) : 0;
    LayoutOptions layoutOptions = layoutOptionsFor(chosen);
    atlasLayout = layoutAtlas(images, layoutOptions);
    // Images that do not fit one atlas of the largest side go on further
    // pages, as the command line's --multipack puts them; a set that fits
    // one page keeps the single-page layout and save it always had.
    if (!atlasLayout.fits()) {
        layoutOptions.multipack = true;
        atlasLayout = layoutAtlas(images, layoutOptions);
    }
    const AtlasLayout& layout = atlasLayout;
    // A relayout keeps the page shown while the layout still has it.
    if (shownPage >= layout.pages.size())
        shownPage = 0;
    fillPagePacker(images, layout, shownPage, packer);
    statusMessage.clear();
    pointerImage.clear();
    // Only an image larger than a page of the largest side fits nowhere:
    // the preview keeps the last layout and saving is refused.
    layoutFits = layout.fits();
    if (!layoutFits) {
        frames.clear();
        for (const LayoutImage& image : images)
            packer.insertEntry(packer.count(), PackEntry{image.name, 0, 0, image.width, image.height, 0});
        updateStatus();
        placePageControl();
        return;
    }
    atlasPages = static_cast<std::uint32_t>(layout.pages.size());
    showPage(shownPage);
}

void Application::showPage(std::uint32_t page)
{
    if (!layoutFits || page >= atlasLayout.pages.size())
        return;
    if (page != shownPage) {
        shownPage = page;
        fillPagePacker(sprites.pictures, atlasLayout, shownPage, packer);
        ++layoutVersion;
        pointerImage.clear();
    }
    const LayoutPage& sheet = atlasLayout.pages[shownPage];
    atlasSize = CanvasSize{sheet.width, sheet.height};
    const auto width = static_cast<float>(sheet.width);
    const auto height = static_cast<float>(sheet.height);
    view.setArea(previewArea());
    view.setAtlasSize(width, height);
    // A new layout starts at the whole-page fit, so a large atlas is seen
    // whole rather than its top-left corner at 1:1.
    view.zoomAround(view.fitZoom(), view.getArea().x, view.getArea().y);
    view.home();
    applyView();
    CMatrix matrix = canvasTextureMatrix;
    matrix.setElement(0, matrix.element(0) * (width / 64.0f));
    matrix.setElement(5, matrix.element(5) * (height / 64.0f));
    canvas->getMaterial().textureMatrix = matrix;

    frames.build(sprites.images, packer, optionsPanel.values().gdxAtlas);
    placePreviewElements();
    updateStatus();
    placePageControl();
}
