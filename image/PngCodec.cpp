// PngCodec: chunk walking, row filters and file handling for the PNG reader
// and writer. Byte layouts follow the PNG standard (all integers big-endian).
#include "image/PngCodec.h"

#include "core/CMemoryReader.h"
#include "core/CSafeWriter.h"
#include "core/FileBytes.h"
#include "image/CCrc32.h"
#include "image/CParallelDeflate.h"
#include "image/CZlibCodec.h"
#include "image/ImageLimits.h"
#include "image/PngPixelFormats.h"
#include "image/PngReduction.h"
#include "image/PngRowFilters.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::uint8_t pngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::uint32_t maxChunkLength = 0x7FFFFFFFu;  // the PNG standard's limit
// Deflate cannot expand data by more than 1032:1 (258 bytes from two bits),
// so image data shorter than this share of the raw size is refused before the
// raw buffer is allocated.
constexpr std::uint64_t maxInflateRatio = 1032;

// IHDR data, 13 bytes in this order (the PNG standard, section 11.2.2).
struct PngHeader {
    static constexpr std::uint32_t size = 13;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colourType = 0;
    std::uint8_t compressionMethod = 0;
    std::uint8_t filterMethod = 0;
    std::uint8_t interlaceMethod = 0;
};

std::uint32_t readBigEndian32(const std::uint8_t* bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           std::uint32_t(bytes[3]);
}

void writeBigEndian32(std::uint8_t* bytes, std::uint32_t value)
{
    bytes[0] = std::uint8_t(value >> 24);
    bytes[1] = std::uint8_t(value >> 16);
    bytes[2] = std::uint8_t(value >> 8);
    bytes[3] = std::uint8_t(value);
}

PngHeader parseHeader(const std::uint8_t* bytes)
{
    PngHeader header;
    header.width = readBigEndian32(bytes);
    header.height = readBigEndian32(bytes + 4);
    header.bitDepth = bytes[8];
    header.colourType = bytes[9];
    header.compressionMethod = bytes[10];
    header.filterMethod = bytes[11];
    header.interlaceMethod = bytes[12];
    return header;
}

// Chunk type comparison: the four letters without regard to case.
bool isChunkType(const std::uint8_t* type, const char* name)
{
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t letter = type[i] >= 'a' && type[i] <= 'z' ? std::uint8_t(type[i] - 32) : type[i];
        if (letter != std::uint8_t(name[i]))
            return false;
    }
    return true;
}

bool isEnd(const std::uint8_t* type)
{
    return std::memcmp(type, "IEND", 4) == 0;
}

std::string printableType(const std::uint8_t* type)
{
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += (type[i] >= 0x20 && type[i] < 0x7F) ? char(type[i]) : '?';
    return text;
}

// Bytes per pixel for a supported colour type at bit depth 8, else 0.
std::uint32_t bytesPerPixelOf(std::uint8_t colourType)
{
    switch (colourType) {
    case 0: return 1;
    case 4: return 2;
    case 2: return 3;
    case 6: return 4;
    default: return 0;
    }
}

// Checks that the IHDR describes a picture this reader decodes.
bool checkHeader(const PngHeader& header, std::string* error)
{
    std::string reason;
    if (header.compressionMethod != 0)
        reason = "PNG: compression method " + std::to_string(header.compressionMethod) + " is not supported";
    else if (header.filterMethod != 0)
        reason = "PNG: filter method " + std::to_string(header.filterMethod) + " is not supported";
    else if (header.interlaceMethod > 1)
        reason = "PNG: interlace method " + std::to_string(header.interlaceMethod) + " is not supported";
    else
        reason = checkPngPixelFormat(header.bitDepth, header.colourType);
    if (reason.empty())
        return checkImageSize(header.width, header.height, "PNG", error);
    if (error != nullptr)
        *error = std::move(reason);
    return false;
}

PngPixelFormat pixelFormatOf(const PngHeader& header)
{
    return PngPixelFormat{header.width, header.height, header.bitDepth, header.colourType, header.interlaceMethod};
}

