// CFont: glyph table, text layout and glyph-by-glyph drawing.
//
// The layout arithmetic lives in CTextLayout; this element feeds it the glyph
// table of its sprite (with the glyph cache's metrics and further glyphs
// when the sprite is a font) and its own rectangle, and draws the quads it
// returns by reusing its own quad: for every glyph it takes the glyph's ink
// width and the line height, shows the glyph's frame, moves to the glyph and
// draws, then restores its size and position.
#include "gui/CFont.h"

#include <algorithm>

#include "gui/CTextLayout.h"
#include "gui/GUIAttributes.h"
#include "resources/GlyphSprite.h"
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
        CTextLayout::Glyph& glyph = layout.glyphs[k];
        glyph = {static_cast<float>(frame->w), frame->texture != nullptr};
        if (const GlyphMetrics* metrics = glyphCache ? glyphCache->builtMetrics(k) : nullptr) {
            glyph.width = static_cast<float>(metrics->advance);
            glyph.inkLeft = static_cast<float>(metrics->inkLeft);
            glyph.inkWidth = static_cast<float>(frame->w);
        }
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
    layout.elide = elide;
    if (!glyphCache)
        return layout;
    std::shared_ptr<CGlyphCache> cache = glyphCache;
    layout.shape = [cache](const std::vector<char32_t>& codes) { return cache->shape(codes); };
    // The characters the table lacks, from the cache (built on first use).
    std::vector<char32_t> codes = layout.drawnCodes(text);
    if (elide)
        codes.push_back(CTextLayout::ellipsis);
    for (const char32_t code : codes) {
        if (code < 256 ? layout.glyphs[code].drawable : layout.moreGlyphs.count(code) != 0)
            continue;
        const CGlyphCache::Glyph* cached = glyphCache->glyph(code);
        if (!cached || !cached->drawable)
            continue;
        const CTextLayout::Glyph glyph{static_cast<float>(cached->metrics.advance), true,
                                       static_cast<float>(cached->metrics.inkLeft),
                                       static_cast<float>(cached->frame.w)};
        if (code < 256)
            layout.glyphs[code] = glyph;
        else
            layout.moreGlyphs[code] = glyph;
    }
    return layout;
}

void CFont::showGlyph(char32_t code)
{
    if (code < 256 && code < sprite.getFrameCount() && sprite.getFrame(code)->texture != nullptr) {
        setFrame(code);
        return;
    }
    const CGlyphCache::Glyph* cached = glyphCache ? glyphCache->glyph(code) : nullptr;
    if (!cached || !cached->drawable)
        return;
    // As a sprite shows a frame: the texture matrix and the texture.
    const SpriteFrame& frame = cached->frame;
    CMaterial& material = getMaterial();
    CMatrix& matrix = material.textureMatrix;
    const std::uint32_t elements = matrix.elementCount();
    if (elements > 13) {
        matrix.setElement(0, frame.du);
        matrix.setElement(5, frame.dv);
        matrix.setElement(12, frame.u);
        matrix.setElement(13, frame.v);
    }
    if (!material.textures.empty())
        material.textures[0] = frame.texture->getTextureId();
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
    if (glyphCache)
        glyphCache->upload();
    const float lineHeight = layout.lineHeight();
    const float inset = std::min(indent, width);
    // The table's texture, put back after glyphs from the cache's pages.
    CMaterial& material = getMaterial();
    const std::uint32_t tableTexture = material.textures.empty() ? 0 : material.textures[0];
    for (const CTextLayout::Placement& glyph : layout.layout(text, x0 + inset, y0, width - inset, height)) {
        storeSize(glyph.width, lineHeight);
        showGlyph(glyph.code);
        setTranslation(glyph.x, glyph.y, z);
        CGUI::draw();
    }
    if (!material.textures.empty())
        material.textures[0] = tableTexture;
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
    elide = boolean(node, "elide", elide);
    indent = real(node, "indent", indent);
}

void CFont::setSprite(const CSprite& value)
{
    const SpriteFrame* cell = value.getFrame(0);
    if (!cell)
        return;
    glyphCache = findGlyphCache(value);
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
    // A name is one code point below 256 in UTF-8, or one byte.
    const SpriteFrame* glyphs[256] = {};
    for (std::uint32_t i = 0; i < value.getFrameCount(); ++i) {
        const SpriteFrame* frame = value.getFrame(i);
        char32_t code = 256;
        if (frame->name.length() == 1) {
            code = static_cast<std::uint8_t>(frame->name.charAt(0));
        } else if (frame->name.length() == 2) {
            const std::vector<char32_t> decoded = CTextLayout::decode(frame->name);
            if (decoded.size() == 1)
                code = decoded[0];
        }
        if (code < 256 && !glyphs[code])
            glyphs[code] = frame;
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
    elide = other.elide;
    indent = other.indent;
    glyphCache = other.glyphCache;
}

void CFont::setText(const String& value)
{
    text = CTextLayout::unescape(value);
}

float CFont::getCharWidth(char32_t k) const
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
    const float inset = std::min(indent, getWidth());
    return toPixel(makeLayout().lineStart(text, position, getX() + inset, getWidth() - inset));
}

float CFont::getTextHeight(float maxWidth) const
{
    return makeLayout().textHeight(text, maxWidth);
}

std::int32_t CFont::getVerticalStart() const
{
    const float inset = std::min(indent, getWidth());
    return toPixel(makeLayout().verticalStart(text, getY(), getWidth() - inset, getHeight()));
}
