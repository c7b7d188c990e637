// CXMLNode: element tree with deep copies and parent links.
#include "xml/CXMLNode.h"

#include <utility>

CXMLNode::CXMLNode(const String& name) : name_(name)
{
}

CXMLNode::CXMLNode(const CXMLNode& other) : parent_(other.parent_)
{
    copyContentFrom(other);
}

CXMLNode& CXMLNode::operator=(const CXMLNode& other)
{
    if (this != &other) {
        CXMLNode* parent = other.parent_;  // other may be a descendant that the copy destroys
        copyContentFrom(other);
        parent_ = parent;
    }
    return *this;
}

CXMLNode::CXMLNode(CXMLNode&& other) noexcept
    : name_(std::move(other.name_)),
      text_(std::move(other.text_)),
      attributes_(std::move(other.attributes_)),
      children_(std::move(other.children_)),
      parent_(other.parent_)
{
    adoptChildren();
}

CXMLNode& CXMLNode::operator=(CXMLNode&& other) noexcept
{
    if (this != &other) {
        // Take other's content first: other may be one of the children that
        // the assignment destroys.
        CXMLNode moved(std::move(other));
        name_ = std::move(moved.name_);
        text_ = std::move(moved.text_);
        attributes_ = std::move(moved.attributes_);
        children_ = std::move(moved.children_);
        parent_ = moved.parent_;
        adoptChildren();
    }
    return *this;
}

void CXMLNode::copyContentFrom(const CXMLNode& other)
{
    // Build the copies first: other may be a descendant of this node.
    std::vector<std::unique_ptr<CXMLNode>> children;
    children.reserve(other.children_.size());
    for (const auto& source : other.children_)
        children.push_back(std::make_unique<CXMLNode>(*source));
    std::vector<CXMLAttribute> attributes = other.attributes_;
    String name = other.name_;
    String text = other.text_;

    name_ = std::move(name);
    text_ = std::move(text);
    attributes_ = std::move(attributes);
    children_ = std::move(children);
    adoptChildren();
}

void CXMLNode::adoptChildren()
{
    for (auto& child : children_)
        child->parent_ = this;
}

void CXMLNode::clear()
{
    name_ = String();
    text_ = String();
    attributes_.clear();
    children_.clear();
}

void CXMLNode::addAttribute(const CXMLAttribute& attribute)
{
    attributes_.push_back(attribute);
}

const CXMLAttribute* CXMLNode::attribute(std::uint32_t index) const
{
    return index < attributes_.size() ? &attributes_[index] : nullptr;
}

CXMLAttribute* CXMLNode::attribute(std::uint32_t index)
{
    return index < attributes_.size() ? &attributes_[index] : nullptr;
}

const CXMLAttribute* CXMLNode::findAttribute(const String& name, std::uint32_t occurrence) const
{
    if (occurrence == 0)
        return nullptr;
    for (const CXMLAttribute& attribute : attributes_) {
        if (attribute.name().equals(name) && --occurrence == 0)
            return &attribute;
    }
    return nullptr;
}

CXMLAttribute* CXMLNode::findAttribute(const String& name, std::uint32_t occurrence)
{
    return const_cast<CXMLAttribute*>(std::as_const(*this).findAttribute(name, occurrence));
}

String CXMLNode::attributeValue(const String& name, std::uint32_t occurrence) const
{
    const CXMLAttribute* attribute = findAttribute(name, occurrence);
    return attribute ? attribute->value() : String("");
}

CXMLNode& CXMLNode::addChild(const CXMLNode& node)
{
    auto copy = std::make_unique<CXMLNode>(node);
    copy->parent_ = this;
    children_.push_back(std::move(copy));
    return *children_.back();
}

CXMLNode* CXMLNode::child(std::uint32_t index)
{
    return index < children_.size() ? children_[index].get() : nullptr;
}

const CXMLNode* CXMLNode::child(std::uint32_t index) const
{
    return index < children_.size() ? children_[index].get() : nullptr;
}