// Takes a PLTE or tRNS chunk met before the image data into `tables`; false
// with a reason for a palette image's unusable PLTE.
bool takeColourChunk(const PngHeader& header, const std::uint8_t* type, const std::uint8_t* data,
                     std::uint32_t length, PngColourTables& tables, std::string* error)
{
    if (std::memcmp(type, "PLTE", 4) == 0) {
        // Only palette images use the PLTE; for RGB it is a mere suggestion.
        if (header.colourType == 3 && tables.paletteSize == 0 && !tables.setPalette(data, length)) {
            if (error != nullptr)
                *error = "PNG: PLTE chunk of " + std::to_string(length) + " bytes is not a palette";
            return false;
        }
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
        tables.setTransparency(header.colourType, data, length);
    }
    return true;
}

int paethPredictor(int a, int b, int c)
{
    // p = a + b - c; the distances |p - a|, |p - b|, |p - c| without forming p.
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

// Undoes one row's filter. `prior` is the decoded row above (zeros for the
// first row). The pixel size is a template argument so that each of the four
// variants gets its own tight loop; the left and upper-left pixels are carried
// in locals from one pixel to the next, which keeps the Paeth loop free of
// reloads and lets the compiler work on the N bytes of a pixel side by side.
template <std::size_t N>
void unfilterRow(std::uint8_t filter, const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* prior,
                 std::size_t length)
{
    int left[N] = {};
    int upperLeft[N] = {};
    switch (filter) {
    case 0:
        std::memmove(out, in, length);  // the rows may overlap when undone in place
        break;
    case 1:
        for (std::size_t i = 0; i < length; i += N)
            for (std::size_t k = 0; k < N; ++k)
                out[i + k] = std::uint8_t(left[k] = (in[i + k] + left[k]) & 0xFF);
        break;
    case 2:
        for (std::size_t i = 0; i < length; ++i)
            out[i] = std::uint8_t(in[i] + prior[i]);
        break;
    case 3:
        for (std::size_t i = 0; i < length; i += N)
            for (std::size_t k = 0; k < N; ++k)
                out[i + k] = std::uint8_t(left[k] = (in[i + k] + ((left[k] + prior[i + k]) >> 1)) & 0xFF);
        break;
    default:  // 4, Paeth
        for (std::size_t i = 0; i < length; i += N) {
            for (std::size_t k = 0; k < N; ++k) {
                const int a = left[k], b = prior[i + k], c = upperLeft[k];
                const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
                // Branch-free choice: the winner changes from byte to byte
                // in ways no branch predictor follows.
                const int takeA = -int((pa <= pb) & (pa <= pc));
                const int takeB = -int(pb <= pc);
                const int predicted = (a & takeA) | (~takeA & ((b & takeB) | (c & ~takeB)));
                left[k] = (in[i + k] + predicted) & 0xFF;
                upperLeft[k] = b;
                out[i + k] = std::uint8_t(left[k]);
            }
        }
        break;
    }
}

#if defined(__SSE2__)
// Paeth for 3- and 4-byte pixels with the bytes of one pixel side by side in
// 16-bit lanes: the same choices as the scalar loop, a quarter of the work.
// NOTE: 3-byte pixels are loaded as 4 bytes (the spare lane is computed and
// dropped) except for the row's last pixel, whose next byte may lie past the
// buffer; a 3-byte load would go through memory and stall.
template <std::size_t N>
void unfilterPaethWide(const std::uint8_t* in, std::uint8_t* out, const std::uint8_t* prior, std::size_t length)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lowByte = _mm_set1_epi16(0xFF);
    auto load = [&](const std::uint8_t* at, std::size_t bytes) {
        std::uint32_t value = 0;
        if (bytes == 4)
            std::memcpy(&value, at, 4);
        else
            std::memcpy(&value, at, N);
        return _mm_unpacklo_epi8(_mm_cvtsi32_si128(int(value)), zero);
    };
    auto absolute = [&](__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); };
    auto choose = [](__m128i mask, __m128i ifClear, __m128i ifSet) {
        return _mm_or_si128(_mm_andnot_si128(mask, ifClear), _mm_and_si128(mask, ifSet));
    };
    __m128i a = zero, c = zero;
    for (std::size_t i = 0; i < length; i += N) {
        // Transparent runs: with everything to the left and above zero, zero
        // input decodes to zero, 16 bytes at a time (atlases are mostly this).
        if (i + 16 <= length && _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_or_si128(a, c), zero)) == 0xFFFF) {
            const __m128i ahead = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)),
                                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(prior + i)));
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(ahead, zero)) == 0xFFFF) {
                const std::size_t run = 16 - 16 % N;  // whole pixels only
                std::memset(out + i, 0, run);
                i += run - N;
                continue;
            }
        }
        const std::size_t loadBytes = i + 4 <= length ? 4 : N;
        const __m128i b = load(prior + i, loadBytes);
        const __m128i x = load(in + i, loadBytes);
        const __m128i bc = _mm_sub_epi16(b, c);
        const __m128i ac = _mm_sub_epi16(a, c);
        const __m128i pa = absolute(bc);
        const __m128i pb = absolute(ac);
        const __m128i pc = absolute(_mm_add_epi16(bc, ac));
        const __m128i bOrC = choose(_mm_cmpgt_epi16(pb, pc), b, c);
        const __m128i predicted = choose(_mm_cmpgt_epi16(pa, _mm_min_epi16(pb, pc)), a, bOrC);
        a = _mm_and_si128(_mm_add_epi16(x, predicted), lowByte);
        const std::uint32_t bytes = std::uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(a, a)));
        std::memcpy(out + i, &bytes, N);
        c = b;
    }
}
#endif

