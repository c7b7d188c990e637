// Buttons, check boxes, scroll bars and progress bars headless, driven
// through the engine's input functions and the manager's routing.
#include "GuiTestSupport.h"

#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CFont.h"
#include "gui/CProgress.h"
#include "gui/CScroll.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using guitest::loadText;

namespace {

std::uint32_t shownFrame(const CGUI& element)
{
    return element.getSprite().getCurrentFrame();
}

struct ValueLog {
    void changed(float value) { values.push_back(value); }
    void clicked() { checkedSeen.push_back(box->isChecked()); }
    std::vector<float> values;
    std::vector<bool> checkedSeen;
    CCheckBox* box = nullptr;
    CSlotList slots;
};

} // namespace

TEST(CButton, StatesFollowThePointerAndPress)
{
    CResourceManager resources;
    guitest::addUniformSprite(resources, "states", 8, 20, 10);
    CGUIManager manager;
    loadText(manager, R"(<gui><button name="b" sprite="states" frame="4" x="10" y="10">
      <hover r="1" a="1"/><down g="1" a="0"/></button></gui>)", &resources);
    auto* button = static_cast<CButton*>(manager.find("b"));
    EXPECT_EQ(button->getWidth(), 20.0f);
    EXPECT_EQ(shownFrame(*button), 4u);

    mouseMoved(15, 15);
    EXPECT_EQ(button->getState(), CButton::Hover);
    EXPECT_EQ(shownFrame(*button), 5u);
    EXPECT_EQ(button->getMaterial().emission, CVector(1, 0, 0, 1));
    mouseDown(0);
    EXPECT_EQ(button->getState(), CButton::Down);
    EXPECT_EQ(shownFrame(*button), 6u);
    // The down colour has alpha 0: the hover colour stays.
    EXPECT_EQ(button->getMaterial().emission, CVector(1, 0, 0, 1));
    mouseMoved(100, 100);  // dragged off: still down
    EXPECT_EQ(button->getState(), CButton::Down);
    mouseUp(0);
    EXPECT_EQ(button->getState(), CButton::Enable);

    button->setEnabled(false);
    EXPECT_EQ(shownFrame(*button), 7u);
    button->setEnabled(true);
    button->setChecked(true);
    mouseMoved(15, 15);
    mouseMoved(100, 100);
    EXPECT_EQ(button->getState(), CButton::Down);
}

TEST(CButton, WithoutFramesTheWholeButtonMovesWhilePressed)
{
    CGUIManager manager;
    loadText(manager, R"(<gui><button name="b" x="10.25" y="20.5" w="30" h="30" text="Go"/></gui>)");
    auto* button = static_cast<CButton*>(manager.find("b"));
    EXPECT_EQ(button->getLabel().getText(), String("Go"));
    mouseMoved(20, 30);
    mouseDown(0);
    EXPECT_EQ(button->getX(), 12.25f);
    EXPECT_EQ(button->getY(), 22.5f);
    mouseUp(0);
    EXPECT_EQ(button->getX(), 10.25f);
    EXPECT_EQ(button->getY(), 20.5f);
    EXPECT_EQ(button->getState(), CButton::Hover);

    // With frames only the label moves.
    CResourceManager resources;
    guitest::addUniformSprite(resources, "states", 4, 20, 10);
    CGUIManager framed;
    loadText(framed, R"(<gui><button name="f" sprite="states" x="300" y="300" text="Go"><offset x="3" y="4" w="50"/></button></gui>)",
             &resources);
    auto* withFrames = static_cast<CButton*>(framed.find("f"));
    EXPECT_EQ(withFrames->getLabel().getWidth(), 50.0f);
    EXPECT_EQ(withFrames->getLabel().getHeight(), 10.0f);
    withFrames->setState(CButton::Down);
    EXPECT_EQ(withFrames->getX(), 300.0f);
    EXPECT_EQ(withFrames->getLabel().getAbsolutePosition().x, 303.0f);
    withFrames->setState(CButton::State(9));  // not a state: Enable
    EXPECT_EQ(withFrames->getLabel().getX(), 0.0f);
}

TEST(CCheckBox, TogglesBeforeTheApplicationHearsTheClick)
{
    CGUIManager manager;
    loadText(manager, R"(<gui><font name="style"/>
      <checkbox name="c" font="style" x="10" y="10" w="10" h="10"><offset w="100"/></checkbox></gui>)");
    auto* box = static_cast<CCheckBox*>(manager.find("c"));
    ValueLog log;
    log.box = box;
    connectSlot(log.slots, box->onClick, &log, &ValueLog::clicked);

    mouseMoved(15, 15);
    mouseDown(0);
    mouseUp(0);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(box->getState(), CButton::Down);
    // The label reaches past the box: clicking the text toggles too.
    mouseMoved(90, 15);
    EXPECT_TRUE(box->isMouseOver());
    mouseDown(0);
    mouseUp(0);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(log.checkedSeen, (std::vector<bool>{true, false}));

    box->setChecked(true);
    box->setEnabled(false);
    EXPECT_EQ(box->getState(), CButton::Disable);
    box->setEnabled(true);
    EXPECT_EQ(box->getState(), CButton::Down);
}

