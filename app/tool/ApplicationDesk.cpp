// Application: how the window tool behaves on a desktop (see Application.h):
// keyboard shortcuts and the help line that names them, questions before
// work is lost, the resizable window with its maximise and full screen, and
// the settings remembered per user.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/tool/ToolText.h"
#include "framework/CFileDialog.h"
#include "framework/CQuestionBox.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CControlBar.h"
#include "gui/CFont.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "render/Renderer.h"

#include <algorithm>
#include <cmath>

namespace {

// The layout of the screen description, and the smallest window.
constexpr float layoutWidth = 800.0f;
constexpr float layoutHeight = 600.0f;
constexpr float controlsLeft = 600.0f;
constexpr float titleHeight = 20.0f;
// The status line under the preview.
constexpr float statusHeight = 20.0f;

struct ButtonHelp {
    const char* what;
    ToolCommand command;
};

// What each tool button does, in the order of Application::helpButtons().
const ButtonHelp buttonHelp[] = {
    {"New atlas", ToolCommand::newAtlas},        {"Add images", ToolCommand::addImages},
    {"Remove the image", ToolCommand::removeImage}, {"Move up", ToolCommand::moveUp},
    {"Move down", ToolCommand::moveDown},         {"Save the atlas", ToolCommand::saveAtlas},
    {"Unpack an atlas", ToolCommand::none},       {"Open an atlas or a project", ToolCommand::openAtlas},
};

}

Application::Area Application::previewArea() const
{
    const Size size = getSize();
    const float width = std::max(static_cast<float>(size.width), layoutWidth) - (layoutWidth - controlsLeft);
    const float height = std::max(static_cast<float>(size.height), layoutHeight) - titleHeight - statusHeight;
    return Area{0.0f, titleHeight, width, height};
}

bool Application::confirmDiscard(const std::string& action, const std::string& accept)
{
    const bool projectChanged = !document.path().empty() && document.isModified(layoutVersion);
    if (projectChanged && (!unsavedChanges || list == nullptr || list->getRowCount() == 0))
        return questionBox().ask("Quilt Forger",
                                 "The project " + fileNameOf(document.path()) + " has changes that were not saved. " +
                                     action + " without saving them?",
                                 accept, "Cancel");
    if (!unsavedChanges || list == nullptr || list->getRowCount() == 0)
        return true;
    const std::uint32_t count = list->getRowCount();
    const std::string images = count == 1 ? "1 image" : std::to_string(count) + " images";
    return questionBox().ask("Quilt Forger",
                             "The atlas of " + images + " has changes that were not saved. " + action +
                                 " without saving them?",
                             accept, "Cancel");
}

bool Application::queryClose()
{
    return confirmDiscard("Quit", "Quit without saving");
}

void Application::runCommand(ToolCommand command)
{
    switch (command) {
    case ToolCommand::newAtlas:
        if (confirmDiscard("Start a new atlas", "Discard the images")) {
            newAtlas();
            document.clear();
            document.setSavedVersion(layoutVersion);
        }
        break;
    case ToolCommand::saveProject: saveProjectFile(); break;
    case ToolCommand::addImages: addImages(); break;
    case ToolCommand::saveAtlas: saveAtlasFile(); break;
    case ToolCommand::openAtlas: openAtlasFile(); break;
    case ToolCommand::removeImage: removeImage(); break;
    case ToolCommand::moveUp: moveImageUp(); break;
    case ToolCommand::moveDown: moveImageDown(); break;
    case ToolCommand::fullScreen: toggleDesktopFullscreen(); break;
    case ToolCommand::selectPrevious:
    case ToolCommand::selectNext: {
        const auto rows = static_cast<std::int32_t>(list->getRowCount());
        if (rows == 0)
            break;
        const std::int32_t selected = list->getSelected();
        std::int32_t next = command == ToolCommand::selectNext ? selected + 1 : selected - 1;
        if (selected < 0)
            next = command == ToolCommand::selectNext ? 0 : rows - 1;
        const auto row = static_cast<std::uint32_t>(std::clamp(next, 0, rows - 1));
        list->setSelected(row);
        scrollListTo(row);
        break;
    }
    case ToolCommand::none: break;
    }
}

// Shortcuts come from the key-down messages, which carry the key whatever
// the modifiers (Alt turns them into system keys).
void Application::windowMessage(unsigned int message, int first, int)
{
    if (message != WindowMessage::keyDown && message != WindowMessage::systemKeyDown)
        return;
    // Page Up and Page Down go through the pages of a multipage layout.
    if (message == WindowMessage::keyDown && (first == VirtualKey::pageUp || first == VirtualKey::pageDown)) {
        if (first == VirtualKey::pageDown)
            showPage(shownPage + 1);
        else if (shownPage > 0)
            showPage(shownPage - 1);
        return;
    }
    const ToolCommand command = shortcutFor(first, platform().keyModifiers());
    // Delete in a text field is the field's, not the selected image's.
    if (command == ToolCommand::removeImage && gui.getFocus() != nullptr && gui.getFocus()->getType() == CGUI::Edit)
        return;
    runCommand(command);
}

