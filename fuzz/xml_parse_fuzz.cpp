// libFuzzer harness for CXMLDocument::parse: any bytes, read as a
// zero-terminated text, must parse (or fail) without crashing, hanging or
// growing memory without bound; the tree it leaves must copy and write back.
#include "xml/CXMLDocument.h"
#include "xml/CXMLWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CXMLDocument document;
    const std::string reason = document.parseDetailed(text.c_str());
    if (!reason.empty() && reason.rfind("XML: ", 0) != 0)
        __builtin_trap();

    // Walk and write what was built; a copy must write the same text.
    const String written = CXMLWriter::toString(document, 0);
    const CXMLDocument copy(document);
    const String rewritten = CXMLWriter::toString(copy, 0);
    if (!written.equals(rewritten))
        __builtin_trap();

    // What the writer produced must read back without crashing either.
    CXMLDocument reread;
    reread.parse(written.c_str());
    return 0;
}
