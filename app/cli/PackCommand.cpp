// "pack": images and folders in, atlas image and description out.
#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasFormats.h"
#include "app/pack/AtlasJson.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/AtlasText.h"
#include "app/pack/CPacker.h"
#include "app/cli/COutputLock.h"
#include "app/cli/CPackDigest.h"
#include "app/cli/CProgressBar.h"
#include "app/cli/CWatch.h"
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
#include <vector>

namespace {

struct PackOptions {
    PackMode mode = PackAuto;
    PackAlign alignment = AlignEdge;
    std::uint32_t spacing = 0;
    bool tight = true;
    bool recursive = false;
    bool skipUnreadable = false;
    bool json = false;
    bool jsonArray = false;
    bool gdxAtlas = false;
    bool progress = false;
    bool watch = false;
    bool ifChanged = false;
    std::string atlasPath;
    std::vector<std::string> inputs;
    std::vector<std::string> arguments; // those that shape the outputs, for --if-changed
};

// Largest accepted spacing; far more than any atlas needs, small enough
// that sums with image sizes stay far from overflow.
constexpr unsigned long maxSpacing = 4096;

bool parseSpacing(const char* text, std::uint32_t& spacing)
{
    if (!text || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > maxSpacing)
        return false;
    spacing = static_cast<std::uint32_t>(value);
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
        const bool takesValue =
            arg == "--mode" || arg == "--spacing" || arg == "-o" || arg == "--output" || arg == "--format";
        if (inlineValue && !takesValue)
            return usageError(arg + " takes no value");
        if (arg == "--") {
            onlyInputs = true;
        } else if (arg == "--help" || arg == "-h") {
            printCommandHelp("pack");
            helpShown = true;
            return exitSuccess;
        } else if (arg == "--mode") {
            if (!hasValue)
                return usageError("--mode needs auto, right or down");
            const std::string mode = takeValue();
            if (mode == "auto")
                options.mode = PackAuto;
            else if (mode == "right")
                options.mode = PackRight;
            else if (mode == "down")
                options.mode = PackDown;
            else
                return usageError("unknown mode \"" + mode + "\" (auto, right or down)");
        } else if (arg == "--centre" || arg == "--center") {
            options.alignment = AlignCentre;
        } else if (arg == "--spacing") {
            if (!hasValue || !parseSpacing(takeValue().c_str(), options.spacing))
                return usageError("--spacing needs a whole number of pixels from 0 to " + std::to_string(maxSpacing));
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
        return usageError("the atlas name " + options.atlasPath + " does not end with .bmp, .jpg, .png or .tga");
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

// The files a pack writes: the atlas, its XML description, then the other
// descriptions asked for.
std::vector<std::string> outputPaths(const PackOptions& options)
{
    std::vector<std::string> outputs = {options.atlasPath, atlasDescriptionPath(options.atlasPath)};
    if (options.json || options.jsonArray)
        outputs.push_back(atlasJsonPath(options.atlasPath));
    if (options.gdxAtlas)
        outputs.push_back(atlasGdxPath(options.atlasPath));
    return outputs;
}

// The other descriptions' texts, in the order of outputPaths() after the XML.
bool describeOthers(const PackOptions& options, const CPacker& packer, const std::vector<AtlasImage>& atlasImages,
                    std::uint32_t width, std::uint32_t height, std::vector<std::string>& texts, std::string* error)
{
    if (options.json || options.jsonArray) {
        std::string text;
        if (!atlasJsonText(options.atlasPath, packer, atlasImages, width, height, text, error))
            return false;
        if (options.jsonArray && !atlasJsonArrayText(text, text, error))
            return false;
        texts.push_back(std::move(text));
    }
    if (options.gdxAtlas) {
        std::string text;
        if (!atlasGdxText(options.atlasPath, packer, atlasImages, width, height, text, error))
            return false;
        texts.push_back(std::move(text));
    }
    return true;
}

// One pack: inputs read, packed and written, or the reason on stderr.
int packOnce(const PackOptions& options)
{
    const std::vector<std::string> outputs = outputPaths(options);
    CPackInputs inputs(outputs, options.recursive);
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
    for (std::size_t i = 0; i < files.size(); ++i) {
        progress.update("loading", i, files.size());
        const PackInput& file = files[i];
        auto image = std::make_unique<CImage>();
        std::string error = file.error;
        if (error.empty())
            error = descriptionNameProblem(fileNameOf(file.path));
        if (error.empty() && !loadImageFile(file.path.c_str(), file.format, *image, &error) && error.empty())
            error = "cannot be read";
        if (!error.empty()) {
            ++unreadable;
            progress.message(file.path + ": " + error);
            continue;
        }
        image->setName(String(fileNameOf(file.path).c_str()));
        images.push_back(std::move(image));
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
    CPacker packer;
    packer.setMode(options.mode);
    packer.setAlignment(options.alignment);
    packer.setSpacing(options.spacing);
    std::vector<AtlasImage> atlasImages;
    atlasImages.reserve(images.size());
    std::uint64_t imagePixels = 0;
    for (const auto& image : images) {
        PackEntry entry;
        entry.name = image->getName();
        entry.width = static_cast<std::int32_t>(image->getWidth());
        entry.height = static_cast<std::int32_t>(image->getHeight());
        packer.insertEntry(packer.count(), entry);
        atlasImages.push_back(AtlasImage{image->getName(), image.get()});
        imagePixels += std::uint64_t(image->getWidth()) * image->getHeight();
    }
    const std::optional<CanvasSize> size = packer.packCanvas(options.tight);
    if (!size) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: the images do not fit in the largest atlas (%ux%u)\n", maxImageSide,
                     maxImageSide);
        return exitFailure;
    }
    const std::uint32_t width = size->width;
    const std::uint32_t height = size->height;

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
    // The other descriptions are complete before the atlas is saved and put
    // in place after it, so a failed save leaves them unwritten too.
    std::vector<std::string> texts;
    std::vector<std::unique_ptr<CSafeWriter>> otherFiles;
    bool described = describeOthers(options, packer, atlasImages, width, height, texts, &error);
    for (std::size_t i = 0; described && i < texts.size(); ++i) {
        otherFiles.push_back(std::make_unique<CSafeWriter>());
        CSafeWriter& file = *otherFiles.back();
        described = file.open(outputs[2 + i], &error) && file.write(texts[i].data(), texts[i].size());
        if (!described && error.empty())
            file.commit(&error); // names the failed write
    }
    if (!described) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: %s\n", error.c_str());
        return exitFailure;
    }
    // A PNG atlas moves the bar by pieces compressed; other formats are one
    // step.
    std::uint64_t writeSteps = 1;
    const auto onPiece = [&](std::size_t piecesDone, std::size_t pieceCount) {
        writeSteps = pieceCount;
        progress.update("writing", piecesDone, pieceCount);
    };
    // Packs into the same folder at once put their sets in place one after
    // the other, never interleaved.
    COutputLock lock;
    lock.acquire(folder);
    bool saved = saveAtlas(options.atlasPath, packer, atlasImages, width, height, &error, onPiece);
    for (std::size_t i = 0; saved && i < otherFiles.size(); ++i)
        saved = otherFiles[i]->commit(&error);
    if (saved && options.ifChanged && unreadable == 0) {
        const std::string text = packDigestText(digest, outputs);
        saved = CSafeWriter::writeFile(digestPath, text.data(), text.size(), &error);
    }
    lock.release();
    if (!saved) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: %s\n", error.c_str());
        return exitFailure;
    }
    progress.update("writing", writeSteps, writeSteps);
    progress.finish();
    const double area = double(width) * height;
    const double occupancy = area > 0 ? 100.0 * double(imagePixels) / area : 0.0;
    std::printf("packed %zu image%s into %s (%ux%u, %.1f%% occupied), description %s", images.size(),
                images.size() == 1 ? "" : "s", options.atlasPath.c_str(), width, height, occupancy,
                outputs[1].c_str());
    if (options.json)
        std::printf(", JSON description %s", outputs[2].c_str());
    else if (options.jsonArray)
        std::printf(", JSON array description %s", outputs[2].c_str());
    if (options.gdxAtlas)
        std::printf(", .atlas description %s", outputs.back().c_str());
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
    std::vector<std::string> watched = outputPaths(options);
    watched.push_back(packDigestPath(options.atlasPath));
    CWatch watch(options.inputs, options.recursive, watched);
    return watch.run([&options] { return packOnce(options); });
}
