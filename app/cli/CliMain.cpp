// quiltforger-cli: the headless front end for build pipelines.
//
//   quiltforger-cli pack [--mode auto|right|down] [--centre] [--spacing N] [--no-tight] -o ATLAS IMAGE|FOLDER...
//   quiltforger-cli unpack DESCRIPTION.xml [-o FOLDER]
//   quiltforger-cli --help | --version
//
// It runs the same atlas save and unpack as the window tool, without a
// window or a renderer.
#include "app/cli/CliCommands.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const usageText =
    "usage: quiltforger-cli pack [--mode auto|right|down] [--centre] [--spacing N] [--no-tight] -o ATLAS IMAGE|FOLDER...\n"
    "       quiltforger-cli unpack DESCRIPTION.xml [-o FOLDER]\n"
    "       quiltforger-cli --help | --version\n";

const char* const helpText =
    "\n"
    "pack    packs the images, in the order given, into the atlas image ATLAS (.bmp, .jpg,\n"
    "        .png or .tga; the ending picks the format) and writes its description next to\n"
    "        it (ATLAS with the ending replaced by .xml). A FOLDER adds its image files in\n"
    "        name order. Each image is named by its file name. The save is all or nothing:\n"
    "        both files are complete before either replaces an existing one, so when the\n"
    "        image cannot be written the description is not written either.\n"
    "        --mode auto|right|down  place images beside earlier ones, then below (auto),\n"
    "                                only beside (right) or only below (down); default auto\n"
    "        --centre                centre images on their neighbour instead of aligning edges\n"
    "        --spacing N             keep N pixels between images and around them; default 0\n"
    "        --no-tight              keep the power-of-two square instead of the used area\n"
    "unpack  writes every frame of the description as NAME.png into FOLDER (default: the\n"
    "        description's folder).\n"
    "\n"
    "Exit status: 0 success, 1 failure, 2 usage error.\n";

}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "quiltforger-cli: %s\n", message.c_str());
    return exitUsage;
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quiltforger-cli %s\n", QF_VERSION);
        return exitSuccess;
    }
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usageText, stdout);
        std::fputs(helpText, stdout);
        return exitSuccess;
    }
    int status = exitUsage;
    if (argc >= 2 && std::strcmp(argv[1], "pack") == 0)
        status = runPack(argc - 2, argv + 2);
    else if (argc >= 2 && std::strcmp(argv[1], "unpack") == 0)
        status = runUnpack(argc - 2, argv + 2);
    if (status == exitUsage)
        std::fputs(usageText, stderr);
    return status;
}
