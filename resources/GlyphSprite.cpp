// Glyph sprites and the glyph cache: the FreeType calls, the cell layout and
// the coverage copy.
//
// NOTE: FreeType loads the font's "missing glyph" for codes the font does not
// map, so every code in a built range normally yields a frame; the cache
// asks the fallback fonts first for a code the font does not map.
#include "resources/GlyphSprite.h"

#include "image/ImageLimits.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fribidi.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <filesystem>

namespace {

// Owns the library and face handles of one font file.
class FreeTypeSession {
public:
    FreeTypeSession() = default;
    FreeTypeSession(const FreeTypeSession&) = delete;
    FreeTypeSession& operator=(const FreeTypeSession&) = delete;
    ~FreeTypeSession()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    bool open(const char* path, std::int32_t pixelHeight)
    {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
            return false;
        }
        if (FT_New_Face(library, path, 0, &face) != 0) {
            face = nullptr;
            return false;
        }
        return FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelHeight)) == 0;
    }

    bool maps(std::int64_t code) const { return face && FT_Get_Char_Index(face, static_cast<FT_ULong>(code)) != 0; }

    // Renders the glyph of `code` into the face's slot; the advance is whole
    // pixels, truncated toward zero (a negative advance counts as 0).
    bool render(std::int64_t code, std::int64_t& advance, FT_Int32 flags = 0)
    {
        if (!face || FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER | flags) != 0)
            return false;
        advance = std::max<std::int64_t>(0, face->glyph->advance.x / 64);
        return true;
    }

    // Renders glyph `index` of the face (as text shaping chose it).
    bool renderIndex(std::uint32_t index, std::int64_t& advance, FT_Int32 flags = 0)
    {
        if (!face || index >= static_cast<std::uint32_t>(face->num_glyphs) ||
            FT_Load_Glyph(face, index, FT_LOAD_RENDER | flags) != 0)
            return false;
        advance = std::max<std::int64_t>(0, face->glyph->advance.x / 64);
        return true;
    }

    FT_GlyphSlot slot() const { return face->glyph; }
    FT_Face handle() const { return face; }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

// The horizontal extent of a rendered glyph with its advance: from
// min(0, bitmap left) to max(advance, bitmap left + width), at least 1.
struct Ink {
    std::int64_t left = 0;
    std::int64_t width = 1;
};

Ink inkOf(const FT_GlyphSlot slot, std::int64_t advance)
{
    const std::int64_t bitmapLeft = slot->bitmap.width > 0 ? slot->bitmap_left : 0;
    const std::int64_t left = std::min<std::int64_t>(0, bitmapLeft);
    const std::int64_t right = std::max<std::int64_t>(advance, bitmapLeft + slot->bitmap.width);
    return Ink{left, std::max<std::int64_t>(1, right - left)};
}

struct PlacedGlyph {
    std::int64_t code = 0;
    std::int64_t advance = 0;
    Ink ink;
    std::int64_t x = 0; // cell's top-left corner in the picture, y from the top
    std::int64_t y = 0;
};

// Coverage of column `column` of row `row` of a rendered bitmap, 0 for the
// pixel formats that carry none we use.
std::uint8_t coverageAt(const FT_Bitmap& bitmap, std::uint32_t row, std::uint32_t column)
{
    const std::int64_t pitch = bitmap.pitch;
    // A negative pitch means the rows are stored bottom-up.
    const std::int64_t rowIndex = pitch >= 0 ? row : std::int64_t(bitmap.rows) - 1 - row;
    const unsigned char* line = bitmap.buffer + rowIndex * (pitch >= 0 ? pitch : -pitch);
    switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_GRAY:
        return line[column];
    case FT_PIXEL_MODE_MONO:
        return (line[column / 8] & (0x80 >> (column % 8))) ? 255 : 0;
    case FT_PIXEL_MODE_BGRA:
        return line[column * 4 + 3];
    default:
        return 0;
    }
}