TEST(CScroll, PartsComeFromThirteenFramesAndValueStaysInRange)
{
    CResourceManager resources;
    guitest::addUniformSprite(resources, "bar", 13, 10, 10);
    CGUIManager manager;
    loadText(manager, R"(<gui><scroll name="s" sprite="bar" x="100" y="0" h="130" min="0" max="10" increment="2"/></gui>)",
             &resources);
    auto* scroll = static_cast<CScroll*>(manager.find("s"));
    EXPECT_EQ(scroll->getWidth(), 10.0f);
    EXPECT_EQ(scroll->getThumb().getFrameIndex(), 1u);
    EXPECT_EQ(scroll->getSecondButton().getFrameIndex(), 9u);
    EXPECT_EQ(scroll->getSecondButton().getY(), 120.0f);
    EXPECT_EQ(scroll->getThumb().getY(), 10.0f);

    ValueLog log;
    connectSlot(log.slots, scroll->onChange, &log, &ValueLog::changed);
    scroll->setValue(25);
    scroll->setValue(-5);
    scroll->setValue(NAN);
    EXPECT_EQ(log.values, (std::vector<float>{10, 0, 0}));
    scroll->setValue(5);
    EXPECT_EQ(scroll->getThumb().getY(), 10.0f + 0.5f * 100.0f);
    log.values.clear();

    // A click on the second arrow steps up: onChange twice with one value.
    mouseMoved(105, 125);
    mouseDown(0);
    mouseUp(0);
    EXPECT_EQ(log.values, (std::vector<float>{7, 7}));
    EXPECT_EQ(scroll->getSecondButton().getState(), CButton::Hover);
    log.values.clear();
    mouseWheel(0);  // a wheel step of 0 decreases
    mouseWheel(-120);
    EXPECT_EQ(log.values, (std::vector<float>{5, 5, 7, 7}));

    // Dragging the thumb past the end stops it there and reports max.
    mouseMoved(105, 85);
    mouseDown(0);
    log.values.clear();
    mouseMoved(105, 500);
    EXPECT_EQ(scroll->getThumb().getY(), 110.0f);
    EXPECT_EQ(log.values.back(), 10.0f);
    mouseMoved(105, -500);
    EXPECT_EQ(scroll->getThumb().getY(), 10.0f);
    EXPECT_EQ(log.values.back(), 0.0f);
    mouseUp(0);

    // An empty range keeps the thumb at the start, with no NaN.
    scroll->setMax(0);
    scroll->setValue(3);
    EXPECT_EQ(scroll->getValue(), 0.0f);
    EXPECT_EQ(scroll->getThumb().getY(), 10.0f);
    mouseMoved(105, 15);
    mouseDown(0);
    mouseMoved(105, 80);
    EXPECT_EQ(scroll->getValue(), 0.0f);
    mouseUp(0);
}

TEST(CProgress, PercentFollowsPositionWithinTheRange)
{
    CResourceManager resources;
    guitest::addUniformSprite(resources, "fill", 2, 10, 10);
    CGUIManager manager;
    loadText(manager, R"(<gui><progress name="p" sprite="fill" w="200" h="8" min="10" max="20"/>
      <progress name="flat" min="-3" max="0"/></gui>)", &resources);
    auto* progress = static_cast<CProgress*>(manager.find("p"));
    EXPECT_EQ(progress->getBar().getFrameIndex(), 1u);
    progress->setProgress(15);
    EXPECT_EQ(progress->getPercent(), 50.0f);
    EXPECT_EQ(progress->getBar().getWidth(), 100.0f);
    EXPECT_EQ(progress->getBar().getHeight(), 8.0f);
    progress->setProgress(25);
    EXPECT_EQ(progress->getPercent(), 100.0f);
    EXPECT_EQ(progress->getProgress(), 20u);
    progress->setPercent(NAN);
    EXPECT_EQ(progress->getPercent(), 0.0f);
    progress->setSize(100, 8);
    progress->setPercent(150);
    EXPECT_EQ(progress->getBar().getWidth(), 100.0f);

    auto* flat = static_cast<CProgress*>(manager.find("flat"));
    flat->setProgress(7);
    EXPECT_EQ(flat->getProgress(), 0u);
    EXPECT_EQ(flat->getPercent(), 0.0f);
}
