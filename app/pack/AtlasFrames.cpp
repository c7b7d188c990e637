// Frames for the description writers: entries looked up once per page.
#include "app/pack/AtlasFrames.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/CPacker.h"

#include <charconv>
#include <cmath>
#include <unordered_map>

bool atlasFrames(const CPacker& packer, const std::vector<AtlasImage>& images, std::vector<AtlasFrame>& frames,
                 std::string* error)
{
    std::unordered_map<std::string, std::uint32_t> entryOf;
    entryOf.reserve(packer.count());
    for (std::uint32_t i = 0; i < packer.count(); ++i)
        entryOf.emplace(toStdString(packer.entry(i).name), i);
    frames.clear();
    frames.reserve(images.size());
    for (const AtlasImage& image : images) {
        AtlasFrame frame;
        frame.key = toStdString(image.name);
        const auto found = entryOf.find(toStdString(image.entryName()));
        if (found == entryOf.end()) {
            if (error)
                *error = "no layout for image " + frame.key;
            return false;
        }
        frame.name = toStdString(atlasFrameName(image.name));
        frame.rect = atlasFrameRect(packer.entry(found->second), image);
        frame.trimmed = image.trim.has_value();
        frame.source = image.trim ? *image.trim
                                  : AtlasTrim{0, 0, frame.rect.w, frame.rect.h, frame.rect.w, frame.rect.h};
        frame.meta = image.meta;
        frames.push_back(std::move(frame));
    }
    return true;
}

std::string decimalText(double value)
{
    if (!std::isfinite(value))
        return "0";
    if (value == 0)
        value = 0; // no "-0"
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}
