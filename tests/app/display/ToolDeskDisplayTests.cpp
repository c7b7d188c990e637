// The window tool as a desktop application, on a real display: shortcuts,
// questions before files are replaced, unpacking into a folder of its own,
// opening a saved atlas for editing, clicks that are not double clicks,
// minimise without a window manager and settings kept between runs. Driven
// through SDL events with scripted file dialogs and question boxes.
#include "app/tool/Application.h"
#include "app/pack/AtlasFiles.h"
#include "app/AtlasTestFiles.h"
#include "app/display/ToolDisplaySupport.h"
#include "framework/CScriptedFileDialog.h"
#include "framework/CScriptedQuestionBox.h"
#include "framework/CSdlPlatform.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CList.h"
#include "resources/CTexture.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>

namespace {

// One scripted step per drawn frame; the tool draws only on change, so each
// frame asks for the next.
class DeskTool : public Application {
public:
    using Step = std::function<void(DeskTool&)>;

    void draw() override
    {
        Application::draw();
        if (next < steps.size())
            steps[next++](*this);
        else
            stop();
        requestRedraw();
    }
    void then(Step step, int idle = 2)
    {
        steps.push_back(std::move(step));
        for (int i = 0; i < idle; ++i)
            steps.push_back([](DeskTool&) {});
    }
    // Runs the tool with its settings in `config`.
    int start(const std::filesystem::path& config) { return runTool(*this, config); }
    std::vector<Step> steps;
    std::size_t next = 0;
};

std::string picture(const AtlasScratch& scratch, const std::string& name, std::uint32_t width, std::uint32_t height,
                    std::uint8_t shade)
{
    CImage image;
    image.create(width, height, 4, 32);
    for (std::uint32_t i = 0; i < width * height * 4; ++i)
        image.getData()[i] = i % 4 == 3 ? 255 : shade;
    const std::string path = scratch.file(name);
    writePicture(path, image);
    return path;
}

bool checked(Application& app, const char* name)
{
    return dynamic_cast<CCheckBox*>(app.getGui().find(name))->isChecked();
}

}

TEST(ToolDesk, ShortcutsSaveUnpackIntoItsOwnFolderAndOpenAgain)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    CScriptedQuestionBox questions;
    AtlasScratch scratch;
    const std::string a = picture(scratch, "a.png", 30, 20, 10);
    const std::string b = picture(scratch, "b.png", 12, 40, 20);
    const std::string c = picture(scratch, "c.png", 16, 16, 30);
    const std::string atlasXml = scratch.file("atlas.xml");
    const std::string unpacked = scratch.file("atlas");

    DeskTool tool;
    tool.then([&](DeskTool& t) {
        t.addPaths({a, b, c});
        dialog.cancel();
        pushKey(t, SDLK_o, SDL_SCANCODE_O, KMOD_LCTRL);  // Ctrl+O: the add dialog
        pushKey(t, SDLK_DOWN, SDL_SCANCODE_DOWN);          // select a.png
        pushKey(t, SDLK_DOWN, SDL_SCANCODE_DOWN);          // select b.png
        pushKey(t, SDLK_UP, SDL_SCANCODE_UP, KMOD_LALT);   // move b.png up
    });
    tool.then([&](DeskTool& t) {
        ASSERT_EQ(dialog.requests.size(), 1u);
        EXPECT_EQ(dialog.requests[0].title, "Add images");
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"b.png", "a.png", "c.png"}));
        EXPECT_EQ(t.getList()->getSelected(), 0);
        pushKey(t, SDLK_DELETE, SDL_SCANCODE_DELETE);  // remove b.png
        dialog.choose({scratch.file("atlas.png")});
        pushKey(t, SDLK_s, SDL_SCANCODE_S, KMOD_LCTRL);  // Ctrl+S
    });
    tool.then([&](DeskTool& t) {
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"a.png", "c.png"}));
        EXPECT_TRUE(std::filesystem::exists(atlasXml));
        EXPECT_FALSE(t.hasUnsavedChanges());
        // Unpack: the folder dialog proposes a new folder named after the atlas.
        dialog.choose({atlasXml});
        dialog.choose({unpacked});
        t.unpackAtlasFile();
    });
    tool.then([&](DeskTool& t) {
        const auto& folderRequest = dialog.requests.back();
        EXPECT_TRUE(folderRequest.folder);
        EXPECT_EQ(folderRequest.suggestedFolder, scratch.path.string());
        EXPECT_EQ(folderRequest.suggestedName, "atlas");
        EXPECT_TRUE(std::filesystem::exists(unpacked + "/a.png"));
        EXPECT_TRUE(questions.asked.empty());  // nothing was there to replace
        // Again into the same folder: it asks, naming the count; "no" keeps the files.
        writeFile(unpacked + "/a.png", "keep");
        dialog.choose({atlasXml});
        dialog.choose({unpacked});
        t.unpackAtlasFile();
        ASSERT_EQ(questions.asked.size(), 1u);
        EXPECT_NE(questions.asked[0].text.find("would replace 2 files in " + unpacked), std::string::npos);
        EXPECT_EQ(readFile(unpacked + "/a.png"), "keep");
        // Open (Ctrl+Shift+O): the frames come back as images to edit.
        dialog.choose({atlasXml});
        pushKey(t, SDLK_o, SDL_SCANCODE_O, KMOD_LCTRL | KMOD_LSHIFT);
    });
    tool.then([&](DeskTool& t) {
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"a.png", "c.png"}));
        EXPECT_EQ(dynamic_cast<CTexture*>(t.getTextures().find("a.png"))->getWidth(), 30u);
        EXPECT_FALSE(t.hasUnsavedChanges());
        EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
    });
    EXPECT_EQ(tool.start(scratch.path / "config"), 0);
    EXPECT_EQ(tool.next, tool.steps.size());
}

