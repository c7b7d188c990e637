// Application: the packing options beyond the three modes, alignment, tight
// pack and spacing: "Best fit" as a fourth mode, the largest side of the
// atlas, trimming, packing duplicates once and edge extrusion. Every control
// is optional in the screen description; a missing one keeps its default.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/tool/ToolText.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CFont.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "image/ImageLimits.h"
#include "resources/CResourceManager.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <string>

namespace {

// The largest side's choices, the rows of its combo box.
constexpr std::uint32_t largestSides[] = {1024, 2048, 4096, 8192, 16384};
constexpr std::size_t largestCount = sizeof(largestSides) / sizeof(largestSides[0]);

std::size_t position(float value, std::size_t count)
{
    const float rounded = std::round(value);
    return rounded <= 0.0f ? 0 : std::min(static_cast<std::size_t>(rounded), count - 1);
}

}

void Application::setUpOptions()
{
    options.bestFit = dynamic_cast<CCheckBox*>(gui.find("cboxBestFit"));
    options.trim = dynamic_cast<CCheckBox*>(gui.find("cboxTrim"));
    options.alias = dynamic_cast<CCheckBox*>(gui.find("cboxAlias"));
    options.largest = dynamic_cast<CCombo*>(gui.find("largestCombo"));
    options.extrude = dynamic_cast<CScroll*>(gui.find("extrudeScroll"));
    options.extrudeValue = dynamic_cast<CFont*>(gui.find("fontExtrudeValue"));
    if (options.bestFit != nullptr) {
        connectSlot(connections, options.bestFit->onClick, this, &Application::chooseBestFit);
        // Another mode chosen: its own handler has packed already.
        for (CCheckBox* box : {cboxAutoPack, cboxPackRight, cboxPackDown})
            connectSlot(connections, box->onClick, this, &Application::leaveBestFit);
    }
    if (options.trim != nullptr)
        connectSlot(connections, options.trim->onClick, this, &Application::chooseSpriteOptions);
    if (options.alias != nullptr)
        connectSlot(connections, options.alias->onClick, this, &Application::chooseSpriteOptions);
    if (options.largest != nullptr) {
        // The row bars show the description's "hover" and "select" colours
        // alone: unlit, at whatever depth the dropped list is drawn.
        for (CGUI* bar : {&options.largest->getList().getHoverBar(), &options.largest->getList().getSelectBar()}) {
            CMaterial& material = bar->getMaterial();
            material.diffuse.set(0.0f, 0.0f, 0.0f, material.diffuse.w);
            material.ambient.set(0.0f, 0.0f, 0.0f, 0.0f);
        }
        connectSlot(connections, options.largest->onSelect, this, &Application::setLargestSide);
        connectSlot(connections, options.largest->onFocus, this, &Application::largestFocus);
        showLargestSide(largestSides[largestCount - 1]);
    }
    if (options.extrude != nullptr)
        connectSlot(connections, options.extrude->onChange, this, &Application::setExtrusion);
    optionsPanel.setUp(gui);
    optionsPanel.onChange = [this](COptionsPanel::Change change) { optionsChanged(change); };
    optionsPanel.onSaveProject = [this] { saveProjectFile(); };
    optionsPanel.onOpenRecent = [this](std::size_t index) { openRecentProject(index); };
    optionsPanel.onProblem = [this](const std::string& problem) { report(problem); };
}

void Application::chooseBestFit()
{
    options.bestFit->setChecked(true);
    for (CCheckBox* box : {cboxAutoPack, cboxPackRight, cboxPackDown})
        box->setChecked(false);
    packer.setMode(PackBest);
    relayout();
}

void Application::leaveBestFit()
{
    options.bestFit->setChecked(false);
}

void Application::chooseSpriteOptions()
{
    spriteOptions.trim = options.trim != nullptr && options.trim->isChecked();
    spriteOptions.alias = options.alias != nullptr && options.alias->isChecked();
    relayout();
}

