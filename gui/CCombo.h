// CCombo: an edit field, a drop button and a drop-down list.
//
// Clicking the button shows or hides the list; choosing a row copies its
// text into the edit field, hides the list and reports the choice. While it
// has the focus the combo routes mouse events to whichever part is under the
// pointer. The combo has no quad of its own; it covers only its edit row
// while collapsed and also its list while open.
//
// Bad input: a "selected" row or a chosen cell outside the list (negative
// included) gives an empty text and is still reported; a combo without font
// or rows works with empty texts; an open height below the edit row leaves
// the list 0 high.
#pragma once

#include "core/String.h"
#include "gui/CButton.h"
#include "gui/CEdit.h"
#include "gui/CGUI.h"
#include "gui/CList.h"

#include <cstdint>

class CCombo : public CGUI {
public:
    CCombo();
    // Copies the base, openHeight, the three parts and the listeners of
    // onSelect; focusedPart is null.
    CCombo(const CCombo& other);
    ~CCombo() override;

    void draw() override;
    // Common attributes ("h" also becomes openHeight), the children "edit",
    // "button", "list", the layout, "selected"; then the list is hidden.
    void load(CXMLNode& node) override;
    using CGUI::copyFrom;
    // "font" to the edit, the button and the list; "scroll" to the list;
    // then load.
    void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;

    // Fills the edit field with the cell's text, hides the list, emits
    // onSelect.
    void select(std::int32_t row, std::int32_t column);
    void setFont(const CFont* font);
    void setScroll(const CScroll* scroll);
    CEdit& getEdit() { return edit; }
    CButton& getDropButton() { return dropButton; }
    CList& getList() { return list; }
    float getOpenHeight() const { return openHeight; }
    // Whether the drop-down list is shown, and hiding it (as Escape does)
    // without choosing anything.
    bool isOpen() const { return list.isVisible(); }
    void close() { list.setVisible(false); }

    CSignal<String&, std::int32_t, std::int32_t> onSelect;

protected:
    // Handlers, connected by the constructor in this order.
    void dispatchInput(CInputMap& event);
    void focusChanged(bool value);
    void toggleList();
    void listSelected(std::int32_t row, std::int32_t column);
    void listVisible(bool value);

    float openHeight = 0.0f;
    CEdit edit;
    CButton dropButton;
    CList list;
    CGUI* focusedPart = nullptr;  // not owned
};
