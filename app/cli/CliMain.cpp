// quiltforger-cli: the headless front end for build pipelines.
//
//   quiltforger-cli pack [options] -o ATLAS IMAGE|FOLDER...
//   quiltforger-cli unpack [--force] DESCRIPTION.xml [-o FOLDER]
//   quiltforger-cli --help | --version
//
// It runs the same atlas save and unpack as the window tool, without a
// window or a renderer.
#include "app/cli/BuildIdentity.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliFiles.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

const char* const packUsage =
    "usage: quiltforger-cli pack [--mode auto|right|down|best] [--centre] [--spacing N] [--no-tight]\n"
    "                            [--max-size N] [--pot] [--square] [--multipack] [--border N]\n"
    "                            [--trim] [--alias] [--extrude N] [--bleed] [--premultiply]\n"
    "                            [--sort natural|bytes]\n"
    "                            [--recursive] [--flatten] [--skip-unreadable] [--json] [--progress]\n"
    "                            [--format xml|json|json-array|atlas|phaser3] [--watch] [--if-changed]\n"
    "                            [--no-animations] [--pivot X,Y]\n"
    "                            [--rotate] [--scale F,F... [--scale-suffix S,S...]]\n"
    "                            [--compression fast|default|best] [--quality N]\n"
    "                            [--jpeg-flatten[=#RRGGBB]]\n"
    "                            -o ATLAS IMAGE|FOLDER...\n"
    "       quiltforger-cli pack --project FILE.qfproj [options] [-o ATLAS] [IMAGE|FOLDER...]\n";
const char* const unpackUsage = "       quiltforger-cli unpack [--force] DESCRIPTION.xml [-o FOLDER]\n";
const char* const otherUsage = "       quiltforger-cli --help | --version\n";

const char* const packHelp =
    "\n"
    "pack    packs the images, in the order given, into the atlas image ATLAS (.bmp, .jpg,\n"
    "        .png, .tga or .webp; the ending picks the format) and writes its description next to\n"
    "        it (ATLAS with the ending replaced by .xml). A FOLDER adds its image files\n"
    "        (.bmp, .jpg, .jpeg, .png, .tga, .webp in any letter case) in natural name order\n"
    "        (frame2 before frame10; --sort bytes for plain byte order); the summary\n"
    "        says how many other entries it skipped and why. Each image is named by its\n"
    "        file name, or below a FOLDER by its path from it (hero/walk_1). An image\n"
    "        named NAME.9.png is a nine-patch: its 1-pixel black guides (top and left:\n"
    "        what stretches; bottom and right: the content) are removed and written as\n"
    "        nine-slice borders; malformed guides are refused. Frames whose names differ\n"
    "        only in a trailing number (walk_1, walk_2, ...) are listed as an animation\n"
    "        in the JSON and .atlas descriptions. ATLAS's folder is created when missing. The atlas, its descriptions\n"
    "        and an earlier atlas of the same name are never packed into it; an input that\n"
    "        is also an output is refused. The save is all or nothing: every file is\n"
    "        complete before any replaces an existing one, so when the image cannot be\n"
    "        written the description is not written either.\n"
    "        --mode auto|right|down|best\n"
    "                                place images beside earlier ones, then below (auto),\n"
    "                                only beside (right) or only below (down), in the order\n"
    "                                given; or anywhere for the smallest atlas (best, the\n"
    "                                description still lists them in order); default best\n"
    "                                (the window's default, and its layout, is auto)\n"
    "        --centre                centre images on their neighbour instead of aligning edges\n"
    "        --spacing N             keep N pixels between images and around them; default 0\n"
    "        --no-tight              keep the power-of-two square (best: the searched width)\n"
    "                                instead of the used area\n"
    "        --max-size N            largest atlas side in pixels; default 16384\n"
    "        --pot                   make both atlas sides powers of two\n"
    "        --square                make the atlas square\n"
    "        --multipack             put what does not fit one atlas on further pages: ATLAS\n"
    "                                becomes ATLAS-1, ATLAS-2, ... each with its descriptions\n"
    "                                (JSON pages name each other; one ATLAS.atlas holds all)\n"
    "        --border N              keep N pixels between the atlas edges and the images\n"
    "                                (default: the spacing)\n"
    "        --trim                  cut transparent margins; the descriptions say where the\n"
    "                                frame sat in the original, and unpack puts it back\n"
    "        --alias                 pack identical images (after trimming) once; each name\n"
    "                                keeps a frame on the shared pixels\n"
    "        --extrude N             repeat each image's edge pixels N times around it\n"
    "        --bleed                 give fully transparent pixels the nearest visible colour\n"
    "                                (alpha stays 0), so filtering draws no dark fringe\n"
    "        --premultiply           write colour multiplied by alpha (no bleeding needed);\n"
    "                                the descriptions say so and unpack undoes it\n"
    "        --sort natural|bytes    order of a folder's images; default natural\n"
    "        --recursive             also add the images of subfolders, named by their path\n"
    "                                below the folder given (hero/walk_1)\n"
    "        --flatten               name images by file name alone, even in subfolders\n"
    "        --no-animations         list no animations (every frame stands alone)\n"
    "        --pivot X,Y             every sprite's origin as fractions of its original size\n"
    "                                (0.5,1: the middle of its bottom edge); default none\n"
    "        --skip-unreadable       pack the images that read, name the others, and still\n"
    "                                exit with status 1\n"
    "        --json                  also write ATLAS with the ending .json: the JSON \"hash\"\n"
    "                                description that PixiJS, Phaser and melonJS read\n"
    "        --progress              draw the progress bar even when stderr is no terminal\n"
    "        --format FORMAT         also write a description in FORMAT (repeatable): json\n"
    "                                (as --json), json-array (ATLAS.json with \"frames\" as\n"
    "                                an array), atlas (ATLAS.atlas for libGDX and Spine) or\n"
    "                                phaser3 (ATLAS.json: one Phaser 3 multi-atlas for all\n"
    "                                pages, so not beside an unnumbered JSON description)\n"
    "        --watch                 after packing, pack again whenever the inputs change,\n"
    "                                until Ctrl-C; a failed repack keeps the previous files\n"
    "        --if-changed            do nothing (exit 0) when the inputs and options are\n"
    "                                those the outputs were made from by this build of the\n"
    "                                tool (--version; digest kept in the hidden file\n"
    "                                .ATLAS.digest beside them)\n"
    "        --rotate                with --mode best, turn images 90 degrees clockwise where\n"
    "                                that packs tighter; every description says so and\n"
    "                                unpack turns them back\n"
    "        --scale F,F...          write the atlas at each factor (above 0, up to 16) from\n"
    "                                one layout: frames keep their places, resampled with\n"
    "                                alpha weighting; spacing, border, extrusion stay >= 1\n"
    "        --scale-suffix S,S...   one suffix per factor before ATLAS's ending (default\n"
    "                                @Fx, none for 1: atlas@2x.png, atlas.png)\n"
    "        --project FILE.qfproj   start from a project saved by the window tool: its\n"
    "                                inputs, options and outputs (paths relative to the\n"
    "                                project). Options given here change it; inputs or -o\n"
    "                                given here replace the project's. --watch also repacks\n"
    "                                when the project changes; --if-changed counts it\n"
    "        --compression fast|default|best\n"
    "                                PNG and WebP effort, all lossless: default is zlib level 9;\n"
    "                                fast is libdeflate level 6, several times faster and a\n"
    "                                little larger; best stores the fewest bytes (palette,\n"
    "                                grey or RGB when the pixels allow, a filter per row,\n"
    "                                libdeflate level 12) and takes a few times longer\n"
    "        --quality N             write a .webp atlas lossy at quality 0 to 100 (default:\n"
    "                                lossless)\n"
    "        --jpeg-flatten[=#RRGGBB]\n"
    "                                a .jpg atlas has no transparency: put it over black (or\n"
    "                                the colour given); without this, images with pixels that\n"
    "                                are not opaque are refused\n"
    "        Options with a value also take the form --option=VALUE.\n"
    "        The pack holds an exclusive flock on ATLAS's folder while it puts its files in\n"
    "        place (all renamed in a row, the XML last); readers that take it shared\n"
    "        (flock --shared FOLDER ...) see one whole set.\n";
