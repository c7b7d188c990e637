// CGtkFileDialog: the file dialogs on the desktop's GTK 3 file chooser.
//
// GTK is started on first use (gtk_init_check); without a display every
// dialog reports a cancel and says why on stderr. Each dialog runs modally
// over the application's window, which stays drawn behind it
// (framework/GtkSupport), and is destroyed, with its pending GTK events
// handled, before the call returns, so nothing of GTK stays on screen while
// the engine's loop runs. The dialogs open in the suggested folder, else in
// the folder of the last file chosen (the working directory at first). The
// save dialog asks before replacing an existing file (GTK's own question).
#pragma once

#include "framework/CFileDialog.h"

class CGtkFileDialog : public CFileDialog {
public:
    bool open(const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
              CFileSelection& selection) override;
    bool save(const std::string& title, const std::vector<CFileFilter>& filters,
              CFileSelection& selection) override;
    bool chooseFolder(const std::string& title, CFileSelection& selection) override;
    void suggest(const std::string& folder, const std::string& name) override;
    bool openFilesOrFolders(const std::string& title, const std::vector<CFileFilter>& filters,
                            CFileSelection& selection) override;

private:
    enum class Kind { open, openFolders, save, folder };
    bool run(Kind kind, const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
             CFileSelection& selection);

    std::string lastFolder_;
    std::string suggestedFolder_;
    std::string suggestedName_;
};
