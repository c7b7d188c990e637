// Loading the pack's input images on every core.
//
// Decoding thousands of small PNGs is the largest part of a big pack after
// the atlas's own compression, and each file is independent: worker threads
// take files through one atomic counter while the calling thread works too
// and reports progress. The results keep the inputs' order, so messages and
// frames come out as a one-thread load would give them.
#pragma once

#include "app/cli/CPackInputs.h"
#include "app/pack/SpriteMeta.h"
#include "image/CImage.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct LoadedInput {
    std::unique_ptr<CImage> image; // null when it could not be loaded
    std::string error;             // why, then
    std::optional<NineSlice> nineSlice; // read from a nine-patch's guides, which are gone from `image`
};

// Loads `files` (an input whose name a description cannot hold, or that
// carries an error already, is not read), each named by its PackInput name.
// A nine-patch file (*.9.png) loses its guides (NinePatch.h); malformed
// guides make it unreadable, with the reason. `onProgress(done)` is called on the
// calling thread now and then with the number of files finished.
std::vector<LoadedInput> loadInputs(const std::vector<PackInput>& files,
                                    const std::function<void(std::size_t done)>& onProgress);
