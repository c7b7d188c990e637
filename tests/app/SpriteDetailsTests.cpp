// What engines read about each sprite beyond its rectangle: names below the
// folder added, animation sequences, nine-patch guides, per-sprite details,
// and how the descriptions write them.
#include "AtlasTestFiles.h"

#include "app/pack/AnimationSequences.h"
#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasFormats.h"
#include "app/pack/AtlasJson.h"
#include "app/pack/CPacker.h"
#include "app/pack/FrameDetails.h"
#include "app/pack/NinePatch.h"
#include "app/pack/SpriteNames.h"
#include "xml/CXMLWriter.h"

namespace {

// An RGBA picture drawn row by row from the top: '.' transparent, '#' opaque
// black, 'o' opaque grey, 'r' opaque red, 'h' half-transparent black.
CImage drawn(const std::vector<std::string>& rows)
{
    CImage image;
    const auto width = static_cast<std::uint32_t>(rows[0].size());
    const auto height = static_cast<std::uint32_t>(rows.size());
    image.create(width, height, 4, 32);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* p = image.getData() + ((height - 1 - y) * width + x) * 4;
            const char c = rows[y][x];
            const std::uint8_t grey = c == 'o' ? 128 : 0;
            p[0] = c == 'r' ? 255 : grey;
            p[1] = grey;
            p[2] = grey;
            p[3] = c == '.' ? 0 : c == 'h' ? 128 : 255;
        }
    }
    return image;
}

}

TEST(SpriteNames, FilesBelowAnAddedFolderKeepTheirSubfolders)
{
    struct Case {
        const char* folder;
        const char* path;
        bool flatten;
        const char* name;
    };
    const Case cases[] = {
        {"art", "art/hero/walk_1.png", false, "hero/walk_1.png"},
        {"art/", "art/hero/walk_1.png", false, "hero/walk_1.png"},
        {"art", "art/hero/walk_1.png", true, "walk_1.png"},
        {"art", "art/coin.png", false, "coin.png"},
        {"art", "elsewhere/coin.png", false, "coin.png"},
        {"art", "art/ui/panel.9.png", false, "ui/panel.png"},
        {"art", "art/ui/PANEL.9.PNG", true, "PANEL.PNG"},
        {"art", "art/ui/v1.9.tga", false, "ui/v1.9.tga"}, // only PNG nine-patches
    };
    for (const Case& c : cases)
        EXPECT_EQ(spriteNameUnder(c.folder, c.path, c.flatten), c.name) << c.path;
}

TEST(AnimationSequences, TrailingNumbersMakeOrderedSequences)
{
    struct Case {
        std::vector<std::string> names;
        std::string expected; // "name:index index ...;" per sequence, in order of first frame
    };
    const Case cases[] = {
        {{"walk_2", "walk_10", "walk_1", "idle"}, "walk:2 0 1;"},
        {{"idle_01", "idle_02", "run-3", "run-1", "hero/jump2", "hero/jump1"}, "idle:0 1;run:3 2;hero/jump:5 4;"},
        {{"slime/walk_1", "slime/walk_2", "hero/walk_1", "hero/walk_2"}, "slime/walk:0 1;hero/walk:2 3;"},
        {{"coin_1"}, ""},                                // one frame is no sequence
        {{"walk", "walk_1", "walk_2"}, ""},              // "walk" is a frame of its own
        {{"walk_1", "walk_01", "walk_2"}, ""},           // two frames numbered 1
        {{"1", "2", "_3"}, ""},                          // no name before the number
        {{"a_1234567890", "a_1234567891"}, ""},          // longer than nine digits
        {{"walk 1", "walk 2", " x1", " x2"}, "walk:0 1;"}, // a name may not start with a space
    };
    for (const Case& c : cases) {
        std::string text;
        for (const AnimationSequence& sequence : findAnimations(c.names)) {
            text += sequence.name + ":";
            for (std::size_t k = 0; k < sequence.frames.size(); ++k) {
                if (k > 0)
                    text += ' ';
                text += std::to_string(sequence.frames[k]);
            }
            text += ";";
        }
        EXPECT_EQ(text, c.expected) << c.names[0];
    }
}

