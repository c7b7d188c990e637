// CTextLayout: where a text element's glyphs go, as pure arithmetic over a
// glyph table, so that the layout is tested without fonts, sprites or GL.
//
// The text is UTF-8. It is decoded into code points; a byte that does not
// start a well-formed sequence (overlong forms, surrogates and values past
// U+10FFFF included) stands for no character and is neither drawn nor
// advanced over. Code points 0 to 255 take their glyph from `glyphs`, later
// ones from `moreGlyphs`. A glyph is drawable when its frame exists and has
// a texture; characters without a drawable glyph are skipped and measure 0
// wide.
//
// A glyph advances the pen by its width; its quad (the frame) may be wider
// and start left of the pen (inkLeft < 0), so letters such as "f", "j" or
// "V" keep ink that reaches past their advance. Lines break at newlines and,
// when the element is wider than one glyph cell, before a word that would
// reach the right edge, or after the glyph that fills the line (a space
// that follows such a glyph is skipped). Horizontal alignment (align codes
// 1, 4, 7 centre and 2, 5, 8 right-align each line) and vertical alignment
// (3 to 5 middle, 6 to 8 bottom) place the text in its rectangle; kern adds
// pixels after every glyph and lead between lines.
//
// With `elide` the text is one line (up to its first newline): when it is
// wider than the rectangle it is cut and ends in "…" (or "..." when the font
// lacks it), so it never wraps over what lies below.
//
// Password mode lays out one password character per character of the text
// and ignores newlines and word wrapping, but still wraps at the right edge.
#pragma once

#include "core/String.h"

#include <array>
#include <functional>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CTextLayout {
public:
    struct Glyph {
        float width = 0.0f;    // the advance in pixels, before scaleX
        bool drawable = false; // the frame exists and has a texture
        float inkLeft = 0.0f;  // where the quad starts, from the pen
        float inkWidth = -1.0f; // the quad's width; below 0: the advance
    };

    // One glyph quad: the glyph of `code` drawn `width` x lineHeight() with
    // its top-left corner at (x, y).
    struct Placement {
        char32_t code = 0;
        float x = 0.0f;
        float y = 0.0f;
        float width = 0.0f;
    };

    // Stands for a byte that starts no well-formed UTF-8 sequence.
    static constexpr char32_t invalid = 0xFFFFFFFFu;
    static constexpr char32_t ellipsis = 0x2026;

    std::array<Glyph, 256> glyphs{};
    std::unordered_map<char32_t, Glyph> moreGlyphs; // code points from 256
    float cellWidth = 0.0f;  // frame 0's size, before scaling
    float cellHeight = 0.0f;
    std::int32_t kern = 0;
    std::int32_t lead = 0;
    float scaleX = 1.0f;
    float scaleY = 1.0f;
    std::int32_t align = 0;
    bool password = false;
    char passwordChar = '*';
    bool elide = false;
    // Turns decoded text into what is drawn, left to right (the font's
    // shaping: joined letters, right-to-left runs); none leaves the code
    // points as they are. Names above U+10FFFF that it returns are glyphs
    // like any other (moreGlyphs). Caret positions (lineWidth, lineStart
    // from a byte) follow the unshaped text.
    std::function<std::vector<char32_t>(const std::vector<char32_t>&)> shape;

    // The text decoded and, when the layout shapes, shaped (password text
    // is never shaped).
    std::vector<char32_t> drawnCodes(const String& text) const;

    // The code points of UTF-8 text (`invalid` for each stray byte);
    // `offsets` (when not null) receives each one's byte position.
    static std::vector<char32_t> decode(const String& text, std::vector<std::uint32_t>* offsets = nullptr);

    // scaleX x the glyph's advance; 0 for characters without a drawable glyph
    // (a char above 127 converts to a value no glyph has).
    float charWidth(char32_t c) const;
    // scaleY x frame 0's height.
    float lineHeight() const;

    // Width of the line that begins at byte `start`, as the text is laid out
    // in a rectangle `width` wide (0: no wrapping): each drawn glyph with its
    // kern, up to a newline, the end of the text, the space before a word
    // that would reach the width, or the glyph that reaches it.
    float lineWidth(const String& text, std::uint32_t start, float width) const;
    // Left edge of the line that begins at byte `start` in a rectangle at x0,
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
    using Codes = std::vector<char32_t>;

    const Glyph* find(char32_t c) const;
    bool isDrawable(char32_t c) const;
    char32_t at(const Codes& codes, std::uint32_t i) const;
    float widthAt(const Codes& codes, std::uint32_t start, float width) const;
    float startAt(const Codes& codes, std::uint32_t start, float x0, float width) const;
    float heightOf(const Codes& codes, float maxWidth) const;
    float verticalOf(const Codes& codes, float y0, float width, float height) const;
    std::vector<Placement> layoutCodes(const Codes& codes, float x0, float y0, float width, float height) const;
    std::vector<Placement> layoutElided(const Codes& codes, float x0, float y0, float width, float height) const;
    void place(std::vector<Placement>& out, char32_t c, float penX, float penY) const;
    // Width of the word after index `space`, up to the next space, newline
    // or end, each glyph counted with `perGlyph` added; `end` receives the
    // index after the word.
    float wordWidth(const Codes& codes, std::uint32_t space, float perGlyph, std::uint32_t* end) const;
    // How far the pen moves over the space at `space` and the word after it,
    // kern included: the word is wrapped when this reaches the right edge.
    float spaceAndWordWidth(const Codes& codes, std::uint32_t space) const;
};