void Application::hoverButton(int index)
{
    hoveredButton = index;
    const ButtonHelp& help = buttonHelp[index];
    const std::string keys = help.command == ToolCommand::none ? "" : "  (" + shortcutText(help.command) + ")";
    if (titleText != nullptr)
        titleText->setText(String(("Quilt Forger  -  " + std::string(help.what) + keys).c_str()));
}

void Application::leaveButton(int index)
{
    if (hoveredButton != index)
        return;
    hoveredButton = -1;
    shownTitle.clear();
    updateTitle();
}

void Application::describeShortcuts()
{
    titleText = dynamic_cast<CFont*>(gui.find("title"));
    CButton* buttons[] = {btnNew, btnAdd, btnSub, btnUp, btnDown, btnSave, btnUnpack, btnOpen};
    for (int i = 0; i < 8; ++i) {
        if (buttons[i] == nullptr)
            continue;
        connectSlot(connections, buttons[i]->onMouseOver, this, &Application::hoverButton, i);
        connectSlot(connections, buttons[i]->onMouseOut, this, &Application::leaveButton, i);
    }
    if (hint != nullptr)
        if (auto* text = dynamic_cast<CFont*>(hint))
            text->setText("Drop images or folders here, or press Add images (Ctrl+O); Ctrl+Shift+O opens an atlas or a project");
}

// The controls keep to the right edge, the title bar and the side panels
// span the window, the hint covers the preview area, and the status line
// keeps to the bottom edge and grows along it.
void Application::placeControls()
{
    const Area area = previewArea();
    const float dx = area.width - controlsLeft;
    const float dy = area.height - (layoutHeight - titleHeight - statusHeight);
    float listTop = layoutHeight;
    float listBottom = layoutHeight;
    for (const Placement& place : placements) {
        if (place.element == list) {
            listTop = place.y;
            listBottom = place.y + place.height;
        }
    }
    // Everything placed with the image list `listGrowth` pixels taller.
    auto placeAll = [&](float listGrowth) {
        for (const Placement& place : placements) {
            CGUI* element = place.element;
            if (element == control) {
                element->setSize(place.width + dx, place.height);
            } else if (element == hint) {
                element->setSize(place.width + dx, place.height + dy);
            } else if (place.x < controlsLeft && place.y >= layoutHeight - statusHeight) {
                // The status line keeps to the bottom edge and spans the preview.
                element->setPosition(place.x, place.y + dy);
                element->setSize(place.width + dx, place.height);
            } else if (place.x >= controlsLeft) {
                const bool holdsList = place.y <= listTop && place.y + place.height >= listBottom &&
                                       place.y + place.height < layoutHeight;
                const bool belowList = place.y >= listBottom;
                element->setPosition(place.x + dx, place.y + (belowList ? listGrowth : 0.0f));
                if (place.y <= titleHeight && place.y + place.height >= layoutHeight)
                    element->setSize(place.width, place.height + dy);
                else if (holdsList)
                    element->setSize(place.width, place.height + listGrowth);
            } else if (place.y >= layoutHeight - titleHeight) {
                element->setPosition(place.x, place.y + dy);
                element->setSize(place.width + dx, place.height);
            }
        }
        // The options fill the column under the image list.
        const CGUI* listPanel = gui.find("listPanel");
        const float optionsTop = listPanel != nullptr ? listPanel->getY() + listPanel->getHeight() + 1.0f : 295.0f;
        optionsPanel.place(controlsLeft + 6.0f + dx, optionsTop, area.bottom() + statusHeight);
    };
    // The image list takes half the height the window gains, unless the
    // options could stack their groups with less: then the options get the
    // room they need to stack and the list the rest.
    float growth = std::floor(dy / 2.0f);
    placeAll(growth);
    if (!optionsPanel.isStacked() && growth > 0.0f) {
        placeAll(0.0f);
        if (optionsPanel.isStacked()) {
            float stacks = 0.0f;
            while (growth - stacks > 1.0f) {
                const float middle = std::floor((stacks + growth) / 2.0f);
                placeAll(middle);
                (optionsPanel.isStacked() ? stacks : growth) = middle;
            }
            growth = stacks;
        }
        placeAll(growth);
    }
    placePageControl();
}

void Application::windowResized(int width, int height, CDisplay::SizeType type)
{
    if (type == CDisplay::minimised || width <= 0 || height <= 0 || canvas == nullptr)
        return;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    setViewport(0, 0, width, height);
    const CMatrix projection = CMatrix::orthographic(0.0f, w, h, 0.0f, 0.0f, 1000.0f);
    loadProjection(&projection);
    loadModelView();
    camera.setTranslation(CVector(w, h, 0.0f));
    placeControls();
    // The preview's new area may raise the least zoom (the whole-page fit):
    // the canvas follows the view at once, so the images and the checker
    // under them keep one scale.
    view.moveTo(canvas->getX(), canvas->getY());
    view.setArea(previewArea());
    applyView();
    requestRedraw();
}

