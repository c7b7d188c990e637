// Projects between the window and the command line: what the window saves
// as a project, pack --project writes byte for byte as the window's Save
// does, for every description format; a damaged project changes nothing;
// opening a trimmed, extruded or paged atlas keeps what it was saved with.
#include "app/tool/Application.h"
#include "app/AtlasTestFiles.h"
#include "app/display/ToolDisplaySupport.h"
#include "framework/CScriptedFileDialog.h"
#include "gui/CCheckBox.h"
#include "gui/CList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {


void sprites(const AtlasScratch& scratch)
{
    std::filesystem::create_directories(scratch.path / "in");
    marginPng(scratch.file("in/a.png"), 2, 3, 9, 4, 10, 2, 3, 3);
    marginPng(scratch.file("in/b.png"), 0, 1, 9, 4, 10, 2, 3, 3); // a's picture
    marginPng(scratch.file("in/c.png"), 4, 0, 7, 12, 90, 2, 3, 3);
    marginPng(scratch.file("in/d.png"), 1, 1, 20, 6, 170, 2, 3, 3);
    // An animation: the descriptions list the sequence.
    marginPng(scratch.file("in/walk_1.png"), 0, 2, 6, 6, 30, 2, 3, 3);
    marginPng(scratch.file("in/walk_2.png"), 1, 0, 6, 6, 60, 2, 3, 3);
}

// `text` with every "from" replaced by "to".
std::string renamed(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

}

TEST(ToolProject, PackProjectWritesTheWindowsSaveByteForByteInEveryFormat)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    sprites(scratch);
    // Two sets of options: every format is written by one of them.
    PackSettings first;
    first.mode = PackBest;
    first.spacing = 2;
    first.border = 1;
    first.pot = true;
    first.sprites = {true, true, 1, false, true};
    first.json = true;
    first.gdxAtlas = true;
    PackSettings second;
    second.alignment = AlignCentre;
    second.tight = false;
    second.square = true;
    second.multipack = true;
    second.sprites = {false, false, 2, true, false};
    second.jsonArray = true;
    // Turned frames, a default pivot and two resolutions.
    PackSettings third;
    third.mode = PackBest;
    third.rotate = true;
    third.spacing = 1;
    third.sprites = {true, false, 2, false, false}; // extrusion 2 makes turning pay here
    third.pivot = SpritePivot{0.5, 1};
    third.variants = {{2, "@2x"}, {1, ""}};
    third.json = true;
    const PackSettings* sets[] = {&first, &second, &third};

    for (int i = 0; i < 3; ++i) {
        // Built piece by piece: GCC 12 warns falsely about "p" + string.
        const std::string project = scratch.file(std::string("p").append(std::to_string(i)).append(".qfproj"));
        const std::string atlas = scratch.file(std::string("tool").append(std::to_string(i)).append(".png"));
        OneStepTool tool;
        tool.step = [&](OneStepTool& t) {
            t.addPaths({scratch.file("in")});
            // The list's order differs from the order the images were added.
            t.getList()->setSelected(2);
            t.moveImageUp();
            t.applyPackSettings(*sets[i]);
            dialog.choose({project});
            t.saveProjectFile();
            t.newAtlas(); // the project is opened again, as a person would
            ASSERT_TRUE(t.openProject(project));
            EXPECT_EQ(listNames(t), (std::vector<std::string>{"a.png", "c.png", "b.png", "d.png", "walk_1.png",
                                                              "walk_2.png"}));
            dialog.choose({atlas});
            t.saveAtlasFile();
        };
        EXPECT_EQ(runTool(tool, scratch.file("config")), 0);
        EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
    }

    for (int i = 0; i < 3; ++i) {
        const std::string n = std::to_string(i);
        const std::string command = std::string(QF_CLI_PATH) + " pack --project " + scratch.file("p" + n + ".qfproj") +
                                    " -o " + scratch.file("cli" + n + ".png") + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::string page = sets[i]->multipack ? "-1" : "";
        std::vector<std::string> endings = {".png", ".xml", ".json"};
        if (sets[i]->gdxAtlas)
            endings.push_back(".atlas");
        std::vector<std::string> suffixes = {""};
        for (const ScaleVariant& variant : sets[i]->variants)
            suffixes.push_back(variant.suffix);
        for (const std::string& suffix : suffixes) {
            for (const std::string& ending : endings) {
                const std::string toolFile = scratch.file("tool" + n + suffix + page + ending);
                const std::string cliFile = scratch.file("cli" + n + suffix + page + ending);
                ASSERT_TRUE(std::filesystem::exists(toolFile)) << toolFile;
                EXPECT_EQ(renamed(readFile(toolFile), "tool" + n, "cli" + n), readFile(cliFile)) << cliFile;
            }
        }
    }
    EXPECT_NE(readFile(scratch.file("tool2@2x.xml")).find("rotated=\"1\""), std::string::npos);
    // The descriptions keep the order the images were added in, and list
    // the animation.
    const std::string xml = readFile(scratch.file("tool0.xml"));
    EXPECT_LT(xml.find("\"b\""), xml.find("\"c\""));
    EXPECT_NE(readFile(scratch.file("tool0.json")).find("\"animations\""), std::string::npos);
}

