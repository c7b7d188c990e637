// The digest behind `pack --if-changed`: a pack is skipped when its inputs'
// contents and its options are those the existing outputs were made from,
// and the outputs are still the files that pack wrote.
//
// The digest is kept beside the outputs in a hidden file (".ATLAS.digest",
// ATLAS being the atlas file name) that folder walking passes over and no
// description reader sees. It names the build that packed (its identity,
// see BuildIdentity.h) and holds an XXH3-128 hash (xxHash) over that
// identity, the pack's arguments (all but --if-changed and --watch, which
// do not change the outputs) and every input file's path and bytes in pack
// order, and, for each output, its size, modification time and file
// identity as the pack left it. A pack without --if-changed leaves the
// digest as it is; its new outputs then no longer match it, so the next
// --if-changed pack runs. Another build of the tool never takes the outputs
// for its own.
#pragma once

#include "app/cli/CPackInputs.h"

#include <string>
#include <vector>

// ".ATLAS.digest" in the atlas's folder.
std::string packDigestPath(const std::string& atlasPath);

// The digest of `arguments` and the inputs' contents (an input that cannot
// be read counts by its path and reason).
std::string packInputsDigest(const std::vector<std::string>& arguments, const std::vector<PackInput>& files);

// True when the digest file holds `digest` and every output is the file it
// records.
bool packIsUpToDate(const std::string& digestPath, const std::string& digest,
                    const std::vector<std::string>& outputs);

// The digest file's text for `outputs` as they are now; "" when one cannot be
// examined.
std::string packDigestText(const std::string& digest, const std::vector<std::string>& outputs);