TEST(NinePatch, GuidesGiveBordersAndPaddingOrAReason)
{
    struct Case {
        std::vector<std::string> rows;
        std::string expected; // "l r t b" [" pad l r t b"], or a part of the reason
    };
    const Case cases[] = {
        // Stretch columns 1..2 of 5, row 1 of 3; no content guides.
        {{"..##...", ".ooooo.", "#ooooo.", ".ooooo.", "......."}, "1 2 1 1"},
        // Content guides on the bottom and right give the padding.
        {{"...#...", ".ooooo.", "#ooooo#", ".ooooo.", "..###.."}, "2 2 1 1 pad 1 1 1 1"},
        // Only a bottom guide: the rows' padding is the stretch rows.
        {{"...#...", "#ooooo.", ".ooooo.", ".ooooo.", ".####.."}, "2 2 0 2 pad 0 1 0 2"},
        // Corners are not guides.
        {{"r..#..r", ".ooooo.", "#ooooo.", ".ooooo.", "r.....r"}, "2 2 1 1"},
        {{"..#.#..", ".ooooo.", "#ooooo.", "......."}, "more than one black run"},
        {{"...r...", ".ooooo.", "#ooooo.", "......."}, "neither black nor transparent"},
        {{"...h...", ".ooooo.", "#ooooo.", "......."}, "neither black nor transparent"},
        {{".......", ".ooooo.", "#ooooo.", "......."}, "top guide has no black run"},
        {{"...#...", ".ooooo.", ".ooooo.", "......."}, "left guide has no black run"},
        {{"..", ".."}, "at least 3 x 3"},
    };
    for (const Case& c : cases) {
        CImage image = drawn(c.rows);
        image.setName("panel.png");
        NineSlice slice;
        std::string reason;
        if (!takeNinePatch(image, slice, reason)) {
            EXPECT_NE(reason.find(c.expected), std::string::npos) << c.rows[0] << ": " << reason;
            EXPECT_EQ(image.getWidth(), c.rows[0].size()); // left as it was
            continue;
        }
        std::string text = std::to_string(slice.left) + " " + std::to_string(slice.right) + " " +
                           std::to_string(slice.top) + " " + std::to_string(slice.bottom);
        if (slice.pad)
            text += " pad " + std::to_string((*slice.pad)[0]) + " " + std::to_string((*slice.pad)[1]) + " " +
                    std::to_string((*slice.pad)[2]) + " " + std::to_string((*slice.pad)[3]);
        EXPECT_EQ(text, c.expected) << c.rows[0];
        // The picture inside the guides is what remains, its name kept.
        EXPECT_EQ(image.getWidth(), c.rows[0].size() - 2);
        EXPECT_EQ(image.getHeight(), c.rows.size() - 2);
        EXPECT_EQ(image.getData()[3], 255) << "a guide pixel remained";
        EXPECT_EQ(toStdString(image.getName()), "panel.png");
    }
}

TEST(FrameDetails, OwnSettingsWinAndBordersMustFit)
{
    CImage picture;
    picture.create(10, 8, 4, 32);
    std::vector<AtlasImage> images{{String("hero.png"), &picture}, {String("panel.png"), &picture},
                                   {String("run_1.png"), &picture}, {String("run_2.png"), &picture}};
    images[1].meta.nineSlice = NineSlice{1, 2, 3, 4, std::nullopt}; // from its guides
    PackSettings settings;
    settings.pivot = SpritePivot{0.5, 1};
    settings.perSprite["hero"].pivot = SpritePivot{0.25, 0.75};
    settings.perSprite["panel"].nineSlice = NineSlice{2, 2, 2, 2, std::array<std::int32_t, 4>{1, 1, 1, 1}};
    settings.perSprite["nobody"].pivot = SpritePivot{0, 0};
    ASSERT_EQ(assignFrameDetails(images, settings), "");
    EXPECT_EQ(images[0].meta.pivot->x, 0.25);
    EXPECT_EQ(images[1].meta.pivot->y, 1);
    EXPECT_EQ(images[1].meta.nineSlice->left, 2);
    EXPECT_TRUE(images[1].meta.nineSlice->pad);
    EXPECT_EQ(images[3].meta.animation, "run");
    EXPECT_EQ(images[3].meta.index, 2);
    EXPECT_EQ(animationCount(images), 1u);
    settings.animations = false;
    settings.perSprite["hero"].nineSlice = NineSlice{6, 5, 0, 0, std::nullopt}; // 11 of 10 columns
    const std::string problem = assignFrameDetails(images, settings);
    EXPECT_NE(problem.find("frame \"hero\""), std::string::npos) << problem;
    EXPECT_EQ(images[3].meta.index, 2) << "a refusal changed the images";
}

