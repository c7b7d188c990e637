// CXMLDocument: an XML tree filled from a file or a text through expat.
//
// The document is itself the root element: its name and attributes are those
// of the outermost element and its children are that element's children.
// Only elements, attributes and one run of character data per element are
// kept; comments, processing instructions, declarations and namespaces are
// not represented. NOTE: of an element's character data only the last run
// that expat delivers is kept, and runs starting with a control byte or a
// non-ASCII byte are dropped, so indentation leaves text empty.
//
// NOTE: the text is fed to expat as a stream that has not ended, so a document
// that merely stops early (unclosed elements) parses without error and keeps
// what was read; isComplete() tells whether the outermost element was closed.
// A text in which no element starts at all (empty, or not XML) is refused.
// Well-formedness errors, entity expansion beyond expat's amplification limits
// and nesting deeper than maxDepth make parse return false, keeping the nodes
// built before the stop.
#pragma once

#include "core/String.h"
#include "xml/CXMLNode.h"

#include <cstdint>
#include <string>

class CXMLDocument : public CXMLNode {
public:
    // Deepest element nesting accepted (the outermost element is level 1).
    static constexpr std::uint32_t maxDepth = 256;
    // Largest file load accepts, in bytes.
    static constexpr std::uint64_t maxFileBytes = std::uint64_t(256) << 20;

    CXMLDocument() = default;
    CXMLDocument(const CXMLDocument& other);
    CXMLDocument& operator=(const CXMLDocument& other);
    ~CXMLDocument() = default;

    // As load and parse, but the result tells why they failed: empty on
    // success, else a reason prefixed "XML: " (for the command line).
    std::string loadDetailed(const String& path);
    std::string parseDetailed(const char* text);

    // Reads the file and parses it exactly as parse would parse its text, so
    // an element's text never depends on where it sits in the file. A zero
    // byte in the file ends the text there. False when the file cannot be
    // opened or read or is larger than maxFileBytes (the tree is then
    // unchanged), or does not parse.
    bool load(const String& path);
    // Parses a zero-terminated text, replacing the previous content. A null
    // text is refused (false, empty tree).
    bool parse(const char* text);
    // True after a parse that saw the outermost element's end tag.
    bool isComplete() const { return complete_; }

    // Writes the XML header and toString(node, 0) to path (see CXMLWriter
    // for how the file is put in place). Uses only its arguments, not this
    // document's content. False when the file could not be written; an
    // existing file is then left as it was.
    static bool save(const String& path, const CXMLNode& node);
    // The text of node and its subtree (see CXMLWriter::toString).
    static String toString(const CXMLNode& node, int depth);

private:
    class CParseRun;  // one run of expat over the document
    friend class CParseRun;

    CXMLNode* cursor_ = nullptr;  // the node receiving parsed content; only during parse
    bool complete_ = false;
};
