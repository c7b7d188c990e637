// CButton: states, state frames and colours, press displacement, label.
#include "gui/CButton.h"

#include "gui/CGUIManager.h"

CButton::CButton()
{
    setType(Button);
    enabled = true;
}

CButton::CButton(const CButton& other)
    : CButton()
{
    copyFrom(other);
}

CButton::~CButton() = default;

void CButton::draw()
{
    CGUI::draw();
}

void CButton::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CButton::copyFrom(const CButton& other)
{
    CGUI::copyFrom(other);
}

void CButton::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadDescription(node, manager, resources);
}

void CButton::setState(State value)
{
    state = value;
    onState.emit(value);
}

void CButton::setChecked(bool value)
{
    checked = value;
    setState(value ? Down : Enable);
}

void CButton::setFont(const CFont*)
{
}

void CButton::setText(const String& value)
{
    label.setText(value);
}

void CButton::setOffset(const CVector& value)
{
    offset = value;
}

void CButton::pressInput(CInputMap&)
{
}

void CButton::mouseOverState()
{
}

void CButton::mouseOutState()
{
}

void CButton::enableState(bool)
{
}

void CButton::resizeLabel(float, float)
{
}

void CButton::fitLabel()
{
}
