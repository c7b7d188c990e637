// CQuestionBox: the desktop's question box and the box in use.
#include "framework/CQuestionBox.h"

#include "framework/CApp.h"
#include "framework/GtkSupport.h"
#include "framework/TextWrap.h"

#include <SDL.h>

#include <cstdio>

namespace {

class CDesktopQuestionBox : public CQuestionBox {
public:
    bool ask(const std::string& title, const std::string& text, const std::string& accept,
             const std::string& reject) override
    {
        const int answer = gtkQuestion(title, text, accept, reject);
        if (answer >= 0)
            return answer == 1;
        return askWithSdl(title, text, accept, reject);
    }

private:
    static bool askWithSdl(const std::string& title, const std::string& text, const std::string& accept,
                           const std::string& reject)
    {
        const std::string wrapped = wrapText(text, 80);
        const SDL_MessageBoxButtonData buttons[] = {
            {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 0, reject.c_str()},
            {0, 1, accept.c_str()},
        };
        SDL_MessageBoxData data{};
        data.flags = SDL_MESSAGEBOX_WARNING;
        data.window = currentApp != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0
                          ? static_cast<SDL_Window*>(currentApp->getWindow())
                          : nullptr;
        data.title = title.c_str();
        data.message = wrapped.c_str();
        data.numbuttons = 2;
        data.buttons = buttons;
        int chosen = 0;
        if (SDL_ShowMessageBox(&data, &chosen) != 0) {
            std::fprintf(stderr, "%s: %s (no box could be shown; answered \"%s\")\n", title.c_str(), text.c_str(),
                         reject.c_str());
            return false;
        }
        return chosen == 1;
    }
};

CDesktopQuestionBox desktopBox;
CQuestionBox* installed = nullptr;

}

CQuestionBox& questionBox()
{
    return installed != nullptr ? *installed : desktopBox;
}

void setQuestionBox(CQuestionBox* replacement)
{
    installed = replacement;
}
