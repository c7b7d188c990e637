// CScroll: a scroll bar made of a draggable thumb and two arrow buttons.
//
// It holds a real value within [min, max] and reports every change through
// onChange. The first button (top or left) steps the value down by
// `increment`, the second steps it up; the wheel steps too; dragging the
// thumb sets the value from its place on the track. The sprite holds 13
// frames from the element's frame: track, then four states each of thumb,
// first button and second button.
//
// When max equals min, or the track has no length, the thumb stays at the
// start of the track and dragging it reports min (no division by zero).
#pragma once

#include "gui/CButton.h"
#include "gui/CGUI.h"

class CScroll : public CGUI {
public:
    CScroll();
    CScroll(const CScroll& other);
    ~CScroll() override;

    void draw() override;
    // Common attributes, then "vertical", "min", "max", "increment".
    void load(CXMLNode& node) override;
    // Parts hover as the pointer crosses them; then the base hit test.
    bool hitTest(int x, int y) override;
    // The same sprite for track, thumb and both buttons, then setFrame (0).
    void setSprite(const CSprite& sprite) override;
    using CGUI::setFrame;
    // Track frame n, thumb n + 1, first button n + 5, second button n + 9.
    void setFrame(std::uint32_t index) override;
    // Slot 9: the base, vertical, value, min, max, increment, the parts.
    using CGUI::copyFrom;
    virtual void copyFrom(const CScroll& other);

    // value = v clamped to [min, max]; moves the thumb; emits onChange.
    void setValue(float v);
    float getValue() const { return value; }
    // Store the bound only; call setValue (getValue ()) afterwards to
    // re-clamp the value and move the thumb.
    void setMin(float v);
    void setMax(float v);
    float getMin() const { return min; }
    float getMax() const { return max; }
    void setIncrement(float v);
    float getIncrement() const { return increment; }
    // Stores the orientation and lays the parts out again.
    void setVertical(bool on);
    bool isVertical() const { return vertical; }
    // setValue (value +/- increment), then onIncrease / onDecrease and
    // onChange once more.
    void stepUp();
    void stepDown();

    CButton& getThumb() { return thumb; }
    CButton& getFirstButton() { return firstButton; }
    CButton& getSecondButton() { return secondButton; }
    CGUI* getPressedPart() const { return pressedPart; }

    CSignal<float> onIncrease;
    CSignal<float> onDecrease;
    CSignal<float> onChange;

protected:
    // Handlers, connected by the constructor in this order.
    void selfMoved(float x, float y);
    void layout(float width, float height);
    void dispatchInput(CInputMap& event);
    void forwardClick();
    void thumbMoved(float x, float y);
    void firstClicked();
    void secondClicked();
    // Thumb position for the current value.
    void placeThumb();
    void connectParts();

    bool ignoreThumbMove = false;
    bool vertical = true;
    float value = 0.0f;
    float min = 0.0f;
    float max = 0.0f;
    float increment = 1.0f;
    CGUI* pressedPart = nullptr;  // not owned
    CButton thumb;
    CButton firstButton;
    CButton secondButton;
};
