// The window tool on a real display, driven through SDL events pushed into
// the event queue (clicks, drags, drops, Escape) with a scripted file
// dialog, and checked through its state and the pixels it draws.
#include "app/tool/Application.h"
#include "app/pack/AtlasFiles.h"
#include "app/AtlasTestFiles.h"
#include "app/display/ToolDisplaySupport.h"
#include "framework/CScriptedFileDialog.h"
#include "framework/CScriptedQuestionBox.h"
#include "framework/CSdlPlatform.h"
#include "gui/CCheckBox.h"
#include "gui/CFont.h"
#include "gui/CList.h"
#include "render/Screenshot.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

// A press at `from`, moves through `path`, and a release at the last point.
void drag(const CApp& app, int fromX, int fromY, const std::vector<std::pair<int, int>>& path)
{
    pushMouse(app, SDL_MOUSEMOTION, fromX, fromY);
    pushMouse(app, SDL_MOUSEBUTTONDOWN, fromX, fromY);
    for (const auto& point : path)
        pushMouse(app, SDL_MOUSEMOTION, point.first, point.second);
    pushMouse(app, SDL_MOUSEBUTTONUP, path.back().first, path.back().second);
}

// A folder or file dropped on the window, as the desktop sends it.
void dropOnWindow(const CApp& app, const std::string& path)
{
    SDL_Event event{};
    event.drop.windowID = SDL_GetWindowID(sdlWindow(app));
    event.type = SDL_DROPBEGIN;
    SDL_PushEvent(&event);
    event.type = SDL_DROPFILE;
    event.drop.file = SDL_strdup(path.c_str());
    SDL_PushEvent(&event);
    event.type = SDL_DROPCOMPLETE;
    event.drop.file = nullptr;
    SDL_PushEvent(&event);
}

// Where the screen description puts the controls (window pixels).
struct Spot {
    int x;
    int y;
};
constexpr Spot btnNew{627, 41}, btnSave{718, 41}, btnUnpack{768, 41};
constexpr Spot btnAdd{652, 93}, btnSub{748, 93}, btnUp{652, 123}, btnDown{748, 123};
constexpr Spot cboxAutoPack{700, 324}, cboxPackRight{700, 344}, cboxPackDown{700, 364};
constexpr Spot maximise{753, 10}, closeButton{783, 10};
// Row i of the image list.
Spot row(int i)
{
    return Spot{700, 146 + 18 * i + 9};
}

// The pixel at window point (x, y) of the frame just drawn.
std::vector<int> pixel(int x, int y)
{
    CImage read;
    if (!readFramebuffer(x, 600 - 1 - y, 1, 1, 3, read))
        return {};
    return {read.getData()[0], read.getData()[1], read.getData()[2]};
}

std::string toolDataDir()
{
    return QF_TOOL_DIR;
}

}

