// Scale variants: cells for the layout, and each variant's pages from it.
#include "app/pack/ScaleVariants.h"

#include "app/pack/AtlasFiles.h"
#include "image/ImageLimits.h"

#include <stb_image_resize.h>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

using i64 = std::int64_t;

// n * f rounded to nearest, halves up.
i64 roundScaled(i64 n, ScaleFraction f)
{
    return (2 * n * f.num + f.den) / (2 * f.den);
}

// A pixel option at factor f: 0 stays 0, anything else at least 1.
i64 scaledOption(i64 n, ScaleFraction f)
{
    return n == 0 ? 0 : std::max<i64>(1, roundScaled(n, f));
}

// A picture side at factor f: at least 1 unless it is 0.
i64 scaledSide(i64 n, ScaleFraction f)
{
    return n == 0 ? 0 : std::max<i64>(1, roundScaled(n, f));
}

// A position at the largest factor, floored to a variant.
i64 scaledDown(i64 x, ScaleFraction ratio)
{
    return x * ratio.num / ratio.den;
}

// The smallest cell side c with scaledDown(c) >= need.
i64 cellFor(i64 need, ScaleFraction ratio)
{
    return (need * ratio.den + ratio.num - 1) / ratio.num;
}

i64 powerOfTwoAtLeast(i64 value)
{
    i64 p = 1;
    while (p < value)
        p *= 2;
    return p;
}

// The kept rectangle of an image and its original size, at factor 1.
AtlasTrim trimOf(const AtlasImage& image)
{
    if (image.trim)
        return *image.trim;
    const auto w = static_cast<std::int32_t>(image.image ? image.image->getWidth() : 0);
    const auto h = static_cast<std::int32_t>(image.image ? image.image->getHeight() : 0);
    return {0, 0, w, h, w, h};
}

// The same at factor f (see the header).
AtlasTrim scaledTrim(const AtlasTrim& t, ScaleFraction f)
{
    AtlasTrim s;
    s.x = static_cast<std::int32_t>(roundScaled(t.x, f));
    s.y = static_cast<std::int32_t>(roundScaled(t.y, f));
    s.w = static_cast<std::int32_t>(scaledSide(t.w, f));
    s.h = static_cast<std::int32_t>(scaledSide(t.h, f));
    s.sourceWidth = static_cast<std::int32_t>(std::max<i64>(scaledSide(t.sourceWidth, f), i64(s.x) + s.w));
    s.sourceHeight = static_cast<std::int32_t>(std::max<i64>(scaledSide(t.sourceHeight, f), i64(s.y) + s.h));
    return s;
}

} // namespace

ScaleFraction scaleFractionOf(double factor)
{
    if (!(factor > 0 && factor <= 16))
        return {0, 1};
    ScaleFraction f{std::llround(factor * 1e6), 1000000};
    if (f.num == 0)
        return {0, 1};
    const i64 common = std::gcd(f.num, f.den);
    return {f.num / common, f.den / common};
}

bool hasScaleVariants(const PackSettings& settings)
{
    return !settings.variants.empty() &&
           !(settings.variants.size() == 1 && settings.variants[0].factor == 1.0 && settings.variants[0].suffix.empty());
}

std::string variantAtlasPath(const std::string& atlasPath, const std::string& suffix)
{
    const std::size_t stem = atlasPath.size() >= 4 ? atlasPath.size() - 4 : 0;
    return atlasPath.substr(0, stem) + suffix + atlasPath.substr(stem);
}

std::string scaleText(double factor)
{
    const ScaleFraction f = scaleFractionOf(factor);
    std::string text = std::to_string(f.num / f.den);
    i64 rest = f.num % f.den;
    if (rest == 0)
        return text;
    text += ".";
    // The denominator divides 10^6 (it may be 4 or 8 after reducing), so
    // six digits end the expansion.
    for (int digits = 0; rest != 0 && digits < 6; ++digits) {
        rest *= 10;
        text += static_cast<char>('0' + rest / f.den);
        rest %= f.den;
    }
    return text;
}

