// Sprite pixel work: trim bounds, picture identity, extrusion, alpha
// bleeding and premultiplied alpha.
#include "app/pack/SpritePixels.h"

#include "image/CImage.h"

#include <algorithm>
#include <cstring>

namespace {

bool isEightBit(const CImage& image)
{
    const std::uint32_t channels = image.getChannels();
    return image.getData() && channels >= 1 && channels <= 4 && image.getBitsPerPixel() == channels * 8;
}

bool hasAlpha(const CImage& image)
{
    return image.getChannels() == 2 || image.getChannels() == 4;
}

// Start of row y (from the top) of a bottom-up image.
template <typename Image>
auto rowAt(Image& image, std::uint32_t y)
{
    const std::size_t stride = std::size_t(image.getWidth()) * (image.getBitsPerPixel() / 8);
    return image.getData() + std::size_t(image.getHeight() - 1 - y) * stride;
}

// The RGBA value of one 8-bit pixel as R | G << 8 | B << 16 | A << 24.
std::uint32_t rgbaOf(const std::uint8_t* p, std::uint32_t channels)
{
    switch (channels) {
    case 1:
        return p[0] * 0x010101u | 0xFF000000u;
    case 2:
        return p[0] * 0x010101u | std::uint32_t(p[1]) << 24;
    case 3:
        return p[0] | p[1] << 8 | p[2] << 16 | 0xFF000000u;
    default:
        return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
    }
}

PixelRect wholeOf(const CImage& image)
{
    return {0, 0, image.getWidth(), image.getHeight()};
}

enum PixelState : std::uint8_t {
    Open = 0,     // may take a colour
    Coloured = 1, // holds a colour to give
    Closed = 2,   // neither takes nor gives
};

// Bleeding's walk: pixels of `frontier` give their colour to their Open
// neighbours inside [x0, x1) x [y0, y1), level by level, so every pixel
// takes the colour of a nearest source.
void spread(CImage& atlas, std::vector<std::uint8_t>& state, std::vector<std::uint32_t>& frontier,
            const PixelRect& bounds)
{
    const std::uint32_t width = atlas.getWidth();
    const std::int64_t x0 = bounds.x;
    const std::int64_t y0 = bounds.y;
    const std::int64_t x1 = std::int64_t(bounds.x) + bounds.w;
    const std::int64_t y1 = std::int64_t(bounds.y) + bounds.h;
    std::vector<std::uint32_t> next;
    while (!frontier.empty()) {
        next.clear();
        for (const std::uint32_t index : frontier) {
            const std::int64_t x = index % width;
            const std::int64_t y = index / width;
            const std::uint8_t* from = rowAt(atlas, std::uint32_t(y)) + x * 4;
            for (std::int64_t ny = std::max(y - 1, y0); ny < std::min(y + 2, y1); ++ny) {
                std::uint8_t* row = rowAt(atlas, std::uint32_t(ny));
                for (std::int64_t nx = std::max(x - 1, x0); nx < std::min(x + 2, x1); ++nx) {
                    const std::uint32_t neighbour = std::uint32_t(ny * width + nx);
                    if (state[neighbour] != Open)
                        continue;
                    state[neighbour] = Coloured;
                    std::memcpy(row + nx * 4, from, 3);
                    next.push_back(neighbour);
                }
            }
        }
        frontier.swap(next);
    }
}

PixelRect clipped(const PixelRect& rect, const CImage& image)
{
    PixelRect out;
    out.x = std::min(rect.x, image.getWidth());
    out.y = std::min(rect.y, image.getHeight());
    out.w = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t(rect.x) + rect.w, image.getWidth()) - out.x);
    out.h = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t(rect.y) + rect.h, image.getHeight()) - out.y);
    return out;
}

}

