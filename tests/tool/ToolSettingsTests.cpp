// The per-user settings file: forgiving reading, safe writing, the place
// taken from XDG_CONFIG_HOME.
#include "app/tool/ToolSettings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

struct ScratchConfig {
    ScratchConfig()
    {
        folder = std::filesystem::temp_directory_path() / ("qf-settings-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    ~ScratchConfig() { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

}

TEST(ToolSettings, SavedSettingsReadBackAndLiveUnderXdgConfigHome)
{
    ScratchConfig scratch;
    const std::string path = toolSettingsPath();
    EXPECT_EQ(path, (scratch.folder / "quiltforger" / "settings.ini").string());
    EXPECT_EQ(loadToolSettings(path), ToolSettings{});  // missing: the defaults

    ToolSettings settings;
    settings.mode = PackDown;
    settings.centre = true;
    settings.tight = false;
    settings.spacing = 17;
    settings.largest = 4096;
    settings.folders["add"] = "/home/artist/sprites";
    settings.folders["save"] = "/tmp/out dir";
    std::string error;
    ASSERT_TRUE(saveToolSettings(path, settings, &error)) << error;
    EXPECT_EQ(loadToolSettings(path), settings);
    // Written through a temporary file: nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.folder / "quiltforger"),
                            std::filesystem::directory_iterator()),
              1);
    // A relative XDG_CONFIG_HOME is ignored, as the XDG base directory rules ask.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        EXPECT_EQ(toolSettingsPath(), std::string(home) + "/.config/quiltforger/settings.ini");
    }
}

namespace {

ToolSettings layoutSettings(PackMode mode, bool centre, bool tight, std::uint32_t spacing, std::uint32_t largest = 16384)
{
    ToolSettings settings;
    settings.mode = mode;
    settings.centre = centre;
    settings.tight = tight;
    settings.spacing = spacing;
    settings.largest = largest;
    return settings;
}

}

TEST(ToolSettings, DamagedValuesGiveTheirDefaults)
{
    const struct {
        const char* text;
        ToolSettings expected;
    } cases[] = {
        {"", ToolSettings{}},
        {"\x01\x02garbage\nmode=sideways\ncentre=yes\ntight=2\nspacing=-4\n", ToolSettings{}},
        {"spacing=99999999999999\nspacing=4097\nfolder.add=relative/path\n=x\n", ToolSettings{}},
        {"mode=right\r\ncentre=1\r\nspacing=4096\r\n", layoutSettings(PackRight, true, true, 4096)},
        {"compression=max\nquality=101\nquality=-2\njpegFlatten=yes\njpegFlattenColour=#12345\n", ToolSettings{}},
        {"pivot=0.5\npivot=a,1\nscales=2,0\nscales=2 @x, 1 @x\nscales=2 @a\x01" "b\n", ToolSettings{}},
        // A side not among the choices keeps the one read before it.
        {"mode=best\nlargest=2048\nlargest=3000\nlargest=02048\nmode=fifth\n",
         layoutSettings(PackBest, false, true, 0, 2048)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseToolSettings(c.text), c.expected) << c.text;
    ToolSettings best = layoutSettings(PackBest, false, true, 0, 1024);
    // Every further option and the recent projects come back too.
    best.trim = best.alias = best.bleed = best.premultiply = best.pot = best.square = best.pages = true;
    best.rotate = best.gdxAtlas = best.jsonArray = best.phaser3 = best.recursive = best.flatten = true;
    best.animations = false;
    best.extrude = 3;
    best.border = 0;
    best.order = NameOrder::Bytes;
    best.compression = ImageCompression::Fast;
    best.quality = 0;
    best.jpegFlatten = true;
    best.jpegFlattenColour = 0xa0b1c2;
    best.recentProjects = {"/p/b.qfproj", "/p/a.qfproj"};
    best.pivot = SpritePivot{0.25, 1};
    best.variants = {{2, ""}, {0.5, "@half"}, {1, "@1x"}, {4, "@4x"}};
    EXPECT_EQ(parseToolSettings(formatToolSettings(best)), best);

    ScratchConfig scratch;
    const std::string path = toolSettingsPath();
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::create_directories(path);  // a folder where the file should be
    EXPECT_EQ(loadToolSettings(path), ToolSettings{});
}
