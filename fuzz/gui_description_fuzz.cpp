// Fuzzes the GUI description loader: arbitrary bytes are parsed as XML and
// loaded into a manager whose resources hold a few sprites and a font entry
// (DejaVu Sans at its Debian path); then mouse events derived from the
// elements and the input are routed through the engine's input functions,
// keys from the input are typed into the focused elements, each element is
// copied by its own class, and everything is drawn with no renderer.
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

namespace {

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
    if (count > 0)
        manager.remove(manager.getElement(0)->getName());
    mouseMoved(0, 0);
    manager.draw();
    return 0;
}
