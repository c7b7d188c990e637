// CScriptedFileDialog: queued answers (see the header).
#include "framework/CScriptedFileDialog.h"

void CScriptedFileDialog::choose(const std::vector<std::string>& paths, int filterIndex)
{
    CFileSelection selection = selectionFromPaths(paths);
    selection.filterIndex = filterIndex;
    answers_.push_back(selection);
    cancelled_.push_back(paths.empty());
}

void CScriptedFileDialog::cancel()
{
    answers_.emplace_back();
    cancelled_.push_back(true);
}

bool CScriptedFileDialog::answer(CFileSelection& selection)
{
    if (answers_.empty())
        return false;
    const CFileSelection next = answers_.front();
    const bool cancelled = cancelled_.front();
    answers_.pop_front();
    cancelled_.pop_front();
    if (cancelled)
        return false;
    selection = next;
    return true;
}

bool CScriptedFileDialog::open(const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
                               CFileSelection& selection)
{
    requests.push_back(Request{false, multiple, title, filters});
    return answer(selection);
}

bool CScriptedFileDialog::save(const std::string& title, const std::vector<CFileFilter>& filters,
                               CFileSelection& selection)
{
    requests.push_back(Request{true, false, title, filters});
    return answer(selection);
}
