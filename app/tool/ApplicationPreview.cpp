// Application: the atlas preview's zoom, drag limits, picking, the outline of
// the selected image and the status line (see Application.h).
//
// The canvas element stays the atlas's stand-in on screen: its position is
// the view's origin and its size the atlas's drawn size, so the GUI manager's
// dragging works at every zoom. The image elements keep their atlas
// positions and sizes; draw scales them about the canvas origin.
#include "app/tool/Application.h"

#include "app/pack/AtlasFiles.h"
#include "app/tool/StatusLine.h"
#include "framework/Input.h"
#include "framework/WindowMessages.h"
#include "gui/CControlBar.h"
#include "gui/CFont.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "render/Renderer.h"

#include <algorithm>
#include <cmath>

namespace {

// A press and release closer than this (window pixels) is a click, not a drag.
constexpr float clickSlack = 3.0f;
constexpr float outlineWidth = 2.0f;
const char* const outlineNames[] = {"outlineTop", "outlineBottom", "outlineLeft", "outlineRight"};

void paint(CGUI& element, const CVector& colour)
{
    CMaterial& material = element.getMaterial();
    material.emission = colour;
    material.diffuse = CVector(0.0f, 0.0f, 0.0f, colour.w);
    material.ambient = CVector(0.0f, 0.0f, 0.0f, colour.w);
}

}

void Application::setUpPreview()
{
    view.setArea(previewArea());
    view.home();
    for (const char* name : outlineNames) {
        CGUI* side = overlay.create(CGUI::Element, name);
        paint(*side, CVector(1.0f, 0.78f, 0.1f, 1.0f));
        side->setVisible(false);
    }
    statusLine = dynamic_cast<CFont*>(gui.find("status"));
    // The timer's firing itself asks the loop for the frame.
    connectSlot(connections, hoverFrame.onElapsed, &hoverFrame, &CTimer::stop);
    connectSlot(connections, mouseInput(), this, &Application::previewMouse);
    connectSlot(connections, keyboardInput(), this, &Application::previewKey);
    updateStatus();
}

// The canvas follows the view: origin and drawn size.
void Application::applyView()
{
    savedCanvasPos[0] = view.getOriginX();
    savedCanvasPos[1] = view.getOriginY();
    canvas->setTranslation(view.getOriginX(), view.getOriginY(), canvas->getDepth());
    canvas->storeSize(view.shownWidth(), view.shownHeight());
}

void Application::zoomPreview(float zoom, float x, float y)
{
    view.setArea(previewArea());
    view.moveTo(canvas->getX(), canvas->getY());
    view.zoomAround(zoom, x, y);
    applyView();
    // Another image may lie under the pointer now.
    updatePointerImage();
}

bool Application::messageChangesFrame(const CWindowMessage& message)
{
    if (message.message != WindowMessage::mouseMove || canvas == nullptr)
        return true;
    // Moves over the preview with no button held change nothing drawn but
    // the hover text, and updateStatus asks for that frame itself. The
    // first move in still draws, to take hover marks off the controls.
    const CVector mouse = mousePosition();
    const bool wasInside = pointerInPreview;
    pointerInPreview = previewArea().contains(mouse.x, mouse.y);
    const CGUI* focus = gui.getFocus();
    const bool holding = previewPressed || (focus != nullptr && focus->isGrabbing());
    return !(pointerInPreview && wasInside && !holding);
}

void Application::updatePointerImage()
{
    const CVector mouse = mousePosition();
    std::string hovered;
    if (previewArea().contains(mouse.x, mouse.y) && layoutFits) {
        if (const PreviewFrame* frame = frames.at(view.atlasX(mouse.x), view.atlasY(mouse.y)))
            hovered = StatusLine::imageAt(frame->name, frame->w, frame->h, frame->x, frame->y, frame->turned != 0);
    }
    if (hovered == pointerImage)
        return;
    pointerImage = hovered;
    // A frame per change of the hover text would cost a frame for every
    // few pixels the pointer crosses; eight a second read as immediate.
    constexpr std::uint32_t hoverFrameInterval = 125;
    updateStatus(false);
    const std::uint32_t now = platform().milliseconds();
    if (now - lastFrameTime >= hoverFrameInterval) {
        requestRedraw();
    } else if (!hoverFrame.enabled) {
        hoverFrame.interval = hoverFrameInterval - (now - lastFrameTime);
        hoverFrame.start();
    }
}

bool Application::overList(float x, float y) const
{
    if (list == nullptr || !list->getVisible())
        return false;
    const CVector place = list->getAbsolutePosition();
    return x >= place.x && y >= place.y && x < place.x + list->getWidth() && y < place.y + list->getHeight();
}

