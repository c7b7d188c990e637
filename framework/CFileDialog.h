// CFileDialog: the desktop's file chooser behind one small interface.
//
// The window tool asks for files to open (several at once, or one
// description) and for a file name to save to. The answer comes back in the
// shape the classic common dialogs gave: either one full path, or, when
// several files were chosen, their folder followed by their names. The
// desktop implementation is GTK 3 (CGtkFileDialog, the default); tests install
// a scripted one (CScriptedFileDialog) with setFileDialog().
//
// Unlike the classic dialogs these never change the working directory; every
// path they hand back is complete.
#pragma once

#include <string>
#include <vector>

// One entry of a dialog's filter list: what the user reads, and the
// patterns, separated by ";" ("*.bmp;*.jpg;"). Patterns match the endings in
// any letter case.
struct CFileFilter {
    std::string description;
    std::string pattern;
};

// A dialog's answer. With one file chosen, `path` is its full path and
// `names` is empty. With several, `path` is their folder and `names` are the
// files in it, in the order chosen (files from several folders are named
// relative to the folder they share).
struct CFileSelection {
    std::string path;
    std::vector<std::string> names;
    // The filter that was selected when the dialog closed (0 the first).
    int filterIndex = 0;

    // Every chosen file as a full path, in order.
    std::vector<std::string> paths() const;
};

// Folds full paths into a selection: one path as it is, several as their
// shared folder and the names below it. Empty paths give an empty selection.
CFileSelection selectionFromPaths(const std::vector<std::string>& paths);

class CFileDialog {
public:
    virtual ~CFileDialog() = default;

    // The open dialog: only existing files can be chosen; `multiple` allows
    // several. False when the user cancels (the selection is then untouched).
    virtual bool open(const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
                      CFileSelection& selection) = 0;
    // The open dialog for a set of inputs: several files, or folders (a
    // folder selected, or the folder shown, taken with a button of its
    // own). The dialog without that button chooses files only.
    virtual bool openFilesOrFolders(const std::string& title, const std::vector<CFileFilter>& filters,
                                    CFileSelection& selection)
    {
        return open(title, filters, true, selection);
    }
    // The save dialog: one file name, existing or not; the desktop's dialog
    // asks before an existing file is chosen. False when the user cancels.
    virtual bool save(const std::string& title, const std::vector<CFileFilter>& filters,
                      CFileSelection& selection) = 0;
    // A folder chooser in which a new folder can be named: the chosen
    // folder (existing or not) comes back in `selection.path`. False when
    // the user cancels.
    virtual bool chooseFolder(const std::string& title, CFileSelection& selection) = 0;
    // The folder the next dialog opens in and, for the save and folder
    // dialogs, the name it proposes. Empty parts leave the dialog's own
    // choice (the folder of the last file chosen). Used once.
    virtual void suggest(const std::string& folder, const std::string& name) = 0;
};

// The dialog in use: the GTK dialog unless another was installed.
CFileDialog& fileDialog();
// Installs a dialog (not owned); null goes back to the GTK dialog.
void setFileDialog(CFileDialog* replacement);
