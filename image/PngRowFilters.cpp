// PngRowFilters: the five filters over plain bytes and the per-row contest.
#include "image/PngRowFilters.h"

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <thread>
#include <vector>

namespace {

// The level the candidates are measured with: fast, and close enough in its
// ranking to the final level.
constexpr int measureLevel = 2;
// Rows are handed out in runs of this many, so threads rarely meet at the
// shared counter.
constexpr std::uint32_t rowsPerTask = 16;

std::uint8_t paeth(int a, int b, int c)
{
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
    if (pa <= pb && pa <= pc)
        return std::uint8_t(a);
    return std::uint8_t(pb <= pc ? b : c);
}

// Filter `type` of one row; `prior` is the row above (zeros for the first).
void filterRow(int type, const std::uint8_t* row, const std::uint8_t* prior, std::size_t length,
               std::size_t distance, std::uint8_t* out)
{
    for (std::size_t i = 0; i < length; ++i) {
        const int left = i >= distance ? row[i - distance] : 0;
        const int above = prior[i];
        const int upperLeft = i >= distance ? prior[i - distance] : 0;
        int predicted = 0;
        switch (type) {
        case 1: predicted = left; break;
        case 2: predicted = above; break;
        case 3: predicted = (left + above) >> 1; break;
        case 4: predicted = paeth(left, above, upperLeft); break;
        default: break;
        }
        out[i] = std::uint8_t(row[i] - predicted);
    }
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

}  // namespace

bool filterPngRows(const std::uint8_t* rows, std::size_t rowBytes, std::uint32_t height, std::size_t distance,
                   std::uint8_t* filtered, unsigned threads)
{
    std::vector<std::uint8_t> zeros;
    try {
        zeros.assign(rowBytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::atomic<std::uint32_t> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(libdeflate_alloc_compressor(measureLevel));
        std::vector<std::uint8_t> candidate, deflated;
        try {
            candidate.resize(rowBytes);
            if (compressor)
                deflated.resize(libdeflate_deflate_compress_bound(compressor.get(), rowBytes));
        } catch (const std::bad_alloc&) {
            failed = true;
            return;
        }
        if (!compressor) {
            failed = true;
            return;
        }
        for (std::uint32_t first = next.fetch_add(rowsPerTask); first < height; first = next.fetch_add(rowsPerTask)) {
            const std::uint32_t last = std::min(height, first + rowsPerTask);
            for (std::uint32_t row = first; row < last; ++row) {
                const std::uint8_t* in = rows + std::size_t(row) * rowBytes;
                const std::uint8_t* prior = row == 0 ? zeros.data() : in - rowBytes;
                std::uint8_t* out = filtered + std::size_t(row) * (rowBytes + 1);
                std::size_t bestSize = 0;
                for (int type = 0; type < 5; ++type) {
                    filterRow(type, in, prior, rowBytes, distance, candidate.data());
                    std::size_t size =
                        libdeflate_deflate_compress(compressor.get(), candidate.data(), rowBytes, deflated.data(),
                                                    deflated.size());
                    if (size == 0)
                        size = rowBytes + 5;  // stored: no better than the raw bytes
                    if (type == 0 || size < bestSize) {
                        bestSize = size;
                        out[0] = std::uint8_t(type);
                        std::copy(candidate.begin(), candidate.end(), out + 1);
                    }
                }
            }
        }
    };
    const unsigned available = threads != 0 ? threads : std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = std::min<std::size_t>(available, (height + rowsPerTask - 1) / rowsPerTask);
    std::vector<std::thread> workers;
    try {
        for (std::size_t i = 1; i < helpers; ++i)
            workers.emplace_back(work);
    } catch (const std::system_error&) {
        // The threads started and this one finish the rest.
    }
    work();
    for (std::thread& worker : workers)
        worker.join();
    return !failed;
}
