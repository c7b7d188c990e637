// CXMLNode: one element of the in-memory XML tree.
//
// A node has a name, one run of character data (text), its attributes in
// document order and its child elements in document order. Copying is deep.
// Children are owned by their parent; each child's parent() points back to
// the node that holds it. Children live in their own allocations, so a
// pointer to a child stays valid while its parent holds it (adding siblings
// does not move it).
//
// Trees built by the reader are at most CXMLDocument::maxDepth levels deep;
// copying, destroying and writing walk the tree recursively.
#pragma once

#include "core/String.h"
#include "xml/CXMLAttribute.h"

#include <cstdint>
#include <memory>
#include <vector>

class CXMLNode {
public:
    CXMLNode() = default;
    explicit CXMLNode(const String& name);
    // Deep copies: every attribute and child; each copied child's parent is
    // the new node, and the copy's own parent is the source's parent.
    CXMLNode(const CXMLNode& other);
    CXMLNode& operator=(const CXMLNode& other);
    CXMLNode(CXMLNode&& other) noexcept;
    CXMLNode& operator=(CXMLNode&& other) noexcept;
    ~CXMLNode() = default;

    // Empties name and text and destroys all attributes and children; the
    // parent stays.
    void clear();

    String& name() { return name_; }
    const String& name() const { return name_; }
    String& text() { return text_; }
    const String& text() const { return text_; }

    void addAttribute(const CXMLAttribute& attribute);
    std::uint32_t attributeCount() const { return std::uint32_t(attributes_.size()); }
    // The attribute at index (document order), or null past the end.
    const CXMLAttribute* attribute(std::uint32_t index) const;
    CXMLAttribute* attribute(std::uint32_t index);
    // The occurrence-th attribute (counting from 1) named exactly `name`;
    // null when there is none, and always for occurrence 0.
    CXMLAttribute* findAttribute(const String& name, std::uint32_t occurrence = 1);
    const CXMLAttribute* findAttribute(const String& name, std::uint32_t occurrence = 1) const;
    // The value of findAttribute, or an empty string when it finds nothing.
    String attributeValue(const String& name, std::uint32_t occurrence = 1) const;

    // Appends a deep copy of `node` as the last child, whose parent is this
    // node, and returns that copy. The argument itself is not changed.
    CXMLNode& addChild(const CXMLNode& node);
    std::uint32_t childCount() const { return std::uint32_t(children_.size()); }
    // The child at index (0-based, document order), or null past the end.
    CXMLNode* child(std::uint32_t index);
    const CXMLNode* child(std::uint32_t index) const;
    CXMLNode* parent() { return parent_; }
    const CXMLNode* parent() const { return parent_; }

private:
    void copyContentFrom(const CXMLNode& other);
    void adoptChildren();

    String name_;
    String text_;
    std::vector<CXMLAttribute> attributes_;
    std::vector<std::unique_ptr<CXMLNode>> children_;
    CXMLNode* parent_ = nullptr;  // not owned
};
