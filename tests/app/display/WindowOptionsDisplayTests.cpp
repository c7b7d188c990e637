// The window's options that follow the command line: turned frames drawn as
// the save stores them, folders walked and named as a pack walks them (with
// nine-patch guides taken off), and typed scale variants read as --scale
// reads them.
#include "app/tool/Application.h"
#include "app/AtlasTestFiles.h"
#include "app/display/ToolDisplaySupport.h"
#include "framework/CScriptedFileDialog.h"
#include "framework/CScriptedQuestionBox.h"
#include "gui/CEdit.h"
#include "gui/CList.h"
#include "render/Screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace {

// A picture whose every pixel differs from its neighbours, so a frame drawn
// turned the wrong way (or not at all) shows.
void gradientPng(const std::string& path, std::uint32_t width, std::uint32_t height, std::uint8_t seed)
{
    CImage image;
    image.create(width, height, 4, 32);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            auto* p = const_cast<std::uint8_t*>(pixelAt(image, x, y));
            p[0] = std::uint8_t(x * 37 + seed);
            p[1] = std::uint8_t(y * 29);
            p[2] = seed;
            p[3] = 255;
        }
    }
    writePicture(path, image);
}

// The window pixel (x, y from the top) as RGB.
std::vector<int> windowPixel(const CImage& frame, std::uint32_t height, int x, int y)
{
    const std::uint8_t* p = frame.getData() + (std::size_t(height - 1 - y) * frame.getWidth() + std::size_t(x)) * 3;
    return {p[0], p[1], p[2]};
}

}