TEST(ToolDisplay, ImageListAddsMovesRefusesAndEmpties)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    CScriptedQuestionBox questions;
    AtlasScratch scratch;
    const std::string a = solidPng(scratch, "a.png", 32, 32, 255, 0, 0);
    const std::string b = solidPng(scratch, "b.png", 16, 48, 0, 255, 0);
    const std::string c = solidPng(scratch, "c.png", 40, 20, 0, 0, 255);
    std::filesystem::create_directories(scratch.path / "Art");
    const std::string hero = solidPng(scratch, "Art/Hero.png", 8, 8, 9, 9, 9);
    writeFile(scratch.file("broken.png"), "not a picture");

    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) {
        dialog.choose({a, b, c});
        click(t, btnAdd.x, btnAdd.y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"a.png", "b.png", "c.png"}));
        ASSERT_EQ(dialog.requests.size(), 1u);
        EXPECT_TRUE(dialog.requests[0].multiple);
        EXPECT_EQ(dialog.requests[0].filters.size(), 5u);
        click(t, row(1).x, row(1).y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getList()->getSelected(), 1);
        click(t, btnUp.x, btnUp.y);
    });
    tool.then([&](ScriptedTool& t) {
        // The list and the packing follow the move; the preview keeps the order of adding.
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"b.png", "a.png", "c.png"}));
        EXPECT_EQ(t.getList()->getSelected(), 0);
        EXPECT_EQ(toStdString(t.getPacker().entry(0).name), "b.png");
        EXPECT_EQ(toStdString(t.getPreview().getElement(0)->getName()), "a.png");
        // Images show at their packed places on the canvas, and the canvas at (0, 20).
        for (const char* name : {"a.png", "b.png", "c.png"}) {
            const PackEntry& entry = t.getPacker().entry(t.getPacker().findEntry(name));
            const std::vector<int> colour = pixel(entry.x + entry.width / 2, 20 + entry.y + entry.height / 2);
            const std::vector<int> expected = name[0] == 'a' ? std::vector<int>{255, 0, 0}
                                              : name[0] == 'b' ? std::vector<int>{0, 255, 0}
                                                               : std::vector<int>{0, 0, 255};
            EXPECT_EQ(colour, expected) << name;
        }
        // A second copy of a name, an image that does not decode and a cancel.
        dialog.choose({a, scratch.file("broken.png")});
        click(t, btnAdd.x, btnAdd.y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getList()->getRowCount(), 3u);
        EXPECT_EQ(t.getPreview().getCount(), 3u);
        ASSERT_EQ(quiet.boxes.size(), 1u);
        EXPECT_NE(quiet.boxes[0].find("1 image already in the list was passed over (a.png)."), std::string::npos);
        EXPECT_NE(quiet.boxes[0].find("One file was not added"), std::string::npos);
        EXPECT_NE(quiet.boxes[0].find(scratch.file("broken.png") + ":"), std::string::npos);
        dialog.cancel();
        click(t, btnAdd.x, btnAdd.y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(quiet.boxes.size(), 1u);  // a cancel stays silent
        // One file: the path keeps its case, the name is lower-cased.
        dialog.choose({hero});
        click(t, btnAdd.x, btnAdd.y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(listNames(t).back(), "hero.png");
        EXPECT_EQ(toStdString(t.getTextures().find("hero.png")->getFile()), hero);
        // New with unsaved images asks first: "no" keeps them, "yes" drops them.
        click(t, btnNew.x, btnNew.y);
    });
    tool.then([&](ScriptedTool& t) {
        ASSERT_EQ(questions.asked.size(), 1u);
        EXPECT_NE(questions.asked[0].text.find("4 images"), std::string::npos);
        EXPECT_EQ(t.getList()->getRowCount(), 4u);
        questions.answer(true);
        click(t, btnNew.x, btnNew.y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getList()->getRowCount(), 0u);
        EXPECT_EQ(t.getPreview().getCount(), 0u);
        EXPECT_EQ(t.getCanvas()->getWidth(), 0.0f);
        EXPECT_EQ(t.getCanvas()->getHeight(), 0.0f);
        EXPECT_EQ(quiet.boxes.size(), 1u);
    });
    EXPECT_EQ(tool.start(toolDataDir()), 0);
    EXPECT_EQ(tool.next, tool.steps.size());
}

