// libFuzzer harness for the OBJ reader with its MTL library: the input is the
// OBJ text, optionally followed by "@@MTL@@\n" and the library every
// "mtllib" line is given. Any input must be read or refused without
// crashing, hanging or touching memory it does not own.
#include "resources/CModel.h"
#include "resources/ObjReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view separator = "@@MTL@@\n";
    const std::size_t split = text.find(separator);
    const std::size_t objSize = split == std::string_view::npos ? size : split;
    const std::string_view library = split == std::string_view::npos ? std::string_view() : text.substr(split + separator.size());
    const MaterialLibraryLoader loader = [&](const std::string&, std::vector<std::uint8_t>& bytes) {
        bytes.assign(library.begin(), library.end());
        return split != std::string_view::npos;
    };
    ModelMesh mesh;
    if (readObj(data, objSize, loader, mesh, nullptr)) {
        CModel model;
        model.setMesh(mesh, nullptr);
    }
    return 0;
}