PixelRect trimBounds(const CImage& image)
{
    const std::uint32_t width = image.getWidth();
    const std::uint32_t height = image.getHeight();
    if (!isEightBit(image) || !hasAlpha(image) || width == 0 || height == 0)
        return wholeOf(image);
    const std::uint32_t step = image.getChannels();
    const auto opaque = [&](std::uint32_t x, std::uint32_t y) { return rowAt(image, y)[x * step + step - 1] != 0; };
    const auto rowHasInk = [&](std::uint32_t y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            if (opaque(x, y))
                return true;
        }
        return false;
    };
    std::uint32_t top = 0;
    while (top < height && !rowHasInk(top))
        ++top;
    if (top == height)
        return {0, 0, 1, 1};
    std::uint32_t bottom = height - 1;
    while (!rowHasInk(bottom))
        --bottom;
    // Each row only needs looking at outside the columns already known. The
    // top row holds ink, so both scans find some column; column 0 is left to
    // the left scan.
    std::uint32_t left = width;
    std::uint32_t right = 0;
    for (std::uint32_t y = top; y <= bottom; ++y) {
        for (std::uint32_t x = 0; x < left; ++x) {
            if (opaque(x, y)) {
                left = x;
                break;
            }
        }
        for (std::uint32_t x = width - 1; x > right; --x) {
            if (opaque(x, y)) {
                right = x;
                break;
            }
        }
    }
    return {left, top, right - left + 1, bottom - top + 1};
}

std::uint64_t pictureHash(const CImage& image, const PixelRect& rect)
{
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&](std::uint64_t value) { hash = (hash ^ value) * 1099511628211ull; };
    mix(rect.w);
    mix(rect.h);
    if (!isEightBit(image))
        return hash;
    const std::uint32_t channels = image.getChannels();
    const PixelRect area = clipped(rect, image);
    for (std::uint32_t y = 0; y < area.h; ++y) {
        const std::uint8_t* p = rowAt(image, area.y + y) + std::size_t(area.x) * channels;
        for (std::uint32_t x = 0; x < area.w; ++x, p += channels)
            mix(rgbaOf(p, channels));
    }
    return hash;
}

bool samePicture(const CImage& a, const PixelRect& rectA, const CImage& b, const PixelRect& rectB)
{
    if (!isEightBit(a) || !isEightBit(b) || rectA.w != rectB.w || rectA.h != rectB.h ||
        clipped(rectA, a) != rectA || clipped(rectB, b) != rectB)
        return false;
    const std::uint32_t ca = a.getChannels();
    const std::uint32_t cb = b.getChannels();
    for (std::uint32_t y = 0; y < rectA.h; ++y) {
        const std::uint8_t* pa = rowAt(a, rectA.y + y) + std::size_t(rectA.x) * ca;
        const std::uint8_t* pb = rowAt(b, rectB.y + y) + std::size_t(rectB.x) * cb;
        if (ca == cb) {
            if (std::memcmp(pa, pb, std::size_t(rectA.w) * ca) != 0)
                return false;
            continue;
        }
        for (std::uint32_t x = 0; x < rectA.w; ++x, pa += ca, pb += cb) {
            if (rgbaOf(pa, ca) != rgbaOf(pb, cb))
                return false;
        }
    }
    return true;
}

void extrudeEdges(CImage& atlas, const PixelRect& inner, std::uint32_t count)
{
    const std::uint32_t width = atlas.getWidth();
    const std::uint32_t height = atlas.getHeight();
    const PixelRect picture = clipped(inner, atlas);
    if (!atlas.getData() || count == 0 || picture != inner || inner.w == 0 || inner.h == 0)
        return;
    const std::size_t bpp = atlas.getBitsPerPixel() / 8;
    const std::uint32_t left = inner.x >= count ? inner.x - count : 0;
    const std::uint32_t right = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t(inner.x) + inner.w + count, width));
    for (std::uint32_t y = inner.y; y < inner.y + inner.h; ++y) {
        std::uint8_t* row = rowAt(atlas, y);
        for (std::uint32_t x = left; x < inner.x; ++x)
            std::memcpy(row + x * bpp, row + std::size_t(inner.x) * bpp, bpp);
        const std::size_t last = std::size_t(inner.x + inner.w - 1) * bpp;
        for (std::uint32_t x = inner.x + inner.w; x < right; ++x)
            std::memcpy(row + x * bpp, row + last, bpp);
    }
    const std::size_t span = std::size_t(right - left) * bpp;
    const std::uint8_t* top = rowAt(atlas, inner.y) + left * bpp;
    const std::uint8_t* bottom = rowAt(atlas, inner.y + inner.h - 1) + left * bpp;
    for (std::uint32_t k = 1; k <= count; ++k) {
        if (inner.y >= k)
            std::memcpy(rowAt(atlas, inner.y - k) + left * bpp, top, span);
        if (std::uint64_t(inner.y) + inner.h - 1 + k < height)
            std::memcpy(rowAt(atlas, inner.y + inner.h - 1 + k) + left * bpp, bottom, span);
    }
}

