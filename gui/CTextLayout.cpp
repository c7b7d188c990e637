// CTextLayout: line starts, text height, wrapping and the escape rule.
#include "gui/CTextLayout.h"

#include <cmath>

namespace {

// Stands in for the right or bottom edge when a rectangle does not wrap or
// clip: further away than any window.
constexpr float unbounded = 8388607.0f;

}

bool CTextLayout::isDrawable(char c) const
{
    return c >= 0 && glyphs[static_cast<std::uint8_t>(c)].drawable;
}

float CTextLayout::charWidth(char c) const
{
    return isDrawable(c) ? scaleX * glyphs[static_cast<std::uint8_t>(c)].width : 0.0f;
}

float CTextLayout::lineHeight() const
{
    return scaleY * cellHeight;
}

float CTextLayout::wordWidth(const String& text, std::uint32_t space, float perGlyph, std::uint32_t* end) const
{
    float width = 0.0f;
    std::uint32_t i = space + 1;
    for (; i < text.length(); ++i) {
        const char c = text.charAt(i);
        if (c == ' ' || c == '\n')
            break;
        if (isDrawable(c))
            width += charWidth(c) + perGlyph;
    }
    if (end)
        *end = i;
    return width;
}

float CTextLayout::spaceAndWordWidth(const String& text, std::uint32_t space) const
{
    const float perGlyph = static_cast<float>(kern);
    const float spaceWidth = isDrawable(' ') ? charWidth(' ') + perGlyph : 0.0f;
    return spaceWidth + wordWidth(text, space, perGlyph, nullptr);
}

float CTextLayout::lineWidth(const String& text, std::uint32_t start, float width) const
{
    float pen = 0.0f;
    for (std::uint32_t i = start; i < text.length(); ++i) {
        const char c = password ? passwordChar : text.charAt(i);
        if (!password) {
            if (c == '\n')
                return pen;
            // As when drawing: a space ends the line when the word after it
            // would reach the edge.
            const bool beforeNewline = text.charAt(i + 1) == '\n' && i + 1 < text.length();
            if (c == ' ' && !beforeNewline && width != 0.0f && width <= pen + spaceAndWordWidth(text, i))
                return pen;
        }
        if (!isDrawable(c))
            continue;
        pen += static_cast<float>(kern) + charWidth(c);
        if (width != 0.0f && width <= pen)
            return pen;
    }
    return pen;
}

float CTextLayout::lineStart(const String& text, std::uint32_t start, float x0, float width) const
{
    const float line = lineWidth(text, start, width);
    float x = x0;
    if (width > line) {
        if (align == 1 || align == 4 || align == 7)
            x = x0 + (width - line) * 0.5f;
        else if (align == 2 || align == 5 || align == 8)
            x = x0 + (width - line) - 1.0f;
    }
    return std::trunc(x);
}

float CTextLayout::textHeight(const String& text, float maxWidth) const
{
    const float step = lineHeight() + static_cast<float>(lead);
    float height = lineHeight();
    float run = 0.0f;
    for (std::uint32_t i = 0; i < text.length(); ++i) {
        const char c = password ? passwordChar : text.charAt(i);
        if (c == '\n' && !password) {
            height += step;
            run = 0.0f;
            continue;
        }
        if (maxWidth == 0.0f)
            continue;
        if (isDrawable(c))
            run += charWidth(c) + static_cast<float>(kern);
        if (run >= maxWidth) {
            height += step;
            run = 0.0f;
            continue;
        }
        if (c == ' ' && !password) {
            std::uint32_t end = 0;
            const float word = wordWidth(text, i, static_cast<float>(kern), &end);
            if (run + word >= maxWidth) {
                height += step;
                run = 0.0f;
            } else {
                run += word;
                i = end - 1;
            }
        }
    }
    return height;
}

float CTextLayout::verticalStart(const String& text, float y0, float width, float height) const
{
    const float total = textHeight(text, width);
    float y = y0;
    if (align >= 3 && align <= 5)
        y = y0 + height * 0.5f - total * 0.5f;
    else if (align >= 6 && align <= 8)
        y = y0 + height - total;
    return std::trunc(y);
}

std::vector<CTextLayout::Placement> CTextLayout::layout(const String& text, float x0, float y0, float width,
                                                          float height) const
{
    std::vector<Placement> placements;
    const float lineH = lineHeight();
    const bool wraps = width > cellWidth;
    const bool clips = cellHeight < height;
    const float right = wraps ? x0 + width : unbounded;
    const float bottom = clips ? y0 + height : unbounded;
    // An element too narrow to wrap lays every line out from its left edge.
    auto startOf = [&](std::uint32_t position) { return wraps ? lineStart(text, position, x0, width) : x0; };

    float x = startOf(0);
    float y = clips ? verticalStart(text, y0, wraps ? width : 0.0f, height) : y0;
    float penX = x; // where the next glyph is drawn
    float penY = y;
    const std::uint32_t length = text.length();
    for (std::uint32_t i = 0; i < length; ++i) {
        const char c = password ? passwordChar : text.charAt(i);
        const bool lastChar = i + 1 >= length;
        if (!password) {
            if (c == '\n') {
                x = startOf(i + 1);
                y += static_cast<float>(lead) + lineH;
                if (bottom < y + lineH)
                    break;
                penX = x;
                penY = y;
                continue;
            }
            // A space before a word that would reach the edge ends the line.
            if (c == ' ' && (lastChar || text.charAt(i + 1) != '\n') && right <= x + spaceAndWordWidth(text, i))
                x = right;
        }
        if (!isDrawable(c))
            continue;
        const float glyphWidth = charWidth(c);
        x += static_cast<float>(kern) + glyphWidth;
        bool stop = false;
        if (right <= x) {
            // The glyph that fills the line is still drawn at its end.
            x = startOf(i + 1);
            y += static_cast<float>(lead) + lineH;
            if (bottom < y + lineH)
                stop = true;
            else if (!password && !lastChar && text.charAt(i + 1) == ' ')
                ++i;
        }
        placements.push_back({static_cast<std::uint8_t>(c), penX, penY, glyphWidth});
        if (stop)
            break;
        penX = x;
        penY = y;
    }
    return placements;
}

String CTextLayout::unescape(const String& text)
{
    std::vector<char> out;
    out.reserve(text.length());
    const std::uint32_t length = text.length();
    for (std::uint32_t i = 0; i < length; ++i) {
        const char c = text.charAt(i);
        if (c == '\\' && i + 1 < length && text.charAt(i + 1) == 'n') {
            if (i > 0 && text.charAt(i - 1) == '\\') {
                // A doubled backslash: the copied one is dropped and the pair
                // kept, which leaves that copy standing for the pair's own.
                out.push_back('n');
            } else {
                out.push_back('\n');
            }
            ++i;
            continue;
        }
        out.push_back(c);
    }
    return String(out.data(), static_cast<std::uint32_t>(out.size()));
}
