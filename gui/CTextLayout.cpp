// CTextLayout: UTF-8 decoding, line starts, text height, wrapping, eliding
// and the escape rule.
#include "gui/CTextLayout.h"

#include <cmath>

namespace {

// Stands in for the right or bottom edge when a rectangle does not wrap or
// clip: further away than any window.
constexpr float unbounded = 8388607.0f;

// The index of the first code point at or after byte `start`.
std::uint32_t indexOfByte(const std::vector<std::uint32_t>& offsets, std::uint32_t start)
{
    std::uint32_t index = 0;
    while (index < offsets.size() && offsets[index] < start)
        ++index;
    return index;
}

}

std::vector<char32_t> CTextLayout::decode(const String& text, std::vector<std::uint32_t>* offsets)
{
    std::vector<char32_t> codes;
    const std::uint32_t length = text.length();
    codes.reserve(length);
    if (offsets) {
        offsets->clear();
        offsets->reserve(length);
    }
    for (std::uint32_t i = 0; i < length;) {
        const auto lead = static_cast<std::uint8_t>(text.charAt(i));
        std::uint32_t extra = 0;
        char32_t code = lead;
        char32_t least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            code = lead & 0x1F;
            least = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            code = lead & 0x0F;
            least = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            code = lead & 0x07;
            least = 0x10000;
        } else if (lead >= 0x80) {
            code = invalid;
        }
        bool wellFormed = code != invalid && i + extra < length;
        for (std::uint32_t k = 1; wellFormed && k <= extra; ++k) {
            const auto next = static_cast<std::uint8_t>(text.charAt(i + k));
            wellFormed = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (wellFormed && (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)))
            wellFormed = false;
        if (offsets)
            offsets->push_back(i);
        if (wellFormed) {
            codes.push_back(code);
            i += extra + 1;
        } else {
            codes.push_back(invalid);
            ++i;
        }
    }
    return codes;
}

const CTextLayout::Glyph* CTextLayout::find(char32_t c) const
{
    if (c < 256)
        return &glyphs[c];
    const auto found = moreGlyphs.find(c);
    return found != moreGlyphs.end() ? &found->second : nullptr;
}

bool CTextLayout::isDrawable(char32_t c) const
{
    const Glyph* glyph = find(c);
    return glyph != nullptr && glyph->drawable;
}

char32_t CTextLayout::at(const Codes& codes, std::uint32_t i) const
{
    return password ? static_cast<char32_t>(static_cast<std::uint8_t>(passwordChar)) : codes[i];
}

float CTextLayout::charWidth(char32_t c) const
{
    return isDrawable(c) ? scaleX * find(c)->width : 0.0f;
}

float CTextLayout::lineHeight() const
{
    return scaleY * cellHeight;
}

void CTextLayout::place(std::vector<Placement>& out, char32_t c, float penX, float penY) const
{
    const Glyph& glyph = *find(c);
    const float ink = glyph.inkWidth < 0.0f ? glyph.width : glyph.inkWidth;
    out.push_back({c, penX + scaleX * glyph.inkLeft, penY, scaleX * ink});
}

float CTextLayout::wordWidth(const Codes& codes, std::uint32_t space, float perGlyph, std::uint32_t* end) const
{
    float width = 0.0f;
    std::uint32_t i = space + 1;
    for (; i < codes.size(); ++i) {
        const char32_t c = codes[i];
        if (c == ' ' || c == '\n')
            break;
        if (isDrawable(c))
            width += charWidth(c) + perGlyph;
    }
    if (end)
        *end = i;
    return width;
}

float CTextLayout::spaceAndWordWidth(const Codes& codes, std::uint32_t space) const
{
    const float perGlyph = static_cast<float>(kern);
    const float spaceWidth = isDrawable(' ') ? charWidth(' ') + perGlyph : 0.0f;
    return spaceWidth + wordWidth(codes, space, perGlyph, nullptr);
}

