// Application: start-up, the frame, the canvas drag check and the option
// handlers of the window tool (see the header). The image list operations
// are in ApplicationImages.cpp, saving and unpacking in ApplicationFiles.cpp.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/tool/ToolText.h"
#include "framework/DataFolder.h"
#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CControlBar.h"
#include "gui/CFont.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "render/CLight.h"
#include "render/Renderer.h"
#include "resources/CTexture.h"
#include "resources/GlyphSprite.h"
#include "xml/CXMLDocument.h"

#include <cmath>
#include <filesystem>
#include <cstdio>
#include <type_traits>

namespace {

// The window's size at start and its smallest size.
constexpr unsigned int windowWidth = 800;
constexpr unsigned int windowHeight = 600;

const char* const dataFolderName = "Quiltforger";
// The GL capability code of the scissor test (GL_SCISSOR_TEST).
constexpr std::uint32_t scissorTest = 0x0C11;

}

namespace {

// The list's highlight bars are untextured quads whose colour the
// description gives as emission; the light's diffuse term would wash them
// out to near white, so their diffuse and ambient colour is taken away
// (the alpha stays).
void keepColourUnlit(CGUI& element)
{
    CMaterial& material = element.getMaterial();
    material.diffuse = CVector(0.0f, 0.0f, 0.0f, material.diffuse.w);
    material.ambient = CVector(0.0f, 0.0f, 0.0f, material.ambient.w);
}

}

Application::Application()
{
    textures.setTextureOptions(0xFFFFFFFFu, false, false, false, false);
}

Application::~Application()
{
    connections.clear();
}

void Application::report(const std::string& text)
{
    platform().messageBox(text.c_str(), "Quilt Forger");
}

// The resource list names its files below "Quiltforger/"; when the data
// folder was found elsewhere, those names are pointed there.
bool Application::loadScreen()
{
    const std::string resourcesPath = dataFolder + "/resources.xml";
    CXMLDocument document;
    std::string problem = document.loadDetailed(String(resourcesPath.c_str()));
    if (!problem.empty() || !document.isComplete()) {
        report("The tool's resource list " + resourcesPath + " cannot be read or is damaged.\n\n" + problem);
        return false;
    }
    const std::string prefix = std::string(dataFolderName) + "/";
    CXMLNode& root = document;
    for (std::uint32_t i = 0; i < root.childCount(); ++i) {
        CXMLAttribute* file = root.child(i)->findAttribute("file");
        if (file == nullptr || file->value().c_str() == nullptr)
            continue;
        const std::string value = file->value().c_str();
        if (value.compare(0, prefix.size(), prefix) == 0)
            file->setValue(String((dataFolder + "/" + value.substr(prefix.size())).c_str()));
    }
    toolResources.loadList(root);

    const std::string guiPath = dataFolder + "/gui.xml";
    CXMLDocument check;
    problem = check.loadDetailed(String(guiPath.c_str()));
    if (!problem.empty() || !check.isComplete()) {
        report("The tool's screen description " + guiPath + " cannot be read or is damaged.\n\n" + problem);
        return false;
    }
    gui.loadNode(check, &toolResources);
    return true;
}

bool Application::findControls()
{
    // Controls are told apart by class (a copied element keeps the type
    // code of what it copied). "background" is checked here too, before the
    // canvas is taken out of the screen.
    std::string missing;
    auto need = [&](const char* name, auto* kind) {
        using Kind = std::remove_pointer_t<decltype(kind)>;
        Kind* control = dynamic_cast<Kind*>(gui.find(name));
        if (control == nullptr) {
            missing += missing.empty() ? "" : ", ";
            missing += name;
        }
        return control;
    };
    list = need("list", static_cast<CList*>(nullptr));
    btnNew = need("btnNew", static_cast<CButton*>(nullptr));
    btnAdd = need("btnAdd", static_cast<CButton*>(nullptr));
    btnSub = need("btnSub", static_cast<CButton*>(nullptr));
    btnUp = need("btnUp", static_cast<CButton*>(nullptr));
    btnDown = need("btnDown", static_cast<CButton*>(nullptr));
    btnSave = need("btnSave", static_cast<CButton*>(nullptr));
    btnUnpack = need("btnUnpack", static_cast<CButton*>(nullptr));
    cboxAutoPack = need("cboxAutoPack", static_cast<CCheckBox*>(nullptr));
    cboxPackRight = need("cboxPackRight", static_cast<CCheckBox*>(nullptr));
    cboxPackDown = need("cboxPackDown", static_cast<CCheckBox*>(nullptr));
    cboxPackCenter = need("cboxPackCenter", static_cast<CCheckBox*>(nullptr));
    cboxTightPack = need("cboxTightPack", static_cast<CCheckBox*>(nullptr));
    spaceScroll = need("spaceScroll", static_cast<CScroll*>(nullptr));
    fontSpaceValue = need("fontSpaceValue", static_cast<CFont*>(nullptr));
    control = need("control", static_cast<CControlBar*>(nullptr));
    btnOpen = dynamic_cast<CButton*>(gui.find("btnOpen")); // optional
    need("background", static_cast<CGUI*>(nullptr));
    if (!missing.empty()) {
        report("The tool's screen description " + dataFolder + "/gui.xml lacks these controls: " + missing + ".");
        return false;
    }
    return true;
}

