// TextWrap: breaks message text into lines for boxes that do not wrap by
// themselves (SDL's fallback message box).
//
// Existing line breaks are kept. A line longer than the limit breaks at its
// last space inside the limit; a word longer than a line (a long path) breaks
// after a "/" inside the limit where it has one, else at the limit. Counts are
// in bytes of UTF-8 text, and a break never splits a multi-byte character.
#pragma once

#include <cstddef>
#include <string>

std::string wrapText(const std::string& text, std::size_t columns);
