// CFont: glyph table, text layout and glyph-by-glyph drawing.
//
// The layout arithmetic lives in CTextLayout; this element feeds it the glyph
// table of its sprite and its own rectangle, and draws the quads it returns
// by reusing its own quad: for every glyph it takes the glyph's width and the
// line height, selects the glyph's frame, moves to the glyph and draws, then
// restores its size and position.
#include "gui/CFont.h"

#include "gui/CTextLayout.h"
#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

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

CTextLayout CFont::makeLayout() const
{
    CTextLayout layout;
    const std::uint32_t count = sprite.getFrameCount();
    for (std::uint32_t k = 0; k < 256 && k < count; ++k) {
        const SpriteFrame* frame = sprite.getFrame(k);
        layout.glyphs[k] = {static_cast<float>(frame->w), frame->texture != nullptr};
    }
    if (const SpriteFrame* cell = sprite.getFrame(0)) {
        layout.cellWidth = static_cast<float>(cell->w);
        layout.cellHeight = static_cast<float>(cell->h);
    }
    layout.kern = kern;
    layout.lead = lead;
    layout.scaleX = scaleX;
    layout.scaleY = scaleY;
    layout.align = align;
    layout.password = password;
    layout.passwordChar = passwordChar;
    return layout;
}

void CFont::draw()
{
    if (!isVisible())
        return;
    const float x0 = getX();
    const float y0 = getY();
    const float z = getDepth();
    const float width = getWidth();
    const float height = getHeight();
    const CTextLayout layout = makeLayout();
    const float lineHeight = layout.lineHeight();
    for (const CTextLayout::Placement& glyph : layout.layout(text, x0, y0, width, height)) {
        storeSize(glyph.width, lineHeight);
        setFrame(glyph.code);
        setTranslation(glyph.x, glyph.y, z);
        CGUI::draw();
    }
    storeSize(width, height);
    setTranslation(x0, y0, z);
}

void CFont::load(CXMLNode& node)
{
    using namespace GUIAttributes;
    CGUI::load(node);
    kern = integer(node, "kern", kern);
    lead = integer(node, "lead", lead);
    if (has(node, "text"))
        setText(GUIAttributes::text(node, "text"));
    scaleX = real(node, "scaleX", 1.0f);
    scaleY = real(node, "scaleY", 1.0f);
}

void CFont::setSprite(const CSprite& value)
{
    const SpriteFrame* cell = value.getFrame(0);
    if (!cell)
        return;
    if (value.getFrameCount() > 255) {
        CGUI::setSprite(value);
        return;
    }
    // Frame k of the table is the glyph named by character k, or a blank
    // frame of the cell's size, without texture, that draws nothing.
    SpriteFrame blank;
    blank.initFrame(0, 0, cell->w, cell->h, 0, nullptr);
    CSprite table;
    table.setName(value.getName());
    table.setFile(value.getFile());
    table.setFps(value.getFps());
    // The first frame named by a character wins, as a lookup by name would.
    const SpriteFrame* glyphs[256] = {};
    for (std::uint32_t i = 0; i < value.getFrameCount(); ++i) {
        const SpriteFrame* frame = value.getFrame(i);
        if (frame->name.length() == 1) {
            const std::uint8_t code = static_cast<std::uint8_t>(frame->name.charAt(0));
            if (!glyphs[code])
                glyphs[code] = frame;
        }
    }
    for (const SpriteFrame* glyph : glyphs)
        table.addFrame(glyph ? *glyph : blank);
    CGUI::setSprite(table);
}

void CFont::copyFrom(const CFont& other)
{
    if (&other == this)
        return;
    CGUI::copyFrom(other);
    kern = other.kern;
    lead = other.lead;
    password = other.password;
    passwordChar = other.passwordChar;
    scaleX = other.scaleX;
    scaleY = other.scaleY;
    text = other.text;
}

void CFont::setText(const String& value)
{
    text = CTextLayout::unescape(value);
}

float CFont::getCharWidth(char k) const
{
    return makeLayout().charWidth(k);
}

float CFont::getLineHeight() const
{
    return makeLayout().lineHeight();
}

float CFont::getLineWidth(std::uint32_t position, float wrapWidth) const
{
    return makeLayout().lineWidth(text, position, wrapWidth);
}

std::int32_t CFont::getLineStart(std::uint32_t position) const
{
    return toPixel(makeLayout().lineStart(text, position, getX(), getWidth()));
}

float CFont::getTextHeight(float maxWidth) const
{
    return makeLayout().textHeight(text, maxWidth);
}

std::int32_t CFont::getVerticalStart() const
{
    return toPixel(makeLayout().verticalStart(text, getY(), getWidth(), getHeight()));
}
