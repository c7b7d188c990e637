// The window tool's preview and text on a real display: zoom with the wheel,
// the outline of the selected image, picking an image by clicking it, the
// status line, and list names in any script cut to their row. Driven through
// SDL events and checked through the pixels drawn.
#include "app/tool/Application.h"
#include "app/pack/AtlasFiles.h"
#include "app/AtlasTestFiles.h"
#include "app/display/ToolDisplaySupport.h"
#include "framework/CScriptedFileDialog.h"
#include "framework/CSdlPlatform.h"
#include "gui/CCombo.h"
#include "gui/CFont.h"
#include "gui/CList.h"
#include "render/Screenshot.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// The frame just drawn, window rows from the top.
struct Frame {
    CImage pixels;
    int height = 600;
    std::vector<int> at(int x, int y) const
    {
        const std::uint8_t* p =
            pixels.getData() + (std::size_t(height - 1 - y) * pixels.getWidth() + std::size_t(x)) * 3;
        return {p[0], p[1], p[2]};
    }
    // How many pixels of row y between x0 and x1 have this colour.
    int run(int y, int x0, int x1, const std::vector<int>& colour) const
    {
        int count = 0;
        for (int x = x0; x < x1; ++x)
            count += at(x, y) == colour;
        return count;
    }
    // Pixels in the rectangle that differ from `background`.
    int ink(int x0, int y0, int x1, int y1, const std::vector<int>& background) const
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                count += at(x, y) != background;
        return count;
    }
};

Frame grab(const CApp& app)
{
    Frame frame;
    frame.height = static_cast<int>(app.getSize().height);
    readFramebuffer(0, 0, app.getSize().width, app.getSize().height, 3, frame.pixels);
    return frame;
}

const std::vector<int> red{255, 0, 0}, green{0, 255, 0}, black{0, 0, 0}, white{255, 255, 255};

}