TEST(ToolProject, ADamagedProjectIsRefusedAndChangesNothing)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    sprites(scratch);
    writeFile(scratch.file("bad.qfproj"), "<quiltforgerProject><layout mode=\"spiral\" /></quiltforgerProject>");
    OneStepTool tool;
    tool.step = [&](OneStepTool& t) {
        t.addPaths({scratch.file("in/a.png"), scratch.file("in/c.png")});
        EXPECT_FALSE(t.openProject(scratch.file("bad.qfproj")));
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"a.png", "c.png"}));
        EXPECT_EQ(t.getPacker().mode(), PackAuto);
        EXPECT_TRUE(t.getDocument().path().empty());
    };
    EXPECT_EQ(runTool(tool, scratch.file("config")), 0);
    ASSERT_EQ(quiet.boxes.size(), 1u);
    EXPECT_NE(quiet.boxes[0].find("bad.qfproj: <layout> mode=\"spiral\" is none of"), std::string::npos)
        << quiet.boxes[0];
}

// A trimmed and extruded atlas opened and saved again is the same atlas: the
// offsets and original sizes come back, and the extrusion is not spacing.
TEST(ToolProject, OpeningATrimmedExtrudedAtlasKeepsItsOptions)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    sprites(scratch);
    const std::string command = std::string(QF_CLI_PATH) + " pack --mode auto --trim --extrude 2 --spacing 1 -o " +
                                scratch.file("orig.png") + " " + scratch.file("in") + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    OneStepTool tool;
    tool.step = [&](OneStepTool& t) {
        ASSERT_TRUE(t.openAtlas(scratch.file("orig.xml")));
        EXPECT_TRUE(t.getSpriteOptions().trim);
        EXPECT_EQ(t.getSpriteOptions().extrude, 2u);
        EXPECT_EQ(t.getPacker().spacing(), 1u);
        dialog.choose({scratch.file("again.png")});
        t.saveAtlasFile();
    };
    EXPECT_EQ(runTool(tool, scratch.file("config")), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
    const std::string original = readFile(scratch.file("orig.xml"));
    EXPECT_NE(original.find("originalW"), std::string::npos);
    EXPECT_EQ(renamed(readFile(scratch.file("again.xml")), "again", "orig"), original);
    EXPECT_EQ(readFile(scratch.file("again.png")), readFile(scratch.file("orig.png")));
}

// One page of a multipack set opens the whole set and says so.
TEST(ToolProject, OpeningOnePageOpensTheWholeSet)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.path / "in");
    for (int i = 0; i < 5; ++i)
        marginPng(scratch.file("in/s" + std::to_string(i) + ".png"), 0, 0, 40, 40, std::uint8_t(i * 40), 2, 3, 3);
    const std::string command = std::string(QF_CLI_PATH) + " pack --multipack --max-size 64 -o " +
                                scratch.file("set.png") + " " + scratch.file("in") + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(std::filesystem::exists(scratch.file("set-5.xml")));
    std::string status;
    OneStepTool tool;
    tool.step = [&](OneStepTool& t) {
        ASSERT_TRUE(t.openAtlas(scratch.file("set-3.xml")));
        status = t.getStatusText();
    };
    EXPECT_EQ(runTool(tool, scratch.file("config")), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
    EXPECT_NE(status.find("Opened all 5 pages"), std::string::npos) << status;
}