void Application::connectHandlers()
{
    connectSlot(connections, control->onDragBy, this, &Application::moveWindow);
    connectSlot(connections, control->getMinimiseButton().onClick, this, &Application::minimise);
    connectSlot(connections, control->getMaximiseButton().onClick, this, &Application::toggleMaximised);
    connectSlot(connections, control->getCloseButton().onClick, this, &Application::quit);
    connectSlot(connections, btnNew->onClick, this, &Application::askNewAtlas);
    connectSlot(connections, btnAdd->onClick, this, &Application::addImages);
    connectSlot(connections, btnSub->onClick, this, &Application::removeImage);
    connectSlot(connections, btnUp->onClick, this, &Application::moveImageUp);
    connectSlot(connections, btnDown->onClick, this, &Application::moveImageDown);
    connectSlot(connections, btnSave->onClick, this, &Application::saveAtlasFile);
    connectSlot(connections, btnUnpack->onClick, this, &Application::unpackAtlasFile);
    if (btnOpen != nullptr)
        connectSlot(connections, btnOpen->onClick, this, &Application::openAtlasFile);
    connectSlot(connections, cboxAutoPack->onClick, this, &Application::chooseAutoPack);
    connectSlot(connections, cboxPackRight->onClick, this, &Application::choosePackRight);
    connectSlot(connections, cboxPackDown->onClick, this, &Application::choosePackDown);
    connectSlot(connections, cboxPackCenter->onClick, this, &Application::chooseAlignment);
    connectSlot(connections, cboxTightPack->onClick, this, &Application::relayout);
    connectSlot(connections, spaceScroll->onChange, this, &Application::setSpacing);
    connectSlot(connections, canvas->onMove, this, &Application::canvasDragCheck);
    // Files and folders dropped from a file manager are added like a chosen set.
    connectSlot(connections, onDropFiles, this, &Application::filesDropped);
    connectSlot(connections, onResize, this, &Application::windowResized);
    connectSlot(connections, onMessage, this, &Application::windowMessage);
}

int Application::main(int, char**)
{
    if (startUp()) {
        run();
        storeSettings();
    }
    return 0;
}

