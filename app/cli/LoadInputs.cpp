// loadInputs: a counter hands out files to the threads.
#include "app/cli/LoadInputs.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasText.h"
#include "app/pack/NinePatch.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace {

void loadOne(const PackInput& file, LoadedInput& result)
{
    std::string error = file.error;
    if (error.empty())
        error = descriptionNameProblem(file.name);
    auto image = std::make_unique<CImage>();
    if (error.empty() && !loadImageFile(file.path.c_str(), file.format, *image, &error) && error.empty())
        error = "cannot be read";
    if (!error.empty()) {
        result.error = std::move(error);
        return;
    }
    // A nine-patch packs as the picture inside its guides.
    if (isNinePatchName(file.path)) {
        NineSlice slice;
        if (!takeNinePatch(*image, slice, error)) {
            result.error = "nine-patch: " + error;
            return;
        }
        result.nineSlice = slice;
    }
    image->setName(String(file.name.c_str(), static_cast<std::uint32_t>(file.name.size())));
    result.image = std::move(image);
}

}

std::vector<LoadedInput> loadInputs(const std::vector<PackInput>& files,
                                    const std::function<void(std::size_t done)>& onProgress)
{
    std::vector<LoadedInput> results(files.size());
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    const auto work = [&](bool reporting) {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            loadOne(files[i], results[i]);
            const std::size_t finished = ++done;
            if (reporting && onProgress)
                onProgress(finished);
        }
    };
    // Small packs are not worth a thread.
    constexpr std::size_t filesPerThread = 64;
    const std::size_t wanted = std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()),
                                                     files.size() / filesPerThread + 1);
    std::vector<std::thread> helpers;
    try {
        for (std::size_t i = 1; i < wanted; ++i)
            helpers.emplace_back(work, false);
    } catch (const std::system_error&) {
        // Fewer threads: the ones started and this one load the rest.
    }
    work(true);
    for (std::thread& helper : helpers)
        helper.join();
    if (onProgress)
        onProgress(files.size());
    return results;
}
