// "pack": images and folders in, atlas image and description out.
#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasFormats.h"
#include "app/pack/AtlasLayout.h"
#include "app/pack/AtlasJson.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/AtlasText.h"
#include "app/pack/AtlasWriter.h"
#include "app/pack/CPacker.h"
#include "app/pack/CProject.h"
#include "app/pack/NaturalOrder.h"
#include "app/pack/PackSettings.h"
#include "app/pack/ScaleVariants.h"
#include "app/pack/SpriteSheet.h"
#include "app/cli/CPackDigest.h"
#include "app/cli/CProgressBar.h"
#include "app/cli/CWatch.h"
#include "app/cli/CInterruptCleanup.h"
#include "app/cli/LoadInputs.h"
#include "app/cli/CPackInputs.h"
#include "app/pack/OptionValues.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliFiles.h"
#include "core/CFolderLock.h"
#include "core/CSafeWriter.h"
#include "image/CImage.h"
#include "image/ImageLimits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <glib.h>
#include <limits.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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
    std::string projectPath;            // --project, watched as an input
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
    else if (format == "phaser3")
        options.phaser3 = true;
    else if (format != "xml")
        return false;
    return true;
}

// The comma-separated items of `text` ("a,,b" gives "a", "", "b").
std::vector<std::string> commaList(const std::string& text)
{
    std::vector<std::string> items(1);
    for (const char c : text) {
        if (c == ',')
            items.emplace_back();
        else
            items.back() += c;
    }
    return items;
}

// --scale: factors from above 0 to 16, as decimals of up to six places.
bool parseScales(const std::string& text, std::vector<std::string>& factors, std::vector<double>& values)
{
    factors = commaList(text);
    for (const std::string& factor : factors) {
        double value = 0.0;
        if (!parseScaleFactor(factor, value))
            return false;
        values.push_back(value);
    }
    return true;
}

// The variants of --scale and --scale-suffix, or the reason they are refused.
std::string scaleVariantsOf(const std::string& scales, const std::optional<std::string>& suffixes,
                            std::vector<ScaleVariant>& variants)
{
    std::vector<std::string> factors;
    std::vector<double> values;
    if (!parseScales(scales, factors, values))
        return "--scale needs factors above 0 and up to 16, separated by commas (--scale 2,1,0.5)";
    std::vector<std::string> names;
    if (suffixes) {
        names = commaList(*suffixes);
        if (names.size() != factors.size())
            return "--scale-suffix needs one suffix per --scale factor (" + std::to_string(factors.size()) + ")";
    }
    for (std::size_t i = 0; i < factors.size(); ++i) {
        ScaleVariant variant;
        variant.factor = values[i];
        variant.suffix = suffixes ? names[i] : defaultScaleSuffix(factors[i], values[i]);
        if (const std::string problem = addScaleVariant(variants, variant); !problem.empty())
            return problem;
    }
    return std::string();
}

// Parses the pack arguments; returns exitSuccess, or exitUsage after a
// message. `helpShown` is set when --help printed the help instead.
// --project FILE: the project's settings become the starting point that the
// other options change. Its content (paths resolved) counts for
// --if-changed like an argument.
int loadProjectOption(int argc, char** argv, PackOptions& options)
{
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--")
            break;
        if (arg != "--project" && arg.rfind("--project=", 0) != 0)
            continue;
        if (!options.projectPath.empty())
            return usageError("--project is given twice");
        options.projectPath = arg == "--project" ? (i + 1 < argc ? argv[++i] : "") : arg.substr(10);
        if (options.projectPath.empty())
            return usageError("--project needs the project file (.qfproj)");
        CProject project;
        std::string error;
        if (!project.load(options.projectPath, error)) {
            std::fprintf(stderr, "quiltforger-cli: %s; nothing was written\n", shown(error).c_str());
            return exitFailure;
        }
        static_cast<PackSettings&>(options) = project.settings;
        options.arguments.push_back("--project-settings=" + project.text(""));
    }
    return exitSuccess;
}

