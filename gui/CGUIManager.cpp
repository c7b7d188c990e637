// CGUIManager: the element list, the description loader and factory, mouse
// routing and drawing.
#include "gui/CGUIManager.h"

#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CControlBar.h"
#include "gui/CEdit.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"
#include "gui/CList.h"
#include "gui/CMenu.h"
#include "gui/CProgress.h"
#include "gui/CScroll.h"
#include "gui/CWindow.h"
#include "gui/GUIAttributes.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "xml/CXMLDocument.h"

#include <algorithm>

CGUIManager::CGUIManager()
{
    connectSlot(connections, mouseInput(), this, &CGUIManager::mouseEvent);
    connectSlot(connections, keyboardInput(), this, &CGUIManager::keyboardEvent);
}

CGUIManager::~CGUIManager()
{
    clear();
    connections.clear();
}

// --- The element list ---

void CGUIManager::append(std::unique_ptr<CGUI> element)
{
    if (!element)
        return;
    if (elements.size() >= capacity) {
        capacity = capacity < 2 ? 2 : capacity * 2;
        elements.reserve(capacity);
    }
    elements.push_back(std::move(element));
}

void CGUIManager::eraseAt(std::uint32_t index)
{
    if (index >= elements.size())
        return;
    // Take the element out before destroying it, so the list is consistent
    // whatever its destruction touches.
    std::unique_ptr<CGUI> doomed = std::move(elements[index]);
    elements.erase(elements.begin() + index);
    if (focus == doomed.get())
        focus = nullptr;
    const auto count = static_cast<std::uint32_t>(elements.size());
    if (count == 0) {
        elements.clear();
        elements.shrink_to_fit();
        capacity = 0;
    } else if (capacity >= count * 2 && capacity > 2) {
        capacity /= 2;
    }
    doomed.reset();
}

CGUI* CGUIManager::getElement(std::uint32_t index) const
{
    return index < elements.size() ? elements[index].get() : nullptr;
}

CGUI* CGUIManager::create(std::int32_t type, const String& name)
{
    std::unique_ptr<CGUI> element = createByType(type);
    if (!element)
        return nullptr;
    element->setName(name);
    CGUI* result = element.get();
    append(std::move(element));
    return result;
}

CGUI* CGUIManager::find(const String& name) const
{
    for (const auto& element : elements) {
        if (element->getName() == name)
            return element.get();
    }
    return nullptr;
}

void CGUIManager::remove(const String& name)
{
    for (std::uint32_t i = 0; i < elements.size(); ++i) {
        if (elements[i]->getName() == name) {
            eraseAt(i);
            return;
        }
    }
}

void CGUIManager::draw()
{
    for (std::size_t i = elements.size(); i > 0; --i) {
        // A draw may run handlers (a control bar reports its drag) that
        // shrink the list.
        if (i <= elements.size())
            elements[i - 1]->draw();
    }
}

void CGUIManager::clearFocus()
{
    CGUI* old = focus;
    focus = nullptr;
    if (old)
        old->setFocus(false);
}

void CGUIManager::clear()
{
    focus = nullptr;
    std::vector<std::unique_ptr<CGUI>> doomed;
    doomed.swap(elements);
    capacity = 0;
    doomed.clear();
}

// --- Factory ---

std::unique_ptr<CGUI> CGUIManager::createByType(std::int32_t type)
{
    switch (type) {
    case CGUI::Element: return std::make_unique<CGUI>();
    case CGUI::Button: return std::make_unique<CButton>();
    case CGUI::CheckBox: return std::make_unique<CCheckBox>();
    case CGUI::ControlBar: return std::make_unique<CControlBar>();
    case CGUI::Edit: return std::make_unique<CEdit>();
    case CGUI::Font: return std::make_unique<CFont>();
    case CGUI::List: return std::make_unique<CList>();
    case CGUI::Menu: return std::make_unique<CMenu>();
    case CGUI::Progress: return std::make_unique<CProgress>();
    case CGUI::Scroll: return std::make_unique<CScroll>();
    case CGUI::Window: return std::make_unique<CWindow>();
    default: return nullptr;
    }
}

