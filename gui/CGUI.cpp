// CGUI: the element base: geometry, flags, signals, hit testing, dragging,
// sprite frames and the common description attributes.
#include "gui/CGUI.h"

#include "framework/Input.h"
#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

#include <algorithm>
#include <cmath>

namespace {

// The unit quad at anchor 0: vertex 0 top-left, then clockwise on screen.
// Texture v is 1 along the top edge, since pictures are stored bottom-up.
CVertex unitVertex(float x, float y)
{
    CVertex vertex;
    vertex.position.set(x, y, 0.0f);
    vertex.texCoord.set(x, 1.0f - y);
    vertex.normal.set(0.0f, 0.0f, 1.0f);
    return vertex;
}

// A colour child ("ambient", "hover", ...): r, g, b default 0, a default 1.
CVector readColour(const CXMLNode& node)
{
    return CVector(GUIAttributes::real(node, "r", 0.0f), GUIAttributes::real(node, "g", 0.0f),
        GUIAttributes::real(node, "b", 0.0f), GUIAttributes::real(node, "a", 1.0f));
}

std::uint8_t colourByte(float value)
{
    const float scaled = value * 255.0f;
    if (!(scaled > 0.0f))
        return 0;
    if (scaled >= 255.0f)
        return 255;
    return static_cast<std::uint8_t>(scaled);
}

} // namespace

float CGUI::clampCoordinate(float v)
{
    if (std::isnan(v))
        return 0.0f;
    return std::clamp(v, -maxCoordinate, maxCoordinate);
}

int CGUI::toPixel(float v)
{
    return static_cast<int>(clampCoordinate(v));
}

CGUI::CGUI()
    : CQuad(unitVertex(0, 0), unitVertex(1, 0), unitVertex(1, 1), unitVertex(0, 1))
{
    material.emission.set(1.0f, 1.0f, 1.0f, 0.0f);
    sprite.setShape(this);
    dragSlot.bind(this, &CGUI::drag);
}

CGUI::CGUI(const CGUI& other)
    : CGUI()
{
    copyFrom(other);
}

CGUI::~CGUI()
{
    for (CGUI* child : children)
        child->parent = nullptr;
    children.clear();
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent = nullptr;
    }
}

// --- Geometry ---

void CGUI::setPosition(float x, float y)
{
    x = clampCoordinate(x);
    y = clampCoordinate(y);
    if (transform.elementCount() >= 16) {
        transform.setElement(12, x);
        transform.setElement(13, y);
    } else if (transform.elementCount() >= 9) {
        transform.setElement(6, x);
        transform.setElement(7, y);
    }
    onMove.emit(x, y);
}

void CGUI::setTranslation(float x, float y, float z)
{
    if (transform.elementCount() >= 16) {
        transform.setElement(12, clampCoordinate(x));
        transform.setElement(13, clampCoordinate(y));
        transform.setElement(14, clampCoordinate(z));
    } else if (transform.elementCount() >= 9) {
        transform.setElement(6, clampCoordinate(x));
        transform.setElement(7, clampCoordinate(y));
    }
}

void CGUI::setDepth(float z)
{
    if (transform.elementCount() >= 16)
        transform.setElement(14, clampCoordinate(z));
}

float CGUI::getX() const
{
    if (transform.elementCount() >= 16)
        return transform.element(12);
    return transform.elementCount() >= 9 ? transform.element(6) : 0.0f;
}

float CGUI::getY() const
{
    if (transform.elementCount() >= 16)
        return transform.element(13);
    return transform.elementCount() >= 9 ? transform.element(7) : 0.0f;
}

float CGUI::getDepth() const
{
    return transform.elementCount() >= 16 ? transform.element(14) : 0.0f;
}

CVector CGUI::getAbsolutePosition() const
{
    CVector position(getX(), getY(), getDepth());
    for (const CGUI* ancestor = parent; ancestor; ancestor = ancestor->parent) {
        position.x += ancestor->getX();
        position.y += ancestor->getY();
        position.z += ancestor->getDepth();
    }
    return position;
}

void CGUI::storeSize(float width, float height)
{
    // Negative sizes would turn the quad inside out; NaN would poison every
    // later layout sum.
    scale.x = std::max(clampCoordinate(width), 0.0f);
    scale.y = std::max(clampCoordinate(height), 0.0f);
}

void CGUI::setSize(float width, float height)
{
    const float oldWidth = scale.x;
    const float oldHeight = scale.y;
    storeSize(width, height);
    if (scale.x != oldWidth || scale.y != oldHeight)
        ++sizeChangeCount;
    onResize.emit(scale.x, scale.y);
}

// --- Flags ---

void CGUI::setEnabled(bool value)
{
    enabled = value;
    onEnable.emit(value);
}