TEST(PreviewDisplay, WheelZoomsOutlinesTheSelectionAndClickSelects)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    const std::string a = solidPng(scratch, "a.png", 40, 40, 255, 0, 0);
    const std::string b = solidPng(scratch, "b.png", 30, 20, 0, 255, 0);
    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) { t.addPaths({a, b}); });
    tool.then([&](ScriptedTool& t) {
        // a at (0, 0), b beside it at (40, 0); the atlas at (0, 20).
        EXPECT_EQ(grab(t).run(30, 0, 200, red), 40);
        EXPECT_EQ(t.getStatusText().rfind("70 \xC3\x97 40", 0), 0u) << t.getStatusText();
        // The spacing arrow takes the focus; the wheel over the preview
        // must zoom all the same and leave the spacing alone.
        click(t, 786, static_cast<int>(t.getGui().find("spaceScroll")->getY()) + 8);
        wheel(t, 10, 30, 1);
        wheel(t, 10, 30, 1);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_FLOAT_EQ(t.getView().getZoom(), 2.0f);
        const auto* spacing = dynamic_cast<CFont*>(t.getGui().find("fontSpaceValue"));
        ASSERT_NE(spacing, nullptr);
        EXPECT_EQ(toStdString(spacing->getText()), "1 px");
        const Frame frame = grab(t);
        EXPECT_EQ(frame.run(50, 0, 300, red), 80) << "the zoom doubles the drawn size";
        EXPECT_EQ(frame.run(50, 0, 300, green), 60);
        // A click on the green image selects its row and outlines it.
        click(t, 120, 40);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getList()->getSelected(), 1);
        EXPECT_NE(t.getStatusText().find("b.png  30 \xC3\x97 20 at 42, 1"), std::string::npos)
            << t.getStatusText();
        const Frame frame = grab(t);
        // With 1 px spacing b lies at (42, 1), drawn from x = 84; the
        // outline is a black and a white line along its own edge, and the
        // spacing and the neighbour beside it keep their pixels.
        EXPECT_EQ(frame.at(81, 50), red);
        EXPECT_NE(frame.at(83, 50), black);
        EXPECT_NE(frame.at(83, 50), white);
        EXPECT_EQ(frame.at(84, 50), black);
        EXPECT_EQ(frame.at(85, 50), white);
        EXPECT_EQ(frame.at(86, 50), green);
        EXPECT_EQ(frame.at(142, 50), white);
        EXPECT_EQ(frame.at(143, 50), black);
        EXPECT_EQ(frame.run(50, 0, 80, black), 0) << "the unselected image has no outline";
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

TEST(PreviewDisplay, NamesInAnyScriptAreDrawnAndLongOnesCutToTheirRow)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    const std::string cjk = solidPng(scratch, "\xE3\x82\xB9\xE3\x83\x97\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x88.png", 8,
                                     8, 0, 0, 255); // スプライト.png
    const std::string greek = solidPng(scratch, "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1.png", 8, 8, 0, 0, 255);
    const std::string longName =
        solidPng(scratch, "a_name_far_too_long_for_the_list_of_images_in_the_window.png", 8, 8, 0, 0, 255);
    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) { t.addPaths({longName, greek, cjk}); });
    tool.then([&](ScriptedTool& t) {
        const Frame frame = grab(t);
        const CGUI* list = t.getList();
        const int left = static_cast<int>(list->getX());
        const int top = static_cast<int>(list->getY());
        const int right = left + static_cast<int>(list->getWidth());
        const std::vector<int> background = frame.at(right - 2, top + 70);
        // Rows are 18 pixels high from the list's top. The names before
        // ".png" draw ink (in byte text they drew nothing at all).
        for (int row = 1; row < 3; ++row)
            EXPECT_GT(frame.ink(left + 5, top + 18 * row, left + 40, top + 18 * row + 18, background), 20) << row;
        // The long name ends before the scroll bar's place and stays in its row.
        EXPECT_GT(frame.ink(left, top, right, top + 18, background), 100);
        EXPECT_EQ(frame.ink(right - 12, top, right, top + 18, background), 0);
        EXPECT_EQ(frame.ink(left, top + 54, right, top + 90, background), 0);
        EXPECT_EQ(toStdString(t.getList()->getCellText(0, 0)),
                  "a_name_far_too_long_for_the_list_of_images_in_the_window.png");
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

namespace {

// A transparent picture with an opaque rectangle of one colour in it.
std::string keptPng(const AtlasScratch& scratch, const std::string& name, std::uint32_t side, std::uint32_t x,
                    std::uint32_t y, std::uint32_t w, std::uint32_t h, const std::vector<int>& colour)
{
    CImage image;
    image.create(side, side, 4, 32);
    std::fill(image.getData(), image.getData() + std::size_t(side) * side * 4, std::uint8_t(0));
    for (std::uint32_t row = y; row < y + h; ++row)
        for (std::uint32_t column = x; column < x + w; ++column) {
            // Rows are stored bottom-up.
            std::uint8_t* p = image.getData() + (std::size_t(side - 1 - row) * side + column) * 4;
            p[0] = static_cast<std::uint8_t>(colour[0]);
            p[1] = static_cast<std::uint8_t>(colour[1]);
            p[2] = static_cast<std::uint8_t>(colour[2]);
            p[3] = 255;
        }
    const std::string path = scratch.file(name);
    writePicture(path, image);
    return path;
}

const std::vector<int> blue{0, 0, 255};

int count(const Frame& frame, const std::vector<int>& colour)
{
    int n = 0;
    for (int y = 20; y < 580; ++y)
        n += frame.run(y, 0, 600, colour);
    return n;
}

}

// Trimmed images show their kept part on their frame; their transparent
// margins neither draw nor hide a neighbour.
TEST(PreviewDisplay, TrimmedImagesDrawOnlyTheirKeptPart)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    // Margins on every side reach over the neighbours 1 px away.
    const std::string a = keptPng(scratch, "a.png", 30, 10, 10, 10, 10, red);
    const std::string b = keptPng(scratch, "b.png", 30, 10, 10, 10, 10, green);
    const std::string c = keptPng(scratch, "c.png", 30, 12, 8, 10, 10, blue);
    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) {
        t.addPaths({a, b, c});
        t.getSpriteOptions().trim = true;
        t.relayout();
    });
    tool.then([&](ScriptedTool& t) {
        const Frame frame = grab(t);
        EXPECT_EQ(count(frame, red), 100);
        EXPECT_EQ(count(frame, green), 100);
        EXPECT_EQ(count(frame, blue), 100);
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

// With duplicates packed once and an extrusion, the status line counts as
// the command line does, the hover text gives the frame, and a duplicate's
// row outlines the shared frame.
TEST(PreviewDisplay, StatusHoverAndOutlineDescribeFramesNotPaddedEntries)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    const std::string a = solidPng(scratch, "a.png", 10, 10, 255, 0, 0);
    const std::string b = solidPng(scratch, "b.png", 10, 10, 255, 0, 0);
    const std::string c = solidPng(scratch, "c.png", 10, 20, 0, 255, 0);
    ScriptedTool tool;
    float cx = 0.0f, cy = 0.0f;
    tool.then([&](ScriptedTool& t) {
        t.addPaths({a, b, c});
        t.getSpriteOptions().alias = true;
        t.getSpriteOptions().extrude = 2;
        t.relayout();
    });
    tool.then([&](ScriptedTool& t) {
        const std::string status = t.getStatusText();
        EXPECT_NE(status.find("3 images"), std::string::npos) << status;
        // The pictures' own pixels (a once, c) over the atlas.
        char covered[32];
        std::snprintf(covered, sizeof(covered), "%.1f %% covered",
                      100.0 * 300.0 / (t.getView().getAtlasWidth() * t.getView().getAtlasHeight()));
        EXPECT_NE(status.find(covered), std::string::npos) << status << " / " << covered;
        const CGUI* element = t.getPreview().find("c.png");
        ASSERT_NE(element, nullptr);
        cx = element->getX();
        cy = element->getY();
        pushMouse(t, SDL_MOUSEMOTION, static_cast<int>(t.getCanvas()->getX() + cx + 3),
                  static_cast<int>(t.getCanvas()->getY() + cy + 3));
        t.getList()->setSelected(1); // b, packed as a's picture
    });
    tool.then([&](ScriptedTool& t) {
        const std::string expected = "c.png  10 \xC3\x97 20 at " + std::to_string(static_cast<int>(cx)) + ", " +
                                     std::to_string(static_cast<int>(cy));
        EXPECT_EQ(t.getStatusText(), expected);
        const CGUI* shared = t.getPreview().find("b.png");
        ASSERT_NE(shared, nullptr);
        const Frame frame = grab(t);
        const int left = static_cast<int>(t.getCanvas()->getX() + shared->getX());
        const int top = static_cast<int>(t.getCanvas()->getY() + shared->getY());
        EXPECT_EQ(frame.at(left, top + 5), black);
        EXPECT_EQ(frame.at(left + 1, top + 5), white);
        EXPECT_EQ(frame.at(left + 2, top + 5), red);
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

// Every page of a multipage layout can be seen: Page Down and the control
// at the status line's right end go through them and say which is shown.
TEST(PreviewDisplay, PagesAreShownOneByOne)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    const std::string a = solidPng(scratch, "a.png", 600, 600, 255, 0, 0);
    const std::string b = solidPng(scratch, "b.png", 600, 600, 0, 255, 0);
    ScriptedTool tool;
    CFont* control = nullptr;
    tool.then([&](ScriptedTool& t) {
        t.addPaths({a, b});
        auto* largest = dynamic_cast<CCombo*>(t.getGui().find("largestCombo"));
        ASSERT_NE(largest, nullptr);
        largest->select(0, 0); // 1024: one image a page
    });
    tool.then([&](ScriptedTool& t) {
        control = dynamic_cast<CFont*>(t.getGui().find("pageControl"));
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->getVisible());
        EXPECT_NE(toStdString(control->getText()).find("Page 1 of 2"), std::string::npos);
        EXPECT_EQ(grab(t).at(300, 300), red);
        pushKey(t, SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_NE(toStdString(control->getText()).find("Page 2 of 2"), std::string::npos);
        EXPECT_EQ(grab(t).at(300, 300), green);
        // The control's left half goes back.
        click(t, static_cast<int>(control->getX() + 10), static_cast<int>(control->getY() + 10));
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_NE(toStdString(control->getText()).find("Page 1 of 2"), std::string::npos);
        EXPECT_EQ(grab(t).at(300, 300), red);
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}