// Writes the slot's bitmap as white pixels with the coverage in alpha, the
// pen at column `penX` and the baseline on row `baseline` (rows counted from
// the picture's top). Only rows firstRow..lastRow - 1 are written (the
// cell); pixels outside the picture are dropped; where glyphs overlap, the
// stronger coverage stays.
void copyCoverage(const FT_GlyphSlot slot, std::int64_t penX, std::int64_t baseline, std::int64_t firstRow,
                  std::int64_t lastRow, CTexture& texture)
{
    const FT_Bitmap& bitmap = slot->bitmap;
    if (!bitmap.buffer || bitmap.width == 0 || bitmap.rows == 0)
        return;
    const std::int64_t width = texture.getWidth();
    const std::int64_t height = texture.getHeight();
    std::uint8_t* pixels = texture.getData();
    const std::int64_t top = baseline - slot->bitmap_top;
    for (std::uint32_t row = 0; row < bitmap.rows; ++row) {
        const std::int64_t y = top + row;
        if (y < 0 || y >= height || y < firstRow || y >= lastRow)
            continue;
        // The picture's rows are stored bottom-up.
        std::uint8_t* line = pixels + (height - 1 - y) * width * 4;
        for (std::uint32_t column = 0; column < bitmap.width; ++column) {
            const std::int64_t x = penX + slot->bitmap_left + column;
            if (x < 0 || x >= width)
                continue;
            std::uint8_t* pixel = line + x * 4;
            pixel[0] = pixel[1] = pixel[2] = 255;
            pixel[3] = std::max(pixel[3], coverageAt(bitmap, row, column));
        }
    }
}

