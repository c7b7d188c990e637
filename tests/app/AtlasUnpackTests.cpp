// Atlas unpack: cutting frames back out, output names, confinement to the
// output folder, and the failures that stop it.
#include "AtlasTestFiles.h"

#include "app/pack/AtlasSave.h"
#include "app/pack/AtlasUnpack.h"
#include "app/pack/CPacker.h"

#include <cstring>

namespace {

// Saves an atlas of the given pictures (named by `names`) as `atlasPath`.
void saveTestAtlas(const std::string& atlasPath, const std::vector<std::string>& names,
                   const std::vector<const CImage*>& pictures)
{
    CPacker packer;
    std::vector<AtlasImage> images;
    for (std::size_t i = 0; i < names.size(); ++i) {
        images.push_back({names[i].c_str(), pictures[i]});
        PackEntry entry;
        entry.name = names[i].c_str();
        entry.width = std::int32_t(pictures[i]->getWidth());
        entry.height = std::int32_t(pictures[i]->getHeight());
        packer.insertEntry(packer.count(), entry);
    }
    packer.setSpacing(1);
    const auto canvas = packer.packCanvas(true);
    ASSERT_TRUE(canvas);
    std::string error;
    ASSERT_TRUE(saveAtlas(atlasPath, packer, images, canvas->width, canvas->height, &error)) << error;
}

CImage readPicture(const std::string& path)
{
    CImage image;
    EXPECT_TRUE(image.adopt(readPngFile(path.c_str()))) << path;
    return image;
}

void expectSamePixels(const CImage& a, const CImage& b)
{
    ASSERT_EQ(a.getWidth(), b.getWidth());
    ASSERT_EQ(a.getHeight(), b.getHeight());
    ASSERT_EQ(a.getBitsPerPixel(), b.getBitsPerPixel());
    EXPECT_EQ(0, std::memcmp(a.getData(), b.getData(), a.getDataSize()));
}

// A 4 x 4 RGBA atlas "atlas.png" next to a description with the given frames.
void writeHandMadeAtlas(const AtlasScratch& scratch, const std::string& frames)
{
    const CImage atlas = makePicture(4, 4, 4, 1);
    writePicture(scratch.file("atlas.png"), atlas);
    writeFile(scratch.file("atlas.xml"), "<?xml version=\"1.0\"?>\n<sprite file=\"atlas.png\" name=\"atlas\">" +
                                             frames + "</sprite>");
}

}

TEST(AtlasUnpack, RoundTripGivesBackTheSamePixels)
{
    AtlasScratch scratch;
    const CImage hero = makePicture(32, 48, 4, 10);
    const CImage coin = makePicture(16, 16, 4, 20);
    saveTestAtlas(scratch.file("atlas.png"), {"hero.png", "coin.png"}, {&hero, &coin});
    std::filesystem::create_directory(scratch.file("out"));

    AtlasUnpackReport report;
    ASSERT_TRUE(unpackAtlas(scratch.file("atlas.xml"), scratch.file("out"), report)) << report.error;
    EXPECT_EQ(report.written, (std::vector<std::string>{scratch.file("out/hero.png"), scratch.file("out/coin.png")}));
    expectSamePixels(readPicture(scratch.file("out/hero.png")), hero);
    expectSamePixels(readPicture(scratch.file("out/coin.png")), coin);

    // Without an output folder the frames land next to the description.
    ASSERT_TRUE(unpackAtlas(scratch.file("atlas.xml"), "", report));
    EXPECT_TRUE(std::filesystem::exists(scratch.file("hero.png")));
}

TEST(AtlasUnpack, OutputsTakeTheAtlasFormat)
{
    AtlasScratch scratch;
    const CImage hero = makePicture(5, 7, 4, 10);
    saveTestAtlas(scratch.file("atlas.bmp"), {"hero.png"}, {&hero});
    AtlasUnpackReport report;
    ASSERT_TRUE(unpackAtlas(scratch.file("atlas.xml"), "", report)) << report.error;
    const CImage out = readPicture(scratch.file("hero.png"));
    EXPECT_EQ(out.getBitsPerPixel(), 24u);
    EXPECT_EQ(pixelAt(out, 4, 6)[0], 14);
    EXPECT_EQ(pixelAt(out, 4, 6)[1], 6);
}

