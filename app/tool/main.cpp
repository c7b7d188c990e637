// Entry point of the window tool: quiltforger [IMAGE|FOLDER...] opens the
// window with those images added (a folder adds its image files in name
// order). --help and --version answer on stdout without opening a window.
#include "app/tool/Application.h"
#include "framework/ApplicationMain.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The one application object; it registers itself as the current one.
Application application;

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
    application.setStartupPaths(paths);
    return runApplicationMain(argc, argv);
}