std::unique_ptr<CGUI> CGUIManager::createFromNode(const CXMLNode& node, CResourceManager* resources)
{
    const String& name = node.name();
    std::unique_ptr<CGUI> element;
    if (name == String("gui"))
        element = std::make_unique<CGUI>();
    else if (name == String("button"))
        element = std::make_unique<CButton>();
    else if (name == String("checkbox"))
        element = std::make_unique<CCheckBox>();
    else if (name == String("combo"))
        element = std::make_unique<CCombo>();
    else if (name == String("control"))
        element = std::make_unique<CControlBar>();
    else if (name == String("edit"))
        element = std::make_unique<CEdit>();
    else if (name == String("font"))
        element = std::make_unique<CFont>();
    else if (name == String("frame"))
        element = std::make_unique<CFrame>();
    else if (name == String("list"))
        element = std::make_unique<CList>();
    else if (name == String("menu"))
        element = std::make_unique<CMenu>();
    else if (name == String("progress"))
        element = std::make_unique<CProgress>();
    else if (name == String("scroll"))
        element = std::make_unique<CScroll>();
    else if (name == String("window"))
        element = std::make_unique<CWindow>();
    else
        return nullptr;
    applySprite(*element, node, resources);
    return element;
}

void CGUIManager::applySprite(CGUI& element, const CXMLNode& node, CResourceManager* resources)
{
    if (!resources || !GUIAttributes::has(node, "sprite"))
        return;
    const auto* sprite = dynamic_cast<const CSprite*>(resources->find(GUIAttributes::text(node, "sprite")));
    if (!sprite)
        return;
    element.setSprite(*sprite);
    // A negative index reads as 0 rather than as a huge unsigned one.
    const std::int32_t frame = GUIAttributes::integer(node, "frame", 0);
    element.setFrame(static_cast<std::uint32_t>(std::max(frame, 0)));
}

// --- References ---

CGUI* CGUIManager::findReference(const CXMLNode& node, const char* attribute) const
{
    if (!GUIAttributes::has(node, attribute))
        return nullptr;
    return find(GUIAttributes::text(node, attribute));
}

// Classes are checked with dynamic_cast rather than by type code: copyFrom
// copies the code, so a plain element may carry another class's code.
CFont* CGUIManager::findFont(const CXMLNode& node, const char* attribute) const
{
    return dynamic_cast<CFont*>(findReference(node, attribute));
}

CScroll* CGUIManager::findScroll(const CXMLNode& node, const char* attribute) const
{
    return dynamic_cast<CScroll*>(findReference(node, attribute));
}

// --- Loading ---

void CGUIManager::load(const String& path, CResourceManager* resources)
{
    CXMLDocument document;
    document.load(path);
    loadNode(document, resources);
}

void CGUIManager::loadNode(CXMLNode& root, CResourceManager* resources)
{
    loadChildren(root, resources);
}

void CGUIManager::loadChildren(CXMLNode& node, CResourceManager* resources)
{
    const std::uint32_t n = node.childCount();
    // The element each child node made, for the parent pass. A list index
    // would not do: a menu's entries are appended between its siblings.
    struct Made {
        CGUI* element = nullptr;
        std::weak_ptr<const bool> alive;
    };
    std::vector<Made> made(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        CXMLNode* child = node.child(i);
        if (!child)
            break;
        onLoad.emit(*child, i, n);
        std::unique_ptr<CGUI> element = createFromNode(*child, resources);
        if (!element)
            continue;
        element->setDepth(static_cast<float>(n - i));
        element->loadDescription(*child, *this, resources);
        CGUI* appended = element.get();
        made[i] = Made{appended, appended->lifeline()};
        append(std::move(element));
        appended->loadAppended(*child, *this, resources);
    }

    // Parents may name elements that stand later, so they are set once all
    // siblings exist.
    for (std::uint32_t i = 0; i < n; ++i) {
        CXMLNode* child = node.child(i);
        if (!child)
            break;
        // Handlers of onLoad may have removed what a node made.
        CGUI* element = GUIAttributes::has(*child, "name") ? find(GUIAttributes::text(*child, "name"))
                        : made[i].alive.expired()          ? nullptr
                                                           : made[i].element;
        if (!element || element->getParent() || !GUIAttributes::has(*child, "parent"))
            continue;
        element->setParent(findReference(*child, "parent"));
    }
}

