// StatusLine: number grouping and the status texts.
#include "app/tool/StatusLine.h"

#include <cstdio>

namespace StatusLine {

namespace {

const std::string times = " \xC3\x97 "; // " × "
// Single spaces around the dots, so the summary, the page control and the
// coverage fit the smallest window's status line.
const std::string dot = " \xC2\xB7 "; // " · "

std::string size(std::uint32_t width, std::uint32_t height)
{
    return std::to_string(width) + times + std::to_string(height);
}

// A long name keeps its start and its ending (the extension and a frame
// number tell images apart) with "…" between, cut at characters.
std::string shortName(const std::string& name)
{
    constexpr std::size_t longest = 48;
    std::vector<std::size_t> starts; // byte offset of each character
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    }
    if (starts.size() <= longest)
        return name;
    const std::size_t head = longest - 16;
    return name.substr(0, starts[head]) + "\xE2\x80\xA6" + name.substr(starts[starts.size() - 15]);
}

std::string count(std::uint64_t value, const char* one, const char* many)
{
    return groupedNumber(value) + " " + (value == 1 ? one : many);
}

}

std::string groupedNumber(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

bool exceedsDeviceLimit(std::uint32_t width, std::uint32_t height)
{
    return width > deviceSideLimit || height > deviceSideLimit;
}

std::string atlasSummary(std::uint32_t width, std::uint32_t height, std::uint32_t images, std::uint32_t pages,
                         std::uint64_t coveredPixels, std::uint64_t canvasPixels, std::uint32_t animations)
{
    if (images == 0)
        return std::string();
    std::string text = size(width, height) + dot + count(images, "image", "images");
    if (pages > 1)
        text += ", " + count(pages, "page", "pages");
    if (animations > 0)
        text += dot + count(animations, "animation", "animations");
    const double area = canvasPixels > 0 ? double(canvasPixels) : double(width) * double(height);
    if (area > 0.0) {
        const double percent = 100.0 * double(coveredPixels) / area;
        char buffer[32];
        std::snprintf(buffer, sizeof(buffer), "%.1f %% covered", percent);
        text += dot + buffer;
    }
    return text;
}

std::string sideWarning(std::uint32_t width, std::uint32_t height)
{
    if (!exceedsDeviceLimit(width, height))
        return std::string();
    return dot + "over " + std::to_string(deviceSideLimit) + " px: many devices refuse it";
}

std::string saved(const std::string& imageName, const std::string& descriptionName, std::uint32_t width,
                  std::uint32_t height, std::uint32_t images)
{
    return "Saved " + imageName + " and " + descriptionName + ": " + size(width, height) + ", " +
           count(images, "image", "images");
}

std::string tooLarge(std::size_t images, std::uint32_t largestSide)
{
    return count(images, "image is", "images are") + " larger than the largest side (" +
           std::to_string(largestSide) + " px)";
}

std::string tooLarge(const std::vector<std::string>& names, std::uint32_t largestSide)
{
    if (names.empty())
        return std::string();
    constexpr std::size_t named = 2;
    std::string list = names[0];
    if (names.size() == 2) {
        list += " and " + names[1];
    } else if (names.size() > 2) {
        for (std::size_t i = 1; i < named; ++i)
            list += ", " + names[i];
        list += " and " + groupedNumber(names.size() - named) + " more";
    }
    return list + (names.size() == 1 ? " is" : " are") + " larger than the largest side (" +
           std::to_string(largestSide) + " px)";
}

std::string pageControl(std::uint32_t page, std::uint32_t pages)
{
    // "◀ Page 2 of 3 ▶"
    return "\xE2\x97\x80 Page " + std::to_string(page + 1) + " of " + std::to_string(pages) + " \xE2\x96\xB6";
}

std::string savedPages(const std::string& firstName, const std::string& lastName, std::uint32_t pages,
                       std::uint32_t images)
{
    return "Saved " + std::to_string(pages) + " pages, " + firstName + " to " + lastName +
           ", each with its description: " + count(images, "image", "images");
}

std::string adding(std::size_t done, std::size_t total)
{
    return "Adding images: " + groupedNumber(done) + " of " + groupedNumber(total) + " read";
}

std::string unpacked(std::size_t frames, const std::string& folder)
{
    return "Unpacked " + count(frames, "frame", "frames") + " into " + folder;
}

std::string imageAt(const std::string& name, std::int32_t width, std::int32_t height, std::int32_t x, std::int32_t y,
                    bool turned)
{
    return shortName(name) + "  " + std::to_string(width) + times + std::to_string(height) + " at " + std::to_string(x) + ", " +
           std::to_string(y) + (turned ? ", turned" : "");
}

}