void Application::previewMouse(CInputMap& input)
{
    const PreviewArea area = previewArea();
    const CVector mouse = mousePosition();
    const bool inside = area.contains(mouse.x, mouse.y);
    switch (input.action) {
    case CInputMap::moved: {
        // The wheel goes to the focused control; over the preview it is
        // the preview's, whatever was clicked last.
        if (inside && !previewPressed && gui.getFocus() != nullptr && !gui.getFocus()->isGrabbing())
            gui.clearFocus();
        // The wheel over the image list scrolls it whatever has the focus.
        if (overList(mouse.x, mouse.y) && gui.getFocus() != list && gui.getFocus() != nullptr &&
            !gui.getFocus()->isGrabbing())
            gui.clearFocus();
        updatePointerImage();
        break;
    }
    case CInputMap::wheel:
        if (overList(mouse.x, mouse.y) && gui.getFocus() != list) {
            list->onInput.emit(input);
            requestRedraw();
            break;
        }
        if (inside && layoutFits && packer.count() > 0)
            zoomPreview(input.value > 0 ? view.zoomInStep() : view.zoomOutStep(), mouse.x, mouse.y);
        break;
    case CInputMap::pressed:
        if (input.code == 0 && pageControl != nullptr && pageControl->getVisible() &&
            mouse.x >= pageControl->getX() && mouse.x < pageControl->getX() + pageControl->getWidth() &&
            mouse.y >= pageControl->getY() && mouse.y < pageControl->getY() + pageControl->getHeight()) {
            // The left half goes back a page, the right half on.
            if (mouse.x < pageControl->getX() + pageControl->getWidth() * 0.5f)
                showPage(shownPage > 0 ? shownPage - 1 : atlasPages - 1);
            else
                showPage(shownPage + 1 < atlasPages ? shownPage + 1 : 0);
            break;
        }
        if (input.code == 0) {
            previewPressed = inside;
            pressX = mouse.x;
            pressY = mouse.y;
        }
        break;
    case CInputMap::doubleClick:
        // A double click on the title bar, away from its buttons, maximises
        // or restores the window as desktops do.
        if (input.code == 0 && mouse.y >= 0.0f && mouse.y < area.y &&
            mouse.x < control->getMinimiseButton().getAbsolutePosition().x)
            toggleMaximised();
        break;
    case CInputMap::released:
        if (input.code == 0 && previewPressed && inside && std::fabs(mouse.x - pressX) < clickSlack &&
            std::fabs(mouse.y - pressY) < clickSlack)
            selectImageAt(mouse.x, mouse.y);
        if (input.code == 0)
            previewPressed = false;
        break;
    default:
        break;
    }
}

void Application::previewKey(CInputMap& input)
{
    if (input.action != CInputMap::pressed || input.keyDown || packer.count() == 0 || !layoutFits)
        return;
    // Characters typed into a text field are the field's.
    if (gui.getFocus() != nullptr && gui.getFocus()->getType() == CGUI::Edit)
        return;
    // Keys zoom about the pointer when it is over the preview, else about
    // the area's centre.
    const PreviewArea area = previewArea();
    CVector point = mousePosition();
    if (!area.contains(point.x, point.y))
        point = CVector(area.x + area.width * 0.5f, area.y + area.height * 0.5f, 0.0f);
    switch (input.value) {
    case '+':
    case '=':
        zoomPreview(view.zoomInStep(), point.x, point.y);
        break;
    case '-':
        zoomPreview(view.zoomOutStep(), point.x, point.y);
        break;
    case '0':
        zoomPreview(view.fitZoom(), point.x, point.y);
        break;
    case '1':
        zoomPreview(1.0f, point.x, point.y);
        break;

    default:
        break;
    }
}

void Application::selectImageAt(float x, float y)
{
    const PreviewFrame* frame = frames.at(view.atlasX(x), view.atlasY(y));
    if (frame == nullptr)
        return;
    const String name(frame->name.c_str());
    for (std::uint32_t row = 0; row < list->getRowCount(); ++row) {
        if (list->getCellText(row, 0) == name) {
            list->setSelected(row);
            scrollListTo(row);
            return;
        }
    }
}

// Scrolls the list the least that shows `row` (rows are one height).
void Application::scrollListTo(std::uint32_t row)
{
    if (!list->overflows())
        return;
    const float rowHeight = list->getRowHeight(row) + static_cast<float>(list->getSpacing());
    const auto shown =
        rowHeight > 0.0f ? std::max<std::int32_t>(1, static_cast<std::int32_t>(list->getHeight() / rowHeight)) : 1;
    std::int32_t top = list->getTopRow();
    const auto target = static_cast<std::int32_t>(row);
    if (target < top)
        top = target;
    else if (target >= top + shown)
        top = target - shown + 1;
    top = std::min<std::int32_t>(top, static_cast<std::int32_t>(list->largestTopRow()));
    list->getScrollBar().setValue(static_cast<float>(top));
}

