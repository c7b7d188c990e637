// Text layout arithmetic over a monospaced glyph table: every printable
// character 8 pixels wide, lines 10 pixels high.
#include "gui/CTextLayout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

CTextLayout monospaced()
{
    CTextLayout layout;
    for (int code = 32; code < 127; ++code)
        layout.glyphs[code] = {8.0f, true};
    layout.cellWidth = 8.0f;
    layout.cellHeight = 10.0f;
    return layout;
}

// The placements as "c@x,y" items, for compact expectations.
std::string placed(const CTextLayout& layout, const char* text, float x0, float y0, float width, float height)
{
    std::string out;
    for (const CTextLayout::Placement& p : layout.layout(String(text), x0, y0, width, height)) {
        if (!out.empty())
            out += ' ';
        out += std::string(1, static_cast<char>(p.code)) + "@" + std::to_string(int(p.x)) + "," +
               std::to_string(int(p.y));
    }
    return out;
}

}

TEST(CTextLayout, UnescapeTurnsBackslashNIntoNewlineUnlessTheBackslashIsDoubled)
{
    EXPECT_EQ(CTextLayout::unescape("a\\nb"), String("a\nb"));
    EXPECT_EQ(CTextLayout::unescape("a\\\\nb"), String("a\\nb"));
    EXPECT_EQ(CTextLayout::unescape("\\n\\n"), String("\n\n"));
    EXPECT_EQ(CTextLayout::unescape("\\\\\\n"), String("\\\\n"));
    EXPECT_EQ(CTextLayout::unescape("end\\"), String("end\\"));
    EXPECT_EQ(CTextLayout::unescape(""), String(""));
}

TEST(CTextLayout, NineAlignmentsPlaceTheTextInItsRectangle)
{
    CTextLayout layout = monospaced();
    const String text("abcd"); // 32 wide, 10 high, in 100 x 50 at (10, 5)
    const float left[] = {10, 44, 77};
    const float top[] = {5, 25, 45};
    for (int align = 0; align < 9; ++align) {
        layout.align = align;
        EXPECT_EQ(layout.lineStart(text, 0, 10, 100), left[align % 3]) << align;
        EXPECT_EQ(layout.verticalStart(text, 5, 100, 50), top[align / 3]) << align;
    }
    // A line as wide as the rectangle is not shifted.
    layout.align = 2;
    EXPECT_EQ(layout.lineStart(String("abcd"), 0, 10, 32), 10);
}

TEST(CTextLayout, TextHeightCountsNewlinesAndWrapsWithLead)
{
    CTextLayout layout = monospaced();
    layout.lead = 2;
    EXPECT_EQ(layout.textHeight(String("a\nb\nc"), 0), 34);
    EXPECT_EQ(layout.textHeight(String("aaaa bbbb"), 0), 10);
    // "aaaa " is 40 wide; the next word would reach 60, so it starts a line.
    EXPECT_EQ(layout.textHeight(String("aaaa bbbb"), 60), 22);
    EXPECT_EQ(layout.textHeight(String("aaaa bbbb"), 100), 10);
    // A word longer than the width breaks where the running width reaches it.
    EXPECT_EQ(layout.textHeight(String("aaaaaaaaaa"), 40), 34);
}

TEST(CTextLayout, WrapsBeforeTheWordThatWouldReachTheEdgeAndCentresEachLine)
{
    CTextLayout layout = monospaced();
    // The space before "cc" ends the first line: with it "cc" would reach 64.
    EXPECT_EQ(placed(layout, "aa bb cc", 0, 0, 60, 100), "a@0,0 a@8,0  @16,0 b@24,0 b@32,0  @40,0 c@0,10 c@8,10");
    // Centred: "aa bb" is 40 wide in 60, "cc" 16 wide.
    layout.align = 1;
    EXPECT_EQ(placed(layout, "aa bb cc", 0, 0, 60, 100), "a@10,0 a@18,0  @26,0 b@34,0 b@42,0  @50,0 c@22,10 c@30,10");
    // Newlines break lines; the line after one gets its own start.
    layout.align = 2;
    EXPECT_EQ(placed(layout, "ab\nc", 0, 0, 60, 100), "a@43,0 b@51,0 c@51,10");
}

