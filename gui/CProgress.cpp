// CProgress: percentage, position within a range, and the fill element.
#include "gui/CProgress.h"

#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

#include <algorithm>
#include <cmath>

CProgress::CProgress()
{
    setType(Progress);
    enabled = true;
    bar.setParent(this);
    connectSlot(connections, onResize, this, &CProgress::layout);
}

CProgress::CProgress(const CProgress& other)
    : CProgress()
{
    copyFrom(other);
}

CProgress::~CProgress() = default;

void CProgress::setPercent(float p)
{
    if (std::isnan(p))
        p = 0.0f;
    p = std::clamp(p, 0.0f, 100.0f);
    percent = p;
    bar.storeSize(p * 0.01f * getWidth(), bar.getHeight());
    // Narrow the fill's texture with its width, so the visible part of the
    // fill image keeps its scale instead of being squeezed.
    const CSprite& fill = bar.getSprite();
    const SpriteFrame* frame = fill.getFrame(fill.getCurrentFrame());
    CMatrix& textureMatrix = bar.getMaterial().textureMatrix;
    if (frame && textureMatrix.elementCount() > 0)
        textureMatrix.setElement(0, p * 0.01f * frame->du);
    onChange.emit(percent);
}

void CProgress::setProgress(std::uint32_t v)
{
    position = v < min ? min : v > max ? max : v;
    if (min == max)
        return;
    const double span = static_cast<double>(max) - static_cast<double>(min);
    setPercent(static_cast<float>((static_cast<double>(position) - min) / span * 100.0));
}

void CProgress::layout(float width, float height)
{
    bar.setSize(percent * 0.01f * width, height);
}

void CProgress::draw()
{
    CGUI::draw();
    bar.setDepth(getDepth() + 1.0f);
    bar.draw();
}

void CProgress::setSprite(const CSprite& value)
{
    CGUI::setSprite(value);
    bar.setSprite(value);
    setFrame(0);
}

void CProgress::setFrame(std::uint32_t index)
{
    CGUI::setFrame(index, false);
    bar.setFrame(index + 1);
}

void CProgress::copyFrom(const CProgress& other)
{
    if (&other == this)
        return;
    CGUI::copyFrom(other);
    percent = other.percent;
    bar.copyFrom(other.bar);
    position = other.position;
    min = other.min;
    max = other.max;
    bar.setParent(this);
}

void CProgress::load(CXMLNode& node)
{
    CGUI::load(node);
    // Negative bounds read as 0: the range is unsigned.
    if (GUIAttributes::has(node, "min")) {
        min = static_cast<std::uint32_t>(std::max(GUIAttributes::integer(node, "min", 0), 0));
        setProgress(position);
    }
    if (GUIAttributes::has(node, "max")) {
        max = static_cast<std::uint32_t>(std::max(GUIAttributes::integer(node, "max", 0), 0));
        setProgress(position);
    }
    const CVector& angles = getRotation();
    bar.setRotation(angles.x, angles.y, angles.z);
}
