// CMenu: titles, entries, opening columns and the selection relay.
#include "gui/CMenu.h"

#include "gui/CGUIManager.h"
#include "gui/GUIAttributes.h"
#include "render/CMaterial.h"
#include "xml/CXMLNode.h"

#include <algorithm>
#include <utility>

namespace {

// The material every GUI element starts with.
CMaterial defaultGuiMaterial()
{
    CMaterial material;
    material.emission.set(1.0f, 1.0f, 1.0f, 0.0f);
    return material;
}

}  // namespace

CMenu::CMenu()
{
    setType(Menu);
    enabled = true;
    label.setParent(this);
    hoverBar.setParent(this);
    hoverBar.getMaterial().diffuse.w = 0.0f;
    connectSlot(connections, onFocus, this, &CMenu::focusChanged);
    connectSlot(connections, onResize, this, &CMenu::resized);
    connectSlot(connections, onClick, this, &CMenu::clicked);
    connectSlot(connections, onMouseOver, this, &CMenu::mouseEntered);
    connectSlot(connections, onMouseOut, this, &CMenu::mouseLeft);
}

CMenu::CMenu(const CMenu& other)
    : CMenu()
{
    copyFrom(other);
}

CMenu::~CMenu()
{
    for (CMenu* entry : entries)
        entry->holder = nullptr;
    entries.clear();
    if (holder) {
        auto& siblings = holder->entries;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        holder = nullptr;
    }
}

bool CMenu::isEntry() const
{
    return dynamic_cast<const CMenu*>(getParent()) != nullptr;
}

// --- Drawing ---

void CMenu::draw()
{
    CGUI::draw();
    if (!isVisible())
        return;
    const float depth = getDepth();
    if (icon.getWidth() > 1.0f) {
        icon.setDepth(depth + 1.0f);
        icon.draw();
    }
    if (hovered) {
        hoverBar.setDepth(depth + 2.0f);
        hoverBar.draw();
    }
    label.setDepth(depth + 3.0f);
    label.draw();
    if (open || (isEntry() && hovered)) {
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i]->draw();
    }
}

// --- Description ---

void CMenu::load(CXMLNode& node)
{
    using namespace GUIAttributes;
    CGUI::load(node);
    if (has(node, "text"))
        setText(text(node, "text"));
    if (has(node, "spacing"))
        setSpacing(static_cast<std::uint32_t>(std::max(integer(node, "spacing", 0), 0)));
    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        const CXMLNode& child = *node.child(i);
        if (child.name() != String("hover"))
            continue;
        const float alpha = real(child, "a", 1.0f);
        CMaterial& bar = hoverBar.getMaterial();
        bar.emission.set(real(child, "r", 0.0f), real(child, "g", 0.0f), real(child, "b", 0.0f), alpha);
        bar.diffuse.w = alpha;
    }
}

void CMenu::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager*)
{
    // Menus take any element as their label style, not only text elements.
    if (CGUI* font = manager.findReference(node, "font"))
        setFont(font);
    load(node);
    if (CGUI* element = manager.findReference(node, "icon"))
        setIcon(element);
    if (!GUIAttributes::has(node, "parent"))
        return;
    CGUI* parentElement = manager.findReference(node, "parent");
    if (!parentElement || !setParent(parentElement))
        return;
    if (auto* parentMenu = dynamic_cast<CMenu*>(parentElement))
        placeAsEntryOf(*parentMenu);
}

void CMenu::loadAppended(CXMLNode& node, CGUIManager& manager, CResourceManager* resources)
{
    if (node.childCount() > 0)
        manager.loadChildren(node, resources);
}

// --- The entry tree ---

bool CMenu::addEntry(CMenu* entry)
{
    if (!entry || entry == this || entry->holder)
        return false;
    for (const CMenu* menu = holder; menu; menu = menu->holder) {
        if (menu == entry)
            return false;
    }
    if (!entry->setParent(this))
        return false;
    entry->setVisible(false);
    entries.push_back(entry);
    entry->holder = this;
    connectSlot(connections, entry->onClick, this, &CMenu::entryChosen, entry);
    return true;
}

void CMenu::placeAsEntryOf(CMenu& parentMenu)
{
    setDepth(parentMenu.getDepth());
    if (getMaterial().equals(defaultGuiMaterial()))
        getMaterial() = parentMenu.getMaterial();
    const CMaterial& parentBar = parentMenu.hoverBar.getMaterial();
    hoverBar.getMaterial().emission = parentBar.emission;
    hoverBar.getMaterial().diffuse.w = parentBar.diffuse.w;
    setSize(parentMenu.getWidth(), parentMenu.getHeight());
    parentMenu.addEntry(this);
}

