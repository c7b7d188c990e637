// The GUI manager headless: the element list, the description loader's two
// passes and the mouse routing rules, with input sent through the engine's
// input functions (the same path the window procedure takes).
#include "GuiTestSupport.h"

#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCombo.h"
#include "gui/CFont.h"
#include "gui/CFrame.h"
#include "gui/CGUIManager.h"
#include "gui/CWindow.h"

#include <gtest/gtest.h>

#include <cmath>

using guitest::loadText;
using guitest::SignalLog;

namespace {

// Two overlapping enabled elements, a disabled one and a hidden one.
const char* overlapping = R"(<gui>
  <gui name="front" x="0" y="0" w="100" h="100" enabled="true"/>
  <gui name="back" x="50" y="50" w="100" h="100" enabled="true"/>
  <gui name="inert" x="300" y="0" w="50" h="50"/>
  <gui name="hidden" x="400" y="0" w="50" h="50" enabled="1" visible="false"/>
</gui>)";

void clickAt(int x, int y)
{
    mouseMoved(x, y);
    mouseDown(0);
    mouseUp(0);
}

} // namespace

TEST(CGUIManager, ListGrowsByDoublingAndShrinksByHalving)
{
    CGUIManager manager;
    const std::uint32_t grown[5] = {2, 2, 4, 4, 8};
    for (int i = 0; i < 5; ++i) {
        ASSERT_NE(manager.create(CGUI::Element, String(std::to_string(i).c_str())), nullptr);
        EXPECT_EQ(manager.getCapacity(), grown[i]);
    }
    // 8 / 4 -> 4; 4 / 3 stays; 4 / 2 -> 2; 2 / 1 stays; empty frees.
    const std::uint32_t shrunk[5] = {4, 4, 2, 2, 0};
    for (int i = 0; i < 5; ++i) {
        manager.remove(String(std::to_string(i).c_str()));
        EXPECT_EQ(manager.getCapacity(), shrunk[i]) << i;
    }
    EXPECT_EQ(manager.getCount(), 0u);

    for (std::int32_t code : {3, 7, 12, 13, 15, -1})
        EXPECT_EQ(manager.create(code, "x"), nullptr) << code;
    for (std::int32_t code : {0, 1, 2, 4, 5, 6, 8, 9, 10, 11, 14}) {
        CGUI* element = manager.create(code, "made");
        ASSERT_NE(element, nullptr) << code;
        EXPECT_EQ(element->getType(), code);
    }
    EXPECT_EQ(manager.getCount(), 11u);
}

TEST(CGUIManager, LoadCreatesByNameSetsDepthsAndReportsEveryNode)
{
    struct Progress {
        void seen(CXMLNode& node, unsigned int index, unsigned int count)
        {
            log += std::string(node.name().c_str()) + ":" + std::to_string(index) + "/" + std::to_string(count) + " ";
        }
        std::string log;
        CSlotList slots;
    } progress;
    CGUIManager manager;
    connectSlot(progress.slots, manager.onLoad, &progress, &Progress::seen);
    loadText(manager, R"(<anything>
      <gui name="a"/><Button name="wrongCase"/><button name="b"/><unknown name="c"><gui name="inner"/></unknown>
      <combo name="combo"/><frame name="frame"/><scroll name="s" z="40"/>
    </anything>)");
    EXPECT_EQ(progress.log, "gui:0/7 Button:1/7 button:2/7 unknown:3/7 combo:4/7 frame:5/7 scroll:6/7 ");
    ASSERT_EQ(manager.getCount(), 5u);
    EXPECT_EQ(manager.find("wrongCase"), nullptr);
    EXPECT_EQ(manager.find("inner"), nullptr);
    EXPECT_EQ(manager.find("a")->getDepth(), 7.0f);
    EXPECT_EQ(manager.find("b")->getDepth(), 5.0f);
    EXPECT_NE(dynamic_cast<CCombo*>(manager.find("combo")), nullptr);
    EXPECT_NE(dynamic_cast<CFrame*>(manager.find("frame")), nullptr);
    EXPECT_EQ(manager.find("s")->getDepth(), 40.0f);

    // A second load appends; find returns the element created first.
    CGUI* first = manager.find("a");
    loadText(manager, "<gui><gui name=\"a\"/></gui>");
    EXPECT_EQ(manager.getCount(), 6u);
    EXPECT_EQ(manager.find("a"), first);
}

