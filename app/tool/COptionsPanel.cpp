// COptionsPanel: placing the option groups and the options the panel owns
// (see the header).
#include "app/tool/COptionsPanel.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasFrames.h"
#include "app/pack/OptionValues.h"
#include "app/tool/ToolText.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CEdit.h"
#include "gui/CFont.h"
#include "gui/CGUIManager.h"
#include "gui/CList.h"
#include "gui/CScroll.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Space between groups and between a heading and its rows.
constexpr float groupGap = 2.0f;
constexpr float headingHeight = 16.0f;
constexpr float tabHeight = 19.0f;
constexpr float tabWidth = 60.0f;
constexpr float tabGap = 4.0f;
// The border scroll's leftmost step: no border of its own (the spacing).
constexpr float borderAsSpacing = -1.0f;
// The quality scroll's leftmost step: lossless.
constexpr float qualityLossless = -1.0f;

struct ItemName {
    const char* name;
    float dx;
    float dy;
};
struct RowNames {
    std::vector<ItemName> items;
    float height;
};

// Each group's rows: the controls' names, offsets in the row and the row's
// height. Rows of missing controls take no room.
const std::vector<RowNames> layoutRows = {
    {{{"cboxAutoPack", 0, 0}}, 20},
    {{{"cboxPackRight", 0, 0}}, 20},
    {{{"cboxPackDown", 0, 0}}, 20},
    {{{"cboxBestFit", 0, 0}}, 22},
    {{{"cboxPackCenter", 0, 0}}, 20},
    {{{"cboxTightPack", 0, 0}}, 22},
    {{{"labelSpacing", 0, 0}, {"fontSpaceValue", 100, 0}}, 18},
    {{{"spaceScroll", 0, 0}}, 20},
    {{{"labelBorder", 0, 0}, {"fontBorderValue", 100, 0}}, 18},
    {{{"borderScroll", 0, 0}}, 22},
    {{{"cboxRotate", 0, 0}}, 20},
    {{{"cboxPages", 0, 0}}, 20},
};
const std::vector<RowNames> spriteRows = {
    {{{"cboxTrim", 0, 0}}, 20},
    {{{"cboxAlias", 0, 0}}, 20},
    {{{"cboxBleed", 0, 0}}, 20},
    {{{"cboxPremultiply", 0, 0}}, 20},
    {{{"cboxAnimations", 0, 0}}, 22},
    {{{"labelExtrude", 0, 0}, {"fontExtrudeValue", 100, 0}}, 18},
    {{{"extrudeScroll", 0, 0}}, 20},
    {{{"labelPivot", 0, 0}, {"editPivot", 100, 0}}, 24},
    {{{"headerFolders", 2, 0}}, 16},
    {{{"cboxRecursive", 0, 0}}, 20},
    {{{"cboxFlatten", 0, 0}}, 20},
    {{{"cboxByteOrder", 0, 0}}, 22},
    {{{"headerScales", 2, 0}}, 16},
    {{{"editScales", 0, 0}}, 22},
};
const std::vector<RowNames> outputRows = {
    {{{"btnSaveProject", 0, 0}, {"recentCombo", 96, 2}}, 28},
    {{{"labelLargest", 0, 2}, {"largestCombo", 100, 0}}, 26},
    {{{"cboxPot", 0, 0}}, 20},
    {{{"cboxSquare", 0, 0}}, 20},
    {{{"headerFormats", 2, 0}}, 16},
    {{{"cboxJson", 0, 0}}, 20},
    {{{"cboxJsonArray", 0, 0}}, 20},
    {{{"cboxGdxAtlas", 0, 0}}, 20},
    {{{"cboxPhaser3", 0, 0}}, 20},
    {{{"headerCompression", 2, 0}}, 16},
    {{{"cboxCompressFast", 0, 0}, {"cboxCompressDefault", 58, 0}, {"cboxCompressBest", 134, 0}}, 20},
    {{{"labelQuality", 0, 0}, {"fontQualityValue", 100, 0}}, 18},
    {{{"qualityScroll", 0, 0}}, 18},
    {{{"labelJpegColour", 0, 0}, {"editJpegColour", 120, 0}}, 20},
};

