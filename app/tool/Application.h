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

#include "app/pack/AtlasLayout.h"
#include "app/pack/CPacker.h"
#include "app/pack/PackSettings.h"
#include "app/pack/SpriteSheet.h"
#include "app/tool/CAtlasPreview.h"
#include "app/tool/CImageIndex.h"
#include "app/tool/COptionsPanel.h"
#include "app/tool/CPreviewFrames.h"
#include "app/tool/CProjectDocument.h"
#include "app/tool/Shortcuts.h"
#include "app/tool/ToolSettings.h"
#include "core/CMatrix.h"
#include "core/CSlotList.h"
#include "framework/CAppGL.h"
#include "framework/CTimer.h"
#include "gui/CGUIManager.h"
#include "resources/CResourceManager.h"

#include <memory>
#include <string>
#include <vector>

struct CFileFilter;

class CButton;
class CCheckBox;
class CCombo;
class CControlBar;
class CFont;
class CGUI;
class CInputMap;
class CList;
class CScroll;
class CTexture;

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
    // Closing the window asks first when there are unsaved changes.
    bool queryClose() override;
    // A pointer move within the preview draws a frame only when the hover
    // text changes (ApplicationPreview.cpp).
    bool messageChangesFrame(const CWindowMessage& message) override;

    // The preview area in window pixels: left of the controls, between the
    // title bar and the status line; it grows with the window. All preview
    // code reads it.
    using Area = PreviewArea;
    Area previewArea() const;

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
    // Reads a saved description and its atlas back into the list, one image
    // per frame in the description's order, to edit and save again.
    void openAtlasFile();
    bool openAtlas(const std::string& descriptionPath);
    // Projects (CProjectDocument): Save project writes the list and every
    // option to the project file (asking for one the first time); opening
    // one starts over with its options and inputs.
    void saveProjectFile();
    bool openProject(const std::string& path);
    // Every option in force and the list as a project holds them: the
    // images' files in list order, the frame order when the images were
    // added in another, the atlas last saved.
    PackSettings packSettings() const;
    // Sets every option's control from `settings` (no images change).
    void applyPackSettings(const PackSettings& settings);
    COptionsPanel& getOptionsPanel() { return optionsPanel; }
    const CProjectDocument& getDocument() const { return document; }
    void relayout();
    // Runs a keyboard command (Shortcuts.h).
    void runCommand(ToolCommand command);
    // True when the list holds changes not saved since the last save, New
    // or Open.
    bool hasUnsavedChanges() const { return unsavedChanges; }
    // The settings in force (kept in toolSettingsPath()).
    const ToolSettings& getSettings() const { return settings; }
    // Adds the images at these paths, then relayouts once and reports every
    // file that was not added in one message. Folders add their image files
    // as the command line and a project take them, with the folder options
    // in force (subfolders, sort order, names by path below the folder).
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

    CAtlasPreview& getView() { return view; }
    // The status line's text as drawn (empty before start-up).
    std::string getStatusText() const;
    // Zoom keeping the atlas point under (x, y) in place (window pixels).
    void zoomPreview(float zoom, float x, float y);

    // The folder the data was read from (empty before main finds it).
    const std::string& getDataFolder() const { return dataFolder; }