// Undoes the filters in place: `block` holds the inflated rows (each led by
// its filter byte) and receives the pixels, packed from the front; row r moves
// r + 1 bytes towards the front, so no byte is written before it is read.
// The rows are put bottom-up by swapping row i with row height - 1 - i.
template <std::size_t N>
bool unfilterImage(std::uint8_t* block, std::uint32_t width, std::uint32_t height, std::string& error)
{
    const std::size_t stride = std::size_t(width) * N;
    const std::vector<std::uint8_t> zeros(stride, 0);  // the row above the first row
    const std::uint8_t* prior = zeros.data();
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint8_t* in = block + std::size_t(row) * (stride + 1);
        const std::uint8_t filter = in[0];
        if (filter > 4) {
            error = "PNG: row " + std::to_string(row) + " has unknown filter type " + std::to_string(filter);
            return false;
        }
        std::uint8_t* out = block + std::size_t(row) * stride;
        bool done = false;
#if defined(__SSE2__)
        if constexpr (N >= 3) {
            if (filter == 4) {
                unfilterPaethWide<N>(in + 1, out, prior, stride);
                done = true;
            }
        }
#endif
        if (!done)
            unfilterRow<N>(filter, in + 1, out, prior, stride);
        prior = out;
        // Once past the middle, swap the row just decoded with its mirror row
        // while it is still in the cache. The mirror lies wholly before this
        // row's input, so nothing still to be read is overwritten; the next
        // row's "above" is this row at its new place.
        const std::uint32_t mirror = height - 1 - row;
        if (mirror < row) {
            std::uint8_t* upper = block + std::size_t(mirror) * stride;
            std::swap_ranges(upper, upper + stride, out);
            prior = upper;
        }
    }
    return true;
}