String utf8Name(std::int64_t code)
{
    char bytes[4];
    std::uint32_t length = 0;
    const auto c = static_cast<std::uint32_t>(code);
    if (c < 0x80) {
        bytes[length++] = static_cast<char>(c);
    } else if (c < 0x800) {
        bytes[length++] = static_cast<char>(0xC0 | (c >> 6));
        bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes[length++] = static_cast<char>(0xE0 | (c >> 12));
        bytes[length++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes[length++] = static_cast<char>(0xF0 | (c >> 18));
        bytes[length++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    return String(bytes, length);
}

bool fail(std::string* error, const std::string& reason)
{
    if (error)
        *error = "Font: " + reason;
    return false;
}

std::vector<std::string>& fallbackPaths()
{
    static std::vector<std::string> paths;
    return paths;
}

// Every cache made, for the life of the process: fonts are few, and text
// elements find theirs by the font file and cell height.
std::vector<std::shared_ptr<CGlyphCache>>& caches()
{
    static std::vector<std::shared_ptr<CGlyphCache>> all;
    return all;
}

std::shared_ptr<CGlyphCache> cacheFor(const std::string& path, std::int32_t pixelHeight, std::int32_t cellHeight,
                                      std::int32_t baseline)
{
    for (const auto& cache : caches()) {
        if (cache->getPath() == path && cache->getPixelHeight() == pixelHeight && cache->getCellHeight() == cellHeight)
            return cache;
    }
    caches().push_back(std::make_shared<CGlyphCache>(path, pixelHeight, cellHeight, baseline));
    return caches().back();
}

}

bool buildGlyphSprite(const char* path, std::int32_t pixelHeight, std::int32_t first, std::int32_t last,
                      CSprite& sprite, CTexture& texture, std::string* error)
{
    if (pixelHeight < 1 || pixelHeight > maxGlyphPixelHeight)
        return fail(error, "pixel height " + std::to_string(pixelHeight) + " is outside 1 to " +
                               std::to_string(maxGlyphPixelHeight));
    FreeTypeSession font;
    if (!path || !font.open(path, pixelHeight))
        return fail(error, std::string("cannot read ") + (path ? path : "(no file)") + " as a font");

    const std::int64_t firstCode = std::max<std::int32_t>(first, 0);
    const std::int64_t lastCode = std::min<std::int64_t>(last, firstCode + maxGlyphCodes - 1);

    // Measuring pass: cell height, the deepest descender, every glyph's ink.
    std::vector<PlacedGlyph> glyphs;
    std::int64_t cellHeight = pixelHeight;
    std::int64_t lowest = 0;
    for (std::int64_t code = firstCode; code <= lastCode; ++code) {
        PlacedGlyph glyph;
        glyph.code = code;
        if (!font.render(code, glyph.advance))
            continue;
        const FT_GlyphSlot slot = font.slot();
        glyph.ink = inkOf(slot, glyph.advance);
        cellHeight = std::max<std::int64_t>(cellHeight, slot->bitmap.rows);
        lowest = std::min<std::int64_t>(lowest, std::int64_t(slot->bitmap_top) - slot->bitmap.rows);
        glyphs.push_back(glyph);
    }
    if (glyphs.empty())
        return true;

    // Rows of 16 cells with 2-pixel gaps fix the picture's width; a wider
    // cell gets room on a row of its own.
    std::int64_t width = 0;
    std::int64_t rowWidth = 2;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        rowWidth += glyphs[i].ink.width + 2;
        width = std::max(width, glyphs[i].ink.width + 4);
        if ((i + 1) % 16 == 0 || i + 1 == glyphs.size()) {
            width = std::max(width, rowWidth);
            rowWidth = 2;
        }
    }
    std::int64_t penX = 2;
    std::int64_t penY = 2;
    for (PlacedGlyph& glyph : glyphs) {
        if (penX + glyph.ink.width + 2 > width) {
            penX = 2;
            penY += cellHeight + 2;
        }
        glyph.x = penX;
        glyph.y = penY;
        penX += glyph.ink.width + 2;
    }
    const std::int64_t height = penY + cellHeight + 2;
    if (width > maxImageSide || height > maxImageSide)
        return fail(error, "glyph texture " + std::to_string(width) + "x" + std::to_string(height) + " is too large");
    if (!texture.create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 4, 32))
        return fail(error, "cannot allocate the glyph texture");

    // Placing pass: copy every glyph's coverage into its cell, the pen
    // -inkLeft pixels into it, and describe the cell as a frame named by the
    // character.
    const std::int64_t baseline = cellHeight + lowest;
    std::shared_ptr<CGlyphCache> cache =
        cacheFor(path, pixelHeight, static_cast<std::int32_t>(cellHeight), static_cast<std::int32_t>(baseline));
    std::vector<SpriteFrame> frames;
    frames.reserve(glyphs.size());
    for (const PlacedGlyph& glyph : glyphs) {
        std::int64_t advance = 0;
        if (!font.render(glyph.code, advance))
            continue;
        copyCoverage(font.slot(), glyph.x - glyph.ink.left, glyph.y + baseline, glyph.y, glyph.y + cellHeight,
                     texture);
        SpriteFrame frame;
        frame.name = utf8Name(glyph.code);
        frame.initFrame(static_cast<std::uint32_t>(glyph.x), static_cast<std::uint32_t>(glyph.y),
                        static_cast<std::uint32_t>(glyph.ink.width), static_cast<std::uint32_t>(cellHeight), 0,
                        &texture);
        frames.push_back(frame);
        cache->setBuiltMetrics(static_cast<char32_t>(glyph.code),
                               GlyphMetrics{static_cast<std::int32_t>(glyph.advance),
                                            static_cast<std::int32_t>(glyph.ink.left)});
    }
    for (const SpriteFrame& frame : frames)
        sprite.addFrame(frame);
    return true;
}

void setGlyphFallbackFonts(const std::vector<std::string>& paths)
{
    fallbackPaths() = paths;
}

std::shared_ptr<CGlyphCache> findGlyphCache(const CSprite& sprite)
{
    const SpriteFrame* cell = sprite.getFrame(0);
    if (!cell || !cell->texture || !cell->texture->getFile().c_str())
        return nullptr;
    const std::string path(cell->texture->getFile().c_str(), cell->texture->getFile().length());
    for (const auto& cache : caches()) {
        if (cache->getPath() == path && cache->getCellHeight() == static_cast<std::int32_t>(cell->h))
            return cache;
    }
    return nullptr;
}

