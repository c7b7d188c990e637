// libFuzzer harness for the atlas unpack, fed atlas descriptions: any bytes
// are parsed as XML, the root's "file" is pointed at one small atlas written
// at start-up, and unpackAtlas cuts the frames into a scratch folder,
// restoring trimmed frames ("offsetX", "offsetY", "originalW", "originalH")
// into images of their original size. It must not crash, hang or write
// outside the scratch folder.
//
// Inputs naming a frame or original larger than 512 pixels a side are passed
// over: the central size limit allows 16384, and the harness would spend its
// time filling gigabyte images instead of finding faults.
#include "app/pack/AtlasUnpack.h"
#include "image/PngCodec.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLDocument.h"
#include "xml/CXMLWriter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::string folder;
constexpr long long maxSide = 512;

// Whether any size attribute of a frame names more than maxSide pixels (or a
// huge "array"); read loosely, as the readers read numbers.
bool tooLarge(const CXMLNode& root)
{
    static const char* const names[] = {"w", "h", "originalW", "originalH", "array"};
    for (std::uint32_t i = 0; i < root.childCount(); ++i) {
        for (const char* name : names) {
            const CXMLAttribute* attribute = root.child(i)->findAttribute(name, 1);
            if (attribute && attribute->value().c_str() && std::llabs(std::atoll(attribute->value().c_str())) > maxSide)
                return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char scratch[] = "/tmp/qf-unpack-fuzz-XXXXXX";
    if (::mkdtemp(scratch) == nullptr)
        std::abort();
    folder = scratch;
    if (::mkdir((folder + "/out").c_str(), 0700) != 0)
        std::abort();
    std::vector<std::uint8_t> pixels(64 * 32 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 7);
    if (!writePngFile((folder + "/atlas.png").c_str(), 64, 32, 32, pixels.data(), nullptr))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CXMLDocument document;
    if (!document.parse(text.c_str()) || document.name() != "sprite" || tooLarge(document))
        return 0;
    CXMLNode root(document);
    if (CXMLAttribute* file = root.findAttribute("file", 1))
        file->setValue(String("atlas.png"));
    else
        root.addAttribute(CXMLAttribute("file", "atlas.png"));
    const std::string description = folder + "/atlas.xml";
    std::ofstream(description, std::ios::binary) << CXMLWriter::fileText(root);
    AtlasUnpackReport report;
    unpackAtlas(description, folder + "/out", report);
    return 0;
}
