// quiltforger-cli: the headless front end for build pipelines.
#include <cstdio>
#include <cstring>

namespace {

const char* const usageText =
    "usage: quiltforger-cli pack [--mode auto|right|down] [--centre] [--spacing N] [--no-tight] -o ATLAS IMAGE|FOLDER...\n"
    "       quiltforger-cli unpack DESCRIPTION.xml [-o FOLDER]\n"
    "       quiltforger-cli --help | --version\n";

}

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quiltforger-cli %s\n", QF_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usageText, stdout);
        return 0;
    }
    std::fputs(usageText, stderr);
    return 2;
}
