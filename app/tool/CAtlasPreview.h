// CAtlasPreview: where the atlas lies in the preview area and how large it is
// drawn, as plain arithmetic over window pixels, so zooming, dragging and
// picking are tested without a window.
//
// The atlas is drawn `zoom` screen pixels per atlas pixel with its top-left
// corner at the origin. Zoom runs from the whole-atlas fit (never above 1:1)
// to 800 %, in steps of a half power of two (100 %, 141 %, 200 % ...), so
// 1:1 and the doublings are always reachable. The origin is kept so that the
// atlas covers as much of the area as it can: a side that fits is pinned to
// the area's top or left edge, a larger side can be moved until its far edge
// reaches the area's far edge, never further, so some atlas is always in view.
#pragma once

#include <cstdint>

// The rectangle of the window that shows the atlas, in window pixels (origin
// top-left).
struct PreviewArea {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;

    float right() const { return x + width; }
    float bottom() const { return y + height; }
    bool contains(float px, float py) const { return px >= x && px < right() && py >= y && py < bottom(); }
};

class CAtlasPreview {
public:
    static constexpr float maxZoom = 8.0f;

    // A new area or atlas size keeps the zoom within the new range and the
    // origin within its limits.
    void setArea(const PreviewArea& value);
    void setAtlasSize(float width, float height);
    const PreviewArea& getArea() const { return area; }
    float getAtlasWidth() const { return atlasWidth; }
    float getAtlasHeight() const { return atlasHeight; }

    float getZoom() const { return zoom; }
    // The smallest zoom: the whole atlas in the area, at most 1.
    float fitZoom() const;
    // The next zoom step above or below the current one, within range.
    float zoomInStep() const;
    float zoomOutStep() const;
    // Sets the zoom (clamped into range) so that the atlas point under the
    // window point (px, py) stays under it, then keeps the origin in limits.
    void zoomAround(float value, float px, float py);

    float getOriginX() const { return originX; }
    float getOriginY() const { return originY; }
    // Moves the atlas's top-left corner to (x, y), corrected into limits.
    void moveTo(float x, float y);
    // The atlas at the area's top-left corner.
    void home() { moveTo(area.x, area.y); }

    // The drawn size of the atlas.
    float shownWidth() const { return atlasWidth * zoom; }
    float shownHeight() const { return atlasHeight * zoom; }
    // Window point to atlas pixel (may lie outside the atlas).
    float atlasX(float windowX) const { return (windowX - originX) / zoom; }
    float atlasY(float windowY) const { return (windowY - originY) / zoom; }
    // Atlas pixel to window point.
    float windowX(float atlasPixelX) const { return originX + atlasPixelX * zoom; }
    float windowY(float atlasPixelY) const { return originY + atlasPixelY * zoom; }

private:
    void clampZoom();
    void clampOrigin();

    PreviewArea area;
    float atlasWidth = 0.0f;
    float atlasHeight = 0.0f;
    float zoom = 1.0f;
    float originX = 0.0f;
    float originY = 0.0f;
};
