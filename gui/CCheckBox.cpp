// CCheckBox: the toggle on the box's own onClick, and label hit testing.
#include "gui/CCheckBox.h"

CCheckBox::CCheckBox()
{
    setType(CheckBox);
}

CCheckBox::CCheckBox(const CCheckBox& other)
    : CCheckBox()
{
    copyFrom(other);
}

CCheckBox::~CCheckBox() = default;

bool CCheckBox::hitTest(int x, int y)
{
    return CButton::hitTest(x, y);
}

bool CCheckBox::isMouseOver()
{
    return CButton::isMouseOver();
}

void CCheckBox::copyFrom(const CCheckBox& other)
{
    CButton::copyFrom(other);
}

void CCheckBox::toggle()
{
}
