// CGUI: the base of every GUI element, and the plain element of a GUI
// description ("gui").
//
// An element is a textured quad (CQuad) whose scale is its size. It adds a
// name, a position relative to an optional parent, an anchor alignment, an
// owned copy of a sprite with a selected frame, state flags (enabled,
// visible, moveable, focused), the twelve standard signals, hit testing,
// dragging of moveable elements, and the reading of the attributes every
// element shares from a description node.
//
// Elements know nothing of the window system: input arrives as CInputMap
// events that the GUI manager routes to the focused element's onInput, and
// drawing goes through the renderer only (with no GL context a draw does
// nothing, so all logic runs headless).
//
// Virtual operations in slot order: destructor, draw, copyFrom, load,
// hitTest, isMouseOver, setSprite, setFrame (index, resize), setFrame
// (index); then the description loader's per-type step (loadDescription,
// loadAppended). Subclasses that override one setFrame overload or add their
// own copy operation write `using CGUI::setFrame;` / `using CGUI::copyFrom;`
// so the other overloads stay visible.
//
// Robustness: a parent that would make the parent chain loop, or make it
// deeper than maxParentDepth, is refused, so the effective position,
// visibility and enabled state always terminate and cost little.
// Sizes and positions that are not finite or beyond maxCoordinate are
// clamped (NaN reads as 0).
#pragma once

#include "core/CSlotList.h"
#include "core/CVector.h"
#include "core/String.h"
#include "framework/CInputMap.h"
#include "render/CQuad.h"
#include "resources/CSprite.h"

#include <cstdint>
#include <memory>
#include <vector>

class CGUIManager;
class CResourceManager;
class CXMLNode;

class CGUI : public CQuad {
public:
    // Element type codes; 12 and 13 are not used.
    enum Type : std::int32_t {
        Element = 0,
        Button = 1,
        CheckBox = 2,
        Combo = 3,
        ControlBar = 4,
        Edit = 5,
        Font = 6,
        Frame = 7,
        List = 8,
        Menu = 9,
        Progress = 10,
        Scroll = 11,
        Window = 14,
    };

    // Largest magnitude of a position or size; larger values are clamped.
    static constexpr float maxCoordinate = 1.0e6f;
    // v clamped to [-maxCoordinate, maxCoordinate]; NaN gives 0.
    static float clampCoordinate(float v);
    // A window coordinate as the integer pixel hit tests take (clamped, NaN 0).
    static int toPixel(float v);

    CGUI();
    // Default-constructs, then copyFrom(other). Signals are not copied.
    CGUI(const CGUI& other);
    CGUI& operator=(const CGUI&) = delete;
    ~CGUI() override;

    // --- Virtual operations (slot order) ---

    // Draws the quad at the element's absolute position when it and its
    // parents are visible.
    void draw() override;
    // Takes over the shape, name, flags, align, sprite and frame, parent,
    // size and type of other; signals and their listeners are not copied.
    virtual void copyFrom(const CGUI& other);
    // Reads the common attributes and child elements of a description node.
    virtual void load(CXMLNode& node);
    // Whether the window point lies on the element (effectively enabled and
    // visible elements only; rotation and anchor are taken into account).
    virtual bool hitTest(int x, int y);
    // hitTest at the last known mouse position.
    virtual bool isMouseOver();
    // Copies the sprite into the element and selects frame 0; size unchanged.
    virtual void setSprite(const CSprite& sprite);
    // Selects a sprite frame; with resize, takes the frame's size when the
    // frame exists (emitting onResize).
    virtual void setFrame(std::uint32_t index, bool resize);
    virtual void setFrame(std::uint32_t index);

