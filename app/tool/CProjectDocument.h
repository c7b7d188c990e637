// CProjectDocument: the project the window tool has open: the project file
// (CProject, so what a newer version wrote survives a save), whether the
// work changed since the project was opened or saved, the title bar's text,
// the recent projects and the image files a project's inputs name.
//
// It reads and writes no controls and shows nothing: Application asks it and
// does the talking.
#pragma once

#include "app/pack/CProject.h"

#include <cstdint>
#include <string>
#include <vector>

class CProjectDocument {
public:
    // One image file to add: its path, the name the list shows and the
    // folder input it was found in ("" for a file input).
    struct ImageFile {
        std::string path;
        std::string name;
        std::string folder;
    };

    // The project file, empty before the first save or open.
    const std::string& path() const { return path_; }
    // The project as last opened or saved (its settings are those of then).
    const CProject& project() const { return project_; }

    // Forgets the project file (New).
    void clear();
    // Opens `path`; false with the reason, the document unchanged.
    bool open(const std::string& path, std::string& error);
    // Saves `settings` to `path` (the atlas path, when empty, becomes the
    // project's name with ".png" beside it); false with the reason.
    bool save(const std::string& path, const PackSettings& settings, std::string& error);

    // The atlas last saved, which the project names.
    void setAtlasPath(const std::string& path) { project_.settings.atlasPath = path; }

    // The work's state counter (Application's layout version) when the
    // project was opened or saved; a different one means modified.
    void setSavedVersion(std::uint64_t version) { savedVersion_ = version; }
    bool isModified(std::uint64_t version) const { return version != savedVersion_ || outputsChanged_; }
    // An option that does not relayout (the descriptions written) changed.
    void markOutputsChanged() { outputsChanged_ = true; }

    // "Quilt Forger  -  name.qfproj *": the project's file name (or nothing
    // before a project is saved) and a mark when there are unsaved changes.
    std::string title(bool modified) const;

    // `path` moved to the front of `recent`, kept to `limit` entries.
    static void remember(std::vector<std::string>& recent, const std::string& path, std::size_t limit);

    // The image files of the inputs in order, named as the command line
    // names them (SpriteNames.h): files as they are, folders' image files
    // (their subfolders' too with `recursive`) in `order`, a subfolder's
    // files where its name sorts, as the command line walks them.
    static std::vector<ImageFile> imageFiles(const PackSettings& settings);

private:
    std::string path_;
    CProject project_;
    std::uint64_t savedVersion_ = 0;
    bool outputsChanged_ = false;
};
