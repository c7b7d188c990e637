// Loading the pack's input images on every core.
//
// Decoding thousands of small PNGs is the largest part of a big pack after
// the atlas's own compression, and each file is independent: worker threads
// take files through one atomic counter while the calling thread works too
// and reports progress. The results keep the inputs' order, so messages and
// frames come out as a one-thread load would give them.
#pragma once

#include "app/cli/CPackInputs.h"
#include "image/CImage.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct LoadedInput {
    std::unique_ptr<CImage> image; // null when it could not be loaded
    std::string error;             // why, then
};

// Loads `files` (an input whose name a description cannot hold, or that
// carries an error already, is not read). `onProgress(done)` is called on the
// calling thread now and then with the number of files finished.
std::vector<LoadedInput> loadInputs(const std::vector<PackInput>& files,
                                    const std::function<void(std::size_t done)>& onProgress);