TEST(CGUIManager, SpriteFrameAndSizeDefaults)
{
    CResourceManager resources;
    guitest::addSprite(resources, "tiles", 3, 10, 20);
    CGUIManager manager;
    loadText(manager, R"(<gui>
      <gui name="framed" sprite="tiles" frame="2"/>
      <gui name="sized" sprite="tiles" w="5" h="6"/>
      <gui name="missing" sprite="nothing" frame="2"/>
      <gui name="pastEnd" sprite="tiles" frame="9"/>
      <gui name="negative" sprite="tiles" frame="-4"/>
    </gui>)", &resources);
    CGUI* framed = manager.find("framed");
    EXPECT_EQ(framed->getFrameIndex(), 2u);
    EXPECT_EQ(framed->getWidth(), 12.0f);   // frame 2 is 12 x 22
    EXPECT_EQ(framed->getHeight(), 22.0f);
    EXPECT_EQ(manager.find("sized")->getWidth(), 5.0f);
    EXPECT_EQ(manager.find("missing")->getSprite().getFrameCount(), 0u);
    EXPECT_EQ(manager.find("missing")->getWidth(), 1.0f);
    EXPECT_EQ(manager.find("pastEnd")->getWidth(), 10.0f);  // the sprite stays on frame 0
    EXPECT_EQ(manager.find("negative")->getFrameIndex(), 0u);
}

TEST(CGUIManager, ParentsResolveForwardButReferencesOnlyBackward)
{
    CGUIManager manager;
    loadText(manager, R"(<gui>
      <gui name="child" parent="panel" x="5" y="6"/>
      <button name="early" font="style"/>
      <font name="style"/>
      <button name="late" font="style"/>
      <gui name="panel" x="100" y="200"/>
      <gui name="A" parent="B"/><gui name="B" parent="A"/>
      <gui name="self" parent="self"/>
      <gui parent="panel"/>
      <gui name="orphan" parent="nobody"/>
    </gui>)");
    CGUI* panel = manager.find("panel");
    EXPECT_EQ(manager.find("child")->getParent(), panel);
    EXPECT_EQ(manager.find("child")->getAbsolutePosition(), CVector(105, 206, 10 + 6, 0));
    EXPECT_EQ(manager.getElement(8)->getParent(), panel);  // unnamed: found by its index
    EXPECT_EQ(manager.find("orphan")->getParent(), nullptr);
    // The loop is refused when it would close; effective state terminates.
    EXPECT_EQ(manager.find("A")->getParent(), manager.find("B"));
    EXPECT_EQ(manager.find("B")->getParent(), nullptr);
    EXPECT_EQ(manager.find("self")->getParent(), nullptr);
    EXPECT_TRUE(manager.find("A")->isVisible());
    // The label copies its style's name: only the later button found it.
    EXPECT_EQ(static_cast<CButton*>(manager.find("early"))->getLabel().getName(), String(""));
    EXPECT_EQ(static_cast<CButton*>(manager.find("late"))->getLabel().getName(), String("style"));
}

TEST(CGUIManager, DestroyedParentLeavesChildrenWithoutParent)
{
    CGUIManager manager;
    loadText(manager, "<gui><gui name=\"child\" parent=\"panel\" enabled=\"1\"/><gui name=\"panel\" x=\"50\"/></gui>");
    CGUIManager other;
    CGUI* elsewhere = other.create(CGUI::Element, "elsewhere");
    ASSERT_TRUE(elsewhere->setParent(manager.find("panel")));
    manager.remove("panel");
    EXPECT_EQ(manager.find("child")->getParent(), nullptr);
    EXPECT_EQ(elsewhere->getParent(), nullptr);
    EXPECT_EQ(manager.find("child")->getAbsolutePosition().x, 0.0f);
}

