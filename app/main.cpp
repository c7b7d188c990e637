// Entry point of the window tool. Until the window front end is in place it
// only answers --help and --version.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quiltforger %s\n", QF_VERSION);
        return 0;
    }
    std::printf("quiltforger %s: texture atlas packer\n"
                "The window tool is not built yet; use quiltforger-cli.\n", QF_VERSION);
    return 0;
}
