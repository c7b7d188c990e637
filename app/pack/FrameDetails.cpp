// Frame details: per-sprite settings looked up by frame name, sequences found
// once over all names.
#include "app/pack/FrameDetails.h"

#include "app/pack/AnimationSequences.h"
#include "app/pack/AtlasFiles.h"
#include "image/CImage.h"

namespace {

std::vector<std::string> frameNamesOf(const std::vector<AtlasImage>& images)
{
    std::vector<std::string> names;
    names.reserve(images.size());
    for (const AtlasImage& image : images)
        names.push_back(toStdString(atlasFrameName(image.name)));
    return names;
}

// Why `slice` cannot be the borders of a width x height picture, or "".
std::string sliceProblem(const NineSlice& slice, std::int64_t width, std::int64_t height)
{
    const auto inside = [](std::int32_t a, std::int32_t b, std::int64_t size) {
        return a >= 0 && b >= 0 && std::int64_t(a) + b <= size;
    };
    if (!inside(slice.left, slice.right, width) || !inside(slice.top, slice.bottom, height))
        return "its nine-slice borders do not fit inside its " + std::to_string(width) + "x" +
               std::to_string(height) + " picture";
    if (slice.pad && (!inside((*slice.pad)[0], (*slice.pad)[1], width) || !inside((*slice.pad)[2], (*slice.pad)[3], height)))
        return "its nine-slice padding does not fit inside its " + std::to_string(width) + "x" +
               std::to_string(height) + " picture";
    return std::string();
}

}

std::string assignFrameDetails(std::vector<AtlasImage>& images, const PackSettings& settings)
{
    const std::vector<std::string> names = frameNamesOf(images);
    std::vector<FrameMeta> metas;
    metas.reserve(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        FrameMeta meta = images[i].meta;
        meta.animation.clear();
        meta.index = -1;
        meta.pivot = settings.pivot;
        const auto own = settings.perSprite.find(names[i]);
        if (own != settings.perSprite.end()) {
            if (own->second.pivot)
                meta.pivot = own->second.pivot;
            if (own->second.nineSlice)
                meta.nineSlice = own->second.nineSlice;
        }
        if (meta.nineSlice && images[i].image) {
            const std::string problem =
                sliceProblem(*meta.nineSlice, images[i].image->getWidth(), images[i].image->getHeight());
            if (!problem.empty())
                return "frame \"" + names[i] + "\": " + problem;
        }
        metas.push_back(std::move(meta));
    }
    if (settings.animations) {
        for (const AnimationSequence& sequence : findAnimations(names)) {
            for (std::size_t k = 0; k < sequence.frames.size(); ++k) {
                metas[sequence.frames[k]].animation = sequence.name;
                metas[sequence.frames[k]].index = sequence.numbers[k];
            }
        }
    }
    for (std::size_t i = 0; i < images.size(); ++i)
        images[i].meta = std::move(metas[i]);
    return std::string();
}

std::size_t animationCount(const std::vector<AtlasImage>& images)
{
    return findAnimations(frameNamesOf(images)).size();
}
