// Atlas save: composition, the description tree, and the two writes.
#include "app/AtlasSave.h"

#include "app/AtlasFiles.h"
#include "app/CPacker.h"
#include "image/CImage.h"
#include "image/ImageLimits.h"
#include "xml/CXMLAttribute.h"
#include "xml/CXMLDocument.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unordered_map>

namespace {

// The lower-cased four-letter ending of `path` when it names an image
// format, else "".
std::string atlasEnding(const std::string& path)
{
    if (imageFormatByEnding(path) == ImageFileFormat::None)
        return std::string();
    return lowerAscii(path.substr(path.size() - 4));
}

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
CXMLNode describeAt(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
                    const std::vector<std::int32_t>& indices)
{
    CXMLNode sprite;
    sprite.name() = "sprite";
    const std::string file = fileNameOf(atlasPath);
    addAttribute(sprite, "file", String(file.c_str()));
    addAttribute(sprite, "name", atlasFrameName(String(file.c_str())));
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

bool writeTextFile(const std::string& path, const std::string& text, std::string* error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        if (error)
            *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        if (error)
            *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}

bool atlasFormatFor(const std::string& path, std::uint32_t& channels, std::uint32_t& bitsPerPixel)
{
    const ImageFileFormat format = imageFormatByEnding(path);
    if (format == ImageFileFormat::None)
        return false;
    const bool opaque = format == ImageFileFormat::Bmp || format == ImageFileFormat::Jpeg;
    channels = opaque ? 3 : 4;
    bitsPerPixel = channels * 8;
    return true;
}

std::string atlasDescriptionPath(const std::string& atlasPath)
{
    if (atlasPath.size() < 3)
        return "xml";
    return atlasPath.substr(0, atlasPath.size() - 3) + "xml";
}

String atlasFrameName(const String& imageName)
{
    const std::uint32_t length = imageName.length();
    return length <= 4 ? String("") : imageName.substring(0, length - 4);
}

bool composeAtlas(const CPacker& packer, const std::vector<AtlasImage>& images, CImage& atlas, std::string* error)
{
    return composeAt(packer, images, entryIndices(packer, images), atlas, error);
}

CXMLNode buildAtlasDescription(const std::string& atlasPath, const CPacker& packer,
                               const std::vector<AtlasImage>& images)
{
    return describeAt(atlasPath, packer, images, entryIndices(packer, images));
}

bool saveAtlas(const std::string& atlasPath, const CPacker& packer, const std::vector<AtlasImage>& images,
               std::uint32_t width, std::uint32_t height, std::string* error)
{
    std::uint32_t channels = 0;
    std::uint32_t bitsPerPixel = 0;
    if (!atlasFormatFor(atlasPath, channels, bitsPerPixel)) {
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
    const CXMLNode description = describeAt(atlasPath, packer, images, indices);

    const std::string ending = atlasEnding(atlasPath);
    CTempFile imageFile;
    if (!imageFile.reserve(atlasPath, ending, error))
        return false;
    if (!saveImageByEnding(imageFile.path(), ending, atlas, 100, error))
        return false;

    const std::string descriptionPath = atlasDescriptionPath(atlasPath);
    CTempFile descriptionFile;
    if (!descriptionFile.reserve(descriptionPath, ".xml", error))
        return false;
    std::string text = "<?xml version=\"1.0\"?>\n\n";
    text += toStdString(CXMLDocument::toString(description, 0));
    if (!writeTextFile(descriptionFile.path(), text, error))
        return false;

    // Both complete: put them in place, image first, so a description never
    // names an atlas image that is not there yet.
    return imageFile.commit(error) && descriptionFile.commit(error);
}
