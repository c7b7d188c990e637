// The layouts against stb_rect_pack (skyline, bottom-left, tallest first):
// - the exact layout's canvas size search against stb packing the same
//   rectangles through the same square search: 64, 128, ... until
//   everything fits;
// - the best-fit layout (layoutAtlas, PackBest) against stb given the same
//   canvas search (the bin widths of bestSearchWidths, the tight canvas of
//   the smallest area), with the occupancy (image area / atlas area) of both
//   as counters;
// - one bin of the best-fit packer against stb packing one bin of the same
//   width.
// Sprites are 8-64 px on each side, uniformly, from a fixed seed (the size
// mix of bench/gen_sprites.py).
#include "app/pack/AtlasLayout.h"
#include "app/pack/CBestPacker.h"
#include "app/pack/CPacker.h"

#include <benchmark/benchmark.h>

#define STB_RECT_PACK_IMPLEMENTATION
#include <stb_rect_pack.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

struct SpriteSize {
    int width;
    int height;
};

std::vector<SpriteSize> makeSprites(int count)
{
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> side(8, 64);
    std::vector<SpriteSize> sprites(static_cast<std::size_t>(count));
    for (SpriteSize& s : sprites) {
        s.width = side(rng);
        s.height = side(rng);
    }
    return sprites;
}

void BM_PackCanvasSearch(benchmark::State& state)
{
    const std::vector<SpriteSize> sprites = makeSprites(static_cast<int>(state.range(0)));
    CPacker packer;
    for (const SpriteSize& s : sprites) {
        PackEntry e;
        e.name = "sprite";
        e.width = s.width;
        e.height = s.height;
        packer.insertEntry(packer.count(), e);
    }
    CanvasSize size;
    for (auto _ : state) {
        const std::optional<CanvasSize> result = packer.packCanvas(true);
        if (!result) {
            state.SkipWithError("does not fit");
            break;
        }
        size = *result;
        benchmark::DoNotOptimize(size);
    }
    state.counters["width"] = size.width;
    state.counters["height"] = size.height;
}

void BM_StbRectPack(benchmark::State& state)
{
    const std::vector<SpriteSize> sprites = makeSprites(static_cast<int>(state.range(0)));
    std::vector<stbrp_rect> rects(sprites.size());
    std::vector<stbrp_node> nodes;
    int side = 0;
    for (auto _ : state) {
        for (side = 64;; side *= 2) {
            for (std::size_t i = 0; i < sprites.size(); ++i) {
                rects[i] = {};
                rects[i].id = static_cast<int>(i);
                rects[i].w = sprites[i].width;
                rects[i].h = sprites[i].height;
            }
            nodes.resize(static_cast<std::size_t>(side));
            stbrp_context context;
            stbrp_init_target(&context, side, side, nodes.data(), side);
            if (stbrp_pack_rects(&context, rects.data(), static_cast<int>(rects.size())) == 1)
                break;
        }
        benchmark::DoNotOptimize(rects.data());
    }
    state.counters["side"] = side;
}

double areaOf(const std::vector<SpriteSize>& sprites)
{
    double area = 0;
    for (const SpriteSize& s : sprites)
        area += double(s.width) * s.height;
    return area;
}

void BM_BestCanvasSearch(benchmark::State& state)
{
    const std::vector<SpriteSize> sprites = makeSprites(static_cast<int>(state.range(0)));
    std::vector<LayoutImage> images;
    for (const SpriteSize& s : sprites)
        images.push_back({String("sprite"), s.width, s.height});
    LayoutOptions options;
    options.mode = PackBest;
    AtlasLayout layout;
    for (auto _ : state) {
        layout = layoutAtlas(images, options);
        if (!layout.fits()) {
            state.SkipWithError("does not fit");
            return;
        }
        benchmark::DoNotOptimize(layout.frames.data());
    }
    const LayoutPage& page = layout.pages[0];
    state.counters["width"] = page.width;
    state.counters["height"] = page.height;
    state.counters["occupancy%"] = 100.0 * areaOf(sprites) / (double(page.width) * page.height);
}

