// "unpack": one PNG per frame of an atlas description.
#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasUnpack.h"
#include "app/cli/CInterruptCleanup.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

int runUnpack(int argc, char** argv)
{
    std::string description;
    std::string folder;
    bool onlyInputs = false;
    bool force = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!onlyInputs && arg == "--") {
            onlyInputs = true;
        } else if (!onlyInputs && (arg == "--help" || arg == "-h")) {
            printCommandHelp("unpack");
            return exitSuccess;
        } else if (!onlyInputs && arg == "--force") {
            force = true;
        } else if (!onlyInputs && arg.rfind("--output=", 0) == 0) {
            folder = arg.substr(9);
            if (folder.empty())
                return usageError("--output needs a folder");
        } else if (!onlyInputs && (arg == "-o" || arg == "--output")) {
            if (i + 1 >= argc)
                return usageError(arg + " needs a folder");
            folder = argv[++i];
        } else if (!onlyInputs && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option " + arg);
        } else if (description.empty()) {
            description = arg;
        } else {
            return usageError("unpack takes one description");
        }
    }
    if (description.empty())
        return usageError("unpack needs a description");
    CInterruptCleanup::install();

    AtlasUnpackReport report;
    const bool complete = unpackAtlas(description, folder, report, force);
    if (!report.existing.empty()) {
        const std::size_t more = report.existing.size() - 1;
        std::fprintf(stderr, "quiltforger-cli: %s already exists", shown(report.existing.front()).c_str());
        if (more > 0)
            std::fprintf(stderr, ", and %zu more frame file%s", more, more == 1 ? "" : "s");
        std::fprintf(stderr, "; nothing was written (--force replaces them)\n");
        return exitFailure;
    }
    if (!report.error.empty()) {
        std::fprintf(stderr, "quiltforger-cli: %s\n", shown(report.error).c_str());
        return exitFailure;
    }
    for (const std::string& problem : report.refused)
        std::fprintf(stderr, "quiltforger-cli: %s\n", shown(problem).c_str());
    for (const std::string& warning : report.warnings)
        std::fprintf(stderr, "quiltforger-cli: warning: %s\n", shown(warning).c_str());
    const std::string descriptionFolder = folderOf(description);
    const std::string shownFolder = !folder.empty() ? folder : !descriptionFolder.empty() ? descriptionFolder : ".";
    std::printf("unpacked %zu frame%s from %s into %s", report.written.size(), report.written.size() == 1 ? "" : "s",
                shown(description).c_str(), shown(shownFolder).c_str());
    if (!report.refused.empty())
        std::printf(", %zu refused", report.refused.size());
    std::printf("\n");
    return complete ? exitSuccess : exitFailure;
}
