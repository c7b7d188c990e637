// CMenu: titles, entries, opening columns and the selection relay.
#include "gui/CMenu.h"

#include "gui/CGUIManager.h"

CMenu::CMenu()
{
    setType(Menu);
    enabled = true;
}

CMenu::CMenu(const CMenu& other)
    : CMenu()
{
    copyFrom(other);
}

CMenu::~CMenu() = default;

void CMenu::draw()
{
    CGUI::draw();
}

void CMenu::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CMenu::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadDescription(node, manager, resources);
}

void CMenu::loadAppended(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadAppended(node, manager, resources);
}

void CMenu::addEntry(CMenu*)
{
}

void CMenu::placeAsEntryOf(CMenu&)
{
}

void CMenu::setFont(const CGUI*)
{
}

void CMenu::setIcon(const CGUI*)
{
}

void CMenu::setText(const String& value)
{
    label.setText(value);
}

void CMenu::setSpacing(std::uint32_t value)
{
    spacing = value;
}

void CMenu::setOpen(bool)
{
}

bool CMenu::isOverEntries()
{
    return false;
}

void CMenu::focusChanged(bool)
{
}

void CMenu::resized(float, float)
{
}

void CMenu::clicked()
{
}

void CMenu::mouseEntered()
{
}

void CMenu::mouseLeft()
{
}

void CMenu::entryChosen(CMenu*)
{
}
