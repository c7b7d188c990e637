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
#include "gui/CFont.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "render/Renderer.h"

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
        std::string hovered;
        if (inside && packer.count() > 0 && layoutFits) {
            const float ax = view.atlasX(mouse.x);
            const float ay = view.atlasY(mouse.y);
            for (std::uint32_t i = 0; i < packer.count(); ++i) {
                const PackEntry& entry = packer.entry(i);
                if (ax >= entry.x && ay >= entry.y && ax < entry.x + entry.width && ay < entry.y + entry.height) {
                    hovered = StatusLine::imageAt(toStdString(entry.name), entry.width, entry.height, entry.x,
                                                  entry.y);
                    break;
                }
            }
        }
        if (hovered != pointerImage) {
            pointerImage = hovered;
            updateStatus();
        }
        break;
    }
    case CInputMap::wheel:
        if (inside && layoutFits && packer.count() > 0)
            zoomPreview(input.value > 0 ? view.zoomInStep() : view.zoomOutStep(), mouse.x, mouse.y);
        break;
    case CInputMap::pressed:
        if (input.code == 0) {
            previewPressed = inside;
            pressX = mouse.x;
            pressY = mouse.y;
        }
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
    const float ax = view.atlasX(x);
    const float ay = view.atlasY(y);
    for (std::uint32_t i = 0; i < packer.count(); ++i) {
        const PackEntry& entry = packer.entry(i);
        if (ax < entry.x || ay < entry.y || ax >= entry.x + entry.width || ay >= entry.y + entry.height)
            continue;
        for (std::uint32_t row = 0; row < list->getRowCount(); ++row) {
            if (list->getCellText(row, 0) == entry.name) {
                list->setSelected(row);
                scrollListTo(row);
                return;
            }
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
    const std::int32_t index =
        selected >= 0 && layoutFits ? packer.findEntry(list->getCellText(static_cast<std::uint32_t>(selected), 0))
                                    : -1;
    if (index < 0)
        return;
    const PackEntry& entry = packer.entry(static_cast<std::uint32_t>(index));
    const float zoom = view.getZoom();
    const float left = canvas->getX() + static_cast<float>(entry.x) * zoom;
    const float top = canvas->getY() + static_cast<float>(entry.y) * zoom;
    const float width = static_cast<float>(entry.width) * zoom;
    const float height = static_cast<float>(entry.height) * zoom;
    // Just outside the image, so none of its pixels is covered.
    const float w = outlineWidth;
    const float places[4][4] = {{left - w, top - w, width + 2 * w, w},
                                {left - w, top + height, width + 2 * w, w},
                                {left - w, top, w, height},
                                {left + width, top, w, height}};
    for (std::uint32_t i = 0; i < 4; ++i) {
        CGUI* side = overlay.getElement(i);
        side->setTranslation(places[i][0], places[i][1], side->getDepth());
        side->storeSize(places[i][2], places[i][3]);
        side->setVisible(true);
        side->draw();
        side->setVisible(false);
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

void Application::updateStatus()
{
    if (statusLine == nullptr)
        return;
    std::string text = statusMessage;
    bool warn = false;
    if (text.empty() && layoutFits && packer.count() > 0) {
        std::uint64_t covered = 0;
        for (std::uint32_t i = 0; i < packer.count(); ++i)
            covered += std::uint64_t(packer.entry(i).width) * std::uint64_t(packer.entry(i).height);
        // With more pages the size and coverage are the first page's, which
        // the preview shows, and the count is every image the save writes.
        const auto images = atlasPages > 1 ? static_cast<std::uint32_t>(sprites.pictures.size()) : packer.count();
        text = StatusLine::atlasSummary(atlasSize.width, atlasSize.height, images, atlasPages, covered);
        warn = StatusLine::exceedsDeviceLimit(atlasSize.width, atlasSize.height);
        text += StatusLine::sideWarning(atlasSize.width, atlasSize.height);
    } else if (text.empty() && !layoutFits && packer.count() > 0) {
        text = StatusLine::tooLarge(atlasLayout.unplaced, largestSide);
        warn = true;
    }
    if (!pointerImage.empty())
        text += (text.empty() ? "" : "      ") + pointerImage;
    statusLine->setText(String(text.c_str()));
    statusLine->getMaterial().emission =
        warn ? CVector(1.0f, 0.62f, 0.3f, 1.0f) : CVector(0.85f, 0.86f, 0.88f, 1.0f);
}
