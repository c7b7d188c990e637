// The best-fit layout against a plain MaxRects packer, on the size mixes
// that atlases meet: uniform sprites, long strips of both orientations,
// powers of two, all equal, a few giants among many tiny ones, and a
// game-like mix, at 100 to 10,000 images.
//
// The MaxRects packer here is the comparison, not a shipped layout: it
// keeps every maximal free rectangle of the bin and places each image by
// one of the usual rules (best short side fit, best area fit, bottom-left),
// in one of several orders (by height, by area, by longest side, by
// perimeter), in bins of many widths, and keeps the smallest atlas. It is
// slow (quadratic in the free rectangles) and only measures how dense an
// atlas can be. Both sides pack without spacing or margin, the canvas
// being the used extent.
//
// Run without arguments it prints the table (occupancy: image area / atlas
// area, in %, and the processor time of one best-fit layout); with Google Benchmark
// arguments (--benchmark_filter=...) it times the best-fit layout alone.
// `--rotate` lets both sides turn images by 90 degrees; `--best-only` skips
// the MaxRects side; `--max-count=N` leaves out the sets above N images;
// `--repeat=N` times the best-fit layout N times and reports the fastest.
//
// Measured (Debian 12, a busy two-core machine shared with other builds;
// occupancy in %; best-fit processor time in ms, the fastest of 5 to 7 runs
// (`--best-only --repeat=N`, and Google Benchmark repetitions for 10,000
// images), which still varied by up to half between runs), without
// rotation:
//   mix            images  maxrects%    best%    diff     ms
//   uniform 8-64      100     94.600   95.817  +1.217   45.5
//   uniform 8-64     1000     99.360   99.444  +0.084   40.2
//   uniform 8-64     3000     99.847   99.882  +0.035   24.8
//   uniform 8-64    10000     99.936   99.921  -0.015   29.6
//   strips tall       100     94.519   96.141  +1.622   38.7
//   strips tall      1000     97.449   98.751  +1.302   38.5
//   strips tall      3000     99.001   99.202  +0.201   45.5
//   strips tall     10000     99.715   99.725  +0.010   33.3
//   strips wide       100     95.014   97.381  +2.367   43.6
//   strips wide      1000     99.018   99.213  +0.195   46.7
//   strips wide      3000     99.547   99.508  -0.039   33.4
//   strips wide     10000     99.703   99.757  +0.054   26.4
//   strips both       100     92.504   93.374  +0.870   25.3
//   strips both      1000     97.646   97.745  +0.099   30.4
//   strips both      3000     98.797   98.882  +0.085   33.8
//   strips both     10000     99.458   99.458  +0.000   32.5
//   powers of two     100     99.740   99.896  +0.156   12.5
//   powers of two    1000     99.956   99.992  +0.036   19.1
//   powers of two    3000     99.864   99.976  +0.112   21.0
//   powers of two   10000     99.916   99.997  +0.081   27.1
//   all equal         100    100.000  100.000  +0.000    0.1
//   all equal        1000    100.000  100.000  +0.000    0.3
//   all equal        3000     99.206  100.000  +0.794    3.8
//   all equal       10000     99.950   99.950  +0.000   20.9
//   giants+tiny       100     99.081   99.699  +0.618   35.4
//   giants+tiny      1000     97.150   97.449  +0.299   46.3
//   giants+tiny      3000     99.496   99.668  +0.172   34.7
//   giants+tiny     10000     99.914   99.873  -0.041   27.5
//   game-like         100     95.922   96.322  +0.400   44.5
//   game-like        1000     98.083   98.098  +0.015   38.3
//   game-like        3000     99.225   99.220  -0.005   29.7
//   game-like       10000     99.637   99.621  -0.016   24.9
// With rotation on both sides (up to 3,000 images):
//   mix            images  maxrects%    best%    diff
//   uniform 8-64      100     95.319   96.936  +1.617
//   uniform 8-64     1000     97.188   99.442  +2.254
//   uniform 8-64     3000     97.858   99.835  +1.977
//   strips tall       100     95.484   96.141  +0.657
//   strips tall      1000     97.138   98.870  +1.732
//   strips tall      3000     97.513   99.202  +1.689
//   strips wide       100     95.484   96.141  +0.657
//   strips wide      1000     98.995   99.035  +0.040
//   strips wide      3000     99.483   99.508  +0.025
//   strips both       100     95.484   96.141  +0.657
//   strips both      1000     97.239   98.851  +1.612
//   strips both      3000     97.693   99.322  +1.629
//   powers of two     100     99.740   99.896  +0.156
//   powers of two    1000     99.956   99.992  +0.036
//   powers of two    3000     99.864   99.992  +0.128
//   all equal         100    100.000  100.000  +0.000
//   all equal        1000    100.000  100.000  +0.000
//   all equal        3000    100.000  100.000  +0.000
//   giants+tiny       100     99.440   99.561  +0.121
//   giants+tiny      1000     99.476   99.573  +0.097
//   giants+tiny      3000     99.793   99.811  +0.018
//   game-like         100     96.278   96.276  -0.002
//   game-like        1000     97.113   98.867  +1.754
//   game-like        3000     97.733   99.220  +1.487
#include "app/pack/CBestPacker.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct Mix {
    const char* name;
    std::function<std::vector<BestSize>(int count)> make;
};

