// Natural order of names: digit runs by value, the rest byte by byte.
#include "app/pack/NaturalOrder.h"

#include <algorithm>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Compares the digit runs starting at a[i] and b[j] by value (leading zeros
// skipped: the longer significant run is larger, equal lengths compare
// digit by digit) and moves i and j past them. Returns <0, 0 or >0.
int compareNumbers(const std::string& a, std::size_t& i, const std::string& b, std::size_t& j)
{
    while (i < a.size() && a[i] == '0' && i + 1 < a.size() && isDigit(a[i + 1]))
        ++i;
    while (j < b.size() && b[j] == '0' && j + 1 < b.size() && isDigit(b[j + 1]))
        ++j;
    std::size_t endA = i;
    while (endA < a.size() && isDigit(a[endA]))
        ++endA;
    std::size_t endB = j;
    while (endB < b.size() && isDigit(b[endB]))
        ++endB;
    const std::size_t lengthA = endA - i;
    const std::size_t lengthB = endB - j;
    int result = lengthA < lengthB ? -1 : lengthA > lengthB ? 1 : a.compare(i, lengthA, b, j, lengthB);
    i = endA;
    j = endB;
    return result;
}

}

bool naturalLess(const std::string& a, const std::string& b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const int numbers = compareNumbers(a, i, b, j);
            if (numbers != 0)
                return numbers < 0;
            continue;
        }
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return j < b.size() && i >= a.size();
    // Equal by value ("a01" and "a1"): byte order keeps the order total.
    return a < b;
}

void sortNames(std::vector<std::string>& names, NameOrder order)
{
    if (order == NameOrder::Bytes)
        std::sort(names.begin(), names.end());
    else
        std::sort(names.begin(), names.end(), naturalLess);
}
