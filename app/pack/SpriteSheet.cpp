// Sprite preparation: trim rectangles, alias groups and picture sizes.
#include "app/pack/SpriteSheet.h"

#include "app/pack/SpritePixels.h"
#include "image/CImage.h"

#include <algorithm>
#include <unordered_map>

SpriteSheet prepareSprites(const std::vector<AtlasImage>& images, const SpriteOptions& options)
{
    SpriteSheet sheet;
    sheet.images.reserve(images.size());
    sheet.pictures.reserve(images.size());
    const std::uint32_t extrude = std::min(options.extrude, maxExtrude);
    // Pictures by hash: indexes into sheet.images of the owners.
    std::unordered_map<std::uint64_t, std::vector<std::size_t>> owners;
    std::vector<PixelRect> kept;
    kept.reserve(images.size());
    for (const AtlasImage& input : images) {
        AtlasImage image = input;
        image.layoutName = String();
        image.trim.reset();
        image.extrude = extrude;
        const CImage* pixels = image.image;
        PixelRect rect = pixels ? PixelRect{0, 0, pixels->getWidth(), pixels->getHeight()} : PixelRect{};
        // A nine-slice picture keeps its margins: its borders count from its edges.
        if (pixels && options.trim && !image.meta.nineSlice) {
            const PixelRect bounds = trimBounds(*pixels);
            if (bounds != rect) {
                image.trim = AtlasTrim{std::int32_t(bounds.x), std::int32_t(bounds.y), std::int32_t(bounds.w),
                                       std::int32_t(bounds.h), std::int32_t(rect.w), std::int32_t(rect.h)};
                rect = bounds;
            }
        }
        kept.push_back(rect);

        if (pixels && pixels->getData() && options.alias) {
            std::vector<std::size_t>& candidates = owners[pictureHash(*pixels, rect)];
            const auto owner = std::find_if(candidates.begin(), candidates.end(), [&](std::size_t k) {
                return samePicture(*sheet.images[k].image, kept[k], *pixels, rect);
            });
            if (owner != candidates.end()) {
                image.layoutName = sheet.images[*owner].name;
                sheet.pictureOf.push_back(sheet.pictureOf[*owner]);
                ++sheet.aliased;
                sheet.images.push_back(std::move(image));
                continue;
            }
            candidates.push_back(sheet.images.size());
        }

        sheet.pictureOf.push_back(sheet.pictures.size());
        sheet.pictures.push_back({image.name, static_cast<std::int32_t>(rect.w + 2 * extrude),
                                  static_cast<std::int32_t>(rect.h + 2 * extrude)});
        sheet.pictureArea += std::uint64_t(rect.w) * rect.h;
        sheet.images.push_back(std::move(image));
    }
    return sheet;
}

std::vector<AtlasImage> SpriteSheet::pageImages(const AtlasLayout& layout, std::uint32_t page) const
{
    std::vector<AtlasImage> onPage;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::size_t picture = pictureOf[i];
        if (picture < layout.frames.size() && layout.frames[picture].page == std::int32_t(page))
            onPage.push_back(images[i]);
    }
    return onPage;
}
