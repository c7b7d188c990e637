// The window tool's preview arithmetic (zoom steps, zooming about the
// pointer, drag limits, turned frames) and its status texts, without a
// window.
#include "app/AtlasTestFiles.h"
#include "app/pack/SpritePixels.h"
#include "app/tool/CAtlasPreview.h"
#include "app/tool/CPreviewFrames.h"
#include "app/tool/StatusLine.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

CAtlasPreview previewOf(float atlasWidth, float atlasHeight)
{
    CAtlasPreview view;
    view.setArea(PreviewArea{0.0f, 20.0f, 600.0f, 560.0f});
    view.setAtlasSize(atlasWidth, atlasHeight);
    view.home();
    return view;
}

}

TEST(CAtlasPreview, ZoomStepsRunFromTheFitToEightTimesThroughOneToOne)
{
    CAtlasPreview view = previewOf(2400.0f, 1120.0f); // fit: 600 / 2400 = 0.25
    EXPECT_FLOAT_EQ(view.fitZoom(), 0.25f);
    EXPECT_FLOAT_EQ(view.getZoom(), 1.0f);
    struct Step {
        float from;
        float in;
        float out;
    };
    const Step steps[] = {{1.0f, 1.41421356f, 0.70710678f}, {2.0f, 2.82842712f, 1.41421356f},
                          {8.0f, 8.0f, 5.65685425f},        {0.25f, 0.35355339f, 0.25f},
                          {0.3f, 0.35355339f, 0.25f}};
    for (const Step& step : steps) {
        view.zoomAround(step.from, 300.0f, 300.0f);
        EXPECT_NEAR(view.zoomInStep(), step.in, 1e-4f) << step.from;
        EXPECT_NEAR(view.zoomOutStep(), step.out, 1e-4f) << step.from;
    }
    // Beyond the range is clamped; a small atlas is never magnified to fit.
    view.zoomAround(100.0f, 0.0f, 20.0f);
    EXPECT_FLOAT_EQ(view.getZoom(), 8.0f);
    view.zoomAround(0.01f, 0.0f, 20.0f);
    EXPECT_FLOAT_EQ(view.getZoom(), 0.25f);
    EXPECT_FLOAT_EQ(previewOf(100.0f, 100.0f).fitZoom(), 1.0f);
}

TEST(CAtlasPreview, ZoomKeepsThePointUnderThePointerAndDragStaysInLimits)
{
    CAtlasPreview view = previewOf(1024.0f, 1024.0f);
    // Atlas pixel (150, 100) lies under window point (150, 120) at 1:1.
    view.zoomAround(2.0f, 150.0f, 120.0f);
    EXPECT_FLOAT_EQ(view.atlasX(150.0f), 150.0f);
    EXPECT_FLOAT_EQ(view.atlasY(120.0f), 100.0f);
    EXPECT_FLOAT_EQ(view.shownWidth(), 2048.0f);

    // Dragged past the corner or the far edges: stopped there.
    view.moveTo(50.0f, 70.0f);
    EXPECT_FLOAT_EQ(view.getOriginX(), 0.0f);
    EXPECT_FLOAT_EQ(view.getOriginY(), 20.0f);
    view.moveTo(-5000.0f, -5000.0f);
    EXPECT_FLOAT_EQ(view.getOriginX(), 600.0f - 2048.0f);
    EXPECT_FLOAT_EQ(view.getOriginY(), 580.0f - 2048.0f);
    // Zooming out near the far edge pulls the atlas back into the area.
    view.zoomAround(1.0f, 590.0f, 570.0f);
    EXPECT_FLOAT_EQ(view.getOriginX(), 600.0f - 1024.0f);
    EXPECT_FLOAT_EQ(view.getOriginY(), 580.0f - 1024.0f);
    // At the fit the whole atlas shows, pinned to the area's corner.
    view.zoomAround(view.fitZoom(), 300.0f, 300.0f);
    EXPECT_FLOAT_EQ(view.getOriginX(), 0.0f);
    EXPECT_FLOAT_EQ(view.getOriginY(), 20.0f);
    EXPECT_LE(view.shownHeight(), 560.0f);
}

