// CAtlasPreview: zoom steps, zooming around a point and the origin limits.
#include "app/tool/CAtlasPreview.h"

#include <algorithm>
#include <cmath>

namespace {

// Zoom steps are 2^(k/2); the slack keeps a step that was just reached from
// counting as not yet reached through float rounding.
constexpr float stepSlack = 1.001f;

float stepIndex(float zoom)
{
    return 2.0f * std::log2(zoom);
}

}

void CAtlasPreview::setArea(const PreviewArea& value)
{
    area = value;
    clampZoom();
    clampOrigin();
}

void CAtlasPreview::setAtlasSize(float width, float height)
{
    atlasWidth = std::max(width, 0.0f);
    atlasHeight = std::max(height, 0.0f);
    clampZoom();
    clampOrigin();
}

float CAtlasPreview::fitZoom() const
{
    float fit = 1.0f;
    if (atlasWidth > 0.0f && area.width > 0.0f)
        fit = std::min(fit, area.width / atlasWidth);
    if (atlasHeight > 0.0f && area.height > 0.0f)
        fit = std::min(fit, area.height / atlasHeight);
    return fit;
}

float CAtlasPreview::zoomInStep() const
{
    const float next = std::exp2(std::floor(stepIndex(zoom * stepSlack)) / 2.0f + 0.5f);
    return std::clamp(next, fitZoom(), maxZoom);
}

float CAtlasPreview::zoomOutStep() const
{
    const float next = std::exp2(std::ceil(stepIndex(zoom / stepSlack)) / 2.0f - 0.5f);
    return std::clamp(next, fitZoom(), maxZoom);
}

void CAtlasPreview::zoomAround(float value, float px, float py)
{
    const float ax = atlasX(px);
    const float ay = atlasY(py);
    zoom = std::clamp(value, fitZoom(), maxZoom);
    originX = px - ax * zoom;
    originY = py - ay * zoom;
    clampOrigin();
}

void CAtlasPreview::moveTo(float x, float y)
{
    originX = x;
    originY = y;
    clampOrigin();
}

void CAtlasPreview::clampZoom()
{
    zoom = std::clamp(zoom, fitZoom(), maxZoom);
}

void CAtlasPreview::clampOrigin()
{
    auto limit = [](float origin, float start, float extent, float shown) {
        if (shown <= extent)
            return start;
        return std::clamp(origin, start + extent - shown, start);
    };
    originX = limit(originX, area.x, area.width, shownWidth());
    originY = limit(originY, area.y, area.height, shownHeight());
}
