// COptionsPanel: the packing options under the image list, in three groups:
// Layout (mode, centring, tight pack, spacing, border), Sprites (trim,
// duplicates, bleeding, premultiplied alpha, animations, extrusion, how
// folders are read) and Output (largest side, power-of-two and square pages,
// pages always, the descriptions written, the image compression, the
// project).
//
// When the room under the list holds all three groups they are stacked, each
// under its heading; otherwise tabs show one group at a time. The controls
// are the screen description's (data/Quiltforger/gui.xml); the panel only
// places and shows them, and owns the options that Application does not:
// bleed, premultiply, animations, the folder options, pot, square, pages,
// border, the description formats and the image encoding (compression
// shown; quality and JPEG flattening only carried), kept in values() as PackSettings
// fields. Every control is optional: a missing one keeps its default.
//
// The layout options Application already handles (modes, centre, tight,
// spacing, trim, alias, extrusion, largest side) keep their handlers there.
#pragma once

#include "app/pack/PackSettings.h"
#include "core/CSlotList.h"

#include <functional>
#include <string>
#include <vector>

class CButton;
class CCheckBox;
class CCombo;
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

    // The recent projects' list (newest first) for the recent combo.
    void showRecent(const std::vector<std::string>& paths);

    // Called after the person changed an option the panel owns.
    std::function<void(Change)> onChange;
    // The Save project button, and a recent project chosen (its index).
    std::function<void()> onSaveProject;
    std::function<void(std::size_t)> onOpenRecent;

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

    void checkClicked();
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
    } checks_;
    CScroll* border_ = nullptr;
    CFont* borderValue_ = nullptr;
    CCombo* recent_ = nullptr;
    CButton* saveProject_ = nullptr;
    PackSettings values_;
    bool stacked_ = false;
    int tab_ = 0;
    bool showing_ = false; // controls set from values_, not by the person
    CSlotList connections_;
};