VariantPlan planScaleVariants(const SpriteSheet& sheet, const PackSettings& settings)
{
    VariantPlan plan;
    plan.variants = settings.variants;
    ScaleFraction largest{0, 1};
    for (const ScaleVariant& v : plan.variants) {
        const ScaleFraction f = scaleFractionOf(v.factor);
        if (f.num * largest.den > largest.num * f.den)
            largest = f;
    }
    const i64 extrude = std::min(settings.sprites.extrude, maxExtrude);
    for (const ScaleVariant& v : plan.variants) {
        VariantGeometry g;
        g.factor = scaleFractionOf(v.factor);
        g.ratio = {g.factor.num * largest.den, g.factor.den * largest.num};
        const i64 common = std::gcd(g.ratio.num, g.ratio.den);
        g.ratio = {g.ratio.num / std::max<i64>(1, common), g.ratio.den / std::max<i64>(1, common)};
        g.spacing = static_cast<std::int32_t>(scaledOption(settings.spacing, g.factor));
        g.extrude = static_cast<std::int32_t>(scaledOption(extrude, g.factor));
        g.margin = settings.border ? static_cast<std::int32_t>(scaledOption(*settings.border, g.factor)) : g.spacing;
        plan.geometry.push_back(g);
    }
    // A picture's cell: for every variant, its picture, extrusion and the
    // spacing after it, measured back at the largest factor.
    for (const LayoutImage& picture : sheet.pictures) {
        LayoutImage cell = picture;
        i64 width = 0, height = 0;
        for (const VariantGeometry& g : plan.geometry) {
            if (g.ratio.num <= 0)
                continue;
            const i64 w = scaledSide(picture.width, g.factor), h = scaledSide(picture.height, g.factor);
            if (w == 0 || h == 0)
                continue;
            width = std::max(width, cellFor(w + 2 * g.extrude + g.spacing, g.ratio));
            height = std::max(height, cellFor(h + 2 * g.extrude + g.spacing, g.ratio));
        }
        cell.width = static_cast<std::int32_t>(std::min<i64>(width, i64(maxImageSide) * 2));
        cell.height = static_cast<std::int32_t>(std::min<i64>(height, i64(maxImageSide) * 2));
        plan.cells.push_back(cell);
    }
    return plan;
}

LayoutOptions cellLayoutOptions(const PackSettings& settings, const VariantPlan& plan)
{
    LayoutOptions options;
    options.mode = settings.mode;
    options.alignment = settings.alignment;
    options.multipack = settings.multipack;
    options.rotate = settings.rotate && settings.mode == PackBest;
    options.border = 0;
    options.spacing = 0;
    options.tight = true;
    // The largest variant's canvas is its margins plus the cells less the
    // spacing after the last ones.
    i64 room = settings.maxSize;
    for (const VariantGeometry& g : plan.geometry) {
        if (g.ratio.num == g.ratio.den)
            room = i64(settings.maxSize) - 2 * g.margin + g.spacing;
    }
    options.maxSize = static_cast<std::uint32_t>(std::clamp<i64>(room, 1, maxImageSide));
    return options;
}

void resamplePicture(const CImage& source, std::uint32_t width, std::uint32_t height, CImage& out)
{
    out.clear();
    if (!source.getData() || width == 0 || height == 0 || source.getWidth() == 0 || source.getHeight() == 0)
        return;
    CImage rgba(source);
    if (rgba.getChannels() != 4)
        rgba.convertChannels(4);
    if (rgba.getBitsPerPixel() != 32)
        rgba.convertDepth(32);
    if (!rgba.getData() || rgba.getChannels() != 4 || rgba.getBitsPerPixel() != 32)
        return;
    if (!out.create(width, height, 4, 32))
        return;
    if (width == rgba.getWidth() && height == rgba.getHeight()) {
        out.blit(rgba, 0, 0);
        return;
    }
    // Rows bottom-up in and out: the resize does not care which way up.
    const int ok = stbir_resize_uint8_generic(
        rgba.getData(), static_cast<int>(rgba.getWidth()), static_cast<int>(rgba.getHeight()), 0, out.getData(),
        static_cast<int>(width), static_cast<int>(height), 0, 4, 3, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_DEFAULT,
        STBIR_COLORSPACE_LINEAR, nullptr);
    if (!ok)
        out.clear();
}