// Orange for a typed value that is refused, as the status line's warnings.
const CVector refusedColour(1.0f, 0.62f, 0.3f, 1.0f);

}

float COptionsPanel::Group::height() const
{
    float sum = 0.0f;
    for (const Row& row : rows)
        sum += row.height;
    return sum;
}

void COptionsPanel::setUp(CGUIManager& gui)
{
    gui_ = &gui;
    const std::vector<RowNames>* rowNames[] = {&layoutRows, &spriteRows, &outputRows};
    const char* headings[] = {"headerLayout", "headerSprites", "headerOutput"};
    const char* tabs[] = {"tabLayout", "tabSprites", "tabOutput"};
    for (int g = 0; g < 3; ++g) {
        Group& group = groups_[g];
        group.heading = gui.find(headings[g]);
        group.tab = dynamic_cast<CCheckBox*>(gui.find(tabs[g]));
        if (group.tab != nullptr)
            connectSlot(connections_, group.tab->onClick, this, &COptionsPanel::tabClicked, g);
        for (const RowNames& names : *rowNames[g]) {
            Row row{{}, names.height};
            for (const ItemName& item : names.items) {
                if (CGUI* element = gui.find(item.name))
                    row.items.push_back({element, item.dx, item.dy});
            }
            if (!row.items.empty())
                group.rows.push_back(row);
        }
    }
    const auto check = [&](const char* name) { return dynamic_cast<CCheckBox*>(gui.find(name)); };
    checks_.bleed = check("cboxBleed");
    checks_.premultiply = check("cboxPremultiply");
    checks_.animations = check("cboxAnimations");
    checks_.recursive = check("cboxRecursive");
    checks_.flatten = check("cboxFlatten");
    checks_.byteOrder = check("cboxByteOrder");
    checks_.pot = check("cboxPot");
    checks_.square = check("cboxSquare");
    checks_.pages = check("cboxPages");
    checks_.json = check("cboxJson");
    checks_.jsonArray = check("cboxJsonArray");
    checks_.gdxAtlas = check("cboxGdxAtlas");
    checks_.phaser3 = check("cboxPhaser3");
    for (CCheckBox* box : {checks_.bleed, checks_.premultiply, checks_.animations, checks_.recursive, checks_.flatten,
                           checks_.byteOrder, checks_.pot, checks_.square, checks_.pages}) {
        if (box != nullptr)
            connectSlot(connections_, box->onClick, this, &COptionsPanel::checkClicked);
    }
    CCheckBox* formats[] = {checks_.json, checks_.jsonArray, checks_.gdxAtlas, checks_.phaser3};
    for (int i = 0; i < 4; ++i) {
        if (formats[i] != nullptr)
            connectSlot(connections_, formats[i]->onClick, this, &COptionsPanel::formatClicked, i);
    }
    checks_.rotate = check("cboxRotate");
    if (checks_.rotate != nullptr)
        connectSlot(connections_, checks_.rotate->onClick, this, &COptionsPanel::checkClicked);
    const char* fieldNames[] = {"editPivot", "editScales", "editJpegColour"};
    for (int i = 0; i < fieldCount; ++i) {
        fields_[i] = dynamic_cast<CEdit*>(gui.find(fieldNames[i]));
        if (fields_[i] != nullptr)
            fieldColour_[i] = fields_[i]->getTextView().getMaterial().emission;
    }
    if (CEdit* edit = fields_[pivotField]) {
        connectSlot(connections_, edit->onChange, this, &COptionsPanel::pivotTyped);
        connectSlot(connections_, edit->onFocus, this, &COptionsPanel::pivotFocus);
    }
    if (CEdit* edit = fields_[scalesField]) {
        connectSlot(connections_, edit->onChange, this, &COptionsPanel::scalesTyped);
        connectSlot(connections_, edit->onFocus, this, &COptionsPanel::scalesFocus);
    }
    if (CEdit* edit = fields_[colourField]) {
        connectSlot(connections_, edit->onChange, this, &COptionsPanel::colourTyped);
        connectSlot(connections_, edit->onFocus, this, &COptionsPanel::colourFocus);
    }
    quality_ = dynamic_cast<CScroll*>(gui.find("qualityScroll"));
    qualityValue_ = dynamic_cast<CFont*>(gui.find("fontQualityValue"));
    if (quality_ != nullptr) {
        quality_->setMin(qualityLossless);
        connectSlot(connections_, quality_->onChange, this, &COptionsPanel::qualityChanged);
    }
    checks_.compression[0] = check("cboxCompressFast");
    checks_.compression[1] = check("cboxCompressDefault");
    checks_.compression[2] = check("cboxCompressBest");
    for (int i = 0; i < 3; ++i) {
        if (checks_.compression[i] != nullptr)
            connectSlot(connections_, checks_.compression[i]->onClick, this, &COptionsPanel::compressionClicked, i);
    }
    border_ = dynamic_cast<CScroll*>(gui.find("borderScroll"));
    borderValue_ = dynamic_cast<CFont*>(gui.find("fontBorderValue"));
    if (border_ != nullptr) {
        border_->setMin(borderAsSpacing);
        connectSlot(connections_, border_->onChange, this, &COptionsPanel::borderChanged);
    }
    recent_ = dynamic_cast<CCombo*>(gui.find("recentCombo"));
    if (recent_ != nullptr) {
        for (CGUI* bar : {&recent_->getList().getHoverBar(), &recent_->getList().getSelectBar()}) {
            CMaterial& material = bar->getMaterial();
            material.diffuse.set(0.0f, 0.0f, 0.0f, material.diffuse.w);
            material.ambient.set(0.0f, 0.0f, 0.0f, 0.0f);
        }
        connectSlot(connections_, recent_->onSelect, this, &COptionsPanel::recentChosen);
    }
    saveProject_ = dynamic_cast<CButton*>(gui.find("btnSaveProject"));
    if (saveProject_ != nullptr)
        connectSlot(connections_, saveProject_->onClick, this, &COptionsPanel::saveProjectClicked);
    showValues();
    showRecent({});
}

