// Combo boxes without a display: the load steps, routing the focus's mouse
// events to the parts, the drop-down toggle, the choice and bad input.
#include "framework/Input.h"
#include "gui/CCombo.h"
#include "gui/CGUIManager.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Combo at (100, 100), 120 x 100 when open; edit row 100 x 20, drop button
// 20 x 20 at its right; three rows; "away" is another focusable element.
const char* const comboDescription = R"(<gui>
  <font name="f" w="10" h="16"/>
  <combo name="c" font="f" x="100" y="100" w="120" h="100" selected="1">
    <edit w="100" h="20"/><button w="20" h="20"/>
    <list><column w="120"><item text="red"/><item text="green"/><item text="blue"/></column></list>
  </combo>
  <gui name="away" x="400" y="400" w="20" h="20" enabled="true"/>
</gui>)";

std::string str(const String& text)
{
    return text.c_str() ? text.c_str() : "";
}

struct ChoiceLog {
    void chosen(String& text, std::int32_t row, std::int32_t column)
    {
        seen.push_back(str(text) + " " + std::to_string(row) + "," + std::to_string(column));
    }
    void input(CInputMap& event) { actions.push_back(event.action); }
    std::vector<std::string> seen;
    std::vector<int> actions;
    CSlotList slots;
};

void click(int x, int y)
{
    mouseMoved(x, y);
    mouseDown(0);
    mouseUp(0);
}

CCombo* load(CGUIManager& manager, const char* description)
{
    CXMLDocument document;
    EXPECT_TRUE(document.parse(description));
    manager.loadNode(document, nullptr);
    return dynamic_cast<CCombo*>(manager.find("c"));
}

} // namespace

TEST(CCombo, LoadsCollapsedWithTheSelectedRowInItsEditField)
{
    CGUIManager manager;
    CCombo* combo = load(manager, comboDescription);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(str(combo->getEdit().getText()), "green");
    EXPECT_EQ(combo->getList().getSelected(), 1);
    EXPECT_FALSE(combo->getList().getVisible());
    EXPECT_EQ(combo->getHeight(), 20.0f);
    EXPECT_EQ(combo->getOpenHeight(), 100.0f);
    EXPECT_EQ(combo->getDropButton().getX(), 100.0f);
    EXPECT_EQ(combo->getList().getY(), 20.0f);
    EXPECT_EQ(combo->getList().getHeight(), 80.0f);
}

TEST(CCombo, DropButtonOpensTheListAndAChoiceFillsTheEditField)
{
    CGUIManager manager;
    CCombo* combo = load(manager, comboDescription);
    ASSERT_NE(combo, nullptr);
    ChoiceLog log;
    connectSlot(log.slots, combo->onSelect, &log, &ChoiceLog::chosen);

    click(210, 110);  // the drop button
    EXPECT_TRUE(combo->getList().getVisible());
    EXPECT_EQ(combo->getHeight(), 100.0f) << "an open combo also covers its list";
    click(210, 110);
    EXPECT_FALSE(combo->getList().getVisible());
    EXPECT_EQ(combo->getHeight(), 20.0f);

    click(210, 110);
    combo->getList().onSelect.emit(2, 0);  // the list reports a chosen row
    EXPECT_EQ(str(combo->getEdit().getText()), "blue");
    EXPECT_FALSE(combo->getList().getVisible());
    EXPECT_EQ(combo->getHeight(), 20.0f);
    EXPECT_EQ(log.seen, (std::vector<std::string>{"blue 2,0"}));

    // A copy (a list cell) reports to the same listeners.
    CCombo copy(*combo);
    copy.select(0, 0);
    EXPECT_EQ(str(copy.getEdit().getText()), "red");
    EXPECT_EQ(log.seen.back(), "red 0,0");
    EXPECT_EQ(str(combo->getEdit().getText()), "blue");
}

TEST(CCombo, RoutesToItsPartsAndClosesWhenTheFocusLeaves)
{
    CGUIManager manager;
    CCombo* combo = load(manager, comboDescription);
    ASSERT_NE(combo, nullptr);
    ChoiceLog listInput;
    connectSlot(listInput.slots, combo->getList().onInput, &listInput, &ChoiceLog::input);

    click(120, 110);  // the edit field takes the keys
    EXPECT_TRUE(combo->getEdit().isActive());
    keyPressed('x');
    EXPECT_EQ(str(combo->getEdit().getText()), "greenx");
    mouseWheel(-120);  // the wheel goes to the list wherever the pointer is
    EXPECT_EQ(listInput.actions, (std::vector<int>{CInputMap::wheel}));

    click(210, 110);
    ASSERT_TRUE(combo->getList().getVisible());
    EXPECT_FALSE(combo->getEdit().isActive()) << "the press moved to the drop button";
    click(410, 410);  // elsewhere
    EXPECT_FALSE(combo->getList().getVisible());
    EXPECT_EQ(combo->getHeight(), 20.0f);
    keyPressed('y');
    EXPECT_EQ(str(combo->getEdit().getText()), "greenx");
}

TEST(CCombo, WithoutFontOrRowsStaysUsable)
{
    CGUIManager manager;
    CCombo* combo = load(manager, R"(<gui>
      <combo name="c" font="none" scroll="none" x="10" y="10" w="50" h="5" selected="7">
        <edit w="40" h="10"/><button w="10" h="10"/><list/><unknown/>
      </combo>
    </gui>)");
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(str(combo->getEdit().getText()), "") << "a row beyond the list clears the field";
    EXPECT_EQ(combo->getList().getHeight(), 0.0f) << "open height below the edit row";
    click(55, 15);
    EXPECT_TRUE(combo->getList().getVisible());
    combo->select(-1, -1);
    combo->select(0, 3);
    EXPECT_EQ(str(combo->getEdit().getText()), "");
    manager.draw();
    EXPECT_EQ(manager.create(CGUI::Combo, String("c2")), nullptr);
}
