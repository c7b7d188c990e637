// How an input file is named in the atlas, shared by the window tool and the
// command line.
//
// An image's name is what the packer and the descriptions know it by (the
// JSON key); its frame name is that without the ending (atlasFrameName,
// AtlasSave.h). A file found in a folder the user added is named by its path
// relative to that folder, "/" between the parts on every system
// (hero/walk_1.png), so files of one name in different subfolders never
// collide; "flatten" keeps the file name alone, as the atlas always named
// them. A file added on its own is named by its file name. A nine-patch file
// (NinePatch.h) loses the ".9" before its ending: button.9.png packs as
// button.png (frame "button"), its guides taken off.
#pragma once

#include <string>

// The name of the file `path` found under the added folder `folder` (the
// same spelling the walk joined them with; a path not under it is named by
// its file name alone).
std::string spriteNameUnder(const std::string& folder, const std::string& path, bool flatten);

// The name of `relativeName` (a file name, or a path below the added folder
// with "/" separators): the ".9" of a nine-patch dropped.
std::string spriteName(const std::string& relativeName);