TEST(CGUIManager, PressFocusesTheFirstHitAndMovesFocusAway)
{
    CGUIManager manager;
    loadText(manager, overlapping);
    SignalLog front(*manager.find("front"), "F.");
    SignalLog back(*manager.find("back"), "B.");

    mouseMoved(75, 75);
    front.take();
    back.take();
    mouseDown(1);  // any button moves the focus
    EXPECT_EQ(manager.getFocus(), manager.find("front"));
    EXPECT_EQ(front.take(), "F.focus F.in1 F.press");
    EXPECT_EQ(back.take(), "");
    mouseUp(1);
    EXPECT_EQ(front.take(), "F.in0 F.click");

    // Pressing the focus again does not focus it again.
    mouseDown(0);
    EXPECT_EQ(front.take(), "F.in1 F.press");
    mouseMoved(500, 500);
    mouseUp(0);  // released outside: input but no click
    EXPECT_EQ(front.take(), "F.in3 F.out F.in0");

    mouseMoved(140, 140);
    mouseDown(0);
    EXPECT_EQ(front.take(), "F.in3 F.out F.blur");
    EXPECT_EQ(back.take(), "B.out B.over B.focus B.in1 B.press");
    mouseDoubleClick(0);
    mouseWheel(-120);
    EXPECT_EQ(back.take(), "B.in2 B.double B.in4");

    // Empty space, disabled and hidden elements take no focus.
    clickAt(320, 10);
    EXPECT_EQ(manager.getFocus(), nullptr);
    EXPECT_EQ(back.take(), "B.in3 B.out B.blur");
    clickAt(420, 10);
    EXPECT_EQ(manager.getFocus(), nullptr);
    mouseUp(0);
    mouseDoubleClick(0);
    EXPECT_EQ(front.take(), "F.out F.out");
}

TEST(CGUIManager, HoverGoesToTheTopmostAndPausesOverTheFocus)
{
    CGUIManager manager;
    loadText(manager, overlapping);
    SignalLog front(*manager.find("front"), "F.");
    SignalLog back(*manager.find("back"), "B.");
    SignalLog inert(*manager.find("inert"), "I.");

    mouseMoved(75, 75);
    EXPECT_EQ(front.take(), "F.over");
    EXPECT_EQ(back.take(), "B.out");  // hit, but after the first
    mouseMoved(120, 120);
    EXPECT_EQ(front.take(), "F.out");
    EXPECT_EQ(back.take(), "B.over");
    EXPECT_EQ(inert.take(), "");

    mouseDown(0);
    back.take();
    // Over the focus: input only, no hover signals for anyone.
    mouseMoved(60, 60);
    EXPECT_EQ(back.take(), "B.in3");
    EXPECT_EQ(front.take(), "");
    // The first move off it runs the hover pass again.
    mouseMoved(20, 20);
    EXPECT_EQ(back.take(), "B.in3 B.out");
    EXPECT_EQ(front.take(), "F.over");
}

TEST(CGUIManager, HoverFollowsThePointerWhileAThumbIsDraggedOffTheBar)
{
    CResourceManager resources;
    guitest::addUniformSprite(resources, "bar", 13, 10, 10);
    CGUIManager manager;
    loadText(manager, R"(<gui>
      <scroll name="s" sprite="bar" x="100" y="0" h="130" max="10"/>
      <gui name="corner" x="0" y="0" w="20" h="20" enabled="1"/>
      <gui name="target" x="300" y="300" w="20" h="20" enabled="1"/>
    </gui>)", &resources);
    SignalLog corner(*manager.find("corner"), "C.");
    SignalLog target(*manager.find("target"), "T.");
    mouseMoved(105, 15);
    mouseDown(0);
    corner.take();
    target.take();
    // The thumb's drag rewrites the event to its own place; hover must still
    // go by the pointer.
    mouseMoved(305, 305);
    EXPECT_EQ(target.take(), "T.over");
    EXPECT_EQ(corner.take(), "C.out");
    mouseUp(0);
}

TEST(CGUIManager, HandlersMayDestroyElementsWhileInputIsRouted)
{
    CGUIManager manager;
    loadText(manager, overlapping);
    struct Remover {
        void removeFront(CInputMap&) { manager->remove("front"); }
        void clearAll() { manager->clear(); }
        CGUIManager* manager;
        CSlotList slots;
    } remover{&manager, {}};
    connectSlot(remover.slots, manager.find("front")->onInput, &remover, &Remover::removeFront);
    connectSlot(remover.slots, manager.find("back")->onMouseOver, &remover, &Remover::clearAll);
    clickAt(10, 10);
    EXPECT_EQ(manager.find("front"), nullptr);
    EXPECT_EQ(manager.getFocus(), nullptr);
    mouseMoved(120, 120);
    EXPECT_EQ(manager.getCount(), 0u);
    clickAt(120, 120);
}

