// Atlas save: the description's exact bytes, the image formats by ending,
// and writing through the safe writer.
#include "AtlasTestFiles.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/CPacker.h"
#include "image/BmpCodec.h"
#include "image/JpegCodec.h"
#include "image/TgaCodec.h"

namespace {

// hero.png (32 x 48) and coin.png (16 x 16), packed with the defaults.
struct HeroAndCoin {
    HeroAndCoin()
    {
        hero = makePicture(32, 48, 4, 10);
        coin = makePicture(16, 16, 3, 20);
        images = {{"hero.png", &hero}, {"coin.png", &coin}};
        for (const AtlasImage& image : images) {
            PackEntry entry;
            entry.name = image.name;
            entry.width = std::int32_t(image.image->getWidth());
            entry.height = std::int32_t(image.image->getHeight());
            packer.insertEntry(packer.count(), entry);
        }
        const auto canvas = packer.packCanvas(true);
        EXPECT_TRUE(canvas.has_value());
        width = canvas->width;
        height = canvas->height;
    }

    CImage hero;
    CImage coin;
    std::vector<AtlasImage> images;
    CPacker packer;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

bool hasTempFiles(const AtlasScratch& scratch)
{
    for (const std::string& name : scratch.list()) {
        if (name.rfind(".qf-", 0) == 0)
            return true;
    }
    return false;
}

}

TEST(AtlasSave, DescriptionIsByteExact)
{
    AtlasScratch scratch;
    HeroAndCoin atlas;
    std::string error;
    ASSERT_TRUE(saveAtlas(scratch.file("atlas.png"), atlas.packer, atlas.images, atlas.width, atlas.height, &error))
        << error;
    EXPECT_EQ(readFile(scratch.file("atlas.xml")),
              "<?xml version=\"1.0\"?>\n"
              "\n"
              "<sprite file=\"atlas.png\" name=\"atlas\">\n"
              "\t<frame name=\"hero\" x=\"0\" y=\"0\" w=\"32\" h=\"48\" />\n"
              "\t<frame name=\"coin\" x=\"32\" y=\"0\" w=\"16\" h=\"16\" />\n"
              "</sprite>");
    EXPECT_EQ(scratch.list(), (std::vector<std::string>{"atlas.png", "atlas.xml"}));
}

TEST(AtlasSave, FramesFollowTheOrderImagesWereAddedNotThePackingOrder)
{
    AtlasScratch scratch;
    HeroAndCoin atlas;
    // Pack coin first (as after moving it up in the list).
    CPacker packer;
    for (int i : {1, 0}) {
        PackEntry entry;
        entry.name = atlas.images[i].name;
        entry.width = std::int32_t(atlas.images[i].image->getWidth());
        entry.height = std::int32_t(atlas.images[i].image->getHeight());
        packer.insertEntry(packer.count(), entry);
    }
    const auto canvas = packer.packCanvas(true);
    ASSERT_TRUE(canvas);
    ASSERT_TRUE(saveAtlas(scratch.file("a.png"), packer, atlas.images, canvas->width, canvas->height, nullptr));
    const std::string text = readFile(scratch.file("a.xml"));
    EXPECT_NE(text.find("<frame name=\"hero\" x=\"16\" y=\"0\""), std::string::npos) << text;
    EXPECT_LT(text.find("hero"), text.find("coin"));
}

TEST(AtlasSave, EndingPicksFormatAndAlphaRules)
{
    AtlasScratch scratch;
    HeroAndCoin atlas;
    struct Case {
        const char* name;
        std::uint32_t bitsPerPixel;
        DecodedImage (*read)(const char*);
    };
    const Case cases[] = {{"a.bmp", 24, readBmpFile}, {"b.jpg", 24, readJpegFile},
                          {"c.png", 32, readPngFile}, {"d.tga", 32, readTgaFile},
                          {"e.PNG", 32, readPngFile}};
    // Hero's alpha would make the JPEG refused; flattening changes no other format.
    AtlasEncoding flatten;
    flatten.jpegFlatten = true;
    for (const Case& c : cases) {
        std::string error;
        ASSERT_TRUE(saveAtlas(scratch.file(c.name), atlas.packer, atlas.images, atlas.width, atlas.height,
                              AtlasFinish{}, flatten, &error))
            << c.name << ": " << error;
        CImage saved;
        ASSERT_TRUE(saved.adopt(c.read(scratch.file(c.name).c_str()))) << c.name;
        EXPECT_EQ(saved.getBitsPerPixel(), c.bitsPerPixel) << c.name;
        EXPECT_EQ(saved.getWidth(), 48u);
        EXPECT_EQ(saved.getHeight(), 48u);
        if (c.bitsPerPixel == 32) {
            EXPECT_EQ(pixelAt(saved, 3, 5)[3], 103) << c.name;  // hero's own alpha
            EXPECT_EQ(pixelAt(saved, 40, 5)[3], 255) << c.name; // 3-channel coin gets 255
            EXPECT_EQ(pixelAt(saved, 40, 30)[3], 0) << c.name;  // uncovered: transparent black
            EXPECT_EQ(pixelAt(saved, 40, 30)[0], 0) << c.name;
        }
        if (std::string(c.name) != "b.jpg") { // lossless formats keep every pixel
            EXPECT_EQ(pixelAt(saved, 3, 5)[0], 13) << c.name;
            EXPECT_EQ(pixelAt(saved, 3, 5)[1], 5) << c.name;
            EXPECT_EQ(pixelAt(saved, 33, 2)[2], 20) << c.name;
        }
    }
    // Upper-case ending: the name is kept as chosen, the description is e.xml.
    EXPECT_EQ(readFile(scratch.file("e.xml")).find("<sprite file=\"e.PNG\" name=\"e\">"), 23u);
    EXPECT_FALSE(hasTempFiles(scratch));
}

TEST(AtlasSave, JpegRefusesTransparencyUnlessFlattenedOntoAColour)
{
    AtlasScratch scratch;
    HeroAndCoin atlas;
    std::string error;
    EXPECT_FALSE(saveAtlas(scratch.file("a.jpg"), atlas.packer, atlas.images, atlas.width, atlas.height, &error));
    EXPECT_EQ(error.rfind("hero.png has pixels that are not opaque", 0), 0u) << error;
    EXPECT_TRUE(scratch.list().empty());

    AtlasEncoding flatten;
    flatten.jpegFlatten = true;
    flatten.flattenColour = 0x3366CC;
    ASSERT_TRUE(saveAtlas(scratch.file("a.jpg"), atlas.packer, atlas.images, atlas.width, atlas.height,
                          AtlasFinish{}, flatten, &error))
        << error;
    CImage saved;
    ASSERT_TRUE(saved.adopt(readJpegFile(scratch.file("a.jpg").c_str())));
    const auto near = [](int value, int expected) { return std::abs(value - expected) <= 4; };
    const std::uint8_t* empty = pixelAt(saved, 40, 30);
    EXPECT_TRUE(near(empty[0], 0x33) && near(empty[1], 0x66) && near(empty[2], 0xCC))
        << int(empty[0]) << " " << int(empty[1]) << " " << int(empty[2]);
    // Hero's red 13 at alpha 103 over 0x33: (13 x 103 + 51 x 152) / 255.
    EXPECT_TRUE(near(pixelAt(saved, 3, 5)[0], 36)) << int(pixelAt(saved, 3, 5)[0]);
}

TEST(AtlasSave, RefusesNamesWithoutAnImageEndingBeforeWriting)
{
    AtlasScratch scratch;
    HeroAndCoin atlas;
    for (const char* name : {"atlas.gif", "atlas", "png", "atlas.jpeg"}) {
        std::string error;
        EXPECT_FALSE(saveAtlas(scratch.file(name), atlas.packer, atlas.images, atlas.width, atlas.height, &error));
        EXPECT_NE(error.find("does not end with"), std::string::npos) << error;
    }
    EXPECT_TRUE(scratch.list().empty());
}

TEST(AtlasSave, FailedSaveLeavesNoTemporaryFiles)
{
    AtlasScratch scratch;
    HeroAndCoin atlas;
    std::string error;
    // Missing folder: nothing can be created.
    EXPECT_FALSE(saveAtlas(scratch.file("missing/atlas.png"), atlas.packer, atlas.images, atlas.width, atlas.height,
                           &error));
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    // A folder where the description should go: the rename fails late.
    std::filesystem::create_directory(scratch.file("atlas.xml"));
    writeFile(scratch.file("atlas.xml/keep"), "x");
    EXPECT_FALSE(saveAtlas(scratch.file("atlas.png"), atlas.packer, atlas.images, atlas.width, atlas.height, &error));
    EXPECT_FALSE(hasTempFiles(scratch));
    // An image the packer does not know: refused before writing.
    CImage stray = makePicture(4, 4, 4, 0);
    std::vector<AtlasImage> images = atlas.images;
    images.push_back({"stray.png", &stray});
    EXPECT_FALSE(saveAtlas(scratch.file("b.png"), atlas.packer, images, atlas.width, atlas.height, &error));
    EXPECT_NE(error.find("stray.png"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(scratch.file("b.png")));
}

TEST(AtlasFiles, PathPieces)
{
    EXPECT_EQ(fileNameOf("a/b\\c.png"), "c.png");
    EXPECT_EQ(fileNameOf("c.png"), "c.png");
    EXPECT_EQ(folderOf("a/b/c.png"), "a/b");
    EXPECT_EQ(folderOf("/c.png"), "/");
    EXPECT_EQ(folderOf("c.png"), "");
    EXPECT_EQ(atlasDescriptionPath("out/sheet.PNG"), "out/sheet.xml");
    const AtlasOutput output = AtlasOutput::parse("out\\in/sheet.PNG");
    EXPECT_EQ(output.folder, "out\\in");
    EXPECT_EQ(output.fileName, "sheet.PNG");
    EXPECT_EQ(output.stem, "sheet");
    EXPECT_EQ(output.format, ImageFileFormat::Png);
    EXPECT_EQ(atlasFrameName("hero.png"), String("hero"));
    EXPECT_EQ(atlasFrameName(".png"), String(""));
}

TEST(AtlasFiles, EndingsAreComparedInLowerCase)
{
    EXPECT_EQ(imageFormatByEnding("HERO.PNG"), ImageFileFormat::Png);
    EXPECT_EQ(imageFormatByEnding("dir.BMP/shot.Jpg"), ImageFileFormat::Jpeg);
    EXPECT_EQ(imageFormatByEnding("a.tGa"), ImageFileFormat::Tga);
    EXPECT_EQ(imageFormatByEnding("a.bmp "), ImageFileFormat::None);
    EXPECT_EQ(imageFormatByEnding("a.JPEG"), ImageFileFormat::None);
    std::uint32_t channels = 0;
    std::uint32_t bits = 0;
    ASSERT_TRUE(atlasFormatFor("sheet.JPG", channels, bits));
    EXPECT_EQ(channels, 3u);
    ASSERT_TRUE(atlasFormatFor("sheet.Tga", channels, bits));
    EXPECT_EQ(bits, 32u);
}
