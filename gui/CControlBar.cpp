// CControlBar: window buttons, mode toggle and window dragging.
//
// The drag works in screen coordinates (cursorScreenPosition): the window
// moves under the pointer, so client coordinates would shift by every step
// the bar reports. Each draw reports the movement since the last one and
// takes the current cursor position as the new reference.
#include "gui/CControlBar.h"

#include "framework/Input.h"

namespace {

// A pointer movement as whole pixels (clamped; NaN 0).
std::int32_t wholePixels(float value)
{
    return static_cast<std::int32_t>(CGUI::clampCoordinate(value));
}

} // namespace

CControlBar::CControlBar()
{
    setType(ControlBar);
    enabled = true;
    for (CButton* button : {&minimiseButton, &maximiseButton, &closeButton})
        button->setParent(this);
    connectSlot(connections, onInput, this, &CControlBar::dispatchInput);
    connectSlot(connections, onClick, this, &CControlBar::forwardClick);
    connectSlot(connections, onResize, this, &CControlBar::layout);
    connectSlot(connections, maximiseButton.onClick, this, &CControlBar::toggleMode);
}

CControlBar::CControlBar(const CControlBar& other)
    : CControlBar()
{
    copyFrom(other);
}

CControlBar::~CControlBar() = default;

void CControlBar::setSprite(const CSprite& value)
{
    minimiseButton.setSprite(value);
    maximiseButton.setSprite(value);
    closeButton.setSprite(value);
    CGUI::setSprite(value);
}

void CControlBar::setFrame(std::uint32_t index)
{
    CGUI::setFrame(index, false);
    minimiseButton.setFrame(index + 1, true);
    maximiseButton.setFrame(index + 9, true);
    closeButton.setFrame(index + 13, true);
}

void CControlBar::toggleMode()
{
    if (windowed) {
        minimiseButton.setEnabled(false);
        maximiseButton.setFrame(frameIndex + 5);
    } else {
        minimiseButton.setEnabled(true);
        maximiseButton.setFrame(frameIndex + 9);
    }
    windowed = !windowed;
    // The button shows the state it is in, now from its new images.
    maximiseButton.setState(maximiseButton.getState());
}

void CControlBar::layout(float width, float height)
{
    const float closeX = width - closeButton.getWidth() - 2.0f;
    closeButton.setPosition(closeX, (height - closeButton.getHeight()) * 0.5f);
    closeButton.setDepth(0.0f);
    const float maximiseX = closeX - maximiseButton.getWidth();
    maximiseButton.setPosition(maximiseX, (height - maximiseButton.getHeight()) * 0.5f);
    maximiseButton.setDepth(0.0f);
    const float minimiseX = maximiseX - minimiseButton.getWidth();
    minimiseButton.setPosition(minimiseX, (height - minimiseButton.getHeight()) * 0.5f);
    minimiseButton.setDepth(0.0f);
}

void CControlBar::dispatchInput(CInputMap& event)
{
    const int x = toPixel(event.position.x);
    const int y = toPixel(event.position.y);
    if (event.action == CInputMap::pressed) {
        pressedButton = nullptr;
        for (CButton* button : {&minimiseButton, &maximiseButton, &closeButton}) {
            if (button->hitTest(x, y)) {
                pressedButton = button;
                button->onInput.emit(event);
                break;
            }
        }
    } else if (event.action == CInputMap::released && pressedButton) {
        CButton* button = pressedButton;
        button->onInput.emit(event);
        if (!button->hitTest(x, y))
            pressedButton = nullptr;
    }

    if (moveable || pressedButton || !windowed || event.code != 0)
        return;
    if (event.action == CInputMap::pressed) {
        grabbing = true;
        grabOffset = cursorScreenPosition();
    } else if (event.action == CInputMap::released) {
        grabbing = false;
    }
}

void CControlBar::forwardClick()
{
    if (pressedButton)
        pressedButton->onClick.emit();
}

bool CControlBar::hitTest(int x, int y)
{
    for (CButton* button : {&minimiseButton, &maximiseButton, &closeButton}) {
        if (!button->isEnabled() || !button->isVisible())
            continue;
        if (button->hitTest(x, y))
            button->onMouseOver.emit();
        else
            button->onMouseOut.emit();
    }
    return CGUI::hitTest(x, y);
}

void CControlBar::draw()
{
    CGUI::draw();
    const float depth = getDepth() + 1.0f;
    for (CButton* button : {&minimiseButton, &maximiseButton, &closeButton}) {
        button->setDepth(depth);
        button->draw();
    }
    if (moveable || !grabbing || pressedButton)
        return;
    const CVector cursor = cursorScreenPosition();
    const float dx = cursor.x - grabOffset.x;
    const float dy = cursor.y - grabOffset.y;
    grabOffset.x += dx;
    grabOffset.y += dy;
    onDragBy.emit(wholePixels(dx), wholePixels(dy));
}
