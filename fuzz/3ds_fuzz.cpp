// libFuzzer harness for the 3DS reader: any byte string must be read or
// refused without crashing, hanging or touching memory it does not own.
#include "resources/CModel.h"
#include "resources/Model3dsReader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ModelMesh mesh;
    if (read3ds(data, size, mesh, nullptr)) {
        CModel model;
        model.setMesh(mesh, nullptr);
    }
    return 0;
}
