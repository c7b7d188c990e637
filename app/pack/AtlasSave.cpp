// Atlas save: composition, the description tree, and the two writes.
#include "app/pack/AtlasSave.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/CPacker.h"
#include "core/CSafeWriter.h"
#include "image/CImage.h"
#include "image/ImageLimits.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLWriter.h"

#include <unordered_map>

namespace {

void addAttribute(CXMLNode& node, const char* name, const String& value)
{
    node.addAttribute(CXMLAttribute(name, value));
}

void addAttribute(CXMLNode& node, const char* name, std::int32_t value)
{
    CXMLAttribute attribute(name, "");
    attribute.setValue(value);
    node.addAttribute(attribute);
}

// For each image, the index of the first packer entry with its name (as
// findEntry gives it), or -1; one pass instead of a search per image.
std::vector<std::int32_t> entryIndices(const CPacker& packer, const std::vector<AtlasImage>& images)
{
    std::unordered_map<std::string, std::int32_t> firstIndex;
    firstIndex.reserve(packer.count());
    for (std::uint32_t i = 0; i < packer.count(); ++i)
        firstIndex.emplace(toStdString(packer.entry(i).name), static_cast<std::int32_t>(i));
    std::vector<std::int32_t> indices;
    indices.reserve(images.size());
    for (const AtlasImage& image : images) {
        const auto found = firstIndex.find(toStdString(image.name));
        indices.push_back(found == firstIndex.end() ? -1 : found->second);
    }
    return indices;
}

// composeAtlas with the entry indices already looked up.
bool composeAt(const CPacker& packer, const std::vector<AtlasImage>& images, const std::vector<std::int32_t>& indices,
               CImage& atlas, std::string* error)
{
    for (std::size_t i = 0; i < images.size(); ++i) {
        const AtlasImage& image = images[i];
        const std::int32_t index = indices[i];
        if (index < 0 || !image.image) {
            if (error)
                *error = "no layout for image " + toStdString(image.name);
            return false;
        }
        const PackEntry& entry = packer.entry(static_cast<std::uint32_t>(index));
        atlas.blit(*image.image, static_cast<std::uint32_t>(entry.x), static_cast<std::uint32_t>(entry.y));
    }
    return true;
}

// buildAtlasDescription with the entry indices already looked up.
CXMLNode describeAt(const AtlasOutput& output, const CPacker& packer, const std::vector<AtlasImage>& images,
                    const std::vector<std::int32_t>& indices)
{
    CXMLNode sprite;
    sprite.name() = "sprite";
    addAttribute(sprite, "file", String(output.fileName.c_str()));
    addAttribute(sprite, "name", String(output.stem.c_str()));
    for (std::size_t i = 0; i < images.size(); ++i) {
        const AtlasImage& image = images[i];
        const std::int32_t index = indices[i];
        if (index < 0)
            continue;
        const PackEntry& entry = packer.entry(static_cast<std::uint32_t>(index));
        CXMLNode frame;
        frame.name() = "frame";
        addAttribute(frame, "name", atlasFrameName(image.name));
        addAttribute(frame, "x", entry.x);
        addAttribute(frame, "y", entry.y);
        addAttribute(frame, "w", entry.width);
        addAttribute(frame, "h", entry.height);
        sprite.addChild(frame);
    }
    return sprite;
}

}

bool atlasFormatFor(const std::string& path, std::uint32_t& channels, std::uint32_t& bitsPerPixel)
{
    return AtlasOutput::parse(path).atlasFormat(channels, bitsPerPixel);
}

std::string atlasDescriptionPath(const std::string& atlasPath)
{
    return AtlasOutput::parse(atlasPath).descriptionPath();
}

String atlasFrameName(const String& imageName)
{
    const std::uint32_t length = imageName.length();
    // ".jpeg", the one five-letter ending the command line reads, goes whole.
    const std::uint32_t ending = length > 5 && lowerAscii(toStdString(imageName).substr(length - 5)) == ".jpeg" ? 5 : 4;
    return length <= ending ? String("") : imageName.substring(0, length - ending);
}

bool composeAtlas(const CPacker& packer, const std::vector<AtlasImage>& images, CImage& atlas, std::string* error)
{
    return composeAt(packer, images, entryIndices(packer, images), atlas, error);
}

CXMLNode buildAtlasDescription(const std::string& atlasPath, const CPacker& packer,
                               const std::vector<AtlasImage>& images)
{
    return describeAt(AtlasOutput::parse(atlasPath), packer, images, entryIndices(packer, images));
}

bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, std::string* error,
               const CParallelDeflate::Progress& progress)
{
    const AtlasOutput output = AtlasOutput::parse(atlasPath);
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!output.atlasFormat(channels, bitsPerPixel)) {
        if (error)
            *error = "the atlas name " + atlasPath + " does not end with .bmp, .jpg, .png or .tga";
        return false;
    }
    if (!checkImageSize(width, height, "atlas", error))
        return false;

    CImage atlas;
    atlas.create(width, height, channels, bitsPerPixel);
    const std::vector<std::int32_t> indices = entryIndices(packer, images);
    if (!composeAt(packer, images, indices, atlas, error))
        return false;
    const CXMLNode description = describeAt(output, packer, images, indices);

    // Both files are complete before either is put in place, so a failure
    // up to then (the image cannot be written, say) changes neither.
    CSafeWriter imageFile;
    if (!imageFile.open(output.path, error) ||
        !writeImageStream(imageFile.stream(), output.format, atlas, 100, error, progress))
        return false;
    CSafeWriter descriptionFile;
    const std::string text = CXMLWriter::fileText(description);
    if (!descriptionFile.open(output.descriptionPath(), error))
        return false;
    if (!descriptionFile.write(text.data(), text.size()))
        return descriptionFile.commit(error); // reports the failed write; nothing is put in place
    // The image goes first, so a description never names an image that is
    // not there yet.
    return imageFile.commit(error) && descriptionFile.commit(error);
}