void CGUI::setVisible(bool value)
{
    visible = value;
    onVisible.emit(value);
}

void CGUI::setMoveable(bool value)
{
    moveable = value;
    if (value)
        onInput.connect(&dragSlot);
    else
        onInput.disconnect(&dragSlot);
}

void CGUI::setFocus(bool value)
{
    focused = value;
    onFocus.emit(value);
}

bool CGUI::isEnabled() const
{
    for (const CGUI* element = this; element; element = element->parent) {
        if (!element->enabled)
            return false;
    }
    return true;
}

bool CGUI::isVisible() const
{
    for (const CGUI* element = this; element; element = element->parent) {
        if (!element->visible)
            return false;
    }
    return true;
}

bool CGUI::setParent(CGUI* value)
{
    if (value == parent)
        return true;
    int ancestors = 0;
    for (const CGUI* ancestor = value; ancestor; ancestor = ancestor->parent) {
        if (ancestor == this)
            return false;
        ++ancestors;
    }
    if (ancestors > 0 && ancestors + levelsBelow() > maxParentDepth)
        return false;
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    parent = value;
    if (parent)
        parent->children.push_back(this);
    return true;
}

int CGUI::levelsBelow() const
{
    // Recursion is bounded: no chain is deeper than maxParentDepth.
    int levels = 0;
    for (const CGUI* child : children)
        levels = std::max(levels, child->levelsBelow() + 1);
    return levels;
}

void CGUI::setAlign(std::int32_t code)
{
    align = code;
    if (type == Font)
        return;
    const float ox = (code == 1 || code == 4 || code == 7) ? -0.5f : (code == 2 || code == 5 || code == 8) ? -1.0f : 0.0f;
    const float oy = code > 5 ? -1.0f : (code >= 3 && code <= 5) ? -0.5f : 0.0f;
    float* positions = getPositions();
    if (!positions || vertexCount < 4)
        return;
    const float corners[4][2] = {{ox, oy}, {ox + 1.0f, oy}, {ox + 1.0f, oy + 1.0f}, {ox, oy + 1.0f}};
    for (int i = 0; i < 4; ++i) {
        positions[i * 3] = corners[i][0];
        positions[i * 3 + 1] = corners[i][1];
    }
}

// --- Drawing and hit testing ---

void CGUI::draw()
{
    if (!parent) {
        if (visible)
            CQuad::draw();
        return;
    }
    if (!visible || !parent->isVisible())
        return;
    const float x = getX();
    const float y = getY();
    const float z = getDepth();
    const CVector absolute = getAbsolutePosition();
    setTranslation(absolute.x, absolute.y, z);
    CQuad::draw();
    setTranslation(x, y, z);
}

bool CGUI::hitTest(int x, int y)
{
    if (!isEnabled() || !isVisible())
        return false;
    const float* positions = getPositions();
    if (!positions || vertexCount < 4)
        return false;
    const float ax = positions[0] * scale.x;
    const float ay = positions[1] * scale.y;
    const float bx = positions[6] * scale.x;
    const float by = positions[7] * scale.y;
    const CVector absolute = getAbsolutePosition();
    float qx = static_cast<float>(x) - absolute.x;
    float qy = static_cast<float>(y) - absolute.y;
    if (rotation.x != 0.0f || rotation.y != 0.0f || rotation.z != 0.0f) {
        CVector quaternion;
        quaternion.fromEuler(-rotation.x, -rotation.y, -rotation.z);
        CMatrix matrix(4, 4);
        CVector::toMatrix(quaternion, matrix);
        const float rx = matrix.element(0) * qx + matrix.element(4) * qy;
        const float ry = matrix.element(1) * qx + matrix.element(5) * qy;
        qx = rx;
        qy = ry;
    }
    const bool inX = (qx >= ax && qx <= bx) || (qx >= bx && qx <= ax);
    const bool inY = (qy >= ay && qy <= by) || (qy >= by && qy <= ay);
    return inX && inY;
}

bool CGUI::isMouseOver()
{
    const CVector mouse = mousePosition();
    return hitTest(toPixel(mouse.x), toPixel(mouse.y));
}

// --- Dragging ---

void CGUI::drag(CInputMap& event)
{
    if (!moveable || !isEnabled() || !isVisible())
        return;
    if (event.action == CInputMap::pressed && event.code == 0) {
        grabbing = true;
        grabOffset.set(event.position.x - getX(), event.position.y - getY());
    } else if (event.action == CInputMap::released && event.code == 0) {
        grabbing = false;
    }
    if (grabbing && event.action == CInputMap::moved) {
        dragMoved = true;
        const float x = clampCoordinate(event.position.x - grabOffset.x);
        const float y = clampCoordinate(event.position.y - grabOffset.y);
        event.position.x = x;
        event.position.y = y;
        setTranslation(x, y, getDepth());
        onMove.emit(x, y);
    } else if (dragMoved) {
        dragMoved = false;
        onDragEnd.emit(getX(), getY());
    }
}