void Application::toggleMaximised()
{
    if (isDesktopFullscreen())
        setDesktopFullscreen(false);
    setMaximised(!isMaximised());
}

void Application::toggleDesktopFullscreen()
{
    setDesktopFullscreen(!isDesktopFullscreen());
}

void Application::loadSettings()
{
    settingsPath = toolSettingsPath();
    settings = loadToolSettings(settingsPath);
    applySettings();
}

void Application::applySettings()
{
    // "Best fit" without its box in the screen falls back to the first mode.
    const PackMode mode = settings.mode == PackBest && options.bestFit == nullptr ? PackAuto : settings.mode;
    CCheckBox* modes[] = {cboxAutoPack, cboxPackRight, cboxPackDown, options.bestFit};
    for (int i = 0; i < 4; ++i) {
        if (modes[i] != nullptr)
            modes[i]->setChecked(i == mode);
    }
    packer.setMode(mode);
    showLargestSide(settings.largest);
    cboxPackCenter->setChecked(settings.centre);
    packer.setAlignment(settings.centre ? AlignCentre : AlignEdge);
    cboxTightPack->setChecked(settings.tight);
    // The further options, as a project would set them.
    PackSettings further;
    further.sprites.bleed = settings.bleed;
    further.sprites.premultiply = settings.premultiply;
    further.animations = settings.animations;
    further.recursive = settings.recursive;
    further.flatten = settings.flatten;
    further.order = settings.order;
    further.pot = settings.pot;
    further.square = settings.square;
    further.multipack = settings.pages;
    further.border = settings.border;
    further.json = settings.json;
    further.jsonArray = settings.jsonArray;
    further.gdxAtlas = settings.gdxAtlas;
    further.phaser3 = settings.phaser3;
    further.compression = settings.compression;
    further.quality = settings.quality;
    further.jpegFlatten = settings.jpegFlatten;
    further.jpegFlattenColour = settings.jpegFlattenColour;
    further.rotate = settings.rotate;
    further.pivot = settings.pivot;
    further.variants = settings.variants;
    optionsPanel.show(further);
    optionsPanel.showRecent(settings.recentProjects);
    spriteOptions.bleed = settings.bleed;
    spriteOptions.premultiply = settings.premultiply;
    spriteOptions.trim = settings.trim;
    spriteOptions.alias = settings.alias;
    if (options.trim != nullptr)
        options.trim->setChecked(settings.trim);
    if (options.alias != nullptr)
        options.alias->setChecked(settings.alias);
    if (options.extrude != nullptr)
        options.extrude->setValue(static_cast<float>(settings.extrude));
    const float spacing = std::clamp(static_cast<float>(settings.spacing), spaceScroll->getMin(), spaceScroll->getMax());
    spaceScroll->setValue(spacing);
    setSpacing(spaceScroll->getValue());
}

void Application::storeSettings()
{
    if (cboxAutoPack == nullptr || settingsPath.empty())
        return;
    settings.mode = cboxPackRight->isChecked() ? PackRight : cboxPackDown->isChecked() ? PackDown : PackAuto;
    if (options.bestFit != nullptr && options.bestFit->isChecked())
        settings.mode = PackBest;
    settings.largest = largestSide;
    settings.centre = cboxPackCenter->isChecked();
    settings.tight = cboxTightPack->isChecked();
    settings.spacing = wholeSpacing(spaceScroll->getValue());
    settings.trim = spriteOptions.trim;
    settings.alias = spriteOptions.alias;
    settings.extrude = std::min(spriteOptions.extrude, ToolSettings::extrudeLimit);
    const PackSettings& further = optionsPanel.values();
    settings.bleed = further.sprites.bleed;
    settings.premultiply = further.sprites.premultiply;
    settings.animations = further.animations;
    settings.recursive = further.recursive;
    settings.flatten = further.flatten;
    settings.order = further.order;
    settings.pot = further.pot;
    settings.square = further.square;
    settings.pages = further.multipack;
    settings.border = further.border;
    settings.json = further.json;
    settings.jsonArray = further.jsonArray;
    settings.gdxAtlas = further.gdxAtlas;
    settings.phaser3 = further.phaser3;
    settings.compression = further.compression;
    settings.quality = further.quality;
    settings.jpegFlatten = further.jpegFlatten;
    settings.jpegFlattenColour = further.jpegFlattenColour;
    settings.rotate = further.rotate;
    settings.pivot = further.pivot;
    settings.variants = further.variants;
    // Settings are a convenience: a folder that cannot be written loses them
    // quietly rather than troubling the person at every turn.
    saveToolSettings(settingsPath, settings, nullptr);
}

void Application::rememberFolder(const std::string& dialog, const std::string& path)
{
    const std::string folder = folderOf(path);
    if (folder.empty() || folder[0] != '/')
        return;
    settings.folders[dialog] = folder;
    storeSettings();
}

void Application::suggestFolder(const std::string& dialog, const std::string& name)
{
    const auto found = settings.folders.find(dialog);
    fileDialog().suggest(found != settings.folders.end() ? found->second : std::string(), name);
}