TEST(CGUI, AnchorsRotationAndParentsShapeTheHitArea)
{
    CGUIManager manager;
    loadText(manager, R"(<gui>
      <gui name="centred" x="100" y="50" w="20" h="10" align="4" enabled="1"/>
      <gui name="turned" x="300" y="300" w="40" h="10" enabled="1"><rotate z="90"/></gui>
      <gui name="panel" x="500" y="0" w="10" h="10" visible="0" enabled="1"/>
      <gui name="inside" parent="panel" w="10" h="10" enabled="1"/>
    </gui>)");
    CGUI* centred = manager.find("centred");
    EXPECT_TRUE(centred->hitTest(90, 45));
    EXPECT_TRUE(centred->hitTest(110, 55));
    EXPECT_FALSE(centred->hitTest(111, 50));
    EXPECT_FALSE(centred->hitTest(100, 44));
    // Rotated a quarter turn (as drawn: the 40-pixel side now runs up from
    // the position).
    CGUI* turned = manager.find("turned");
    EXPECT_TRUE(turned->hitTest(305, 265));
    EXPECT_FALSE(turned->hitTest(335, 305));
    EXPECT_FALSE(turned->hitTest(295, 335));
    // A hidden parent hides and disables for hit testing, whatever the own flags.
    EXPECT_FALSE(manager.find("inside")->hitTest(505, 5));
    manager.find("panel")->setVisible(true);
    EXPECT_TRUE(manager.find("inside")->hitTest(505, 5));
}

TEST(CGUI, DragFollowsThePointerAndEndsOnTheNextEvent)
{
    CGUIManager manager;
    loadText(manager, "<gui><gui name=\"box\" x=\"10\" y=\"10\" w=\"50\" h=\"50\" enabled=\"1\" moveable=\"1\"/></gui>");
    CGUI* box = manager.find("box");
    SignalLog log(*box);
    clickAt(20, 20);  // no move, no drag end
    EXPECT_EQ(log.take(), "over focus in1 press in0 click");
    mouseDown(0);
    mouseMoved(200, 300);  // the drag follows outside the element
    EXPECT_EQ(box->getX(), 190.0f);
    EXPECT_EQ(box->getY(), 290.0f);
    mouseUp(0);
    EXPECT_EQ(log.take(), "in1 press in3 dragEnd(190,290) in0 click");
    // The right button does not drag.
    mouseDown(1);
    mouseMoved(250, 350);
    EXPECT_EQ(box->getX(), 190.0f);
}

TEST(CGUI, CopiesPropertiesButNotListenersAndClampsAbsurdValues)
{
    CResourceManager resources;
    guitest::addSprite(resources, "tiles", 3, 10, 20);
    CGUIManager manager;
    loadText(manager, R"(<gui>
      <gui name="source" sprite="tiles" frame="1" x="5" y="6" w="7" h="8" align="2" enabled="1" moveable="1">
        <diffuse r="0.5" g="0.25" b="1"/><gradient><p2 r="2" g="-1"/><p9 r="1"/></gradient>
      </gui>
      <gui name="wild" x="nan" y="1e99999" w="-5" h="1e30" z="inf"/>
    </gui>)", &resources);
    CGUI* source = manager.find("source");
    SignalLog log(*source);
    CGUI copy(*source);
    EXPECT_EQ(copy.getName(), String("source"));
    EXPECT_EQ(copy.getAbsolutePosition(), CVector(5, 6, 2, 0));
    EXPECT_EQ(copy.getWidth(), 7.0f);
    EXPECT_EQ(copy.getFrameIndex(), 1u);
    EXPECT_EQ(copy.getSprite().getFrameCount(), 3u);
    EXPECT_TRUE(copy.isMoveable());
    EXPECT_TRUE(copy.hitTest(-2 + 5, 10));  // align 2: the position is the top-right corner
    EXPECT_EQ(copy.getMaterial().diffuse, CVector(0.5f, 0.25f, 1, 1));
    ASSERT_NE(copy.getColours(), nullptr);
    EXPECT_EQ(copy.getColours()[4], 255);  // p2 r, clamped
    EXPECT_EQ(copy.getColours()[5], 0);
    copy.onClick.emit();
    EXPECT_EQ(log.take(), "");

    CGUI* wild = manager.find("wild");
    EXPECT_EQ(wild->getX(), 0.0f);  // "nan" has no leading number
    EXPECT_EQ(wild->getY(), CGUI::maxCoordinate);
    EXPECT_EQ(wild->getWidth(), 0.0f);
    EXPECT_EQ(wild->getHeight(), CGUI::maxCoordinate);
    wild->setSize(NAN, 3);
    wild->setPosition(-1e38f, NAN);
    EXPECT_EQ(wild->getWidth(), 0.0f);
    EXPECT_EQ(wild->getX(), -CGUI::maxCoordinate);
    EXPECT_EQ(wild->getY(), 0.0f);
}

