// CScroll: value and range, thumb placement, parts and their input.
#include "gui/CScroll.h"

#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

#include <cmath>

namespace {

// v limited to [low, high] with the lower bound checked first, so an empty
// range (low > high) gives low, never undefined behaviour.
float clampTo(float v, float low, float high)
{
    if (v < low)
        return low;
    if (v > high)
        return high;
    return v;
}

} // namespace

CScroll::CScroll()
{
    setType(Scroll);
    enabled = true;
    connectParts();
    connectSlot(connections, onMove, this, &CScroll::selfMoved);
    connectSlot(connections, onResize, this, &CScroll::layout);
    connectSlot(connections, onInput, this, &CScroll::dispatchInput);
    connectSlot(connections, onClick, this, &CScroll::forwardClick);
    connectSlot(connections, thumb.onMove, this, &CScroll::thumbMoved);
    connectSlot(connections, firstButton.onClick, this, &CScroll::firstClicked);
    connectSlot(connections, secondButton.onClick, this, &CScroll::secondClicked);
}

CScroll::CScroll(const CScroll& other)
    : CScroll()
{
    copyFrom(other);
}

CScroll::~CScroll() = default;

void CScroll::connectParts()
{
    thumb.setParent(this);
    thumb.setMoveable(true);
    firstButton.setParent(this);
    secondButton.setParent(this);
}

// --- Value ---

void CScroll::setValue(float v)
{
    if (std::isnan(v))
        v = min;
    value = clampTo(v, min, max);
    ignoreThumbMove = true;
    placeThumb();
    onChange.emit(value);
}

void CScroll::setMin(float v)
{
    min = std::isnan(v) ? 0.0f : v;
}

void CScroll::setMax(float v)
{
    max = std::isnan(v) ? 0.0f : v;
}

void CScroll::setIncrement(float v)
{
    increment = std::isnan(v) ? 0.0f : v;
}

void CScroll::setVertical(bool on)
{
    vertical = on;
    layout(getWidth(), getHeight());
}

void CScroll::stepUp()
{
    setValue(value + increment);
    onIncrease.emit(value);
    onChange.emit(value);
}

void CScroll::stepDown()
{
    setValue(value - increment);
    onDecrease.emit(value);
    onChange.emit(value);
}

// --- Geometry ---

void CScroll::placeThumb()
{
    // An empty range or a track without length has no place but its start.
    const float range = max - min;
    const float fraction = range != 0.0f ? (value - min) / range : 0.0f;
    if (vertical) {
        const float track = getHeight() - (thumb.getHeight() + firstButton.getHeight() + secondButton.getHeight());
        thumb.setPosition(0.0f, firstButton.getHeight() + fraction * track);
    } else {
        const float track = getWidth() - (thumb.getWidth() + firstButton.getWidth() + secondButton.getWidth());
        thumb.setPosition(firstButton.getWidth() + track * fraction, 0.0f);
    }
}

void CScroll::layout(float width, float height)
{
    ignoreThumbMove = true;
    if (vertical) {
        thumb.setPosition(0.0f, firstButton.getHeight());
        firstButton.setPosition(0.0f, 0.0f);
        secondButton.setPosition(0.0f, height - secondButton.getHeight());
    } else {
        thumb.setPosition(firstButton.getWidth(), 0.0f);
        firstButton.setPosition(0.0f, 0.0f);
        secondButton.setPosition(width - secondButton.getWidth(), 0.0f);
    }
}

void CScroll::selfMoved(float, float)
{
    ignoreThumbMove = true;
}

void CScroll::thumbMoved(float x, float y)
{
    if (ignoreThumbMove) {
        ignoreThumbMove = false;
        thumb.setTranslation(x, y, thumb.getDepth());
        return;
    }
    if (vertical) {
        const float start = firstButton.getHeight();
        y = clampTo(y, start, getHeight() - thumb.getHeight() - secondButton.getHeight());
        x = 0.0f;
        const float track = getHeight() - (secondButton.getHeight() + start + thumb.getHeight());
        value = track > 0.0f ? min + (y - start) / track * (max - min) : min;
    } else {
        const float start = firstButton.getWidth();
        x = clampTo(x, start, getWidth() - thumb.getWidth() - secondButton.getWidth());
        y = 0.0f;
        const float track = getWidth() - (secondButton.getWidth() + start + thumb.getWidth());
        value = track > 0.0f ? min + (x - start) / track * (max - min) : min;
    }
    onChange.emit(value);
    thumb.setTranslation(x, y, thumb.getDepth());
}

