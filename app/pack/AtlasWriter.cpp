// The shared pack-and-write flow: sprites prepared, laid out, every page
// composed and written with its descriptions.
#include "app/pack/AtlasWriter.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasFormats.h"
#include "app/pack/AtlasFrames.h"
#include "app/pack/AtlasJson.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/CPacker.h"
#include "app/pack/FrameDetails.h"
#include "app/pack/PhaserJson.h"
#include "core/CSafeWriter.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace {

// What the files describing every page at once gather, page by page.
struct CombinedTexts {
    std::string gdx;                         // the .atlas pages of a multipack
    std::vector<std::string> phaserTextures; // the multi-atlas entries
};

// The descriptions of one page other than the XML one: (path, text), in the
// order of atlasSetPaths(). With `combined`, the .atlas block and the
// multi-atlas entry of the page are added to the files written for all
// pages instead.
bool describeOthers(const PackSettings& settings, const AtlasPageInfo& page, const std::vector<AtlasFrame>& frames,
                    const std::vector<std::string>& relatedPacks, const std::string& atlasPath,
                    std::vector<std::pair<std::string, std::string>>& files, CombinedTexts& combined,
                    std::string& error)
{
    if (settings.json || settings.jsonArray) {
        std::string text;
        if (!atlasJsonText(page, frames, relatedPacks, text, &error))
            return false;
        if (settings.jsonArray && !atlasJsonArrayText(text, text, &error))
            return false;
        files.emplace_back(atlasJsonPath(atlasPath), std::move(text));
    }
    if (settings.gdxAtlas) {
        std::string text;
        if (!atlasGdxText(page, frames, text, &error))
            return false;
        if (settings.multipack)
            combined.gdx += text;
        else
            files.emplace_back(atlasGdxPath(atlasPath), std::move(text));
    }
    if (settings.phaser3) {
        std::string text;
        if (!phaserTextureText(page, frames, text, &error))
            return false;
        combined.phaserTextures.push_back(std::move(text));
    }
    return true;
}

// Files written and prepared but not yet put in place, by what readers open
// first: descriptions (the XML ones apart, opened first of all by the
// engine and unpack), then the images they name.
struct StagedFiles {
    std::vector<std::unique_ptr<CSafeWriter>> images;
    std::vector<std::unique_ptr<CSafeWriter>> descriptions;
    std::vector<std::unique_ptr<CSafeWriter>> xml;

    CSafeWriter& add(std::vector<std::unique_ptr<CSafeWriter>>& kind)
    {
        kind.push_back(std::make_unique<CSafeWriter>());
        return *kind.back();
    }
    // The images first, then the other descriptions, the XML ones last, so
    // no description names a file that is not there yet and the window in
    // which a reader sees a mix is a run of renames.
    bool commit(std::string& error)
    {
        std::vector<CSafeWriter*> order;
        for (const auto* kind : {&images, &descriptions, &xml}) {
            for (const auto& file : *kind)
                order.push_back(file.get());
        }
        return CSafeWriter::commitAll(order, &error);
    }
};

// Writes `text` to a staged file at `path`.
bool stageText(CSafeWriter& file, const std::string& path, const std::string& text, std::string& error)
{
    if (!file.open(path, &error))
        return false;
    file.write(text.data(), text.size());
    return file.prepare(&error); // names a failed write
}

// Writes one page into `staged`: its atlas image and every description.
bool writePage(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               const AtlasPageInfo& page, const std::vector<std::string>& relatedPacks, const PackSettings& settings,
               CombinedTexts& combined, StagedFiles& staged, const CParallelDeflate::Progress& onPiece,
               std::string& error)
{
    std::vector<AtlasFrame> frames;
    if (!atlasFrames(packer, images, frames, &error))
        return false;
    std::vector<std::pair<std::string, std::string>> texts;
    if (!describeOthers(settings, page, frames, relatedPacks, atlasPath, texts, combined, error))
        return false;
    for (const auto& [path, text] : texts) {
        if (!stageText(staged.add(staged.descriptions), path, text, error))
            return false;
    }
    return prepareAtlasFiles(atlasPath, packer, images, page.width, page.height, settings.sprites.finish(),
                             settings.encoding(), staged.add(staged.images), staged.add(staged.xml), &error,
                             onPiece);
}

// The settings of one scale variant: its atlas name, no further variants.
PackSettings variantSettings(const PackSettings& settings, const ScaleVariant& variant)
{
    PackSettings one = settings;
    one.atlasPath = variantAtlasPath(settings.atlasPath, variant.suffix);
    one.variants.clear();
    return one;
}