// --- Sprite ---

void CGUI::setSprite(const CSprite& value)
{
    if (material.textures.empty())
        material.textures.insert(material.textures.begin(), 0u);
    frameIndex = 0;
    if (&value != &sprite)
        sprite = value;
    sprite.setShape(this);
    sprite.setFrame(0);
}

void CGUI::setFrame(std::uint32_t index, bool resize)
{
    frameIndex = index;
    sprite.setFrame(index);
    if (resize && index < sprite.getFrameCount()) {
        const SpriteFrame* frame = sprite.getFrame(index);
        setSize(static_cast<float>(frame->w), static_cast<float>(frame->h));
    }
}

void CGUI::setFrame(std::uint32_t index)
{
    setFrame(index, false);
}

// --- Copying ---

void CGUI::copyFrom(const CGUI& other)
{
    if (&other == this)
        return;
    CShape::copyFrom(other);
    name = other.name;
    setMoveable(other.moveable);
    enabled = other.enabled;
    visible = other.visible;
    setAlign(other.align);
    setSprite(other.sprite);
    setFrame(other.frameIndex);
    setParent(other.parent);
    if (scale.x != other.scale.x || scale.y != other.scale.y)
        ++sizeChangeCount;
    scale.set(other.scale.x, other.scale.y, other.scale.z);
    type = other.type;
}

// --- Description ---

void CGUI::loadDescription(CXMLNode& node, CGUIManager&, CResourceManager*)
{
    load(node);
}

void CGUI::loadAppended(CXMLNode&, CGUIManager&, CResourceManager*)
{
}

void CGUI::load(CXMLNode& node)
{
    using namespace GUIAttributes;
    if (has(node, "name"))
        setName(text(node, "name"));
    setPosition(real(node, "x", 0.0f), real(node, "y", 0.0f));
    if (has(node, "z"))
        setDepth(real(node, "z", 0.0f));

    const SpriteFrame* frame = sprite.getFrame(sprite.getCurrentFrame());
    const float width = has(node, "w") ? real(node, "w", 0.0f) : frame ? static_cast<float>(frame->w) : 1.0f;
    const float height = has(node, "h") ? real(node, "h", 0.0f) : frame ? static_cast<float>(frame->h) : 1.0f;
    setSize(width, height);

    if (has(node, "align"))
        setAlign(integer(node, "align", 0));
    if (has(node, "enabled"))
        setEnabled(boolean(node, "enabled", false));
    if (has(node, "visible"))
        setVisible(boolean(node, "visible", true));
    if (has(node, "moveable"))
        setMoveable(boolean(node, "moveable", false));

    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        const CXMLNode& child = *node.child(i);
        const String& childName = child.name();
        if (childName == String("rotate")) {
            setRotation(real(child, "x", 0.0f), real(child, "y", 0.0f), real(child, "z", 0.0f));
        } else if (childName == String("ambient")) {
            material.ambient = readColour(child);
        } else if (childName == String("diffuse")) {
            material.diffuse = readColour(child);
        } else if (childName == String("emission")) {
            material.emission = readColour(child);
        } else if (childName == String("specular")) {
            material.specular = readColour(child);
        } else if (childName == String("shininess")) {
            material.shininess = real(child, "value", 1.0f);
        } else if (childName == String("alpha")) {
            material.diffuse.w = real(child, "value", 1.0f);
        } else if (childName == String("blend")) {
            if (has(child, "value"))
                material.additive = boolean(child, "value", false);
        } else if (childName == String("gradient")) {
            setVertexColours(true);
            material.emission.set(0.0f, 0.0f, 0.0f, 0.0f);
            std::uint8_t* colours = getColours();
            for (std::uint32_t j = 0; colours && j < child.childCount(); ++j) {
                const CXMLNode& point = *child.child(j);
                int vertex = -1;
                for (int k = 0; k < 4; ++k) {
                    const char names[4][3] = {"p1", "p2", "p3", "p4"};
                    if (point.name() == String(names[k]))
                        vertex = k;
                }
                if (vertex < 0 || std::uint32_t(vertex) >= vertexCount)
                    continue;
                const char* components[4] = {"r", "g", "b", "a"};
                for (int c = 0; c < 4; ++c) {
                    if (has(point, components[c]))
                        colours[vertex * 4 + c] = colourByte(real(point, components[c], 0.0f));
                }
            }
        }
    }
}
