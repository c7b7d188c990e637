// The canvas size search against stb_rect_pack (skyline, bottom-left) packing
// the same rectangles through the same square search: 64, 128, ... until
// everything fits. Sprites are 8-64 px on each side from a fixed seed.
#include "app/pack/CPacker.h"

#include <benchmark/benchmark.h>

#define STB_RECT_PACK_IMPLEMENTATION
#include <stb_rect_pack.h>

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

} // namespace

BENCHMARK(BM_PackCanvasSearch)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbRectPack)->Arg(1000)->Arg(3000)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