// The readers of the .atlas description take turned regions as turned
// counter-clockwise, the JSON readers as turned clockwise (the layout's
// way): a pack writing the .atlas turns its pictures the other way.
void turnForReaders(const PackSettings& settings, CPacker& packer)
{
    if (!settings.gdxAtlas)
        return;
    for (std::uint32_t i = 0; i < packer.count(); ++i) {
        if (packer.entry(i).rotated > 0)
            packer.entry(i).rotated = -1;
    }
}

// Why the settings cannot be written with turned frames, or "".
std::string turnProblem(const PackSettings& settings)
{
    if (!settings.rotate || settings.mode != PackBest || !settings.gdxAtlas ||
        !(settings.json || settings.jsonArray || settings.phaser3))
        return std::string();
    return "--rotate cannot write the .atlas and a JSON description together: their readers turn frames back "
           "opposite ways (pack them separately)";
}

// The other pages' JSON file names, for a multipack page's
// meta.related_multi_packs.
std::vector<std::string> relatedPacksOf(const PackSettings& settings, std::size_t pageCount, std::size_t page)
{
    std::vector<std::string> names;
    if (!settings.multipack || !(settings.json || settings.jsonArray))
        return names;
    for (std::size_t other = 0; other < pageCount; ++other) {
        if (other != page)
            names.push_back(fileNameOf(atlasJsonPath(atlasPageFile(settings, static_cast<std::uint32_t>(other)))));
    }
    return names;
}

}

LayoutOptions layoutOptionsFor(const PackSettings& settings)
{
    LayoutOptions options;
    options.mode = settings.mode;
    options.alignment = settings.alignment;
    options.spacing = settings.spacing;
    options.tight = settings.tight;
    options.maxSize = settings.maxSize;
    options.pot = settings.pot;
    options.square = settings.square;
    options.multipack = settings.multipack;
    options.border = settings.border;
    options.rotate = settings.rotate && settings.mode == PackBest;
    return options;
}

PackedAtlas packAtlas(const std::vector<AtlasImage>& images, const PackSettings& settings)
{
    PackedAtlas packed;
    // Pivots, nine-slices and animations first: a nine-slice picture is not
    // trimmed.
    std::vector<AtlasImage> detailed = images;
    packed.refused = assignFrameDetails(detailed, settings);
    std::unordered_set<std::string> sequences;
    for (const AtlasImage& image : detailed) {
        if (!image.meta.animation.empty())
            sequences.insert(image.meta.animation);
    }
    packed.animations = sequences.size();
    if (hasScaleVariants(settings)) {
        // Extrusion and spacing are added per variant, in the cells.
        SpriteOptions sprites = settings.sprites;
        sprites.extrude = 0;
        packed.sprites = prepareSprites(detailed, sprites);
        packed.variants = planScaleVariants(packed.sprites, settings);
        packed.layout = layoutAtlas(packed.variants.cells, cellLayoutOptions(settings, packed.variants));
    } else {
        packed.sprites = prepareSprites(detailed, settings.sprites);
        packed.layout = layoutAtlas(packed.sprites.pictures, layoutOptionsFor(settings));
    }
    orderFrames(packed.sprites, settings.frameOrder);
    return packed;
}

void orderFrames(SpriteSheet& sprites, const std::vector<std::string>& frameOrder)
{
    if (frameOrder.empty())
        return;
    std::unordered_map<std::string, std::size_t> rank;
    for (std::size_t i = 0; i < frameOrder.size(); ++i)
        rank.emplace(frameOrder[i], i);
    std::vector<std::size_t> order(sprites.images.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const auto rankOf = [&](std::size_t image) {
        const auto found = rank.find(toStdString(sprites.images[image].name));
        return found != rank.end() ? found->second : frameOrder.size();
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rankOf(a) < rankOf(b); });
    std::vector<AtlasImage> images;
    std::vector<std::size_t> pictureOf;
    images.reserve(order.size());
    pictureOf.reserve(order.size());
    for (const std::size_t i : order) {
        images.push_back(std::move(sprites.images[i]));
        pictureOf.push_back(sprites.pictureOf[i]);
    }
    sprites.images = std::move(images);
    sprites.pictureOf = std::move(pictureOf);
}

std::string atlasPageFile(const PackSettings& settings, std::uint32_t page)
{
    return settings.multipack ? atlasPagePath(settings.atlasPath, page) : settings.atlasPath;
}

std::vector<std::string> atlasSetPaths(const PackSettings& settings, std::uint32_t pageCount)
{
    std::vector<std::string> paths;
    if (hasScaleVariants(settings)) {
        for (const ScaleVariant& v : settings.variants) {
            const std::vector<std::string> more = atlasSetPaths(variantSettings(settings, v), pageCount);
            paths.insert(paths.end(), more.begin(), more.end());
        }
        return paths;
    }
    for (std::uint32_t page = 0; page < pageCount; ++page) {
        const std::string image = atlasPageFile(settings, page);
        paths.push_back(image);
        paths.push_back(atlasDescriptionPath(image));
        if (settings.json || settings.jsonArray)
            paths.push_back(atlasJsonPath(image));
        if (settings.gdxAtlas && !settings.multipack)
            paths.push_back(atlasGdxPath(image));
    }
    // The files that describe every page at once.
    if (settings.gdxAtlas && settings.multipack)
        paths.push_back(atlasGdxPath(settings.atlasPath));
    if (settings.phaser3)
        paths.push_back(phaserAtlasPath(settings));
    return paths;
}

