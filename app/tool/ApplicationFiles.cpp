// Application: saving the atlas and unpacking a description (see
// Application.h). Both go through the same save and unpack as the command
// line, and a failure is reported in a message box so it is never silent.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/pack/AtlasSave.h"
#include "app/pack/AtlasUnpack.h"
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
    const auto width = static_cast<std::uint32_t>(canvas->getWidth());
    const auto height = static_cast<std::uint32_t>(canvas->getHeight());

    std::string error;
    if (!saveAtlas(path, packer, savedImages(), width, height, spriteOptions.finish(), &error))
        report("The atlas was not saved.\n\n" + error);
}

void Application::unpackAtlasFile()
{
    CFileSelection selection;
    if (!fileDialog().open("Unpack atlas", {{"XML Files (*.xml)", "*.xml"}}, false, selection))
        return;
    AtlasUnpackReport result;
    if (unpackAtlas(selection.paths().front(), "", result))
        return;
    std::string text = result.error.empty() ? "Some frames were not written:\n" : "Nothing was unpacked.\n\n" + result.error;
    for (std::size_t i = 0; i < result.refused.size() && i < 12; ++i)
        text += "\n" + result.refused[i];
    if (result.refused.size() > 12)
        text += "\n... and " + std::to_string(result.refused.size() - 12) + " more.";
    report(text);
}