float CTextLayout::widthAt(const Codes& codes, std::uint32_t start, float width) const
{
    float pen = 0.0f;
    const auto count = static_cast<std::uint32_t>(codes.size());
    for (std::uint32_t i = start; i < count; ++i) {
        const char32_t c = at(codes, i);
        if (!password) {
            if (c == '\n')
                return pen;
            // As when drawing: a space ends the line when the word after it
            // would reach the edge.
            const bool beforeNewline = i + 1 < count && codes[i + 1] == '\n';
            if (c == ' ' && !beforeNewline && width != 0.0f && width <= pen + spaceAndWordWidth(codes, i))
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

float CTextLayout::startAt(const Codes& codes, std::uint32_t start, float x0, float width) const
{
    const float line = widthAt(codes, start, width);
    float x = x0;
    if (width > line) {
        if (align == 1 || align == 4 || align == 7)
            x = x0 + (width - line) * 0.5f;
        else if (align == 2 || align == 5 || align == 8)
            x = x0 + (width - line) - 1.0f;
    }
    return std::trunc(x);
}

float CTextLayout::heightOf(const Codes& codes, float maxWidth) const
{
    const float step = lineHeight() + static_cast<float>(lead);
    float height = lineHeight();
    float run = 0.0f;
    const auto count = static_cast<std::uint32_t>(codes.size());
    for (std::uint32_t i = 0; i < count; ++i) {
        const char32_t c = at(codes, i);
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
            const float word = wordWidth(codes, i, static_cast<float>(kern), &end);
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

float CTextLayout::verticalOf(const Codes& codes, float y0, float width, float height) const
{
    const float total = elide ? lineHeight() : heightOf(codes, width);
    float y = y0;
    if (align >= 3 && align <= 5)
        y = y0 + height * 0.5f - total * 0.5f;
    else if (align >= 6 && align <= 8)
        y = y0 + height - total;
    return std::trunc(y);
}

float CTextLayout::lineWidth(const String& text, std::uint32_t start, float width) const
{
    std::vector<std::uint32_t> offsets;
    const Codes codes = decode(text, &offsets);
    return widthAt(codes, indexOfByte(offsets, start), width);
}

float CTextLayout::lineStart(const String& text, std::uint32_t start, float x0, float width) const
{
    std::vector<std::uint32_t> offsets;
    const Codes codes = decode(text, &offsets);
    return startAt(codes, indexOfByte(offsets, start), x0, width);
}

float CTextLayout::textHeight(const String& text, float maxWidth) const
{
    return heightOf(drawnCodes(text), maxWidth);
}

float CTextLayout::verticalStart(const String& text, float y0, float width, float height) const
{
    return verticalOf(drawnCodes(text), y0, width, height);
}

std::vector<char32_t> CTextLayout::drawnCodes(const String& text) const
{
    Codes codes = decode(text);
    if (shape && !password)
        return shape(codes);
    return codes;
}

std::vector<CTextLayout::Placement> CTextLayout::layout(const String& text, float x0, float y0, float width,
                                                          float height) const
{
    const Codes codes = drawnCodes(text);
    if (elide)
        return layoutElided(codes, x0, y0, width, height);
    return layoutCodes(codes, x0, y0, width, height);
}

std::vector<CTextLayout::Placement> CTextLayout::layoutCodes(const Codes& codes, float x0, float y0, float width,
                                                               float height) const
{
    std::vector<Placement> placements;
    const float lineH = lineHeight();
    const bool wraps = width > cellWidth;
    const bool clips = cellHeight < height;
    const float right = wraps ? x0 + width : unbounded;
    const float bottom = clips ? y0 + height : unbounded;
    // An element too narrow to wrap lays every line out from its left edge.
    auto startOf = [&](std::uint32_t position) { return wraps ? startAt(codes, position, x0, width) : x0; };

    float x = startOf(0);
    // The text height for the element's own width, as getVerticalStart
    // measures it, also when the element is too narrow to wrap.
    float y = clips ? verticalOf(codes, y0, width, height) : y0;
    float penX = x; // where the next glyph is drawn
    float penY = y;
    const auto length = static_cast<std::uint32_t>(codes.size());
    for (std::uint32_t i = 0; i < length; ++i) {
        const char32_t c = at(codes, i);
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
            if (c == ' ' && (lastChar || codes[i + 1] != '\n') && right <= x + spaceAndWordWidth(codes, i))
                x = right;
        }
        if (!isDrawable(c))
            continue;
        const float glyphWidth = charWidth(c);
        x += static_cast<float>(kern) + glyphWidth;
        bool stop = false;
        if (right <= x) {
            // The glyph that fills the line is still drawn at its end; a
            // space after it is skipped, and the next line is measured from
            // the character after that space.
            std::uint32_t next = i + 1;
            if (!password && !lastChar && codes[next] == ' ')
                ++next;
            x = startOf(next);
            y += static_cast<float>(lead) + lineH;
            if (bottom < y + lineH)
                stop = true;
            else
                i = next - 1;
        }
        place(placements, c, penX, penY);
        if (stop)
            break;
        penX = x;
        penY = y;
    }
    return placements;
}

std::vector<CTextLayout::Placement> CTextLayout::layoutElided(const Codes& codes, float x0, float y0, float width,
                                                                float height) const
{
    // One line: the text up to its first newline, cut to the width.
    Codes line;
    float lineWidth = 0.0f;
    for (std::uint32_t i = 0; i < codes.size(); ++i) {
        const char32_t c = at(codes, i);
        if (c == '\n' && !password)
            break;
        line.push_back(c);
        if (isDrawable(c))
            lineWidth += charWidth(c) + static_cast<float>(kern);
    }
    if (width > 0.0f && lineWidth > width) {
        const Codes mark = isDrawable(ellipsis) ? Codes{ellipsis} : Codes{'.', '.', '.'};
        float markWidth = 0.0f;
        for (char32_t c : mark)
            markWidth += charWidth(c) + static_cast<float>(kern);
        Codes cut;
        float pen = 0.0f;
        for (char32_t c : line) {
            const float step = isDrawable(c) ? charWidth(c) + static_cast<float>(kern) : 0.0f;
            if (pen + step + markWidth > width)
                break;
            cut.push_back(c);
            pen += step;
        }
        // No space left dangling before the mark.
        while (!cut.empty() && cut.back() == ' ')
            cut.pop_back();
        cut.insert(cut.end(), mark.begin(), mark.end());
        line = std::move(cut);
    }

    // Measured and placed without wrapping; aligned in the full rectangle.
    float shown = 0.0f;
    for (char32_t c : line) {
        if (isDrawable(c))
            shown += charWidth(c) + static_cast<float>(kern);
    }
    float x = x0;
    if (width > shown) {
        if (align == 1 || align == 4 || align == 7)
            x = x0 + (width - shown) * 0.5f;
        else if (align == 2 || align == 5 || align == 8)
            x = x0 + (width - shown) - 1.0f;
    }
    x = std::trunc(x);
    const float y = cellHeight < height ? verticalOf(line, y0, width, height) : y0;
    std::vector<Placement> placements;
    for (char32_t c : line) {
        if (!isDrawable(c))
            continue;
        place(placements, c, x, y);
        x += static_cast<float>(kern) + charWidth(c);
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
