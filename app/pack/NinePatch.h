// Nine-patch images (*.9.png): a picture with a 1-pixel frame of guides
// around it. Black guide pixels on the top and left edges mark the part that
// stretches, on the bottom and right edges the content area (the padding is
// what lies outside it); every other guide pixel is transparent. The corner
// pixels belong to no guide and are not looked at.
//
// Reading the guides gives the nine-slice borders in pixels of the inner
// picture and that inner picture, which is what gets packed; the guides are
// gone from the atlas and are not restored by an unpack.
//
// What is refused, with the reason: an image smaller than 3 x 3, a guide
// pixel that is neither opaque black nor fully transparent, more than one
// black run on one edge, and a top or left edge without a black run (nothing
// would stretch). A missing content run on the bottom or right edge takes
// that direction's stretch run instead, as nine-patch readers do; with both
// missing the frame has no padding. Only 8-bit images of 1 to 4 channels
// (what the codecs give) are read; others are refused.
#pragma once

#include "app/pack/SpriteMeta.h"

#include <string>

class CImage;

// True for a file name ending in ".9.png" in any letter case.
bool isNinePatchName(const std::string& name);

// Reads the guides of `image` into `slice`; false with the reason otherwise.
bool readNinePatch(const CImage& image, NineSlice& slice, std::string& reason);

// readNinePatch, then `image` becomes its inner picture (the guides cut
// away, name kept). On failure the image is left as it was.
bool takeNinePatch(CImage& image, NineSlice& slice, std::string& reason);