int parseOptions(int argc, char** argv, PackOptions& options, bool& helpShown)
{
    std::optional<std::string> scales;
    std::optional<std::string> suffixes;
    if (const int status = loadProjectOption(argc, argv, options); status != exitSuccess)
        return status;
    const bool fromProject = !options.projectPath.empty();
    bool inputsGiven = false;
    bool jsonGiven = false;
    bool jsonArrayGiven = false;
    bool onlyInputs = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (onlyInputs || (arg != "--watch" && arg != "--if-changed"))
            options.arguments.push_back(arg);
        if (onlyInputs || arg.empty() || arg[0] != '-' || arg == "-") {
            // Inputs named here replace the project's.
            if (!inputsGiven)
                options.inputs.clear();
            inputsGiven = true;
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
            arg == "--pivot" || arg == "--project" || arg == "--scale" || arg == "--scale-suffix" ||
            arg == "--compression" || arg == "--quality";
        // --jpeg-flatten takes its colour only in the inline form.
        if (inlineValue && !takesValue && arg != "--jpeg-flatten")
            return usageError(arg + " takes no value");
        if (arg == "--") {
            onlyInputs = true;
        } else if (arg == "--project") {
            if (!inlineValue)
                ++i; // read by loadProjectOption
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
        } else if (arg == "--scale") {
            if (!hasValue)
                return usageError("--scale needs factors above 0 and up to 16, separated by commas (--scale 2,1,0.5)");
            scales = takeValue();
        } else if (arg == "--scale-suffix") {
            if (!hasValue)
                return usageError("--scale-suffix needs one suffix per --scale factor");
            suffixes = takeValue();
        } else if (arg == "--rotate") {
            options.rotate = true;
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
        } else if (arg == "--flatten") {
            options.flatten = true;
        } else if (arg == "--no-animations") {
            options.animations = false;
        } else if (arg == "--pivot") {
            SpritePivot pivot;
            if (!hasValue || !parsePivot(takeValue(), pivot))
                return usageError("--pivot needs X,Y: two fractions of the sprite's size (0.5,1 is the middle of "
                                  "its bottom edge)");
            options.pivot = pivot;
        } else if (arg == "--skip-unreadable") {
            options.skipUnreadable = true;
        } else if (arg == "--json") {
            options.json = true;
            jsonGiven = true;
        } else if (arg == "--progress") {
            options.progress = true;
        } else if (arg == "--format") {
            const std::string format = hasValue ? takeValue() : std::string();
            if (!parseFormat(format, options))
                return usageError("--format needs xml, json, json-array, atlas or phaser3");
            jsonGiven = jsonGiven || format == "json";
            jsonArrayGiven = jsonArrayGiven || format == "json-array";
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
    // A JSON kind named here replaces the project's other one.
    if (fromProject && jsonGiven != jsonArrayGiven) {
        options.json = jsonGiven;
        options.jsonArray = jsonArrayGiven;
    }
    if (options.atlasPath.empty())
        return usageError(fromProject ? "pack needs -o ATLAS (the project names no atlas)" : "pack needs -o ATLAS");
    if (suffixes && !scales)
        return usageError("--scale-suffix needs --scale");
    if (scales) {
        options.variants.clear(); // replaces a project's variants
        if (const std::string problem = scaleVariantsOf(*scales, suffixes, options.variants); !problem.empty())
            return usageError(problem);
    }
    if (options.rotate && options.mode != PackBest)
        return usageError("--rotate needs --mode best (the other modes never turn images)");
    if (options.rotate && options.gdxAtlas && (options.json || options.jsonArray || options.phaser3))
        return usageError("--rotate cannot write the .atlas and a JSON description together: their readers turn "
                          "frames back opposite ways (pack them separately)");
    if (options.inputs.empty())
        return usageError(fromProject ? "pack needs at least one image or folder (the project names none)"
                                      : "pack needs at least one image or folder");
    if (options.json && options.jsonArray)
        return usageError("--json and --format json-array would both write " + atlasJsonPath(options.atlasPath));
    if (options.phaser3 && !options.multipack && (options.json || options.jsonArray))
        return usageError("--format phaser3 and the JSON description would both write " +
                          atlasJsonPath(options.atlasPath) + " (with --multipack the pages' JSON are numbered)");
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

// A frame name as case-insensitive file systems compare names: Unicode
// NFC, case folded (plain bytes, ASCII letters lowered, when not UTF-8).
std::string foldedName(const std::string& name)
{
    if (char* normal = g_utf8_normalize(name.c_str(), -1, G_NORMALIZE_NFC)) {
        char* folded = g_utf8_casefold(normal, -1);
        std::string result = folded;
        g_free(folded);
        g_free(normal);
        return result;
    }
    return lowerAscii(name);
}

// Two images under one name (or one frame name) would make the description
// ambiguous; refuse them, naming both paths. Frame names that differ only
// in letter case or Unicode normalisation pack, with a warning: their
// unpacked files collide on case-insensitive file systems.
bool checkNames(const std::vector<PackInput>& files)
{
    std::map<std::string, std::size_t> byName;
    std::map<std::string, std::size_t> byFrame;
    std::map<std::string, std::size_t> byFolded;
    bool ok = true;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& name = files[i].name;
        const auto [nameIt, newName] = byName.emplace(name, i);
        if (!newName) {
            std::fprintf(stderr, "%s and %s: two images named %s\n", shown(files[nameIt->second].path).c_str(),
                         shown(files[i].path).c_str(), shown(name).c_str());
            ok = false;
            continue;
        }
        const std::string frame = toStdString(atlasFrameName(String(name.c_str())));
        const auto [frameIt, newFrame] = byFrame.emplace(frame, i);
        if (!newFrame) {
            std::fprintf(stderr, "%s and %s: both would be the frame \"%s\"\n",
                         shown(files[frameIt->second].path).c_str(), shown(files[i].path).c_str(), shown(frame).c_str());
            ok = false;
            continue;
        }
        const auto [foldedIt, newFolded] = byFolded.emplace(foldedName(frame), i);
        if (!newFolded) {
            const std::string other = toStdString(atlasFrameName(String(files[foldedIt->second].name.c_str())));
            std::fprintf(stderr,
                         "quiltforger-cli: warning: the frames \"%s\" (%s) and \"%s\" (%s) differ only in letter case "
                         "or Unicode normalisation; their unpacked files collide on case-insensitive file systems\n",
                         shown(other).c_str(), shown(files[foldedIt->second].path).c_str(), shown(frame).c_str(),
                         shown(files[i].path).c_str());
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
        kinds += " and JSON";
    return kinds + (kinds == "XML" ? " description" : " descriptions");
}

// The fewest pages the pictures could fill: their area (with the spacing)
// over a page's, rounded up.
std::uint64_t leastPages(const PackOptions& options, const SpriteSheet& sprites)
{
    std::uint64_t area = 0;
    for (const LayoutImage& picture : sprites.pictures)
        area += std::uint64_t(picture.width + options.spacing) * std::uint64_t(picture.height + options.spacing);
    const std::uint64_t page = std::uint64_t(options.maxSize) * options.maxSize;
    return std::max<std::uint64_t>(1, (area + page - 1) / page);
}

// The first of `paths` whose file name is longer than its folder takes
// (the nearest existing folder's limit; 255 bytes when it cannot be asked),
// or "".
std::string tooLongName(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        std::string folder = folderOf(path);
        struct stat info {};
        while (!folder.empty() && ::stat(folder.c_str(), &info) != 0)
            folder = folderOf(folder) == folder ? std::string() : folderOf(folder);
        const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
        if (fileNameOf(path).size() > std::size_t(limit > 0 ? limit : NAME_MAX))
            return path;
    }
    return std::string();
}

// "a.png, b.png, c.png and 4 more": the first few names of a list.
std::string someNames(const std::vector<std::string>& names)
{
    constexpr std::size_t shownNames = 5;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < shownNames; ++i)
        text += (i == 0 ? "" : ", ") + shown(names[i]);
    if (names.size() > shownNames)
        text += " and " + std::to_string(names.size() - shownNames) + " more";
    return text;
}

// One pack: inputs read, packed and written, or the reason on stderr.
int packOnce(const PackOptions& options)
{
    const std::vector<std::string> outputs = outputsOf(options);
    CPackInputs inputs(outputs, options.recursive, options.order, options.flatten);
    if (!inputs.collect(options.inputs))
        return exitFailure;
    const std::vector<PackInput>& files = inputs.files();
    const std::string skipped = inputs.skippedText();
    if (files.empty()) {
        std::fprintf(stderr, "quiltforger-cli: no images to pack%s%s%s\n", skipped.empty() ? "" : " (",
                     shown(skipped).c_str(), skipped.empty() ? "" : ")");
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
                        shown(options.atlasPath).c_str());
            return exitSuccess;
        }
    }

    CProgressBar progress(options.progress);
    std::vector<std::unique_ptr<CImage>> images;
    images.reserve(files.size());
    std::vector<std::optional<NineSlice>> nineSlices;
    std::size_t unreadable = 0;
    std::size_t missing = 0; // of the unreadable, those that do not exist
    std::vector<LoadedInput> loaded =
        loadInputs(files, [&](std::size_t done) { progress.update("loading", done, files.size()); });
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!loaded[i].image) {
            ++unreadable;
            missing += files[i].missing ? 1 : 0;
            progress.message(shown(files[i].path) + ": " + shown(loaded[i].error));
            continue;
        }
        images.push_back(std::move(loaded[i].image));
        nineSlices.push_back(loaded[i].nineSlice);
    }
    progress.update("loading", files.size(), files.size());
    if (unreadable > 0 && !options.skipUnreadable) {
        progress.finish();
        if (missing == unreadable)
            std::fprintf(stderr, "quiltforger-cli: nothing was written\n");
        else
            std::fprintf(stderr, "quiltforger-cli: nothing was written; --skip-unreadable packs the images that can "
                         "be read\n");
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
    for (std::size_t i = 0; i < images.size(); ++i) {
        atlasImages.push_back(AtlasImage{images[i]->getName(), images[i].get()});
        atlasImages.back().meta.nineSlice = nineSlices[i];
    }
    // Trimmed, shared and extruded pictures are what gets laid out.
    const PackedAtlas packed = packAtlas(atlasImages, options);
    const SpriteSheet& sprites = packed.sprites;
    const AtlasLayout& layout = packed.layout;
    if (!packed.refused.empty()) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: %s\n", shown(packed.refused).c_str());
        return exitFailure;
    }
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
        // Counted and named by image: aliased images share their picture's fate.
        std::vector<std::string> unplaced;
        for (std::size_t i = 0; i < sprites.images.size(); ++i) {
            if (layout.frames[sprites.pictureOf[i]].page < 0)
                unplaced.push_back(toStdString(sprites.images[i].name));
        }
        std::uint32_t side = options.maxSize;
        while (options.pot && (side & (side - 1)) != 0)
            side &= side - 1;
        std::fprintf(stderr, "quiltforger-cli: %zu of %zu images do not fit in the largest atlas (%ux%u)%s: %s\n",
                     unplaced.size(), images.size(), side, side,
                     options.multipack ? " even on a page of their own" : "; --multipack puts them on more pages",
                     someNames(unplaced).c_str());
        return exitFailure;
    }

    progress.update("writing", 0, 1);
    std::string error;
    const std::string folder = folderOf(options.atlasPath);
    if (!makeFolders(folder)) {
        const int code = errno;
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: cannot create the folder %s: %s\n", shown(folder).c_str(),
                     reasonText(code).c_str());
        return exitFailure;
    }
    // Every name is checked before anything is written.
    const std::size_t pageCount = layout.pages.size();
    std::vector<std::string> allOutputs = atlasSetPaths(options, static_cast<std::uint32_t>(pageCount));
    if (options.ifChanged)
        allOutputs.push_back(digestPath);
    if (const std::string name = tooLongName(allOutputs); !name.empty()) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: cannot write %s: file name too long; nothing was written\n",
                     shown(name).c_str());
        return exitFailure;
    }
    std::uint64_t writeSteps = pageCount;
    // Packs into the same folder at once put their sets in place one after
    // the other, never interleaved.
    CFolderLock lock;
    if (lock.acquire(folder))
        CSafeWriter::removeStaleTemporaries(folder);
    AtlasWriteReport written;
    const auto onStep = [&](std::uint64_t done, std::uint64_t total) {
        writeSteps = total;
        progress.update("writing", done, total);
    };
    if (!writeAtlasSet(options, packed, onStep, error, &written)) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: %s\n", shown(error).c_str());
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
            std::fprintf(stderr, "quiltforger-cli: %s\n", shown(error).c_str());
            return exitFailure;
        }
    }
    lock.release();
    progress.update("writing", writeSteps, writeSteps);
    progress.finish();
    const double occupancy = canvasPixels > 0 ? 100.0 * double(imagePixels) / double(canvasPixels) : 0.0;
    if (hasScaleVariants(options)) {
        // Each variant's pages in turn: "atlas@2x.png (512x256), atlas.png (256x128)".
        std::printf("packed %zu image%s into %zu scale variant%s of %zu page%s: %s, %s beside each", images.size(),
                    images.size() == 1 ? "" : "s", options.variants.size(), options.variants.size() == 1 ? "" : "s",
                    pageCount, pageCount == 1 ? "" : "s", shown(pagesText).c_str(), describedKinds(options).c_str());
    } else if (!options.multipack) {
        const LayoutPage& sheet = layout.pages[0];
        std::printf("packed %zu image%s into %s (%ux%u, %.1f%% occupied), description %s", images.size(),
                    images.size() == 1 ? "" : "s", shown(options.atlasPath).c_str(), sheet.width, sheet.height, occupancy,
                    shown(outputs[1]).c_str());
        if (options.json)
            std::printf(", JSON description %s", shown(outputs[2]).c_str());
        else if (options.jsonArray)
            std::printf(", JSON array description %s", shown(outputs[2]).c_str());
        if (options.gdxAtlas)
            std::printf(", .atlas description %s", shown(atlasGdxPath(options.atlasPath)).c_str());
    } else {
        std::printf("packed %zu image%s into %zu page%s: %s, %.1f%% occupied, %s beside each", images.size(),
                    images.size() == 1 ? "" : "s", pageCount, pageCount == 1 ? "" : "s", shown(pagesText).c_str(),
                    occupancy, describedKinds(options).c_str());
        if (options.gdxAtlas)
            std::printf(", .atlas description of every page %s", shown(atlasGdxPath(options.atlasPath)).c_str());
    }
    if (options.phaser3)
        std::printf(", Phaser 3 multi-atlas %s", shown(phaserAtlasPath(options)).c_str());
    if (const std::uint64_t least = leastPages(options, sprites); options.multipack && options.mode != PackBest &&
                                                                 pageCount > 2 * least) {
        // The exact modes fill page after page greedily, which on some sets
        // (long strips on small pages) leaves most of each page empty.
        std::printf("; %zu pages where %llu could hold the images: --mode best packs them tighter", pageCount,
                    static_cast<unsigned long long>(least));
    }
    if (options.sprites.alias)
        std::printf("; %zu aliased", sprites.aliased);
    if (!skipped.empty())
        std::printf("; %s", shown(skipped).c_str());
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
    if (const int status = parseOptions(argc, argv, options, helpShown); status != exitSuccess)
        return status;
    if (helpShown)
        return exitSuccess;
    if (!options.watch) {
        CInterruptCleanup::install();
        return packOnce(options);
    }
    // The project is an input too: each repack reads it again.
    std::vector<std::string> watched = options.inputs;
    if (!options.projectPath.empty())
        watched.push_back(options.projectPath);
    CWatch watch(watched, options.recursive, [&options] { return outputsOf(options); });
    return watch.run([&] {
        if (!options.projectPath.empty()) {
            PackOptions again;
            if (parseOptions(argc, argv, again, helpShown) != exitSuccess)
                return exitFailure;
            options = std::move(again);
        }
        return packOnce(options);
    });
}
