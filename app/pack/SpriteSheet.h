// Sprite preparation: what the sprite options make of the atlas images
// before they are laid out, shared by the window tool and the command line
// so that both save the same files for the same options.
//
//   SpriteOptions options;           // filled by the front end
//   SpriteSheet sheet = prepareSprites(images, options);
//   AtlasLayout layout = layoutAtlas(sheet.pictures, layoutOptions);
//   fillPagePacker(sheet.pictures, layout, page, packer);
//   saveAtlas(path, packer, sheet.pageImages(layout, page), width, height, options.finish(), &error);
//
// Trimming cuts every image to the smallest rectangle holding a pixel with
// alpha above 0 (SpritePixels.h trimBounds); a nine-slice image is never
// trimmed, its borders being counted from its edges. Aliasing packs images with the
// same pixels (after trimming) once: the first in the given order owns the
// picture, the others name its entry. Extrusion makes each picture's entry
// 2 x extrude wider and higher. Every option off leaves each image whole
// under its own name, which saves exactly what the atlas always was.
#pragma once

#include "app/pack/AtlasLayout.h"
#include "app/pack/AtlasSave.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct SpriteOptions {
    bool trim = false;         // cut transparent margins
    bool alias = false;        // identical pictures packed once
    std::uint32_t extrude = 0; // edge pixels repeated around each picture
    bool bleed = false;        // colour into fully transparent pixels
    bool premultiply = false;  // colour multiplied by alpha (no bleed then)

    AtlasFinish finish() const { return {bleed, premultiply}; }
};

// Largest extrusion the options take: far beyond any filter's reach, small
// enough that sizes stay far from overflow.
inline constexpr std::uint32_t maxExtrude = 4096;

struct SpriteSheet {
    // Every image, in the given order, ready for the save and the
    // descriptions (trim, shared entry, extrusion filled in).
    std::vector<AtlasImage> images;
    // One entry per picture to lay out, in the given order of their owners:
    // the owner's name and the picture's size with the extrusion.
    std::vector<LayoutImage> pictures;
    // For every image, the index of its picture in `pictures`.
    std::vector<std::size_t> pictureOf;
    // Images that share an earlier image's picture.
    std::size_t aliased = 0;
    // Pixels of the pictures laid out (trimmed, each shared picture once,
    // extrusion not counted): the atlas's useful area.
    std::uint64_t pictureArea = 0;

    // The images whose pictures the layout put on `page`, in the given
    // order: what the save and the descriptions of that page take.
    std::vector<AtlasImage> pageImages(const AtlasLayout& layout, std::uint32_t page) const;
};

// Prepares the images (each with pixels) for the options. Images without
// pixels are passed on whole and never shared. An extrusion above
// maxExtrude counts as maxExtrude.
SpriteSheet prepareSprites(const std::vector<AtlasImage>& images, const SpriteOptions& options);