bool buildVariantPage(const SpriteSheet& sheet, const AtlasLayout& layout, const VariantPlan& plan,
                      std::size_t variant, std::uint32_t page, const PackSettings& settings, VariantPage& out,
                      std::string& error)
{
    const VariantGeometry& g = plan.geometry[variant];
    const ScaleFraction f = g.factor;
    out = VariantPage();
    // Entries: one per picture on the page, in input order.
    i64 right = 0, bottom = 0;
    for (std::size_t k = 0; k < sheet.pictures.size() && k < layout.frames.size(); ++k) {
        const LayoutFrame& frame = layout.frames[k];
        if (frame.page != std::int32_t(page))
            continue;
        const i64 w = scaledSide(sheet.pictures[k].width, f), h = scaledSide(sheet.pictures[k].height, f);
        PackEntry entry;
        entry.name = sheet.pictures[k].name;
        entry.x = static_cast<std::int32_t>(g.margin + scaledDown(frame.x, g.ratio));
        entry.y = static_cast<std::int32_t>(g.margin + scaledDown(frame.y, g.ratio));
        const i64 across = w == 0 || h == 0 ? 0 : (frame.rotated ? h : w) + 2 * g.extrude;
        const i64 down = w == 0 || h == 0 ? 0 : (frame.rotated ? w : h) + 2 * g.extrude;
        entry.width = static_cast<std::int32_t>(across);
        entry.height = static_cast<std::int32_t>(down);
        entry.rotated = frame.rotated;
        right = std::max(right, i64(entry.x) + across);
        bottom = std::max(bottom, i64(entry.y) + down);
        out.packer.insertEntry(out.packer.count(), entry);
    }
    i64 width = right + g.margin, height = bottom + g.margin;
    if (settings.pot) {
        width = powerOfTwoAtLeast(width);
        height = powerOfTwoAtLeast(height);
    }
    if (settings.square)
        width = height = std::max(width, height);
    if (width > maxImageSide || height > maxImageSide) {
        error = "the scale variant " + scaleText(plan.variants[variant].factor) + " would be " +
                std::to_string(width) + "x" + std::to_string(height) + " pixels, more than the largest image side (" +
                std::to_string(maxImageSide) + ")";
        return false;
    }
    out.width = static_cast<std::uint32_t>(width);
    out.height = static_cast<std::uint32_t>(height);

    // Images: each picture resampled from its kept rectangle and put at its
    // scaled offset in an image of the scaled original size. Images that
    // share a picture are not drawn, so they get a blank image of that size.
    for (const AtlasImage& image : sheet.pageImages(layout, page)) {
        const AtlasTrim kept = trimOf(image);
        const AtlasTrim scaled = scaledTrim(kept, f);
        AtlasImage v = image;
        v.extrude = static_cast<std::uint32_t>(g.extrude);
        v.trim.reset();
        if (image.trim)
            v.trim = scaled;
        if (auto& slice = v.meta.nineSlice) {
            slice->left = static_cast<std::int32_t>(roundScaled(slice->left, f));
            slice->right = static_cast<std::int32_t>(roundScaled(slice->right, f));
            slice->top = static_cast<std::int32_t>(roundScaled(slice->top, f));
            slice->bottom = static_cast<std::int32_t>(roundScaled(slice->bottom, f));
            if (auto& pad = slice->pad) {
                for (std::int32_t& side : *pad)
                    side = static_cast<std::int32_t>(roundScaled(side, f));
            }
        }
        auto pixels = std::make_unique<CImage>();
        const auto fullW = static_cast<std::uint32_t>(image.trim ? scaled.sourceWidth : scaled.w);
        const auto fullH = static_cast<std::uint32_t>(image.trim ? scaled.sourceHeight : scaled.h);
        if (image.image && image.image->getData() && fullW > 0 && fullH > 0) {
            if (!pixels->create(fullW, fullH, 4, 32)) {
                error = "not enough memory for the scale variant of " + toStdString(image.name);
                return false;
            }
            if (image.layoutName.length() == 0) {
                CImage picture;
                if (!picture.create(static_cast<std::uint32_t>(kept.w), static_cast<std::uint32_t>(kept.h), 4, 32)) {
                    error = "not enough memory for the scale variant of " + toStdString(image.name);
                    return false;
                }
                const CImage& source = *image.image;
                picture.blitRect(source, 0, 0, static_cast<std::uint32_t>(kept.x),
                                 source.getHeight() - static_cast<std::uint32_t>(kept.y + kept.h),
                                 static_cast<std::uint32_t>(kept.w), static_cast<std::uint32_t>(kept.h));
                CImage resized;
                resamplePicture(picture, static_cast<std::uint32_t>(scaled.w), static_cast<std::uint32_t>(scaled.h),
                                resized);
                if (!resized.getData()) {
                    error = "cannot resample " + toStdString(image.name);
                    return false;
                }
                const std::uint32_t at = image.trim ? static_cast<std::uint32_t>(scaled.x) : 0;
                const std::uint32_t atY = image.trim ? static_cast<std::uint32_t>(scaled.y) : 0;
                pixels->blit(resized, at, atY);
            }
        }
        v.image = pixels.get();
        out.pixels.push_back(std::move(pixels));
        out.images.push_back(std::move(v));
    }
    return true;
}