TEST(StatusLine, TextsGroupNumbersAndWarnPastTheDeviceLimit)
{
    EXPECT_EQ(StatusLine::groupedNumber(0), "0");
    EXPECT_EQ(StatusLine::groupedNumber(999), "999");
    EXPECT_EQ(StatusLine::groupedNumber(1000), "1,000");
    EXPECT_EQ(StatusLine::groupedNumber(1234567), "1,234,567");
    EXPECT_EQ(StatusLine::atlasSummary(100, 50, 0, 1, 0), "");
    EXPECT_EQ(StatusLine::atlasSummary(2048, 772, 1000, 1, 2048ull * 772 * 87 / 100),
              "2048 \xC3\x97 772 \xC2\xB7 1,000 images \xC2\xB7 87.0 % covered");
    EXPECT_EQ(StatusLine::atlasSummary(64, 64, 1, 3, 64),
              "64 \xC3\x97 64 \xC2\xB7 1 image, 3 pages \xC2\xB7 1.6 % covered");
    EXPECT_FALSE(StatusLine::exceedsDeviceLimit(4096, 4096));
    EXPECT_TRUE(StatusLine::exceedsDeviceLimit(4097, 16));
    EXPECT_EQ(StatusLine::sideWarning(4096, 4096), "");
    EXPECT_NE(StatusLine::sideWarning(16, 4097).find("4096"), std::string::npos);
    EXPECT_EQ(StatusLine::saved("atlas.png", "atlas.xml", 2048, 772, 1000),
              "Saved atlas.png and atlas.xml: 2048 \xC3\x97 772, 1,000 images");
    EXPECT_EQ(StatusLine::unpacked(36, "/tmp/out"), "Unpacked 36 frames into /tmp/out");
    EXPECT_EQ(StatusLine::atlasSummary(64, 64, 2, 2, 2048, 64 * 64 * 2),
              "64 \xC3\x97 64 \xC2\xB7 2 images, 2 pages \xC2\xB7 25.0 % covered");
    EXPECT_EQ(StatusLine::atlasSummary(64, 64, 6, 1, 2048, 0, 3),
              "64 \xC3\x97 64 \xC2\xB7 6 images \xC2\xB7 3 animations \xC2\xB7 50.0 % covered");
    EXPECT_EQ(StatusLine::atlasSummary(64, 64, 2, 1, 2048, 0, 1),
              "64 \xC3\x97 64 \xC2\xB7 2 images \xC2\xB7 1 animation \xC2\xB7 50.0 % covered");
}

TEST(StatusLine, ImagesTooLargeAreNamedAndLongNamesKeepTheirEnds)
{
    const struct {
        std::vector<std::string> names;
        const char* text;
    } cases[] = {
        {{"a.png"}, "a.png is larger than the largest side (1024 px)"},
        {{"a.png", "b.png"}, "a.png and b.png are larger than the largest side (1024 px)"},
        {{"a.png", "b.png", "c.png", "d.png"}, "a.png, b.png and 2 more are larger than the largest side (1024 px)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatusLine::tooLarge(c.names, 1024), c.text);
    // 61 characters, two of them of two bytes: the first 32, "…", the last 15.
    std::string name(44, 'x');
    name += "frame_0001_\xC3\xA9\xC3\xA9.png";
    EXPECT_EQ(StatusLine::imageAt(name, 4, 2, 0, 0),
              std::string(32, 'x') + "\xE2\x80\xA6" + "ame_0001_\xC3\xA9\xC3\xA9.png  4 \xC3\x97 2 at 0, 0");
    EXPECT_EQ(StatusLine::pageControl(1, 3), "\xE2\x97\x80 Page 2 of 3 \xE2\x96\xB6");
}

// A turned frame's stored pixel comes from the picture pixel the save's
// turning puts there, either way round.
TEST(CPreviewFrames, TurnedFramesReadThePictureAsTheSaveTurnsIt)
{
    const CImage picture = makePicture(3, 5, 4, 7);
    for (const std::int8_t turn : {1, -1}) {
        CImage stored;
        turnPicture(picture, turn > 0, stored);
        PreviewFrame frame;
        frame.w = 5;
        frame.h = 3;
        frame.turned = turn;
        for (std::int32_t fy = 0; fy < frame.h; ++fy) {
            for (std::int32_t fx = 0; fx < frame.w; ++fx) {
                std::int32_t px = -1;
                std::int32_t py = -1;
                frame.pictureAt(fx, fy, px, py);
                ASSERT_TRUE(px >= 0 && px < 3 && py >= 0 && py < 5) << int(turn) << " " << fx << "," << fy;
                EXPECT_EQ(0, std::memcmp(pixelAt(stored, std::uint32_t(fx), std::uint32_t(fy)),
                                         pixelAt(picture, std::uint32_t(px), std::uint32_t(py)), 4))
                    << int(turn) << " " << fx << "," << fy;
            }
        }
    }
}
