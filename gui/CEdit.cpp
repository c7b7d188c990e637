// CEdit: text view, activation by focus, typing and blinking.
#include "gui/CEdit.h"

#include "gui/CGUIManager.h"

CEdit::CEdit()
{
    setType(Edit);
    enabled = true;
}

CEdit::CEdit(const CEdit& other)
    : CEdit()
{
    copyFrom(other);
}

CEdit::~CEdit() = default;

void CEdit::draw()
{
    CGUI::draw();
}

void CEdit::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CEdit::copyFrom(const CEdit& other)
{
    CGUI::copyFrom(other);
}

void CEdit::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadDescription(node, manager, resources);
}

void CEdit::setText(const String& value)
{
    textView.setText(value);
}

void CEdit::setFont(const CFont*)
{
}

void CEdit::layout(float, float)
{
}

void CEdit::activate(bool)
{
}

void CEdit::typed(CInputMap&)
{
}

void CEdit::toggleBlink()
{
}
