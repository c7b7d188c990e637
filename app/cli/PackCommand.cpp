// "pack": images and folders in, atlas image and description out.
#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasFormats.h"
#include "app/pack/AtlasLayout.h"
#include "app/pack/AtlasJson.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/AtlasText.h"
#include "app/pack/AtlasWriter.h"
#include "app/pack/CPacker.h"
#include "app/pack/NaturalOrder.h"
#include "app/pack/PackSettings.h"
#include "app/pack/SpriteSheet.h"
#include "app/cli/COutputLock.h"
#include "app/cli/CPackDigest.h"
#include "app/cli/CProgressBar.h"
#include "app/cli/CWatch.h"
#include "app/cli/LoadInputs.h"
#include "app/cli/CPackInputs.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliFiles.h"
#include "core/CSafeWriter.h"
#include "image/CImage.h"
#include "image/ImageLimits.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// The pack's settings and what only the command line decides. The command
// line packs for the smallest atlas (best) unless --mode says otherwise; the
// window keeps the settings' default layout.
struct PackOptions : PackSettings {
    PackOptions() { mode = PackBest; }

    bool skipUnreadable = false;
    bool progress = false;
    bool watch = false;
    bool ifChanged = false;
    std::vector<std::string> arguments; // those that shape the outputs, for --if-changed
};

// Largest accepted spacing; far more than any atlas needs, small enough
// that sums with image sizes stay far from overflow.
constexpr unsigned long maxSpacing = 4096;

// A whole decimal number from `least` to `most`.
bool parseNumber(const char* text, unsigned long least, unsigned long most, std::uint32_t& number)
{
    if (!text || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < least || value > most)
        return false;
    number = static_cast<std::uint32_t>(value);
    return true;
}

// "#RRGGBB" or "RRGGBB" as 0xRRGGBB.
bool parseColour(const std::string& text, std::uint32_t& colour)
{
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    colour = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    return true;
}

// Adds one --format value; false for an unknown one. The XML description is
// always written.
bool parseFormat(const std::string& format, PackOptions& options)
{
    if (format == "json")
        options.json = true;
    else if (format == "json-array")
        options.jsonArray = true;
    else if (format == "atlas")
        options.gdxAtlas = true;
    else if (format != "xml")
        return false;
    return true;
}

