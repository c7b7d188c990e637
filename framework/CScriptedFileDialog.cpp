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
    Request request;
    request.multiple = multiple;
    request.title = title;
    request.filters = filters;
    record(request);
    return answer(selection);
}

bool CScriptedFileDialog::save(const std::string& title, const std::vector<CFileFilter>& filters,
                               CFileSelection& selection)
{
    Request request;
    request.save = true;
    request.title = title;
    request.filters = filters;
    record(request);
    return answer(selection);
}

bool CScriptedFileDialog::chooseFolder(const std::string& title, CFileSelection& selection)
{
    Request request;
    request.title = title;
    request.folder = true;
    record(request);
    return answer(selection);
}

void CScriptedFileDialog::suggest(const std::string& folder, const std::string& name)
{
    suggestedFolder_ = folder;
    suggestedName_ = name;
}

void CScriptedFileDialog::record(Request request)
{
    request.suggestedFolder = suggestedFolder_;
    request.suggestedName = suggestedName_;
    suggestedFolder_.clear();
    suggestedName_.clear();
    requests.push_back(std::move(request));
}