// Applies Sub to the first row and Paeth to every later row, writing
// height x (1 + stride) bytes; `block` is bottom-up, the output top-down.
template <std::size_t N>
void filterImage(const std::uint8_t* block, std::uint8_t* filtered, std::uint32_t width, std::uint32_t height)
{
    const std::size_t stride = std::size_t(width) * N;
    for (std::uint32_t row = 0; row < height; ++row) {
        const std::uint8_t* in = block + std::size_t(height - 1 - row) * stride;
        std::uint8_t* out = filtered + std::size_t(row) * (stride + 1);
        if (row == 0) {
            out[0] = 1;
            for (std::size_t i = 0; i < N && i < stride; ++i)
                out[1 + i] = in[i];
            for (std::size_t i = N; i < stride; ++i)
                out[1 + i] = std::uint8_t(in[i] - in[i - N]);
            continue;
        }
        const std::uint8_t* above = in + stride;  // the row above in the picture
        out[0] = 4;
        for (std::size_t i = 0; i < N && i < stride; ++i)
            out[1 + i] = std::uint8_t(in[i] - above[i]);
        for (std::size_t i = N; i < stride; ++i)
            out[1 + i] = std::uint8_t(in[i] - paethPredictor(in[i - N], above[i], above[i - N]));
    }
}

// Where the image data lives in the file: each IDAT's offset and length.
struct ImageDataPiece {
    std::size_t offset;
    std::size_t length;
};

// Finds the IHDR of a file by reading chunk headers only; with `tables`
// given, reads on to the image data and takes the PLTE and tRNS chunks too.
bool readHeaderFromFile(const char* path, PngHeader& header, PngColourTables* tables, bool& tablesUsable)
{
    std::FILE* file = openRegularFile(path).release();
    if (file == nullptr)
        return false;
    bool found = false;
    tablesUsable = true;
    std::uint8_t bytes[PngHeader::size];
    std::vector<std::uint8_t> data;
    if (std::fread(bytes, 1, 8, file) == 8 && std::memcmp(bytes, pngSignature, 8) == 0) {
        while (std::fread(bytes, 1, 8, file) == 8) {
            const std::uint32_t length = readBigEndian32(bytes);
            std::uint8_t type[4];
            std::memcpy(type, bytes + 4, 4);
            if (length > maxChunkLength || isEnd(type) || isChunkType(type, "IDAT"))
                break;  // no IHDR before the image data: not a usable file
            if (!found && isChunkType(type, "IHDR")) {
                if (length < PngHeader::size || std::fread(bytes, 1, PngHeader::size, file) != PngHeader::size)
                    break;
                header = parseHeader(bytes);
                found = true;
                if (tables == nullptr)
                    break;
                if (std::fseek(file, long(length - PngHeader::size) + 4, SEEK_CUR) != 0)
                    break;
                continue;
            }
            if (found && (std::memcmp(type, "PLTE", 4) == 0 || std::memcmp(type, "tRNS", 4) == 0)) {
                // Longer chunks are refused or ignored by their length alone.
                const bool small = length <= 1024;
                data.resize(small ? length : 0);
                if (small && std::fread(data.data(), 1, length, file) != length)
                    break;
                if (!takeColourChunk(header, type, data.data(), length, *tables, nullptr))
                    tablesUsable = false;
                if (std::fseek(file, small ? 4 : long(length) + 4, SEEK_CUR) != 0)
                    break;
                continue;
            }
            if (std::fseek(file, long(length) + 4, SEEK_CUR) != 0)
                break;
        }
    }
    std::fclose(file);
    return found;
}

// Width or height from the header, or -1 (see the header's contract).
int querySide(const char* path, bool wantWidth)
{
    PngHeader header;
    bool unused = true;
    if (!readHeaderFromFile(path, header, nullptr, unused) ||
        !checkImageSize(header.width, header.height, "PNG", nullptr))
        return -1;
    return int(wantWidth ? header.width : header.height);
}

void appendChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data, std::uint32_t length,
                 const CCrc32& crc)
{
    const std::size_t start = out.size();
    out.resize(start + 12 + length);
    std::uint8_t* at = out.data() + start;
    writeBigEndian32(at, length);
    std::memcpy(at + 4, type, 4);
    if (length > 0)
        std::memcpy(at + 8, data, length);
    writeBigEndian32(at + 8 + length, crc.update(at + 4, 4 + std::size_t(length), 0));
}