bool Application::startUp()
{
    CAppGL::setContextReadyHandler(initialiseRenderer);
    CAppGL::setContextClosingHandler(shutdownRenderer);
    if (!createGLWindow(windowWidth, windowHeight, false, true, false, 32, 24, 8, 0))
        return false;
    setTitle("Quilt Forger");
    setMinimumSize(windowWidth, windowHeight);
    // An idle window draws nothing and waits for the next event.
    setRedrawOnDemand(true);
    const Size size = getSize();
    const float width = static_cast<float>(size.width);
    const float height = static_cast<float>(size.height);
    setViewport(0, 0, static_cast<std::int32_t>(size.width), static_cast<std::int32_t>(size.height));
    const CMatrix projection = CMatrix::orthographic(0.0f, width, height, 0.0f, 0.0f, 1000.0f);
    loadProjection(&projection);
    loadModelView();
    connectSlot(connections, keyboardInput(), this, &Application::keyPressed);
    centre(true, true);
    setFrameTime(30);
    camera.setTranslation(CVector(width, height, 0.0f));

    dataFolder = findDataFolder(dataFolderName, "gui.xml");
    if (dataFolder.empty()) {
        std::string places;
        for (const std::string& candidate : dataFolderCandidates(dataFolderName))
            places += "\n  " + candidate;
        report("The tool's data folder was not found. Looked in:" + places);
        return false;
    }
    // Characters DejaVu lacks come from the fallback fonts: CJK above all
    // from Droid, emoji and symbols from Symbola. Absolute, as dialogs
    // change the working directory before glyphs are made on first use.
    std::error_code absoluteError;
    setGlyphFallbackFonts({std::filesystem::absolute(dataFolder + "/DroidSansFallbackFull.ttf", absoluteError).string(),
                           std::filesystem::absolute(dataFolder + "/Symbola.ttf", absoluteError).string()});
    if (!loadScreen() || !findControls())
        return false;

    // The canvas: a copy of "background" in a manager of its own, draggable.
    canvas = backgroundGui.create(CGUI::Element, "background");
    canvas->copyFrom(*gui.find("background"));
    canvas->setEnabled(true);
    canvas->setMoveable(true);
    canvasTextureMatrix = canvas->getMaterial().textureMatrix;
    gui.remove("background");
    hint = gui.find("hint");
    for (std::uint32_t i = 0; i < gui.getCount(); ++i) {
        CGUI* element = gui.getElement(i);
        if (element->getParent() == nullptr)
            placements.push_back(
                {element, element->getX(), element->getY(), element->getWidth(), element->getHeight()});
    }

    connectHandlers();
    setUpPreview();
    setUpOptions();
    // Names are cut to the space left of the scroll bar.
    list->addColumn(0, list->getWidth() - list->getScrollBar().getWidth(), "");
    keepColourUnlit(list->getHoverBar());
    keepColourUnlit(list->getSelectBar());
    cboxAutoPack->setChecked(true);
    cboxTightPack->setChecked(true);
    describeShortcuts();
    loadSettings();
    placeControls();

    // A project named on the command line is opened; images and folders are
    // added.
    const std::string ending = CProject::ending;
    if (startupPaths.size() == 1 && startupPaths[0].size() > ending.size() &&
        lowerAscii(startupPaths[0].substr(startupPaths[0].size() - ending.size())) == ending)
        openProject(startupPaths[0]);
    else if (!startupPaths.empty())
        addPaths(startupPaths);
    updateHint();
    return true;
}

void Application::draw()
{
    if (canvas == nullptr) {
        // Before the screen is up (a message at start-up): a plain window.
        clear(0.5f, 0.5f, 0.5f, 0.0f);
        return;
    }
    lastFrameTime = platform().milliseconds();
    canvas->setPosition(canvas->getX(), canvas->getY());
    updateTitle();
    clear(0.5f, 0.5f, 0.5f, 0.0f);
    // The model-view matrix is the identity between frames, so loading it
    // again afterwards restores it.
    const CMatrix identity;
    loadModelView(&identity);
    multiplyMatrix(camera.inverse());
    CLight light;
    light.position = CVector(400.0f, 400.0f, 5000.0f);
    applyLight(0, light);
    gui.draw();
    // The scissor box is the preview area in GL's bottom-left coordinates.
    const PreviewArea area = previewArea();
    const float windowHeight = static_cast<float>(getSize().height);
    setCapability(scissorTest, true);
    setScissor(static_cast<std::int32_t>(area.x), static_cast<std::int32_t>(windowHeight - area.bottom()),
               static_cast<std::int32_t>(area.width), static_cast<std::int32_t>(area.height));
    translate(0.0f, 0.0f, 50.0f);
    backgroundGui.draw();
    translate(0.0f, 0.0f, 100.0f);
    if (!addingImages && !drawOverview())
        drawVisiblePreview();
    translate(0.0f, 0.0f, 50.0f);
    if (!addingImages)
        drawSelectionOutline();
    setCapability(scissorTest, false);
    loadModelView(&identity);
}