TEST(AtlasUnpack, UnnamedFramesAreNumberedAndLaterNamesOverwrite)
{
    AtlasScratch scratch;
    writeHandMadeAtlas(scratch, "<frame name=\"a\" w=\"1\" h=\"1\"/><frame w=\"2\" h=\"1\"/>"
                                "<frame name=\"b\" w=\"1\" h=\"1\"/><frame w=\"3\" h=\"1\"/>"
                                "<frame name=\"a\" x=\"1\" w=\"2\" h=\"2\"/>");
    AtlasUnpackReport report;
    ASSERT_TRUE(unpackAtlas(scratch.file("atlas.xml"), "", report)) << report.error;
    EXPECT_EQ(scratch.list(), (std::vector<std::string>{"1.png", "2.png", "a.png", "atlas.png", "atlas.xml",
                                                        "b.png"}));
    EXPECT_EQ(readPicture(scratch.file("2.png")).getWidth(), 3u);
    EXPECT_EQ(readPicture(scratch.file("a.png")).getWidth(), 2u); // the later "a"
}

TEST(AtlasUnpack, FramesNeverEscapeTheOutputFolder)
{
    AtlasScratch scratch;
    std::filesystem::create_directory(scratch.file("out"));
    writeHandMadeAtlas(scratch, "<frame name=\"../escaped\" w=\"1\" h=\"1\"/>"
                                "<frame name=\"" + scratch.file("absolute") + "\" w=\"1\" h=\"1\"/>"
                                "<frame name=\"sub\\dir\" w=\"1\" h=\"1\"/>"
                                "<frame name=\"..\" w=\"1\" h=\"1\"/>"
                                "<frame name=\"ok\" w=\"1\" h=\"1\"/>");
    AtlasUnpackReport report;
    EXPECT_FALSE(unpackAtlas(scratch.file("atlas.xml"), scratch.file("out"), report));
    EXPECT_TRUE(report.error.empty());
    ASSERT_EQ(report.refused.size(), 3u);
    EXPECT_NE(report.refused[0].find("../escaped"), std::string::npos);
    EXPECT_NE(report.refused[0].find("folder separator"), std::string::npos);
    // ".." becomes "...png", a plain name inside the folder.
    EXPECT_FALSE(std::filesystem::exists(scratch.file("escaped.png")));
    EXPECT_FALSE(std::filesystem::exists(scratch.file("absolute.png")));
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(scratch.file("out")))
        out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, (std::vector<std::string>{"...png", "ok.png"}));
}

TEST(AtlasUnpack, AtlasFileIsFoundRelativeToTheDescription)
{
    AtlasScratch scratch;
    std::filesystem::create_directories(scratch.file("sheets/img"));
    const CImage picture = makePicture(2, 2, 4, 3);
    writePicture(scratch.file("sheets/img/atlas.png"), picture);
    writeFile(scratch.file("sheets/atlas.xml"), "<sprite file=\"img/atlas.png\"><frame name=\"f\"/></sprite>");
    AtlasUnpackReport report;
    ASSERT_TRUE(unpackAtlas(scratch.file("sheets/atlas.xml"), "", report)) << report.error;
    expectSamePixels(readPicture(scratch.file("sheets/f.png")), picture);
}

