// Application: the sprite options (trim, alias, extrusion, bleeding,
// premultiplied alpha) between the image list, the layout, the preview and
// the save. The window prepares its images with the same engine call as the
// command line, so a save equals the command line's for the same options.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "gui/CList.h"
#include "resources/CTexture.h"

#include <unordered_map>

std::vector<LayoutImage> Application::prepareLayoutImages()
{
    // List order is the packing order, so the first of identical images in
    // the list owns their shared picture, as on the command line.
    std::vector<AtlasImage> images;
    for (std::uint32_t i = 0; i < list->getRowCount(); ++i) {
        const CGUI* element = preview.find(list->getCellText(i, 0));
        if (element == nullptr)
            continue;
        const auto* texture = dynamic_cast<const CTexture*>(textures.find(element->getName()));
        images.push_back({element->getName(), texture});
    }
    sprites = prepareSprites(images, spriteOptions);
    return sprites.pictures;
}

void Application::placePreviewElements()
{
    std::unordered_map<std::string, const AtlasImage*> byName;
    for (const AtlasImage& image : sprites.images)
        byName.emplace(toStdString(image.name), &image);
    for (std::uint32_t i = 0; i < preview.getCount(); ++i) {
        CGUI* element = preview.getElement(i);
        const auto found = byName.find(toStdString(element->getName()));
        if (found == byName.end())
            continue;
        const AtlasImage& image = *found->second;
        // The packer holds the first page; images on later pages are hidden.
        const std::int32_t index = packer.findEntry(image.entryName());
        element->setVisible(index >= 0);
        if (index < 0)
            continue;
        // The element shows the whole image, so a trimmed one is put where
        // its kept part lands on the frame; its margins are transparent.
        const AtlasFrameRect frame = atlasFrameRect(packer.entry(static_cast<std::uint32_t>(index)), image);
        const float x = static_cast<float>(frame.x - (image.trim ? image.trim->x : 0));
        const float y = static_cast<float>(frame.y - (image.trim ? image.trim->y : 0));
        element->setPosition(x, y);
    }
}

std::vector<AtlasImage> Application::savedImages() const
{
    // The frames follow the order in which the images were added.
    std::unordered_map<std::string, const AtlasImage*> byName;
    for (const AtlasImage& image : sprites.images)
        byName.emplace(toStdString(image.name), &image);
    std::vector<AtlasImage> images;
    for (std::uint32_t i = 0; i < preview.getCount(); ++i) {
        const CGUI* element = preview.getElement(i);
        const auto found = byName.find(toStdString(element->getName()));
        images.push_back(found != byName.end() ? *found->second : AtlasImage(element->getName(), nullptr));
    }
    return images;
}

std::vector<AtlasImage> Application::savedPageImages(std::uint32_t page) const
{
    std::unordered_map<std::string, bool> onPage;
    for (const AtlasImage& image : sprites.pageImages(atlasLayout, page))
        onPage.emplace(toStdString(image.name), true);
    std::vector<AtlasImage> images;
    for (const AtlasImage& image : savedImages()) {
        if (onPage.count(toStdString(image.name)) != 0)
            images.push_back(image);
    }
    return images;
}