TEST(CGUI, ParentChainsDeeperThanTheLimitAreRefused)
{
    constexpr int limit = CGUI::maxParentDepth;
    std::vector<std::unique_ptr<CGUI>> chain;
    for (int i = 0; i <= limit + 1; ++i)
        chain.push_back(std::make_unique<CGUI>());
    // chain[i] gets i ancestors: up to the limit, and not one more.
    for (int i = 1; i <= limit; ++i)
        ASSERT_TRUE(chain[i]->setParent(chain[i - 1].get())) << i;
    EXPECT_FALSE(chain[limit + 1]->setParent(chain[limit].get()));
    EXPECT_EQ(chain[limit + 1]->getParent(), nullptr);
    // A subtree counts with its descendants: a root with one child cannot
    // go under an element that already has limit - 1 ancestors.
    CGUI root;
    CGUI leaf;
    ASSERT_TRUE(leaf.setParent(&root));
    EXPECT_FALSE(root.setParent(chain[limit - 1].get()));
    EXPECT_TRUE(root.setParent(chain[limit - 2].get()));
    EXPECT_FALSE(chain[0]->setParent(chain[3].get()));  // still no loops
}

TEST(CGUIManager, PartsTakeSpritesFromTheirNodesAndParentsFindTheirNodesElement)
{
    CResourceManager resources;
    guitest::addSprite(resources, "skin", 6, 10, 10);
    CGUIManager manager;
    loadText(manager, R"(<gui>
      <combo name="c" w="100" h="80"><edit sprite="skin" frame="1"/><button sprite="skin" frame="2"/>
        <list sprite="skin" frame="3"/></combo>
      <window name="w" w="100" h="80"><gui sprite="skin" frame="4"/><button sprite="skin" frame="5"/></window>
      <menu name="m"><gui name="inside"/></menu>
      <gui parent="p"/>
      <gui name="p"/>
    </gui>)", &resources);
    auto* combo = dynamic_cast<CCombo*>(manager.find("c"));
    auto* window = dynamic_cast<CWindow*>(manager.find("w"));
    ASSERT_NE(combo, nullptr);
    ASSERT_NE(window, nullptr);
    const struct {
        const char* part;
        CGUI& element;
        std::uint32_t frame;
    } parts[] = {{"edit", combo->getEdit(), 1}, {"button", combo->getDropButton(), 2}, {"list", combo->getList(), 3},
                 {"title bar", window->getTitleBar(), 4}, {"close", window->getCloseButton(), 5}};
    for (const auto& p : parts) {
        EXPECT_EQ(p.element.getSprite().getFrameCount(), 6u) << p.part;
        EXPECT_EQ(p.element.getFrameIndex(), p.frame) << p.part;
    }
    // The menu's entry is appended between its siblings; the unnamed node's
    // "parent" is still its own element's.
    EXPECT_EQ(manager.find("inside")->getParent(), nullptr);
    CGUI* unnamed = nullptr;
    for (std::uint32_t i = 0; i < manager.getCount(); ++i) {
        if (manager.getElement(i)->getName() == String(""))
            unnamed = manager.getElement(i);
    }
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->getParent(), manager.find("p"));
}