int between(std::mt19937& rng, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(rng);
}

std::vector<BestSize> uniformMix(int count, int low, int high, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<BestSize> sizes(static_cast<std::size_t>(count));
    for (BestSize& s : sizes)
        s = {between(rng, low, high), between(rng, low, high)};
    return sizes;
}

std::vector<BestSize> stripMix(int count, int orientation)
{
    std::mt19937 rng(7);
    std::vector<BestSize> sizes(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const BestSize strip{between(rng, 4, 16), between(rng, 40, 200)};
        const bool tall = orientation == 0 || (orientation == 2 && i % 2 == 0);
        sizes[i] = tall ? strip : BestSize{strip.height, strip.width};
    }
    return sizes;
}

std::vector<BestSize> powerMix(int count)
{
    std::mt19937 rng(11);
    std::vector<BestSize> sizes(static_cast<std::size_t>(count));
    for (BestSize& s : sizes)
        s = {1 << between(rng, 3, 7), 1 << between(rng, 3, 7)};
    return sizes;
}

std::vector<BestSize> giantMix(int count)
{
    std::mt19937 rng(13);
    std::vector<BestSize> sizes(static_cast<std::size_t>(count));
    const int giants = std::max(2, count / 100);
    for (int i = 0; i < count; ++i) {
        // The giants spread through the input, as they would in a folder.
        const bool giant = i % (count / giants) == 0;
        sizes[static_cast<std::size_t>(i)] =
            giant ? BestSize{between(rng, 200, 600), between(rng, 200, 600)} : BestSize{between(rng, 4, 24), between(rng, 4, 24)};
    }
    return sizes;
}

// Icons, characters, effects, UI panels and a few backgrounds.
std::vector<BestSize> gameMix(int count)
{
    std::mt19937 rng(17);
    std::vector<BestSize> sizes(static_cast<std::size_t>(count));
    for (BestSize& s : sizes) {
        const int kind = between(rng, 0, 99);
        if (kind < 45) {
            const int side = between(rng, 16, 48);
            s = {side, side + between(rng, -4, 4)};
        } else if (kind < 75) {
            s = {between(rng, 32, 96), between(rng, 48, 128)};
        } else if (kind < 88) {
            s = {between(rng, 24, 160), between(rng, 24, 160)};
        } else if (kind < 98) {
            s = {between(rng, 100, 300), between(rng, 16, 64)};
        } else {
            s = {between(rng, 200, 400), between(rng, 150, 300)};
        }
    }
    return sizes;
}

const std::vector<Mix>& mixes()
{
    static const std::vector<Mix> all = {
        {"uniform 8-64", [](int n) { return uniformMix(n, 8, 64, 12345); }},
        {"strips tall", [](int n) { return stripMix(n, 0); }},
        {"strips wide", [](int n) { return stripMix(n, 1); }},
        {"strips both", [](int n) { return stripMix(n, 2); }},
        {"powers of two", powerMix},
        {"all equal", [](int n) { return std::vector<BestSize>(static_cast<std::size_t>(n), BestSize{24, 40}); }},
        {"giants+tiny", giantMix},
        {"game-like", gameMix},
    };
    return all;
}

struct Rect {
    int x, y, w, h;
};

bool contains(const Rect& outer, const Rect& inner)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
        inner.y + inner.h <= outer.y + outer.h;
}

enum class Rule { ShortSide, Area, BottomLeft };

// One MaxRects bin of a fixed size.
class MaxRectsBin {
public:
    MaxRectsBin(int width, int height) { free_.push_back({0, 0, width, height}); }