float COptionsPanel::stackedHeight() const
{
    float height = 0.0f;
    for (const Group& group : groups_)
        height += (group.heading ? headingHeight : 0.0f) + group.height() + groupGap;
    return height;
}

void COptionsPanel::place(float left, float top, float bottom)
{
    bool hasTabs = true;
    for (const Group& group : groups_)
        hasTabs = hasTabs && group.tab != nullptr;
    stacked_ = !hasTabs || stackedHeight() <= bottom - top;
    for (int g = 0; g < 3; ++g) {
        if (groups_[g].tab != nullptr) {
            groups_[g].tab->setVisible(!stacked_);
            groups_[g].tab->setPosition(left + g * (tabWidth + tabGap), top);
            groups_[g].tab->setChecked(g == tab_);
        }
        if (groups_[g].heading != nullptr)
            groups_[g].heading->setVisible(stacked_);
    }
    // Stacked groups follow each other; tabbed ones share one place under
    // the tabs, one of them shown.
    float y = stacked_ ? top : top + tabHeight;
    for (int g = 0; g < 3; ++g) {
        Group& group = groups_[g];
        if (!stacked_)
            y = top + tabHeight + 2.0f;
        setGroupVisible(group, stacked_ || g == tab_);
        if (stacked_ && group.heading != nullptr) {
            group.heading->setPosition(left + 2.0f, y + 2.0f);
            y += headingHeight;
        }
        for (const Row& row : group.rows) {
            for (const Item& item : row.items)
                item.element->setPosition(left + item.dx, y + item.dy);
            y += row.height;
        }
        y += groupGap;
    }
}

