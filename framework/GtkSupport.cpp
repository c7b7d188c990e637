// GtkSupport: GTK 3 dialogs over the application's SDL window (see the header).
#include "framework/GtkSupport.h"

#include "framework/CApp.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <vector>

namespace {

struct DialogRun {
    int response = GTK_RESPONSE_NONE;
    bool done = false;
};

void onResponse(GtkDialog*, gint response, gpointer data)
{
    auto* run = static_cast<DialogRun*>(data);
    run->response = response;
    run->done = true;
}

SDL_Window* applicationWindow()
{
    if (currentApp == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return nullptr;
    return static_cast<SDL_Window*>(currentApp->getWindow());
}

// Makes the dialog transient for the SDL window (X11 only: on other
// backends GTK cannot name a foreign window).
void makeTransient(GtkWidget* dialog, SDL_Window* window)
{
    gtk_widget_realize(dialog);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    GdkDisplay* display = gtk_widget_get_display(dialog);
    if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11 &&
        GDK_IS_X11_DISPLAY(display)) {
        GdkWindow* parent = gdk_x11_window_foreign_new_for_display(display, info.info.x11.window);
        if (parent != nullptr) {
            gdk_window_set_transient_for(gtk_widget_get_window(dialog), parent);
            g_object_unref(parent);
        }
    }
}

// Centres a dialog of this size over the SDL window, kept on the screen
// (where no window manager places it).
void centreOverWindow(GtkWidget* dialog, SDL_Window* window, int dialogWidth, int dialogHeight)
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    int left = x + (width - dialogWidth) / 2;
    int top = y + (height - dialogHeight) / 2;
    SDL_Rect screen;
    const int screenIndex = SDL_GetWindowDisplayIndex(window);
    if (screenIndex >= 0 && SDL_GetDisplayUsableBounds(screenIndex, &screen) == 0) {
        left = std::max(std::min(left, screen.x + screen.w - dialogWidth), screen.x);
        top = std::max(std::min(top, screen.y + screen.h - dialogHeight), screen.y);
    }
    gtk_window_move(GTK_WINDOW(dialog), left, top);
}

void repaintApplication()
{
    if (currentApp != nullptr)
        currentApp->repaint();
}

// Takes the SDL events that arrived while the dialog was up: window events
// are kept (and answered with a fresh frame), input is dropped.
bool takeWindowEvents(std::vector<SDL_Event>& kept)
{
    SDL_PumpEvents();
    SDL_Event event;
    bool windowEvent = false;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) > 0) {
        kept.push_back(event);
        windowEvent = true;
    }
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    return windowEvent;
}

}

bool gtkReady()
{
    static const bool ready = gtk_init_check(nullptr, nullptr) != FALSE;
    return ready;
}

int runDialogOverWindow(GtkWidget* dialog)
{
    SDL_Window* window = applicationWindow();
    repaintApplication();
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    if (window != nullptr) {
        makeTransient(dialog, window);
        GtkRequisition natural;
        gtk_widget_get_preferred_size(dialog, nullptr, &natural);
        centreOverWindow(dialog, window, natural.width, natural.height);
    }
    DialogRun run;
    const gulong handler = g_signal_connect(dialog, "response", G_CALLBACK(onResponse), &run);
    gtk_window_present(GTK_WINDOW(dialog));
    std::vector<SDL_Event> kept;
    // The size a dialog shows at is known once it is mapped (a file chooser
    // takes the size it remembers); it is centred again then.
    bool centred = window == nullptr;
    while (!run.done) {
        bool busy = false;
        while (!run.done && g_main_context_iteration(nullptr, FALSE))
            busy = true;
        if (!centred && gtk_widget_get_mapped(dialog)) {
            int width = 0;
            int height = 0;
            gtk_window_get_size(GTK_WINDOW(dialog), &width, &height);
            centreOverWindow(dialog, window, width, height);
            centred = true;
        }
        if (window != nullptr && takeWindowEvents(kept)) {
            repaintApplication();
            busy = true;
        }
        if (!busy)
            g_usleep(10000);
    }
    g_signal_handler_disconnect(dialog, handler);
    gtk_widget_hide(dialog);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    for (SDL_Event& event : kept)
        SDL_PushEvent(&event);
    return run.response;
}

namespace {

// Long paths have no spaces: let the labels break anywhere in a word too,
// and let the person copy the text.
void wrapLabels(GtkWidget* dialog)
{
    GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
    GList* children = gtk_container_get_children(GTK_CONTAINER(area));
    for (GList* item = children; item != nullptr; item = item->next) {
        if (!GTK_IS_LABEL(item->data))
            continue;
        GtkLabel* label = GTK_LABEL(item->data);
        gtk_label_set_line_wrap(label, TRUE);
        gtk_label_set_line_wrap_mode(label, PANGO_WRAP_WORD_CHAR);
        gtk_label_set_max_width_chars(label, 64);
        gtk_label_set_selectable(label, TRUE);
    }
    g_list_free(children);
}

GtkWidget* makeBox(GtkMessageType type, const std::string& title, const std::string& text)
{
    GtkWidget* dialog =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, type, GTK_BUTTONS_NONE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), title.c_str());
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    wrapLabels(dialog);
    return dialog;
}

}

bool gtkMessageBox(const std::string& title, const std::string& text)
{
    if (!gtkReady())
        return false;
    GtkWidget* dialog = makeBox(GTK_MESSAGE_WARNING, title, text);
    gtk_dialog_add_button(GTK_DIALOG(dialog), "_OK", GTK_RESPONSE_OK);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    runDialogOverWindow(dialog);
    gtk_widget_destroy(dialog);
    return true;
}

int gtkQuestion(const std::string& title, const std::string& text, const std::string& accept,
                const std::string& reject)
{
    if (!gtkReady())
        return -1;
    GtkWidget* dialog = makeBox(GTK_MESSAGE_QUESTION, title, text);
    gtk_dialog_add_button(GTK_DIALOG(dialog), reject.c_str(), GTK_RESPONSE_CANCEL);
    gtk_dialog_add_button(GTK_DIALOG(dialog), accept.c_str(), GTK_RESPONSE_ACCEPT);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    const int response = runDialogOverWindow(dialog);
    gtk_widget_destroy(dialog);
    return response == GTK_RESPONSE_ACCEPT ? 1 : 0;
}
