// CList: rows of cell elements, hover and selection, scrolling.
#include "gui/CList.h"

#include "gui/CGUIManager.h"

CList::CList()
{
    setType(List);
    enabled = true;
}

CList::CList(const CList& other)
    : CList()
{
    copyFrom(other);
}

CList::~CList() = default;

void CList::draw()
{
    CGUI::draw();
}

void CList::load(CXMLNode& node)
{
    CGUI::load(node);
}

bool CList::hitTest(int x, int y)
{
    return CGUI::hitTest(x, y);
}

void CList::copyFrom(const CList& other)
{
    CGUI::copyFrom(other);
}

void CList::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadDescription(node, manager, resources);
}

void CList::addColumn(std::uint32_t, float, const String&)
{
}

void CList::insertRow(std::uint32_t, const CGUI&)
{
}

void CList::addRow(std::uint32_t, const String&)
{
}

void CList::setCellText(std::uint32_t, std::uint32_t, const String&)
{
}

void CList::removeRow(std::uint32_t)
{
}

void CList::clear()
{
}

const CList::Column* CList::getColumn(std::uint32_t index) const
{
    return index < columns.size() ? &columns[index] : nullptr;
}

void CList::setSelected(std::uint32_t)
{
}

CGUI* CList::getCell(std::uint32_t, std::uint32_t) const
{
    return nullptr;
}

String CList::getCellText(std::uint32_t, std::uint32_t) const
{
    return String();
}

float CList::getRowHeight(std::uint32_t) const
{
    return 0.0f;
}

void CList::setFont(const CFont*)
{
}

void CList::setScroll(const CScroll*)
{
}

void CList::layout(float, float)
{
}

void CList::dispatchInput(CInputMap&)
{
}

void CList::selectAtPointer()
{
}

void CList::doubleClickAtPointer()
{
}

void CList::scrolled(float)
{
}
