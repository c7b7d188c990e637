// The order in which a folder's images are taken: natural order by default,
// as file managers list names (frame2 before frame10), or plain byte order.
//
// Natural order compares runs of decimal digits by their numeric value and
// everything else byte by byte, so "frame2.png" < "frame10.png" and
// "a9" < "a10" < "b1". Letter case is not folded: "Zebra" still sorts
// before "apple", as in byte order. Runs of equal value with different
// leading zeros ("a01", "a1") and every other tie are settled by byte
// order, so the order is total and the same on every machine and locale.
#pragma once

#include <string>
#include <vector>

enum class NameOrder {
    Natural, // digit runs by value (the default for folders)
    Bytes,   // plain byte order (std::string's operator<)
};

// True when `a` comes before `b` in natural order.
bool naturalLess(const std::string& a, const std::string& b);

// Sorts names in the given order.
void sortNames(std::vector<std::string>& names, NameOrder order);