// Parses the pack arguments; returns exitSuccess, or exitUsage after a
// message. `helpShown` is set when --help printed the help instead.
int parseOptions(int argc, char** argv, PackOptions& options, bool& helpShown)
{
    bool onlyInputs = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (onlyInputs || (arg != "--watch" && arg != "--if-changed"))
            options.arguments.push_back(arg);
        if (onlyInputs || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
            continue;
        }
        // "--option=value" as GNU tools take it, for every option.
        std::optional<std::string> inlineValue;
        const std::size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            inlineValue = arg.substr(equals + 1);
            arg.resize(equals);
        }
        const bool hasValue = inlineValue || i + 1 < argc;
        const auto takeValue = [&]() -> std::string { return inlineValue ? *inlineValue : std::string(argv[++i]); };
        const bool takesValue = arg == "--mode" || arg == "--spacing" || arg == "--max-size" || arg == "--border" ||
            arg == "--extrude" || arg == "--sort" || arg == "-o" || arg == "--output" || arg == "--format" ||
            arg == "--compression" || arg == "--quality";
        // --jpeg-flatten takes its colour only in the inline form.
        if (inlineValue && !takesValue && arg != "--jpeg-flatten")
            return usageError(arg + " takes no value");
        if (arg == "--") {
            onlyInputs = true;
        } else if (arg == "--help" || arg == "-h") {
            printCommandHelp("pack");
            helpShown = true;
            return exitSuccess;
        } else if (arg == "--mode") {
            if (!hasValue)
                return usageError("--mode needs auto, right, down or best");
            const std::string mode = takeValue();
            if (mode == "auto")
                options.mode = PackAuto;
            else if (mode == "right")
                options.mode = PackRight;
            else if (mode == "down")
                options.mode = PackDown;
            else if (mode == "best")
                options.mode = PackBest;
            else
                return usageError("unknown mode \"" + mode + "\" (auto, right, down or best)");
        } else if (arg == "--centre" || arg == "--center") {
            options.alignment = AlignCentre;
        } else if (arg == "--spacing") {
            if (!hasValue || !parseNumber(takeValue().c_str(), 0, maxSpacing, options.spacing))
                return usageError("--spacing needs a whole number of pixels from 0 to " + std::to_string(maxSpacing));
        } else if (arg == "--max-size") {
            if (!hasValue || !parseNumber(takeValue().c_str(), 1, maxImageSide, options.maxSize))
                return usageError("--max-size needs a whole number of pixels from 1 to " +
                                  std::to_string(maxImageSide));
        } else if (arg == "--border") {
            std::uint32_t border = 0;
            if (!hasValue || !parseNumber(takeValue().c_str(), 0, maxSpacing, border))
                return usageError("--border needs a whole number of pixels from 0 to " + std::to_string(maxSpacing));
            options.border = border;
        } else if (arg == "--extrude") {
            if (!hasValue || !parseNumber(takeValue().c_str(), 0, maxExtrude, options.sprites.extrude))
                return usageError("--extrude needs a whole number of pixels from 0 to " + std::to_string(maxExtrude));
        } else if (arg == "--trim") {
            options.sprites.trim = true;
        } else if (arg == "--alias") {
            options.sprites.alias = true;
        } else if (arg == "--bleed") {
            options.sprites.bleed = true;
        } else if (arg == "--premultiply") {
            options.sprites.premultiply = true;
        } else if (arg == "--sort") {
            const std::string order = hasValue ? takeValue() : std::string();
            if (order == "natural")
                options.order = NameOrder::Natural;
            else if (order == "bytes")
                options.order = NameOrder::Bytes;
            else
                return usageError("--sort needs natural or bytes");
        } else if (arg == "--pot") {
            options.pot = true;
        } else if (arg == "--square") {
            options.square = true;
        } else if (arg == "--multipack") {
            options.multipack = true;
        } else if (arg == "--no-tight") {
            options.tight = false;
        } else if (arg == "--recursive") {
            options.recursive = true;
        } else if (arg == "--skip-unreadable") {
            options.skipUnreadable = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--progress") {
            options.progress = true;
        } else if (arg == "--format") {
            if (!hasValue || !parseFormat(takeValue(), options))
                return usageError("--format needs xml, json, json-array or atlas");
        } else if (arg == "--compression") {
            const std::string level = hasValue ? takeValue() : std::string();
            if (level == "fast")
                options.compression = ImageCompression::Fast;
            else if (level == "default")
                options.compression = ImageCompression::Default;
            else if (level == "best")
                options.compression = ImageCompression::Best;
            else
                return usageError("--compression needs fast, default or best");
        } else if (arg == "--quality") {
            std::uint32_t quality = 0;
            if (!hasValue || !parseNumber(takeValue().c_str(), 0, 100, quality))
                return usageError("--quality needs a whole number from 0 to 100");
            options.quality = static_cast<int>(quality);
        } else if (arg == "--jpeg-flatten") {
            options.jpegFlatten = true;
            if (inlineValue && !parseColour(*inlineValue, options.jpegFlattenColour))
                return usageError("--jpeg-flatten=COLOUR needs a colour as #RRGGBB");
        } else if (arg == "--watch") {
            options.watch = true;
        } else if (arg == "--if-changed") {
            options.ifChanged = true;
        } else if (arg == "-o" || arg == "--output") {
            if (!hasValue)
                return usageError(arg + " needs the atlas file name");
            options.atlasPath = takeValue();
            if (options.atlasPath.empty())
                return usageError(arg + " needs the atlas file name");
        } else {
            return usageError("unknown option " + arg);
        }
    }
    if (options.atlasPath.empty())
        return usageError("pack needs -o ATLAS");
    if (options.inputs.empty())
        return usageError("pack needs at least one image or folder");
    if (options.json && options.jsonArray)
        return usageError("--json and --format json-array would both write " + atlasJsonPath(options.atlasPath));
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!atlasFormatFor(options.atlasPath, channels, bitsPerPixel))
        return usageError("the atlas name " + options.atlasPath + " does not end with .bmp, .jpg, .png, .tga or .webp");
    if (options.quality >= 0 && imageFormatByEnding(options.atlasPath) != ImageFileFormat::Webp)
        return usageError("--quality applies to .webp atlases only (a .jpg atlas is written at quality 100)");
    if (const std::string problem = descriptionNameProblem(fileNameOf(options.atlasPath)); !problem.empty())
        return usageError("the atlas name " + options.atlasPath + ": " + problem);
    return exitSuccess;
}