void Application::setLargestSide(String&, std::int32_t row, std::int32_t)
{
    largestSide = largestSides[position(static_cast<float>(row), largestCount)];
    showLargestSide(largestSide);
    relayout();
}

// The combo's field shows the side in force, whatever was typed into it.
void Application::largestFocus(bool focused)
{
    if (!focused)
        showLargestSide(largestSide);
}

void Application::showLargestSide(std::uint32_t side)
{
    const auto* found = std::find(std::begin(largestSides), std::end(largestSides), side);
    if (found == std::end(largestSides))
        return;
    const bool changed = largestSide != side;
    largestSide = side;
    if (options.largest != nullptr) {
        const auto row = static_cast<std::uint32_t>(found - std::begin(largestSides));
        options.largest->getList().setSelected(row);
        options.largest->getEdit().setText(options.largest->getList().getCellText(row, 0));
    }
    if (changed)
        relayout();
}

void Application::setExtrusion(float value)
{
    spriteOptions.extrude = static_cast<std::uint32_t>(position(value, 9));
    if (options.extrudeValue != nullptr)
        options.extrudeValue->setText(String((std::to_string(spriteOptions.extrude) + " px").c_str()));
    relayout();
}

PackSettings Application::layoutSettings() const
{
    // The panel's own options, then those the older controls hold.
    PackSettings settings = optionsPanel.values();
    settings.mode = packer.mode();
    settings.alignment = packer.alignment();
    settings.spacing = packer.spacing();
    settings.tight = cboxTightPack == nullptr || cboxTightPack->isChecked();
    settings.maxSize = largestSide;
    settings.sprites.trim = spriteOptions.trim;
    settings.sprites.alias = spriteOptions.alias;
    settings.sprites.extrude = spriteOptions.extrude;
    // The per-sprite settings have no control: they come from the open
    // project as it was read, so saving it again keeps them.
    settings.perSprite = document.project().settings.perSprite;
    return settings;
}

PackSettings Application::packSettings() const
{
    PackSettings settings = layoutSettings();
    settings.atlasPath = document.project().settings.atlasPath;
    // Turning is chosen in best fit only, as the command line takes it.
    settings.rotate = settings.rotate && settings.mode == PackBest;
    // A set on more than one page is saved as pages, as --multipack does.
    settings.multipack = settings.multipack || atlasPages > 1;
    // Each image's file by its name, found in one pass.
    std::unordered_map<std::string, std::string> files;
    auto& allTextures = const_cast<CResourceManager&>(textures);
    for (std::uint32_t i = 0; i < allTextures.getCount(); ++i) {
        const CResource* texture = allTextures.getResource(i);
        files.emplace(toStdString(texture->getName()), toStdString(texture->getFile()));
    }
    struct Row {
        std::string name;
        std::string file;
        std::string folder;
    };
    std::vector<Row> rows;
    for (std::uint32_t i = 0; list != nullptr && i < list->getRowCount(); ++i) {
        const String name = list->getCellText(i, 0);
        const auto found = files.find(toStdString(name));
        const std::string file = found != files.end() ? found->second : std::string();
        // Frames cut from an opened atlas have no file of their own.
        if (file.empty() || file.find('#') != std::string::npos)
            continue;
        const CImageIndex::Entry* entry = images.find(name);
        rows.push_back({toStdString(name), file, entry != nullptr ? entry->folder : std::string()});
    }
    // A folder stays one input while the list holds exactly what walking it
    // now gives, in that order (nothing removed, moved or added since, the
    // folder options unchanged), so a pack takes up what is added to it
    // later and names its files by their path below it. Otherwise its
    // images are kept one by one.
    std::vector<std::string> listOrder;
    std::unordered_set<std::string> changedFolders;
    for (std::size_t i = 0; i < rows.size();) {
        const Row& row = rows[i];
        if (!row.folder.empty() && changedFolders.count(row.folder) == 0) {
            PackSettings walk = settings;
            walk.inputs = {row.folder};
            const std::vector<CProjectDocument::ImageFile> found = CProjectDocument::imageFiles(walk);
            bool same = !found.empty() && i + found.size() <= rows.size();
            for (std::size_t k = 0; same && k < found.size(); ++k) {
                const Row& next = rows[i + k];
                same = next.folder == row.folder && next.file == found[k].path && next.name == found[k].name;
            }
            if (same) {
                settings.inputs.push_back(row.folder);
                for (std::size_t k = 0; k < found.size(); ++k)
                    listOrder.push_back(rows[i + k].name);
                i += found.size();
                continue;
            }
            changedFolders.insert(row.folder);
        }
        settings.inputs.push_back(row.file);
        listOrder.push_back(row.name);
        ++i;
    }
    const std::unordered_set<std::string> listed(listOrder.begin(), listOrder.end());
    std::vector<std::string> addOrder;
    for (std::uint32_t i = 0; i < preview.getCount(); ++i) {
        const std::string name = toStdString(const_cast<CGUIManager&>(preview).getElement(i)->getName());
        if (listed.count(name) != 0)
            addOrder.push_back(name);
    }
    if (addOrder != listOrder)
        settings.frameOrder = addOrder;
    return settings;
}

