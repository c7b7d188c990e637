// CMenu: a menu title or a menu entry.
//
// A menu whose parent is not a menu is a top-level title: clicking it opens
// or closes the column of its entries below it. A menu whose parent is a
// menu is an entry: hovering opens its own entries to its right; clicking
// it closes the whole tree and reports the entry's name through its
// parent's onSelect. Titles and entries are all elements of the same
// manager; the "parent" attribute builds the tree, and a menu node's child
// nodes are loaded as further elements right after it.
//
// Robustness: a menu is the entry of at most one menu, and addEntry refuses
// an entry that would close a loop (the entry is this menu or one that holds
// it), so the entry tree is always a tree and opening, closing and the
// pointer test over it terminate. Closing a subtree walks it without
// recursion. A destroyed entry leaves its menu's entries. A negative
// "spacing" reads as 0.
#pragma once

#include "core/String.h"
#include "gui/CFont.h"
#include "gui/CGUI.h"

#include <cstdint>
#include <vector>

class CMenu : public CGUI {
public:
    CMenu();
    CMenu(const CMenu& other);
    ~CMenu() override;

    void draw() override;
    // Common attributes, then "text", "spacing" and the child "hover".
    void load(CXMLNode& node) override;
    using CGUI::copyFrom;
    // "font" (setFont), load, "icon" (setIcon), then "parent" at once: when
    // the parent is a menu this menu becomes its entry (placeAsEntryOf).
    void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;
    // After the menu is appended: its child nodes are loaded as further
    // elements of the same manager (manager.loadChildren).
    void loadAppended(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;

    // Hides the entry, appends it and relays its onClick to this menu's
    // onSelect with the entry's name. The entry's parent becomes this menu.
    // Refused (false, nothing changed) for null, this menu, a menu that is
    // already an entry, or one that would make the entries loop.
    bool addEntry(CMenu* entry);
    // Takes the parent menu's depth, material (while its own is the GUI
    // default), hover colour and size, then parent->addEntry (this).
    void placeAsEntryOf(CMenu& parentMenu);
    void setFont(const CGUI* element);
    void setIcon(const CGUI* element);
    void setText(const String& value);
    void setSpacing(std::uint32_t value);
    void setOpen(bool show);
    bool isOpen() const { return open; }
    bool isHovered() const { return hovered; }
    // Whether the pointer is over this menu's entries or their sub-columns.
    bool isOverEntries();
    // Whether this menu's parent is a menu (it is then an entry).
    bool isEntry() const;
    // The menu whose entries hold this one, or null.
    CMenu* getHolder() const { return holder; }
    std::uint32_t getSpacing() const { return spacing; }
    const std::vector<CMenu*>& getEntries() const { return entries; }
    CFont& getLabel() { return label; }
    CGUI& getHoverBar() { return hoverBar; }
    CGUI& getIcon() { return icon; }

    // The chosen entry's name, or the title's own name when it is clicked.
    CSignal<String&> onSelect;

protected:
    // Handlers, connected by the constructor in this order.
    void focusChanged(bool value);
    void resized(float width, float height);
    void clicked();
    void mouseEntered();
    void mouseLeft();
    // The selection relay bound to each entry's onClick.
    void entryChosen(CMenu* entry);
    // setOpen (false): hides the whole subtree below this menu.
    void closeSubtree();

    std::vector<CMenu*> entries;  // not owned
    CMenu* holder = nullptr;       // not owned: the menu whose entry this is
    CFont label;
    CGUI hoverBar;
    CGUI icon;
    bool open = false;
    bool hovered = false;
    std::uint32_t spacing = 0;
};
