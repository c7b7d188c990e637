// Glyph sprites: the FreeType calls, the cell layout and the coverage copy.
//
// NOTE: FreeType loads the font's "missing glyph" for codes the font does not
// map, so every code in the range normally yields a frame.
#include "resources/GlyphSprite.h"

#include "image/ImageLimits.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <vector>

namespace {

// Owns the library and face handles for one build.
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

    // Renders the glyph of `code` into the face's slot; the advance is whole
    // pixels, truncated toward zero (a negative advance counts as 0).
    bool render(std::int64_t code, std::int64_t& advance)
    {
        if (FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER) != 0)
            return false;
        advance = std::max<std::int64_t>(0, face->glyph->advance.x / 64);
        return true;
    }

    FT_GlyphSlot slot() const { return face->glyph; }

private:
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

struct PlacedGlyph {
    std::int64_t code = 0;
    std::int64_t advance = 0;
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
// bitmap's bottom edge (top - rows) above `baseline` (a row counted from the
// picture's top). Pixels outside the picture are dropped; where glyphs
// overlap, the stronger coverage stays.
void copyCoverage(const FT_GlyphSlot slot, std::int64_t penX, std::int64_t baseline, CTexture& texture)
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
        if (y < 0 || y >= height)
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

bool fail(std::string* error, const std::string& reason)
{
    if (error)
        *error = "Font: " + reason;
    return false;
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

    // Measuring pass: cell height, the deepest descender, and rows of about
    // 16 glyphs that fix the picture's width.
    std::vector<PlacedGlyph> glyphs;
    std::int64_t cellHeight = pixelHeight;
    std::int64_t lowest = 0;
    std::int64_t penX = 2;
    std::int64_t rows = 1;
    std::int64_t width = 0;
    std::int64_t widestCell = 0;
    for (std::int64_t code = firstCode; code <= lastCode; ++code) {
        PlacedGlyph glyph;
        glyph.code = code;
        if (!font.render(code, glyph.advance))
            continue;
        const FT_GlyphSlot slot = font.slot();
        cellHeight = std::max<std::int64_t>(cellHeight, slot->bitmap.rows);
        lowest = std::min<std::int64_t>(lowest, std::int64_t(slot->bitmap_top) - slot->bitmap.rows);
        glyphs.push_back(glyph);
        if (glyphs.size() % 16 == 0) {
            width = std::max(width, penX);
            ++rows;
            penX = glyph.advance + 4;
        } else {
            penX += glyph.advance + 2;
        }
        widestCell = std::max(widestCell, glyph.advance + 5);
    }
    if (glyphs.empty())
        return true;
    if (rows == 1)
        width = penX + 2;
    // A glyph wider than the rows above would not fit anywhere: make room for
    // it on a row of its own.
    width = std::max(width, widestCell);

    // The placing layout wraps a row one glyph earlier than the measuring
    // rows assume, so it also decides how many rows the picture needs.
    std::int64_t placedRows = 1;
    penX = 2;
    std::int64_t penY = 2;
    for (PlacedGlyph& glyph : glyphs) {
        if (penX + glyph.advance + 2 >= width) {
            penX = 2;
            penY += cellHeight + 2;
            ++placedRows;
        }
        glyph.x = penX;
        glyph.y = penY;
        penX += glyph.advance + 2;
    }
    const std::int64_t height = (cellHeight + 2) * std::max(rows, placedRows);
    if (width > maxImageSide || height > maxImageSide)
        return fail(error, "glyph texture " + std::to_string(width) + "x" + std::to_string(height) + " is too large");
    if (!texture.create(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 4, 32))
        return fail(error, "cannot allocate the glyph texture");

    // Placing pass: copy every glyph's coverage into its cell and describe
    // the cell as a frame named by the character's low byte.
    std::vector<SpriteFrame> frames;
    frames.reserve(glyphs.size());
    for (const PlacedGlyph& glyph : glyphs) {
        std::int64_t advance = 0;
        if (!font.render(glyph.code, advance))
            continue;
        copyCoverage(font.slot(), glyph.x, glyph.y + cellHeight + lowest, texture);
        const char name = static_cast<char>(glyph.code & 0xFF);
        SpriteFrame frame;
        frame.name = String(&name, 1);
        frame.initFrame(static_cast<std::uint32_t>(glyph.x), static_cast<std::uint32_t>(glyph.y),
                        static_cast<std::uint32_t>(glyph.advance), static_cast<std::uint32_t>(cellHeight), 0,
                        &texture);
        frames.push_back(frame);
    }
    for (const SpriteFrame& frame : frames)
        sprite.addFrame(frame);
    return true;
}