const CCrc32& pngCrc()
{
    static const CCrc32 crc(CCrc32::pngPolynomial);
    return crc;
}

// What goes into the file besides the rows: the IHDR's format and the
// colour tables of a reduced picture.
struct PngLayout {
    std::uint8_t colourType = 6;
    std::uint8_t bitDepth = 8;
    const std::vector<std::uint8_t>* palette = nullptr;
    const std::vector<std::uint8_t>* transparency = nullptr;
};

// Signature, IHDR, PLTE and tRNS when given, the deflated rows as one IDAT,
// IEND. Throws only std::bad_alloc.
std::vector<std::uint8_t> assemblePng(std::uint32_t width, std::uint32_t height, const PngLayout& layout,
                                      const std::uint8_t* filtered, std::size_t filteredSize,
                                      ImageCompression compression, const CParallelDeflate::Progress& progress,
                                      std::string* error)
{
    const CCrc32& crc = pngCrc();
    std::vector<std::uint8_t> out(pngSignature, pngSignature + 8);
    std::uint8_t ihdr[PngHeader::size];
    writeBigEndian32(ihdr, width);
    writeBigEndian32(ihdr + 4, height);
    ihdr[8] = layout.bitDepth;
    ihdr[9] = layout.colourType;
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    appendChunk(out, "IHDR", ihdr, PngHeader::size, crc);
    if (layout.palette != nullptr && !layout.palette->empty())
        appendChunk(out, "PLTE", layout.palette->data(), std::uint32_t(layout.palette->size()), crc);
    if (layout.transparency != nullptr && !layout.transparency->empty())
        appendChunk(out, "tRNS", layout.transparency->data(), std::uint32_t(layout.transparency->size()), crc);

    // The IDAT is deflated straight into its place in the output: large
    // pictures in pieces on every core, small ones in one call.
    // NOTE: incompressible pictures deflate to more than their own size; the
    // output grows as needed.
    const std::size_t idatStart = out.size();
    out.resize(idatStart + 8);
    bool compressed = false;
    switch (compression) {
    case ImageCompression::Default:
        compressed = CParallelDeflate::compress(filtered, filteredSize, 9, out, progress);
        break;
    case ImageCompression::Fast:
        compressed = CParallelDeflate::compressWithLibdeflate(filtered, filteredSize, 6, out, progress);
        break;
    case ImageCompression::Best:
        compressed = CParallelDeflate::compressWithLibdeflate(filtered, filteredSize, 12, out, progress);
        break;
    }
    const std::size_t compressedSize = out.size() - idatStart - 8;
    if (!compressed || compressedSize > maxChunkLength) {
        if (error != nullptr)
            *error = "PNG: compressing the image data failed";
        return {};
    }
    out.resize(out.size() + 4);
    std::uint8_t* idat = out.data() + idatStart;
    writeBigEndian32(idat, std::uint32_t(compressedSize));
    std::memcpy(idat + 4, "IDAT", 4);
    writeBigEndian32(idat + 8 + compressedSize, crc.update(idat + 4, 4 + compressedSize, 0));
    appendChunk(out, "IEND", nullptr, 0, crc);
    return out;
}

// The level at which the Best compression weighs its two filterings.
constexpr int judgeLevel = 6;