void COptionsPanel::setGroupVisible(const Group& group, bool visible)
{
    for (const Row& row : group.rows) {
        for (const Item& item : row.items)
            item.element->setVisible(visible);
    }
}

void COptionsPanel::showTab(int tab)
{
    if (tab < 0 || tab > 2)
        return;
    tab_ = tab;
    for (int g = 0; g < 3; ++g) {
        if (groups_[g].tab != nullptr)
            groups_[g].tab->setChecked(g == tab_);
        if (!stacked_)
            setGroupVisible(groups_[g], g == tab_);
    }
}

void COptionsPanel::tabClicked(int tab)
{
    // A tab stays down while it is shown: clicking it again keeps it.
    showTab(tab);
}

void COptionsPanel::show(const PackSettings& settings)
{
    values_.sprites.bleed = settings.sprites.bleed;
    values_.sprites.premultiply = settings.sprites.premultiply;
    values_.animations = settings.animations;
    values_.recursive = settings.recursive;
    values_.flatten = settings.flatten;
    values_.order = settings.order;
    values_.pot = settings.pot;
    values_.square = settings.square;
    values_.multipack = settings.multipack;
    values_.border = settings.border;
    values_.json = settings.json;
    values_.jsonArray = settings.jsonArray;
    values_.gdxAtlas = settings.gdxAtlas;
    values_.phaser3 = settings.phaser3;
    values_.compression = settings.compression;
    values_.quality = settings.quality;
    values_.jpegFlatten = settings.jpegFlatten;
    values_.jpegFlattenColour = settings.jpegFlattenColour;
    values_.rotate = settings.rotate;
    values_.pivot = settings.pivot;
    values_.variants = settings.variants;
    showValues();
}

void COptionsPanel::allowRotate(bool allowed)
{
    if (rotateAllowed_ == allowed)
        return;
    rotateAllowed_ = allowed;
    showRotate();
}

void COptionsPanel::showRotate()
{
    // Outside best fit the box shows unchecked and disabled; the choice
    // stays in values_ for when best fit comes back.
    if (checks_.rotate == nullptr)
        return;
    checks_.rotate->setChecked(values_.rotate && rotateAllowed_);
    checks_.rotate->setEnabled(rotateAllowed_);
}

void COptionsPanel::showValues()
{
    showing_ = true;
    const auto set = [](CCheckBox* box, bool checked) {
        if (box != nullptr)
            box->setChecked(checked);
    };
    set(checks_.bleed, values_.sprites.bleed);
    set(checks_.premultiply, values_.sprites.premultiply);
    set(checks_.animations, values_.animations);
    set(checks_.recursive, values_.recursive);
    set(checks_.flatten, values_.flatten);
    set(checks_.byteOrder, values_.order == NameOrder::Bytes);
    set(checks_.pot, values_.pot);
    set(checks_.square, values_.square);
    set(checks_.pages, values_.multipack);
    set(checks_.json, values_.json);
    set(checks_.jsonArray, values_.jsonArray);
    set(checks_.gdxAtlas, values_.gdxAtlas);
    set(checks_.phaser3, values_.phaser3);
    for (int i = 0; i < 3; ++i)
        set(checks_.compression[i], static_cast<int>(values_.compression) == i);
    if (border_ != nullptr) {
        const float value = values_.border ? static_cast<float>(*values_.border) : borderAsSpacing;
        border_->setValue(std::min(value, border_->getMax()));
    }
    if (borderValue_ != nullptr)
        borderValue_->setText(values_.border ? String((std::to_string(*values_.border) + " px").c_str())
                                             : String("as spacing"));
    showRotate();
    if (quality_ != nullptr)
        quality_->setValue(static_cast<float>(values_.quality < 0 ? qualityLossless : values_.quality));
    if (qualityValue_ != nullptr)
        qualityValue_->setText(values_.quality < 0 ? String("lossless") : String(std::to_string(values_.quality).c_str()));
    for (int i = 0; i < fieldCount; ++i) {
        if (fields_[i] != nullptr && !fields_[i]->isActive()) {
            fields_[i]->setText(String(fieldText(static_cast<Field>(i)).c_str()));
            fields_[i]->getTextView().getMaterial().emission = fieldColour_[i];
        }
    }
    showing_ = false;
}

