// ToolText: names and texts of the window tool (see the header).
#include "app/tool/ToolText.h"

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
    std::string text = folder + " holds no .bmp, .jpg, .jpeg, .png or .tga files of its own";
    if (subfolders == 1)
        text += "; its sub-folder is not searched (add it, or the images in it)";
    else if (subfolders > 1)
        text += "; its " + std::to_string(subfolders) + " sub-folders are not searched (add them, or the images in them)";
    return text;
}
