// AtlasWriter: the one way a set of loaded images becomes files on disk,
// shared by the command line and the window tool so that both write the same
// bytes for the same settings.
//
// packAtlas prepares the sprites (trim, aliases, extrusion) and lays them out;
// writeAtlasSet writes every page with every description the settings ask
// for. Neither takes a lock, prints or reads inputs: the front ends do that.
#pragma once

#include "app/pack/AtlasLayout.h"
#include "app/pack/PackSettings.h"
#include "app/pack/SpriteSheet.h"
#include "image/CParallelDeflate.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The sprites of a pack and where the layout put them.
struct PackedAtlas {
    SpriteSheet sprites;
    AtlasLayout layout;
    std::string refused;        // why the set cannot be written (a sprite's details), or ""
    std::size_t animations = 0; // sequences among the frames (0 with settings.animations off)
};

// The layout's options as the settings give them.
LayoutOptions layoutOptionsFor(const PackSettings& settings);

// Gives the images their details (FrameDetails.h: pivots, nine-slices,
// animations), prepares them (each with pixels, in the user's order) and
// lays them out. The layout may not fit (`layout.fits()`); nothing is
// written.
PackedAtlas packAtlas(const std::vector<AtlasImage>& images, const PackSettings& settings);

// Puts the sheet's images (not its pictures, which keep the packing order)
// in the descriptions' frame order: the images `frameOrder` names first, in
// its order, then the others as they were. packAtlas applies it.
void orderFrames(SpriteSheet& sprites, const std::vector<std::string>& frameOrder);

// The atlas image of page `page`: the atlas path itself without multipack,
// "atlas-<page + 1>.png" with it.
std::string atlasPageFile(const PackSettings& settings, std::uint32_t page);

// Every file a pack with these settings writes for `pageCount` pages, page
// by page: the atlas image first, then its XML description and the others
// the settings ask for; then the files describing all pages at once (the
// .atlas of a multipack, ATLAS.atlas; the Phaser 3 multi-atlas, ATLAS.json).
std::vector<std::string> atlasSetPaths(const PackSettings& settings, std::uint32_t pageCount);

// What writeAtlasSet put on disk.
struct AtlasWriteReport {
    std::vector<std::string> pagePaths;          // atlas images, page by page
    std::vector<std::uint32_t> pageWidths;       // sizes, page by page
    std::vector<std::uint32_t> pageHeights;
    std::uint64_t canvasPixels = 0;              // sum of the pages' areas
};

// Progress of the writing: `done` of `total` steps (compressed pieces of a
// PNG atlas, or one step per page for the other formats).
using AtlasWriteProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

// Writes every page of a layout that fits, all or nothing: every file of
// every page (and those describing all pages) is written and synced first,
// then all are renamed in a row: the atlas images, then the descriptions,
// the XML ones last (the files readers open first), so that a reader that
// does not lock sees a mix of two packs only during that run of renames
// (one that takes the folder's lock shared, CFolderLock, never does). A multipack's JSON pages name each other in
// meta.related_multi_packs. False with the reason in `error` on the first
// failure (or when packAtlas refused the set). The atlas's folder must
// exist.
bool writeAtlasSet(const PackSettings& settings, const PackedAtlas& packed, const AtlasWriteProgress& progress,
                   std::string& error, AtlasWriteReport* report = nullptr);

// Where the Phaser 3 multi-atlas goes: ATLAS.json, beside the atlas name
// given (not a page's).
std::string phaserAtlasPath(const PackSettings& settings);
