// The window tool's names and texts: single-file names, the spacing label
// and the report after adding images.
#include "app/tool/ToolText.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ToolText, SingleFileNameIsTheLastPartEvenInTheRootFolder)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/hero.png", "hero.png"},
        {"/art/hero.png", "hero.png"},
        {"c:\\art\\hero.png", "hero.png"},
        {"hero.png", "hero.png"},
        {"/art/", "/art/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(singleFileName(c.path), c.name) << c.path;
}

TEST(ToolText, SpacingLabelShowsTheSpacingTheAtlasUses)
{
    const struct {
        float value;
        std::uint32_t spacing;
    } cases[] = {{17.6f, 17}, {2.51f, 2}, {4.4f, 4}, {0.9f, 0}, {-3.0f, 0}, {32.0f, 32}};
    for (const auto& c : cases) {
        EXPECT_EQ(wholeSpacing(c.value), c.spacing) << c.value;
        EXPECT_EQ(spacingLabel(wholeSpacing(c.value)), std::to_string(c.spacing) + " px");
    }
    EXPECT_EQ(wholeSpacing(std::nanf("")), 0u);
}

TEST(ToolText, AddReportSaysImagesAlreadyThereInOneLine)
{
    std::vector<std::string> passed;
    for (int i = 0; i < 36; ++i)
        passed.push_back(std::string("s").append(std::to_string(i)).append(".png")); // GCC 12 warns falsely about "s" + string
    const std::string many = addReport(passed, {});
    EXPECT_EQ(many, "36 images already in the list were passed over (s0.png, s1.png, s2.png, ...).");
    EXPECT_EQ(addReport({"a.png"}, {}), "1 image already in the list was passed over (a.png).");
    EXPECT_EQ(addReport({}, {}), "");
    const std::string both = addReport({"a.png"}, {"/x/b.png: not an image"});
    EXPECT_NE(both.find("passed over (a.png).\n\nOne file was not added:\n\n/x/b.png: not an image"),
              std::string::npos);
    // Each path is named once.
    EXPECT_EQ(alreadyInListProblem("/b/hero.png", "hero.png", "/a/hero.png"),
              "/b/hero.png was not added: the name hero.png is already in the list (from /a/hero.png).");
}