private:
    struct ImageFile {
        std::string path;
        String name;
        std::string folder; // the folder input it was found in, "" for a file
    };

    bool loadScreen();
    bool findControls();
    void connectHandlers();
    // Adds one image after the duplicate and decode checks (a nine-patch
    // loses its guides, NinePatch.h); false with the reason in `problem`
    // (empty when the image is in the list already).
    bool addImage(const ImageFile& file, std::string& problem);
    // Adds a decoded image under `name`, read from `file` (found in the
    // folder input `folder`, with the nine-slice its guides gave).
    void addTexture(std::unique_ptr<CTexture> texture, const String& name, const std::string& file,
                    const std::string& folder = {}, const std::optional<NineSlice>& nineSlice = {});
    // Adds the files, relayouts once, reports the problems (with those
    // found before, such as folders without images).
    void addFiles(const std::vector<ImageFile>& files, std::vector<std::string> problems = {});
    void report(const std::string& text);
    void updateHint();

    // The sprite options between list, layout, preview and save
    // (ApplicationSprites.cpp): the list's images prepared for the layout,
    // and the preview elements put on their frames after it.
    std::vector<LayoutImage> prepareLayoutImages();
    void placePreviewElements();
    // Saves the atlas (every page of it) under `path` through the shared
    // write flow; false after a message when nothing more is to be done.
    bool saveAtlasAs(const std::string& path);

    void drawVisiblePreview();
    // The preview as one picture below 1:1 (ApplicationOverview.cpp); false
    // when the images are to be drawn one by one.
    bool drawOverview();
    bool makeOverview(std::uint32_t width, std::uint32_t height);
    // The further packing options (ApplicationOptions.cpp).
    void setUpOptions();
    void chooseBestFit();
    void leaveBestFit();
    void chooseSpriteOptions();
    void setLargestSide(String& text, std::int32_t row, std::int32_t column);
    void largestFocus(bool focused);
    // Sets the largest side (one of the five choices) and its control.
    void showLargestSide(std::uint32_t side);
    void setExtrusion(float value);
    // The preview's own input and drawing (ApplicationPreview.cpp).
    void setUpPreview();
    void applyView();
    void previewMouse(CInputMap& input);
    void previewKey(CInputMap& input);
    void selectImageAt(float x, float y);
    void scrollListTo(std::uint32_t row);
    void drawSelectionOutline();
    // The hover text for the image under the pointer, after a move or zoom.
    void updatePointerImage();
    bool overList(float x, float y) const;
    // Shows page `page` (from 0) of a multipage layout.
    void showPage(std::uint32_t page);
    void placePageControl();
    // Sets the status line's text; with `redraw` it asks for a frame.
    void updateStatus(bool redraw = true);
    void setStatusMessage(const std::string& text);
    void canvasDragCheck(float x, float y);
    void chooseAutoPack();
    void choosePackRight();
    void choosePackDown();
    void choosePackMode(CCheckBox* clicked, CCheckBox* first, CCheckBox* second, PackMode mode);
    void chooseAlignment();
    void setSpacing(float value);
    void moveWindow(int dx, int dy);
    void minimise();
    void askNewAtlas();
    void quit();
    void keyPressed(CInputMap& input);
    void filesDropped(const std::vector<std::string>& paths);

    // Desktop behaviour (ApplicationDesk.cpp): shortcuts, questions before
    // work is lost, the resizable window, the remembered settings.
    void windowMessage(unsigned int message, int first, int second);
    bool confirmDiscard(const std::string& action, const std::string& accept);
    void windowResized(int width, int height, CDisplay::SizeType type);
    void placeControls();
    void toggleMaximised();
    void toggleDesktopFullscreen();
    void loadSettings();
    void applySettings();
    void storeSettings();
    void rememberFolder(const std::string& dialog, const std::string& path);
    void suggestFolder(const std::string& dialog, const std::string& name = {});
    void markChanged() { unsavedChanges = true; }
    void describeShortcuts();
    void hoverButton(int index);
    void leaveButton(int index);

    // The options and the project (COptionsPanel, CProjectDocument).
    PackSettings layoutSettings() const;
    void optionsChanged(COptionsPanel::Change change);
    void openRecentProject(std::size_t index);
    void updateTitle();
    void rememberProject(const std::string& path);

    // Members in the order the tool has always kept them.
    float savedCanvasPos[2] = {0.0f, 20.0f};
    CPacker packer;
    SpriteOptions spriteOptions;
    SpriteSheet sprites; // the images as the last relayout prepared them
    std::uint32_t animationsFound = 0; // sequences among their names, for the status line
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
    // The preview: zoom and position, the outline of the selected image and
    // the status line (ApplicationPreview.cpp).
    CAtlasPreview view;
    CGUIManager overlay;
    CFont* statusLine = nullptr;
    CanvasSize atlasSize;          // of the last layout that fitted (its first page)
    std::uint32_t atlasPages = 1;  // pages the save writes
    AtlasLayout atlasLayout;       // of the last relayout; the preview shows page 1
    // The further option controls (each optional) and the largest side.
    struct OptionControls {
        CCheckBox* bestFit = nullptr;
        CCheckBox* trim = nullptr;
        CCheckBox* alias = nullptr;
        CCombo* largest = nullptr;
        CScroll* extrude = nullptr;
        CFont* extrudeValue = nullptr;
    } options;
    std::uint32_t largestSide = 16384;
    std::uint64_t layoutVersion = 0; // counts relayouts and new atlases
    struct Overview {
        std::unique_ptr<CTexture> picture;
        CGUI* element = nullptr; // in `overlay`
        std::uint64_t version = ~0ull;
        float zoom = 0.0f;
        bool usable = false;
    } overview;
    std::string statusMessage;     // what the last save or unpack wrote
    std::string pointerImage;      // the image under the pointer
    bool previewPressed = false;   // the left button went down in the preview
    float pressX = 0.0f;
    float pressY = 0.0f;
    bool unsavedChanges = false;
    ToolSettings settings;
    std::string settingsPath;
    CImageIndex images; // each image's texture and preview element by name
    bool pointerInPreview = false; // at the last pointer move
    // Hover texts are drawn at most this often; the timer draws the last.
    std::uint32_t lastFrameTime = 0;
    CTimer hoverFrame;
    bool addingImages = false;   // frames drawn while images are read show only the progress
    CPreviewFrames frames;       // of the page shown, after the last relayout
    std::uint32_t shownPage = 0; // the page of a multipage layout shown
    CFont* pageControl = nullptr; // "◀ Page 2 of 3 ▶" at the status line's right
    // Each top-level control's place in the 800 x 600 layout of the screen
    // description, kept to move the controls with the right edge.
    struct Placement {
        CGUI* element;
        float x;
        float y;
        float width;
        float height;
    };
    std::vector<Placement> placements;
    CFont* titleText = nullptr; // the title bar's text, which also names shortcuts
    int hoveredButton = -1;
    CButton* btnOpen = nullptr; // optional: opens an atlas or a project
    COptionsPanel optionsPanel;
    CProjectDocument document;
    std::string shownTitle;
    // Declared last so that it is destroyed first: every handler connection
    // goes before the managers and controls it points into.
    CSlotList connections;
};