// --- The cache ---

// The font and its fallbacks, opened on first use.
class CGlyphCache::Faces {
public:
    Faces(const std::string& path, std::int32_t pixelHeight)
    {
        primaryOpen = primary.open(path.c_str(), pixelHeight);
        for (const std::string& fallback : fallbackPaths()) {
            auto session = std::make_unique<FreeTypeSession>();
            if (session->open(fallback.c_str(), pixelHeight))
                fallbacks.push_back(std::move(session));
        }
    }

    ~Faces()
    {
        for (hb_font_t* font : shapers)
            hb_font_destroy(font);
    }

    // Face 0 is the font, 1 on its fallbacks; null past the last or when
    // the font did not open.
    FreeTypeSession* at(std::size_t index)
    {
        if (index == 0)
            return primaryOpen ? &primary : nullptr;
        return index - 1 < fallbacks.size() ? fallbacks[index - 1].get() : nullptr;
    }

    // The index of the face that maps `code`, or -1 when none does.
    int indexFor(char32_t code)
    {
        if (primaryOpen && primary.maps(code))
            return 0;
        for (std::size_t i = 0; i < fallbacks.size(); ++i) {
            if (fallbacks[i]->maps(code))
                return static_cast<int>(i + 1);
        }
        return -1;
    }

    // HarfBuzz's view of face `index`, made on first use.
    hb_font_t* shaper(std::size_t index)
    {
        FreeTypeSession* session = at(index);
        if (session == nullptr)
            return nullptr;
        if (shapers.size() <= index)
            shapers.resize(index + 1, nullptr);
        if (shapers[index] == nullptr)
            shapers[index] = hb_ft_font_create_referenced(session->handle());
        return shapers[index];
    }

    // The face that maps `code`: the font's own, the first fallback that
    // does, or the font's own missing glyph.
    FreeTypeSession* forCode(char32_t code, bool& isFallback)
    {
        isFallback = false;
        if (primaryOpen && primary.maps(code))
            return &primary;
        for (auto& fallback : fallbacks) {
            if (fallback->maps(code)) {
                isFallback = true;
                return fallback.get();
            }
        }
        return primaryOpen ? &primary : nullptr;
    }

private:
    FreeTypeSession primary;
    bool primaryOpen = false;
    std::vector<std::unique_ptr<FreeTypeSession>> fallbacks;
    std::vector<hb_font_t*> shapers; // last: destroyed before the faces
};

CGlyphCache::CGlyphCache(std::string fontPath, std::int32_t height, std::int32_t cell, std::int32_t base)
    : path(std::move(fontPath)), pixelHeight(height), cellHeight(cell), baseline(base)
{
    // The font is opened on first use, perhaps after the working directory
    // changed: a relative name is made absolute now.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    openPath = error ? path : absolute.string();
}

CGlyphCache::~CGlyphCache() = default;

const GlyphMetrics* CGlyphCache::builtMetrics(char32_t code) const
{
    return code < 256 && rangeKnown[code] ? &rangeMetrics[code] : nullptr;
}

void CGlyphCache::setBuiltMetrics(char32_t code, const GlyphMetrics& metrics)
{
    if (code >= 256)
        return;
    rangeMetrics[code] = metrics;
    rangeKnown[code] = true;
}

// A free cell `width` wide on the current page, or on a new one.
bool CGlyphCache::placeCell(std::int64_t width, std::int64_t& x, std::int64_t& y)
{
    const std::int64_t side = cellHeight > 60 ? 2048 : 512;
    if (width + 4 > side || cellHeight + 4 > side)
        return false;
    if (!pages.empty() && penX + width + 2 > side) {
        penX = 2;
        penY += cellHeight + 2;
    }
    if (pages.empty() || penY + cellHeight + 2 > side) {
        auto page = std::make_unique<CTexture>();
        if (!page->create(static_cast<std::uint32_t>(side), static_cast<std::uint32_t>(side), 4, 32))
            return false;
        page->prepareSquare(0xFFFFFFFFu, nullptr);
        pages.push_back(std::move(page));
        dirty.push_back(true);
        penX = 2;
        penY = 2;
    }
    x = penX;
    y = penY;
    penX += width + 2;
    return true;
}

