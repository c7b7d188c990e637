// "pack": images and folders in, atlas image and description out.
#include "app/AtlasFiles.h"
#include "app/AtlasSave.h"
#include "app/CPacker.h"
#include "app/cli/CProgressBar.h"
#include "app/cli/CliCommands.h"
#include "image/CImage.h"
#include "image/ImageLimits.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct PackOptions {
    PackMode mode = PackAuto;
    PackAlign alignment = AlignEdge;
    std::uint32_t spacing = 0;
    bool tight = true;
    std::string atlasPath;
    std::vector<std::string> inputs;
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

// Parses the pack arguments; returns exitSuccess, or exitUsage after a message.
int parseOptions(int argc, char** argv, PackOptions& options)
{
    bool onlyInputs = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (onlyInputs || arg.empty() || arg[0] != '-' || arg == "-") {
            options.inputs.push_back(arg);
        } else if (arg == "--") {
            onlyInputs = true;
        } else if (arg == "--mode") {
            if (!hasValue)
                return usageError("--mode needs auto, right or down");
            const std::string mode = argv[++i];
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
            if (!hasValue || !parseSpacing(argv[i + 1], options.spacing))
                return usageError("--spacing needs a whole number of pixels from 0 to " + std::to_string(maxSpacing));
            ++i;
        } else if (arg == "--no-tight") {
            options.tight = false;
        } else if (arg == "-o" || arg == "--output") {
            if (!hasValue)
                return usageError(arg + " needs the atlas file name");
            options.atlasPath = argv[++i];
        } else {
            return usageError("unknown option " + arg);
        }
    }
    if (options.atlasPath.empty())
        return usageError("pack needs -o ATLAS");
    if (options.inputs.empty())
        return usageError("pack needs at least one image or folder");
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!atlasFormatFor(options.atlasPath, channels, bitsPerPixel))
        return usageError("the atlas name " + options.atlasPath + " does not end with .bmp, .jpg, .png or .tga");
    return exitSuccess;
}

bool hasImageEnding(const std::string& name)
{
    // At least one letter of name before the four of the ending.
    return name.size() >= 5 && imageFormatByEnding(name) != ImageFileFormat::None;
}

// Expands folders into their image files in name order (hidden files
// skipped). False after a message when an input cannot be listed.
bool collectInputs(const std::vector<std::string>& inputs, std::vector<std::string>& paths)
{
    for (const std::string& input : inputs) {
        struct stat info {};
        if (::stat(input.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            paths.push_back(input);
            continue;
        }
        DIR* folder = ::opendir(input.c_str());
        if (!folder) {
            std::fprintf(stderr, "%s: cannot read the folder: %s\n", input.c_str(), std::strerror(errno));
            return false;
        }
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(folder)) {
            const std::string name = entry->d_name;
            if (name.empty() || name[0] == '.' || !hasImageEnding(name))
                continue;
            struct stat fileInfo {};
            const std::string path = joinPath(input, name);
            if (::stat(path.c_str(), &fileInfo) == 0 && S_ISREG(fileInfo.st_mode))
                names.push_back(name);
        }
        ::closedir(folder);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            paths.push_back(joinPath(input, name));
    }
    return true;
}

// Two images under one name (or one frame name) would make the description
// ambiguous; refuse them, naming both paths.
bool checkNames(const std::vector<std::string>& paths)
{
    std::map<std::string, std::size_t> byName;
    std::map<std::string, std::size_t> byFrame;
    bool ok = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string name = fileNameOf(paths[i]);
        const auto [nameIt, newName] = byName.emplace(name, i);
        if (!newName) {
            std::fprintf(stderr, "%s and %s: two images named %s\n", paths[nameIt->second].c_str(), paths[i].c_str(),
                         name.c_str());
            ok = false;
            continue;
        }
        const std::string frame = toStdString(atlasFrameName(String(name.c_str())));
        const auto [frameIt, newFrame] = byFrame.emplace(frame, i);
        if (!newFrame) {
            std::fprintf(stderr, "%s and %s: both would be the frame \"%s\"\n", paths[frameIt->second].c_str(),
                         paths[i].c_str(), frame.c_str());
            ok = false;
        }
    }
    return ok;
}

}

int runPack(int argc, char** argv)
{
    PackOptions options;
    if (parseOptions(argc, argv, options) != exitSuccess)
        return exitUsage;

    std::vector<std::string> paths;
    if (!collectInputs(options.inputs, paths))
        return exitFailure;
    if (paths.empty()) {
        std::fprintf(stderr, "quiltforger-cli: no images to pack\n");
        return exitFailure;
    }
    if (!checkNames(paths))
        return exitFailure;

    CProgressBar progress;
    std::vector<std::unique_ptr<CImage>> images;
    images.reserve(paths.size());
    bool allRead = true;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        progress.update("loading", i, paths.size());
        auto image = std::make_unique<CImage>();
        std::string error;
        if (!hasImageEnding(paths[i])) {
            error = "not a .bmp, .jpg, .png or .tga file";
            allRead = false;
        } else if (!loadImageByEnding(paths[i], *image, &error)) {
            allRead = false;
        }
        if (!error.empty()) {
            progress.finish();
            std::fprintf(stderr, "%s: %s\n", paths[i].c_str(), error.c_str());
        }
        image->setName(String(fileNameOf(paths[i]).c_str()));
        images.push_back(std::move(image));
    }
    if (!allRead)
        return exitFailure;

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
    if (!saveAtlas(options.atlasPath, packer, atlasImages, width, height, &error)) {
        progress.finish();
        std::fprintf(stderr, "quiltforger-cli: %s\n", error.c_str());
        return exitFailure;
    }
    progress.finish();
    const double area = double(width) * height;
    const double occupancy = area > 0 ? 100.0 * double(imagePixels) / area : 0.0;
    std::printf("packed %zu image%s into %s (%ux%u, %.1f%% occupied), description %s\n", images.size(),
                images.size() == 1 ? "" : "s", options.atlasPath.c_str(), width, height, occupancy,
                atlasDescriptionPath(options.atlasPath).c_str());
    return exitSuccess;
}
