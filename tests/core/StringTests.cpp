// String: clamping, exact-size rebuilding, searching and formatting.
#include "core/String.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Every buffer is exactly length + 1 bytes with the terminator last; ASan
// turns any overrun of such a buffer into a failure.
void expectWellFormed(const String& s)
{
    ASSERT_NE(s.c_str(), nullptr);
    EXPECT_EQ(std::strlen(s.c_str()), s.length());
    EXPECT_EQ(s.c_str()[s.length()], '\0');
}

} // namespace

TEST(String, NullPointerGivesNullDataAndItsCopyAOneByteBuffer)
{
    const String none(static_cast<const char*>(nullptr));
    EXPECT_EQ(none.length(), 0u);
    EXPECT_EQ(none.c_str(), nullptr);
    EXPECT_EQ(none.charAt(0), '\0');

    const String copy(none);
    EXPECT_EQ(copy.length(), 0u);
    ASSERT_NE(copy.c_str(), nullptr);
    EXPECT_EQ(copy.c_str()[0], '\0');
    EXPECT_TRUE(copy.equals(none));
    EXPECT_EQ(copy.compare(none), 0);

    // Operations on the null string stay safe.
    EXPECT_TRUE(none.endsWith(String("")));
    EXPECT_EQ(none.find(0, 10, String("a")), String::npos);
    EXPECT_EQ(none.substring(0, 5).length(), 0u);
    String grown(none);
    grown.append(String("ab"));
    EXPECT_STREQ(grown.c_str(), "ab");
}

TEST(String, EveryChangeBuildsANewExactBuffer)
{
    String s("abc");
    const char* before = s.c_str();
    s.append(String("def"));
    EXPECT_NE(s.c_str(), before);
    EXPECT_STREQ(s.c_str(), "abcdef");
    expectWellFormed(s);

    s.insert(100, String("!"));  // position clamped to the end
    EXPECT_STREQ(s.c_str(), "abcdef!");
    s.insert(0, String(">"));
    EXPECT_STREQ(s.c_str(), ">abcdef!");
    s.insert(4, s);  // inserting itself
    EXPECT_STREQ(s.c_str(), ">abc>abcdef!def!");
    expectWellFormed(s);

    s.erase(4, 100);  // count clamped to the rest
    EXPECT_STREQ(s.c_str(), ">abc");
    s.erase(100, 1);  // position clamped: nothing to remove
    EXPECT_STREQ(s.c_str(), ">abc");
    s.erase(0, 1);
    EXPECT_STREQ(s.c_str(), "abc");
    s.erase(0, 3);
    EXPECT_EQ(s.length(), 0u);
    expectWellFormed(s);

    EXPECT_STREQ(String("ab").concat(String("cd")).c_str(), "abcd");
}

TEST(String, CharAtEqualsAndCompare)
{
    const String abc("abc");
    EXPECT_EQ(abc.charAt(2), 'c');
    EXPECT_EQ(abc.charAt(3), '\0');
    EXPECT_EQ(abc.charAt(0xFFFFFFFFu), '\0');

    EXPECT_TRUE(abc.equals(String("abc")));
    EXPECT_FALSE(abc.equals(String("abd")));
    EXPECT_FALSE(abc.equals(String("ab")));
    EXPECT_EQ(abc.compare(String("abc")), 0);
    EXPECT_NE(abc.compare(String("ab")), 0);   // a proper prefix differs
    EXPECT_NE(String("ab").compare(abc), 0);
    EXPECT_NE(abc.compare(String("ABC")), 0);  // case-sensitive
    // Bytes are compared as unsigned: 0xC3 sorts after 'a'.
    EXPECT_GT(String("\xC3").compare(String("a")), 0);
    // Embedded zero bytes count as characters.
    EXPECT_FALSE(String("a\0b", 3).equals(String("a\0c", 3)));
}

TEST(String, EndsWithIsCaseSensitiveUntilLowered)
{
    String name("image.PNG");
    EXPECT_FALSE(name.endsWith(String(".png")));
    name.toLower();
    EXPECT_TRUE(name.endsWith(String(".png")));
    EXPECT_TRUE(name.endsWith(String("")));
    EXPECT_TRUE(name.endsWith(name));
    EXPECT_FALSE(String("png").endsWith(String(".png")));
}