TEST(AtlasUnpack, FramesReachingPastTheAtlasAreRefused)
{
    // A frame must lie inside its atlas image: one that reaches past it
    // (a hostile description can ask for 16384 x 16384 from 4 x 4) is
    // refused by name and not written; the frames inside are.
    AtlasScratch scratch;
    writeHandMadeAtlas(scratch, "<frame name=\"edge\" x=\"2\" y=\"3\" w=\"4\" h=\"3\"/>"
                                "<frame name=\"outside\" x=\"9\" y=\"9\" w=\"2\" h=\"2\"/>"
                                "<frame name=\"inside\" x=\"2\" y=\"3\" w=\"1\" h=\"1\"/>");
    AtlasUnpackReport report;
    EXPECT_FALSE(unpackAtlas(scratch.file("atlas.xml"), "", report));
    ASSERT_EQ(report.refused.size(), 2u);
    EXPECT_NE(report.refused[0].find("\"edge\" not written: its rectangle"), std::string::npos) << report.refused[0];
    EXPECT_NE(report.refused[1].find("\"outside\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(scratch.file("edge.png")));
    EXPECT_FALSE(std::filesystem::exists(scratch.file("outside.png")));
    EXPECT_EQ(pixelAt(readPicture(scratch.file("inside.png")), 0, 0)[0], 3); // atlas (2, 3)
}

TEST(AtlasUnpack, StopsWithoutOutputWhenTheDescriptionOrAtlasIsUnusable)
{
    AtlasScratch scratch;
    AtlasUnpackReport report;
    EXPECT_FALSE(unpackAtlas(scratch.file("missing.xml"), "", report));
    EXPECT_NE(report.error.find("missing.xml"), std::string::npos);

    writeFile(scratch.file("bad.xml"), "<sprite file=\"a.png\"><frame name=\"x\"></oops></sprite>");
    EXPECT_FALSE(unpackAtlas(scratch.file("bad.xml"), "", report));
    EXPECT_FALSE(report.error.empty());

    writeFile(scratch.file("texture.xml"), "<texture file=\"a.png\"/>");
    EXPECT_FALSE(unpackAtlas(scratch.file("texture.xml"), "", report));
    EXPECT_NE(report.error.find("no sprite"), std::string::npos) << report.error;

    writeFile(scratch.file("gif.xml"), "<sprite file=\"a.gif\"><frame name=\"x\"/></sprite>");
    EXPECT_FALSE(unpackAtlas(scratch.file("gif.xml"), "", report));
    EXPECT_NE(report.error.find("a.gif"), std::string::npos) << report.error;

    writeFile(scratch.file("gone.xml"), "<sprite file=\"gone.png\"><frame name=\"x\"/></sprite>");
    EXPECT_FALSE(unpackAtlas(scratch.file("gone.xml"), "", report));
    EXPECT_NE(report.error.find("gone.png"), std::string::npos) << report.error;

    writeFile(scratch.file("broken.png"), "not a png at all");
    writeFile(scratch.file("broken.xml"), "<sprite file=\"broken.png\"><frame name=\"x\"/></sprite>");
    EXPECT_FALSE(unpackAtlas(scratch.file("broken.xml"), "", report));
    EXPECT_NE(report.error.find("PNG"), std::string::npos) << report.error;

    EXPECT_FALSE(std::filesystem::exists(scratch.file("x.png")));
}

TEST(AtlasUnpack, RefusesEmptyAndOversizedFrames)
{
    AtlasScratch scratch;
    writeHandMadeAtlas(scratch, "<frame name=\"empty\" w=\"0\" h=\"2\"/>"
                                "<frame name=\"huge\" w=\"100000\" h=\"100000\"/>"
                                "<frame name=\"fine\" w=\"2\" h=\"2\"/>");
    AtlasUnpackReport report;
    EXPECT_FALSE(unpackAtlas(scratch.file("atlas.xml"), "", report));
    EXPECT_EQ(report.refused.size(), 2u);
    EXPECT_EQ(report.written, std::vector<std::string>{scratch.file("fine.png")});
}

TEST(AtlasUnpack, NamesFramesWithImpossibleNumbersAndTakesLongNames)
{
    AtlasScratch scratch;
    const std::string longName(246, 'n'); // 250 bytes with ".png"
    writeHandMadeAtlas(scratch, "<frame name=\"up\" y=\"-2\" w=\"2\" h=\"2\"/>"
                                "<frame array=\"2,1\" x=\"2147483647\" w=\"1\" h=\"1\"/>"
                                "<frame name=\"" + longName + "\" w=\"2\" h=\"2\"/>");
    AtlasUnpackReport report;
    EXPECT_FALSE(unpackAtlas(scratch.file("atlas.xml"), "", report));
    ASSERT_EQ(report.refused.size(), 3u);
    EXPECT_EQ(report.refused[0], "frame \"up\" not written: a coordinate or size is negative");
    EXPECT_EQ(report.refused[1], "frame \"1\" not written: its rectangle reaches beyond 2^31 pixels");
    EXPECT_EQ(report.written, std::vector<std::string>{scratch.file(longName + ".png")});
    EXPECT_EQ(scratch.list().size(), 3u); // atlas.png, atlas.xml and the frame: no temporaries
}