TEST(CTextLayout, StopsAfterTheLastLineThatFits)
{
    CTextLayout layout = monospaced();
    layout.lead = 1;
    // Lines at 0 and 11 fit in 25; the third would end at 32.
    EXPECT_EQ(placed(layout, "a\nb\nc\nd", 0, 0, 60, 25), "a@0,0 b@0,11");
    // The glyph that fills the last line is drawn there before layout stops.
    EXPECT_EQ(placed(layout, "aaaaaaa", 0, 0, 40, 15), "a@0,0 a@8,0 a@16,0 a@24,0 a@32,0");
}

TEST(CTextLayout, NarrowElementNeverWrapsNorAligns)
{
    CTextLayout layout = monospaced();
    layout.align = 8;
    // Not wider than one glyph cell, not taller than one: no wrap, no clip.
    EXPECT_EQ(placed(layout, "ab\nc", 5, 7, 8, 10), "a@5,7 b@13,7 c@5,17");
}

TEST(CTextLayout, MissingAndHighGlyphsAreSkippedWithoutAdvance)
{
    CTextLayout layout = monospaced();
    layout.glyphs['x'].drawable = false;
    EXPECT_EQ(placed(layout, "axb\xC3\xA9" "c", 0, 0, 100, 100), "a@0,0 b@8,0 c@16,0");
    EXPECT_EQ(layout.lineWidth(String("axb\xC3\xA9" "c"), 0, 100), 24);
    EXPECT_EQ(layout.charWidth('\xE9'), 0);
}

TEST(CTextLayout, KernLeadAndScalesSpaceGlyphsAndLines)
{
    CTextLayout layout = monospaced();
    layout.kern = 1;
    layout.lead = 3;
    layout.scaleX = 2;
    layout.scaleY = 1.5f;
    const auto placements = layout.layout(String("ab\nc"), 0, 0, 100, 100);
    ASSERT_EQ(placements.size(), 3u);
    EXPECT_EQ(placements[1].x, 17);
    EXPECT_EQ(placements[1].width, 16);
    EXPECT_EQ(placements[2].y, 18);
    EXPECT_EQ(layout.lineHeight(), 15);
}

TEST(CTextLayout, PasswordModeDrawsOneCharacterPerByteAndWrapsOnlyAtTheEdge)
{
    CTextLayout layout = monospaced();
    layout.password = true;
    EXPECT_EQ(placed(layout, "a b\nc", 0, 0, 100, 100), "*@0,0 *@8,0 *@16,0 *@24,0 *@32,0");
    // 24 wide: three per line; the space that starts the second line still
    // shows as one character.
    EXPECT_EQ(placed(layout, "abc def", 0, 0, 24, 100), "*@0,0 *@8,0 *@16,0 *@0,10 *@8,10 *@16,10 *@0,20");
}

namespace {

// Every glyph 10 pixels wide, cell 10 x 10; "…" (U+2026) and "ス" as well.
CTextLayout tenWide()
{
    CTextLayout layout;
    for (int code = 32; code < 127; ++code)
        layout.glyphs[code] = {10.0f, true};
    layout.moreGlyphs[CTextLayout::ellipsis] = {10.0f, true};
    layout.moreGlyphs[0x30B9] = {10.0f, true};
    layout.cellWidth = 10.0f;
    layout.cellHeight = 10.0f;
    return layout;
}

}

TEST(CTextLayout, LineAfterAFullLineAndItsSkippedSpaceIsAlignedByItsOwnWidth)
{
    CTextLayout layout = tenWide();
    const String text("aaaaaaaaaa bb"); // the a's fill 100 pixels, "bb" is 20
    const struct {
        int align;
        float second;
    } cases[] = {{1, 40.0f}, {2, 79.0f}, {0, 0.0f}};
    for (const auto& c : cases) {
        layout.align = c.align;
        const std::vector<CTextLayout::Placement> glyphs = layout.layout(text, 0, 0, 100, 100);
        ASSERT_EQ(glyphs.size(), 12u) << c.align;
        EXPECT_EQ(glyphs[10].code, U'b');
        EXPECT_EQ(glyphs[10].x, c.second) << c.align;
        EXPECT_EQ(glyphs[10].y, 10.0f);
    }
}

