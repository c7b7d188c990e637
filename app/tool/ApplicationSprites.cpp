// Application: the sprite options (trim, alias, extrusion, bleeding,
// premultiplied alpha) between the image list, the layout, the preview and
// the save. The window prepares its images with the same engine call as the
// command line, so a save equals the command line's for the same options.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "gui/CList.h"
#include "resources/CTexture.h"


std::vector<LayoutImage> Application::prepareLayoutImages()
{
    // List order is the packing order, so the first of identical images in
    // the list owns their shared picture, as on the command line.
    std::vector<AtlasImage> images;
    for (std::uint32_t i = 0; i < list->getRowCount(); ++i) {
        const CImageIndex::Entry* image = this->images.find(list->getCellText(i, 0));
        if (image == nullptr)
            continue;
        images.push_back({image->element->getName(), image->texture});
    }
    sprites = prepareSprites(images, spriteOptions);
    return sprites.pictures;
}

void Application::placePreviewElements()
{
    // Elements of images on other pages are hidden; each shown one covers
    // its frame and shows only the kept part of its image, so a trimmed
    // image's transparent margins cover none of its neighbours.
    for (std::uint32_t i = 0; i < preview.getCount(); ++i)
        preview.getElement(i)->setVisible(false);
    for (const PreviewFrame& frame : frames.all()) {
        const CImageIndex::Entry* image = images.find(String(frame.name.c_str()));
        if (image == nullptr)
            continue;
        CGUI* element = image->element;
        element->setVisible(true);
        element->setPosition(static_cast<float>(frame.x), static_cast<float>(frame.y));
        element->storeSize(static_cast<float>(frame.w), static_cast<float>(frame.h));
        const float side = static_cast<float>(image->texture->getTextureSize());
        if (side <= 0.0f)
            continue;
        // Texture rows run bottom-up and the image fills the top rows of
        // its square texture: the kept part ends sourceY + h rows below
        // the texture's top.
        CMatrix& matrix = element->getMaterial().textureMatrix;
        matrix.setElement(0, static_cast<float>(frame.w) / side);
        matrix.setElement(5, static_cast<float>(frame.h) / side);
        matrix.setElement(12, static_cast<float>(frame.sourceX) / side);
        matrix.setElement(13, (side - static_cast<float>(frame.sourceY + frame.h)) / side);
    }
}
