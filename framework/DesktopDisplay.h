// Whether the window can open on a desktop display before anything else is
// tried. SDL falls back to its off-screen video driver when DISPLAY names no
// X server (a stale DISPLAY in an SSH session, a display that was closed):
// the window then "opens" where no one sees it and the program runs on
// silently. The check initialises SDL's video, asks which driver it took and
// shuts video down again.
#pragma once

#include <string>

// Empty when a desktop driver (X11, Wayland, Windows, macOS) started, or when
// SDL_VIDEODRIVER asks for a driver explicitly (tests, headless use);
// otherwise why no window can open, naming DISPLAY / WAYLAND_DISPLAY.
std::string desktopDisplayProblem();
