// Fuzzes the GUI description loader: arbitrary bytes are parsed as XML and
// loaded into a manager whose resources hold a few sprites and a font entry
// (DejaVu Sans at its Debian path); then mouse events derived from the
// elements and the input are routed through the engine's input functions,
// keys from the input are typed into the focused elements, each element is
// copied by its own class, and everything is drawn with no renderer.
//
// Handlers chosen by the input are connected to the first elements (and to
// button cells put into lists) before the events are sent: they remove their
// element, clear the manager or create further elements while the manager,
// a list or a cell is still dispatching, as application handlers may.
#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CControlBar.h"
#include "gui/CEdit.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"
#include "gui/CGUIManager.h"
#include "gui/CList.h"
#include "gui/CMenu.h"
#include "gui/CProgress.h"
#include "gui/CScroll.h"
#include "gui/CWindow.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "xml/CXMLDocument.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

// An application handler that changes the element list while it is called.
class Saboteur {
public:
    Saboteur(CGUIManager& manager, String target, std::uint8_t action)
        : manager(manager), target(std::move(target)), action(action)
    {
    }
    void act()
    {
        // A few times only, so creating elements cannot grow without bound.
        if (++calls > 3)
            return;
        switch (action % 4) {
        case 0: manager.remove(target); break;
        case 1: manager.clear(); break;
        case 2: manager.create(static_cast<std::int32_t>(action / 4 % 15), target); break;
        default:
            if (manager.getCount() > 0)
                manager.remove(manager.getElement(0)->getName());
            break;
        }
    }
    void onInput(CInputMap&) { act(); }
    void onFlag(bool) { act(); }
    void onCell(std::int32_t, std::int32_t) { act(); }

    CSlotList slots;

private:
    CGUIManager& manager;
    String target;
    std::uint8_t action;
    int calls = 0;
};

// Connects a saboteur of `element` (named `target` in the manager) to the
// signal `choice` selects.
void sabotage(std::vector<std::unique_ptr<Saboteur>>& saboteurs, CGUIManager& manager, CGUI& element,
              const String& target, std::uint8_t choice, std::uint8_t action)
{
    auto saboteur = std::make_unique<Saboteur>(manager, target, action);
    Saboteur* s = saboteur.get();
    CSlotList& slots = s->slots;
    auto* list = dynamic_cast<CList*>(&element);
    switch (choice % 9) {
    case 0: connectSlot(slots, element.onMouseOver, s, &Saboteur::act); break;
    case 1: connectSlot(slots, element.onMouseOut, s, &Saboteur::act); break;
    case 2: connectSlot(slots, element.onInput, s, &Saboteur::onInput); break;
    case 3: connectSlot(slots, element.onPress, s, &Saboteur::act); break;
    case 4: connectSlot(slots, element.onClick, s, &Saboteur::act); break;
    case 5: connectSlot(slots, element.onFocus, s, &Saboteur::onFlag); break;
    case 6: connectSlot(slots, element.onDoubleClick, s, &Saboteur::act); break;
    default:
        if (list) {
            connectSlot(slots, list->onHover, s, &Saboteur::onCell);
            connectSlot(slots, list->onSelect, s, &Saboteur::onCell);
        }
        break;
    }
    // A button row in a list whose click or input runs the handler.
    if (list && (choice & 0x10) && list->getColumnCount() > 0) {
        CButton cellTemplate;
        cellTemplate.setSize(list->getColumn(0)->width, 12.0f);
        list->insertRow(0, cellTemplate);
        if (CGUI* cell = list->getCell(0, 0)) {
            if (choice & 0x20)
                connectSlot(slots, cell->onClick, s, &Saboteur::act);
            else
                connectSlot(slots, cell->onInput, s, &Saboteur::onInput);
        }
    }
    saboteurs.push_back(std::move(saboteur));
}

void addSprite(CResourceManager& resources, const char* name, std::uint32_t frames, std::uint32_t size)
{
    auto sprite = std::make_unique<CSprite>();
    sprite->setName(name);
    for (std::uint32_t i = 0; i < frames; ++i) {
        SpriteFrame frame;
        frame.initFrame(i * size, 0, size, size, 0, nullptr);
        sprite->addFrame(frame);
    }
    resources.add(std::move(sprite));
}

CResourceManager& sharedResources()
{
    static CResourceManager* resources = [] {
        auto* made = new CResourceManager();
        addSprite(*made, "button", 4, 16);
        addSprite(*made, "scroll", 13, 12);
        addSprite(*made, "control", 17, 10);
        addSprite(*made, "one", 1, 1);
        CXMLDocument list;
        if (list.parse("<resources><font name=\"sans\" height=\"14\" start=\"32\" end=\"127\""
                       " file=\"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf\"/></resources>"))
            made->loadList(list);
        return made;
    }();
    return *resources;
}

