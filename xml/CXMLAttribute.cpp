// CXMLAttribute: name/value pair with the lenient boolean reading used by
// every XML description.
#include "xml/CXMLAttribute.h"

#include <cstdint>

namespace {

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The leading decimal integer of text, like atoi but saturating instead of
// overflowing: white space, an optional sign, then digits up to the first
// other character. No digits reads as 0.
std::int64_t leadingInteger(const String& text)
{
    std::uint32_t i = 0;
    const std::uint32_t length = text.length();
    while (i < length && isSpace(text.charAt(i)))
        ++i;
    bool negative = false;
    if (i < length && (text.charAt(i) == '+' || text.charAt(i) == '-')) {
        negative = text.charAt(i) == '-';
        ++i;
    }
    std::int64_t value = 0;
    constexpr std::int64_t cap = std::int64_t(1) << 40;
    for (; i < length && text.charAt(i) >= '0' && text.charAt(i) <= '9'; ++i) {
        if (value < cap)
            value = value * 10 + (text.charAt(i) - '0');
    }
    return negative ? -value : value;
}

} // namespace

CXMLAttribute::CXMLAttribute(const String& name, const String& value) : name_(name), value_(value)
{
}

CXMLAttribute::CXMLAttribute(const String& name, int value) : name_(name)
{
    setValue(value);
}

void CXMLAttribute::setValue(int value)
{
    value_.format("%d", value);
}

bool CXMLAttribute::asBool() const
{
    String lower(value_);
    lower.toLower();
    if (lower.equals(String("true")))
        return true;
    return leadingInteger(value_) > 0;
}
