// Application: the image list and the relayout (see Application.h).
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasLayout.h"
#include "app/pack/NaturalOrder.h"
#include "framework/CFileDialog.h"
#include "gui/CCheckBox.h"
#include "gui/CList.h"
#include "resources/CTexture.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

// The image endings the tool reads, tested on lower-cased names.
bool hasImageEnding(const std::string& path)
{
    return imageFormatByEnding(path) != ImageFileFormat::None;
}

// A single file's name: the text after the last "\" or "/"; the whole path
// when it has no separator or its only separator is its first character.
std::string singleFileName(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos || (separator == 0 && path.find_first_of("\\/") == 0))
        return path;
    return path.substr(separator + 1);
}

// The image files directly in a folder, in natural name order (frame2
// before frame10), as the command line takes them.
std::vector<std::string> imagesInFolder(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        std::error_code typeError;
        if (entry.is_regular_file(typeError) && hasImageEnding(name))
            names.push_back(name);
    }
    sortNames(names, NameOrder::Natural);
    return names;
}

}

const std::vector<CFileFilter>& atlasImageFilters()
{
    static const std::vector<CFileFilter> filters{
        {"All Files (*.bmp, *.jpg, *.png, *.tga)", "*.bmp;*.jpg;*.png;*.tga;"},
        {"BMP Files (*.bmp)", "*.bmp"},
        {"JPG Files (*.jpg)", "*.jpg"},
        {"PNG Files (*.png)", "*.png"},
        {"TGA Files (*.tga)", "*.tga"},
    };
    return filters;
}

void Application::addImages()
{
    CFileSelection selection;
    if (!fileDialog().open("Add images", atlasImageFilters(), true, selection))
        return;
    std::vector<ImageFile> files;
    if (selection.names.empty()) {
        // One file: its name is lower-cased as the tool has always named a
        // single choice, but the path keeps its case so that it can be read.
        files.push_back({selection.path, String(lowerAscii(singleFileName(selection.path)).c_str())});
    } else {
        for (const std::string& path : selection.paths())
            files.push_back({path, String(fileNameOf(path).c_str())});
    }
    addFiles(files);
}

void Application::addPaths(const std::vector<std::string>& paths)
{
    std::vector<ImageFile> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            for (const std::string& name : imagesInFolder(path))
                files.push_back({joinPath(path, name), String(name.c_str())});
        } else {
            files.push_back({path, String(fileNameOf(path).c_str())});
        }
    }
    addFiles(files);
}

void Application::filesDropped(const std::vector<std::string>& paths)
{
    addPaths(paths);
}

void Application::addFiles(const std::vector<ImageFile>& files)
{
    std::vector<std::string> problems;
    for (const ImageFile& file : files) {
        std::string problem;
        if (!addImage(file.path, file.name, problem))
            problems.push_back(problem);
    }
    relayout();
    updateHint();
    if (problems.empty())
        return;
    // One message for the whole selection; a long list is cut short.
    constexpr std::size_t shown = 12;
    std::string text = problems.size() == 1 ? "One file was not added:\n"
                                            : std::to_string(problems.size()) + " files were not added:\n";
    for (std::size_t i = 0; i < problems.size() && i < shown; ++i)
        text += "\n" + problems[i];
    if (problems.size() > shown)
        text += "\n... and " + std::to_string(problems.size() - shown) + " more.";
    report(text);
}

bool Application::addImage(const std::string& path, const String& name, std::string& problem)
{
    // Two rows of one name would share one texture and one preview element.
    const String file(path.c_str());
    for (std::uint32_t i = 0; i < textures.getCount(); ++i) {
        const CResource* existing = textures.getResource(i);
        if (existing->getName() == name || existing->getFile() == file) {
            problem = toStdString(name) + ": already in the list as " + toStdString(existing->getName()) +
                      " (from " + toStdString(existing->getFile()) + "); " + path + " was not added.";
            return false;
        }
    }
    // Read by the lower-cased ending, so Hero.PNG is read like hero.png; an
    // image that does not decode is not added at all.
    auto texture = std::make_unique<CTexture>();
    std::string reason;
    if (!loadImageByEnding(path, *texture, &reason)) {
        problem = path + ": " + reason;
        return false;
    }
    texture->setName(name);
    texture->setFile(file);
    texture->upload(0xFFFFFFFFu, false, false, false, false);
    CTexture* loaded = texture.get();
    textures.add(std::move(texture));

    list->addRow(list->getRowCount(), name);
    preview.create(CGUI::Element, name);
    CGUI* element = preview.find(name);
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
    return true;
}

void Application::removeImage()
{
    const std::int32_t selected = list->getSelected();
    if (selected < 0)
        return;
    const String name = list->getCellText(static_cast<std::uint32_t>(selected), 0);
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
    preview.clear();
    textures.clear();
    packer.clear();
    sprites = SpriteSheet();
    list->clear();
    savedCanvasPos[0] = 0.0f;
    savedCanvasPos[1] = 20.0f;
    canvas->setSize(0.0f, 0.0f);
    updateHint();
}

void Application::relayout()
{
    savedCanvasPos[0] = 0.0f;
    savedCanvasPos[1] = 20.0f;
    canvasDragCheck(0.0f, 0.0f);
    const std::vector<LayoutImage> images = prepareLayoutImages();
    // The packer holds the options the controls set and, after the layout,
    // the images at their places for the preview and the save.
    LayoutOptions options;
    options.mode = packer.mode();
    options.alignment = packer.alignment();
    options.spacing = packer.spacing();
    options.tight = cboxTightPack->isChecked();
    const AtlasLayout layout = layoutAtlas(images, options);
    fillPagePacker(images, layout, 0, packer);
    // Images that need an atlas beyond the largest image side fit no
    // square: the preview keeps the last layout and saving is refused.
    layoutFits = layout.fits();
    if (!layoutFits) {
        for (const LayoutImage& image : images)
            packer.insertEntry(packer.count(), PackEntry{image.name, 0, 0, image.width, image.height});
        report("The images do not fit into one atlas of the largest size; remove some to save.");
        return;
    }
    const auto width = static_cast<float>(layout.pages[0].width);
    const auto height = static_cast<float>(layout.pages[0].height);

    canvas->setPosition(0.0f, 20.0f);
    canvas->storeSize(width, height);
    CMatrix matrix = canvasTextureMatrix;
    matrix.setElement(0, matrix.element(0) * (width / 64.0f));
    matrix.setElement(5, matrix.element(5) * (height / 64.0f));
    canvas->getMaterial().textureMatrix = matrix;

    placePreviewElements();
}
