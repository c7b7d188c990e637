// Scale variants: every variant's frames keep their relative places without
// overlapping, and resampling lends transparent pixels no colour.
#include "AtlasTestFiles.h"

#include "app/pack/ScaleVariants.h"
#include "app/pack/SpriteSheet.h"

#include <memory>
#include <random>

namespace {

struct VariantCase {
    const char* what;
    std::vector<double> factors;
    std::uint32_t spacing;
    std::uint32_t extrude;
    PackMode mode;
    bool rotate;
    bool trim;
};

// Opaque pictures of random sizes (with a transparent margin when trimmed).
std::vector<std::unique_ptr<CImage>> pictures(std::size_t count, bool margins)
{
    std::mt19937 rng(42);
    std::uniform_int_distribution<std::uint32_t> side(1, 40);
    std::vector<std::unique_ptr<CImage>> images;
    for (std::size_t i = 0; i < count; ++i) {
        auto image = std::make_unique<CImage>();
        const std::uint32_t w = side(rng), h = side(rng) / (i % 3 + 1) + 1;
        image->create(w + (margins ? 4 : 0), h + (margins ? 3 : 0), 4, 32);
        for (std::uint32_t y = 0; y < h; ++y) {
            for (std::uint32_t x = 0; x < w; ++x) {
                std::uint8_t* p = const_cast<std::uint8_t*>(pixelAt(*image, x + (margins ? 1 : 0), y + (margins ? 2 : 0)));
                p[0] = static_cast<std::uint8_t>(i * 17);
                p[3] = 255;
            }
        }
        std::string name = std::to_string(i);
        name += ".png";
        image->setName(String(name.c_str()));
        images.push_back(std::move(image));
    }
    return images;
}

bool overlap(const PackEntry& a, const PackEntry& b, std::int32_t gap)
{
    return a.x < b.x + b.width + gap && b.x < a.x + a.width + gap && a.y < b.y + b.height + gap &&
           b.y < a.y + a.height + gap;
}

}

TEST(ScaleVariants, FramesKeepTheirPlacesWithoutOverlapAtEveryFactor)
{
    const std::vector<VariantCase> cases = {
        {"halves and doubles, best fit", {2, 1, 0.5}, 2, 1, PackBest, false, true},
        {"odd factors, spacing 1 stays", {1, 0.33, 0.75}, 1, 0, PackBest, true, false},
        {"exact mode, tiny factor", {1.5, 0.1}, 3, 2, PackAuto, false, true},
    };
    for (const VariantCase& c : cases) {
        SCOPED_TRACE(c.what);
        const auto images = pictures(60, c.trim);
        std::vector<AtlasImage> inputs;
        for (const auto& image : images)
            inputs.push_back(AtlasImage{image->getName(), image.get()});
        PackSettings settings;
        settings.mode = c.mode;
        settings.rotate = c.rotate;
        settings.spacing = c.spacing;
        settings.sprites.extrude = c.extrude;
        settings.sprites.trim = c.trim;
        for (const double factor : c.factors)
            settings.variants.push_back({factor, scaleText(factor)});
        SpriteOptions sprites = settings.sprites;
        sprites.extrude = 0;
        const SpriteSheet sheet = prepareSprites(inputs, sprites);
        const VariantPlan plan = planScaleVariants(sheet, settings);
        const AtlasLayout layout = layoutAtlas(plan.cells, cellLayoutOptions(settings, plan));
        ASSERT_TRUE(layout.fits());
        std::vector<VariantPage> pages(c.factors.size());
        for (std::size_t v = 0; v < c.factors.size(); ++v) {
            std::string error;
            ASSERT_TRUE(buildVariantPage(sheet, layout, plan, v, 0, settings, pages[v], error)) << error;
        }
        const double largest = *std::max_element(c.factors.begin(), c.factors.end());
        const std::size_t top = static_cast<std::size_t>(
            std::max_element(c.factors.begin(), c.factors.end()) - c.factors.begin());
        for (std::size_t v = 0; v < c.factors.size(); ++v) {
            const VariantPage& page = pages[v];
            const VariantGeometry& g = plan.geometry[v];
            const double ratio = c.factors[v] / largest;
            EXPECT_EQ(g.spacing, c.spacing == 0 ? 0 : std::max<std::int32_t>(1, std::lround(c.spacing * c.factors[v])));
            ASSERT_EQ(page.packer.count(), pages[top].packer.count());
            for (std::uint32_t i = 0; i < page.packer.count(); ++i) {
                const PackEntry& e = page.packer.entry(i);
                const PackEntry& big = pages[top].packer.entry(i);
                // Same relative place: the cell corner scaled, within a pixel.
                EXPECT_NEAR(e.x - g.margin, (big.x - plan.geometry[top].margin) * ratio, 1.0);
                EXPECT_NEAR(e.y - g.margin, (big.y - plan.geometry[top].margin) * ratio, 1.0);
                EXPECT_EQ(e.rotated, big.rotated);
                EXPECT_LE(e.x + e.width + g.margin, std::int64_t(page.width));
                EXPECT_LE(e.y + e.height + g.margin, std::int64_t(page.height));
                EXPECT_GE(e.x, g.margin);
                for (std::uint32_t j = 0; j < i; ++j)
                    EXPECT_FALSE(overlap(e, page.packer.entry(j), g.spacing)) << "entries " << j << " and " << i;
            }
            // Every picture composes where its entry is.
            CImage atlas;
            atlas.create(page.width, page.height, 4, 32);
            std::string error;
            EXPECT_TRUE(composeAtlas(page.packer, page.images, atlas, &error)) << error;
        }
    }
}

TEST(ScaleVariants, DoubledLineHasNoDarkFringe)
{
    // A white line one pixel wide on transparent black, doubled and halved.
    CImage line;
    line.create(5, 7, 4, 32);
    for (std::uint32_t y = 0; y < 7; ++y) {
        std::uint8_t* p = const_cast<std::uint8_t*>(pixelAt(line, 2, y));
        p[0] = p[1] = p[2] = p[3] = 255;
    }
    for (const auto& [w, h] : {std::pair{10u, 14u}, std::pair{3u, 4u}, std::pair{13u, 7u}}) {
        CImage out;
        resamplePicture(line, w, h, out);
        ASSERT_EQ(out.getWidth(), w);
        std::uint32_t seen = 0;
        for (std::uint32_t y = 0; y < h; ++y) {
            for (std::uint32_t x = 0; x < w; ++x) {
                const std::uint8_t* p = pixelAt(out, x, y);
                if (p[3] == 0)
                    continue;
                ++seen;
                EXPECT_GE(std::min({p[0], p[1], p[2]}), 250) << w << "x" << h << " at " << x << "," << y;
            }
        }
        EXPECT_GT(seen, 0u);
    }
}

TEST(ScaleVariants, FactorsReadAsFractionsAndNames)
{
    EXPECT_EQ(scaleText(2), "2");
    EXPECT_EQ(scaleText(0.5), "0.5");
    EXPECT_EQ(scaleText(0.333333), "0.333333");
    EXPECT_EQ(scaleText(0.25), "0.25"); // reduced to 1/4, not a power of ten
    EXPECT_EQ(scaleText(1.875), "1.875");
    EXPECT_EQ(scaleFractionOf(0).num, 0);
    EXPECT_EQ(scaleFractionOf(16.5).num, 0);
    EXPECT_EQ(variantAtlasPath("out/atlas.png", "@2x"), "out/atlas@2x.png");
}
