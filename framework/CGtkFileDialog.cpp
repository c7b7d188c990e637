// CGtkFileDialog: GTK 3 file chooser dialogs (see the header).
#include "framework/CGtkFileDialog.h"

#include "framework/GtkSupport.h"

#include <cctype>
#include <cstdio>

namespace {

void flushGtkEvents()
{
    while (gtk_events_pending())
        gtk_main_iteration();
}

// "*.png" as "*.[pP][nN][gG]", so the filter shows HERO.PNG too.
std::string anyCasePattern(const std::string& pattern)
{
    std::string result;
    for (char c : pattern) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            result += '[';
            result += static_cast<char>(std::tolower(u));
            result += static_cast<char>(std::toupper(u));
            result += ']';
        } else {
            result += c;
        }
    }
    return result;
}

GtkFileFilter* makeFilter(const CFileFilter& filter)
{
    GtkFileFilter* gtkFilter = gtk_file_filter_new();
    gtk_file_filter_set_name(gtkFilter, filter.description.c_str());
    std::size_t start = 0;
    while (start <= filter.pattern.size()) {
        std::size_t end = filter.pattern.find(';', start);
        if (end == std::string::npos)
            end = filter.pattern.size();
        if (end > start)
            gtk_file_filter_add_pattern(gtkFilter, anyCasePattern(filter.pattern.substr(start, end - start)).c_str());
        start = end + 1;
    }
    return gtkFilter;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}

bool CGtkFileDialog::open(const std::string& title, const std::vector<CFileFilter>& filters, bool multiple,
                          CFileSelection& selection)
{
    return run(Kind::open, title, filters, multiple, selection);
}

bool CGtkFileDialog::openFilesOrFolders(const std::string& title, const std::vector<CFileFilter>& filters,
                                        CFileSelection& selection)
{
    return run(Kind::openFolders, title, filters, true, selection);
}

bool CGtkFileDialog::save(const std::string& title, const std::vector<CFileFilter>& filters,
                          CFileSelection& selection)
{
    return run(Kind::save, title, filters, false, selection);
}

bool CGtkFileDialog::chooseFolder(const std::string& title, CFileSelection& selection)
{
    return run(Kind::folder, title, {}, false, selection);
}

void CGtkFileDialog::suggest(const std::string& folder, const std::string& name)
{
    suggestedFolder_ = folder;
    suggestedName_ = name;
}

bool CGtkFileDialog::run(Kind kind, const std::string& title, const std::vector<CFileFilter>& filters,
                         bool multiple, CFileSelection& selection)
{
    const std::string startFolder = suggestedFolder_.empty() ? lastFolder_ : suggestedFolder_;
    const std::string startName = suggestedName_;
    suggestedFolder_.clear();
    suggestedName_.clear();
    if (!gtkReady()) {
        std::fprintf(stderr, "quiltforger: the file chooser cannot be shown (GTK could not start)\n");
        return false;
    }
    const GtkFileChooserAction action = kind == Kind::save     ? GTK_FILE_CHOOSER_ACTION_SAVE
                                        : kind == Kind::folder ? GTK_FILE_CHOOSER_ACTION_CREATE_FOLDER
                                                               : GTK_FILE_CHOOSER_ACTION_OPEN;
    const char* acceptLabel = kind == Kind::save ? "_Save" : kind == Kind::folder ? "_Choose" : "_Open";
    GtkWidget* dialog = gtk_file_chooser_dialog_new(title.c_str(), nullptr, action, "_Cancel", GTK_RESPONSE_CANCEL,
                                                    acceptLabel, GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_select_multiple(chooser, multiple ? TRUE : FALSE);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, kind == Kind::save ? TRUE : FALSE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    // GTK's open dialog goes into a folder rather than choosing it: a
    // button of its own takes the selected folders, or the folder shown.
    constexpr int addFolderResponse = 1;
    if (kind == Kind::openFolders)
        gtk_dialog_add_button(GTK_DIALOG(dialog), "Add _folder", addFolderResponse);

    std::vector<GtkFileFilter*> gtkFilters;
    for (const CFileFilter& filter : filters) {
        GtkFileFilter* gtkFilter = makeFilter(filter);
        gtk_file_chooser_add_filter(chooser, gtkFilter);
        gtkFilters.push_back(gtkFilter);
    }
    if (!startFolder.empty()) {
        gtk_file_chooser_set_current_folder(chooser, startFolder.c_str());
    } else {
        gchar* here = g_get_current_dir();
        gtk_file_chooser_set_current_folder(chooser, here);
        g_free(here);
    }
    if (kind != Kind::open && !startName.empty())
        gtk_file_chooser_set_current_name(chooser, startName.c_str());

    const int response = runDialogOverWindow(dialog);
    bool accepted = response == GTK_RESPONSE_ACCEPT;
    std::vector<std::string> paths;
    int filterIndex = 0;
    if (response == addFolderResponse) {
        GSList* files = gtk_file_chooser_get_filenames(chooser);
        for (GSList* item = files; item != nullptr; item = item->next) {
            const char* name = static_cast<const char*>(item->data);
            if (g_file_test(name, G_FILE_TEST_IS_DIR))
                paths.emplace_back(name);
        }
        g_slist_free_full(files, g_free);
        if (paths.empty()) {
            if (gchar* shown = gtk_file_chooser_get_current_folder(chooser)) {
                paths.emplace_back(shown);
                g_free(shown);
            }
        }
    } else if (accepted) {
        GSList* files = gtk_file_chooser_get_filenames(chooser);
        for (GSList* item = files; item != nullptr; item = item->next)
            paths.emplace_back(static_cast<const char*>(item->data));
        g_slist_free_full(files, g_free);
        GtkFileFilter* chosen = gtk_file_chooser_get_filter(chooser);
        for (std::size_t i = 0; i < gtkFilters.size(); ++i) {
            if (gtkFilters[i] == chosen)
                filterIndex = static_cast<int>(i);
        }
    }
    gtk_widget_destroy(dialog);
    flushGtkEvents();

    if (paths.empty())
        return false;
    lastFolder_ = folderOf(paths.front());
    selection = selectionFromPaths(paths);
    selection.filterIndex = filterIndex;
    return true;
}