void Application::applyPackSettings(const PackSettings& settings)
{
    CCheckBox* modes[] = {cboxAutoPack, cboxPackRight, cboxPackDown, options.bestFit};
    const PackMode mode = settings.mode == PackBest && options.bestFit == nullptr ? PackAuto : settings.mode;
    for (int i = 0; i < 4; ++i) {
        if (modes[i] != nullptr)
            modes[i]->setChecked(i == mode);
    }
    packer.setMode(mode);
    cboxPackCenter->setChecked(settings.alignment == AlignCentre);
    packer.setAlignment(settings.alignment);
    cboxTightPack->setChecked(settings.tight);
    spriteOptions.trim = settings.sprites.trim;
    spriteOptions.alias = settings.sprites.alias;
    spriteOptions.bleed = settings.sprites.bleed;
    spriteOptions.premultiply = settings.sprites.premultiply;
    if (options.trim != nullptr)
        options.trim->setChecked(settings.sprites.trim);
    if (options.alias != nullptr)
        options.alias->setChecked(settings.sprites.alias);
    optionsPanel.show(settings);
    if (std::find(std::begin(largestSides), std::end(largestSides), settings.maxSize) != std::end(largestSides))
        showLargestSide(settings.maxSize);
    else
        largestSide = settings.maxSize; // a side the combo does not list, from a project
    // The scrolls relayout as they are set; the spacing goes last.
    if (options.extrude != nullptr)
        options.extrude->setValue(static_cast<float>(std::min<std::uint32_t>(settings.sprites.extrude, 4096)));
    spriteOptions.extrude = settings.sprites.extrude;
    if (options.extrudeValue != nullptr)
        options.extrudeValue->setText(String((std::to_string(spriteOptions.extrude) + " px").c_str()));
    spaceScroll->setValue(std::clamp(static_cast<float>(settings.spacing), spaceScroll->getMin(), spaceScroll->getMax()));
    fontSpaceValue->setText(String(spacingLabel(settings.spacing).c_str()));
    packer.setSpacing(settings.spacing);
    relayout();
}

void Application::optionsChanged(COptionsPanel::Change change)
{
    spriteOptions.bleed = optionsPanel.values().sprites.bleed;
    spriteOptions.premultiply = optionsPanel.values().sprites.premultiply;
    if (change == COptionsPanel::Change::layout) {
        relayout();
    } else {
        document.markOutputsChanged();
        // A save that writes the .atlas description stores turned images
        // the other way round; the preview shows them as stored.
        const bool anyTurned = std::any_of(frames.all().begin(), frames.all().end(),
                                           [](const PreviewFrame& frame) { return frame.turned != 0; });
        if (anyTurned && layoutFits) {
            frames.build(sprites.images, packer, optionsPanel.values().gdxAtlas);
            placePreviewElements();
            ++layoutVersion;
        }
        requestRedraw();
    }
}
