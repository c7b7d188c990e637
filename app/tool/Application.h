// Application: the window tool. One 800 x 600 borderless window with the
// atlas preview on the left and the controls on the right.
//
// The screen comes from Quiltforger/gui.xml and the tool's images and fonts
// from Quiltforger/resources.xml; the data folder is looked for in the
// working directory, next to the executable and in the installed data folder.
// Each atlas image lives in four places keyed by its name: a row of the image
// list, a texture in `textures` (pixels kept for the save), a preview element
// in `preview` (a child of the canvas) and, rebuilt on every relayout, a
// packer entry. The list's order is the packing order; `preview` keeps the
// order the images were added, which is the frame order of a saved
// description.
//
// A person has to learn why nothing happened, so every failure is reported in
// a message box (an image that cannot be read, a name already in the list, a
// save or unpack that failed, missing data). Images whose names end in
// capitals are read, files and folders dropped on the window or named on the
// command line are added like a multiple selection, and paths keep their case.
#pragma once

#include "app/pack/CPacker.h"
#include "app/pack/SpriteSheet.h"
#include "core/CMatrix.h"
#include "core/CSlotList.h"
#include "framework/CAppGL.h"
#include "gui/CGUIManager.h"
#include "resources/CResourceManager.h"

#include <string>
#include <vector>

struct CFileFilter;

class CButton;
class CCheckBox;
class CControlBar;
class CFont;
class CGUI;
class CInputMap;
class CList;
class CScroll;

// The filter list of the image dialogs (add and save).
const std::vector<CFileFilter>& atlasImageFilters();

class Application : public CAppGL {
public:
    Application();
    ~Application() override;

    // startUp, then the main loop; always 0.
    int main(int argumentCount, char** arguments) override;
    // Everything main does before the loop: the window, the projection, the
    // data, the screen, the canvas, the handlers and the startup paths.
    // False (after a message, when there is something to say) when the tool
    // cannot run.
    bool startUp();
    void draw() override;

    // Images and folders to add once the screen is up (the command line).
    void setStartupPaths(const std::vector<std::string>& paths) { startupPaths = paths; }

    // The operations behind the controls, public for benchmarks. Each takes
    // its input from the file dialog in use (framework/CFileDialog.h).
    void addImages();
    void removeImage();
    void moveImageUp();
    void moveImageDown();
    void newAtlas();
    void saveAtlasFile();
    void unpackAtlasFile();
    void relayout();
    // Adds the images at these paths (folders add their image files in name
    // order), under their file names as given, then relayouts once and
    // reports every file that was not added in one message.
    void addPaths(const std::vector<std::string>& paths);

    // The sprite options the options panel sets; a relayout applies them.
    SpriteOptions& getSpriteOptions() { return spriteOptions; }

    // Read access for tests and benchmarks.
    CPacker& getPacker() { return packer; }
    CResourceManager& getTextures() { return textures; }
    CGUIManager& getGui() { return gui; }
    CGUIManager& getPreview() { return preview; }
    CGUI* getCanvas() { return canvas; }
    CList* getList() { return list; }

    // The folder the data was read from (empty before main finds it).
    const std::string& getDataFolder() const { return dataFolder; }

private:
    struct ImageFile {
        std::string path;
        String name;
    };

    bool loadScreen();
    bool findControls();
    void connectHandlers();
    // Adds one image after the duplicate and decode checks; false with the
    // reason in `problem`.
    bool addImage(const std::string& path, const String& name, std::string& problem);
    // Adds the files, relayouts once, reports the problems.
    void addFiles(const std::vector<ImageFile>& files);
    void report(const std::string& text);
    void updateHint();

    // The sprite options between list, layout, preview and save
    // (ApplicationSprites.cpp): the list's images prepared for the layout,
    // the preview elements put on their frames after it, and the images as
    // the save takes them, in the order they were added.
    std::vector<LayoutImage> prepareLayoutImages();
    void placePreviewElements();
    std::vector<AtlasImage> savedImages() const;

    void drawVisiblePreview();
    void canvasDragCheck(float x, float y);
    void chooseAutoPack();
    void choosePackRight();
    void choosePackDown();
    void choosePackMode(CCheckBox* clicked, CCheckBox* first, CCheckBox* second, PackMode mode);
    void chooseAlignment();
    void setSpacing(float value);
    void moveWindow(int dx, int dy);
    void minimise();
    void toggleFullscreen();
    void quit();
    void keyPressed(CInputMap& input);
    void filesDropped(const std::vector<std::string>& paths);

    // Members in the order the tool has always kept them.
    float savedCanvasPos[2] = {0.0f, 20.0f};
    CPacker packer;
    SpriteOptions spriteOptions;
    SpriteSheet sprites; // the images as the last relayout prepared them
    CResourceManager toolResources;
    CResourceManager textures;
    CButton* btnNew = nullptr;
    CButton* btnAdd = nullptr;
    CButton* btnSub = nullptr;
    CButton* btnUp = nullptr;
    CButton* btnDown = nullptr;
    CButton* btnSave = nullptr;
    CButton* btnUnpack = nullptr;
    CCheckBox* cboxAutoPack = nullptr;
    CCheckBox* cboxPackRight = nullptr;
    CCheckBox* cboxPackDown = nullptr;
    CCheckBox* cboxPackCenter = nullptr;
    CCheckBox* cboxTightPack = nullptr;
    CScroll* spaceScroll = nullptr;
    CFont* fontSpaceValue = nullptr;
    CList* list = nullptr;
    CControlBar* control = nullptr;
    CGUIManager gui;
    CGUIManager preview;
    CGUIManager backgroundGui;
    CGUI* canvas = nullptr;
    CMatrix camera;
    CMatrix canvasTextureMatrix;
    std::string dataFolder;
    std::vector<std::string> startupPaths;
    CGUI* hint = nullptr;  // optional text over the empty preview
    bool layoutFits = true; // the last relayout found an atlas size
    bool revertingMode = false; // the title bar is being put back to windowed
    // Declared last so that it is destroyed first: every handler connection
    // goes before the managers and controls it points into.
    CSlotList connections;
};