void bleedTransparent(CImage& atlas, const std::vector<PixelRect>& pictures)
{
    const std::uint32_t width = atlas.getWidth();
    const std::uint32_t height = atlas.getHeight();
    if (!isEightBit(atlas) || atlas.getChannels() != 4 || width == 0 || height == 0)
        return;
    std::vector<std::uint8_t> state(std::size_t(width) * height, Open);
    std::vector<std::uint32_t> frontier;
    std::vector<PixelRect> rects;
    // Inside each picture: its own pixels with alpha give their colour.
    for (const PixelRect& picture : pictures) {
        const PixelRect rect = clipped(picture, atlas);
        if (rect.w == 0 || rect.h == 0)
            continue;
        rects.push_back(rect);
        frontier.clear();
        for (std::uint32_t y = rect.y; y < rect.y + rect.h; ++y) {
            const std::uint8_t* row = rowAt(atlas, y);
            for (std::uint32_t x = rect.x; x < rect.x + rect.w; ++x) {
                const std::uint32_t index = y * width + x;
                const bool coloured = row[x * 4 + 3] != 0;
                state[index] = coloured ? Coloured : Open;
                if (coloured)
                    frontier.push_back(index);
            }
        }
        spread(atlas, state, frontier, rect);
        for (std::uint32_t y = rect.y; y < rect.y + rect.h; ++y) {
            for (std::uint32_t x = rect.x; x < rect.x + rect.w; ++x) {
                if (state[y * width + x] == Open)
                    state[y * width + x] = Closed;
            }
        }
    }
    // Outside: the coloured edge pixels of the pictures give their colour to
    // everything the pictures do not cover.
    frontier.clear();
    const auto seed = [&](std::uint32_t x, std::uint32_t y) {
        if (state[y * width + x] == Coloured)
            frontier.push_back(y * width + x);
    };
    for (const PixelRect& rect : rects) {
        for (std::uint32_t x = rect.x; x < rect.x + rect.w; ++x) {
            seed(x, rect.y);
            if (rect.h > 1)
                seed(x, rect.y + rect.h - 1);
        }
        for (std::uint32_t y = rect.y + 1; y + 1 < rect.y + rect.h; ++y) {
            seed(rect.x, y);
            if (rect.w > 1)
                seed(rect.x + rect.w - 1, y);
        }
    }
    spread(atlas, state, frontier, {0, 0, width, height});
}

void premultiplyAlpha(CImage& image)
{
    if (!isEightBit(image) || image.getChannels() != 4)
        return;
    std::uint8_t* p = image.getData();
    const std::size_t pixels = std::size_t(image.getWidth()) * image.getHeight();
    for (std::size_t i = 0; i < pixels; ++i, p += 4) {
        const std::uint32_t alpha = p[3];
        if (alpha == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<std::uint8_t>((p[c] * alpha + 127) / 255);
    }
}

void turnPicture(const CImage& source, bool clockwise, CImage& out)
{
    const std::uint32_t width = source.getWidth();
    const std::uint32_t height = source.getHeight();
    out.clear();
    if (!source.getData() || !out.create(height, width, source.getChannels(), source.getBitsPerPixel()))
        return;
    const std::size_t bpp = source.getBitsPerPixel() / 8;
    // Row y of the picture (from the top) becomes column height - 1 - y
    // turning clockwise, column y turning the other way.
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = rowAt(source, y);
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t toX = clockwise ? height - 1 - y : y;
            const std::uint32_t toY = clockwise ? x : width - 1 - x;
            std::memcpy(rowAt(out, toY) + std::size_t(toX) * bpp, row + std::size_t(x) * bpp, bpp);
        }
    }
}
