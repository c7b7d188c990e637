// Glyph sprites: renders characters of a font file (TrueType, or anything
// else FreeType 2 reads) into RGBA textures, white with the glyph's
// antialiased coverage in alpha, and describes every glyph as a frame.
//
// Two ways in. buildGlyphSprite renders a range of code points into one
// texture and a sprite whose frames are named by their character in UTF-8;
// this is what a resource list's "font" entry builds. CGlyphCache then
// supplies any other character on demand, from the same font or from the
// fallback fonts (setGlyphFallbackFonts: a CJK font, for instance), into
// texture pages of its own; a text element finds the cache of its font
// sprite with findGlyphCache.
//
// Every glyph has a cell one line high (the pixel height, or the tallest
// glyph of the built range when that is taller) and as wide as its ink
// (taken together with its advance), so letters whose ink reaches past the
// advance or left of the pen ("f", "j", "T", "V") keep all of it; the
// metrics say how far the pen moves (the advance) and where the frame
// starts from the pen (inkLeft, negative for ink left of it). All glyphs of
// a font sit on one baseline that leaves room for the deepest descender of
// the built range; ink of fallback glyphs beyond the cell is cut.
//
// Deliberately bounded: pixel heights outside 1..maxGlyphPixelHeight are
// refused, the built range holds at most maxGlyphCodes codes, and a texture
// beyond the central image size limit is refused. Refusal leaves sprite and
// texture untouched.
#pragma once

#include "resources/CSprite.h"
#include "resources/CTexture.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

constexpr std::int32_t maxGlyphPixelHeight = 256;
constexpr std::int32_t maxGlyphCodes = 257; // the resource list's default range, 0 to 256

// How a glyph is placed: the pen moves by `advance`; the glyph's frame is
// drawn from `inkLeft` pixels right of the pen (negative: left of it).
struct GlyphMetrics {
    std::int32_t advance = 0;
    std::int32_t inkLeft = 0;
};

// Builds the glyphs of code points first..last (inclusive; first is raised
// to 0 and last lowered to first + maxGlyphCodes - 1) of the font at `path`
// at `pixelHeight` pixels. On success `texture` holds the glyph picture (not
// yet uploaded, no name) and `sprite` has gained one frame per glyph
// FreeType could load, in code order, each referring to `texture` and named
// by its character in UTF-8. The glyphs' metrics are kept in the font's
// glyph cache. Returns false and gives the reason in `error` (when not
// null) when the file cannot be opened as a font, the size is refused or the
// picture cannot be made; sprite and texture are then unchanged (except that
// a failed allocation leaves the texture empty). A range without loadable
// glyphs succeeds with no frames.
bool buildGlyphSprite(const char* path, std::int32_t pixelHeight, std::int32_t first, std::int32_t last,
                      CSprite& sprite, CTexture& texture, std::string* error = nullptr);

// Fonts tried, in order, for characters the font itself does not map
// (applies to caches made afterwards and to glyphs not built yet).
void setGlyphFallbackFonts(const std::vector<std::string>& paths);

class CGlyphCache {
public:
    struct Glyph {
        SpriteFrame frame; // in one of the cache's pages
        GlyphMetrics metrics;
        bool drawable = false; // rendered into a page
    };

    CGlyphCache(std::string path, std::int32_t pixelHeight, std::int32_t cellHeight, std::int32_t baseline);
    ~CGlyphCache();
    CGlyphCache(const CGlyphCache&) = delete;
    CGlyphCache& operator=(const CGlyphCache&) = delete;

    // The glyph of `code`, rendered on first request from the font or the
    // first fallback font that maps it (the font's own missing-glyph box when
    // none does). Null when the font cannot be opened or the code is not a
    // character.
    const Glyph* glyph(char32_t code);
    // Glyphs chosen by text shaping are named by shapedGlyph | face << 22 |
    // glyph index (face 0 the font, 1 on its fallbacks), far above every
    // code point; glyph() renders them by index.
    static constexpr char32_t shapedGlyph = 0x40000000;

    // The text (code points, logical order) as it is drawn, left to right.
    // Text without characters that need shaping comes back as it is.
    // Otherwise each paragraph (up to a newline) is ordered by the Unicode
    // bidirectional algorithm (FriBidi; the direction of its first strong
    // character) and each run of one direction and one font is shaped by
    // HarfBuzz (joined Arabic letters, marks, ligatures): its glyphs become
    // shaped-glyph names, spaces stay spaces (lines still break there) and
    // newlines stay. Positions beyond the advance (mark offsets) are not
    // kept.
    std::vector<char32_t> shape(const std::vector<char32_t>& codes);
    // Metrics of a glyph built by buildGlyphSprite (codes below 256), or null.
    const GlyphMetrics* builtMetrics(char32_t code) const;
    void setBuiltMetrics(char32_t code, const GlyphMetrics& metrics);
    // Uploads the pages that gained glyphs since the last upload.
    void upload();

    const std::string& getPath() const { return path; }
    std::int32_t getPixelHeight() const { return pixelHeight; }
    std::int32_t getCellHeight() const { return cellHeight; }
    std::size_t getPageCount() const { return pages.size(); }

private:
    class Faces;
    void shapeParagraph(const char32_t* text, std::size_t length, std::vector<char32_t>& out);
    bool placeCell(std::int64_t width, std::int64_t& x, std::int64_t& y);

    std::string path;     // as the font sprite was built with it
    std::string openPath; // absolute
    std::int32_t pixelHeight = 0;
    std::int32_t cellHeight = 0;
    std::int32_t baseline = 0; // rows from the cell's top to the baseline
    std::unique_ptr<Faces> faces;
    std::vector<std::unique_ptr<CTexture>> pages;
    std::vector<bool> dirty;
    std::int64_t penX = 0;
    std::int64_t penY = 0;
    std::unordered_map<char32_t, Glyph> built;
    std::array<GlyphMetrics, 256> rangeMetrics{};
    std::array<bool, 256> rangeKnown{};
};

// The glyph cache of a font sprite a resource list built (frames whose
// texture is named after the font file), or null for any other sprite.
std::shared_ptr<CGlyphCache> findGlyphCache(const CSprite& sprite);