    // The description loader's step for this element's type: resolves the
    // references it takes from elements that stand earlier in the
    // description (font, scroll, icon; a menu's parent) through `manager`,
    // then reads the node (normally with `load`). The plain element, control
    // bars, fonts, progress bars and scroll bars only `load`.
    virtual void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources);
    // Called by the loader right after this element was appended to the
    // manager's list. Menus load their child nodes as further elements here;
    // all others do nothing.
    virtual void loadAppended(CXMLNode& node, CGUIManager& manager, CResourceManager* resources);

    // --- Non-virtual operations ---

    void setName(const String& value) { name = value; }
    const String& getName() const { return name; }
    std::int32_t getType() const { return type; }

    // Position relative to the parent; z is untouched. Emits onMove.
    void setPosition(float x, float y);
    // Writes x, y, z into the translation without a signal.
    void setTranslation(float x, float y, float z);
    void setDepth(float z);
    float getX() const;
    float getY() const;
    float getDepth() const;
    // The translation plus the parent's absolute position, recursively.
    CVector getAbsolutePosition() const;

    // Stores the size as the scale's x, y and emits onResize.
    void setSize(float width, float height);
    // Stores the size without a signal (and without counting it in
    // sizeChanges: for sizes an element sets and restores while drawing).
    void storeSize(float width, float height);
    // Counts the size changes made through setSize and copyFrom by any
    // element, so holders of sums of sizes can tell when theirs went stale.
    static std::uint64_t sizeChanges() { return sizeChangeCount; }
    float getWidth() const { return scale.x; }
    float getHeight() const { return scale.y; }

    void setEnabled(bool value);     // emits onEnable
    void setVisible(bool value);     // emits onVisible
    void setMoveable(bool value);    // connects or disconnects dragSlot
    void setFocus(bool value);       // emits onFocus
    // Own flags.
    bool getEnabled() const { return enabled; }
    bool getVisible() const { return visible; }
    bool isMoveable() const { return moveable; }
    bool isFocused() const { return focused; }
    bool isGrabbing() const { return grabbing; }
    // Effective flags: this element's and every ancestor's.
    bool isEnabled() const;
    bool isVisible() const;

    // Most ancestors any element may have. Effective position, visibility
    // and enabled state walk the ancestors of an element on every mouse move
    // and draw; with chains this short those walks stay linear in the number
    // of elements, however a description chains its parents.
    static constexpr int maxParentDepth = 64;

    // Sets the parent (null for none). Refused, returning false and keeping
    // the old parent, when the element is `value` or one of its ancestors,
    // or when the element or one of its descendants would get more than
    // maxParentDepth ancestors. The parent is not owned; when it is
    // destroyed first, this element simply loses its parent.
    bool setParent(CGUI* value);
    CGUI* getParent() const { return parent; }

    // Anchor code 0 to 8 (top-left ... bottom-right); for text elements the
    // code is only stored and selects the text alignment.
    void setAlign(std::int32_t code);
    std::int32_t getAlign() const { return align; }

    CSprite& getSprite() { return sprite; }
    const CSprite& getSprite() const { return sprite; }
    std::uint32_t getFrameIndex() const { return frameIndex; }

    // The drag handler bound to dragSlot (run for every event on onInput
    // while the element is moveable).
    void drag(CInputMap& event);

    // The twelve standard signals, in their standard order.
    CSignal<CInputMap&> onInput;
    CSignal<> onMouseOver;
    CSignal<> onMouseOut;
    CSignal<bool> onFocus;
    CSignal<bool> onEnable;
    CSignal<bool> onVisible;
    CSignal<float, float> onMove;
    CSignal<float, float> onDragEnd;
    CSignal<float, float> onResize;
    CSignal<> onPress;
    CSignal<> onClick;
    CSignal<> onDoubleClick;

    // Expires when the element is destroyed. Handlers may destroy the element
    // whose signal they hear (an application removing a list from its
    // onHover, or from a cell's onClick), so code that emits and then goes on
    // using the element holds one of these across the emission and checks it.
    std::weak_ptr<const bool> lifeline() const { return life; }

protected:
    // For subclasses: sets the type code fixed by their constructor.
    void setType(std::int32_t value) { type = value; }
    String name;
    bool dragMoved = false;
    bool moveable = false;
    bool enabled = false;
    bool visible = true;
    bool focused = false;
    bool grabbing = false;
    std::uint32_t frameIndex = 0;
    std::int32_t type = Element;
    CSprite sprite;
    std::int32_t align = 0;
    CVector grabOffset;
    CSlot<CGUI, CInputMap&> dragSlot;
    // Connections of this element's handlers (to its own and its parts'
    // signals); released on destruction before the signals.
    CSlotList connections;

private:
    // Only setParent changes these, so the parent chain never loops. Each
    // element knows the elements placed in it, and a destroyed element
    // leaves its children without a parent instead of dangling.
    // Generations of descendants below this element (0 without children).
    int levelsBelow() const;

    CGUI* parent = nullptr;         // not owned
    std::vector<CGUI*> children;    // not owned
    std::shared_ptr<const bool> life = std::make_shared<const bool>(true);
    inline static std::uint64_t sizeChangeCount = 0;
};