namespace {

// Stages every page of one set into `staged`: the layout's own pages, or
// with `variant` set that scale variant's (ScaleVariants.h), then the files
// describing all pages.
bool stageSet(const PackSettings& settings, const PackedAtlas& packed, std::optional<std::size_t> variant,
              StagedFiles& staged, const AtlasWriteProgress& progress, std::string& error, AtlasWriteReport* report)
{
    const AtlasLayout& layout = packed.layout;
    const std::vector<LayoutImage>& pictures = packed.sprites.pictures;
    const std::size_t pageCount = layout.pages.size();
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!atlasFormatFor(settings.atlasPath, channels, bitsPerPixel)) {
        error = "the atlas name " + settings.atlasPath + " does not end with .bmp, .jpg, .png or .tga";
        return false;
    }
    CombinedTexts combined;
    std::uint64_t steps = pageCount;
    CPacker packer;
    for (std::size_t page = 0; page < pageCount; ++page) {
        const std::uint32_t index = static_cast<std::uint32_t>(page);
        const std::string path = atlasPageFile(settings, index);
        VariantPage scaled;
        std::uint32_t width = layout.pages[page].width;
        std::uint32_t height = layout.pages[page].height;
        std::vector<AtlasImage> pageImages;
        if (variant) {
            if (!buildVariantPage(packed.sprites, layout, packed.variants, *variant, index, settings, scaled, error))
                return false;
            width = scaled.width;
            height = scaled.height;
        } else {
            fillPagePacker(pictures, layout, index, packer);
            pageImages = packed.sprites.pageImages(layout, index);
        }
        turnForReaders(settings, variant ? scaled.packer : packer);
        const auto onPiece = [&](std::size_t piecesDone, std::size_t pieces) {
            steps = std::uint64_t(pieces) * pageCount;
            if (progress)
                progress(page * pieces + piecesDone, steps);
        };
        AtlasPageInfo info{fileNameOf(path), width, height, channels != 4, settings.sprites.premultiply};
        if (variant)
            info.scale = scaleText(packed.variants.variants[*variant].factor);
        if (!writePage(path, variant ? scaled.packer : packer, variant ? scaled.images : pageImages, info,
                       relatedPacksOf(settings, pageCount, page), settings, combined, staged, onPiece, error))
            return false;
        if (report) {
            report->pagePaths.push_back(path);
            report->pageWidths.push_back(width);
            report->pageHeights.push_back(height);
            report->canvasPixels += std::uint64_t(width) * height;
        }
    }
    // Put in place after every page, so they never name a page that is
    // not there.
    if (settings.gdxAtlas && settings.multipack &&
        !stageText(staged.add(staged.descriptions), atlasGdxPath(settings.atlasPath), combined.gdx, error))
        return false;
    if (settings.phaser3 &&
        !stageText(staged.add(staged.descriptions), phaserAtlasPath(settings),
                   phaserAtlasText(combined.phaserTextures, settings.sprites.premultiply), error))
        return false;
    if (progress)
        progress(steps, steps);
    return true;
}

}

bool writeAtlasSet(const PackSettings& settings, const PackedAtlas& packed, const AtlasWriteProgress& progress,
                   std::string& error, AtlasWriteReport* report)
{
    if (!packed.refused.empty()) {
        error = packed.refused;
        return false;
    }
    if (settings.phaser3 && !settings.multipack && (settings.json || settings.jsonArray)) {
        error = "the Phaser 3 multi-atlas and the JSON description would both be " + phaserAtlasPath(settings);
        return false;
    }
    if (const std::string problem = turnProblem(settings); !problem.empty()) {
        error = problem;
        return false;
    }
    // Every variant's files are staged first and put in place together.
    StagedFiles staged;
    const std::vector<ScaleVariant>& variants = packed.variants.variants;
    if (variants.empty()) {
        if (!stageSet(settings, packed, std::nullopt, staged, progress, error, report))
            return false;
    }
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const auto onStep = [&](std::uint64_t done, std::uint64_t total) {
            if (progress)
                progress(v * total + done, variants.size() * total);
        };
        if (!stageSet(variantSettings(settings, variants[v]), packed, v, staged, onStep, error, report))
            return false;
    }
    return staged.commit(error);
}

std::string phaserAtlasPath(const PackSettings& settings)
{
    return atlasJsonPath(settings.atlasPath);
}