// The Best compression: reduced format, a filter per row (or none, when that
// deflates smaller), libdeflate 12.
std::vector<std::uint8_t> encodeBestPng(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                        const std::uint8_t* pixels, const CParallelDeflate::Progress& progress,
                                        std::string* error)
{
    PngReducedImage reduced;
    std::vector<std::uint8_t> filtered;
    if (reducePngImage(width, height, bitsPerPixel, pixels, reduced)) {
        try {
            filtered.resize(std::size_t(height) * (reduced.rowBytes + 1));
        } catch (const std::bad_alloc&) {
            filtered.clear();
        }
    }
    if (filtered.empty() ||
        !filterPngRows(reduced.rows.data(), reduced.rowBytes, height, reduced.filterDistance, filtered.data())) {
        if (error != nullptr)
            *error = "PNG: out of memory";
        return {};
    }
    // Rows left unfiltered often deflate smaller on palettes and flat art,
    // where the per-row measure, which sees one row at a time, misses the
    // matches between rows. Both forms are weighed at a quick level.
    {
        std::vector<std::uint8_t> plain;
        std::vector<std::uint8_t> quickChosen, quickPlain;
        try {
            plain.resize(filtered.size());
        } catch (const std::bad_alloc&) {
            plain.clear();
        }
        if (!plain.empty()) {
            for (std::uint32_t row = 0; row < height; ++row) {
                std::uint8_t* out = plain.data() + std::size_t(row) * (reduced.rowBytes + 1);
                out[0] = 0;
                std::memcpy(out + 1, reduced.rows.data() + std::size_t(row) * reduced.rowBytes, reduced.rowBytes);
            }
            if (CParallelDeflate::compressWithLibdeflate(filtered.data(), filtered.size(), judgeLevel, quickChosen) &&
                CParallelDeflate::compressWithLibdeflate(plain.data(), plain.size(), judgeLevel, quickPlain) &&
                quickPlain.size() < quickChosen.size())
                filtered.swap(plain);
        }
    }
    reduced.rows = {};
    PngLayout layout;
    layout.colourType = reduced.colourType;
    layout.bitDepth = reduced.bitDepth;
    layout.palette = &reduced.palette;
    layout.transparency = &reduced.transparency;
    return assemblePng(width, height, layout, filtered.data(), filtered.size(), ImageCompression::Best, progress,
                       error);
}

}  // namespace

