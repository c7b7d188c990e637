// Glyph sprites: renders a range of characters of a font file (TrueType, or
// anything else FreeType 2 reads) into one RGBA texture, white with the
// glyph's antialiased coverage in alpha, and describes every glyph as a frame
// of a sprite named by its character.
//
// Layout: cells one line high (the pixel height, or the tallest glyph when
// that is taller) and as wide as each glyph's advance, placed in rows with a
// 2-pixel gap, about 16 glyphs a row. Every glyph sits on a common baseline
// that leaves room for the deepest descender in the range.
//
// Deliberately bounded: pixel heights outside 1..maxGlyphPixelHeight are
// refused, the code range holds at most maxGlyphCodes codes (further codes
// would only repeat frame names, which are one byte), and a texture beyond
// the central image size limit is refused. Refusal leaves sprite and
// texture untouched.
#pragma once

#include <cstdint>
#include <string>

class CSprite;
class CTexture;

constexpr std::int32_t maxGlyphPixelHeight = 256;
constexpr std::int32_t maxGlyphCodes = 257; // the resource list's default range, 0 to 256

// Builds the glyphs of codes first..last (inclusive; first is raised to 0 and
// last lowered to first + maxGlyphCodes - 1) of the font at `path` at
// `pixelHeight` pixels. On success `texture` holds the glyph picture (not yet
// uploaded, no name) and `sprite` has gained one frame per glyph FreeType
// could load, in code order, each referring to `texture`. Returns false and
// gives the reason in `error` (when not null) when the file cannot be opened
// as a font, the size is refused or the picture cannot be made; sprite and
// texture are then unchanged (except that a failed allocation leaves the
// texture empty). A range without loadable glyphs succeeds with no frames.
bool buildGlyphSprite(const char* path, std::int32_t pixelHeight, std::int32_t first, std::int32_t last,
                      CSprite& sprite, CTexture& texture, std::string* error = nullptr);
