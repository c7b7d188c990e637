// AtlasLayout: the packing engine's entry point for both front ends.
//
// In: the atlas images as names and sizes, in the user's order, and the
// layout options. Out: for every image (by its index in the input) the page
// it went on and its position there, and for every page its canvas size.
// The caller keeps the images; nothing here reads files or touches GL.
//
// Two kinds of layout:
// - the exact modes (PackAuto, PackRight, PackDown) run CPacker: the input
//   order is the packing order, and the canvas search tries squares of
//   powers of two from 64 up to maxSize, as the window tool always has;
// - PackBest places the images for the smallest atlas in an order of its own
//   (see CBestPacker.h) and searches canvas shapes of every proportion.
// Both are deterministic: the same images and options give the same layout
// on every run and machine, with ties broken by input order.
//
// Geometry shared by every mode: `spacing` pixels between images (PackBest
// keeps them between any two images, the exact modes between an image and
// the neighbour it is attached to) and a margin from the atlas edges. The margin is `border` when set;
// unset it is today's rule, `spacing` on the top and left edges (and, with
// `tight`, on the right and bottom ones).
#pragma once

#include "app/pack/CPacker.h"
#include "core/String.h"
#include "image/ImageLimits.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One image to place. width and height are the caller's: whatever padding or
// extrusion the caller adds around a picture is already in them.
struct LayoutImage {
    String name;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

struct LayoutOptions {
    PackMode mode = PackAuto;       // PackAuto, PackRight, PackDown or PackBest
    PackAlign alignment = AlignEdge; // exact modes only; PackBest ignores it
    std::uint32_t spacing = 0;       // pixels between images
    // Pixels between the atlas edges and the images; unset: `spacing` as
    // described above.
    std::optional<std::uint32_t> border;
    // Canvas shrunk to the used extent plus the margin; without it the exact
    // modes keep the square of the search, PackBest the width of its bin.
    bool tight = true;
    std::uint32_t maxSize = maxImageSide; // largest side of a page, 1 to maxImageSide
    bool pot = false;           // both sides powers of two
    bool square = false;        // width equals height
    bool multipack = false;     // images that do not fit one page go on further pages
    bool rotate = false;        // PackBest may turn images 90 degrees clockwise; the exact modes never do
};

// Where one input image went.
struct LayoutFrame {
    std::int32_t page = -1; // index into AtlasLayout::pages; -1 when it fits nowhere
    std::int32_t x = 0;     // left column on the page
    std::int32_t y = 0;     // top row on the page
    // Stored turned 90 degrees clockwise: the image occupies height x width
    // pixels from (x, y).
    bool rotated = false;
};

struct LayoutPage {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> images; // input indexes on this page, ascending
};

struct AtlasLayout {
    std::vector<LayoutFrame> frames; // one per input image, in input order
    std::vector<LayoutPage> pages;   // at least one when everything fits
    std::size_t unplaced = 0;        // images that are on no page
    bool fits() const { return unplaced == 0; }
};

// Lays out the images. Every page respects maxSize, pot and square; every
// image on a page lies inside it, and no two images of a page overlap
// (touching is allowed at spacing 0).
//
// Without multipack everything goes on one page or the layout does not fit:
// `unplaced` then counts the images that did not fit on that page (for the
// exact modes, those from the first image that found no room onwards), and
// pages is empty. With multipack, images go on page after page; only an
// image too large for a page of maxSize by itself is left unplaced.
//
// An empty input fits one page of the margin's size (0 x 0 at spacing 0 with
// tight). Images with a negative size are never placed. Options out of range
// (maxSize 0 or above maxImageSide, an unknown mode) place nothing.
//
// With none of border, maxSize, pot, square or multipack changed from their
// defaults, an exact mode gives the positions and canvas of
// CPacker::packCanvas, so existing atlases stay byte for byte the same.
AtlasLayout layoutAtlas(const std::vector<LayoutImage>& images, const LayoutOptions& options);

// Fills `packer` (cleared first, options kept) with the images of one page,
// in input order, at their positions, so the atlas save and the description
// writers (which look images up by name in a CPacker) write that page. A
// turned image's entry has its stored size (height x width) and `rotated`
// set.
void fillPagePacker(const std::vector<LayoutImage>& images, const AtlasLayout& layout, std::uint32_t page,
                    CPacker& packer);

// The file name of page `page` (from 0) of a multipack atlas: the atlas path
// with "-<page + 1>" before its last four characters (the dot and the
// three-letter ending), so sheet.png gives sheet-1.png, sheet-2.png, ...
std::string atlasPagePath(const std::string& atlasPath, std::uint32_t page);