// --- Input ---

void CScroll::dispatchInput(CInputMap& event)
{
    const int x = toPixel(event.position.x);
    const int y = toPixel(event.position.y);
    switch (event.action) {
    case CInputMap::pressed: {
        pressedPart = nullptr;
        CButton* parts[3] = {&thumb, &firstButton, &secondButton};
        for (CButton* part : parts) {
            if (part->hitTest(x, y)) {
                pressedPart = part;
                part->onInput.emit(event);
                break;
            }
        }
        break;
    }
    case CInputMap::wheel:
        if (event.value < 0)
            stepUp();
        else
            stepDown();
        break;
    case CInputMap::released:
        if (CGUI* part = pressedPart) {
            part->onInput.emit(event);
            if (!part->hitTest(x, y))
                pressedPart = nullptr;
        }
        break;
    default:
        if (pressedPart == &thumb)
            thumb.onInput.emit(event);
        break;
    }
}

void CScroll::forwardClick()
{
    if (pressedPart)
        pressedPart->onClick.emit();
}

void CScroll::firstClicked()
{
    stepDown();
}

void CScroll::secondClicked()
{
    stepUp();
}

bool CScroll::hitTest(int x, int y)
{
    CButton* parts[3] = {&thumb, &firstButton, &secondButton};
    for (CButton* part : parts) {
        if (!part->isEnabled() || !part->isVisible())
            continue;
        if (part->hitTest(x, y))
            part->onMouseOver.emit();
        else
            part->onMouseOut.emit();
    }
    return CGUI::hitTest(x, y);
}

// --- Drawing, sprite, copying, description ---

void CScroll::draw()
{
    CGUI::draw();
    if (!isVisible())
        return;
    const float depth = getDepth() + 1.0f;
    thumb.setDepth(depth);
    firstButton.setDepth(depth);
    secondButton.setDepth(depth);
    thumb.draw();
    firstButton.draw();
    secondButton.draw();
}

void CScroll::setSprite(const CSprite& source)
{
    CGUI::setSprite(source);
    thumb.setSprite(source);
    firstButton.setSprite(source);
    secondButton.setSprite(source);
    setFrame(0);
}

void CScroll::setFrame(std::uint32_t index)
{
    CGUI::setFrame(index, false);
    thumb.setFrame(index + 1);
    firstButton.setFrame(index + 5);
    secondButton.setFrame(index + 9);
    if (const SpriteFrame* frame = sprite.getFrame(index + 1)) {
        const auto w = static_cast<float>(frame->w);
        const auto h = static_cast<float>(frame->h);
        thumb.setSize(w, h);
        if (vertical)
            storeSize(w, getHeight());
        else
            storeSize(getWidth(), h);
    }
    if (const SpriteFrame* frame = sprite.getFrame(index + 5))
        firstButton.setSize(static_cast<float>(frame->w), static_cast<float>(frame->h));
    if (const SpriteFrame* frame = sprite.getFrame(index + 9))
        secondButton.setSize(static_cast<float>(frame->w), static_cast<float>(frame->h));
}

void CScroll::copyFrom(const CScroll& other)
{
    if (&other == this)
        return;
    CGUI::copyFrom(other);
    vertical = other.vertical;
    value = other.value;
    min = other.min;
    max = other.max;
    increment = other.increment;
    thumb.copyFrom(other.thumb);
    firstButton.copyFrom(other.firstButton);
    secondButton.copyFrom(other.secondButton);
    pressedPart = nullptr;
    connectParts();
}

void CScroll::load(CXMLNode& node)
{
    CGUI::load(node);
    if (GUIAttributes::has(node, "vertical"))
        setVertical(GUIAttributes::boolean(node, "vertical", true));
    if (GUIAttributes::has(node, "min")) {
        setMin(GUIAttributes::real(node, "min", 0.0f));
        setValue(value);
    }
    if (GUIAttributes::has(node, "max")) {
        setMax(GUIAttributes::real(node, "max", 0.0f));
        setValue(value);
    }
    if (GUIAttributes::has(node, "increment"))
        setIncrement(GUIAttributes::real(node, "increment", 1.0f));
}