TEST(ToolDisplay, CanvasStaysInThePreviewAndNothingDrawsOutsideIt)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    CScriptedQuestionBox questions;
    questions.answer(true);  // New drops the unsaved image
    AtlasScratch scratch;
    const std::string small = solidPng(scratch, "small.png", 200, 200, 255, 0, 0);
    const std::string big = solidPng(scratch, "big.png", 1000, 1000, 0, 0, 255);

    ScriptedTool tool;
    // Tight pack off: the atlas is the power-of-two square.
    tool.then([&](ScriptedTool& t) { click(t, 700, 428); });
    tool.then([&](ScriptedTool& t) { t.addPaths({small}); });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getCanvas()->getWidth(), 256.0f);
        drag(t, 100, 100, {{150, 160}, {300, 300}});
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getCanvas()->getX(), 0.0f);
        EXPECT_EQ(t.getCanvas()->getY(), 20.0f);
        click(t, btnNew.x, btnNew.y);
    });
    tool.then([&](ScriptedTool& t) { t.addPaths({big}); });
    tool.then([&](ScriptedTool& t) {
        // A large atlas opens at the whole-atlas fit; the drag is at 1:1.
        EXPECT_FLOAT_EQ(t.getView().getZoom(), t.getView().fitZoom());
        EXPECT_LT(t.getCanvas()->getWidth(), 600.0f);
        t.zoomPreview(1.0f, 0.0f, 20.0f);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getCanvas()->getWidth(), 1024.0f);
        drag(t, 590, 590, {{300, 300}, {90, 90}});
    });
    tool.then([&](ScriptedTool& t) {
        // The preview ends at y = 580, above the status line.
        EXPECT_EQ(t.getCanvas()->getX(), -424.0f);
        EXPECT_EQ(t.getCanvas()->getY(), -444.0f);
        // Nothing of the blue image outside the 600 x 580 preview.
        EXPECT_EQ(pixel(300, 300), (std::vector<int>{0, 0, 255}));
        EXPECT_NE(pixel(650, 300), (std::vector<int>{0, 0, 255}));
        EXPECT_NE(pixel(300, 10), (std::vector<int>{0, 0, 255}));
        // Dragged right and down past the corner: pinned at (0, 20).
        drag(t, 100, 100, {{400, 400}, {590, 590}});
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getCanvas()->getX(), 0.0f);
        EXPECT_EQ(t.getCanvas()->getY(), 20.0f);
        // Released over the controls: back to the last place accepted in the preview.
        drag(t, 300, 300, {{200, 250}, {700, 300}});
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getCanvas()->getX(), -100.0f);
        EXPECT_EQ(t.getCanvas()->getY(), -30.0f);
    }, 2);
    EXPECT_EQ(tool.start(toolDataDir()), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

TEST(ToolDisplay, OptionsSpacingFullScreenAndEscape)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    CScriptedQuestionBox questions;
    AtlasScratch scratch;
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i)
        paths.push_back(solidPng(scratch, std::string(1, char('p' + i)) + ".png", 20, 10 + 10 * i, 200, 100, 50));

    ScriptedTool tool;
    bool escaped = false;
    tool.then([&](ScriptedTool& t) {
        t.addPaths(paths);
        click(t, cboxPackRight.x, cboxPackRight.y);
        click(t, cboxPackRight.x, cboxPackRight.y);  // clicking the checked box keeps it
    });
    tool.then([&](ScriptedTool& t) {
        auto* right = dynamic_cast<CCheckBox*>(t.getGui().find("cboxPackRight"));
        auto* autoPack = dynamic_cast<CCheckBox*>(t.getGui().find("cboxAutoPack"));
        auto* down = dynamic_cast<CCheckBox*>(t.getGui().find("cboxPackDown"));
        EXPECT_TRUE(right->isChecked());
        EXPECT_FALSE(autoPack->isChecked());
        EXPECT_FALSE(down->isChecked());
        EXPECT_EQ(t.getPacker().mode(), PackRight);
        // The spacing thumb (16 px wide, on a 140-pixel track for 0 to 32)
        // dragged 11 px: 2.51, packed with 2 and labelled so.
        const int y = static_cast<int>(t.getGui().find("spaceScroll")->getY()) + 8;
        drag(t, 630, y, {{636, y}, {641, y}});
    });
    tool.then([&](ScriptedTool& t) {
        auto* label = dynamic_cast<CFont*>(t.getGui().find("fontSpaceValue"));
        EXPECT_EQ(toStdString(label->getText()), "2 px");
        EXPECT_EQ(t.getPacker().spacing(), 2u);
        EXPECT_EQ(t.getPacker().entry(0).x, 2);
        EXPECT_EQ(t.getPacker().entry(1).x, 24);
        // Full screen (F11) takes the desktop's resolution; no display mode
        // is switched and nothing is reported.
        pushKey(t, SDLK_F11, SDL_SCANCODE_F11);
    }, 10);
    tool.then([&](ScriptedTool& t) {
        EXPECT_FALSE(t.isFullscreen());
        EXPECT_TRUE(t.isDesktopFullscreen());
        EXPECT_TRUE(quiet.boxes.empty());
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(sdlWindow(t), &width, &height);
        SDL_DisplayMode desktop;
        ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
        EXPECT_EQ(width, desktop.w);
        EXPECT_EQ(height, desktop.h);
        // The preview grows with the window; the controls keep to the right.
        EXPECT_EQ(t.previewArea().width, static_cast<float>(desktop.w - 200));
        EXPECT_EQ(t.previewArea().height, static_cast<float>(desktop.h - 40));
        EXPECT_EQ(t.getGui().find("btnSave")->getX(), static_cast<float>(697 + desktop.w - 800));
        pushKey(t, SDLK_F11, SDL_SCANCODE_F11);
    }, 10);
    tool.then([&](ScriptedTool& t) {
        int width = 0;
        int height = 0;
        SDL_GetWindowSize(sdlWindow(t), &width, &height);
        EXPECT_EQ(width, 800);
        EXPECT_EQ(height, 600);
        EXPECT_EQ(t.getGui().find("btnSave")->getX(), 697.0f);
        // Escape with unsaved changes asks first; the answer here is yes.
        questions.answer(true);
        SDL_Event key{};
        key.type = SDL_KEYDOWN;
        key.key.windowID = SDL_GetWindowID(sdlWindow(t));
        key.key.state = SDL_PRESSED;
        key.key.keysym.sym = SDLK_ESCAPE;
        key.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
        SDL_PushEvent(&key);
        escaped = true;
    }, 20);
    EXPECT_EQ(tool.start(toolDataDir()), 0);
    EXPECT_TRUE(escaped);
    ASSERT_EQ(questions.asked.size(), 1u);
    EXPECT_NE(questions.asked[0].text.find("3 images"), std::string::npos);
    EXPECT_LT(tool.next, tool.steps.size());  // Escape ended the loop before the script did
}

