// CWindow: title bar, title text, close button and title-bar dragging.
#include "gui/CWindow.h"

#include "gui/CGUIManager.h"
#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

CWindow::CWindow()
{
    setType(Window);
    enabled = true;
    titleBar.setEnabled(true);
    titleBar.setParent(this);
    title.setParent(this);
    closeButton.setParent(this);
    setMoveable(true);
    connectSlot(windowConnections, onInput, this, &CWindow::dispatchInput);
    connectSlot(windowConnections, onClick, this, &CWindow::forwardClick);
    connectSlot(windowConnections, onResize, this, &CWindow::layout);
}

CWindow::CWindow(const CWindow& other)
    : CWindow()
{
    copyFrom(other);
}

CWindow::~CWindow() = default;

void CWindow::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    setFont(manager.findFont(node));
    // The title bar and close button take "sprite" and "frame" from their
    // nodes, as elements do from theirs.
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        const CXMLNode& child = *node.child(i);
        if (child.name() == String("gui"))
            CGUIManager::applySprite(titleBar, child, resources);
        else if (child.name() == String("button"))
            CGUIManager::applySprite(closeButton, child, resources);
    }
    load(node);
}

void CWindow::load(CXMLNode& node)
{
    CGUI::load(node);
    if (GUIAttributes::has(node, "text"))
        setText(GUIAttributes::text(node, "text"));
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        CXMLNode& child = *node.child(i);
        if (child.name() == String("gui"))
            titleBar.load(child);
        else if (child.name() == String("font"))
            title.load(child);
        else if (child.name() == String("button"))
            closeButton.load(child);
    }
    layout(getWidth(), getHeight());
}

void CWindow::setFont(const CFont* font)
{
    if (!font)
        return;
    title.copyFrom(*font);
    title.setParent(this);
    title.setText(String());
    title.setPosition(0.0f, 0.0f);
    layout(getWidth(), getHeight());
}

void CWindow::setText(const String& value)
{
    title.setText(value);
}

void CWindow::layout(float width, float)
{
    titleBar.setSize(width, titleBar.getHeight());
    title.setSize(width, titleBar.getHeight());
    closeButton.setPosition(width - closeButton.getWidth() - 2.0f,
        titleBar.getHeight() * 0.5f - closeButton.getHeight() * 0.5f);
}

void CWindow::dispatchInput(CInputMap& event)
{
    const int x = toPixel(event.position.x);
    const int y = toPixel(event.position.y);
    switch (event.action) {
    case CInputMap::moved:
        if (closeButton.hitTest(x, y))
            closeButton.onMouseOver.emit();
        else
            closeButton.onMouseOut.emit();
        break;
    case CInputMap::pressed:
        if (closeButton.hitTest(x, y)) {
            closeButton.onInput.emit(event);
            pressedClose = &closeButton;
        } else {
            pressedClose = nullptr;
        }
        // Only the title bar drags the window, and not through its button;
        // the drag handler before this one has already limited grabbing to
        // the left button.
        grabbing = grabbing && !pressedClose && titleBar.hitTest(x, y);
        break;
    case CInputMap::released:
        if (pressedClose) {
            closeButton.onInput.emit(event);
            if (!closeButton.hitTest(x, y))
                pressedClose = nullptr;
        }
        break;
    default:
        break;
    }
}

void CWindow::forwardClick()
{
    if (pressedClose)
        closeButton.onClick.emit();
}

void CWindow::draw()
{
    CGUI::draw();
    if (!isVisible())
        return;
    titleBar.setDepth(getDepth() + 1.0f);
    title.setDepth(getDepth() + 2.0f);
    closeButton.setDepth(getDepth() + 2.0f);
    titleBar.draw();
    title.draw();
    closeButton.draw();
}