DecodedImage decodePngImage(const std::uint8_t* bytes, std::size_t length)
{
    if (bytes == nullptr || length < 8 || std::memcmp(bytes, pngSignature, 8) != 0)
        return DecodedImage::failure("PNG: not a PNG file (bad signature)");
    if (length > std::numeric_limits<std::uint32_t>::max())
        return DecodedImage::failure("PNG: file is too large");

    CMemoryReader reader;
    reader.open(bytes, std::uint32_t(length));
    reader.seek(8, CMemoryReader::Start);
    PngHeader header;
    bool haveHeader = false;
    PngColourTables tables;
    bool seenImageData = false;
    std::vector<ImageDataPiece> pieces;
    std::size_t dataLength = 0;
    std::string error;

    std::uint8_t chunk[8];
    while (reader.read(chunk, 8) == 8) {
        const std::uint32_t chunkLength = readBigEndian32(chunk);
        const std::uint8_t* type = chunk + 4;
        if (isEnd(type))
            break;
        if (chunkLength > maxChunkLength || chunkLength > reader.remaining())
            return DecodedImage::failure("PNG: chunk " + printableType(type) + " runs past the end of the file");
        const std::size_t dataOffset = reader.position();
        if (isChunkType(type, "IHDR")) {
            if (haveHeader)
                return DecodedImage::failure("PNG: more than one IHDR chunk");
            if (chunkLength < PngHeader::size)
                return DecodedImage::failure("PNG: IHDR chunk is too short");
            header = parseHeader(bytes + dataOffset);
            if (!checkHeader(header, &error))
                return DecodedImage::failure(error);
            haveHeader = true;
        } else if (isChunkType(type, "IDAT")) {
            if (!haveHeader)
                return DecodedImage::failure("PNG: IDAT chunk before IHDR");
            if (chunkLength > 0)
                pieces.push_back({dataOffset, chunkLength});
            dataLength += chunkLength;
            seenImageData = true;
        } else if (haveHeader && !seenImageData) {
            // Colour tables count only before the image data.
            if (!takeColourChunk(header, type, bytes + dataOffset, chunkLength, tables, &error))
                return DecodedImage::failure(error);
        }
        reader.seek(std::int64_t(chunkLength) + 4, CMemoryReader::Current);  // data and the unchecked CRC
    }
    if (!haveHeader)
        return DecodedImage::failure("PNG: no IHDR chunk");
    if (dataLength == 0)
        return DecodedImage::failure("PNG: no image data");

    const PngPixelFormat format = pixelFormatOf(header);
    const bool expand = pngNeedsExpansion(format, tables.transparent);
    if (expand && header.colourType == 3 && tables.paletteSize == 0)
        return DecodedImage::failure("PNG: palette image without a PLTE chunk");
    const std::uint32_t bytesPerPixel = bytesPerPixelOf(header.colourType);
    const std::size_t stride = std::size_t(header.width) * bytesPerPixel;
    const std::size_t rawSize = expand ? std::size_t(pngRawSize(format)) : std::size_t(header.height) * (stride + 1);
    if (rawSize > dataLength * maxInflateRatio + 64)
        return DecodedImage::failure("PNG: image data is too short for the picture");

    // Join the pieces in file order (a single IDAT is inflated in place).
    std::vector<std::uint8_t> joined;
    const std::uint8_t* compressed = bytes + pieces.front().offset;
    if (pieces.size() > 1) {
        joined.resize(dataLength);
        std::size_t at = 0;
        for (const ImageDataPiece& piece : pieces) {
            std::memcpy(joined.data() + at, bytes + piece.offset, piece.length);
            at += piece.length;
        }
        compressed = joined.data();
    }

    if (expand) {
        std::unique_ptr<std::uint8_t[]> raw(new (std::nothrow) std::uint8_t[rawSize]);
        const std::uint32_t bitsPerPixel = pngDecodedBitsPerPixel(header.colourType, tables.transparent);
        std::unique_ptr<std::uint8_t[]> block(
            new (std::nothrow) std::uint8_t[std::size_t(header.width) * header.height * (bitsPerPixel / 8)]);
        if (!raw || !block)
            return DecodedImage::failure("PNG: out of memory");
        if (CZlibCodec::uncompress(compressed, dataLength, raw.get(), rawSize, false) != rawSize)
            return DecodedImage::failure("PNG: image data is damaged or does not match the picture size");
        joined = {};
        if (!expandPngPixels(raw.get(), format, tables, block.get(), error))
            return DecodedImage::failure(error);
        DecodedImage result;
        result.pixels = std::move(block);
        result.width = header.width;
        result.height = header.height;
        result.bitsPerPixel = bitsPerPixel;
        return result;
    }

    // One block serves as the inflate target and, after the filters are
    // undone in place, as the picture (its last `height` bytes stay unused).
    std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[rawSize]);
    if (!block)
        return DecodedImage::failure("PNG: out of memory");
    if (CZlibCodec::uncompress(compressed, dataLength, block.get(), rawSize, false) != rawSize)
        return DecodedImage::failure("PNG: image data is damaged or does not match the picture size");
    joined = {};

    bool ok = false;
    switch (bytesPerPixel) {
    case 1: ok = unfilterImage<1>(block.get(), header.width, header.height, error); break;
    case 2: ok = unfilterImage<2>(block.get(), header.width, header.height, error); break;
    case 3: ok = unfilterImage<3>(block.get(), header.width, header.height, error); break;
    default: ok = unfilterImage<4>(block.get(), header.width, header.height, error); break;
    }
    if (!ok)
        return DecodedImage::failure(error);

    DecodedImage result;
    result.pixels = std::move(block);
    result.width = header.width;
    result.height = header.height;
    result.bitsPerPixel = bytesPerPixel * 8;
    return result;
}

DecodedImage readPngFile(const char* path)
{
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!readFileBytes(path, bytes, "PNG", &error))
        return DecodedImage::failure(error);
    return decodePngImage(bytes.data(), bytes.size());
}

std::unique_ptr<std::uint8_t[]> decodePng(const std::uint8_t* bytes, std::size_t length)
{
    return decodePngImage(bytes, length).pixels;
}

