// CCombo: edit field, drop button and list, with dispatch to the parts.
#include "gui/CCombo.h"

#include "gui/CGUIManager.h"
#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

CCombo::CCombo()
{
    setType(Combo);
    setEnabled(true);
    edit.setParent(this);
    dropButton.setParent(this);
    list.setParent(this);
    connectSlot(connections, onInput, this, &CCombo::dispatchInput);
    connectSlot(connections, onFocus, this, &CCombo::focusChanged);
    connectSlot(connections, dropButton.onClick, this, &CCombo::toggleList);
    connectSlot(connections, list.onSelect, this, &CCombo::listSelected);
    connectSlot(connections, list.onVisible, this, &CCombo::listVisible);
}

CCombo::CCombo(const CCombo& other)
    : CCombo()
{
    CGUI::copyFrom(other);
    openHeight = other.openHeight;
    edit.copyFrom(other.edit);
    dropButton.copyFrom(other.dropButton);
    list.copyFrom(other.list);
    // The parts' copies took the other combo as their parent.
    edit.setParent(this);
    dropButton.setParent(this);
    list.setParent(this);
    // Whoever listens to the original's choice hears the copy's too (a combo
    // copied into list rows reports to the template's listeners).
    for (auto* node = other.onSelect.connections().first(); node; node = node->next)
        onSelect.connect(node->value);
}

CCombo::~CCombo() = default;

void CCombo::draw()
{
    // The combo has no quad of its own.
    if (!isVisible())
        return;
    const float depth = getDepth() + 1.0f;
    edit.setDepth(depth);
    dropButton.setDepth(depth);
    list.setDepth(depth);
    edit.draw();
    dropButton.draw();
    list.draw();
}

// --- Description ---

void CCombo::load(CXMLNode& node)
{
    CGUI::load(node);
    openHeight = getHeight();
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        CXMLNode& child = *node.child(i);
        if (child.name() == String("edit"))
            edit.load(child);
        else if (child.name() == String("button"))
            dropButton.load(child);
        else if (child.name() == String("list"))
            list.load(child);
    }
    dropButton.setPosition(getWidth() - dropButton.getWidth(), 0.0f);
    list.setPosition(0.0f, edit.getHeight());
    list.setSize(getWidth(), openHeight - edit.getHeight());
    if (GUIAttributes::has(node, "selected")) {
        const std::int32_t row = GUIAttributes::integer(node, "selected", 0);
        if (row >= 0 && static_cast<std::uint32_t>(row) < list.getRowCount())
            list.setSelected(static_cast<std::uint32_t>(row));
        select(row, 0);
    }
    list.setVisible(false);
}

void CCombo::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    setFont(manager.findFont(node));
    setScroll(manager.findScroll(node));
    // The parts' nodes skin them the way an element's own node does; before
    // load, so a part without "w" or "h" takes its frame's size.
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        const CXMLNode& child = *node.child(i);
        if (child.name() == String("edit"))
            CGUIManager::applySprite(edit, child, resources);
        else if (child.name() == String("button"))
            CGUIManager::applySprite(dropButton, child, resources);
        else if (child.name() == String("list"))
            CGUIManager::applySprite(list, child, resources);
    }
    load(node);
}

// --- Parts ---

void CCombo::setFont(const CFont* font)
{
    if (!font)
        return;
    edit.setFont(font);
    dropButton.setFont(font);
    list.setFont(font);
}

void CCombo::setScroll(const CScroll* scroll)
{
    if (scroll)
        list.setScroll(scroll);
}

void CCombo::select(std::int32_t row, std::int32_t column)
{
    // A negative row or column names no cell: the text is empty.
    String text;
    if (row >= 0 && column >= 0)
        text = list.getCellText(static_cast<std::uint32_t>(row), static_cast<std::uint32_t>(column));
    edit.setText(text);
    list.setVisible(false);
    onSelect.emit(text, row, column);
}

// --- Handlers ---

void CCombo::dispatchInput(CInputMap& event)
{
    const int x = toPixel(event.position.x);
    const int y = toPixel(event.position.y);
    const bool moved = event.action == CInputMap::moved;
    CGUI* target = nullptr;
    CGUI* parts[3] = {&edit, &dropButton, &list};
    for (CGUI* part : parts) {
        if (part->hitTest(x, y))
            target = part;
        else if (moved)
            part->onMouseOut.emit();
    }
    if (event.action == CInputMap::wheel)
        target = &list;
    if (!target || !focused)
        return;
    if (event.action == CInputMap::pressed && target != focusedPart) {
        if (focusedPart)
            focusedPart->setFocus(false);
        focusedPart = target;
        target->setFocus(true);
    }
    target->onInput.emit(event);
    switch (event.action) {
    case CInputMap::released: target->onClick.emit(); break;
    case CInputMap::doubleClick: target->onDoubleClick.emit(); break;
    case CInputMap::moved: target->onMouseOver.emit(); break;
    default: break;
    }
}

void CCombo::focusChanged(bool value)
{
    if (value)
        return;
    list.setVisible(false);
    if (focusedPart) {
        CGUI* part = focusedPart;
        focusedPart = nullptr;
        part->setFocus(false);
    }
}

void CCombo::toggleList()
{
    list.setVisible(!list.isVisible());
}

void CCombo::listSelected(std::int32_t row, std::int32_t column)
{
    select(row, column);
}

void CCombo::listVisible(bool value)
{
    setSize(getWidth(), value && focused ? openHeight : edit.getHeight());
}
