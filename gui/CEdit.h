// CEdit: a one-line or multi-line text input.
//
// The text is shown by an owned text element (textView). While the field
// has the focus it takes characters from the keyboardInput signal; typing
// always appends at the end (no caret position, no selection) and every
// change made by typing is reported through onChange. A blink timer toggles
// `blink` every 300 ms while the field is active.
//
// The caret is a thin bar in the text's colour after the last character,
// shown while the field is active and `blink` is on; it follows the text
// view's own layout (alignment, wrapping, password characters). Activation
// turns `blink` on, so the caret shows at once.
//
// A "limit" read as negative counts as 0: nothing can be typed, backspace
// still works. Presses from key-down messages (the arrow keys) type nothing,
// though their codes equal those of '%' to '('.
#pragma once

#include "core/String.h"
#include "framework/CTimer.h"
#include "gui/CFont.h"
#include "gui/CGUI.h"

#include <cstdint>

class CEdit : public CGUI {
public:
    CEdit();
    CEdit(const CEdit& other);
    ~CEdit() override;

    void draw() override;
    // Common attributes, then "text", "borderSize", "multiline", "password",
    // "number", "limit".
    void load(CXMLNode& node) override;
    // Slot 9: the base, the text view, multiline, number, blink, limit and
    // borderSize; the copy is inactive.
    using CGUI::copyFrom;
    virtual void copyFrom(const CEdit& other);
    // Resolves "font" (setFont), then load.
    void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;

    // The view's setText (escapes included); no onChange.
    void setText(const String& value);
    const String& getText() const { return textView.text; }
    void setFont(const CFont* font);
    CFont& getTextView() { return textView; }
    bool isActive() const { return active; }
    bool isBlinkOn() const { return blink; }
    float getBorderSize() const { return borderSize; }
    // The caret bar (a plain element placed in the field); exposed for tests.
    const CGUI& getCaret() const { return caret; }
    // Where the caret stands, relative to the field: the pen position after
    // the last character as the text view lays it out. False when the text
    // runs past the view's last line (no caret then).
    bool caretPlace(float& x, float& y) const;

    bool multiline = false;
    bool number = false;
    std::uint32_t limit = 0xFFFFFFFFu;

    CSignal<String&> onChange;

protected:
    // Handlers, connected by the constructor in this order.
    void layout(float width, float height);
    void activate(bool value);
    void typed(CInputMap& event);
    void toggleBlink();

    CFont textView;
    bool active = false;
    bool blink = false;
    float borderSize = 0.0f;
    CTimer blinkTimer;
    CGUI caret;

private:
    // Appends one character through the view's setText and reports it.
    void append(char character);
    void reportChange();
};
