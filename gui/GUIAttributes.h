// GUIAttributes: lenient reading of attribute values in GUI descriptions.
//
// Values are text. Numbers count by their leading decimal part ("12px" is
// 12, "abc" is 0); only plain decimal notation is read (no "nan", "inf" or
// hexadecimal forms), and reals are clamped to +/-1e30 so a value read here
// is always finite. A boolean is true for "true" in any letter case or a
// leading integer above 0. Every reader takes a fallback for an absent
// attribute; a present but malformed value reads as 0 (false).
#pragma once

#include "core/String.h"

#include <cstdint>

class CXMLNode;

namespace GUIAttributes {

bool has(const CXMLNode& node, const char* name);
// The attribute's text, or an empty string when absent.
String text(const CXMLNode& node, const char* name);
float real(const CXMLNode& node, const char* name, float fallback);
std::int32_t integer(const CXMLNode& node, const char* name, std::int32_t fallback);
bool boolean(const CXMLNode& node, const char* name, bool fallback);

// The same rules on a bare value.
float parseReal(const char* text);
std::int32_t parseInteger(const char* text);
bool parseBoolean(const char* text);

} // namespace GUIAttributes
