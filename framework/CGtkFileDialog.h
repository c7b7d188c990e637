// CGtkFileDialog: the file dialogs on the desktop's GTK 3 file chooser.
//
// GTK is started on first use (gtk_init_check); without a display every
// dialog reports a cancel and says why on stderr. Each dialog runs modally
// in its own GTK loop and is destroyed, with its pending GTK events handled,
// before the call returns, so nothing of GTK stays on screen while the
// engine's loop runs. The dialogs open in the folder of the last file chosen
// (the working directory at first).
//
// NOTE: the dialog is not made transient for the engine's SDL window (that
// would need the X11 window handle); it is modal and kept above instead.
#pragma once

#include "framework/CFileDialog.h"

class CGtkFileDialog : public CFileDialog {
public:
    bool open(const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
              CFileSelection& selection) override;
    bool save(const std::string& title, const std::vector<CFileFilter>& filters,
              CFileSelection& selection) override;

private:
    bool run(bool saving, const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
             CFileSelection& selection);

    std::string lastFolder_;
};