std::unique_ptr<std::uint8_t[]> loadPng(const char* path)
{
    return readPngFile(path).pixels;
}

int queryPngWidth(const char* path)
{
    return querySide(path, true);
}

int queryPngHeight(const char* path)
{
    return querySide(path, false);
}

int queryPngBitsPerPixel(const char* path)
{
    PngHeader header;
    PngColourTables tables;
    bool tablesUsable = true;
    if (!readHeaderFromFile(path, header, &tables, tablesUsable) || !checkHeader(header, nullptr) || !tablesUsable)
        return -1;
    if (header.colourType == 3 && tables.paletteSize == 0)
        return -1;  // the load refuses a palette image without its palette
    return int(pngDecodedBitsPerPixel(header.colourType, tables.transparent));
}

std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                    const std::uint8_t* pixels, std::string* error)
{
    return encodePng(width, height, bitsPerPixel, pixels, error, {});
}

std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                    const std::uint8_t* pixels, std::string* error,
                                    const CParallelDeflate::Progress& progress)
{
    return encodePng(width, height, bitsPerPixel, pixels, ImageCompression::Default, error, progress);
}

std::vector<std::uint8_t> encodePng(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                                    const std::uint8_t* pixels, ImageCompression compression, std::string* error,
                                    const CParallelDeflate::Progress& progress)
{
    std::uint8_t colourType;
    switch (bitsPerPixel) {
    case 8: colourType = 0; break;
    case 16: colourType = 4; break;
    case 24: colourType = 2; break;
    case 32: colourType = 6; break;
    default:
        if (error != nullptr)
            *error = "PNG: cannot write " + std::to_string(bitsPerPixel) + " bits per pixel";
        return {};
    }
    if (!checkImageSize(width, height, "PNG", error))
        return {};
    if (pixels == nullptr) {
        if (error != nullptr)
            *error = "PNG: no pixels to write";
        return {};
    }

    if (compression == ImageCompression::Best) {
        try {
            return encodeBestPng(width, height, bitsPerPixel, pixels, progress, error);
        } catch (const std::bad_alloc&) {
            if (error != nullptr)
                *error = "PNG: out of memory";
            return {};
        }
    }
    const std::uint32_t bytesPerPixel = bitsPerPixel / 8;
    const std::size_t filteredSize = std::size_t(height) * (std::size_t(width) * bytesPerPixel + 1);
    std::unique_ptr<std::uint8_t[]> filtered(new (std::nothrow) std::uint8_t[filteredSize]);
    if (!filtered) {
        if (error != nullptr)
            *error = "PNG: out of memory";
        return {};
    }
    switch (bytesPerPixel) {
    case 1: filterImage<1>(pixels, filtered.get(), width, height); break;
    case 2: filterImage<2>(pixels, filtered.get(), width, height); break;
    case 3: filterImage<3>(pixels, filtered.get(), width, height); break;
    default: filterImage<4>(pixels, filtered.get(), width, height); break;
    }

    try {
        PngLayout layout;
        layout.colourType = colourType;
        return assemblePng(width, height, layout, filtered.get(), filteredSize, compression, progress, error);
    } catch (const std::bad_alloc&) {
        if (error != nullptr)
            *error = "PNG: out of memory";
        return {};
    }
}

bool writePngFile(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
                  const std::uint8_t* pixels, std::string* error)
{
    const std::vector<std::uint8_t> bytes = encodePng(width, height, bitsPerPixel, pixels, error);
    if (bytes.empty())
        return false;
    std::string reason;
    if (path == nullptr)
        reason = "cannot open (null) for writing";
    else if (CSafeWriter::writeFile(path, bytes.data(), bytes.size(), &reason))
        return true;
    if (error != nullptr)
        *error = "PNG: " + reason;
    return false;
}

void savePng(const char* path, std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel,
             const std::uint8_t* pixels)
{
    writePngFile(path, width, height, bitsPerPixel, pixels, nullptr);
}