// stb packing one bin of `width` x maxImageSide; the tight extent, or false
// when not everything fits.
bool stbPackBin(const std::vector<SpriteSize>& sprites, int width, std::vector<stbrp_rect>& rects,
                std::vector<stbrp_node>& nodes, int& usedWidth, int& usedHeight)
{
    rects.resize(sprites.size());
    for (std::size_t i = 0; i < sprites.size(); ++i) {
        rects[i] = {};
        rects[i].id = static_cast<int>(i);
        rects[i].w = sprites[i].width;
        rects[i].h = sprites[i].height;
    }
    nodes.resize(static_cast<std::size_t>(width));
    stbrp_context context;
    stbrp_init_target(&context, width, static_cast<int>(maxImageSide), nodes.data(), width);
    if (stbrp_pack_rects(&context, rects.data(), static_cast<int>(rects.size())) != 1)
        return false;
    usedWidth = 0;
    usedHeight = 0;
    for (const stbrp_rect& r : rects) {
        usedWidth = std::max(usedWidth, r.x + r.w);
        usedHeight = std::max(usedHeight, r.y + r.h);
    }
    return true;
}

std::vector<BestSize> bestSizesOf(const std::vector<SpriteSize>& sprites)
{
    std::vector<BestSize> sizes;
    for (const SpriteSize& s : sprites)
        sizes.push_back({s.width, s.height});
    return sizes;
}

void BM_StbBestCanvasSearch(benchmark::State& state)
{
    const std::vector<SpriteSize> sprites = makeSprites(static_cast<int>(state.range(0)));
    const std::vector<std::int32_t> widths = bestSearchWidths(bestSizesOf(sprites), BestRules{});
    std::vector<stbrp_rect> rects;
    std::vector<stbrp_node> nodes;
    double bestArea = 0;
    for (auto _ : state) {
        bestArea = 0;
        for (const std::int32_t width : widths) {
            int usedWidth = 0, usedHeight = 0;
            if (!stbPackBin(sprites, width, rects, nodes, usedWidth, usedHeight))
                continue;
            const double area = double(usedWidth) * usedHeight;
            if (bestArea == 0 || area < bestArea)
                bestArea = area;
        }
        benchmark::DoNotOptimize(rects.data());
    }
    state.counters["occupancy%"] = bestArea > 0 ? 100.0 * areaOf(sprites) / bestArea : 0.0;
}

// One bin as wide as the square that holds the sprites' area, 10 % wider.
int oneBinWidth(const std::vector<SpriteSize>& sprites)
{
    return static_cast<int>(std::sqrt(areaOf(sprites)) * 1.1);
}

void BM_BestOneBin(benchmark::State& state)
{
    const std::vector<SpriteSize> sprites = makeSprites(static_cast<int>(state.range(0)));
    const std::vector<BestSize> sizes = bestSizesOf(sprites);
    const int width = oneBinWidth(sprites);
    std::vector<std::int32_t> x, y;
    for (auto _ : state) {
        // The sort is part of the work, as it is in stb_rect_pack.
        const std::vector<std::uint32_t> order = bestOrder(sizes);
        if (packBestBin(sizes, order, 0, width, static_cast<std::int32_t>(maxImageSide), x, y) != sizes.size()) {
            state.SkipWithError("does not fit");
            return;
        }
        benchmark::DoNotOptimize(x.data());
    }
}

void BM_StbOneBin(benchmark::State& state)
{
    const std::vector<SpriteSize> sprites = makeSprites(static_cast<int>(state.range(0)));
    const int width = oneBinWidth(sprites);
    std::vector<stbrp_rect> rects;
    std::vector<stbrp_node> nodes;
    for (auto _ : state) {
        int usedWidth = 0, usedHeight = 0;
        if (!stbPackBin(sprites, width, rects, nodes, usedWidth, usedHeight)) {
            state.SkipWithError("does not fit");
            return;
        }
        benchmark::DoNotOptimize(rects.data());
    }
}

} // namespace

BENCHMARK(BM_BestCanvasSearch)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbBestCanvasSearch)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BestOneBin)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbOneBin)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackCanvasSearch)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbRectPack)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