    bool place(int w, int h, Rule rule, bool rotate, Rect& placed)
    {
        long long best1 = std::numeric_limits<long long>::max(), best2 = best1;
        bool found = false;
        for (const Rect& f : free_) {
            for (int turn = 0; turn < (rotate ? 2 : 1); ++turn) {
                const int pw = turn ? h : w, ph = turn ? w : h;
                if (pw > f.w || ph > f.h)
                    continue;
                long long s1 = 0, s2 = 0;
                const int leftW = f.w - pw, leftH = f.h - ph;
                if (rule == Rule::ShortSide) {
                    s1 = std::min(leftW, leftH);
                    s2 = std::max(leftW, leftH);
                } else if (rule == Rule::Area) {
                    s1 = static_cast<long long>(f.w) * f.h - static_cast<long long>(pw) * ph;
                    s2 = std::min(leftW, leftH);
                } else {
                    s1 = f.y + ph;
                    s2 = f.x;
                }
                if (s1 < best1 || (s1 == best1 && s2 < best2)) {
                    best1 = s1;
                    best2 = s2;
                    placed = {f.x, f.y, pw, ph};
                    found = true;
                }
            }
        }
        if (!found)
            return false;
        split(placed);
        return true;
    }

private:
    void split(const Rect& used)
    {
        std::vector<Rect> added;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < free_.size(); ++i) {
            const Rect f = free_[i];
            if (used.x >= f.x + f.w || used.x + used.w <= f.x || used.y >= f.y + f.h || used.y + used.h <= f.y) {
                free_[kept++] = f;
                continue;
            }
            if (used.x > f.x)
                added.push_back({f.x, f.y, used.x - f.x, f.h});
            if (used.x + used.w < f.x + f.w)
                added.push_back({used.x + used.w, f.y, f.x + f.w - used.x - used.w, f.h});
            if (used.y > f.y)
                added.push_back({f.x, f.y, f.w, used.y - f.y});
            if (used.y + used.h < f.y + f.h)
                added.push_back({f.x, used.y + used.h, f.w, f.y + f.h - used.y - used.h});
        }
        free_.resize(kept);
        // Only the new pieces can be contained in something, or contain old
        // rectangles that survived (never: an old one would have intersected).
        std::vector<Rect> keptNew;
        for (std::size_t i = 0; i < added.size(); ++i) {
            bool inside = false;
            for (const Rect& f : free_) {
                if (contains(f, added[i])) {
                    inside = true;
                    break;
                }
            }
            for (std::size_t j = 0; j < added.size() && !inside; ++j) {
                if (j != i && contains(added[j], added[i]) &&
                    (!contains(added[i], added[j]) || j < i))
                    inside = true;
            }
            if (!inside)
                keptNew.push_back(added[i]);
        }
        free_.insert(free_.end(), keptNew.begin(), keptNew.end());
    }

    std::vector<Rect> free_;
};

struct Packed {
    long long width = 0, height = 0;
    bool ok = false;
    long long area() const { return width * height; }
};

Packed packMaxRects(const std::vector<BestSize>& sizes, const std::vector<std::size_t>& order, int width, int height,
                    Rule rule, bool rotate)
{
    MaxRectsBin bin(width, height);
    Packed result;
    for (const std::size_t i : order) {
        Rect r{};
        if (!bin.place(sizes[i].width, sizes[i].height, rule, rotate, r))
            return result;
        result.width = std::max<long long>(result.width, r.x + r.w);
        result.height = std::max<long long>(result.height, r.y + r.h);
    }
    result.ok = true;
    return result;
}

std::vector<std::vector<std::size_t>> sortOrders(const std::vector<BestSize>& sizes)
{
    using Key = std::function<long long(const BestSize&)>;
    const std::vector<Key> keys = {
        [](const BestSize& s) { return static_cast<long long>(s.height) * 100000 + s.width; },
        [](const BestSize& s) { return static_cast<long long>(s.width) * s.height; },
        [](const BestSize& s) { return static_cast<long long>(std::max(s.width, s.height)) * 100000 + std::min(s.width, s.height); },
        [](const BestSize& s) { return static_cast<long long>(s.width + s.height); },
    };
    std::vector<std::vector<std::size_t>> orders;
    for (const Key& key : keys) {
        std::vector<std::size_t> order(sizes.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return key(sizes[a]) > key(sizes[b]); });
        orders.push_back(std::move(order));
    }
    return orders;
}

