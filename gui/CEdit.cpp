// CEdit: text view, activation by focus, typing, blinking and the caret.
#include "gui/CEdit.h"

#include "framework/Input.h"
#include "gui/CGUIManager.h"
#include "gui/GUIAttributes.h"

#include <algorithm>

namespace {

constexpr std::uint32_t blinkInterval = 300;  // milliseconds
constexpr float caretWidth = 2.0f;
// No right or bottom edge: what the text view uses when its box is not
// larger than one glyph cell.
constexpr float unbounded = 8388607.0f;

// Whether the text view draws a glyph for `character` (and so advances).
bool hasGlyph(const CFont& view, char character)
{
    if (character < 0)
        return false;
    const SpriteFrame* frame = view.getSprite().getFrame(static_cast<std::uint8_t>(character));
    return frame && frame->texture;
}

}  // namespace

CEdit::CEdit()
{
    setType(Edit);
    enabled = true;
    textView.setParent(this);
    caret.setParent(this);
    caret.storeSize(caretWidth, 0.0f);
    blinkTimer.interval = blinkInterval;
    connectSlot(connections, onResize, this, &CEdit::layout);
    connectSlot(connections, onFocus, this, &CEdit::activate);
    connectSlot(connections, keyboardInput(), this, &CEdit::typed);
    connectSlot(connections, blinkTimer.onElapsed, this, &CEdit::toggleBlink);
}

CEdit::CEdit(const CEdit& other)
    : CEdit()
{
    copyFrom(other);
}

CEdit::~CEdit()
{
    blinkTimer.stop();
}

// --- Drawing ---

void CEdit::draw()
{
    CGUI::draw();
    if (!isVisible())
        return;
    textView.setDepth(getDepth() + 1.0f);
    textView.draw();
    float x = 0.0f;
    float y = 0.0f;
    if (!active || !blink || !caretPlace(x, y))
        return;
    // The caret takes the text's colour; it is a plain bar without texture.
    const CMaterial& text = textView.getMaterial();
    CMaterial& bar = caret.getMaterial();
    bar.ambient = text.ambient;
    bar.diffuse = text.diffuse;
    bar.emission = text.emission;
    bar.specular = text.specular;
    bar.additive = text.additive;
    const float lineHeight = textView.getLineHeight();
    caret.storeSize(caretWidth, lineHeight > 0.0f ? lineHeight : textView.getHeight());
    caret.setTranslation(x, y, getDepth() + 2.0f);
    caret.draw();
}

// The text view's draw walks the text with a pen; this walks it the same way
// without drawing, to find where the pen stops after the last character.
bool CEdit::caretPlace(float& x, float& y) const
{
    const CFont& view = textView;
    const String& text = view.text;
    const float width = view.getWidth();
    const float height = view.getHeight();
    const float x0 = view.getX();
    const float y0 = view.getY();
    const float lineHeight = view.getLineHeight();
    const float step = static_cast<float>(view.lead) + lineHeight;
    const SpriteFrame* cell = view.getSprite().getFrame(0);
    const float cellWidth = cell ? static_cast<float>(cell->w) : 0.0f;
    const float cellHeight = cell ? static_cast<float>(cell->h) : 0.0f;

    float right = x0 + width;
    x = x0;
    if (width <= cellWidth)
        right = unbounded;
    else
        x = static_cast<float>(view.getLineStart(0));
    float bottom = y0 + height;
    y = y0;
    if (cellHeight >= height)
        bottom = unbounded;
    else
        y = static_cast<float>(view.getVerticalStart());

    const std::uint32_t length = text.length();
    for (std::uint32_t i = 0; i < length; ++i) {
        const char next = i + 1 < length ? text.charAt(i + 1) : '\0';
        char character = view.passwordChar;
        if (!view.password) {
            character = text.charAt(i);
            if (character == '\n') {
                x = static_cast<float>(view.getLineStart(i + 1));
                y += step;
                if (bottom < y + lineHeight)
                    return false;
                continue;
            }
            if (character == ' ' && next != '\n') {
                float word = 0.0f;
                for (std::uint32_t j = i + 1; j < length; ++j) {
                    const char c = text.charAt(j);
                    if (c == ' ' || c == '\n')
                        break;
                    word += view.getCharWidth(c);
                }
                if (right <= x + word)
                    x = right;
            }
        }
        if (!hasGlyph(view, character))
            continue;
        x += static_cast<float>(view.kern) + view.getCharWidth(character);
        if (right <= x) {
            x = static_cast<float>(view.getLineStart(i + 1));
            y += step;
            if (bottom < y + lineHeight)
                return false;
            if (next == ' ')
                ++i;
        }
    }
    return true;
}

