// Entry point of the window tool: quiltforger [IMAGE|FOLDER...] opens the
// window with those images added (a folder adds its image files in name
// order). --help and --version answer on stdout without opening a window.
// Without a display to open the window on (no DISPLAY or WAYLAND_DISPLAY, as
// in an SSH session without forwarding) it says so, points to the command
// line, and ends with status 1, unless a video driver was asked for
// explicitly (SDL_VIDEODRIVER, as the tests do). The same holds when DISPLAY
// names a display where no server answers.
#include "app/tool/Application.h"
#include "framework/ApplicationMain.h"
#include "framework/DesktopDisplay.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The one application object; it registers itself as the current one.
Application application;

bool setInEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quiltforger %s\n", QF_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: quiltforger [IMAGE|FOLDER...]\n"
                        "Opens the Quilt Forger window, a texture atlas packer, with the given images\n"
                        "added (a folder adds its .bmp, .jpg, .png and .tga files in name order).\n"
                        "The command-line packer is quiltforger-cli.\n");
            return 0;
        }
        paths.emplace_back(argv[i]);
    }
    if (!setInEnvironment("DISPLAY") && !setInEnvironment("WAYLAND_DISPLAY") &&
        !setInEnvironment("SDL_VIDEODRIVER")) {
        std::fprintf(stderr,
                     "quiltforger: no display was found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the\n"
                     "window cannot open. Pack and unpack atlases on the command line instead:\n"
                     "  quiltforger-cli pack -o atlas.png IMAGE|FOLDER...\n"
                     "  quiltforger-cli unpack atlas.xml\n"
                     "(quiltforger-cli --help lists the options.)\n");
        return 1;
    }
    // A display named but not there (a stale DISPLAY) would leave the tool
    // running unseen.
    const std::string problem = desktopDisplayProblem();
    if (!problem.empty()) {
        std::fprintf(stderr,
                     "quiltforger: %s, so the window cannot open. Pack and unpack atlases on the command\n"
                     "line instead:\n"
                     "  quiltforger-cli pack -o atlas.png IMAGE|FOLDER...\n"
                     "  quiltforger-cli unpack atlas.xml\n",
                     problem.c_str());
        return 1;
    }
    application.setStartupPaths(paths);
    return runApplicationMain(argc, argv);
}