// The smallest atlas area MaxRects finds over rules, orders and widths. For
// each width the bin is as high as needed: it starts at the area's height
// and grows by 3 % until everything fits.
long long bestMaxRects(const std::vector<BestSize>& sizes, bool rotate)
{
    long long area = 0;
    int widest = 1, tallest = 1;
    for (const BestSize& s : sizes) {
        area += static_cast<long long>(s.width) * s.height;
        widest = std::max(widest, rotate ? std::min(s.width, s.height) : s.width);
        tallest = std::max(tallest, std::max(s.width, s.height));
    }
    const int widthCount = sizes.size() >= 10000 ? 4 : sizes.size() >= 3000 ? 6 : 16;
    const long long side = static_cast<long long>(std::sqrt(static_cast<double>(area)));
    long long best = std::numeric_limits<long long>::max();
    for (const auto& order : sortOrders(sizes)) {
        for (const Rule rule : {Rule::ShortSide, Rule::Area, Rule::BottomLeft}) {
            for (int k = 0; k < widthCount; ++k) {
                const int width = static_cast<int>(std::max<long long>(widest, side * (90 + 70 * k / (widthCount - 1)) / 100));
                long long height = std::max<long long>(area / width, rotate ? 1 : tallest);
                for (int attempt = 0; attempt < 40; ++attempt, height = height * 103 / 100 + 1) {
                    const Packed p = packMaxRects(sizes, order, width, static_cast<int>(height), rule, rotate);
                    if (p.ok) {
                        best = std::min(best, p.area());
                        break;
                    }
                }
            }
        }
    }
    return best;
}

// Processor time in seconds: the machine may be busy with other work.
double cpuNow()
{
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

long long imageArea(const std::vector<BestSize>& sizes)
{
    long long area = 0;
    for (const BestSize& s : sizes)
        area += static_cast<long long>(s.width) * s.height;
    return area;
}

BestRules benchRules(bool rotate)
{
    BestRules rules;
    rules.rotate = rotate;
    return rules;
}

// Without `withMaxRects` only the best-fit side is measured (quick runs
// while tuning); the MaxRects columns are then 0.
void printTable(bool rotate, bool withMaxRects, int maxCount, int repeat)
{
    std::printf("%-14s %6s  %9s %9s %7s  %9s %9s\n", "mix", "images", "maxrects%", "best%", "diff", "best ms",
                "maxrects s");
    for (const Mix& mix : mixes()) {
        for (const int count : {100, 1000, 3000, 10000}) {
            if (count > maxCount)
                continue;
            const std::vector<BestSize> sizes = mix.make(count);
            const double area = static_cast<double>(imageArea(sizes));
            const auto start = cpuNow();
            const long long reference = withMaxRects ? bestMaxRects(sizes, rotate) : 0;
            const auto middle = cpuNow();
            // The fastest of `repeat` runs: the machine may be shared.
            double fastest = std::numeric_limits<double>::max();
            BestLayout layout;
            for (int run = 0; run < repeat; ++run) {
                const auto before = cpuNow();
                layout = packBest(sizes, benchRules(rotate));
                fastest = std::min(fastest, cpuNow() - before);
            }
            const double ours = 100.0 * area / (static_cast<double>(layout.width) * layout.height);
            const double theirs = reference > 0 ? 100.0 * area / static_cast<double>(reference) : 0.0;
            std::printf("%-14s %6d  %9.3f %9.3f %+7.3f  %9.1f %9.1f\n", mix.name, count, theirs, ours, ours - theirs,
                        1000.0 * fastest, middle - start);
            std::fflush(stdout);
        }
    }
}

void BM_Best(benchmark::State& state)
{
    const Mix& mix = mixes()[static_cast<std::size_t>(state.range(0))];
    const std::vector<BestSize> sizes = mix.make(static_cast<int>(state.range(1)));
    BestLayout layout;
    for (auto _ : state) {
        layout = packBest(sizes, benchRules(state.range(2) != 0));
        benchmark::DoNotOptimize(layout);
    }
    state.SetLabel(mix.name);
    state.counters["occupancy"] =
        100.0 * static_cast<double>(imageArea(sizes)) / (static_cast<double>(layout.width) * layout.height);
}

} // namespace

BENCHMARK(BM_Best)
    ->ArgsProduct({benchmark::CreateDenseRange(0, 7, 1), {100, 1000, 3000, 10000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    bool rotate = false;
    bool table = true;
    bool withMaxRects = true;
    int maxCount = 10000;
    int repeat = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rotate") == 0)
            rotate = true;
        else if (std::strcmp(argv[i], "--best-only") == 0)
            withMaxRects = false;
        else if (std::strncmp(argv[i], "--max-count=", 12) == 0)
            maxCount = std::atoi(argv[i] + 12);
        else if (std::strncmp(argv[i], "--repeat=", 9) == 0)
            repeat = std::max(1, std::atoi(argv[i] + 9));
        else if (std::strncmp(argv[i], "--benchmark", 11) == 0)
            table = false;
    }
    if (table) {
        printTable(rotate, withMaxRects, maxCount, repeat);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
