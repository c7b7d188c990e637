// Atlas JSON description: the exact text for the two-image example, and
// names escaped or refused so the text is always valid JSON.
#include "app/pack/AtlasJson.h"
#include "app/pack/CPacker.h"
#include "image/CImage.h"

#include <gtest/gtest.h>

namespace {

// One 2 x 3 image per name, packed in a row with the defaults.
struct NamedAtlas {
    explicit NamedAtlas(const std::vector<std::string>& names)
    {
        pictures.resize(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            pictures[i].create(2, 3, 4, 32);
            images.push_back(AtlasImage{String(names[i].c_str()), &pictures[i]});
            PackEntry entry;
            entry.name = images.back().name;
            entry.width = 2;
            entry.height = 3;
            packer.insertEntry(packer.count(), entry);
        }
        packer.packCanvas(true);
    }
    bool json(std::string& text, std::string* error = nullptr) const
    {
        return atlasJsonText("out/sheet.TGA", packer, images, 64, 32, text, error);
    }

    std::vector<CImage> pictures;
    std::vector<AtlasImage> images;
    CPacker packer;
};

}

TEST(AtlasJson, HashLayoutText)
{
    NamedAtlas atlas({"hero.png", "coin.png"});
    std::string text;
    ASSERT_TRUE(atlas.json(text));
    const std::string frame = "\"rotated\": false, \"trimmed\": false, \"spriteSourceSize\": {\"x\": 0, \"y\": 0, "
                              "\"w\": 2, \"h\": 3}, \"sourceSize\": {\"w\": 2, \"h\": 3}}";
    EXPECT_EQ(text, "{\"frames\": {\n"
                    "\t\"hero.png\": {\"frame\": {\"x\": 0, \"y\": 0, \"w\": 2, \"h\": 3}, " + frame + ",\n"
                    "\t\"coin.png\": {\"frame\": {\"x\": 2, \"y\": 0, \"w\": 2, \"h\": 3}, " + frame + "},\n"
                    "\"meta\": {\"app\": \"Quilt Forger\", \"version\": \"" QF_VERSION "\", \"image\": \"sheet.TGA\", "
                    "\"format\": \"RGBA8888\", \"size\": {\"w\": 64, \"h\": 32}, \"scale\": \"1\"}\n}\n");
    EXPECT_EQ(atlasJsonPath("out/sheet.TGA"), "out/sheet.json");
}

TEST(AtlasJson, NamesAreEscapedOrRefused)
{
    std::string text;
    NamedAtlas escaped({"a\"b\\c\x01\x7f.png", "\xF0\x9F\x98\x80\xC3\xA9.png"});
    ASSERT_TRUE(escaped.json(text));
    EXPECT_NE(text.find("\"a\\\"b\\\\c\\u0001\\u007f.png\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"\xF0\x9F\x98\x80\xC3\xA9.png\""), std::string::npos);

    // Latin-1, an overlong "/", a UTF-16 surrogate, past U+10FFFF, cut short.
    for (const char* bad : {"caf\xE9.png", "\xC0\xAF.png", "\xED\xA0\x80.png", "\xF4\x90\x80\x80.png", "x.png\xE2\x82"}) {
        NamedAtlas refused({"ok.png", bad});
        std::string error;
        text = "untouched";
        EXPECT_FALSE(refused.json(text, &error)) << bad;
        EXPECT_EQ(text, "untouched");
        EXPECT_NE(error.find("not UTF-8"), std::string::npos) << error;
    }
}