// Two images under one name (or one frame name) would make the description
// ambiguous; refuse them, naming both paths.
bool checkNames(const std::vector<PackInput>& files)
{
    std::map<std::string, std::size_t> byName;
    std::map<std::string, std::size_t> byFrame;
    bool ok = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string name = fileNameOf(files[i].path);
        const auto [nameIt, newName] = byName.emplace(name, i);
        if (!newName) {
            std::fprintf(stderr, "%s and %s: two images named %s\n", files[nameIt->second].path.c_str(),
                         files[i].path.c_str(), name.c_str());
            ok = false;
            continue;
        }
        const std::string frame = toStdString(atlasFrameName(String(name.c_str())));
        const auto [frameIt, newFrame] = byFrame.emplace(frame, i);
        if (!newFrame) {
            std::fprintf(stderr, "%s and %s: both would be the frame \"%s\"\n", files[frameIt->second].path.c_str(),
                         files[i].path.c_str(), frame.c_str());
            ok = false;
        }
    }
    return ok;
}


// The files a pack may write: the atlas (or, with --multipack, every page
// already on disk and at least the first), each with its descriptions.
std::vector<std::string> outputsOf(const PackOptions& options)
{
    std::uint32_t pages = 1;
    if (options.multipack) {
        struct stat info;
        while (stat(atlasPagePath(options.atlasPath, pages).c_str(), &info) == 0)
            ++pages;
    }
    return atlasSetPaths(options, pages);
}

// "XML and JSON descriptions": what the multipack summary says lies beside
// each page.
std::string describedKinds(const PackOptions& options)
{
    std::string kinds = "XML";
    if (options.json || options.jsonArray)
        kinds += options.gdxAtlas ? ", JSON" : " and JSON";
    if (options.gdxAtlas)
        kinds += " and .atlas";
    return kinds + (kinds == "XML" ? " description" : " descriptions");
}

