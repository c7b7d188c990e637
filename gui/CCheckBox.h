// CCheckBox: a button that toggles its checked state on every click.
//
// The toggle is connected to the box's own onClick by the constructor, so it
// runs before any handler the application connects later: such a handler
// already reads the new isChecked. The box's label counts for hit testing and
// hovering, so clicking the text toggles the box too.
#pragma once

#include "gui/CButton.h"

class CCheckBox : public CButton {
public:
    CCheckBox();
    CCheckBox(const CCheckBox& other);
    ~CCheckBox() override;

    // True when the box or its label is hit.
    bool hitTest(int x, int y) override;
    bool isMouseOver() override;
    // Slot 10: the button's copy.
    using CButton::copyFrom;
    virtual void copyFrom(const CCheckBox& other);

protected:
    void toggle();
};
