// CButton: a clickable element with four visual states and a text label.
//
// The states are consecutive sprite frames starting at the element's frame
// (Enable, Hover, Down, Disable), optionally tinted by a colour per state.
// While pressed the label (or, without sprite frames, the whole button) is
// displaced by `offset`. A button that is `checked` stays Down and ignores
// hover and press handling: plain buttons use it as a latched state, check
// boxes as their checked state. Buttons are also parts of scroll bars,
// control bars, windows and combo boxes.
#pragma once

#include "core/CVector.h"
#include "gui/CFont.h"
#include "gui/CGUI.h"

#include <cstdint>

class CButton : public CGUI {
public:
    enum State : std::int32_t {
        Enable = 0,
        Hover = 1,
        Down = 2,
        Disable = 3,
    };

    CButton();
    CButton(const CButton& other);
    ~CButton() override;

    void draw() override;
    void load(CXMLNode& node) override;
    // Slot 9: the base, the offset, the label and the state colours; the
    // state is applied again.
    using CGUI::copyFrom;
    virtual void copyFrom(const CButton& other);
    // Resolves "font" (setFont), then load.
    void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;

    void setState(State value);
    State getState() const { return state; }
    // checked = value, then setState (Down or Enable).
    void setChecked(bool value);
    bool isChecked() const { return checked; }
    // The label copies the text element's style; null does nothing.
    void setFont(const CFont* font);
    // The label's text (the font's setText, escapes included).
    void setText(const String& text);
    CFont& getLabel() { return label; }
    const CFont& getLabel() const { return label; }
    const CVector& getOffset() const { return offset; }
    void setOffset(const CVector& value);
    const CVector& getStateColour(State s) const { return stateColours[s & 3]; }
    void setStateColour(State s, const CVector& colour) { stateColours[s & 3] = colour; }

    // Emitted by every setState.
    CSignal<State> onState;

protected:
    // Handlers, connected by the constructor in this order.
    void pressInput(CInputMap& event);
    void mouseOverState();
    void mouseOutState();
    void enableState(bool value);
    void resizeLabel(float width, float height);
    // (label width, button height): offset w when not 0, else the width.
    void fitLabel();

    bool checked = false;
    State state = Enable;
    bool offsetApplied = false;
    CFont label;
    CVector offset;
    CVector stateColours[4];
};