void Application::drawSelectionOutline()
{
    const std::int32_t selected = list->getSelected();
    const PreviewFrame* frame =
        selected >= 0 && layoutFits ? frames.find(toStdString(list->getCellText(static_cast<std::uint32_t>(selected), 0)))
                                    : nullptr;
    if (frame == nullptr)
        return;
    const float zoom = view.getZoom();
    const float left = std::round(canvas->getX() + static_cast<float>(frame->x) * zoom);
    const float top = std::round(canvas->getY() + static_cast<float>(frame->y) * zoom);
    const float width = std::max(1.0f, std::round(static_cast<float>(frame->w) * zoom));
    const float height = std::max(1.0f, std::round(static_cast<float>(frame->h) * zoom));
    // Two lines along the frame's own edge, dark outside and light inside,
    // so that the outline shows on every colour and covers no pixel of a
    // neighbouring image.
    const CVector colours[2] = {CVector(0.0f, 0.0f, 0.0f, 1.0f), CVector(1.0f, 1.0f, 1.0f, 1.0f)};
    for (std::uint32_t ring = 0; ring < 2; ++ring) {
        const float inset = static_cast<float>(ring);
        const float l = left + inset;
        const float t = top + inset;
        const float w = std::max(0.0f, width - 2.0f * inset);
        const float h = std::max(0.0f, height - 2.0f * inset);
        const float places[4][4] = {{l, t, w, 1.0f}, {l, t + h - 1.0f, w, 1.0f}, {l, t, 1.0f, h}, {l + w - 1.0f, t, 1.0f, h}};
        for (std::uint32_t i = 0; i < 4; ++i) {
            CGUI* side = overlay.getElement(i);
            paint(*side, colours[ring]);
            side->setTranslation(places[i][0], places[i][1], side->getDepth());
            side->storeSize(places[i][2], places[i][3]);
            side->setVisible(true);
            side->draw();
            side->setVisible(false);
        }
    }
}

std::string Application::getStatusText() const
{
    return statusLine != nullptr ? toStdString(statusLine->getText()) : std::string();
}

void Application::setStatusMessage(const std::string& text)
{
    statusMessage = text;
    updateStatus();
}

void Application::updateStatus(bool redraw)
{
    if (statusLine == nullptr)
        return;
    std::string text = statusMessage;
    bool warn = false;
    if (text.empty() && layoutFits && !sprites.images.empty()) {
        // As the command line counts: every image (duplicates packed once
        // included), and the images' own pixels (trimmed, without the
        // extrusion) over every page's area.
        std::uint64_t canvasPixels = 0;
        for (const LayoutPage& sheet : atlasLayout.pages)
            canvasPixels += std::uint64_t(sheet.width) * sheet.height;
        text = StatusLine::atlasSummary(atlasSize.width, atlasSize.height,
                                        static_cast<std::uint32_t>(sprites.images.size()), atlasPages,
                                        sprites.pictureArea, canvasPixels, animationsFound);
        warn = StatusLine::exceedsDeviceLimit(atlasSize.width, atlasSize.height);
        text += StatusLine::sideWarning(atlasSize.width, atlasSize.height);
    } else if (text.empty() && !layoutFits && packer.count() > 0) {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < atlasLayout.frames.size() && i < sprites.pictures.size(); ++i) {
            if (atlasLayout.frames[i].page < 0)
                names.push_back(toStdString(sprites.pictures[i].name));
        }
        text = StatusLine::tooLarge(names, largestSide);
        warn = true;
    }
    // Over an image the line tells about that image; the summary comes
    // back when the pointer leaves it. Both together outgrow the line at
    // the smallest window.
    if (!pointerImage.empty() && statusMessage.empty())
        text = pointerImage;
    statusLine->setText(String(text.c_str()));
    statusLine->getMaterial().emission =
        warn ? CVector(1.0f, 0.62f, 0.3f, 1.0f) : CVector(0.85f, 0.86f, 0.88f, 1.0f);
    if (redraw)
        requestRedraw();
}

void Application::placePageControl()
{
    if (statusLine == nullptr)
        return;
    if (pageControl == nullptr) {
        pageControl = dynamic_cast<CFont*>(gui.create(CGUI::Font, "pageControl"));
        if (pageControl == nullptr)
            return;
        pageControl->copyFrom(*statusLine);
        pageControl->setName("pageControl");
    }
    const bool several = layoutFits && atlasPages > 1;
    pageControl->setVisible(several);
    // The status line gives the control room at its right end, as much as
    // "◀ Page 10 of 12 ▶" takes.
    const float controlWidth = several ? 116.0f : 0.0f;
    const PreviewArea area = previewArea();
    statusLine->setPosition(statusLine->getX(), area.bottom());
    statusLine->setSize(area.width - statusLine->getX() - controlWidth - 4.0f, statusLine->getHeight());
    if (!several)
        return;
    pageControl->setText(String(StatusLine::pageControl(shownPage, atlasPages).c_str()));
    pageControl->setPosition(area.right() - controlWidth, area.bottom());
    pageControl->setSize(controlWidth - 4.0f, statusLine->getHeight());
}
