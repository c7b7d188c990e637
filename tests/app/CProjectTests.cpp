// The project file: every setting survives a save and a load, paths move
// with the project's folder, what a newer version wrote is kept, and a
// damaged file is refused without touching the project.
#include "app/pack/CProject.h"

#include <gtest/gtest.h>

#include <string>

namespace {

PackSettings everySetting()
{
    PackSettings settings;
    settings.mode = PackBest;
    settings.alignment = AlignCentre;
    settings.spacing = 3;
    settings.tight = false;
    settings.maxSize = 2048;
    settings.pot = true;
    settings.square = true;
    settings.multipack = true;
    settings.border = 0;
    settings.rotate = true;
    settings.variants = {{2.0, "@2x"}, {0.5, ""}};
    settings.sprites = {true, true, 2, true, true};
    settings.animations = false;
    settings.pivot = SpritePivot{0.5, 1.0};
    settings.perSprite["hero/walk_1"].pivot = SpritePivot{0.25, 0.75};
    settings.perSprite["panel"].nineSlice = NineSlice{4, 5, 6, 7, std::array<std::int32_t, 4>{1, 2, 3, 4}};
    settings.order = NameOrder::Bytes;
    settings.recursive = true;
    settings.flatten = true;
    settings.inputs = {"/p/sprites", "/p/ui/ok button.png", "/elsewhere/a&b.png"};
    settings.atlasPath = "/p/out/atlas.png";
    settings.jsonArray = true;
    settings.gdxAtlas = true;
    settings.phaser3 = true;
    settings.frameOrder = {"b.png", "a.png"};
    settings.compression = ImageCompression::Best;
    settings.quality = 80;
    settings.jpegFlatten = true;
    settings.jpegFlattenColour = 0x12abef;
    return settings;
}

}

TEST(CProject, EverySettingComesBackAndPathsAreKeptRelative)
{
    CProject project;
    project.settings = everySetting();
    const std::string text = project.text("/p");
    EXPECT_NE(text.find("path=\"sprites\""), std::string::npos) << text;
    EXPECT_NE(text.find("path=\"../elsewhere/a&#38;b.png\""), std::string::npos) << text;
    EXPECT_NE(text.find("atlas=\"out/atlas.png\" formats=\"xml,json-array,atlas,phaser3\""), std::string::npos)
        << text;

    // Loaded from another folder, the relative paths follow the project.
    CProject moved;
    std::string error;
    ASSERT_TRUE(moved.parse(text, "/q", "moved.qfproj", error)) << error;
    EXPECT_EQ(moved.settings.inputs, (std::vector<std::string>{"/q/sprites", "/q/ui/ok button.png", "/elsewhere/a&b.png"}));
    EXPECT_EQ(moved.settings.atlasPath, "/q/out/atlas.png");
    EXPECT_EQ(moved.text("/q"), text);
    ASSERT_TRUE(moved.settings.border.has_value());
    EXPECT_EQ(*moved.settings.border, 0u);
    EXPECT_EQ(moved.settings.perSprite.at("panel").nineSlice->pad->at(3), 4);
    EXPECT_EQ(moved.settings.frameOrder, (std::vector<std::string>{"b.png", "a.png"}));
    EXPECT_EQ(moved.settings.compression, ImageCompression::Best);
    EXPECT_EQ(moved.settings.quality, 80);
    EXPECT_TRUE(moved.settings.jpegFlatten);
    EXPECT_EQ(moved.settings.jpegFlattenColour, 0x12abefu);

    // Defaults stay defaults: a project of nothing reads back as PackSettings{}.
    CProject empty;
    CProject again;
    ASSERT_TRUE(again.parse(empty.text("/p"), "/p", "empty.qfproj", error)) << error;
    EXPECT_EQ(again.text("/p"), empty.text("/p"));
    EXPECT_FALSE(again.settings.border.has_value());
    EXPECT_FALSE(again.settings.pivot.has_value());
}

