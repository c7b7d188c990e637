// The window tool's behaviour around the preview, on a real display: Escape
// with an open drop-down, the wheel over the list, images too large for the
// largest side named without a message box, the list growing with the
// window, folders from the Add dialog and folders without images, the list
// following the keyboard selection, the progress shown while a large set is
// read, a DISPLAY where no server answers, and text shaping with the tool's
// fonts.
#include "app/tool/Application.h"
#include "app/AtlasTestFiles.h"
#include "app/display/ToolDisplaySupport.h"
#include "framework/CScriptedFileDialog.h"
#include "framework/CScriptedQuestionBox.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CList.h"
#include "resources/GlyphSprite.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sys/wait.h>

namespace {

std::vector<std::string> smallImages(const AtlasScratch& scratch, const std::string& folder, int count)
{
    std::filesystem::create_directories(scratch.path / folder);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof(name), "%s/i%03d.png", folder.c_str(), i);
        paths.push_back(solidPng(scratch, name, 8, 8, static_cast<std::uint8_t>(i * 7), 90, 200));
    }
    return paths;
}

}

TEST(ToolWindow, EscapeWheelTooLargeNamesAndTheListGrowing)
{
    QuietPlatform quiet;
    CScriptedQuestionBox questions;
    AtlasScratch scratch;
    std::vector<std::string> paths = smallImages(scratch, "set", 30);
    paths.push_back(solidPng(scratch, "wide.png", 2000, 10, 255, 0, 0));
    ScriptedTool tool;
    CCombo* largest = nullptr;
    float listHeight = 0.0f;
    tool.then([&](ScriptedTool& t) {
        t.addPaths(paths);
        largest = dynamic_cast<CCombo*>(t.getGui().find("largestCombo"));
        ASSERT_NE(largest, nullptr);
        largest->select(0, 0); // 1024
        t.getOptionsPanel().showTab(2); // Output, where the largest side is
        largest->getList().setVisible(true);
        pushKey(t, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    });
    tool.then([&](ScriptedTool& t) {
        // Escape closed the drop-down and asked nothing.
        EXPECT_FALSE(largest->isOpen());
        EXPECT_TRUE(questions.asked.empty()) << questions.asked.front().text;
        EXPECT_EQ(t.getStatusText(), "wide.png is larger than the largest side (1024 px)");
        // Over the list, unclicked, the wheel scrolls it.
        const CList* list = t.getList();
        EXPECT_EQ(list->getTopRow(), 0);
        wheel(t, static_cast<int>(list->getX() + 40), static_cast<int>(list->getY() + 40), -2);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_GT(t.getList()->getTopRow(), 0);
        // An option click relayouts without a message box.
        dynamic_cast<CCheckBox*>(t.getGui().find("cboxTightPack"))->onClick.emit();
        listHeight = t.getList()->getHeight();
        t.setSize(1000, 800, false);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getSize().height, 800u);
        // The list takes half of the 200 pixels gained, the options the rest.
        EXPECT_FLOAT_EQ(t.getList()->getHeight(), listHeight + 100.0f);
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

TEST(ToolWindow, FoldersFromTheDialogEmptyFoldersProgressAndTheListFollowingDown)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    smallImages(scratch, "art", 120);
    smallImages(scratch, "deep/sub", 2);
    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) {
        dialog.choose({scratch.file("art")});
        t.addImages();
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getList()->getRowCount(), 120u);
        // A frame was drawn while they were read, saying so.
        bool progress = false;
        for (const std::string& status : t.statuses)
            progress = progress || status.rfind("Adding images: ", 0) == 0;
        EXPECT_TRUE(progress);
        for (int i = 0; i < 20; ++i)
            t.runCommand(ToolCommand::selectNext);
    });
    tool.then([&](ScriptedTool& t) {
        const CList* list = t.getList();
        EXPECT_EQ(list->getSelected(), 19);
        const float rowHeight = list->getRowHeight(0) + static_cast<float>(list->getSpacing());
        const int shown = static_cast<int>(list->getHeight() / rowHeight);
        EXPECT_GE(19, list->getTopRow());
        EXPECT_LT(19, list->getTopRow() + shown);
        t.addPaths({scratch.file("deep")});
    });
    EXPECT_EQ(tool.start(scratch), 0);
    ASSERT_EQ(quiet.boxes.size(), 1u);
    EXPECT_NE(quiet.boxes[0].find("deep holds no .bmp"), std::string::npos) << quiet.boxes[0];
    EXPECT_NE(quiet.boxes[0].find("its sub-folder is not searched"), std::string::npos) << quiet.boxes[0];
}

