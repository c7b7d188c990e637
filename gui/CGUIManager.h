// CGUIManager: one screen's worth of GUI elements.
//
// The manager owns its elements in one ordered list, front to back (index 0
// is the topmost element), builds them from GUI descriptions, finds them by
// name, routes the process-wide mouse input to them (focus, hover, click)
// and draws them from the last to the first.
//
// Loading: every child of a description's root is one element, chosen by its
// name through the factory ("gui", "button", "checkbox", "combo", "control",
// "edit", "font", "frame", "list", "menu", "progress", "scroll", "window");
// other names create nothing. The factory only creates the element and gives
// it its "sprite" and "frame"; each element class reads the rest of its node
// itself (CGUI::loadDescription). A second pass then resolves the "parent"
// attributes, so a parent may stand later in the file.
//
// The element list grows by doubling (minimum capacity 2) and halves its
// capacity whenever removal leaves it at least half empty; it frees its
// storage when it becomes empty.
//
// The manager hears input only through the engine's mouseInput and
// keyboardInput signals; it never talks to the window system.
#pragma once

#include "core/CSlotList.h"
#include "core/String.h"
#include "framework/CInputMap.h"
#include "gui/CGUI.h"

#include <cstdint>
#include <memory>
#include <vector>

class CFont;
class CResourceManager;
class CScroll;
class CXMLNode;

class CGUIManager {
public:
    CGUIManager();
    CGUIManager(const CGUIManager&) = delete;
    CGUIManager& operator=(const CGUIManager&) = delete;
    // Clears, then leaves the input signals.
    ~CGUIManager();

    // Reads the XML file at path and appends the elements its root's
    // children describe. `resources` resolves "sprite" (null: no sprites).
    // A file that cannot be read yields no elements; nothing is reported.
    void load(const String& path, CResourceManager* resources);
    // The same on a tree already in memory: builds elements from the
    // children of `root`.
    void loadNode(CXMLNode& root, CResourceManager* resources);
    // One run of the loader over the children of `node` (the root, or a menu
    // node whose children become further elements): creation, the per-type
    // step, depths n - i, appending, then the parent pass.
    void loadChildren(CXMLNode& node, CResourceManager* resources);

    // A default element of the type code named `name`, appended. Codes 0, 1,
    // 2, 4, 5, 6, 8, 9, 10, 11, 14 are accepted; any other (3 and 7
    // included) returns null and creates nothing.
    CGUI* create(std::int32_t type, const String& name);
    // The first element in list order named exactly `name`, or null.
    CGUI* find(const String& name) const;
    // Destroys the first element named `name`; the focus is cleared when it
    // was that element. Nothing when no element has the name.
    void remove(const String& name);
    // Draws every element from the last to the first.
    void draw();
    // Destroys all elements and clears the focus.
    void clear();

    // Appends an element the caller made (the manager takes it over).
    void append(std::unique_ptr<CGUI> element);
    std::uint32_t getCount() const { return static_cast<std::uint32_t>(elements.size()); }
    // The list's logical capacity (see the growth rule above).
    std::uint32_t getCapacity() const { return capacity; }
    CGUI* getElement(std::uint32_t index) const;
    CGUI* getFocus() const { return focus; }
    // Takes the focus away (the element gets setFocus(false)), so wheel
    // events stop going to it; for an application whose own area (a canvas
    // it draws itself) the pointer has moved into.
    void clearFocus();

    // The factory: a default element for a description node's name with its
    // "sprite" and "frame" applied, or null for an unknown name.
    static std::unique_ptr<CGUI> createFromNode(const CXMLNode& node, CResourceManager* resources);
    // The factory's sprite step: when the node names a sprite that
    // `resources` holds, the element takes it and the node's "frame". Also
    // used for the parts of combos and windows, whose child nodes describe
    // them.
    static void applySprite(CGUI& element, const CXMLNode& node, CResourceManager* resources);
    // A default element of a type code (the codes `create` accepts), or null.
    static std::unique_ptr<CGUI> createByType(std::int32_t type);

    // Reference resolution for the per-type load steps: the element named by
    // the node's attribute among the elements already in the list, when it
    // is of the wanted class; else null.
    CFont* findFont(const CXMLNode& node, const char* attribute = "font") const;
    CScroll* findScroll(const CXMLNode& node, const char* attribute = "scroll") const;
    CGUI* findReference(const CXMLNode& node, const char* attribute) const;

    // Mouse routing (connected to mouseInput) and the keyboard handler
    // (connected to keyboardInput; keys are not routed by the manager).
    void mouseEvent(CInputMap& event);
    void keyboardEvent(CInputMap& event);

    // Emitted for every top-level description node before its element is
    // created, with (node, index among its siblings, sibling count).
    CSignal<CXMLNode&, unsigned int, unsigned int> onLoad;

private:
    void mousePressed(CInputMap& event);
    void mouseReleased(CInputMap& event);
    void mouseDoubleClicked(CInputMap& event);
    void mouseMoved(CInputMap& event);
    void eraseAt(std::uint32_t index);

    std::vector<std::unique_ptr<CGUI>> elements;
    std::uint32_t capacity = 0;
    CGUI* focus = nullptr;  // not owned
    CSlotList connections;
};
