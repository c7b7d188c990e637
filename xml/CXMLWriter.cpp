// CXMLWriter: the fixed text layout of saved XML files, and the safe save.
//
// The escaping is chosen so that everything written reads back unchanged
// through CXMLDocument (apart from the reader's own rule for element text).
//
// The text is assembled in a std::string and converted once at the end:
// String reallocates on every change, which would make a large tree
// quadratic to write.
#include "xml/CXMLWriter.h"

#include "core/CSafeWriter.h"

#include <string>

namespace {

const char xmlHeader[] = "<?xml version=\"1.0\"?>\n\n";

enum class Escape { Text, Attribute };

// NOTE: a line feed is written as a reference to character 10 so it reads
// back as a line feed. In attribute values, tabs and carriage returns are
// written as references too: XML readers normalize literal white space in
// attribute values to spaces.
void appendEscaped(std::string& out, const String& value, Escape mode)
{
    const char* bytes = value.c_str();
    for (std::uint32_t i = 0; i < value.length(); ++i) {
        const char c = bytes[i];
        switch (c) {
        case '"': out += "&#34;"; break;
        case '&': out += "&#38;"; break;
        case '<': out += "&#60;"; break;
        case '>': out += "&#62;"; break;
        case '\n': out += "&#10;"; break;
        case '\t': out += mode == Escape::Attribute ? "&#9;" : "\t"; break;
        case '\r': out += mode == Escape::Attribute ? "&#13;" : "\r"; break;
        default: out += c; break;
        }
    }
}

void appendString(std::string& out, const String& value)
{
    if (value.c_str() != nullptr)
        out.append(value.c_str(), value.length());
}

void appendNode(std::string& out, const CXMLNode& node, int depth)
{
    const std::size_t indent = depth > 0 ? std::size_t(depth) : 0;
    out.append(indent, '\t');
    out += '<';
    appendString(out, node.name());
    for (std::uint32_t i = 0; i < node.attributeCount(); ++i) {
        const CXMLAttribute* attribute = node.attribute(i);
        out += ' ';
        appendString(out, attribute->name());
        out += "=\"";
        appendEscaped(out, attribute->value(), Escape::Attribute);
        out += '"';
    }
    if (node.childCount() == 0) {
        if (node.text().isEmpty()) {
            out += " />\n";
        } else {
            out += '>';
            appendEscaped(out, node.text(), Escape::Text);
            out += "</";
            appendString(out, node.name());
            out += ">\n";
        }
        return;
    }
    // NOTE: an element with children is written without its own text.
    out += ">\n";
    for (std::uint32_t i = 0; i < node.childCount(); ++i)
        appendNode(out, *node.child(i), depth + 1);
    out.append(indent, '\t');
    out += "</";
    appendString(out, node.name());
    out += '>';
    if (depth != 0)
        out += '\n';
}

String toLibraryString(const std::string& text)
{
    return String(text.data(), std::uint32_t(text.size()));
}

} // namespace

String CXMLWriter::escape(const String& value)
{
    std::string out;
    appendEscaped(out, value, Escape::Text);
    return toLibraryString(out);
}

String CXMLWriter::escapeAttribute(const String& value)
{
    std::string out;
    appendEscaped(out, value, Escape::Attribute);
    return toLibraryString(out);
}

String CXMLWriter::toString(const CXMLNode& node, int depth)
{
    std::string out;
    appendNode(out, node, depth);
    return toLibraryString(out);
}

std::string CXMLWriter::fileText(const CXMLNode& node)
{
    std::string text = xmlHeader;
    appendNode(text, node, 0);
    return text;
}

bool CXMLWriter::save(const String& path, const CXMLNode& node, std::string* error)
{
    if (path.isEmpty()) {
        if (error != nullptr)
            *error = "cannot write a file without a name";
        return false;
    }
    const std::string text = fileText(node);
    return CSafeWriter::writeFile(std::string(path.c_str(), path.length()), text.data(), text.size(), error);
}
