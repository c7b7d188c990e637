// The window's save with sprite options equals the command line's: the same
// folder packed with trim, alias and extrusion gives the same atlas bytes
// and the same description.
#include "app/tool/Application.h"
#include "app/AtlasTestFiles.h"
#include "app/display/ToolDisplaySupport.h"
#include "framework/CScriptedFileDialog.h"
#include "framework/CSdlPlatform.h"
#include "gui/CCombo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {


}

TEST(ToolSprites, SaveEqualsTheCommandLineWithTheSameOptions)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.path / "in");
    marginPng(scratch.file("in/frame10.png"), 2, 3, 5, 4, 10);
    marginPng(scratch.file("in/frame2.png"), 0, 1, 5, 4, 10); // frame10's picture
    marginPng(scratch.file("in/frame1.png"), 4, 0, 7, 2, 90);

    const std::string command = std::string(QF_CLI_PATH) + " pack --mode auto --trim --alias --extrude 2 -o " +
                                scratch.file("cli.png") + " " + scratch.file("in") + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    OneStepTool tool;
    tool.step = [&](OneStepTool& t) {
        t.addPaths({scratch.file("in")});
        SpriteOptions& options = t.getSpriteOptions();
        options.trim = true;
        options.alias = true;
        options.extrude = 2;
        t.relayout();
        dialog.choose({scratch.file("tool.png")});
        t.saveAtlasFile();
    };
    // The tool starts from its default settings, not the user's.
    EXPECT_EQ(runTool(tool, scratch.file("config")), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();

    EXPECT_EQ(readFile(scratch.file("tool.png")), readFile(scratch.file("cli.png")));
    std::string description = readFile(scratch.file("tool.xml"));
    for (std::size_t at; (at = description.find("tool")) != std::string::npos;)
        description.replace(at, 4, "cli");
    EXPECT_EQ(description, readFile(scratch.file("cli.xml")));
    EXPECT_NE(description.find("<frame name=\"frame1\""), std::string::npos);
    EXPECT_LT(description.find("\"frame2\""), description.find("\"frame10\"")); // natural folder order
}

// Images that do not fit one atlas of the largest side are saved on pages,
// each page the command line's --multipack page; nothing under the chosen
// name itself.
TEST(ToolSprites, PagesEqualTheCommandLinesMultipack)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.path / "in");
    marginPng(scratch.file("in/frame1.png"), 0, 0, 600, 600, 10);
    marginPng(scratch.file("in/frame2.png"), 0, 0, 600, 600, 70);
    marginPng(scratch.file("in/frame3.png"), 1, 1, 20, 10, 130);

    const std::string command = std::string(QF_CLI_PATH) + " pack --mode auto --multipack --max-size 1024 -o " +
                                scratch.file("cli.png") + " " + scratch.file("in") + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);

    std::string status;
    OneStepTool tool;
    tool.step = [&](OneStepTool& t) {
        t.addPaths({scratch.file("in")});
        auto* largest = dynamic_cast<CCombo*>(t.getGui().find("largestCombo"));
        ASSERT_NE(largest, nullptr);
        largest->select(0, 0); // 1024
        status = t.getStatusText();
        dialog.choose({scratch.file("tool.png")});
        t.saveAtlasFile();
    };
    EXPECT_EQ(runTool(tool, scratch.file("config")), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();

    EXPECT_NE(status.find("3 images, 2 pages"), std::string::npos) << status;
    EXPECT_FALSE(std::filesystem::exists(scratch.file("tool.png")));
    EXPECT_FALSE(std::filesystem::exists(scratch.file("tool-3.png")));
    for (const std::string page : {"-1", "-2"}) {
        EXPECT_EQ(readFile(scratch.file("tool" + page + ".png")), readFile(scratch.file("cli" + page + ".png")))
            << page;
        std::string description = readFile(scratch.file("tool" + page + ".xml"));
        for (std::size_t at; (at = description.find("tool")) != std::string::npos;)
            description.replace(at, 4, "cli");
        EXPECT_EQ(description, readFile(scratch.file("cli" + page + ".xml"))) << page;
    }
}
