// Application: the preview drawn from one picture when the atlas is shown
// smaller than 1:1. At the whole-atlas fit of a large atlas every image is a
// few screen pixels, and drawing thousands of textured quads a frame costs
// far more than the frame time; instead the images are sampled (nearest
// pixel) into one picture of the drawn size, made again only when the
// layout or the zoom changes, and drawn as a single quad. Images of 16-bit
// or float pixels keep the quad-per-image path.
#include "app/tool/Application.h"

#include "resources/CTexture.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// Larger drawn sizes keep the quad-per-image path (the picture would cost
// more to make than it saves).
constexpr float largestOverview = 2048.0f;

// The RGBA value of pixel (x, y from the top) of an 8-bit image.
void sample(const CImage& image, std::uint32_t x, std::uint32_t y, std::uint8_t* out)
{
    const std::uint32_t channels = image.getChannels();
    const std::uint8_t* p =
        image.getData() + (std::size_t(image.getHeight() - 1 - y) * image.getWidth() + x) * channels;
    switch (channels) {
    case 1: out[0] = out[1] = out[2] = p[0]; out[3] = 255; break;
    case 2: out[0] = out[1] = out[2] = p[0]; out[3] = p[1]; break;
    case 3: out[0] = p[0]; out[1] = p[1]; out[2] = p[2]; out[3] = 255; break;
    default: out[0] = p[0]; out[1] = p[1]; out[2] = p[2]; out[3] = p[3]; break;
    }
}

}

bool Application::drawOverview()
{
    const float zoom = view.getZoom();
    const float width = std::ceil(view.shownWidth());
    const float height = std::ceil(view.shownHeight());
    if (zoom >= 1.0f || width < 1.0f || height < 1.0f || width > largestOverview || height > largestOverview)
        return false;
    if (overview.version != layoutVersion || overview.zoom != zoom) {
        overview.version = layoutVersion;
        overview.zoom = zoom;
        overview.usable = makeOverview(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    }
    if (!overview.usable || overview.element == nullptr)
        return false;
    overview.element->setTranslation(canvas->getX(), canvas->getY(), overview.element->getDepth());
    overview.element->storeSize(width, height);
    overview.element->draw();
    return true;
}

bool Application::makeOverview(std::uint32_t width, std::uint32_t height)
{
    if (overview.element == nullptr) {
        overview.element = overlay.create(CGUI::Element, "overview");
        if (overview.element == nullptr)
            return false;
    }
    auto picture = std::make_unique<CTexture>();
    if (!picture->create(width, height, 4, 32))
        return false;
    const float zoom = view.getZoom();
    std::uint8_t* pixels = picture->getData();
    // Each frame of the page shown, from the kept part of its image.
    for (const PreviewFrame& frame : frames.all()) {
        const CImage* image = frame.image;
        if (image == nullptr || image->getData() == nullptr)
            continue;
        if (image->getBitsPerPixel() != image->getChannels() * 8)
            return false;
        const auto x0 = static_cast<float>(frame.x);
        const auto y0 = static_cast<float>(frame.y);
        const auto left = static_cast<std::int64_t>(std::floor(x0 * zoom));
        const auto top = static_cast<std::int64_t>(std::floor(y0 * zoom));
        const auto right = std::min<std::int64_t>(width, static_cast<std::int64_t>(std::ceil((x0 + frame.w) * zoom)));
        const auto bottom =
            std::min<std::int64_t>(height, static_cast<std::int64_t>(std::ceil((y0 + frame.h) * zoom)));
        for (std::int64_t dy = std::max<std::int64_t>(top, 0); dy < bottom; ++dy) {
            const auto fy = static_cast<std::int64_t>((static_cast<float>(dy) + 0.5f) / zoom - y0);
            if (fy < 0 || fy >= frame.h)
                continue;
            std::uint8_t* row = pixels + std::size_t(height - 1 - dy) * width * 4;
            for (std::int64_t dx = std::max<std::int64_t>(left, 0); dx < right; ++dx) {
                const auto fx = static_cast<std::int64_t>((static_cast<float>(dx) + 0.5f) / zoom - x0);
                if (fx < 0 || fx >= frame.w)
                    continue;
                std::int32_t px = 0;
                std::int32_t py = 0;
                frame.pictureAt(static_cast<std::int32_t>(fx), static_cast<std::int32_t>(fy), px, py);
                std::uint8_t texel[4];
                sample(*image, static_cast<std::uint32_t>(px + frame.sourceX), static_cast<std::uint32_t>(py + frame.sourceY),
                       texel);
                if (texel[3] != 0)
                    std::copy(texel, texel + 4, row + dx * 4);
            }
        }
    }
    picture->upload(0xFFFFFFFFu, false, false, false, true);
    const float side = static_cast<float>(picture->getTextureSize());
    if (side <= 0.0f || picture->getTextureId() == 0)
        return false;
    CMaterial& material = overview.element->getMaterial();
    material.textures.assign(1, picture->getTextureId());
    material.textureMatrix.setElement(0, static_cast<float>(width) / side);
    material.textureMatrix.setElement(5, static_cast<float>(height) / side);
    material.textureMatrix.setElement(12, 0.0f);
    material.textureMatrix.setElement(13, (side - static_cast<float>(height)) / side);
    overview.picture = std::move(picture);
    return true;
}
