// CHeightmap: the vertex grid and its 16-bit triangle list.
#include "resources/CHeightmap.h"

#include "image/CImage.h"
#include "image/ImageFile.h"
#include "resources/CModel.h"

CHeightmap::CHeightmap()
{
    primitiveType = primitiveTriangles;
}

CHeightmap::~CHeightmap() = default;

bool CHeightmap::build(std::uint32_t width, std::uint32_t depth, const std::uint8_t* heights, std::uint32_t stride)
{
    allocateVertices(0);
    allocateIndices(0);
    if (width == 0 || depth == 0 || !heights || stride == 0 || std::uint64_t(width) * depth > maxModelVertices)
        return false;
    const std::uint32_t cells = (width - 1) * (depth - 1);
    if (!allocateVertices(width * depth) || !allocateIndices(cells * 6)) {
        allocateVertices(0);
        return false;
    }
    const float halfWidth = float(width) * 0.5f;
    const float halfDepth = float(depth) * 0.5f;
    // NOTE: a side of one vertex would divide by 0; its coordinate is 0.
    const float uDivisor = width > 1 ? float(width - 1) : 1.0f;
    const float vDivisor = depth > 1 ? float(depth - 1) : 1.0f;
    float* position = positions.get();
    float* texCoord = texCoords.get();
    for (std::uint32_t i = 0; i < depth; ++i) {
        for (std::uint32_t j = 0; j < width; ++j) {
            *position++ = float(j) - halfWidth;
            *position++ = float(heights[(std::size_t(i) * width + j) * stride]);
            *position++ = float(i) - halfDepth;
            *texCoord++ = float(j) / uDivisor;
            *texCoord++ = float(i) / vDivisor;
        }
    }
    std::uint16_t* index = indices.get();
    for (std::uint32_t i = 0; i + 1 < depth; ++i) {
        for (std::uint32_t j = 0; j + 1 < width; ++j) {
            const std::uint16_t a = std::uint16_t(i * width + j);
            const std::uint16_t right = std::uint16_t(a + 1);
            const std::uint16_t below = std::uint16_t(a + width);
            const std::uint16_t diagonal = std::uint16_t(a + width + 1);
            *index++ = a;
            *index++ = right;
            *index++ = below;
            *index++ = below;
            *index++ = right;
            *index++ = diagonal;
        }
    }
    computeNormals();
    return true;
}

bool CHeightmap::build(const CImage& image)
{
    const std::uint32_t channels = image.getChannels();
    if (channels == 0 || image.getBitsPerPixel() != channels * 8)
        return build(0, 0, nullptr);
    return build(image.getWidth(), image.getHeight(), image.getData(), channels);
}

std::unique_ptr<CModel> loadHeightmapModel(const String& file, const String& name, std::string* error)
{
    auto model = std::make_unique<CModel>();
    model->setName(name);
    model->setFile(file);
    CImage image;
    if (!loadImageFile(file.c_str() ? file.c_str() : "", image, error))
        return model;
    CHeightmap heightmap;
    if (!heightmap.build(image)) {
        if (error)
            *error = "heightmap: the image is empty or larger than 256 x 256 pixels";
        return model;
    }
    model->setShape(heightmap);
    return model;
}