TEST(ToolDisplay, DroppedFolderSaveAndUnpackReportFailures)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.path / "drop");
    solidPng(scratch, "drop/b.png", 10, 10, 1, 2, 3);
    solidPng(scratch, "drop/A.PNG", 12, 12, 4, 5, 6);
    writeFile(scratch.file("drop/notes.txt"), "skipped");

    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) {
        dropOnWindow(t, (scratch.path / "drop").string());
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"A.PNG", "b.png"}));
        // A name typed without an ending takes the filter's (PNG is filter 3).
        dialog.choose({scratch.file("sheet")}, 3);
        click(t, btnSave.x, btnSave.y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_TRUE(std::filesystem::exists(scratch.file("sheet.png")));
        EXPECT_NE(readFile(scratch.file("sheet.xml")).find("<frame name=\"A\" x=\"0\" y=\"0\" w=\"12\" h=\"12\" />"),
                  std::string::npos);
        dialog.choose({scratch.file("missing/sheet.png")});
        click(t, btnSave.x, btnSave.y);
    });
    tool.then([&](ScriptedTool& t) {
        ASSERT_EQ(quiet.boxes.size(), 1u);
        EXPECT_NE(quiet.boxes[0].find("The atlas was not saved."), std::string::npos);
        writeFile(scratch.file("bad.xml"), "<sprite file=\"gone.png\" name=\"gone\"><frame name=\"x\" /></sprite>");
        dialog.choose({scratch.file("bad.xml")});
        dialog.choose({scratch.file("out")});
        click(t, btnUnpack.x, btnUnpack.y);
    });
    tool.then([&](ScriptedTool& t) {
        ASSERT_EQ(quiet.boxes.size(), 2u);
        EXPECT_NE(quiet.boxes[1].find("Nothing was unpacked."), std::string::npos);
        // The description's dialog, then the folder to unpack into.
        ASSERT_GE(dialog.requests.size(), 2u);
        const auto& open = dialog.requests[dialog.requests.size() - 2];
        EXPECT_FALSE(open.multiple);
        ASSERT_FALSE(open.filters.empty());
        EXPECT_EQ(open.filters.front().pattern, "*.xml");
        EXPECT_TRUE(dialog.requests.back().folder);
        click(t, closeButton.x, closeButton.y);
    }, 20);
    EXPECT_EQ(tool.start(toolDataDir()), 0);
    EXPECT_LT(tool.next, tool.steps.size());  // the title bar's close ended the loop
}

