// Desktop display check through SDL's video driver choice.
#include "framework/DesktopDisplay.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}

std::string desktopDisplayProblem()
{
    if (!environment("SDL_VIDEODRIVER").empty())
        return {};
    const std::string display = environment("DISPLAY");
    const std::string wayland = environment("WAYLAND_DISPLAY");
    std::string places;
    if (!display.empty())
        places = "DISPLAY=" + display;
    if (!wayland.empty())
        places += (places.empty() ? "" : " and ") + std::string("WAYLAND_DISPLAY=") + wayland;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return "no display answers at " + places + " (" + SDL_GetError() + ")";
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool desktop = driver != nullptr && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0 ||
                                               std::strcmp(driver, "windows") == 0 || std::strcmp(driver, "cocoa") == 0);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (desktop)
        return {};
    return "no display answers at " + places;
}
