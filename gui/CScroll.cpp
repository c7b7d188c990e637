// CScroll: value and range, thumb placement, parts and their input.
#include "gui/CScroll.h"

CScroll::CScroll()
{
    setType(Scroll);
    enabled = true;
}

CScroll::CScroll(const CScroll& other)
    : CScroll()
{
    copyFrom(other);
}

CScroll::~CScroll() = default;

void CScroll::draw()
{
    CGUI::draw();
}

void CScroll::load(CXMLNode& node)
{
    CGUI::load(node);
}

bool CScroll::hitTest(int x, int y)
{
    return CGUI::hitTest(x, y);
}

void CScroll::setSprite(const CSprite& value)
{
    CGUI::setSprite(value);
}

void CScroll::setFrame(std::uint32_t index)
{
    CGUI::setFrame(index);
}

void CScroll::copyFrom(const CScroll& other)
{
    CGUI::copyFrom(other);
}

void CScroll::setValue(float v)
{
    value = v;
    onChange.emit(value);
}

void CScroll::setMin(float v)
{
    min = v;
}

void CScroll::setMax(float v)
{
    max = v;
}

void CScroll::setIncrement(float v)
{
    increment = v;
}

void CScroll::setVertical(bool value)
{
    vertical = value;
}

void CScroll::stepUp()
{
}

void CScroll::stepDown()
{
}

void CScroll::selfMoved(float, float)
{
}

void CScroll::layout(float, float)
{
}

void CScroll::dispatchInput(CInputMap&)
{
}

void CScroll::forwardClick()
{
}

void CScroll::thumbMoved(float, float)
{
}

void CScroll::firstClicked()
{
}

void CScroll::secondClicked()
{
}

void CScroll::placeThumb()
{
}

void CScroll::connectParts()
{
}
