// Application: saving the atlas and unpacking a description (see
// Application.h). Both go through the same save and unpack as the command
// line, and a failure is reported in a message box so it is never silent.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/AtlasUnpack.h"
#include "app/tool/StatusLine.h"
#include "framework/CFileDialog.h"
#include "resources/CTexture.h"

namespace {

// The endings of the save dialog's filters after "All Files".
const char* const filterEndings[] = {".bmp", ".jpg", ".png", ".tga"};

}

void Application::saveAtlasFile()
{
    if (packer.count() == 0)
        return;
    if (!layoutFits) {
        report("The images do not fit into one atlas of the largest size; nothing was saved.");
        return;
    }
    CFileSelection selection;
    if (!fileDialog().save("Save atlas", atlasImageFilters(), selection))
        return;
    std::string path = selection.path;
    // A name typed without an image ending takes the ending of the chosen
    // filter, or ".png" under "All Files".
    if (imageFormatByEnding(path) == ImageFileFormat::None) {
        const int filter = selection.filterIndex;
        path += filter >= 1 && filter <= 4 ? filterEndings[filter - 1] : ".png";
    }
    const std::uint32_t width = atlasSize.width;
    const std::uint32_t height = atlasSize.height;

    // The images in the order they were added, each found by the texture
    // its preview element shows.
    std::vector<AtlasImage> images;
    for (std::uint32_t i = 0; i < preview.getCount(); ++i) {
        CGUI* element = preview.getElement(i);
        const CMaterial& material = element->getMaterial();
        const CImage* image = nullptr;
        for (std::uint32_t k = 0; k < textures.getCount() && image == nullptr; ++k) {
            auto* texture = dynamic_cast<CTexture*>(textures.getResource(k));
            if (texture != nullptr && !material.textures.empty() && texture->getTextureId() == material.textures[0] &&
                texture->getName() == element->getName())
                image = texture;
        }
        images.push_back({element->getName(), image});
    }
    std::string error;
    if (!saveAtlas(path, packer, images, width, height, &error)) {
        report("The atlas was not saved.\n\n" + error);
        return;
    }
    const AtlasOutput output = AtlasOutput::parse(path);
    setStatusMessage(StatusLine::saved(output.fileName, fileNameOf(output.descriptionPath()), width, height,
                                       packer.count()));
}

void Application::unpackAtlasFile()
{
    CFileSelection selection;
    if (!fileDialog().open("Unpack atlas", {{"XML Files (*.xml)", "*.xml"}}, false, selection))
        return;
    AtlasUnpackReport result;
    const std::string description = selection.paths().front();
    const bool complete = unpackAtlas(description, "", result);
    if (!result.written.empty()) {
        const std::string folder = folderOf(description);
        setStatusMessage(StatusLine::unpacked(result.written.size(), folder.empty() ? "the current folder" : folder));
    }
    if (complete)
        return;
    std::string text = result.error.empty() ? "Some frames were not written:\n" : "Nothing was unpacked.\n\n" + result.error;
    for (std::size_t i = 0; i < result.refused.size() && i < 12; ++i)
        text += "\n" + result.refused[i];
    if (result.refused.size() > 12)
        text += "\n... and " + std::to_string(result.refused.size() - 12) + " more.";
    report(text);
}