TEST(ToolDisplay, TransparentJpegAtlasIsFlattenedOnlyWhenAsked)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    CScriptedQuestionBox questions;
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.path / "drop");
    marginPng(scratch.file("drop/ghost.png"), 2, 2, 8, 8, 40);

    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) {
        dropOnWindow(t, (scratch.path / "drop").string());
    });
    tool.then([&](ScriptedTool& t) {
        ASSERT_EQ(listNames(t), (std::vector<std::string>{"ghost.png"}));
        dialog.choose({scratch.file("sheet.jpg")});
        click(t, btnSave.x, btnSave.y); // the question is answered Cancel
    });
    tool.then([&](ScriptedTool& t) {
        ASSERT_EQ(questions.asked.size(), 1u);
        EXPECT_EQ(questions.asked[0].accept, "Flatten onto black");
        EXPECT_NE(questions.asked[0].text.find("ghost"), std::string::npos) << questions.asked[0].text;
        EXPECT_FALSE(std::filesystem::exists(scratch.file("sheet.jpg")));
        questions.answer(true);
        dialog.choose({scratch.file("sheet.jpg")});
        click(t, btnSave.x, btnSave.y);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(questions.asked.size(), 2u);
        EXPECT_TRUE(std::filesystem::exists(scratch.file("sheet.jpg")));
        EXPECT_TRUE(std::filesystem::exists(scratch.file("sheet.xml")));
        EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
        click(t, closeButton.x, closeButton.y);
    }, 20);
    EXPECT_EQ(tool.start(toolDataDir()), 0);
}

TEST(ToolDisplay, MissingDataIsReportedAndEndsTheTool)
{
    QuietPlatform quiet;
    AtlasScratch scratch;
    {
        // A data folder whose screen lacks two controls.
        std::filesystem::create_directories(scratch.path / "Quiltforger");
        std::filesystem::copy_file(toolDataDir() + "/Quiltforger/resources.xml",
                                   scratch.file("Quiltforger/resources.xml"));
        std::string screen = readFile(toolDataDir() + "/Quiltforger/gui.xml");
        for (const std::string name : {"name=\"list\"", "name=\"background\""}) {
            const std::size_t at = screen.find(name);
            screen = screen.substr(0, at) + "name=\"renamed\"" + screen.substr(at + name.size());
        }
        writeFile(scratch.file("Quiltforger/gui.xml"), screen);
        ScriptedTool tool;
        EXPECT_EQ(tool.start(scratch.path.string()), 0);
        ASSERT_EQ(quiet.boxes.size(), 1u);
        EXPECT_NE(quiet.boxes[0].find("lacks these controls: list, background."), std::string::npos) << quiet.boxes[0];
        EXPECT_EQ(tool.next, 0u);  // never drew a frame
    }
    {
        // A damaged resource list.
        writeFile(scratch.file("Quiltforger/resources.xml"), "<resources><sprite");
        ScriptedTool tool;
        EXPECT_EQ(tool.start(scratch.path.string()), 0);
        ASSERT_EQ(quiet.boxes.size(), 2u);
        EXPECT_NE(quiet.boxes[1].find("resources.xml cannot be read or is damaged"), std::string::npos);
    }
    {
        // No data folder anywhere: the places looked at are named.
        std::filesystem::remove_all(scratch.path / "Quiltforger");
        ScriptedTool tool;
        EXPECT_EQ(tool.start(scratch.path.string()), 0);
        ASSERT_EQ(quiet.boxes.size(), 3u);
        EXPECT_NE(quiet.boxes[2].find("data folder was not found"), std::string::npos);
    }
}
