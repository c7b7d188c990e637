// COptionsPanel: the packing options under the image list, in three groups:
// Layout (mode, turning images, centring, tight pack, spacing, border, pages
// always), Sprites (trim, duplicates, bleeding, premultiplied alpha,
// animations, extrusion, the default pivot, how folders are read, the scale
// variants) and Output (the project, largest side, power-of-two and square
// pages, the descriptions written, the image compression, the WebP quality,
// flattening a JPEG).
//
// When the room under the list holds all three groups they are stacked, each
// under its heading; otherwise tabs show one group at a time. The controls
// are the screen description's (data/Quiltforger/gui.xml); the panel only
// places and shows them, and owns the options that Application does not:
// bleed, premultiply, animations, the folder options, pot, square, pages,
// border, turning, the default pivot, the scale variants, the description
// formats and the image encoding, kept in values() as PackSettings fields.
// Every control is optional: a missing one keeps its default.
//
// The pivot, the scale variants and the JPEG background are typed. They are
// read as the command line reads --pivot, --scale with --scale-suffix and
// --jpeg-flatten=#RRGGBB (OptionValues.h; an empty background: no
// flattening, the save asks); the scale variants are written
// "2 @2x, 1, 0.5" (scaleListText, ToolText.h). Text that reads is in force at
// once; refused text turns orange, keeps the last value in force, and is put
// back when the field is left, after onProblem says why.
//
// The layout options Application already handles (modes, centre, tight,
// spacing, trim, alias, extrusion, largest side) keep their handlers there.
#pragma once

#include "app/pack/PackSettings.h"
#include "core/CSlotList.h"
#include "core/CVector.h"

#include <functional>
#include <string>
#include <vector>

class CButton;
class CCheckBox;
class CCombo;
class CEdit;
class CFont;
class CGUI;
class CGUIManager;
class CScroll;

class COptionsPanel {
public:
    enum class Change {
        layout,  // the atlas has to be laid out again
        outputs, // only what a save writes changed
    };

    COptionsPanel() = default;
    COptionsPanel(const COptionsPanel&) = delete;
    COptionsPanel& operator=(const COptionsPanel&) = delete;

    // Finds the controls in `gui` and connects them.
    void setUp(CGUIManager& gui);
    // Places the groups in the column from `left` (188 pixels wide) between
    // `top` and `bottom`, stacked or as tabs.
    void place(float left, float top, float bottom);
    bool isStacked() const { return stacked_; }
    // The height the three groups take stacked.
    float stackedHeight() const;
    // Shows group 0, 1 or 2 (Layout, Sprites, Output) when tabbed.
    void showTab(int tab);
    int currentTab() const { return tab_; }

    // The options the panel owns, as PackSettings fields.
    const PackSettings& values() const { return values_; }
    // Sets them (and the controls) from `settings`; no change is reported.
    void show(const PackSettings& settings);

    // Turning images is offered in best fit only (the other modes never
    // turn them); the choice is kept while another mode is in force.
    void allowRotate(bool allowed);

    // The recent projects' list (newest first) for the recent combo.
    void showRecent(const std::vector<std::string>& paths);

    // Called after the person changed an option the panel owns.
    std::function<void(Change)> onChange;
    // The Save project button, and a recent project chosen (its index).
    std::function<void()> onSaveProject;
    std::function<void(std::size_t)> onOpenRecent;
    // A typed value was refused as its field was left: why.
    std::function<void(const std::string&)> onProblem;

private:
    struct Item {
        CGUI* element;
        float dx;
        float dy;
    };
    struct Row {
        std::vector<Item> items;
        float height;
    };
    struct Group {
        CGUI* heading = nullptr;
        CCheckBox* tab = nullptr;
        std::vector<Row> rows;
        float height() const;
    };

    // The typed fields.
    enum Field { pivotField, scalesField, colourField, fieldCount };

    void checkClicked();
    void qualityChanged(float value);
    void pivotTyped(String&) { fieldTyped(pivotField); }
    void scalesTyped(String&) { fieldTyped(scalesField); }
    void colourTyped(String&) { fieldTyped(colourField); }
    void pivotFocus(bool focused) { fieldFocus(pivotField, focused); }
    void scalesFocus(bool focused) { fieldFocus(scalesField, focused); }
    void colourFocus(bool focused) { fieldFocus(colourField, focused); }
    void showRotate();
    void fieldTyped(Field field);
    void fieldFocus(Field field, bool focused);
    // Reads `text` into values_ for `field`: "" or why it is refused.
    std::string readField(Field field, const std::string& text);
    std::string fieldText(Field field) const;
    void borderChanged(float value);
    void formatClicked(int which);
    void compressionClicked(int which);
    void tabClicked(int tab);
    void recentChosen(String& text, std::int32_t row, std::int32_t column);
    void saveProjectClicked();
    void readChecks();
    void showValues();
    void setGroupVisible(const Group& group, bool visible);

    CGUIManager* gui_ = nullptr;
    Group groups_[3];
    struct Checks {
        CCheckBox* bleed = nullptr;
        CCheckBox* premultiply = nullptr;
        CCheckBox* animations = nullptr;
        CCheckBox* recursive = nullptr;
        CCheckBox* flatten = nullptr;
        CCheckBox* byteOrder = nullptr;
        CCheckBox* pot = nullptr;
        CCheckBox* square = nullptr;
        CCheckBox* pages = nullptr;
        CCheckBox* json = nullptr;
        CCheckBox* jsonArray = nullptr;
        CCheckBox* gdxAtlas = nullptr;
        CCheckBox* phaser3 = nullptr;
        CCheckBox* compression[3] = {}; // fast, default, best
        CCheckBox* rotate = nullptr;
    } checks_;
    CEdit* fields_[fieldCount] = {};
    CVector fieldColour_[fieldCount]; // each field's text colour from the description
    CScroll* quality_ = nullptr;
    CFont* qualityValue_ = nullptr;
    CScroll* border_ = nullptr;
    CFont* borderValue_ = nullptr;
    CCombo* recent_ = nullptr;
    CButton* saveProject_ = nullptr;
    PackSettings values_;
    bool rotateAllowed_ = true;
    bool stacked_ = false;
    int tab_ = 0;
    bool showing_ = false; // controls set from values_, not by the person
    CSlotList connections_;
};
