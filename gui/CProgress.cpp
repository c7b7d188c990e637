// CProgress: percentage, position within a range, and the fill element.
#include "gui/CProgress.h"

CProgress::CProgress()
{
    setType(Progress);
    enabled = true;
}

CProgress::CProgress(const CProgress& other)
    : CProgress()
{
    copyFrom(other);
}

CProgress::~CProgress() = default;

void CProgress::draw()
{
    CGUI::draw();
}

void CProgress::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CProgress::setSprite(const CSprite& value)
{
    CGUI::setSprite(value);
}

void CProgress::setFrame(std::uint32_t index)
{
    CGUI::setFrame(index);
}

void CProgress::copyFrom(const CProgress& other)
{
    CGUI::copyFrom(other);
}

void CProgress::setPercent(float p)
{
    percent = p;
    onChange.emit(percent);
}

void CProgress::setProgress(std::uint32_t v)
{
    position = v;
}

void CProgress::layout(float, float)
{
}
