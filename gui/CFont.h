// CFont: the GUI's text element.
//
// Draws UTF-8 text with a bitmap font held in the element's sprite, whose 256
// frames are the glyphs of code points 0 to 255. The text is laid out inside
// the element's rectangle with one of nine alignments (the base's align
// code, only stored for text elements), breaks at newlines, wraps words at
// the right edge and stops at the last line that fits; with "elide" it is
// one line cut with "…" to the width.
//
// The glyph sprite itself is built from a TrueType file by the resource
// manager (a "font" entry of a resource list). When the sprite is such a
// font, every other character the text uses (a name in Greek, Cyrillic or
// Japanese, "×", "…") comes from that font's glyph cache, which renders it
// on first use from the font or its fallback fonts; the glyphs also carry
// their ink extent, so ink past a glyph's advance is drawn. With a sprite of
// any other kind only its frames are glyphs. The layout arithmetic is
// CTextLayout's; getLineStart and friends apply it to this element.
#pragma once

#include "core/String.h"
#include "gui/CGUI.h"

#include <cstdint>
#include <memory>

class CGlyphCache;

class CTextLayout;

class CFont : public CGUI {
public:
    CFont();
    CFont(const CFont& other);
    ~CFont() override;

    void draw() override;
    // Common attributes, then "kern", "lead", "text", "scaleX", "scaleY"
    // (a missing scale resets to 1), "elide" and "indent".
    void load(CXMLNode& node) override;
    // Builds the 256-frame glyph table from a font sprite (frames named by
    // their character); a sprite without frames is ignored.
    void setSprite(const CSprite& sprite) override;
    // Slot 9: the base, align, kern, lead, password, passwordChar, scales,
    // text, elide, indent and the glyph cache.
    using CGUI::copyFrom;
    virtual void copyFrom(const CFont& other);

    // Stores the text and turns backslash + "n" into a newline (a doubled
    // backslash keeps the pair as written, minus one backslash).
    void setText(const String& value);
    const String& getText() const { return text; }

    // Layout arithmetic (element coordinates; see CTextLayout).
    // scaleX x the advance of the glyph of code point k, 0 when there is none.
    float getCharWidth(char32_t k) const;
    // scaleY x the height of frame 0, 0 without frames.
    float getLineHeight() const;
    // Width of the line that starts at `position` for a wrap width.
    float getLineWidth(std::uint32_t position, float wrapWidth) const;
    // Left edge of the line that starts at `position` (truncated).
    std::int32_t getLineStart(std::uint32_t position) const;
    // Height of the whole text wrapped at maxWidth (0: no wrapping).
    float getTextHeight(float maxWidth) const;
    // Top of the text block for the vertical alignment (truncated).
    std::int32_t getVerticalStart() const;

    String text;
    std::int32_t kern = 0;
    std::int32_t lead = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    bool password = false;
    char passwordChar = '*';
    // One line, cut with "…" when wider than the element.
    bool elide = false;
    // Pixels kept free left of the text.
    float indent = 0.0f;

private:
    // The layout arithmetic fed with this element's glyph table and settings.
    CTextLayout makeLayout() const;
    // Shows glyph `code` on the element's quad: frame `code` of the table
    // when it is drawable, else the glyph cache's frame.
    void showGlyph(char32_t code);

    std::shared_ptr<CGlyphCache> glyphCache; // of the font sprite; shared by copies
};
