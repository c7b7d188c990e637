// Benchmarks of the PNG codec against libpng set up the same way: Sub on the
// first row, Paeth on every later row, zlib level 9 with the default
// strategy. Inputs: a deterministic 2048 x 2048 RGBA atlas (sprites on a
// transparent background) and the 8-bit non-interlaced PngSuite files.
#include "core/FileBytes.h"
#include "image/PngCodec.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
    std::uint32_t width = 0, height = 0, bitsPerPixel = 0;
    Bytes pixels;  // bottom-up
};

// Sprites: soft-edged discs and rounded boxes with colour gradients and a
// little texture, packed row by row on a transparent canvas.
Picture makeAtlas()
{
    Picture atlas{2048, 2048, 32, Bytes(2048u * 2048u * 4, 0)};
    std::uint32_t seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    std::uint32_t x = 2, y = 2, rowHeight = 0;
    while (true) {
        const std::uint32_t w = 24 + next() % 104, h = 24 + next() % 104;
        if (x + w + 2 > atlas.width) {
            x = 2;
            y += rowHeight + 2;
            rowHeight = 0;
        }
        if (y + h + 2 > atlas.height)
            break;
        const bool disc = next() % 2 == 0;
        const std::uint8_t r0 = next() & 0xFF, g0 = next() & 0xFF, b0 = next() & 0xFF;
        for (std::uint32_t j = 0; j < h; ++j) {
            for (std::uint32_t i = 0; i < w; ++i) {
                const float u = (i + 0.5f) / w * 2 - 1, v = (j + 0.5f) / h * 2 - 1;
                const float d = disc ? std::sqrt(u * u + v * v) : std::fmax(std::fabs(u), std::fabs(v));
                if (d > 1.0f)
                    continue;
                std::uint8_t* p = &atlas.pixels[((std::size_t(y) + j) * atlas.width + x + i) * 4];
                const std::uint8_t grain = std::uint8_t((next() & 7));
                p[0] = std::uint8_t(r0 + i + grain);
                p[1] = std::uint8_t(g0 + j);
                p[2] = std::uint8_t(b0 + (i ^ j) / 4);
                p[3] = d > 0.9f ? std::uint8_t((1.0f - d) * 2550) : 255;
            }
        }
        x += w + 2;
        rowHeight = std::max(rowHeight, h);
    }
    return atlas;
}

struct LibpngWriter {
    Bytes* out;
    static void write(png_structp png, png_bytep data, png_size_t length)
    {
        Bytes* target = static_cast<Bytes*>(png_get_io_ptr(png));
        target->insert(target->end(), data, data + length);
    }
    static void flush(png_structp) {}
};

Bytes encodeWithLibpng(const Picture& picture)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) == 0) {
        static const int colourTypes[5] = {0, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                           PNG_COLOR_TYPE_RGBA};
        const std::uint32_t bytesPerPixel = picture.bitsPerPixel / 8;
        png_set_write_fn(png, &out, LibpngWriter::write, LibpngWriter::flush);
        png_set_IHDR(png, info, picture.width, picture.height, 8, colourTypes[bytesPerPixel], PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 9);
        png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
        // NOTE: libpng keeps the row above only when Up, Average or Paeth is
        // enabled before the first row, so the first row starts with Sub and
        // Paeth both allowed. On the first row Paeth predicts exactly what Sub
        // does, and libpng keeps the first of equal candidates: Sub.
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB | PNG_FILTER_PAETH);
        png_write_info(png, info);
        const std::size_t stride = std::size_t(picture.width) * bytesPerPixel;
        for (std::uint32_t row = 0; row < picture.height; ++row) {
            if (row == 1)
                png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
            png_write_row(png, picture.pixels.data() + std::size_t(picture.height - 1 - row) * stride);
        }
        png_write_end(png, info);
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

struct LibpngReader {
    const Bytes* in;
    std::size_t at = 0;
    static void read(png_structp png, png_bytep data, png_size_t length)
    {
        auto* self = static_cast<LibpngReader*>(png_get_io_ptr(png));
        if (self->at + length > self->in->size())
            png_error(png, "read past end");
        std::memcpy(data, self->in->data() + self->at, length);
        self->at += length;
    }
};

// Decodes into a new, uninitialised bottom-up block, as our reader does.
bool decodeWithLibpng(const Bytes& file, std::unique_ptr<std::uint8_t[]>& pixels)
{
    LibpngReader reader{&file};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &reader, LibpngReader::read);
        png_read_info(png, info);
        const std::uint32_t height = png_get_image_height(png, info);
        const std::size_t stride = png_get_rowbytes(png, info);
        pixels.reset(new std::uint8_t[stride * height]);
        rows.resize(height);
        for (std::uint32_t row = 0; row < height; ++row)
            rows[row] = pixels.get() + std::size_t(height - 1 - row) * stride;
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

const Picture& atlas()
{
    static const Picture picture = makeAtlas();
    return picture;
}

const Bytes& atlasFile()
{
    static const Bytes file = encodePng(atlas().width, atlas().height, 32, atlas().pixels.data(), nullptr);
    return file;
}

// The PngSuite files our reader decodes, as files and as pictures.
struct Suite {
    std::vector<Bytes> files;
    std::vector<Picture> pictures;
    std::size_t pixelBytes = 0;
};

