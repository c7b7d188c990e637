// ToolText: names and texts of the window tool (see the header).
#include "app/tool/ToolText.h"

#include "app/pack/OptionValues.h"
#include "app/pack/ScaleVariants.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string singleFileName(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos || separator + 1 == path.size())
        return path;
    return path.substr(separator + 1);
}

std::uint32_t wholeSpacing(float value)
{
    const float truncated = std::trunc(value);
    // NaN fails the comparison and counts as 0 too.
    if (!(truncated > 0.0f))
        return 0;
    return truncated >= 4294967295.0f ? 0xFFFFFFFFu : static_cast<std::uint32_t>(truncated);
}

std::string spacingLabel(std::uint32_t spacing)
{
    return std::to_string(spacing) + " px";
}

std::string alreadyInListProblem(const std::string& path, const std::string& name, const std::string& existingFile)
{
    if (path == existingFile)
        return path + " is already in the list.";
    return path + " was not added: the name " + name + " is already in the list (from " + existingFile + ").";
}

std::string addReport(const std::vector<std::string>& passedOver, const std::vector<std::string>& problems)
{
    std::string text;
    if (!passedOver.empty()) {
        constexpr std::size_t named = 3;
        const std::size_t count = passedOver.size();
        text = count == 1 ? "1 image already in the list was passed over"
                          : std::to_string(count) + " images already in the list were passed over";
        text += " (";
        for (std::size_t i = 0; i < count && i < named; ++i) {
            if (i > 0)
                text += ", ";
            text += passedOver[i];
        }
        text += count > named ? ", ...)." : ").";
    }
    if (problems.empty())
        return text;
    if (!text.empty())
        text += "\n\n";
    constexpr std::size_t shown = 12;
    text += problems.size() == 1 ? "One file was not added:\n"
                                 : std::to_string(problems.size()) + " files were not added:\n";
    for (std::size_t i = 0; i < problems.size() && i < shown; ++i)
        text += "\n" + problems[i];
    if (problems.size() > shown)
        text += "\n... and " + std::to_string(problems.size() - shown) + " more.";
    return text;
}

std::string emptyFolderProblem(const std::string& folder, std::size_t subfolders)
{
    std::string text = folder + " holds no .bmp, .jpg, .jpeg, .png, .tga or .webp files of its own";
    if (subfolders == 1)
        text += "; its sub-folder is not searched (tick Include subfolders, or add it)";
    else if (subfolders > 1)
        text += "; its " + std::to_string(subfolders) + " sub-folders are not searched (tick Include subfolders, or add them)";
    return text;
}

std::string scaleListText(const std::vector<ScaleVariant>& variants)
{
    std::string text;
    for (const ScaleVariant& variant : variants) {
        const std::string factor = scaleText(variant.factor);
        text += (text.empty() ? "" : ", ") + factor;
        if (variant.suffix != defaultScaleSuffix(factor, variant.factor))
            text += " " + (variant.suffix.empty() ? std::string("\"\"") : variant.suffix);
    }
    return text;
}

std::string parseScaleList(const std::string& text, std::vector<ScaleVariant>& variants)
{
    variants.clear();
    const auto trimmed = [](const std::string& part) {
        const std::size_t first = part.find_first_not_of(" \t");
        const std::size_t last = part.find_last_not_of(" \t");
        return first == std::string::npos ? std::string() : part.substr(first, last - first + 1);
    };
    if (trimmed(text).empty())
        return std::string();
    std::vector<ScaleVariant> read;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = trimmed(text.substr(start, comma - start));
        start = comma + 1;
        if (item.empty())
            return "an item between commas is empty";
        const std::size_t space = item.find_first_of(" \t");
        const std::string factor = item.substr(0, space);
        ScaleVariant variant;
        if (!parseScaleFactor(factor, variant.factor))
            return "\"" + factor + "\" is not a factor above 0 and up to 16 (at most six decimals)";
        const std::string suffix = space == std::string::npos ? std::string() : trimmed(item.substr(space));
        variant.suffix = space == std::string::npos ? defaultScaleSuffix(factor, variant.factor)
                         : suffix == "\"\""          ? std::string()
                                                     : suffix;
        if (const std::string problem = addScaleVariant(read, variant); !problem.empty())
            return problem;
    }
    variants = std::move(read);
    return std::string();
}