// Best fit turns the wide strip; the preview at 1:1 shows every opaque
// pixel where the saved atlas has it, turned either way (the .atlas
// description stores them turned the other way), and the hover text and a
// click take the stored rectangle.
TEST(WindowOptions, TurnedFramesAreDrawnAsStored)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.path / "in");
    gradientPng(scratch.file("in/big.png"), 40, 40, 200);
    for (int i = 0; i < 3; ++i)
        gradientPng(scratch.file("in/tall" + std::to_string(i) + ".png"), 6, 40, std::uint8_t(60 * i));
    gradientPng(scratch.file("in/wide.png"), 40, 6, 250);
    PackSettings turned;
    turned.mode = PackBest;
    turned.rotate = true;
    ScriptedTool tool;
    for (const bool gdxAtlas : {false, true}) {
        const std::string atlas = scratch.file(gdxAtlas ? "gdx.png" : "json.png");
        tool.then([&, gdxAtlas, atlas](ScriptedTool& t) {
            if (t.getList()->getRowCount() == 0)
                t.addPaths({scratch.file("in")});
            turned.gdxAtlas = gdxAtlas;
            t.applyPackSettings(turned);
            dialog.choose({atlas});
            t.saveAtlasFile();
        });
        tool.then([&, atlas](ScriptedTool& t) {
            EXPECT_NE(readFile(atlas.substr(0, atlas.size() - 4) + ".xml").find("rotated="), std::string::npos);
            CImage saved;
            ASSERT_TRUE(loadImageByEnding(atlas, saved, nullptr));
            ASSERT_EQ(t.getView().getZoom(), 1.0f);
            const int left = static_cast<int>(t.getView().getOriginX());
            const int top = static_cast<int>(t.getView().getOriginY());
            CImage frame;
            readFramebuffer(0, 0, t.getSize().width, t.getSize().height, 3, frame);
            int differing = 0;
            for (std::uint32_t y = 0; y < saved.getHeight(); ++y) {
                for (std::uint32_t x = 0; x < saved.getWidth(); ++x) {
                    const std::uint8_t* p = pixelAt(saved, x, y);
                    if (p[3] == 255 &&
                        windowPixel(frame, t.getSize().height, left + int(x), top + int(y)) !=
                            std::vector<int>{p[0], p[1], p[2]})
                        ++differing;
                }
            }
            EXPECT_EQ(differing, 0);
        });
    }
    tool.then([&](ScriptedTool& t) {
        t.applyPackSettings(turned); // the status line leaves what the save wrote
        // wide is stored turned at the right of the standing strips (58, 0).
        click(t, static_cast<int>(t.getView().getOriginX()) + 60, static_cast<int>(t.getView().getOriginY()) + 20);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_EQ(t.getStatusText(), "wide.png  6 \xC3\x97 40 at 58, 0, turned");
        EXPECT_EQ(toStdString(t.getList()->getCellText(std::uint32_t(t.getList()->getSelected()), 0)), "wide.png");
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();
}

// A folder added with "Include subfolders" gives the files a recursive pack
// gives, in its order and under its names (the subfolder's path, the ".9"
// of a nine-patch dropped, an earlier atlas passed over); the atlas saved is the command line's, and a
// project keeps the folder as one input.
TEST(WindowOptions, FoldersAreWalkedAndNamedAsThePackWalksThem)
{
    QuietPlatform quiet;
    CScriptedFileDialog dialog;
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.path / "in/sub/deep");
    marginPng(scratch.file("in/a10.png"), 0, 0, 8, 5, 10);
    marginPng(scratch.file("in/a9.png"), 1, 1, 6, 7, 40);
    marginPng(scratch.file("in/sub/a.png"), 0, 2, 9, 4, 70);
    marginPng(scratch.file("in/sub/deep/c.png"), 2, 0, 5, 5, 100);
    marginPng(scratch.file("in/.hidden.png"), 0, 0, 3, 3, 130);
    // A nine-patch: 10 x 8 inside its guides, stretching columns 3-6 and
    // rows 2-5.
    CImage patch;
    patch.create(12, 10, 4, 32);
    const auto paint = [&](std::uint32_t x, std::uint32_t y, std::uint8_t grey, std::uint8_t alpha) {
        auto* p = const_cast<std::uint8_t*>(pixelAt(patch, x, y));
        p[0] = p[1] = p[2] = grey;
        p[3] = alpha;
    };
    for (std::uint32_t y = 1; y < 9; ++y)
        for (std::uint32_t x = 1; x < 11; ++x)
            paint(x, y, std::uint8_t(160 + x * 8), 255);
    for (std::uint32_t i = 0; i < 4; ++i) {
        paint(4 + i, 0, 0, 255);
        paint(0, 3 + i, 0, 255);
    }
    writePicture(scratch.file("in/btn.9.png"), patch);
    // An earlier atlas with its description is passed over, not packed.
    marginPng(scratch.file("in/old.png"), 0, 0, 4, 4, 200);
    std::ofstream(scratch.file("in/old.xml")) << "<sprite file=\"old.png\" w=\"4\" h=\"4\" />\n";

    OneStepTool tool;
    tool.step = [&](OneStepTool& t) {
        PackSettings folders;
        folders.recursive = true;
        t.applyPackSettings(folders);
        t.addPaths({scratch.file("in")});
        EXPECT_EQ(listNames(t), (std::vector<std::string>{"a9.png", "a10.png", "btn.png", "sub/a.png",
                                                          "sub/deep/c.png"}));
        dialog.choose({scratch.file("tool.png")});
        t.saveAtlasFile();
        dialog.choose({scratch.file("p.qfproj")});
        t.saveProjectFile();
    };
    EXPECT_EQ(runTool(tool, scratch.file("config")), 0);
    EXPECT_TRUE(quiet.boxes.empty()) << quiet.boxes.front();

    const std::string command = std::string(QF_CLI_PATH) + " pack --mode auto --recursive -o " + scratch.file("cli.png") + " " +
                                scratch.file("in") + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::string xml = readFile(scratch.file("tool.xml"));
    const std::size_t button = xml.find("name=\"btn\"");
    ASSERT_NE(button, std::string::npos) << xml;
    const std::string line = xml.substr(button, xml.find('\n', button) - button);
    EXPECT_NE(line.find("w=\"10\" h=\"8\" sliceLeft=\"3\" sliceRight=\"3\" sliceTop=\"2\" sliceBottom=\"2\""),
              std::string::npos) << line;
    xml.replace(xml.find("tool.png"), 8, "cli.png");
    xml.replace(xml.find("\"tool\""), 6, "\"cli\"");
    EXPECT_EQ(xml, readFile(scratch.file("cli.xml")));
    EXPECT_EQ(readFile(scratch.file("tool.png")), readFile(scratch.file("cli.png")));
    const std::string project = readFile(scratch.file("p.qfproj"));
    EXPECT_NE(project.find("<input path=\"in\" />"), std::string::npos) << project;
    EXPECT_EQ(project.find("a9.png"), std::string::npos) << project;
}