const Suite& suite()
{
    static const Suite loaded = [] {
        Suite result;
        for (const auto& entry : std::filesystem::directory_iterator(QF_TESTDATA_DIR "/pngsuite/")) {
            if (entry.path().extension() != ".png")
                continue;
            Bytes file;
            if (!readFileBytes(entry.path().c_str(), file, "PNG", nullptr))
                continue;
            DecodedImage image = decodePngImage(file.data(), file.size());
            if (!image)
                continue;
            Picture picture{image.width, image.height, image.bitsPerPixel, {}};
            picture.pixels.assign(image.pixels.get(),
                                  image.pixels.get() + std::size_t(image.width) * image.height * image.bitsPerPixel / 8);
            result.pixelBytes += picture.pixels.size();
            result.files.push_back(std::move(file));
            result.pictures.push_back(std::move(picture));
        }
        return result;
    }();
    return loaded;
}

void BM_AtlasDecodeOurs(benchmark::State& state)
{
    const Bytes& file = atlasFile();
    for (auto _ : state) {
        DecodedImage image = decodePngImage(file.data(), file.size());
        benchmark::DoNotOptimize(image.pixels.get());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(atlas().pixels.size()));
}

void BM_AtlasDecodeLibpng(benchmark::State& state)
{
    const Bytes& file = atlasFile();
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> pixels;
        decodeWithLibpng(file, pixels);
        benchmark::DoNotOptimize(pixels.get());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(atlas().pixels.size()));
}

// Size of the same file with its image data deflated in one zlib call at
// level 9 (what the writer did before it compressed in pieces).
double oneCallFileSize(const Bytes& file, const Picture& picture)
{
    const std::size_t at = 8 + 25;  // signature and IHDR
    const std::uint32_t length = std::uint32_t(file[at]) << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
    uLongf rawSize = uLongf(picture.height * (std::size_t(picture.width) * picture.bitsPerPixel / 8 + 1));
    Bytes raw(rawSize);
    if (uncompress(raw.data(), &rawSize, file.data() + at + 8, length) != Z_OK)
        return 0;
    uLongf deflatedSize = compressBound(rawSize);
    Bytes deflated(deflatedSize);
    compress2(deflated.data(), &deflatedSize, raw.data(), rawSize, 9);
    return double(file.size() - length + deflatedSize);
}

void BM_AtlasEncodeOurs(benchmark::State& state)
{
    const Picture& picture = atlas();
    Bytes file;
    for (auto _ : state) {
        file = encodePng(picture.width, picture.height, 32, picture.pixels.data(), nullptr);
        benchmark::DoNotOptimize(file.data());
        state.counters["bytes"] = double(file.size());
    }
    state.counters["sizeVsOneCall"] = double(file.size()) / oneCallFileSize(file, picture);
    state.SetBytesProcessed(state.iterations() * std::int64_t(picture.pixels.size()));
}

void BM_AtlasEncodeLibpng(benchmark::State& state)
{
    const Picture& picture = atlas();
    for (auto _ : state) {
        Bytes file = encodeWithLibpng(picture);
        benchmark::DoNotOptimize(file.data());
        state.counters["bytes"] = double(file.size());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(picture.pixels.size()));
}

void BM_SuiteDecodeOurs(benchmark::State& state)
{
    for (auto _ : state)
        for (const Bytes& file : suite().files) {
            DecodedImage image = decodePngImage(file.data(), file.size());
            benchmark::DoNotOptimize(image.pixels.get());
        }
    state.SetBytesProcessed(state.iterations() * std::int64_t(suite().pixelBytes));
}

void BM_SuiteDecodeLibpng(benchmark::State& state)
{
    for (auto _ : state)
        for (const Bytes& file : suite().files) {
            std::unique_ptr<std::uint8_t[]> pixels;
            decodeWithLibpng(file, pixels);
            benchmark::DoNotOptimize(pixels.get());
        }
    state.SetBytesProcessed(state.iterations() * std::int64_t(suite().pixelBytes));
}

void BM_SuiteEncodeOurs(benchmark::State& state)
{
    for (auto _ : state)
        for (const Picture& picture : suite().pictures) {
            Bytes file = encodePng(picture.width, picture.height, picture.bitsPerPixel, picture.pixels.data(), nullptr);
            benchmark::DoNotOptimize(file.data());
        }
    state.SetBytesProcessed(state.iterations() * std::int64_t(suite().pixelBytes));
}

void BM_SuiteEncodeLibpng(benchmark::State& state)
{
    for (auto _ : state)
        for (const Picture& picture : suite().pictures) {
            Bytes file = encodeWithLibpng(picture);
            benchmark::DoNotOptimize(file.data());
        }
    state.SetBytesProcessed(state.iterations() * std::int64_t(suite().pixelBytes));
}

}  // namespace

BENCHMARK(BM_AtlasDecodeOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AtlasDecodeLibpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AtlasEncodeOurs)->Unit(benchmark::kMillisecond)->UseRealTime();  // runs on every core
BENCHMARK(BM_AtlasEncodeLibpng)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SuiteDecodeOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SuiteDecodeLibpng)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SuiteEncodeOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SuiteEncodeLibpng)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
