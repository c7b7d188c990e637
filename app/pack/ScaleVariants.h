// ScaleVariants: one layout written at several resolutions (atlas@2x.png,
// atlas.png, atlas@0.5x.png), with every frame in the same relative place in
// each, so a game does not care which one it loaded.
//
// The sprites are prepared once at the images' own size (trimmed, aliased,
// without extrusion). Each picture then gets a cell for the layout, in
// pixels of the largest factor F: wide enough that, scaled down to any
// factor f by flooring (x * f / F), the cell still holds that factor's
// picture with its extrusion and spacing. Flooring is monotonic, so cells
// that do not overlap at F do not overlap at any factor, and the frames of
// every variant lie in their cells. All of this is integer arithmetic over
// the factors as fractions (six decimals), so every machine writes the same
// files.
//
// At factor f a picture of w x h pixels (trimmed) becomes
// max(1, round(w f)) x max(1, round(h f)); its offset in the original
// round(x f), round(y f); the original max(round(W f), offset + size).
// Spacing, extrusion and a set border become max(1, round(n f)) when they
// are not 0, so they never vanish. Nine-slice borders and paddings are
// rounded; pivots are fractions and stay. The pictures are resampled with
// stb_image_resize (cubic up, Mitchell down, edges clamped) with colour
// weighted by alpha, so transparent pixels lend no colour to their
// neighbours (no dark fringes); a factor giving the picture's own size
// copies it exactly.
//
// What it does not do: each variant's canvas is the used extent plus the
// margin (then rounded to powers of two or made square), whatever `tight`
// says; the exact modes lay out the cells too, so with variants every mode
// keeps its order but not its exact positions.
#pragma once

#include "app/pack/AtlasLayout.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/CPacker.h"
#include "app/pack/PackSettings.h"
#include "app/pack/SpriteSheet.h"
#include "image/CImage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A factor as the fraction num / den, den a power of ten up to 10^6.
struct ScaleFraction {
    std::int64_t num = 1;
    std::int64_t den = 1;
};

// The factor of a variant as a fraction; 0 / 1 for factors outside (0, 16].
ScaleFraction scaleFractionOf(double factor);

// Whether the settings ask for variants: any variant other than one at
// factor 1 with an empty suffix.
bool hasScaleVariants(const PackSettings& settings);

// The atlas path of a variant: the suffix before the ending
// ("atlas.png", "@2x" gives "atlas@2x.png").
std::string variantAtlasPath(const std::string& atlasPath, const std::string& suffix);

// The factor as descriptions write it: "2", "0.5", "0.333333".
std::string scaleText(double factor);

// The pixel options of one variant.
struct VariantGeometry {
    ScaleFraction factor;
    ScaleFraction ratio;        // factor / largest factor
    std::int32_t spacing = 0;
    std::int32_t margin = 0;
    std::int32_t extrude = 0;
};

// The sprites and cells of a pack with variants.
struct VariantPlan {
    std::vector<ScaleVariant> variants;    // as the settings give them
    std::vector<VariantGeometry> geometry; // per variant
    std::vector<LayoutImage> cells;        // per picture of the sheet, at the largest factor
};

// The geometry and the cells for `sheet` (prepared without extrusion).
VariantPlan planScaleVariants(const SpriteSheet& sheet, const PackSettings& settings);

// The layout options for the cells: the settings' mode and limits, no
// spacing or margin (both are in the cells and added per variant).
LayoutOptions cellLayoutOptions(const PackSettings& settings, const VariantPlan& plan);

// One page of one variant, ready for composeAtlas, saveAtlas and the
// description writers: the entries, the images (their pixels resampled and
// held here) and the canvas size.
struct VariantPage {
    CPacker packer;
    std::vector<AtlasImage> images;
    std::vector<std::unique_ptr<CImage>> pixels;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// Builds page `page` of variant `variant`. False with the reason when the
// canvas would exceed the largest image side or memory runs out.
bool buildVariantPage(const SpriteSheet& sheet, const AtlasLayout& layout, const VariantPlan& plan,
                      std::size_t variant, std::uint32_t page, const PackSettings& settings, VariantPage& out,
                      std::string& error);

// Resamples an 8-bit RGBA picture to width x height with colour weighted by
// alpha (stb_image_resize); other formats are converted to 8-bit RGBA first.
// `out` is empty when the sizes are 0 or memory runs out.
void resamplePicture(const CImage& source, std::uint32_t width, std::uint32_t height, CImage& out);