const CGlyphCache::Glyph* CGlyphCache::glyph(char32_t code)
{
    if (code > 0x10FFFF && code < shapedGlyph)
        return nullptr;
    if (const auto found = built.find(code); found != built.end())
        return &found->second;
    if (!faces)
        faces = std::make_unique<Faces>(openPath, pixelHeight);
    Glyph& entry = built[code];
    bool fallback = false;
    FreeTypeSession* face = nullptr;
    std::int64_t advance = 0;
    if (code >= shapedGlyph) {
        const std::size_t faceIndex = (code - shapedGlyph) >> 22;
        fallback = faceIndex > 0;
        face = faces->at(faceIndex);
        if (!face || !face->renderIndex(code & 0x3FFFFF, advance, fallback ? FT_LOAD_NO_HINTING : 0))
            return &entry;
    } else {
        face = faces->forCode(code, fallback);
        // Fallback glyphs (CJK above all, thousands of them) are drawn
        // without the font's hinting programs, which cost more than the
        // rendering.
        if (!face || !face->render(code, advance, fallback ? FT_LOAD_NO_HINTING : 0))
            return &entry;
    }
    const FT_GlyphSlot slot = face->slot();
    const Ink ink = inkOf(slot, advance);
    std::int64_t x = 0;
    std::int64_t y = 0;
    if (!placeCell(ink.width, x, y))
        return &entry;
    CTexture& page = *pages.back();
    copyCoverage(slot, x - ink.left, y + baseline, y, y + cellHeight, page);
    dirty.back() = true;
    entry.frame.name = code < shapedGlyph ? utf8Name(code) : String();
    entry.frame.initFrame(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                          static_cast<std::uint32_t>(ink.width), static_cast<std::uint32_t>(cellHeight), 0, &page);
    entry.metrics = GlyphMetrics{static_cast<std::int32_t>(advance), static_cast<std::int32_t>(ink.left)};
    entry.drawable = true;
    return &entry;
}

void CGlyphCache::upload()
{
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (!dirty[i])
            continue;
        pages[i]->upload(0xFFFFFFFFu, false, false, false, false);
        dirty[i] = false;
    }
}

// --- Shaping ---

namespace {

// Characters that are drawn wrongly one by one: scripts whose letters join
// or reorder (Hebrew, Arabic, Syriac, Thaana, NKo, the Indic and South-east
// Asian scripts, Tibetan, Myanmar, Khmer, presentation forms), direction
// marks and isolates, joiners and variation selectors (emoji sequences),
// skin-tone modifiers and tags, and the right-to-left historic scripts.
bool needsShaping(char32_t c)
{
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0x0900 && c <= 0x0FFF) || (c >= 0x1000 && c <= 0x109F) ||
           (c >= 0x1780 && c <= 0x17FF) || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE00 && c <= 0xFE0F) ||
           (c >= 0xFE70 && c <= 0xFEFF) || (c >= 0x10800 && c <= 0x10FFF) || (c >= 0x1E800 && c <= 0x1EFFF) ||
           (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0000 && c <= 0xE01EF);
}

struct ShapedRun {
    std::size_t start = 0;
    std::size_t end = 0;
    FriBidiLevel level = 0;
    int face = 0;
    std::vector<char32_t> glyphs; // in visual order
};

}