void COptionsPanel::readChecks()
{
    const auto read = [](CCheckBox* box, bool fallback) { return box != nullptr ? box->isChecked() : fallback; };
    values_.sprites.bleed = read(checks_.bleed, values_.sprites.bleed);
    values_.sprites.premultiply = read(checks_.premultiply, values_.sprites.premultiply);
    values_.animations = read(checks_.animations, values_.animations);
    values_.recursive = read(checks_.recursive, values_.recursive);
    values_.flatten = read(checks_.flatten, values_.flatten);
    values_.order = read(checks_.byteOrder, values_.order == NameOrder::Bytes) ? NameOrder::Bytes : NameOrder::Natural;
    values_.pot = read(checks_.pot, values_.pot);
    values_.square = read(checks_.square, values_.square);
    values_.multipack = read(checks_.pages, values_.multipack);
    if (rotateAllowed_)
        values_.rotate = read(checks_.rotate, values_.rotate);
}

void COptionsPanel::checkClicked()
{
    const PackSettings before = values_;
    readChecks();
    // Premultiplied colour needs no bleeding; the two exclude each other as
    // the engine applies them.
    if (values_.sprites.premultiply && !before.sprites.premultiply)
        values_.sprites.bleed = false;
    if (values_.sprites.bleed && !before.sprites.bleed)
        values_.sprites.premultiply = false;
    showValues();
    const bool layout = values_.pot != before.pot || values_.square != before.square ||
                        values_.multipack != before.multipack || values_.sprites.bleed != before.sprites.bleed ||
                        values_.sprites.premultiply != before.sprites.premultiply ||
                        values_.rotate != before.rotate;
    if (onChange)
        onChange(layout ? Change::layout : Change::outputs);
}

void COptionsPanel::borderChanged(float value)
{
    if (showing_)
        return;
    const float rounded = std::round(value);
    const std::optional<std::uint32_t> border =
        rounded < 0.0f ? std::nullopt : std::optional<std::uint32_t>(static_cast<std::uint32_t>(rounded));
    if (border == values_.border)
        return;
    values_.border = border;
    showValues();
    if (onChange)
        onChange(Change::layout);
}

void COptionsPanel::formatClicked(int which)
{
    CCheckBox* boxes[] = {checks_.json, checks_.jsonArray, checks_.gdxAtlas, checks_.phaser3};
    const bool checked = boxes[which]->isChecked();
    // JSON hash, JSON array and the Phaser 3 multi-atlas are each written
    // as ATLAS.json: one of them at a time.
    if (which == 2) {
        values_.gdxAtlas = checked;
    } else if (checked) {
        values_.json = which == 0;
        values_.jsonArray = which == 1;
        values_.phaser3 = which == 3;
    } else {
        (which == 0 ? values_.json : which == 1 ? values_.jsonArray : values_.phaser3) = false;
    }
    showValues();
    if (onChange)
        onChange(Change::outputs);
}

void COptionsPanel::compressionClicked(int which)
{
    // Radio buttons: a click on the chosen one keeps it chosen.
    const auto chosen = static_cast<ImageCompression>(which);
    const bool changed = chosen != values_.compression;
    values_.compression = chosen;
    showValues();
    if (changed && onChange)
        onChange(Change::outputs);
}

void COptionsPanel::showRecent(const std::vector<std::string>& paths)
{
    if (recent_ == nullptr)
        return;
    CList& list = recent_->getList();
    list.clear();
    if (list.getColumnCount() == 0)
        list.addColumn(0, recent_->getWidth(), "");
    for (std::size_t i = 0; i < paths.size(); ++i)
        list.addRow(static_cast<std::uint32_t>(i), String(fileNameOf(paths[i]).c_str()));
    recent_->getEdit().setText(paths.empty() ? "No recent" : "Recent");
    recent_->setEnabled(!paths.empty());
}

