// GtkSupport: what the framework's GTK 3 dialogs share (file choosers,
// message and question boxes). Included by framework sources only; the rest
// of the engine never sees a GTK type.
//
// A dialog runs over the application's window: it is made transient for it
// (so the desktop keeps it above the window and centres it there), placed in
// the middle of the window where no window manager does that, and run in a
// loop of its own that keeps the application's window drawn behind it: one
// frame before the dialog shows (at start-up the window has none yet), and
// one after every window event while it is open. Mouse and key input meant
// for the application's window is dropped while the dialog is up, as a
// modal dialog does; its window events are handed back to the application
// when the dialog closes.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Starts GTK once; false when it cannot (no display).
bool gtkReady();
// Runs the dialog as above and returns its response; the caller destroys it.
int runDialogOverWindow(GtkWidget* dialog);

// A warning box with one button. False when GTK cannot start.
bool gtkMessageBox(const std::string& title, const std::string& text);
// A question with an accept and a reject button (reject is the default, and
// what Escape and closing the box choose). 1 accepted, 0 rejected, -1 when
// GTK cannot start.
int gtkQuestion(const std::string& title, const std::string& text, const std::string& accept,
                const std::string& reject);
