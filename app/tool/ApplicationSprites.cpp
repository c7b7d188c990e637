// Application: the sprite options (trim, alias, extrusion, bleeding,
// premultiplied alpha) between the image list, the layout, the preview and
// the save. The window prepares its images with the same engine call as the
// command line, so a save equals the command line's for the same options.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/FrameDetails.h"
#include "gui/CList.h"
#include "resources/CTexture.h"

#include <array>


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
        images.back().meta.nineSlice = image->nineSlice;
    }
    // The details a save gives them first: a nine-slice picture is not
    // trimmed, so the preview lays out what the save writes.
    assignFrameDetails(images, layoutSettings());
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
        // its square texture: the kept part of pw x ph pixels ends
        // sourceY + ph rows below the texture's top. The element's (u, v)
        // run right and up over the stored rectangle; a turned frame reads
        // the picture along the other axis, as the save stores it.
        const float pw = static_cast<float>(frame.turned != 0 ? frame.h : frame.w) / side;
        const float ph = static_cast<float>(frame.turned != 0 ? frame.w : frame.h) / side;
        const float left = static_cast<float>(frame.sourceX) / side;
        const float bottom = (side - static_cast<float>(frame.sourceY)) / side - ph;
        CMatrix& matrix = element->getMaterial().textureMatrix;
        // u' = m0 u + m4 v + m12, v' = m1 u + m5 v + m13.
        std::array<float, 6> m{pw, 0.0f, 0.0f, ph, left, bottom};
        if (frame.turned > 0)
            m = {0.0f, ph, -pw, 0.0f, left + pw, bottom};
        else if (frame.turned < 0)
            m = {0.0f, -ph, pw, 0.0f, left, bottom + ph};
        matrix.setElement(0, m[0]);
        matrix.setElement(1, m[1]);
        matrix.setElement(4, m[2]);
        matrix.setElement(5, m[3]);
        matrix.setElement(12, m[4]);
        matrix.setElement(13, m[5]);
    }
}