TEST(ToolDesk, NeighbouringClicksMinimiseAndSettingsKeptBetweenRuns)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    const std::filesystem::path config = scratch.path / "config";
    {
        DeskTool tool;
        tool.then([&](DeskTool& t) {
            // Two quick clicks 20 pixels apart are two clicks, not a double click.
            click(t, 700, 408);  // centre on neighbour
            click(t, 700, 428);  // tight pack
            click(t, 700, 344);  // beside only
        });
        tool.then([&](DeskTool& t) {
            EXPECT_TRUE(checked(t, "cboxPackCenter"));
            EXPECT_FALSE(checked(t, "cboxTightPack"));
            EXPECT_TRUE(checked(t, "cboxPackRight"));
            // Minimise without a window manager: the window stays, and drawing goes on.
            click(t, 723, 10);
        });
        tool.then([&](DeskTool& t) { EXPECT_EQ(t.getShowState(), ShowCommand::show); });
        EXPECT_EQ(tool.start(config), 0);
        EXPECT_EQ(tool.next, tool.steps.size());
    }
    EXPECT_TRUE(std::filesystem::exists(config / "quiltforger" / "settings.ini"));
    DeskTool again;
    again.then([&](DeskTool& t) {
        EXPECT_TRUE(checked(t, "cboxPackCenter"));
        EXPECT_FALSE(checked(t, "cboxTightPack"));
        EXPECT_TRUE(checked(t, "cboxPackRight"));
        EXPECT_EQ(t.getPacker().mode(), PackRight);
    });
    EXPECT_EQ(again.start(config), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

// "Best fit" and the largest side come back from the settings file into
// their controls and the layout.
TEST(ToolDesk, BestFitAndLargestSideRestoredFromSettings)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    const std::filesystem::path config = scratch.path / "config";
    std::filesystem::create_directories(config / "quiltforger");
    std::ofstream(config / "quiltforger" / "settings.ini") << "mode=best\nlargest=2048\n";
    DeskTool tool;
    tool.then([&](DeskTool& t) {
        EXPECT_TRUE(checked(t, "cboxBestFit"));
        EXPECT_FALSE(checked(t, "cboxAutoPack"));
        EXPECT_EQ(t.getPacker().mode(), PackBest);
        auto* largest = dynamic_cast<CCombo*>(t.getGui().find("largestCombo"));
        ASSERT_NE(largest, nullptr);
        EXPECT_EQ(toStdString(largest->getEdit().getText()), "2048 px");
    });
    EXPECT_EQ(tool.start(config), 0);
    const std::string kept = readFile((config / "quiltforger" / "settings.ini").string());
    EXPECT_NE(kept.find("mode=best\n"), std::string::npos) << kept;
    EXPECT_NE(kept.find("largest=2048\n"), std::string::npos) << kept;
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}
