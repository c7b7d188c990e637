// GUIAttributes: the lenient number and boolean rules of GUI descriptions.
#include "gui/GUIAttributes.h"

#include "xml/CXMLNode.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double realLimit = 1.0e30;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Copies the leading decimal number of text (sign, digits, fraction,
// exponent) into buffer; returns its length, 0 when there is none.
std::size_t leadingNumber(const char* text, char* buffer, std::size_t size, bool allowFraction)
{
    std::size_t in = 0;
    std::size_t out = 0;
    auto put = [&](char c) {
        if (out + 1 < size)
            buffer[out++] = c;
    };
    while (isSpace(text[in]))
        ++in;
    if (text[in] == '+' || text[in] == '-')
        put(text[in++]);
    std::size_t digits = 0;
    // Leading zeros carry no value; dropping them keeps long inputs short.
    while (text[in] == '0' && isDigit(text[in + 1])) {
        ++in;
        ++digits;
    }
    while (isDigit(text[in])) {
        put(text[in++]);
        ++digits;
    }
    if (allowFraction && text[in] == '.') {
        std::size_t fraction = 0;
        std::size_t start = in++;
        std::size_t mark = out;
        put('.');
        while (isDigit(text[in])) {
            put(text[in++]);
            ++fraction;
        }
        if (digits == 0 && fraction == 0) {
            in = start;
            out = mark;
        }
        digits += fraction;
    }
    if (digits == 0)
        return 0;
    if (allowFraction && (text[in] == 'e' || text[in] == 'E')) {
        std::size_t next = in + 1;
        if (text[next] == '+' || text[next] == '-')
            ++next;
        if (isDigit(text[next])) {
            put('e');
            if (text[in + 1] == '-')
                put('-');
            in = next;
            // Leading zeros of the exponent carry no value and must not
            // count toward the clamp below ("1e00002" is 100).
            while (text[in] == '0' && isDigit(text[in + 1]))
                ++in;
            // Clamp absurd exponents: more than four digits never matter.
            std::size_t count = 0;
            while (isDigit(text[in])) {
                if (count < 4)
                    put(text[in]);
                ++count;
                ++in;
            }
            if (count > 4) {
                out -= 4;
                for (char c : {'9', '9', '9', '9'})
                    put(c);
            }
        }
    }
    buffer[out] = '\0';
    return out;
}

} // namespace

namespace GUIAttributes {

float parseReal(const char* text)
{
    if (text == nullptr)
        return 0.0f;
    char buffer[512];
    if (leadingNumber(text, buffer, sizeof buffer, true) == 0)
        return 0.0f;
    double value = std::strtod(buffer, nullptr);
    if (std::isnan(value))
        return 0.0f;
    if (value > realLimit)
        value = realLimit;
    if (value < -realLimit)
        value = -realLimit;
    return static_cast<float>(value);
}

std::int32_t parseInteger(const char* text)
{
    if (text == nullptr)
        return 0;
    char buffer[64];
    if (leadingNumber(text, buffer, sizeof buffer, false) == 0)
        return 0;
    const long long value = std::strtoll(buffer, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

bool parseBoolean(const char* text)
{
    if (text == nullptr)
        return false;
    String lower(text);
    lower.toLower();
    if (lower == String("true"))
        return true;
    return parseInteger(text) > 0;
}

bool has(const CXMLNode& node, const char* name)
{
    return node.findAttribute(String(name)) != nullptr;
}

String text(const CXMLNode& node, const char* name)
{
    return node.attributeValue(String(name));
}

float real(const CXMLNode& node, const char* name, float fallback)
{
    const CXMLAttribute* attribute = node.findAttribute(String(name));
    return attribute ? parseReal(attribute->value().c_str()) : fallback;
}

std::int32_t integer(const CXMLNode& node, const char* name, std::int32_t fallback)
{
    const CXMLAttribute* attribute = node.findAttribute(String(name));
    return attribute ? parseInteger(attribute->value().c_str()) : fallback;
}

bool boolean(const CXMLNode& node, const char* name, bool fallback)
{
    const CXMLAttribute* attribute = node.findAttribute(String(name));
    return attribute ? parseBoolean(attribute->value().c_str()) : fallback;
}

} // namespace GUIAttributes
