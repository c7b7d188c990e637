// CWindow: a dialog-like panel with a title bar, a title text and a close
// button, movable by its title bar only.
#pragma once

#include "gui/CButton.h"
#include "gui/CFont.h"
#include "gui/CGUI.h"

class CWindow : public CGUI {
public:
    CWindow();
    CWindow(const CWindow& other);
    ~CWindow() override;

    void draw() override;
    // Common attributes, "text", and the children "gui" (title bar), "font"
    // (title) and "button" (close button); then the layout.
    void load(CXMLNode& node) override;
    using CGUI::copyFrom;
    // Resolves "font" (setFont), then load.
    void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;

    // The title copies the text element's style; null does nothing.
    void setFont(const CFont* font);
    void setText(const String& value);
    CGUI& getTitleBar() { return titleBar; }
    CFont& getTitle() { return title; }
    CButton& getCloseButton() { return closeButton; }

protected:
    // Handlers, connected by the constructor in this order (after dragSlot).
    void dispatchInput(CInputMap& event);
    void forwardClick();
    void layout(float width, float height);

    CGUI titleBar;
    CFont title;
    CButton closeButton;
    CButton* pressedClose = nullptr;  // not owned
    // The window's own connections besides the element's.
    CSlotList windowConnections;
};
