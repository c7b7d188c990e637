// CQuestionBox: asking the person before work is lost (replace files, drop
// unsaved images, quit), behind one small interface like the file dialogs.
//
// The desktop implementation shows a GTK 3 question over the application's
// window (framework/GtkSupport), SDL's message box where GTK cannot start,
// and answers "no" where neither can be shown: nothing is lost without a
// person having said so. Tests install a scripted one (CScriptedQuestionBox)
// with setQuestionBox().
#pragma once

#include <string>

class CQuestionBox {
public:
    virtual ~CQuestionBox() = default;

    // Asks; true when the person chose `accept`. `reject` is the default
    // answer, and the answer of Escape and of closing the box.
    virtual bool ask(const std::string& title, const std::string& text, const std::string& accept,
                     const std::string& reject) = 0;
};

// The box in use: the desktop's unless another was installed.
CQuestionBox& questionBox();
// Installs a box (not owned); null goes back to the desktop's.
void setQuestionBox(CQuestionBox* replacement);
