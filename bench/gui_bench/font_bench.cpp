// The glyph sprite build of a font resource (printable ASCII, codes 32 to
// 126, at 14 px in DejaVu Sans), against the bare FreeType work it cannot
// avoid: opening the face and rendering each glyph once. The build renders
// every glyph twice (measuring, then placing) and copies its coverage into
// the texture.
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "resources/GlyphSprite.h"

#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

const char* const fontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

void BM_GlyphSpriteBuild(benchmark::State& state)
{
    for (auto _ : state) {
        CSprite sprite;
        CTexture texture;
        if (!buildGlyphSprite(fontPath, 14, 32, 126, sprite, texture)) {
            state.SkipWithError("DejaVu Sans (fonts-dejavu-core) is not installed");
            return;
        }
        benchmark::DoNotOptimize(sprite.getFrameCount());
    }
}
BENCHMARK(BM_GlyphSpriteBuild)->Unit(benchmark::kMicrosecond);

void BM_FreeTypeRenderOnce(benchmark::State& state)
{
    for (auto _ : state) {
        FT_Library library = nullptr;
        FT_Face face = nullptr;
        if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, fontPath, 0, &face) != 0) {
            state.SkipWithError("DejaVu Sans (fonts-dejavu-core) is not installed");
            return;
        }
        FT_Set_Pixel_Sizes(face, 0, 14);
        long coverage = 0;
        for (FT_ULong code = 32; code <= 126; ++code) {
            if (FT_Load_Char(face, code, FT_LOAD_RENDER) == 0)
                coverage += face->glyph->bitmap.rows;
        }
        benchmark::DoNotOptimize(coverage);
        FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
}
BENCHMARK(BM_FreeTypeRenderOnce)->Unit(benchmark::kMicrosecond);

}
