// OptionValues: the typed-value readers (see the header).
#include "app/pack/OptionValues.h"

#include "app/pack/ScaleVariants.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

bool parseScaleFactor(const std::string& factor, double& value)
{
    const std::size_t dot = factor.find('.');
    const bool digits = !factor.empty() && factor.find_first_not_of("0123456789.") == std::string::npos &&
                        factor.find('.', dot == std::string::npos ? 0 : dot + 1) == std::string::npos &&
                        factor != "." && (dot == std::string::npos || factor.size() - dot - 1 <= 6);
    if (!digits)
        return false;
    const double read = std::strtod(factor.c_str(), nullptr);
    if (!(read > 0 && read <= 16) || scaleFractionOf(read).num == 0)
        return false;
    value = read;
    return true;
}

std::string defaultScaleSuffix(const std::string& factorText, double value)
{
    return value == 1.0 ? std::string() : "@" + factorText + "x";
}

std::string addScaleVariant(std::vector<ScaleVariant>& variants, const ScaleVariant& variant)
{
    if (variant.suffix.find_first_of("/\\") != std::string::npos)
        return "the scale suffix \"" + variant.suffix + "\" holds a folder separator";
    // A control character (a line break, a NUL that would cut the path
    // short) has no place in a file name.
    if (std::any_of(variant.suffix.begin(), variant.suffix.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
        return "the scale suffix holds a control character";
    for (const ScaleVariant& earlier : variants) {
        if (earlier.suffix == variant.suffix)
            return "two scale variants would both be written with the suffix \"" + variant.suffix + "\"";
    }
    variants.push_back(variant);
    return std::string();
}

bool parsePivot(const std::string& text, SpritePivot& pivot)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos)
        return false;
    const auto number = [](const std::string& part, double& value) {
        const char* end = part.data() + part.size();
        const auto result = std::from_chars(part.data(), end, value);
        return !part.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(value) &&
               std::fabs(value) <= largestPivot;
    };
    SpritePivot read;
    if (!number(text.substr(0, comma), read.x) || !number(text.substr(comma + 1), read.y))
        return false;
    pivot = read;
    return true;
}

bool parseColour(const std::string& text, std::uint32_t& colour)
{
    const std::string digits = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    if (digits.size() != 6 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return false;
    colour = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    return true;
}
