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