TEST(CTextLayout, NarrowElementDrawsFromTheVerticalStartItReports)
{
    CTextLayout layout = tenWide();
    layout.align = 3;
    const String text("aaa");
    const std::vector<CTextLayout::Placement> glyphs = layout.layout(text, 0, 0, 10, 200);
    ASSERT_FALSE(glyphs.empty());
    EXPECT_EQ(glyphs[0].y, layout.verticalStart(text, 0, 10, 200));
}

TEST(CTextLayout, Utf8IsDecodedAndStrayBytesStandForNothing)
{
    const char32_t bad = CTextLayout::invalid;
    const struct {
        const char* text;
        std::vector<char32_t> codes;
    } cases[] = {
        {"a\xC3\xA9", {U'a', 0xE9}},
        {"\xE3\x82\xB9\xF0\x9F\x98\x80", {0x30B9, 0x1F600}},
        {"\xC3", {bad}},                        // cut short
        {"\xC0\x80", {bad, bad}},               // overlong
        {"\xED\xA0\x80", {bad, bad, bad}},      // surrogate
        {"\xF4\x90\x80\x80", {bad, bad, bad, bad}}, // past U+10FFFF
        {"\xE9t\xE9", {bad, U't', bad}},        // Latin-1 bytes
    };
    for (const auto& c : cases)
        EXPECT_EQ(CTextLayout::decode(String(c.text)), c.codes) << c.text;

    // A stray byte is neither drawn nor advanced over; a code point with a
    // glyph is.
    CTextLayout layout = tenWide();
    EXPECT_EQ(placed(layout, "a\xE9" "b", 0, 0, 200, 10), "a@0,0 b@10,0");
    EXPECT_EQ(layout.layout(String("\xE3\x82\xB9" "a"), 0, 0, 200, 10).size(), 2u);
}

TEST(CTextLayout, InkReachesPastTheAdvanceAndElidedTextStaysInItsWidth)
{
    CTextLayout layout = tenWide();
    layout.glyphs['f'] = {6.0f, true, -1.0f, 9.0f};
    const std::vector<CTextLayout::Placement> ink = layout.layout(String("fa"), 20, 0, 200, 10);
    ASSERT_EQ(ink.size(), 2u);
    EXPECT_EQ(ink[0].x, 19.0f);
    EXPECT_EQ(ink[0].width, 9.0f);
    EXPECT_EQ(ink[1].x, 26.0f); // the pen moved by the advance only

    layout.elide = true;
    const struct {
        const char* text;
        float width;
        std::size_t glyphs;
        char32_t last;
    } cases[] = {
        {"abcdefghij", 100, 10, U'j'},      // fits exactly
        {"abcdefghijk", 100, 10, 0x2026},   // nine letters and the mark
        {"abc\ndef", 100, 3, U'c'},         // one line only
        {"abcd efgh", 60, 5, 0x2026},       // no space before the mark
    };
    for (const auto& c : cases) {
        const std::vector<CTextLayout::Placement> glyphs = layout.layout(String(c.text), 0, 0, c.width, 10);
        ASSERT_EQ(glyphs.size(), c.glyphs) << c.text;
        EXPECT_EQ(glyphs.back().code, c.last) << c.text;
        EXPECT_LE(glyphs.back().x + glyphs.back().width, c.width) << c.text;
        for (const CTextLayout::Placement& glyph : glyphs)
            EXPECT_EQ(glyph.y, 0.0f) << c.text;
    }
    // Without a "…" glyph the mark is three dots.
    layout.moreGlyphs.clear();
    const std::vector<CTextLayout::Placement> dots = layout.layout(String("abcdefghijk"), 0, 0, 100, 10);
    ASSERT_EQ(dots.size(), 10u);
    EXPECT_EQ(dots[9].code, U'.');
    EXPECT_EQ(dots[7].code, U'.');
}
