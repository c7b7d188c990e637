// Lenient reading of description values: leading numbers, booleans, and
// values that must stay finite whatever the text.
#include "gui/GUIAttributes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace GUIAttributes;

TEST(GUIAttributes, NumbersCountByTheirLeadingDecimalText)
{
    EXPECT_EQ(parseReal("12.5px"), 12.5f);
    EXPECT_EQ(parseReal("  -3e2x"), -300.0f);
    EXPECT_EQ(parseReal(".5"), 0.5f);
    EXPECT_EQ(parseReal("5."), 5.0f);
    EXPECT_EQ(parseReal("1e"), 1.0f);
    for (const char* zero : {"", "abc", "nan", "inf", "-", ".", "e5", "+.e1"})
        EXPECT_EQ(parseReal(zero), 0.0f) << zero;
    EXPECT_EQ(parseReal("0x10"), 0.0f);
    EXPECT_EQ(parseReal("1e99999"), 1.0e30f);
    EXPECT_EQ(parseReal("-1e400"), -1.0e30f);
    EXPECT_EQ(parseReal("1e-99999"), 0.0f);
    EXPECT_EQ(parseReal((std::string(5000, '9') + ".5").c_str()), 1.0e30f);
    EXPECT_EQ(parseReal(("0." + std::string(5000, '0') + "1").c_str()), 0.0f);
    EXPECT_EQ(parseReal((std::string(5000, '0') + "7").c_str()), 7.0f);
}

TEST(GUIAttributes, LeadingZerosOfAnExponentCarryNoValue)
{
    const struct {
        const char* text;
        float value;
    } cases[] = {{"1e00002", 100.0f}, {"5e-000001", 0.5f}, {"2E+0000000003", 2000.0f}, {"3e0", 3.0f},
                 {"4e0000", 4.0f}, {"1e000099999", 1.0e30f}};
    for (const auto& c : cases)
        EXPECT_EQ(parseReal(c.text), c.value) << c.text;

    EXPECT_EQ(parseInteger("42.9"), 42);
    EXPECT_EQ(parseInteger("-7 apples"), -7);
    EXPECT_EQ(parseInteger("99999999999"), INT32_MAX);
    EXPECT_EQ(parseInteger("-99999999999"), INT32_MIN);

    EXPECT_TRUE(parseBoolean("TRUE"));
    EXPECT_TRUE(parseBoolean("2"));
    EXPECT_FALSE(parseBoolean("-1"));
    EXPECT_FALSE(parseBoolean("yes"));
    EXPECT_FALSE(parseBoolean("true "));
}
