// CPreviewFrames: frames from the page's packer entries and the images'
// trim and extrusion.
#include "app/tool/CPreviewFrames.h"

#include "app/pack/AtlasFiles.h"

void CPreviewFrames::build(const std::vector<AtlasImage>& images, const CPacker& pagePacker, bool counterClockwise)
{
    clear();
    std::unordered_map<std::string, std::uint32_t> entries;
    entries.reserve(pagePacker.count());
    for (std::uint32_t i = 0; i < pagePacker.count(); ++i)
        entries.emplace(toStdString(pagePacker.entry(i).name), i);
    frames.reserve(images.size());
    for (const AtlasImage& image : images) {
        const auto entry = entries.find(toStdString(image.entryName()));
        if (entry == entries.end())
            continue;
        const PackEntry& packed = pagePacker.entry(entry->second);
        const AtlasFrameRect rect = atlasFrameRect(packed, image);
        PreviewFrame frame;
        frame.name = toStdString(image.name);
        frame.x = rect.x;
        frame.y = rect.y;
        frame.w = rect.w;
        frame.h = rect.h;
        frame.sourceX = image.trim ? image.trim->x : 0;
        frame.sourceY = image.trim ? image.trim->y : 0;
        frame.turned = packed.rotated == 0 ? 0 : counterClockwise ? -1 : packed.rotated;
        frame.image = image.image;
        byName.emplace(frame.name, frames.size());
        frames.push_back(std::move(frame));
    }
}

void CPreviewFrames::clear()
{
    frames.clear();
    byName.clear();
}

const PreviewFrame* CPreviewFrames::find(const std::string& name) const
{
    const auto found = byName.find(name);
    return found != byName.end() ? &frames[found->second] : nullptr;
}

const PreviewFrame* CPreviewFrames::at(float ax, float ay) const
{
    for (const PreviewFrame& frame : frames) {
        if (frame.contains(ax, ay))
            return &frame;
    }
    return nullptr;
}