TEST(FrameDetails, DescriptionsWriteEveryDetail)
{
    CImage picture;
    picture.create(4, 2, 4, 32);
    std::vector<AtlasImage> images{{String("walk_2.png"), &picture}, {String("walk_1.png"), &picture},
                                   {String("ui/panel.png"), &picture}};
    images[2].meta.nineSlice = NineSlice{1, 2, 0, 1, std::array<std::int32_t, 4>{0, 1, 1, 0}};
    PackSettings settings;
    settings.perSprite["walk_1"].pivot = SpritePivot{0.5, 1};
    ASSERT_EQ(assignFrameDetails(images, settings), "");
    CPacker packer;
    for (const AtlasImage& image : images) {
        PackEntry entry;
        entry.name = image.name;
        entry.width = 4;
        entry.height = 2;
        packer.insertEntry(packer.count(), entry);
    }
    packer.packCanvas(true);

    std::string json;
    ASSERT_TRUE(atlasJsonText("sheet.png", packer, images, 16, 4, json, nullptr));
    EXPECT_NE(json.find("\"walk_1.png\": {\"frame\": {\"x\": 4, \"y\": 0, \"w\": 4, \"h\": 2}, \"rotated\": false, "
                        "\"trimmed\": false, \"spriteSourceSize\": {\"x\": 0, \"y\": 0, \"w\": 4, \"h\": 2}, "
                        "\"sourceSize\": {\"w\": 4, \"h\": 2}, \"pivot\": {\"x\": 0.5, \"y\": 1}, "
                        "\"anchor\": {\"x\": 0.5, \"y\": 1}}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"borders\": {\"left\": 1, \"top\": 0, \"right\": 2, \"bottom\": 1}}"), std::string::npos);
    EXPECT_NE(json.find("},\n\"animations\": {\n\t\"walk\": [\"walk_1.png\", \"walk_2.png\"]},\n\"meta\": "),
              std::string::npos) << json;
    std::string array;
    ASSERT_TRUE(atlasJsonArrayText(json, array, nullptr));
    EXPECT_NE(array.find("],\n\"animations\": {\n\t\"walk\": "), std::string::npos) << array;

    std::string gdx;
    ASSERT_TRUE(atlasGdxText("sheet.png", packer, images, 16, 4, gdx, nullptr));
    EXPECT_NE(gdx.find("walk\n  rotate: false\n  xy: 0, 0\n  size: 4, 2\n  orig: 4, 2\n  offset: 0, 0\n"
                       "  index: 2\nwalk\n"), std::string::npos) << gdx;
    EXPECT_NE(gdx.find("ui/panel\n  rotate: false\n  xy: 8, 0\n  size: 4, 2\n  split: 1, 2, 0, 1\n"
                       "  pad: 0, 1, 1, 0\n  orig: 4, 2\n  offset: 0, 0\n  index: -1\n"), std::string::npos) << gdx;

    const std::string xml = CXMLWriter::fileText(buildAtlasDescription("sheet.png", packer, images));
    EXPECT_NE(xml.find("<frame name=\"walk_1\" x=\"4\" y=\"0\" w=\"4\" h=\"2\" pivotX=\"0.5\" pivotY=\"1\" />"),
              std::string::npos) << xml;
    EXPECT_NE(xml.find("sliceLeft=\"1\" sliceRight=\"2\" sliceTop=\"0\" sliceBottom=\"1\" padLeft=\"0\" "
                       "padRight=\"1\" padTop=\"1\" padBottom=\"0\" />"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<frame name=\"walk_2\" x=\"0\" y=\"0\" w=\"4\" h=\"2\" />"), std::string::npos);
}
