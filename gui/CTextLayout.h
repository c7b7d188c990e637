// CTextLayout: where a text element's glyphs go, as pure arithmetic over a
// glyph table, so that the layout is tested without fonts, sprites or GL.
//
// The text is bytes; characters are signed 8-bit, so codes 128 to 255 have no
// glyph and are neither drawn nor advanced over. A glyph is drawable when its
// frame exists and has a texture; characters without a drawable glyph are
// skipped and measure 0 wide. Lines break at newlines and, when the element
// is wider than one glyph cell, before a word that would reach the right
// edge, or after the glyph that fills the line. Horizontal alignment (align
// codes 1, 4, 7 centre and 2, 5, 8 right-align each line) and vertical
// alignment (3 to 5 middle, 6 to 8 bottom) place the text in its rectangle;
// kern adds pixels after every glyph and lead between lines.
//
// Password mode lays out one password character per byte of the text and
// ignores newlines and word wrapping, but still wraps at the right edge.
#pragma once

#include "core/String.h"

#include <array>
#include <cstdint>
#include <vector>

class CTextLayout {
public:
    struct Glyph {
        float width = 0.0f;    // the frame's width in pixels, before scaleX
        bool drawable = false; // the frame exists and has a texture
    };

    // One glyph quad: the frame `code` drawn `width` x lineHeight() with its
    // top-left corner at (x, y).
    struct Placement {
        std::uint8_t code = 0;
        float x = 0.0f;
        float y = 0.0f;
        float width = 0.0f;
    };

    std::array<Glyph, 256> glyphs{};
    float cellWidth = 0.0f;  // frame 0's size, before scaling
    float cellHeight = 0.0f;
    std::int32_t kern = 0;
    std::int32_t lead = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    std::int32_t align = 0;
    bool password = false;
    char passwordChar = '*';

    // scaleX x the glyph's width; 0 for codes 128 to 255 and missing glyphs.
    float charWidth(char c) const;
    // scaleY x frame 0's height.
    float lineHeight() const;

    // Width of the line that begins at `start`, as the text is laid out in a
    // rectangle `width` wide (0: no wrapping): each drawn glyph with its kern,
    // up to a newline, the end of the text, the space before a word that
    // would reach the width, or the glyph that reaches it.
    float lineWidth(const String& text, std::uint32_t start, float width) const;
    // Left edge of the line that begins at `start` in a rectangle at x0,
    // `width` wide, by the alignment; truncated to an integer.
    float lineStart(const String& text, std::uint32_t start, float x0, float width) const;
    // Height of the whole text when it wraps at maxWidth (0: only newlines
    // break lines): one line height plus line height + lead per break.
    float textHeight(const String& text, float maxWidth) const;
    // Top of the text in a rectangle at y0 of the given size, by the
    // alignment; truncated to an integer.
    float verticalStart(const String& text, float y0, float width, float height) const;

    // The glyph quads of `text` in the rectangle (x0, y0, width, height), in
    // drawing order. A rectangle not wider than frame 0 does not wrap and
    // starts every line at x0; one not taller than frame 0 is not clipped and
    // starts at y0. Otherwise layout stops after the last line that fits.
    std::vector<Placement> layout(const String& text, float x0, float y0, float width, float height) const;

    // The description's escape rule: backslash + "n" becomes a newline, and a
    // backslash before that pair keeps it literally (the extra one is dropped).
    static String unescape(const String& text);

private:
    bool isDrawable(char c) const;
    // Width of the word after position `space`, up to the next space,
    // newline or end, each glyph counted with `perGlyph` added; `end`
    // receives the position after the word.
    float wordWidth(const String& text, std::uint32_t space, float perGlyph, std::uint32_t* end) const;
    // How far the pen moves over the space at `space` and the word after it,
    // kern included: the word is wrapped when this reaches the right edge.
    float spaceAndWordWidth(const String& text, std::uint32_t space) const;
};