// The preview manager's draw (last element first), scaled by the zoom about
// the canvas origin and leaving out the images that lie wholly outside the
// preview area: the scissor box would clip them anyway, and a large atlas
// has most of its images out of view.
void Application::drawVisiblePreview()
{
    const PreviewArea area = previewArea();
    const float zoom = view.getZoom();
    const float originX = canvas->getX();
    const float originY = canvas->getY();
    CMatrix scale;
    scale.setElement(0, zoom);
    scale.setElement(5, zoom);
    scale.setElement(12, originX * (1.0f - zoom));
    scale.setElement(13, originY * (1.0f - zoom));
    multiplyMatrix(scale);
    for (std::uint32_t i = preview.getCount(); i-- > 0;) {
        CGUI* element = preview.getElement(i);
        const CVector position = element->getAbsolutePosition();
        const float left = originX + (position.x - originX) * zoom;
        const float top = originY + (position.y - originY) * zoom;
        if (left < area.right() && left + element->getWidth() * zoom > area.x && top < area.bottom() &&
            top + element->getHeight() * zoom > area.y)
            element->draw();
    }
    multiplyMatrix(scale.inverse());
}

// Keeps the canvas inside its limits while the pointer is over the preview
// area, and puts it back to the last accepted place when a move happens with
// the pointer elsewhere (a relayout started by a control, a drag released
// over the controls).
void Application::canvasDragCheck(float, float)
{
    const CVector mouse = mousePosition();
    const PreviewArea area = previewArea();
    view.setArea(area);
    if (area.contains(mouse.x, mouse.y) || (mouse.x < area.right() && mouse.y >= area.bottom())) {
        view.moveTo(canvas->getX(), canvas->getY());
        savedCanvasPos[0] = view.getOriginX();
        savedCanvasPos[1] = view.getOriginY();
    } else {
        view.moveTo(savedCanvasPos[0], savedCanvasPos[1]);
    }
    canvas->setTranslation(view.getOriginX(), view.getOriginY(), canvas->getDepth());
}

void Application::choosePackMode(CCheckBox* clicked, CCheckBox* first, CCheckBox* second, PackMode mode)
{
    if (!clicked->isChecked())
        clicked->setChecked(true);
    first->setChecked(false);
    second->setChecked(false);
    packer.setMode(mode);
    relayout();
}

void Application::chooseAutoPack()
{
    choosePackMode(cboxAutoPack, cboxPackRight, cboxPackDown, PackAuto);
}

void Application::choosePackRight()
{
    choosePackMode(cboxPackRight, cboxAutoPack, cboxPackDown, PackRight);
}

void Application::choosePackDown()
{
    choosePackMode(cboxPackDown, cboxAutoPack, cboxPackRight, PackDown);
}

void Application::chooseAlignment()
{
    packer.setAlignment(cboxPackCenter->isChecked() ? AlignCentre : AlignEdge);
    relayout();
}

void Application::setSpacing(float value)
{
    // The label shows the spacing the atlas is packed with: the value
    // truncated to whole pixels (a value below 0, from a description whose
    // range starts below 0, counts as 0 rather than as an enormous spacing).
    const std::uint32_t spacing = wholeSpacing(value);
    fontSpaceValue->setText(String(spacingLabel(spacing).c_str()));
    packer.setSpacing(spacing);
    relayout();
}

void Application::moveWindow(int dx, int dy)
{
    if (dx != 0 || dy != 0)
        setPosition(getX() + dx, getY() + dy);
}

void Application::minimise()
{
    // Drawing stops only when the desktop reports the window minimised.
    minimiseWindow();
}

void Application::askNewAtlas()
{
    runCommand(ToolCommand::newAtlas);
}

void Application::quit()
{
    if (confirmDiscard("Quit", "Quit without saving"))
        postQuitMessage();
}

void Application::keyPressed(CInputMap& input)
{
    if (input.action != CInputMap::pressed)
        return;
    // Escape or Enter in a text field leaves it (refused text is put back).
    const CGUI* focus = gui.getFocus();
    if ((input.value == VirtualKey::escape || input.value == VirtualKey::enter) && focus != nullptr &&
        focus->getType() == CGUI::Edit) {
        gui.clearFocus();
        requestRedraw();
        return;
    }
    if (input.value != VirtualKey::escape)
        return;
    // Escape closes an open drop-down first; only then does it quit.
    if (options.largest != nullptr && options.largest->isOpen()) {
        options.largest->close();
        return;
    }
    if (confirmDiscard("Quit", "Quit without saving"))
        stop();
}

void Application::updateHint()
{
    if (hint != nullptr)
        hint->setVisible(list->getRowCount() == 0);
}