// --- Input ---

void CGUIManager::keyboardEvent(CInputMap&)
{
    // Keys are not routed: controls that take keys listen to keyboardInput
    // themselves.
}

void CGUIManager::mouseEvent(CInputMap& event)
{
    switch (event.action) {
    case CInputMap::pressed: mousePressed(event); break;
    case CInputMap::released: mouseReleased(event); break;
    case CInputMap::doubleClick: mouseDoubleClicked(event); break;
    case CInputMap::moved: mouseMoved(event); break;
    default:
        if (focus)
            focus->onInput.emit(event);
        break;
    }
}

// Handlers may remove elements (the focus included, which clears `focus`),
// so every step re-checks that its element is still the focus.
void CGUIManager::mousePressed(CInputMap& event)
{
    const int x = CGUI::toPixel(event.position.x);
    const int y = CGUI::toPixel(event.position.y);
    // By index: hit tests may emit signals (a list reports its hovered row)
    // whose handlers change the list.
    CGUI* hit = nullptr;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        CGUI* element = elements[i].get();
        if (element->hitTest(x, y)) {
            hit = i < elements.size() && elements[i].get() == element ? element : nullptr;
            break;
        }
    }
    CGUI* old = focus;
    focus = hit;
    if (old && old != hit) {
        old->setFocus(false);
        if (focus != hit)
            return;
    }
    if (!hit)
        return;
    if (hit != old) {
        hit->setFocus(true);
        if (focus != hit)
            return;
    }
    hit->onInput.emit(event);
    if (focus != hit)
        return;
    hit->onPress.emit();
}

void CGUIManager::mouseReleased(CInputMap& event)
{
    CGUI* target = focus;
    if (!target)
        return;
    // Taken before the handlers run: a drag rewrites the event's position to
    // the dragged element's own place.
    const int x = CGUI::toPixel(event.position.x);
    const int y = CGUI::toPixel(event.position.y);
    target->onInput.emit(event);
    if (focus != target)
        return;
    if (target->hitTest(x, y) && focus == target)
        target->onClick.emit();
}

void CGUIManager::mouseDoubleClicked(CInputMap& event)
{
    CGUI* target = focus;
    // A double click belongs to the element its first click went to; on
    // another element (or none) it is a press there.
    if (!target || !target->hitTest(CGUI::toPixel(event.position.x), CGUI::toPixel(event.position.y))) {
        CInputMap press = event;
        press.action = CInputMap::pressed;
        mousePressed(press);
        return;
    }
    target->onInput.emit(event);
    if (focus != target)
        return;
    target->onDoubleClick.emit();
}

void CGUIManager::mouseMoved(CInputMap& event)
{
    // The pointer as it arrived: the focus's handlers may rewrite the event
    // (a dragged element or scroll thumb stores its own new place in it).
    const int x = CGUI::toPixel(event.position.x);
    const int y = CGUI::toPixel(event.position.y);
    if (focus) {
        CGUI* target = focus;
        target->onInput.emit(event);
        if (focus == target && target->isMouseOver())
            return;
    }
    bool hovered = false;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        CGUI* element = elements[i].get();
        if (!element->isEnabled() || !element->isVisible())
            continue;
        const bool hit = element->hitTest(x, y);
        // A hit test may emit signals (a list reports its hovered row) whose
        // handlers remove this element or others before it.
        if (i >= elements.size() || elements[i].get() != element)
            continue;
        if (hit && !hovered) {
            hovered = true;
            element->onMouseOver.emit();
        } else {
            element->onMouseOut.emit();
        }
    }
}
