// CWatch: `pack --watch`. Packs once, then waits for changes to the inputs
// and packs again, until SIGINT or SIGTERM.
//
// The named folders (and, with `recursive`, their subfolders, including ones
// created later) are watched with inotify for files added, removed, changed
// or renamed; a named file is watched through its folder, so an editor that
// saves by writing a new file and renaming it over the old one is seen too.
// Hidden entries and the pack's own outputs (and their temporary files) do
// not count. Changes are debounced: the repack starts once the inputs have
// been quiet for a moment, so a copy of many files makes one repack.
//
// Each repack is a whole pack, as atomic as a single run: a failing one
// leaves the previous outputs in place, says why and is followed by a note
// that the previous outputs are kept. A signal ends the watch between packs,
// never during one, so no temporary file is left behind; the exit status is
// that of the last pack.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class CWatch {
public:
    // `inputs` are the pack's IMAGE|FOLDER arguments; `outputs` gives every
    // file the pack writes, asked again after each pack (pages come and go).
    CWatch(std::vector<std::string> inputs, bool recursive, std::function<std::vector<std::string>()> outputs);
    ~CWatch();
    CWatch(const CWatch&) = delete;
    CWatch& operator=(const CWatch&) = delete;

    // Runs `pack` (which returns an exit status), then again after each
    // change, until interrupted. Returns the last pack's status, or 1 when
    // the watch cannot be set up.
    int run(const std::function<int()>& pack);

private:
    struct Watched {
        std::string folder;
        std::string id;                  // device and inode, to know the output folder
        bool wholeFolder = false;        // every entry counts
        std::set<std::string> names;     // otherwise only these
    };

    void addWatches();
    void addFolder(const std::string& folder, bool wholeFolder, const std::string& name, unsigned depth);
    // Reads what inotify has; true when a change to the inputs is among it.
    bool readChanges();
    bool isOutput(const std::string& folderId, const std::string& name) const;

    std::vector<std::string> inputs_;
    bool recursive_ = false;
    std::function<std::vector<std::string>()> listOutputs_;
    std::set<std::pair<std::string, std::string>> outputs_; // (folder identity, file name)
    int notify_ = -1;
    int signals_ = -1;
    std::map<int, Watched> watched_;
};
