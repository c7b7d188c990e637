// CButton: states, state frames and colours, press displacement, label.
#include "gui/CButton.h"

#include "gui/CGUIManager.h"
#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

namespace {

// State codes index four-entry tables; anything else counts as Enable.
CButton::State validState(CButton::State s)
{
    return (s >= CButton::Enable && s <= CButton::Disable) ? s : CButton::Enable;
}

CVector readStateColour(const CXMLNode& node)
{
    return CVector(GUIAttributes::real(node, "r", 0.0f), GUIAttributes::real(node, "g", 0.0f),
        GUIAttributes::real(node, "b", 0.0f), GUIAttributes::real(node, "a", 0.0f));
}

} // namespace

CButton::CButton()
{
    setType(Button);
    enabled = true;
    label.setParent(this);
    connectSlot(connections, onInput, this, &CButton::pressInput);
    connectSlot(connections, onMouseOver, this, &CButton::mouseOverState);
    connectSlot(connections, onMouseOut, this, &CButton::mouseOutState);
    connectSlot(connections, onEnable, this, &CButton::enableState);
    connectSlot(connections, onResize, this, &CButton::resizeLabel);
    connectSlot(connections, label.onInput, this, &CButton::pressInput);
    connectSlot(connections, label.onMouseOver, this, &CButton::mouseOverState);
    connectSlot(connections, label.onMouseOut, this, &CButton::mouseOutState);
}

CButton::CButton(const CButton& other)
    : CButton()
{
    copyFrom(other);
}

CButton::~CButton() = default;

void CButton::draw()
{
    CGUI::draw();
    if (isVisible() && !label.getText().isEmpty()) {
        label.setDepth(getDepth() + 1.0f);
        label.draw();
    }
}

void CButton::load(CXMLNode& node)
{
    CGUI::load(node);
    if (GUIAttributes::has(node, "text")) {
        label.setText(GUIAttributes::text(node, "text"));
        offset.x = 2.0f;
        offset.y = 2.0f;
    }
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        const CXMLNode& child = *node.child(i);
        const String& childName = child.name();
        if (childName == String("offset")) {
            offset = CVector(GUIAttributes::real(child, "x", 0.0f), GUIAttributes::real(child, "y", 0.0f),
                GUIAttributes::real(child, "z", 0.0f), GUIAttributes::real(child, "w", 0.0f));
            fitLabel();
        } else if (childName == String("enable")) {
            stateColours[Enable] = readStateColour(child);
        } else if (childName == String("hover")) {
            stateColours[Hover] = readStateColour(child);
        } else if (childName == String("down")) {
            stateColours[Down] = readStateColour(child);
        } else if (childName == String("disable")) {
            stateColours[Disable] = readStateColour(child);
        }
    }
    if (node.childCount() > 0)
        setState(state);
}

void CButton::copyFrom(const CButton& other)
{
    if (&other == this)
        return;
    CGUI::copyFrom(other);
    offset = other.offset;
    label.copyFrom(other.label);
    label.setParent(this);
    for (int i = 0; i < 4; ++i)
        stateColours[i] = other.stateColours[i];
    checked = other.checked;
    offsetApplied = other.offsetApplied;
    setState(other.state);
}

void CButton::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager*)
{
    setFont(manager.findFont(node));
    load(node);
}

void CButton::setState(State value)
{
    const State s = validState(value);
    state = s;
    sprite.setFrame(frameIndex + static_cast<std::uint32_t>(s));
    const CVector& colour = stateColours[s];
    if (colour.w > 0.0f) {
        material.emission = colour;
        material.diffuse.w = colour.w;
    }
    const bool hasFrames = sprite.getFrameCount() > 0;
    if (s == Down && !offsetApplied) {
        offsetApplied = true;
        if (hasFrames)
            label.setPosition(offset.x, offset.y);
        else
            setTranslation(getX() + offset.x, getY() + offset.y, getDepth());
    } else if (s != Down && offsetApplied) {
        offsetApplied = false;
        if (hasFrames)
            label.setPosition(0.0f, 0.0f);
        else
            setTranslation(getX() - offset.x, getY() - offset.y, getDepth());
    }
    onState.emit(s);
}

void CButton::setChecked(bool value)
{
    checked = value;
    setState(value ? Down : Enable);
}

void CButton::setFont(const CFont* font)
{
    if (!font)
        return;
    label.copyFrom(*font);
    label.setParent(this);
    label.setEnabled(true);
    label.setText(String(""));
    label.setPosition(0.0f, 0.0f);
    if (type == Button)
        label.setAlign(4);
    fitLabel();
}

void CButton::setText(const String& value)
{
    label.setText(value);
}

void CButton::setOffset(const CVector& value)
{
    offset = value;
    fitLabel();
}

void CButton::fitLabel()
{
    label.setSize(offset.w != 0.0f ? offset.w : getWidth(), getHeight());
}

// --- Handlers ---

void CButton::pressInput(CInputMap& event)
{
    if (!enabled || checked)
        return;
    const int x = toPixel(event.position.x);
    const int y = toPixel(event.position.y);
    if (event.action == CInputMap::released)
        setState(hitTest(x, y) ? Hover : Enable);
    else if (event.action == CInputMap::pressed && hitTest(x, y))
        setState(Down);
}

void CButton::mouseOverState()
{
    if (enabled && !checked && state != Down)
        setState(Hover);
}

void CButton::mouseOutState()
{
    if (enabled && !checked && state != Down)
        setState(Enable);
}

void CButton::enableState(bool value)
{
    setState(!value ? Disable : checked ? Down : Enable);
}

void CButton::resizeLabel(float width, float height)
{
    label.setSize(offset.w != 0.0f ? offset.w : width, height);
}
