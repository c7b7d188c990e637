// CHeightmap: a height field drawn as a triangle mesh, one vertex a pixel.
//
// Vertex k = i x width + j sits at x = j - width / 2, y = the height byte,
// z = i - depth / 2, with texture coordinate (j / (width - 1), i / (depth - 1))
// (0 along a side of one vertex). Each grid cell makes the triangles
// (a, a + 1, a + width) and (a + width, a + 1, a + width + 1) for its corner
// a, cells row by row. Grids of more than 65536 vertices (256 x 256) cannot be
// indexed with 16 bits and are refused.
//
// The resource list's "heightmap" entry reads an image into a CModel through
// `loadHeightmapModel`; a colour image takes its heights from the first
// component (red) of each pixel, a grey one from its grey value.
#pragma once

#include "core/String.h"
#include "render/CShape.h"

#include <cstdint>
#include <memory>
#include <string>

class CImage;
class CModel;

class CHeightmap : public CShape {
public:
    CHeightmap();
    ~CHeightmap() override;

    // Builds the grid from width x depth heights, `stride` bytes apart in
    // `heights` (1 for one byte a pixel). False, leaving the shape empty,
    // when the grid is empty, has more than 65536 vertices or cannot be
    // allocated.
    bool build(std::uint32_t width, std::uint32_t depth, const std::uint8_t* heights, std::uint32_t stride = 1);
    // Builds the grid from an image with 1-byte components.
    bool build(const CImage& image);
};

// A model named `name` with `file` as its path, holding the height field of
// the image file (codec by suffix). A file that cannot be read, or a grid
// that is refused, gives an empty model; `error` then says why.
std::unique_ptr<CModel> loadHeightmapModel(const String& file, const String& name, std::string* error = nullptr);
