// Line breaking for message boxes that do not wrap by themselves.
#include "framework/TextWrap.h"

#include <gtest/gtest.h>

TEST(TextWrap, BreaksAtSpacesThenAtSlashesAndKeepsLines)
{
    const struct {
        const char* text;
        std::size_t columns;
        const char* wrapped;
    } cases[] = {
        {"short", 10, "short"},
        {"one two three four", 9, "one two\nthree\nfour"},
        {"/home/artist/sprites/hero.png", 14, "/home/artist/\nsprites/\nhero.png"},
        {"abcdefghij", 4, "abcd\nefgh\nij"},
        {"kept\n\nlines", 3, "kep\nt\n\nlin\nes"},
        {"\xc3\xa9\xc3\xa9\xc3\xa9", 3, "\xc3\xa9\n\xc3\xa9\n\xc3\xa9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrapText(c.text, c.columns), c.wrapped) << c.text;
}