TEST(CProject, WhatANewerVersionWroteIsKeptOnSave)
{
    const std::string newer = "<quiltforgerProject version=\"7\" colour=\"teal\">\n"
                              "<inputs recursive=\"1\" follow=\"links\"><input path=\"a.png\" tag=\"x\" /></inputs>\n"
                              "<layout spacing=\"2\" packer=\"quantum\" />\n"
                              "<hooks><after run=\"strip\" /></hooks>\n"
                              "</quiltforgerProject>";
    CProject project;
    std::string error;
    ASSERT_TRUE(project.parse(newer, "", "newer.qfproj", error)) << error;
    EXPECT_EQ(project.settings.spacing, 2u);
    project.settings.spacing = 5;
    const std::string text = project.text("");
    for (const char* kept : {"colour=\"teal\"", "follow=\"links\"", "tag=\"x\"", "packer=\"quantum\"",
                             "<after run=\"strip\" />", "spacing=\"5\""})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
}

TEST(CProject, DamagedFilesAreRefusedWithTheReasonAndChangeNothing)
{
    struct Case {
        const char* text;
        const char* reason;
    };
    const Case cases[] = {
        {"", "XML"},
        {"<quiltforgerProject><layout spacing=\"2\" />", "cut short"},
        {"<sprite><frame /></sprite>", "no Quilt Forger project"},
        {"<quiltforgerProject><layout spacing=\"-1\" /></quiltforgerProject>", "<layout> spacing=\"-1\""},
        {"<quiltforgerProject><layout spacing=\"99999999999999999999\" /></quiltforgerProject>", "0 to 4096"},
        {"<quiltforgerProject><layout mode=\"spiral\" /></quiltforgerProject>", "none of auto, right, down, best"},
        {"<quiltforgerProject><sprites trim=\"yes\" /></quiltforgerProject>", "is not 0 or 1"},
        {"<quiltforgerProject><sprites extrude=\"5000\" /></quiltforgerProject>", "0 to 4096"},
        {"<quiltforgerProject><sprites pivotX=\"nan\" /></quiltforgerProject>", "pivotX"},
        {"<quiltforgerProject><variants><variant factor=\"0\" /></variants></quiltforgerProject>", "above 0"},
        {"<quiltforgerProject><variants><variant factor=\"1e400\" /></variants></quiltforgerProject>", "factor"},
        {"<quiltforgerProject><variants><variant factor=\"2\" suffix=\"@2x/..\" /></variants></quiltforgerProject>",
         "folder separator"},
        {"<quiltforgerProject><variants><variant factor=\"2\" suffix=\"a&#10;b\" /></variants></quiltforgerProject>",
         "control character"},
        {"<quiltforgerProject><variants><variant factor=\"2\" /><variant factor=\"1\" /></variants></quiltforgerProject>",
         "both be written"},
        {"<quiltforgerProject><sprite name=\"a\" left=\"1\" /><sprite name=\"a\" /></quiltforgerProject>", "set twice"},
        {"<quiltforgerProject><inputs><input path=\"\" /></inputs></quiltforgerProject>", "names no file"},
        {"<quiltforgerProject><output formats=\"xml,gif\" /></quiltforgerProject>", "names gif"},
        {"<quiltforgerProject><output formats=\"json,json-array\" /></quiltforgerProject>", "both write"},
        {"<quiltforgerProject><output compression=\"max\" /></quiltforgerProject>", "none of fast, default, best"},
        {"<quiltforgerProject><output quality=\"101\" /></quiltforgerProject>", "0 to 100"},
        {"<quiltforgerProject><output jpegFlattenColour=\"#12345\" /></quiltforgerProject>", "#RRGGBB"},
        {"<!DOCTYPE a [<!ENTITY b \"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
         "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
         "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
         "<quiltforgerProject><inputs><input path=\"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\" /></inputs></quiltforgerProject>",
         "XML"},
    };
    for (const Case& c : cases) {
        CProject project;
        project.settings = everySetting();
        const std::string before = project.text("/p");
        std::string error;
        EXPECT_FALSE(project.parse(c.text, "/p", "broken.qfproj", error)) << c.text;
        EXPECT_EQ(error.rfind("broken.qfproj: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.text << " gave " << error;
        EXPECT_EQ(project.text("/p"), before) << c.text;
    }
}
