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

    FT_GlyphSlot slot() const { return face->glyph; }

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
    if (code > 0x10FFFF)
        return nullptr;
    if (const auto found = built.find(code); found != built.end())
        return &found->second;
    if (!faces)
        faces = std::make_unique<Faces>(openPath, pixelHeight);
    Glyph& entry = built[code];
    bool fallback = false;
    FreeTypeSession* face = faces->forCode(code, fallback);
    std::int64_t advance = 0;
    // Fallback glyphs (CJK above all, thousands of them) are drawn without
    // the font's hinting programs, which cost more than the rendering.
    if (!face || !face->render(code, advance, fallback ? FT_LOAD_NO_HINTING : 0))
        return &entry;
    const FT_GlyphSlot slot = face->slot();
    const Ink ink = inkOf(slot, advance);
    std::int64_t x = 0;
    std::int64_t y = 0;
    if (!placeCell(ink.width, x, y))
        return &entry;
    CTexture& page = *pages.back();
    copyCoverage(slot, x - ink.left, y + baseline, y, y + cellHeight, page);
    dirty.back() = true;
    entry.frame.name = utf8Name(code);
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
