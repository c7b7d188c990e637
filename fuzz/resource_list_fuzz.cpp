// libFuzzer harness for the resource-list reader, fed atlas descriptions and
// other resource lists: any bytes are parsed as XML and handed to
// CResourceManager::loadList, and the first frames of every sprite are cut
// out of the atlas as the unpack does. It must not crash, hang or allocate
// without bound, and no frame may keep a rectangle that was refused or whose
// edges pass 2^31.
//
// Every "file" attribute is pointed at one small atlas written at start-up,
// so the reader never goes looking through the file system.
#include "app/pack/AtlasUnpack.h"
#include "image/CImage.h"
#include "image/PngCodec.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::string atlasPath;

// Frames cut per input, and the largest frame cut (in pixels).
constexpr std::uint32_t maxFramesCut = 64;
constexpr std::uint64_t maxFramePixels = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char folder[] = "/tmp/qf-resource-fuzz-XXXXXX";
    if (::mkdtemp(folder) == nullptr)
        std::abort();
    atlasPath = std::string(folder) + "/atlas.png";
    std::vector<std::uint8_t> pixels(64 * 32 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 7);
    if (!writePngFile(atlasPath.c_str(), 64, 32, 32, pixels.data(), nullptr))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CXMLDocument document;
    document.parse(text.c_str());
    // An atlas description is a list of one sprite: wrap it as the unpack does.
    CXMLNode wrapper;
    if (document.name() == "sprite")
        wrapper.addChild(document);
    CXMLNode& list = document.name() == "sprite" ? wrapper : document;
    for (std::uint32_t i = 0; i < list.childCount(); ++i) {
        if (CXMLAttribute* file = list.child(i)->findAttribute("file", 1))
            file->setValue(String(atlasPath.c_str()));
    }

    CResourceManager resources;
    resources.setTextureOptions(0xFFFFFFFFu, false, false, false, false);
    resources.loadList(list);
    for (std::uint32_t r = 0; r < resources.getCount(); ++r) {
        const CSprite* sprite = dynamic_cast<const CSprite*>(resources.getResource(r));
        if (!sprite)
            continue;
        for (std::uint32_t f = 0; f < sprite->getFrameCount(); ++f) {
            const SpriteFrame& frame = *sprite->getFrame(f);
            const std::uint64_t right = std::uint64_t(frame.x) + frame.w;
            const std::uint64_t bottom = std::uint64_t(frame.y) + frame.h;
            if (right >= (std::uint64_t(1) << 31) || bottom >= (std::uint64_t(1) << 31))
                __builtin_trap();
            if (frame.refusal && (frame.w | frame.h | frame.x | frame.y) != 0)
                __builtin_trap();
            if (f < maxFramesCut && frame.texture && std::uint64_t(frame.w) * frame.h <= maxFramePixels) {
                CImage out;
                cutAtlasFrame(*frame.texture, frame, out);
            }
        }
    }
    return 0;
}
