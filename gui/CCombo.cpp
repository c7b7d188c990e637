// CCombo: edit field, drop button and list, with dispatch to the parts.
#include "gui/CCombo.h"

#include "gui/CGUIManager.h"

CCombo::CCombo()
{
    setType(Combo);
    enabled = true;
}

CCombo::CCombo(const CCombo& other)
    : CCombo()
{
    CGUI::copyFrom(other);
}

CCombo::~CCombo() = default;

void CCombo::draw()
{
}

void CCombo::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CCombo::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadDescription(node, manager, resources);
}

void CCombo::select(std::int32_t, std::int32_t)
{
}

void CCombo::setFont(const CFont*)
{
}

void CCombo::setScroll(const CScroll*)
{
}

void CCombo::dispatchInput(CInputMap&)
{
}

void CCombo::focusChanged(bool)
{
}

void CCombo::toggleList()
{
}

void CCombo::listSelected(std::int32_t, std::int32_t)
{
}

void CCombo::listVisible(bool)
{
}