// --- Description ---

void CEdit::load(CXMLNode& node)
{
    using namespace GUIAttributes;
    CGUI::load(node);
    if (has(node, "text"))
        textView.setText(text(node, "text"));
    if (has(node, "borderSize")) {
        borderSize = real(node, "borderSize", 0.0f);
        layout(getWidth(), getHeight());
    }
    if (has(node, "multiline"))
        multiline = boolean(node, "multiline", false);
    if (has(node, "password"))
        textView.password = boolean(node, "password", false);
    if (has(node, "number"))
        number = boolean(node, "number", false);
    if (has(node, "limit"))
        limit = static_cast<std::uint32_t>(std::max(integer(node, "limit", 0), 0));
}

void CEdit::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager*)
{
    setFont(manager.findFont(node));
    load(node);
}

void CEdit::copyFrom(const CEdit& other)
{
    if (&other == this)
        return;
    CGUI::copyFrom(other);
    textView.copyFrom(other.textView);
    textView.setParent(this);
    multiline = other.multiline;
    number = other.number;
    blink = other.blink;
    limit = other.limit;
    borderSize = other.borderSize;
    active = false;
    blinkTimer.stop();
}

// --- Text ---

void CEdit::setText(const String& value)
{
    textView.setText(value);
}

void CEdit::setFont(const CFont* font)
{
    if (!font)
        return;
    textView.copyFrom(*font);
    textView.setParent(this);
    textView.setText(String(""));
    textView.setPosition(0.0f, 0.0f);
    layout(getWidth(), getHeight());
}

// --- Handlers ---

void CEdit::layout(float width, float height)
{
    textView.setSize(width - borderSize, height - borderSize);
    textView.setPosition(borderSize, borderSize);
}

void CEdit::activate(bool value)
{
    active = value;
    // stop() first, so a repeated activation never connects the timer twice.
    blinkTimer.stop();
    if (value) {
        blink = true;
        blinkTimer.start();
    }
}

void CEdit::typed(CInputMap& event)
{
    // Arrow keys share their codes with '%' to '('; only characters type.
    if (!active || event.action != CInputMap::pressed || event.keyDown)
        return;
    const std::uint32_t length = textView.text.length();
    const int k = event.value;
    if (k == 8 && length > 0) {
        textView.setText(textView.text.substring(0, length - 1));
        reportChange();
        return;
    }
    if (k == 13 && multiline && length < limit) {
        append('\n');
        return;
    }
    if (length >= limit)
        return;
    if (number) {
        const bool digit = event.code >= '0' && event.code <= '9';
        const bool point = k == '.' && textView.text.find(0, length, String(".")) >= length;
        const bool minus = k == '-' && length == 0;
        if (digit || point || minus)
            append(static_cast<char>(k));
    } else if (k >= 32 && k <= 127) {
        append(static_cast<char>(k));
    }
}

void CEdit::append(char character)
{
    String next;
    next.format("%s%c", textView.text.c_str() ? textView.text.c_str() : "", character);
    textView.setText(next);
    reportChange();
}

void CEdit::reportChange()
{
    // Listeners get a copy: one that sets the field's text while the signal
    // runs does not change what the later listeners see.
    String text = textView.text;
    onChange.emit(text);
}

void CEdit::toggleBlink()
{
    blink = !blink;
}