void CMenu::setFont(const CGUI* element)
{
    if (!element)
        return;
    if (const auto* font = dynamic_cast<const CFont*>(element)) {
        label.copyFrom(*font);
        label.setAlign(3);
    } else {
        label.CGUI::copyFrom(*element);
        label.setAlign(3);
        // A plain element as the style: its quad is centred on the line.
        if (float* positions = label.getPositions()) {
            const float corners[4][2] = {{0.0f, -0.5f}, {1.0f, -0.5f}, {1.0f, 0.5f}, {0.0f, 0.5f}};
            for (int i = 0; i < 4; ++i) {
                positions[i * 3] = corners[i][0];
                positions[i * 3 + 1] = corners[i][1];
            }
        }
    }
    label.setParent(this);
    label.setEnabled(true);
    label.setVisible(true);
    label.setPosition(static_cast<float>(spacing), 0.0f);
}

void CMenu::setIcon(const CGUI* element)
{
    if (!element || element == &icon)
        return;
    icon.copyFrom(*element);
    icon.setParent(this);
    icon.setEnabled(false);
    icon.setVisible(true);
}

void CMenu::setText(const String& value)
{
    label.setText(value);
}

void CMenu::setSpacing(std::uint32_t value)
{
    spacing = value;
    label.setPosition(static_cast<float>(value), 0.0f);
    label.setSize(getWidth() - static_cast<float>(value), getHeight());
}

// --- Opening and closing ---

void CMenu::setOpen(bool show)
{
    if (!show) {
        closeSubtree();
        return;
    }
    float x = 0.0f;
    float y = getHeight();
    if (isEntry()) {
        x = getWidth();
        y = 0.0f;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        CMenu* entry = entries[i];
        entry->setVisible(true);
        entry->setPosition(x, y);
        y += getHeight();
    }
}

// Hides every entry below this menu, depth first, in the order the recursive
// definition gives (each entry hidden, un-hovered, then its own entries),
// with an explicit stack so a long chain of sub-menus cannot exhaust the
// call stack. The entry lists are read live, so visibility handlers that add
// or remove entries are seen at once.
void CMenu::closeSubtree()
{
    std::vector<std::pair<CMenu*, std::size_t>> stack;
    stack.emplace_back(this, 0);
    while (!stack.empty()) {
        auto& [menu, index] = stack.back();
        if (index >= menu->entries.size()) {
            stack.pop_back();
            continue;
        }
        CMenu* entry = menu->entries[index++];
        entry->setVisible(false);
        entry->hovered = false;
        stack.emplace_back(entry, 0);
    }
}

bool CMenu::isOverEntries()
{
    if (!visible)
        return false;
    std::vector<CMenu*> pending(entries.rbegin(), entries.rend());
    while (!pending.empty()) {
        CMenu* entry = pending.back();
        pending.pop_back();
        if (entry->isMouseOver())
            return true;
        if (!entry->entries.empty() && entry->isVisible() && entry->visible)
            pending.insert(pending.end(), entry->entries.rbegin(), entry->entries.rend());
    }
    return false;
}

// --- Handlers ---

void CMenu::focusChanged(bool value)
{
    if (value || isEntry() || isOverEntries())
        return;
    open = false;
    hovered = false;
    setOpen(false);
}

void CMenu::resized(float width, float height)
{
    hoverBar.setSize(width, height);
    label.setSize(width - static_cast<float>(spacing), height);
}

void CMenu::clicked()
{
    if (isEntry()) {
        hovered = false;
        // The parent chain never loops (setParent refuses loops), so this
        // walk ends.
        CMenu* title = this;
        while (auto* up = dynamic_cast<CMenu*>(title->getParent()))
            title = up;
        title->setOpen(false);
        const bool over = title->isMouseOver();
        title->open = over;
        title->hovered = over;
        return;
    }
    open = !open;
    setOpen(open);
    String chosen = name;
    onSelect.emit(chosen);
}

void CMenu::mouseEntered()
{
    hovered = true;
    if (isEntry())
        setOpen(true);
}

void CMenu::mouseLeft()
{
    if (open || isOverEntries())
        return;
    hovered = false;
    if (isEntry())
        setOpen(false);
}

void CMenu::entryChosen(CMenu* entry)
{
    String chosen = entry->getName();
    onSelect.emit(chosen);
}
