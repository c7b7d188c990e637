// AtlasLayout: pages of the exact layout (CPacker) or the best-fit one
// (CBestPacker), filled one after another.
#include "app/pack/AtlasLayout.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/CBestPacker.h"

#include <algorithm>

namespace {

// The images that one page took, with their positions, and the page's size.
struct PageResult {
    std::vector<std::uint32_t> images; // input indexes, ascending
    std::vector<LayoutFrame> frames;   // per entry of images
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

CanvasRules rulesOf(const LayoutOptions& options)
{
    CanvasRules rules;
    rules.maxSize = options.maxSize;
    rules.border = options.border;
    rules.pot = options.pot;
    rules.square = options.square;
    return rules;
}

CPacker packerOf(const std::vector<LayoutImage>& images, const std::vector<std::uint32_t>& which, std::size_t count,
                 const LayoutOptions& options)
{
    CPacker packer;
    packer.setMode(options.mode);
    packer.setAlignment(options.alignment);
    packer.setSpacing(options.spacing);
    for (std::size_t i = 0; i < count; ++i) {
        const LayoutImage& image = images[which[i]];
        PackEntry entry;
        entry.name = image.name;
        entry.width = image.width;
        entry.height = image.height;
        packer.insertEntry(packer.count(), entry);
    }
    return packer;
}

PageResult pageOf(const CPacker& packer, const std::vector<std::uint32_t>& which, CanvasSize size)
{
    PageResult page;
    page.width = size.width;
    page.height = size.height;
    for (std::uint32_t i = 0; i < packer.count(); ++i) {
        page.images.push_back(which[i]);
        page.frames.push_back({0, packer.entry(i).x, packer.entry(i).y});
    }
    return page;
}

// The exact layout of the longest prefix of `remaining` that fits one page
// (all of it when it fits; with `wholeOnly`, all or nothing).
PageResult exactPage(const std::vector<LayoutImage>& images, const std::vector<std::uint32_t>& remaining,
                     const LayoutOptions& options, bool wholeOnly)
{
    const CanvasRules rules = rulesOf(options);
    CPacker packer = packerOf(images, remaining, remaining.size(), options);
    if (const std::optional<CanvasSize> size = packer.packCanvas(options.tight, rules))
        return pageOf(packer, remaining, *size);
    if (wholeOnly)
        return {};
    // The entries before the first that finds no room on the largest page
    // fit there. The page is packed with the right and bottom margins kept
    // free, so that prefix fits the canvas rules too; should the search
    // still refuse it (the layout is greedy, a larger square may place
    // differently), fewer are tried, backing off ever faster: the step
    // doubles up to half of what is left, so the tries are logarithmic in
    // the count and the step never overflows.
    const std::int64_t margin = options.border.value_or(options.spacing);
    std::int64_t side = options.maxSize;
    if (options.pot) {
        while (side & (side - 1))
            side &= side - 1;
    }
    const std::int64_t limit = side - (margin - options.spacing) - (options.tight ? margin : 0);
    if (limit < 1)
        return {};
    packer.pack(static_cast<std::uint32_t>(limit), static_cast<std::uint32_t>(limit));
    std::size_t count = packer.placedCount();
    for (std::size_t step = 1; count > 0; step = std::min(step * 2, count / 2 + 1)) {
        CPacker prefix = packerOf(images, remaining, count, options);
        if (const std::optional<CanvasSize> size = prefix.packCanvas(options.tight, rules))
            return pageOf(prefix, remaining, *size);
        count = count > step + 1 ? count - step : count - 1; // 1 is always tried
    }
    return {};
}

PageResult bestPage(const std::vector<LayoutImage>& images, const std::vector<std::uint32_t>& remaining,
                    const LayoutOptions& options)
{
    std::vector<BestSize> sizes;
    sizes.reserve(remaining.size());
    for (const std::uint32_t index : remaining)
        sizes.push_back({images[index].width, images[index].height});
    BestRules rules;
    rules.spacing = options.spacing;
    rules.margin = options.border.value_or(options.spacing);
    rules.maxSize = options.maxSize;
    rules.tight = options.tight;
    rules.pot = options.pot;
    rules.square = options.square;
    rules.rotate = options.rotate;
    const BestLayout best = packBest(sizes, rules);
    PageResult page;
    page.width = best.width;
    page.height = best.height;
    for (std::size_t i = 0; i < remaining.size(); ++i) {
        if (best.x[i] < 0)
            continue;
        page.images.push_back(remaining[i]);
        page.frames.push_back({0, best.x[i], best.y[i], !best.rotated.empty() && best.rotated[i] != 0});
    }
    return page;
}

// How many of `remaining` the exact layout fits on one page when not all do.
std::size_t exactFitCount(const std::vector<LayoutImage>& images, const std::vector<std::uint32_t>& remaining,
                          const LayoutOptions& options)
{
    const PageResult page = exactPage(images, remaining, options, false);
    return page.images.size();
}

} // namespace

AtlasLayout layoutAtlas(const std::vector<LayoutImage>& images, const LayoutOptions& options)
{
    AtlasLayout layout;
    layout.frames.assign(images.size(), LayoutFrame{});
    const bool validMode = options.mode == PackAuto || options.mode == PackRight || options.mode == PackDown
        || options.mode == PackBest;
    if (!validMode || options.maxSize == 0 || options.maxSize > maxImageSide) {
        layout.unplaced = images.size();
        return layout;
    }
    std::vector<std::uint32_t> remaining;
    remaining.reserve(images.size());
    for (std::uint32_t i = 0; i < images.size(); ++i) {
        if (images[i].width >= 0 && images[i].height >= 0)
            remaining.push_back(i);
        else
            ++layout.unplaced;
    }
    if (!options.multipack && layout.unplaced > 0)
        return layout;

    bool first = true;
    while (first || !remaining.empty()) {
        first = false;
        PageResult page = options.mode == PackBest ? bestPage(images, remaining, options)
                                                   : exactPage(images, remaining, options, !options.multipack);
        if (!options.multipack && page.images.size() != remaining.size()) {
            layout.unplaced = remaining.size()
                - (options.mode == PackBest ? page.images.size() : exactFitCount(images, remaining, options));
            return layout;
        }
        if (page.images.empty() && !remaining.empty()) {
            // The exact layout starts every page with the first image left,
            // so that one is too large for a page by itself; the best layout
            // takes whatever fits, so then none does.
            const std::size_t dropped = options.mode == PackBest ? remaining.size() : 1;
            layout.unplaced += dropped;
            remaining.erase(remaining.begin(), remaining.begin() + static_cast<std::ptrdiff_t>(dropped));
            continue;
        }
        const auto pageIndex = static_cast<std::int32_t>(layout.pages.size());
        for (std::size_t i = 0; i < page.images.size(); ++i) {
            LayoutFrame frame = page.frames[i];
            frame.page = pageIndex;
            layout.frames[page.images[i]] = frame;
        }
        std::vector<std::uint32_t> left;
        left.reserve(remaining.size() - page.images.size());
        std::set_difference(remaining.begin(), remaining.end(), page.images.begin(), page.images.end(),
                            std::back_inserter(left));
        remaining.swap(left);
        layout.pages.push_back({page.width, page.height, std::move(page.images)});
    }
    return layout;
}

void fillPagePacker(const std::vector<LayoutImage>& images, const AtlasLayout& layout, std::uint32_t page,
                    CPacker& packer)
{
    packer.clear();
    if (page >= layout.pages.size())
        return;
    for (const std::uint32_t index : layout.pages[page].images) {
        PackEntry entry;
        entry.name = images[index].name;
        const bool rotated = layout.frames[index].rotated;
        entry.width = rotated ? images[index].height : images[index].width;
        entry.height = rotated ? images[index].width : images[index].height;
        entry.rotated = rotated;
        entry.x = layout.frames[index].x;
        entry.y = layout.frames[index].y;
        packer.insertEntry(packer.count(), entry);
    }
}

std::string atlasPagePath(const std::string& atlasPath, std::uint32_t page)
{
    const std::size_t ending = atlasEndingLetters(atlasPath) + 1;
    const std::size_t stem = atlasPath.size() >= ending ? atlasPath.size() - ending : 0;
    return atlasPath.substr(0, stem) + "-" + std::to_string(page + 1) + atlasPath.substr(stem);
}
