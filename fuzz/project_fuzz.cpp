// libFuzzer harness for the project file: any bytes must either be refused
// with a reason, leaving the project as it was, or read as settings that
// write and read back to the same text.
#include "app/pack/CProject.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CProject project;
    const std::string before = project.text("/p");
    std::string error;
    if (!project.parse(text, "/p", "fuzz.qfproj", error)) {
        if (error.empty() || project.text("/p") != before)
            __builtin_trap();
        return 0;
    }
    const std::string written = project.text("/p");
    CProject again;
    if (!again.parse(written, "/p", "again.qfproj", error) || again.text("/p") != written)
        __builtin_trap();
    return 0;
}
