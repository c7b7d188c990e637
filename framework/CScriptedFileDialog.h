// CScriptedFileDialog: a file dialog that answers from a script, for tests
// and benchmarks that drive the window tool without a person.
//
// Each call takes the next queued answer (a list of full paths and the
// filter index), or cancels when the queue is empty, and records what it was
// asked. Installs itself as the dialog in use while it lives.
#pragma once

#include "framework/CFileDialog.h"

#include <deque>

class CScriptedFileDialog : public CFileDialog {
public:
    struct Request {
        bool save = false;
        bool multiple = false;
        std::string title;
        std::vector<CFileFilter> filters;
        bool folder = false;
        // What suggest() proposed for this dialog.
        std::string suggestedFolder;
        std::string suggestedName;
    };

    CScriptedFileDialog() { setFileDialog(this); }
    ~CScriptedFileDialog() override { setFileDialog(nullptr); }
    CScriptedFileDialog(const CScriptedFileDialog&) = delete;
    CScriptedFileDialog& operator=(const CScriptedFileDialog&) = delete;

    // The next dialog chooses these files (folded as the desktop dialog
    // folds them) with this filter selected.
    void choose(const std::vector<std::string>& paths, int filterIndex = 0);
    // The next dialog is cancelled.
    void cancel();

    bool open(const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
              CFileSelection& selection) override;
    bool save(const std::string& title, const std::vector<CFileFilter>& filters,
              CFileSelection& selection) override;
    bool chooseFolder(const std::string& title, CFileSelection& selection) override;
    void suggest(const std::string& folder, const std::string& name) override;

    std::vector<Request> requests;

private:
    bool answer(CFileSelection& selection);
    void record(Request request);

    std::deque<CFileSelection> answers_;
    std::deque<bool> cancelled_;
    std::string suggestedFolder_;
    std::string suggestedName_;
};
