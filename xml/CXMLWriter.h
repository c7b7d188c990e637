// CXMLWriter: turns a CXMLNode tree into indented XML text and saves it.
//
// The layout is fixed, since stored atlas descriptions follow it byte for
// byte: one element per line, one tab per depth, " />" closing an element
// with neither children nor text, text written only for elements without
// children, and no line feed after the root's end tag. A file starts with the
// header line <?xml version="1.0"?> and one empty line. Names are written as
// they are, unchecked (nor are attribute names checked for repeats, which a
// reader refuses); no comments or namespaces.
#pragma once

#include "core/String.h"
#include "xml/CXMLNode.h"

#include <string>

class CXMLWriter {
public:
    // Escapes element text: double quote, ampersand, less-than, greater-than
    // and line feed become character references ("&#34;", "&#38;", "&#60;",
    // "&#62;", "&#10;"); every other byte, including apostrophes, tabs,
    // carriage returns and bytes of 128 and above, is copied unchanged.
    static String escape(const String& value);
    // Escapes an attribute value: as escape, and also tab and carriage return
    // ("&#9;", "&#13;"), which a reader would otherwise turn into spaces when
    // it normalizes the value.
    static String escapeAttribute(const String& value);

    // The text of node and its subtree, indented for depth (0 for a root).
    static String toString(const CXMLNode& node, int depth);

    // The whole file for node: the header line, an empty line and
    // toString(node, 0).
    static std::string fileText(const CXMLNode& node);

    // Writes fileText(node) to path through CSafeWriter: a failed write
    // leaves an existing file untouched, a device or pipe is written
    // directly, a write-protected file is refused. False on any failure,
    // with the reason in `error` when given.
    static bool save(const String& path, const CXMLNode& node, std::string* error = nullptr);
};