const char* const unpackHelp =
    "\n"
    "unpack  writes every frame of the description as NAME.png into FOLDER (default: the\n"
    "        description's folder), creating it when missing, and the subfolders of names\n"
    "        like hero/walk_1. A nine-slice frame is written without its guides. When a\n"
    "        frame's file already exists, nothing is written and the first such file is\n"
    "        named. It reads the XML description, holding its folder's lock shared, and\n"
    "        refuses frames that do not lie inside the atlas image; premultiplied colour\n"
    "        is undone; a link at a frame's name is replaced, never followed.\n"
    "        --force                 replace frame files that already exist\n";
const char* const statusHelp =
    "\n--version prints the build's identity: the version and the source revision.\n"
    "\nExit status: 0 success, 1 failure, 2 usage error.\n";

}

int usageError(const std::string& message)
{
    std::fprintf(stderr, "quiltforger-cli: %s\n", shown(message).c_str());
    return exitUsage;
}

void printCommandHelp(const std::string& command)
{
    if (command == "unpack") {
        std::printf("usage: %s", unpackUsage + 7); // the indent gives way to "usage: "
        std::fputs(unpackHelp, stdout);
    } else {
        std::fputs(packUsage, stdout);
        std::fputs(packHelp, stdout);
    }
    std::fputs(statusHelp, stdout);
}

int main(int argc, char** argv)
{
    // A reader that goes away (pack ... | head) must not end a pack midway:
    // its outputs are still written, and the failed summary is said once.
    std::signal(SIGPIPE, SIG_IGN);
    int status = exitUsage;
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quiltforger-cli %s\n", buildIdentity());
        status = exitSuccess;
    } else if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("%s%s%s%s%s%s", packUsage, unpackUsage, otherUsage, packHelp, unpackHelp, statusHelp);
        status = exitSuccess;
    } else if (argc < 2) {
        std::fprintf(stderr, "%s%s%s", packUsage, unpackUsage, otherUsage);
    } else if (std::strcmp(argv[1], "pack") == 0 || std::strcmp(argv[1], "unpack") == 0) {
        const bool pack = argv[1][0] == 'p';
        status = pack ? runPack(argc - 2, argv + 2) : runUnpack(argc - 2, argv + 2);
        if (status == exitUsage)
            std::fprintf(stderr, "quiltforger-cli: see quiltforger-cli %s --help\n", argv[1]);
    } else {
        usageError(std::string(argv[1][0] == '-' ? "unknown option " : "unknown command ") + argv[1] +
                   " (the commands are pack and unpack; see quiltforger-cli --help)");
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        std::fprintf(stderr, "quiltforger-cli: cannot write to standard output: %s\n", reasonText(errno).c_str());
    return status;
}
