// CControlBar: window buttons, mode toggle and window dragging.
#include "gui/CControlBar.h"

CControlBar::CControlBar()
{
    setType(ControlBar);
    enabled = true;
}

CControlBar::CControlBar(const CControlBar& other)
    : CControlBar()
{
    copyFrom(other);
}

CControlBar::~CControlBar() = default;

void CControlBar::draw()
{
    CGUI::draw();
}

bool CControlBar::hitTest(int x, int y)
{
    return CGUI::hitTest(x, y);
}

void CControlBar::setSprite(const CSprite& value)
{
    CGUI::setSprite(value);
}

void CControlBar::setFrame(std::uint32_t index)
{
    CGUI::setFrame(index);
}

void CControlBar::dispatchInput(CInputMap&)
{
}

void CControlBar::forwardClick()
{
}

void CControlBar::layout(float, float)
{
}

void CControlBar::toggleMode()
{
}