// One pack: inputs read, packed and written, or the reason on stderr.
int packOnce(const PackOptions& options)
{
    const std::vector<std::string> outputs = outputsOf(options);
    CPackInputs inputs(outputs, options.recursive, options.order);
    if (!inputs.collect(options.inputs))
        return exitFailure;
    const std::vector<PackInput>& files = inputs.files();
    const std::string skipped = inputs.skippedText();
    if (files.empty()) {
        std::fprintf(stderr, "quiltforger-cli: no images to pack%s%s%s\n", skipped.empty() ? "" : " (",
                     skipped.c_str(), skipped.empty() ? "" : ")");
        return exitFailure;
    }
    if (!checkNames(files))
        return exitFailure;
    std::string digest;
    const std::string digestPath = packDigestPath(options.atlasPath);
    if (options.ifChanged) {
        digest = packInputsDigest(options.arguments, files);
        if (packIsUpToDate(digestPath, digest, outputs)) {
            std::printf("%s is up to date (inputs and options unchanged since it was packed); nothing written\n",
                        options.atlasPath.c_str());
            return exitSuccess;
        }
    }

    CProgressBar progress(options.progress);
    std::vector<std::unique_ptr<CImage>> images;
    images.reserve(files.size());
    std::size_t unreadable = 0;
    std::vector<LoadedInput> loaded =
        loadInputs(files, [&](std::size_t done) { progress.update("loading", done, files.size()); });
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!loaded[i].image) {
            ++unreadable;
            progress.message(files[i].path + ": " + loaded[i].error);
            continue;
        }
        images.push_back(std::move(loaded[i].image));
    }
    progress.update("loading", files.size(), files.size());
    if (unreadable > 0 && !options.skipUnreadable) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: nothing was written; --skip-unreadable packs the images that can be "
                     "read\n");
        return exitFailure;
    }
    if (images.empty()) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: no images to pack (%zu could not be read)\n", unreadable);
        return exitFailure;
    }

    progress.update("packing", 0, 1);
    std::vector<AtlasImage> atlasImages;
    atlasImages.reserve(images.size());
    for (const auto& image : images)
        atlasImages.push_back(AtlasImage{image->getName(), image.get()});
    // Trimmed, shared and extruded pictures are what gets laid out.
    const PackedAtlas packed = packAtlas(atlasImages, options);
    const SpriteSheet& sprites = packed.sprites;
    const AtlasLayout& layout = packed.layout;
    if (imageFormatByEnding(options.atlasPath) == ImageFileFormat::Jpeg && !options.jpegFlatten) {
        if (const AtlasImage* transparent = firstTransparentImage(sprites.images)) {
            progress.finish();
            std::fprintf(stderr, "quiltforger-cli: %s has pixels that are not opaque, and a JPEG atlas cannot keep "
                         "transparency; nothing was written. --jpeg-flatten puts the atlas over black, "
                         "--jpeg-flatten=#RRGGBB over that colour; .png and .webp keep transparency\n",
                         toStdString(transparent->name).c_str());
            return exitFailure;
        }
    }
    if (!layout.fits()) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: %zu of %zu images do not fit in the largest atlas (%ux%u)%s\n",
                     layout.unplaced, images.size(), options.maxSize, options.maxSize,
                     options.multipack ? " even on a page of their own" : "; --multipack puts them on more pages");
        return exitFailure;
    }

    progress.update("writing", 0, 1);
    std::string error;
    const std::string folder = folderOf(options.atlasPath);
    if (!makeFolders(folder)) {
        const int code = errno;
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: cannot create the folder %s: %s\n", folder.c_str(),
                     reasonText(code).c_str());
        return exitFailure;
    }
    const std::size_t pageCount = layout.pages.size();
    std::uint64_t writeSteps = pageCount;
    // Packs into the same folder at once put their sets in place one after
    // the other, never interleaved.
    COutputLock lock;
    lock.acquire(folder);
    AtlasWriteReport written;
    const auto onStep = [&](std::uint64_t done, std::uint64_t total) {
        writeSteps = total;
        progress.update("writing", done, total);
    };
    if (!writeAtlasSet(options, packed, onStep, error, &written)) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: %s\n", error.c_str());
        return exitFailure;
    }
    std::string pagesText;
    for (std::size_t page = 0; page < written.pagePaths.size(); ++page) {
        char text[64];
        std::snprintf(text, sizeof(text), " (%ux%u)", written.pageWidths[page], written.pageHeights[page]);
        pagesText += (page == 0 ? "" : ", ") + written.pagePaths[page] + text;
    }
    const std::uint64_t canvasPixels = written.canvasPixels;
    const std::uint64_t imagePixels = sprites.pictureArea;
    if (options.ifChanged && unreadable == 0) {
        const std::string text = packDigestText(digest, outputsOf(options));
        if (!CSafeWriter::writeFile(digestPath, text.data(), text.size(), &error)) {
            progress.finish();
            std::fprintf(stderr, "quiltforger-cli: %s\n", error.c_str());
            return exitFailure;
        }
    }
    lock.release();
    progress.update("writing", writeSteps, writeSteps);
    progress.finish();
    const double occupancy = canvasPixels > 0 ? 100.0 * double(imagePixels) / double(canvasPixels) : 0.0;
    if (!options.multipack) {
        const LayoutPage& sheet = layout.pages[0];
        std::printf("packed %zu image%s into %s (%ux%u, %.1f%% occupied), description %s", images.size(),
                    images.size() == 1 ? "" : "s", options.atlasPath.c_str(), sheet.width, sheet.height, occupancy,
                    outputs[1].c_str());
        if (options.json)
            std::printf(", JSON description %s", outputs[2].c_str());
        else if (options.jsonArray)
            std::printf(", JSON array description %s", outputs[2].c_str());
        if (options.gdxAtlas)
            std::printf(", .atlas description %s", outputs.back().c_str());
    } else {
        std::printf("packed %zu image%s into %zu page%s: %s, %.1f%% occupied, %s beside each", images.size(),
                    images.size() == 1 ? "" : "s", pageCount, pageCount == 1 ? "" : "s", pagesText.c_str(),
                    occupancy, describedKinds(options).c_str());
    }
    if (options.sprites.alias)
        std::printf("; %zu aliased", sprites.aliased);
    if (!skipped.empty())
        std::printf("; %s", skipped.c_str());
    std::printf("\n");
    if (unreadable > 0) {
        std::fflush(stdout);
        std::fprintf(stderr, "packed %zu of %zu images (%zu could not be read)\n", images.size(), files.size(),
                     unreadable);
        return exitFailure;
    }
    return exitSuccess;
}

}

int runPack(int argc, char** argv)
{
    PackOptions options;
    bool helpShown = false;
    if (parseOptions(argc, argv, options, helpShown) != exitSuccess)
        return exitUsage;
    if (helpShown)
        return exitSuccess;
    if (!options.watch)
        return packOnce(options);
    CWatch watch(options.inputs, options.recursive, [&options] { return outputsOf(options); });
    return watch.run([&options] { return packOnce(options); });
}
