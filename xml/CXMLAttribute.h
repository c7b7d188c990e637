// CXMLAttribute: one name/value pair of an XML element, held by value.
//
// The value is the text as the parser delivers it (references already
// replaced, UTF-8). Values are read leniently: see asBool.
#pragma once

#include "core/String.h"

class CXMLAttribute {
public:
    CXMLAttribute() = default;
    CXMLAttribute(const String& name, const String& value);
    CXMLAttribute(const String& name, int value);  // the value's decimal text, like "%d"

    const String& name() const { return name_; }
    const String& value() const { return value_; }
    void setName(const String& name) { name_ = name; }
    void setValue(const String& value) { value_ = value; }
    void setValue(int value);

    // True when the value, lower-cased (ASCII only), is "true", or when its
    // leading decimal integer (after white space and an optional sign) is
    // greater than 0. Text without digits reads as 0.
    bool asBool() const;

private:
    String name_;
    String value_;
};
