// CFont: glyph table, text layout and glyph-by-glyph drawing.
#include "gui/CFont.h"

CFont::CFont()
{
    setType(Font);
}

CFont::CFont(const CFont& other)
    : CFont()
{
    copyFrom(other);
}

CFont::~CFont() = default;

void CFont::draw()
{
}

void CFont::load(CXMLNode& node)
{
    CGUI::load(node);
}

void CFont::setSprite(const CSprite& value)
{
    CGUI::setSprite(value);
}

void CFont::copyFrom(const CFont& other)
{
    CGUI::copyFrom(other);
}

void CFont::setText(const String& value)
{
    text = value;
}

float CFont::getCharWidth(char) const
{
    return 0.0f;
}

float CFont::getLineHeight() const
{
    return 0.0f;
}

float CFont::getLineWidth(std::uint32_t, float) const
{
    return 0.0f;
}

std::int32_t CFont::getLineStart(std::uint32_t) const
{
    return 0;
}

float CFont::getTextHeight(float) const
{
    return 0.0f;
}

std::int32_t CFont::getVerticalStart() const
{
    return 0;
}