TEST(String, ToLowerChangesOnlyAsciiCapitals)
{
    String s("AZaz@[`{\xC4\xD6\x80 09");
    s.toLower();
    EXPECT_STREQ(s.c_str(), "azaz@[`{\xC4\xD6\x80 09");
}

TEST(String, FindWithinAClampedWindow)
{
    const String s("abcabc");
    EXPECT_EQ(s.find(0, 100, String("abc")), 0u);
    EXPECT_EQ(s.find(1, 100, String("abc")), 3u);
    EXPECT_EQ(s.find(1, 5, String("abc")), 3u);            // window ends exactly at the match end
    EXPECT_EQ(s.find(1, 4, String("abc")), String::npos);  // match would leave the window
    EXPECT_EQ(s.find(0, String::npos, String("c")), 2u);   // start + count beyond 32 bits
    EXPECT_EQ(s.find(7, 10, String("a")), String::npos);
    EXPECT_EQ(s.find(0, 100, String("")), String::npos);
    EXPECT_EQ(s.find(0, 100, String("abcabcd")), String::npos);
}

TEST(String, SubstringClampsStartAndCount)
{
    const String s("abcdef");
    EXPECT_STREQ(s.substring(3, 100).c_str(), "def");
    const String beyond = s.substring(10, 2);
    EXPECT_EQ(beyond.length(), 0u);
    ASSERT_NE(beyond.c_str(), nullptr);
    EXPECT_STREQ(s.substring(1, 2).c_str(), "bc");
    EXPECT_STREQ(s.substring(2).c_str(), "cdef");
    EXPECT_STREQ(s.substring(0, 0xFFFFFFFFu).c_str(), "abcdef");
    EXPECT_STREQ(s.substring(6).c_str(), "");
}

TEST(String, ReplaceAllDoesNotRevisitItsReplacement)
{
    String text("a&b&c");
    text.replaceAll(String("&"), String("&#38;"));
    EXPECT_STREQ(text.c_str(), "a&#38;b&#38;c");

    String doubled("aaa");
    doubled.replaceAll(String("a"), String("aa"));
    EXPECT_STREQ(doubled.c_str(), "aaaaaa");

    String removed("x--y--");
    removed.replaceAll(String("--"), String(""));
    EXPECT_STREQ(removed.c_str(), "xy");

    String untouched("abc");
    untouched.replaceAll(String(""), String("z"));  // empty pattern: no occurrence
    untouched.replaceAll(String("q"), String("z"));
    EXPECT_STREQ(untouched.c_str(), "abc");

    String self("ab");
    self.replaceAll(self, String("<ab>"));  // pattern aliases the string itself
    EXPECT_STREQ(self.c_str(), "<ab>");
    String selfReplacement("ab");
    selfReplacement.replaceAll(String("b"), selfReplacement);
    EXPECT_STREQ(selfReplacement.c_str(), "aab");
}

TEST(String, FormatMeasuresThenFillsExactly)
{
    String label;
    label.format("%.0f px", 12.6);
    EXPECT_STREQ(label.c_str(), "13 px");
    EXPECT_EQ(label.length(), 5u);
    expectWellFormed(label);

    label.format("%s", "");
    EXPECT_EQ(label.length(), 0u);
    EXPECT_EQ(label.c_str(), nullptr);  // an empty result leaves data null

    label = String("x");
    label.format(nullptr);
    EXPECT_EQ(label.length(), 0u);
    EXPECT_EQ(label.c_str(), nullptr);

    String big;
    big.format("%0300d|%s", 7, "end");
    EXPECT_EQ(big.length(), 304u);
    EXPECT_TRUE(big.endsWith(String("7|end")));
}

TEST(String, FormatMayReadItsOwnText)
{
    String label("spacing");
    label.format("%s: %s", label.c_str(), label.c_str());
    EXPECT_STREQ(label.c_str(), "spacing: spacing");
}