// A copy of the element made by its own class's copy constructor, drawn
// and destroyed at once.
void copyAndDraw(const CGUI& element)
{
    std::unique_ptr<CGUI> copy;
    if (const auto* e = dynamic_cast<const CCheckBox*>(&element))
        copy = std::make_unique<CCheckBox>(*e);
    else if (const auto* e = dynamic_cast<const CButton*>(&element))
        copy = std::make_unique<CButton>(*e);
    else if (const auto* e = dynamic_cast<const CCombo*>(&element))
        copy = std::make_unique<CCombo>(*e);
    else if (const auto* e = dynamic_cast<const CControlBar*>(&element))
        copy = std::make_unique<CControlBar>(*e);
    else if (const auto* e = dynamic_cast<const CEdit*>(&element))
        copy = std::make_unique<CEdit>(*e);
    else if (const auto* e = dynamic_cast<const CFont*>(&element))
        copy = std::make_unique<CFont>(*e);
    else if (const auto* e = dynamic_cast<const CFrame*>(&element))
        copy = std::make_unique<CFrame>(*e);
    else if (const auto* e = dynamic_cast<const CList*>(&element))
        copy = std::make_unique<CList>(*e);
    else if (const auto* e = dynamic_cast<const CMenu*>(&element))
        copy = std::make_unique<CMenu>(*e);
    else if (const auto* e = dynamic_cast<const CProgress*>(&element))
        copy = std::make_unique<CProgress>(*e);
    else if (const auto* e = dynamic_cast<const CScroll*>(&element))
        copy = std::make_unique<CScroll>(*e);
    else if (const auto* e = dynamic_cast<const CWindow*>(&element))
        copy = std::make_unique<CWindow>(*e);
    else
        copy = std::make_unique<CGUI>(element);
    copy->draw();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CResourceManager& resources = sharedResources();
    const std::string text(reinterpret_cast<const char*>(data), size);
    CXMLDocument document;
    document.parse(text.c_str());

    CGUIManager manager;
    manager.loadNode(document, &resources);

    // Declared after the manager so they go first; their slots leave the
    // signals of elements that are still alive.
    std::vector<std::unique_ptr<Saboteur>> saboteurs;
    for (std::uint32_t i = 0; i < manager.getCount() && i < 8 && size > 0; ++i) {
        const std::uint8_t choice = data[(i * 7 + 3) % size];
        const std::uint8_t action = data[(i * 13 + 5) % size];
        if (choice & 0x80)
            continue;
        CGUI* element = manager.getElement(i);
        sabotage(saboteurs, manager, *element, element->getName(), choice, action);
    }

    // Press, drag, release and double-click on each of the first elements,
    // then a few points taken from the input itself.
    const std::uint32_t count = manager.getCount() < 12 ? manager.getCount() : 12;
    for (std::uint32_t i = 0; i < count; ++i) {
        CGUI* element = manager.getElement(i);
        if (!element)
            break;
        const CVector at = element->getAbsolutePosition();
        const int x = CGUI::toPixel(at.x + element->getWidth() * 0.5f);
        const int y = CGUI::toPixel(at.y + element->getHeight() * 0.5f);
        mouseMoved(x, y);
        mouseDown(static_cast<int>(i % 3));
        mouseMoved(x + 7, y + 5);
        mouseWheel((i & 1) ? -120 : 0);
        mouseUp(static_cast<int>(i % 3));
        mouseDoubleClick(0);
        // Keys reach whatever took the focus (edit fields listen themselves).
        keyPressed('a');
        keyPressed(8);
        keyPressed(13);
        // Handlers may have destroyed the element.
        element = manager.getElement(i);
        if (!element)
            break;
        copyAndDraw(*element);
        manager.draw();
    }
    for (std::size_t i = 0; i + 1 < size && i < 16; i += 2) {
        mouseMoved(data[i], data[i + 1]);
        mouseDown(0);
        mouseUp(0);
    }
    manager.draw();
    // Keys from the input typed into whichever element a press focused (edit
    // fields, and those inside combo boxes, take them).
    for (std::uint32_t i = 0; i < count; ++i) {
        const CGUI* element = manager.getElement(i);
        if (!element)
            break;
        const CVector at = element->getAbsolutePosition();
        mouseMoved(CGUI::toPixel(at.x + 1.0f), CGUI::toPixel(at.y + 1.0f));
        mouseDown(0);
        for (std::size_t k = 0; k < 4 && k < size; ++k)
            keyPressed(data[(i * 4 + k) % size]);
        mouseUp(0);
    }
    manager.draw();
    if (manager.getCount() > 0)
        manager.remove(manager.getElement(0)->getName());
    mouseMoved(0, 0);
    manager.draw();
    return 0;
}
