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
#include "gui/CFont.h"
#include "gui/CList.h"
#include "render/Screenshot.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// One scripted step per drawn frame; the loop stops after the last step.
class ScriptedTool : public Application {
public:
    using Step = std::function<void(ScriptedTool&)>;
    void draw() override
    {
        Application::draw();
        // The tool draws on demand; the script needs a frame every turn.
        requestRedraw();
        if (next < steps.size())
            steps[next++](*this);
        else
            stop();
    }
    void then(Step step)
    {
        steps.push_back(std::move(step));
        steps.push_back([](ScriptedTool&) {});
    }
    // Settings of earlier runs must not change the layout.
    int start(AtlasScratch& scratch) { return runTool(*this, scratch.file("config")); }
    std::vector<Step> steps;
    std::size_t next = 0;
};

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

const std::vector<int> red{255, 0, 0}, green{0, 255, 0}, outline{255, 199, 26};

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
        // With 1 px spacing b lies at (42, 1), drawn from x = 84; the outline
        // runs just outside it.
        EXPECT_EQ(frame.at(82, 50), outline);
        EXPECT_EQ(frame.at(83, 50), outline);
        EXPECT_EQ(frame.at(84, 50), green);
        EXPECT_EQ(frame.at(144, 50), outline);
        EXPECT_EQ(frame.run(50, 0, 80, outline), 0) << "the unselected image has no outline";
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
