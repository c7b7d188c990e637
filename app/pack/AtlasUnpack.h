// Unpacking an atlas: every frame of the sprite an atlas description holds is
// cut out of the atlas image and written as a PNG of its own.
//
// The description is read by the engine's resource-list reader with a
// private resource manager, so the frames are exactly those a game would
// see. Unnamed frames are written as 1.png, 2.png, ... in order. A trimmed
// frame (one with "originalW" and "originalH") is written at its "offsetX",
// "offsetY" in a transparent image of the original size, so the unpacked
// file is the image that was packed; a frame whose offset and original size
// cannot hold its rectangle is refused.
//
// The description's folder is locked shared (CFolderLock) while it is read,
// so a pack replacing the set meanwhile is seen whole or not at all. A frame
// whose rectangle does not lie inside its atlas image is refused; frames of
// one name write one file (the last one's), counted once, with a warning. A description marked premultiplied="true" (--premultiply) has
// the premultiplication undone, as closely as 8 bits allow: colour under
// low alpha comes back approximate and under alpha 0 it is lost (0). The
// output folder is created, with its parents, only once the description
// and its atlas have been read.
//
// Differences from reading the list in a game, for safety: the atlas image
// named by "file" is looked for relative to the description's folder (not the
// working directory); a frame named with folders ("hero/walk_1", as packs of
// subfolders name them) is written into those subfolders of the output
// folder, made as needed, but one whose name could lead outside it (an
// absolute path, a ".." or empty part, a "\\") is refused with a message,
// and so is a subfolder that exists as anything but a real folder; frames with
// an empty or oversized rectangle, or one the resource list reader refused
// (negative, or beyond 2^31), are refused and named while the other frames
// are written; every output is written through CSafeWriter, and a symbolic
// link at a frame's name is replaced, never followed.
//
// This is the one unpack the window tool and the command line both use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AtlasUnpackReport {
    std::vector<std::string> written; // paths of the PNG files written, in frame order, each once
    std::vector<std::string> refused; // one message per frame that was not written
    std::string error;                // why nothing was unpacked (when the unpack stopped)
    std::vector<std::string> existing; // frame files already there, when the unpack may not replace them
    std::vector<std::string> warnings; // what did not fail the unpack but should be known (a repeated name)
};

class CImage;
struct SpriteFrame;

// Why a frame rectangle (y from the top) cannot be cut from `atlas`: "" when
// it lies inside it, else a text saying it does not. Such frames are refused
// rather than cut, by unpack and by the window tool's Open.
std::string frameOutsideAtlas(const CImage& atlas, std::uint64_t x, std::uint64_t y, std::uint64_t w,
                              std::uint64_t h);

// Cuts frame (x, y, w, h; y from the top) out of `atlas` into a new image of
// the atlas's format and the frame's size. Parts outside the atlas stay zero.
void cutAtlasFrame(const CImage& atlas, const SpriteFrame& frame, CImage& out);

// Unpacks `descriptionPath` into `outputFolder` (the description's folder
// when empty; created when missing). Returns true when every frame was
// written. When it returns false with `report.error` set, nothing was written;
// otherwise `report.refused` says which frames were skipped. Unless
// `replaceExisting`, nothing is written when a frame's file already exists:
// `report.existing` lists them all and `report.error` names the first.
bool unpackAtlas(const std::string& descriptionPath, const std::string& outputFolder, AtlasUnpackReport& report,
                 bool replaceExisting = true);
