// CCheckBox: the toggle on the box's own onClick, and label hit testing.
#include "gui/CCheckBox.h"

#include "framework/Input.h"

CCheckBox::CCheckBox()
{
    setType(CheckBox);
    connectSlot(connections, onClick, this, &CCheckBox::toggle);
}

CCheckBox::CCheckBox(const CCheckBox& other)
    : CCheckBox()
{
    copyFrom(other);
}

CCheckBox::~CCheckBox() = default;

bool CCheckBox::hitTest(int x, int y)
{
    return CButton::hitTest(x, y) || label.hitTest(x, y);
}

bool CCheckBox::isMouseOver()
{
    const CVector mouse = mousePosition();
    return hitTest(toPixel(mouse.x), toPixel(mouse.y));
}

void CCheckBox::copyFrom(const CCheckBox& other)
{
    CButton::copyFrom(other);
}

void CCheckBox::toggle()
{
    checked = !checked;
    setState(checked ? Down : Enable);
}
