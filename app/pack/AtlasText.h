// Text checks and escaping shared by the description writers: which names a
// description can hold, and JSON strings.
//
// Descriptions are UTF-8 text. A name that is not well-formed UTF-8 (a
// Latin-1 file name, say) cannot be written into any of them so that a
// reader gets the same name back, and neither can a name holding a control
// character other than tab, line feed and carriage return (XML 1.0 has no
// form for them).
#pragma once

#include <cstddef>
#include <string>

// Length of the well-formed UTF-8 sequence at text[i], or 0 (overlong forms,
// surrogates and code points past U+10FFFF are not well-formed).
std::size_t utf8SequenceLength(const std::string& text, std::size_t i);

// True when every byte sequence of `text` is well-formed UTF-8.
bool isUtf8Text(const std::string& text);

// Why a description cannot hold `name` ("is not UTF-8 text"), or "" when it
// can.
std::string descriptionNameProblem(const std::string& name);

// Appends `value` as a JSON string (quotes, escapes); false when it is not
// valid UTF-8, leaving `out` with part of it appended.
bool appendJsonString(std::string& out, const std::string& value);
