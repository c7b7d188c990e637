// CPackInputs: turns the pack command's IMAGE|FOLDER arguments into the list
// of image files to load.
//
// A folder adds its image files (a .bmp, .jpg, .jpeg, .png, .tga or .webp ending in
// any letter case) in name order (natural order, frame2 before frame10, or
// byte order; app/pack/NaturalOrder.h); hidden entries are passed over without a
// word. Everything else a folder holds is counted by reason for the summary:
// files without an image ending, subfolders (walked instead with
// `recursive`, each folder once even when links lead back to it; their
// files are named by their path below the folder given unless `flatten`,
// app/pack/SpriteNames.h), entries
// that are no regular file, and the pack's own outputs.
//
// The outputs (the atlas and its descriptions) are never inputs. In a folder,
// an existing atlas file is passed over when it is an earlier atlas (its XML
// description beside it names it); otherwise it is an image the save would
// overwrite, and it is refused. Any image that an atlas description (an XML
// file whose root is a "sprite") in the same folder names as its atlas is
// passed over too, and counted: it is the output of another pack, not a
// sprite. An input argument that is one of the outputs is refused as well. Files are compared as the file system sees them, so
// links and other spellings of a path are caught too.
//
// An argument that does not exist stays in the list with its reason ("no
// such file or directory"), so the loading step reports it with the other
// unreadable files.
#pragma once

#include "app/pack/NaturalOrder.h"
#include "image/ImageFile.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

struct PackInput {
    std::string path;
    std::string name;                               // the image's name in the atlas (SpriteNames.h)
    ImageFileFormat format = ImageFileFormat::None; // by the ending; None when it names none
    std::string error;                              // why it cannot be read, found before loading
    bool missing = false;                           // given by name and not there
};

class CPackInputs {
public:
    // `outputs` are the paths the pack writes, the atlas image first.
    // With `recursive`, files in subfolders are named by their path below the
    // folder given ("hero/walk_1.png") unless `flatten`.
    CPackInputs(const std::vector<std::string>& outputs, bool recursive, NameOrder order = NameOrder::Natural,
                bool flatten = false);

    // Adds the inputs; false after printing why the pack must stop (an
    // output among the inputs, a folder that cannot be listed).
    bool collect(const std::vector<std::string>& arguments);

    const std::vector<PackInput>& files() const { return files_; }
    // "3 folder entries skipped: 2 without an image ending (.gif, .txt), 1
    // subfolder (see --recursive)", or "" when nothing was skipped.
    std::string skippedText() const;

private:
    struct FileId {
        dev_t device = 0;
        ino_t inode = 0;
        bool operator<(const FileId& other) const
        {
            return device != other.device ? device < other.device : inode < other.inode;
        }
    };
    struct Output {
        std::string path;
        FileId id;
    };

    // `prefix`: the subfolders walked so far below the folder given, each
    // followed by "/".
    bool addFolder(const std::string& folder, std::uint32_t depth, const std::string& prefix);
    bool addFolderFile(const std::string& path, const std::string& name, const FileId& id);
    const Output* outputFor(const FileId& id) const;
    // Notes the images the atlas descriptions among `names` name.
    void noteDescribedAtlases(const std::string& folder, const std::vector<std::string>& names);
    static bool sameFile(const FileId& a, const FileId& b) { return a.device == b.device && a.inode == b.inode; }

    bool recursive_ = false;
    bool flatten_ = false;
    NameOrder order_ = NameOrder::Natural;
    FileId atlasId_;        // the atlas image, when it exists
    bool hasAtlasFile_ = false;
    FileId earlierAtlas_;   // the image the existing XML description beside the atlas names
    bool hasEarlierAtlas_ = false;
    std::vector<Output> outputs_; // those that exist
    std::set<FileId> visitedFolders_;
    std::vector<PackInput> files_;
    std::uint32_t withoutEnding_ = 0;
    std::set<std::string> skippedEndings_;
    std::uint32_t subfolders_ = 0;
    std::uint32_t notRegular_ = 0;
    std::uint32_t ownOutputs_ = 0;
    std::set<FileId> describedAtlases_;
    std::uint32_t describedAtlasCount_ = 0;
};

// The image format of an input's ending in any letter case, ".jpeg" read as
// JPEG; None for any other ending.
ImageFileFormat inputImageFormat(const std::string& path);
