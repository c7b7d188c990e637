// SpritePixels: the pixel work behind trimmed, shared, extruded and bled
// sprites, on plain CImage blocks (no files, no layout).
//
// Coordinates are pixels from the picture's top-left corner, whatever the
// bottom-up storage of CImage. The functions that read alpha or compare
// pixels take 8-bit images of 1 to 4 channels (everything the codecs
// deliver); an image with 16-bit or float components is never trimmed and
// never equal to another. Grey is read as R = G = B, and an image without an
// alpha channel as opaque, as CImage's channel conversion does.
#pragma once

#include <cstdint>
#include <vector>

class CImage;

// A rectangle of a picture, from its top-left corner.
struct PixelRect {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    bool operator==(const PixelRect&) const = default;
};

// The smallest rectangle holding every pixel whose alpha is above 0. A fully
// transparent image keeps one transparent pixel, its top-left one. The whole
// image for images without alpha, with other component sizes, or with no
// pixels.
PixelRect trimBounds(const CImage& image);

// A hash of the RGBA values of `rect` of `image` (8-bit images only; other
// images hash by their size alone). Equal pictures hash equal across
// channel counts.
std::uint64_t pictureHash(const CImage& image, const PixelRect& rect);

// Whether two rectangles (of the same or different images) hold the same
// RGBA values pixel for pixel. False for images that are not 8-bit.
bool samePicture(const CImage& a, const PixelRect& rectA, const CImage& b, const PixelRect& rectB);

// Repeats the edge pixels of the picture at `inner` (already in `atlas`)
// `count` times around it: columns left and right, then whole rows above
// and below, so the corners take the corner pixels. Pixels outside the atlas
// are left out. Works for any format.
void extrudeEdges(CImage& atlas, const PixelRect& inner, std::uint32_t count);

// Alpha bleeding on an 8-bit RGBA atlas. Inside each rectangle of
// `pictures`, every pixel with alpha 0 takes the colour of the nearest pixel
// of that rectangle whose alpha is above 0; then every pixel outside all
// rectangles (spacing, border, unused area) takes the colour of the nearest
// pixel coloured so far. Alpha is never changed. "Nearest" counts steps to
// any of the eight neighbours (chessboard distance inside a rectangle;
// outside, the walk goes around the rectangles), ties settled the same way
// on every run by a breadth-first walk. A rectangle without a pixel of alpha
// above 0 keeps its colours and gives none. Linear time and memory in the
// atlas's area. Other formats are left as they are.
void bleedTransparent(CImage& atlas, const std::vector<PixelRect>& pictures);

// `out` becomes `source` turned 90 degrees, clockwise or counter-clockwise
// (height x width pixels, same format). Works for any format; an image
// without pixels gives an empty one.
void turnPicture(const CImage& source, bool clockwise, CImage& out);

// Multiplies R, G and B by alpha / 255 (rounded to nearest) on an 8-bit
// RGBA image; other formats are left as they are.
void premultiplyAlpha(CImage& image);