void COptionsPanel::recentChosen(String&, std::int32_t row, std::int32_t)
{
    recent_->getEdit().setText("Recent");
    if (row >= 0 && onOpenRecent)
        onOpenRecent(static_cast<std::size_t>(row));
}

void COptionsPanel::saveProjectClicked()
{
    if (onSaveProject)
        onSaveProject();
}

void COptionsPanel::qualityChanged(float value)
{
    if (showing_)
        return;
    const float rounded = std::round(value);
    const int quality = rounded < 0.0f ? -1 : static_cast<int>(std::min(rounded, 100.0f));
    if (quality == values_.quality)
        return;
    values_.quality = quality;
    showValues();
    if (onChange)
        onChange(Change::outputs);
}

std::string COptionsPanel::fieldText(Field field) const
{
    switch (field) {
    case pivotField:
        return values_.pivot ? decimalText(values_.pivot->x) + "," + decimalText(values_.pivot->y) : std::string();
    case scalesField:
        return scaleListText(values_.variants);
    case colourField: {
        if (!values_.jpegFlatten)
            return std::string();
        char text[8];
        std::snprintf(text, sizeof(text), "#%06X", static_cast<unsigned>(values_.jpegFlattenColour & 0xFFFFFFu));
        return text;
    }
    case fieldCount:
        break;
    }
    return std::string();
}

std::string COptionsPanel::readField(Field field, const std::string& text)
{
    switch (field) {
    case pivotField: {
        SpritePivot pivot;
        if (text.find_first_not_of(' ') == std::string::npos) {
            values_.pivot.reset();
        } else if (parsePivot(text, pivot)) {
            values_.pivot = pivot;
        } else {
            return "The default pivot \"" + text + "\" is not X,Y: two fractions of the sprite's size (0.5,1 is "
                   "the middle of its bottom edge), each from -" + decimalText(largestPivot) + " to " +
                   decimalText(largestPivot) + ". Leave it empty for none.";
        }
        return std::string();
    }
    case scalesField: {
        std::vector<ScaleVariant> variants;
        if (const std::string problem = parseScaleList(text, variants); !problem.empty())
            return "The scales \"" + text + "\" were not taken: " + problem + ".";
        values_.variants = variants;
        return std::string();
    }
    case colourField:
        // No colour: a transparent JPEG atlas is asked about when saved.
        if (text.find_first_not_of(' ') == std::string::npos) {
            values_.jpegFlatten = false;
        } else if (parseColour(text, values_.jpegFlattenColour)) {
            values_.jpegFlatten = true;
        } else {
            return "The JPEG background \"" + text + "\" is not a colour as #RRGGBB. Leave it empty to be asked "
                   "when a JPEG atlas has transparent pixels.";
        }
        return std::string();
    case fieldCount:
        break;
    }
    return std::string();
}

void COptionsPanel::fieldTyped(Field field)
{
    CEdit* edit = fields_[field];
    const PackSettings before = values_;
    const bool taken = readField(field, toStdString(edit->getText())).empty();
    edit->getTextView().getMaterial().emission = taken ? fieldColour_[field] : refusedColour;
    const bool changed = before.pivot != values_.pivot || before.jpegFlattenColour != values_.jpegFlattenColour ||
                         before.jpegFlatten != values_.jpegFlatten ||
                         before.variants != values_.variants;
    if (changed && onChange)
        onChange(Change::outputs);
}

void COptionsPanel::fieldFocus(Field field, bool focused)
{
    if (focused)
        return;
    // Left: refused text is put back to the value in force, after saying why.
    CEdit* edit = fields_[field];
    PackSettings kept = values_;
    const std::string problem = readField(field, toStdString(edit->getText()));
    values_ = kept;
    edit->setText(String(fieldText(field).c_str()));
    edit->getTextView().getMaterial().emission = fieldColour_[field];
    if (!problem.empty() && onProblem)
        onProblem(problem);
}
