// Edit fields without a display: typing rules on records from the engine's
// input functions, activation by the manager's focus, the blink timer on the
// frame tick, and the description's limit.
#include "framework/CApp.h"
#include "framework/FakePlatform.h"
#include "framework/Input.h"
#include "gui/CEdit.h"
#include "gui/CGUIManager.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ChangeLog {
    explicit ChangeLog(CEdit& edit) { connectSlot(slots, edit.onChange, this, &ChangeLog::changed); }
    void changed(String& text) { seen.emplace_back(text.c_str() ? text.c_str() : ""); }
    std::vector<std::string> seen;
    CSlotList slots;
};

void type(const char* keys)
{
    for (const char* k = keys; *k; ++k)
        keyPressed(static_cast<unsigned char>(*k));
}

std::string textOf(const CEdit& edit)
{
    const char* text = edit.getText().c_str();
    return text ? text : "";
}

CEdit* loadEdit(CGUIManager& manager, const char* description)
{
    CXMLDocument document;
    EXPECT_TRUE(document.parse(description));
    manager.loadNode(document, nullptr);
    return dynamic_cast<CEdit*>(manager.find("e"));
}

} // namespace

TEST(CEdit, TypesOnlyWhileFocusedAndKeepsToTheLimit)
{
    CEdit edit;
    ChangeLog log(edit);
    type("ab");
    EXPECT_EQ(textOf(edit), "") << "keys before the focus";

    edit.setFocus(true);
    edit.limit = 3;
    type("abc");
    keyReleased('d');  // releases type nothing
    type("d\r");
    EXPECT_EQ(textOf(edit), "abc");
    EXPECT_EQ(log.seen, (std::vector<std::string>{"a", "ab", "abc"}));

    keyPressed(8);
    EXPECT_EQ(textOf(edit), "ab");
    keyPressed(27);                          // Escape
    keyPressed(200);                         // beyond ASCII
    keyPressed(7);                           // a control character
    keyPressed(37, true);                    // the left arrow, not '%'
    EXPECT_EQ(textOf(edit), "ab");
    keyPressed(8);
    keyPressed(8);
    log.seen.clear();
    keyPressed(8);
    EXPECT_TRUE(log.seen.empty()) << "backspace on an empty field";

    edit.setFocus(false);
    type("x");
    EXPECT_EQ(textOf(edit), "");
}

TEST(CEdit, EnterBreaksOnlyMultiLineFieldsAndNumbersFollowTheirRules)
{
    CEdit edit;
    edit.setFocus(true);
    type("a\rb");
    EXPECT_EQ(textOf(edit), "ab");
    edit.multiline = true;
    type("\rc");
    EXPECT_EQ(textOf(edit), "ab\nc");

    CEdit number;
    number.number = true;
    number.setFocus(true);
    edit.setFocus(false);
    type("-1-2.5.x 3-");
    EXPECT_EQ(textOf(number), "-12.53");
    number.setText(String(""));
    type("5-");
    EXPECT_EQ(textOf(number), "5") << "a minus after a digit";
}

TEST(CEdit, PasswordFieldReportsTheRealText)
{
    CGUIManager manager;
    CEdit* edit = loadEdit(manager, R"(<gui><edit name="e" password="true" w="50" h="10"/></gui>)");
    ASSERT_NE(edit, nullptr);
    ChangeLog log(*edit);
    edit->setFocus(true);
    type("pw");
    EXPECT_TRUE(edit->getTextView().password);
    EXPECT_EQ(log.seen.back(), "pw");
}

TEST(CEdit, LimitOfZeroOrBelowTakesNothingButBackspaceStillWorks)
{
    for (const char* limit : {"0", "-7", "-4294967295"}) {
        CGUIManager manager;
        const std::string description =
            std::string(R"(<gui><edit name="e" text="ab" w="50" h="10" limit=")") + limit + R"("/></gui>)";
        CEdit* edit = loadEdit(manager, description.c_str());
        ASSERT_NE(edit, nullptr) << limit;
        EXPECT_EQ(edit->limit, 0u) << limit;
        edit->setFocus(true);
        type("xyz\r");
        EXPECT_EQ(textOf(*edit), "ab") << limit;
        keyPressed(8);
        EXPECT_EQ(textOf(*edit), "a") << limit;
    }
}

TEST(CEdit, PressActivatesAndBlinkTogglesEveryThreeHundredMilliseconds)
{
    FakePlatform clock;
    clock.now = 1000;
    CGUIManager manager;
    CEdit* edit = loadEdit(manager, R"(<gui><edit name="e" x="10" y="10" w="50" h="10"/></gui>)");
    ASSERT_NE(edit, nullptr);

    mouseMoved(20, 15);
    mouseDown(0);
    mouseUp(0);
    ASSERT_TRUE(edit->isActive());
    EXPECT_TRUE(edit->isBlinkOn()) << "the caret shows at once";
    clock.now = 1299;
    frameTick().emit();
    EXPECT_TRUE(edit->isBlinkOn());
    clock.now = 1300;
    frameTick().emit();
    EXPECT_FALSE(edit->isBlinkOn());
    clock.now = 1600;
    frameTick().emit();
    EXPECT_TRUE(edit->isBlinkOn());

    // A copy (as a list cell) is inactive and does not blink.
    CEdit copy(*edit);
    EXPECT_FALSE(copy.isActive());

    mouseMoved(200, 200);
    mouseDown(0);
    EXPECT_FALSE(edit->isActive());
    const bool frozen = edit->isBlinkOn();
    clock.now = 5000;
    frameTick().emit();
    EXPECT_EQ(edit->isBlinkOn(), frozen) << "an inactive field's timer is stopped";
    mouseUp(0);
}
