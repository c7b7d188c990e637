// The shared pack-and-write flow: sprites prepared, laid out, every page
// composed and written with its descriptions.
#include "app/pack/AtlasWriter.h"

#include "app/pack/AtlasFormats.h"
#include "app/pack/AtlasJson.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/CPacker.h"
#include "core/CSafeWriter.h"

#include <memory>
#include <utility>

namespace {

// The descriptions of one page other than the XML one: (path, text), in the
// order of atlasSetPaths().
bool describeOthers(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                    std::uint32_t width, std::uint32_t height, const PackSettings& settings,
                    std::vector<std::pair<std::string, std::string>>& files, std::string& error)
{
    if (settings.json || settings.jsonArray) {
        std::string text;
        if (!atlasJsonText(atlasPath, packer, images, width, height, text, &error, settings.sprites.premultiply))
            return false;
        if (settings.jsonArray && !atlasJsonArrayText(text, text, &error))
            return false;
        files.emplace_back(atlasJsonPath(atlasPath), std::move(text));
    }
    if (settings.gdxAtlas) {
        std::string text;
        if (!atlasGdxText(atlasPath, packer, images, width, height, text, &error, settings.sprites.premultiply))
            return false;
        files.emplace_back(atlasGdxPath(atlasPath), std::move(text));
    }
    return true;
}

// Writes one page: the other descriptions are complete before the atlas is
// saved and put in place after it, so a failed save leaves them unwritten
// too.
bool writePage(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, const PackSettings& settings,
               const CParallelDeflate::Progress& onPiece, std::string& error)
{
    std::vector<std::pair<std::string, std::string>> texts;
    if (!describeOthers(atlasPath, packer, images, width, height, settings, texts, error))
        return false;
    std::vector<std::unique_ptr<CSafeWriter>> files;
    for (const auto& [path, text] : texts) {
        files.push_back(std::make_unique<CSafeWriter>());
        if (!files.back()->open(path, &error))
            return false;
        if (!files.back()->write(text.data(), text.size()))
            return files.back()->commit(&error); // names the failed write
    }
    if (!saveAtlas(atlasPath, packer, images, width, height, settings.sprites.finish(), settings.encoding(), &error,
                   onPiece))
        return false;
    for (const auto& file : files) {
        if (!file->commit(&error))
            return false;
    }
    return true;
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
    return options;
}

PackedAtlas packAtlas(const std::vector<AtlasImage>& images, const PackSettings& settings)
{
    PackedAtlas packed;
    packed.sprites = prepareSprites(images, settings.sprites);
    packed.layout = layoutAtlas(packed.sprites.pictures, layoutOptionsFor(settings));
    return packed;
}

std::string atlasPageFile(const PackSettings& settings, std::uint32_t page)
{
    return settings.multipack ? atlasPagePath(settings.atlasPath, page) : settings.atlasPath;
}

std::vector<std::string> atlasSetPaths(const PackSettings& settings, std::uint32_t pageCount)
{
    std::vector<std::string> paths;
    for (std::uint32_t page = 0; page < pageCount; ++page) {
        const std::string image = atlasPageFile(settings, page);
        paths.push_back(image);
        paths.push_back(atlasDescriptionPath(image));
        if (settings.json || settings.jsonArray)
            paths.push_back(atlasJsonPath(image));
        if (settings.gdxAtlas)
            paths.push_back(atlasGdxPath(image));
    }
    return paths;
}

bool writeAtlasSet(const PackSettings& settings, const PackedAtlas& packed, const AtlasWriteProgress& progress,
                   std::string& error, AtlasWriteReport* report)
{
    const AtlasLayout& layout = packed.layout;
    const std::vector<LayoutImage>& pictures = packed.sprites.pictures;
    const std::size_t pageCount = layout.pages.size();
    std::uint64_t steps = pageCount;
    CPacker packer;
    for (std::size_t page = 0; page < pageCount; ++page) {
        const LayoutPage& sheet = layout.pages[page];
        const std::uint32_t index = static_cast<std::uint32_t>(page);
        const std::string path = atlasPageFile(settings, index);
        fillPagePacker(pictures, layout, index, packer);
        const std::vector<AtlasImage> pageImages = packed.sprites.pageImages(layout, index);
        const auto onPiece = [&](std::size_t piecesDone, std::size_t pieces) {
            steps = std::uint64_t(pieces) * pageCount;
            if (progress)
                progress(page * pieces + piecesDone, steps);
        };
        if (!writePage(path, packer, pageImages, sheet.width, sheet.height, settings, onPiece, error))
            return false;
        if (report) {
            report->pagePaths.push_back(path);
            report->pageWidths.push_back(sheet.width);
            report->pageHeights.push_back(sheet.height);
            report->canvasPixels += std::uint64_t(sheet.width) * sheet.height;
        }
    }
    if (progress)
        progress(steps, steps);
    return true;
}