// Typed options read as the command line reads them: a pivot, a JPEG colour
// and scale variants ("2 @2x, 1"); text the command line would refuse turns
// orange and leaves the last good value in force; Escape leaves the field,
// which says why and puts the text back (and quits nothing). Turning is
// kept but not packed outside best fit.
TEST(WindowOptions, TypedValuesReadAsTheCommandLineReadsThem)
{
    QuietPlatform quiet;
    CScriptedQuestionBox questions;
    AtlasScratch scratch;
    const std::string a = solidPng(scratch, "a.png", 8, 8, 255, 0, 0);
    const std::vector<ScaleVariant> good{{2, "@2x"}, {1, ""}};
    CEdit* scales = nullptr;
    const auto typeInto = [](CEdit* edit, const char* text) {
        String value(text);
        edit->setText(value);
        edit->onChange.emit(value);
    };
    const auto type = [&](const char* text) { typeInto(scales, text); };
    ScriptedTool tool;
    tool.then([&](ScriptedTool& t) {
        t.addPaths({a});
        scales = dynamic_cast<CEdit*>(t.getGui().find("editScales"));
        ASSERT_NE(scales, nullptr);
        t.getOptionsPanel().showTab(1);
        click(t, static_cast<int>(scales->getX() + 20), static_cast<int>(scales->getY() + 8));
    });
    tool.then([&](ScriptedTool& t) {
        ASSERT_TRUE(scales->isActive());
        auto* pivot = dynamic_cast<CEdit*>(t.getGui().find("editPivot"));
        auto* colour = dynamic_cast<CEdit*>(t.getGui().find("editJpegColour"));
        ASSERT_TRUE(pivot != nullptr && colour != nullptr);
        for (const char* text : {"0.25,1", "2000,1", "0.25", "a,b"})
            typeInto(pivot, text);
        EXPECT_EQ(t.packSettings().pivot, (SpritePivot{0.25, 1}));
        for (const char* text : {"#204080", "#12345", "204080"})
            typeInto(colour, text);
        EXPECT_TRUE(t.packSettings().jpegFlatten);
        EXPECT_EQ(t.packSettings().jpegFlattenColour, 0x204080u);
        typeInto(pivot, "0.25,1");
        typeInto(colour, "#204080");
        PackSettings turned = t.packSettings();
        turned.rotate = true;
        turned.mode = PackAuto;
        t.applyPackSettings(turned);
        EXPECT_FALSE(t.packSettings().rotate);
        turned.mode = PackBest;
        t.applyPackSettings(turned);
        EXPECT_TRUE(t.packSettings().rotate);
        type("2 @2x, 1");
        EXPECT_EQ(t.getOptionsPanel().values().variants, good);
        for (const char* bad : {"2 @2x, 0", "2, 2", "2 a/b", "2,,1", "abc"}) {
            type(bad);
            EXPECT_EQ(t.getOptionsPanel().values().variants, good) << bad;
            EXPECT_GT(scales->getTextView().getMaterial().emission.x, 0.95f) << bad;
        }
        pushKey(t, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    });
    tool.then([&](ScriptedTool& t) {
        EXPECT_FALSE(scales->isActive());
        EXPECT_EQ(toStdString(scales->getText()), "2, 1");
        EXPECT_EQ(t.packSettings().variants, good);
    });
    EXPECT_EQ(tool.start(scratch), 0);
    EXPECT_TRUE(questions.asked.empty());
    ASSERT_EQ(quiet.boxes.size(), 1u);
    EXPECT_NE(quiet.boxes[0].find("\"abc\" is not a factor above 0 and up to 16"), std::string::npos) << quiet.boxes[0];
}
