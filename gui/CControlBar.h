// CControlBar: the title bar of the application's own window.
//
// It has three buttons (minimise, maximise or restore, close) and drags the
// operating-system window: while it is pressed it reports the pointer's
// movement through onDragBy, which the application turns into a window move
// through the framework. The buttons' onClick signals are the rest of its
// outward interface; the application connects them to minimising, switching
// between windowed and full screen, and quitting. The bar itself never talks
// to the window system.
#pragma once

#include "gui/CButton.h"
#include "gui/CGUI.h"

#include <cstdint>

class CControlBar : public CGUI {
public:
    CControlBar();
    CControlBar(const CControlBar& other);
    ~CControlBar() override;

    // The bar and its buttons; then, while the bar drags the window, one
    // onDragBy with the movement since the last frame.
    void draw() override;
    // The buttons hover as the pointer crosses them; then the base test.
    bool hitTest(int x, int y) override;
    // The three buttons, then the bar, take the sprite.
    void setSprite(const CSprite& sprite) override;
    using CGUI::setFrame;
    // Bar frame n; minimise n + 1, maximise n + 9 (restore n + 5), close
    // n + 13, each button resized to its frame.
    void setFrame(std::uint32_t index) override;
    using CGUI::copyFrom;

    CButton& getMinimiseButton() { return minimiseButton; }
    CButton& getMaximiseButton() { return maximiseButton; }
    CButton& getCloseButton() { return closeButton; }
    bool isWindowed() const { return windowed; }

    // Pointer movement (dx, dy) while the bar is dragged.
    CSignal<std::int32_t, std::int32_t> onDragBy;

protected:
    // Handlers, connected by the constructor in this order.
    void dispatchInput(CInputMap& event);
    void forwardClick();
    void layout(float width, float height);
    void toggleMode();

    bool windowed = true;
    CButton minimiseButton;
    CButton maximiseButton;
    CButton closeButton;
    CButton* pressedButton = nullptr;  // not owned
};