std::vector<char32_t> CGlyphCache::shape(const std::vector<char32_t>& codes)
{
    if (std::none_of(codes.begin(), codes.end(), needsShaping))
        return codes;
    if (!faces)
        faces = std::make_unique<Faces>(openPath, pixelHeight);
    // Bytes that decode to no character are dropped; they draw nothing.
    std::vector<char32_t> text;
    text.reserve(codes.size());
    for (const char32_t c : codes) {
        if (c <= 0x10FFFF)
            text.push_back(c);
    }
    std::vector<char32_t> out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\n')
            continue;
        shapeParagraph(text.data() + start, i - start, out);
        if (i < text.size())
            out.push_back('\n');
        start = i + 1;
    }
    return out;
}

void CGlyphCache::shapeParagraph(const char32_t* text, std::size_t length, std::vector<char32_t>& out)
{
    if (length == 0)
        return;
    const auto count = static_cast<FriBidiStrIndex>(length);
    std::vector<FriBidiChar> chars(text, text + length);
    std::vector<FriBidiCharType> types(length);
    std::vector<FriBidiBracketType> brackets(length);
    std::vector<FriBidiLevel> levels(length, 0);
    fribidi_get_bidi_types(chars.data(), count, types.data());
    fribidi_get_bracket_types(chars.data(), count, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), count, &direction, levels.data()) == 0)
        std::fill(levels.begin(), levels.end(), FriBidiLevel(0));

    // Runs of one level and one face; a character no face maps (a joiner,
    // a variation selector) stays with the run before it.
    std::vector<ShapedRun> runs;
    for (std::size_t i = 0; i < length; ++i) {
        int face = faces->indexFor(text[i]);
        if (face < 0)
            face = runs.empty() ? 0 : runs.back().face;
        if (runs.empty() || runs.back().level != levels[i] || runs.back().face != face)
            runs.push_back(ShapedRun{i, i, levels[i], face, {}});
        runs.back().end = i + 1;
    }
    hb_buffer_t* buffer = hb_buffer_create();
    for (ShapedRun& run : runs) {
        hb_font_t* font = faces->shaper(static_cast<std::size_t>(run.face));
        if (font == nullptr) {
            run.glyphs.assign(text + run.start, text + run.end);
            if (run.level % 2 == 1)
                std::reverse(run.glyphs.begin(), run.glyphs.end());
            continue;
        }
        hb_buffer_clear_contents(buffer);
        // The whole paragraph is the context, so letters at a run's edge
        // join as they would in one piece.
        hb_buffer_add_codepoints(buffer, reinterpret_cast<const hb_codepoint_t*>(text), static_cast<int>(length),
                                 static_cast<unsigned int>(run.start), static_cast<int>(run.end - run.start));
        hb_buffer_set_direction(buffer, run.level % 2 == 1 ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_guess_segment_properties(buffer);
        hb_shape(font, buffer, nullptr, 0);
        unsigned int glyphCount = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &glyphCount);
        for (unsigned int g = 0; g < glyphCount; ++g) {
            const std::uint32_t cluster = infos[g].cluster;
            if (cluster < length && text[cluster] == ' ')
                run.glyphs.push_back(' ');
            else
                run.glyphs.push_back(shapedGlyph | (static_cast<char32_t>(run.face) << 22) |
                                     (infos[g].codepoint & 0x3FFFFF));
        }
    }
    hb_buffer_destroy(buffer);

    // Runs in visual order (rule L2): from the highest level down to the
    // lowest odd one, every stretch of runs at that level or above turns
    // round.
    FriBidiLevel highest = 0;
    FriBidiLevel lowestOdd = 255;
    for (const ShapedRun& run : runs) {
        highest = std::max(highest, run.level);
        if (run.level % 2 == 1)
            lowestOdd = std::min(lowestOdd, run.level);
    }
    for (int level = highest; level >= lowestOdd && level > 0; --level) {
        for (std::size_t i = 0; i < runs.size();) {
            if (runs[i].level < level) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < runs.size() && runs[j].level >= level)
                ++j;
            std::reverse(runs.begin() + static_cast<std::ptrdiff_t>(i), runs.begin() + static_cast<std::ptrdiff_t>(j));
            i = j;
        }
    }
    for (const ShapedRun& run : runs)
        out.insert(out.end(), run.glyphs.begin(), run.glyphs.end());
}