// A DISPLAY where no X server answers ends the tool at once with a reason.
TEST(ToolWindow, DisplayWithoutServerIsRefused)
{
    AtlasScratch scratch;
    int display = 4321;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(display)))
        ++display;
    const std::string command = "env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=:" + std::to_string(display) +
                                " XDG_CONFIG_HOME=" + scratch.file("config") + " timeout 20 " QF_TOOL_DIR
                                "/quiltforger > " + scratch.file("out") + " 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(readFile(scratch.file("out")).find("no display answers at DISPLAY=:"), std::string::npos)
        << readFile(scratch.file("out"));
}

// Arabic letters join, Hebrew runs right to left, and emoji come from the
// symbol font rather than as the missing-glyph box.
TEST(TextShaping, JoinedRightToLeftAndEmojiFromTheSymbolFont)
{
    const std::string data = std::string(QF_TOOL_DIR) + "/Quiltforger/";
    setGlyphFallbackFonts({data + "DroidSansFallbackFull.ttf", data + "Symbola.ttf"});
    CGlyphCache cache(data + "DejaVuSans.ttf", 13, 16, 13);
    const std::vector<char32_t> arabic{0x633, 0x644, 0x627, 0x645}; // salaam
    const std::vector<char32_t> joined = cache.shape(arabic);
    std::vector<char32_t> isolated;
    for (auto letter = arabic.rbegin(); letter != arabic.rend(); ++letter) {
        const std::vector<char32_t> one = cache.shape({*letter});
        isolated.insert(isolated.end(), one.begin(), one.end());
    }
    ASSERT_FALSE(joined.empty());
    for (const char32_t glyph : joined)
        EXPECT_GE(glyph, CGlyphCache::shapedGlyph);
    EXPECT_NE(joined, isolated);
    const std::vector<char32_t> alef = cache.shape({0x5D0});
    const std::vector<char32_t> bet = cache.shape({0x5D1});
    ASSERT_EQ(alef.size(), 1u);
    EXPECT_EQ(cache.shape({0x5D0, 0x5D1}), (std::vector<char32_t>{bet[0], alef[0]}));
    // In a left-to-right paragraph the Hebrew word still reads right to left.
    const std::vector<char32_t> mixed = cache.shape({'x', ' ', 0x5D0, 0x5D1});
    ASSERT_EQ(mixed.size(), 4u);
    EXPECT_EQ(std::vector<char32_t>(mixed.begin() + 1, mixed.end()), (std::vector<char32_t>{' ', bet[0], alef[0]}));
    EXPECT_EQ(cache.shape({'a', 'b'}), (std::vector<char32_t>{'a', 'b'}));

    // The ink of a glyph: the alpha of its frame.
    auto ink = [&](char32_t code) {
        const CGlyphCache::Glyph* glyph = cache.glyph(code);
        std::vector<std::uint8_t> alpha;
        if (glyph == nullptr || !glyph->drawable)
            return alpha;
        const CTexture& page = *glyph->frame.texture;
        const auto x0 = static_cast<std::uint32_t>(glyph->frame.x);
        const auto y0 = static_cast<std::uint32_t>(glyph->frame.y);
        for (std::uint32_t y = y0; y < y0 + glyph->frame.h; ++y)
            for (std::uint32_t x = x0; x < x0 + glyph->frame.w; ++x)
                alpha.push_back(page.getData()[(std::size_t(page.getHeight() - 1 - y) * page.getWidth() + x) * 4 + 3]);
        return alpha;
    };
    const std::vector<std::uint8_t> smile = ink(0x1F600);
    EXPECT_FALSE(smile.empty());
    EXPECT_NE(smile, ink(0x10FFFD)) << "drawn as the missing-glyph box";
    setGlyphFallbackFonts({});
}
