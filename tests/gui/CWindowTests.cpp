// CWindow: parts laid out from the description, dragging by the title bar
// only, and the close button.
#include "framework/Input.h"
#include "gui/CGUIManager.h"
#include "gui/CWindow.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

TEST(CWindow, DragsByItsTitleBarAndClosesByItsButton)
{
    CGUIManager manager;
    CXMLDocument document;
    ASSERT_TRUE(document.parse(R"(<gui><font name="f" h="12"/>
      <window name="w" font="f" text="Title" x="100" y="100" w="200" h="150">
        <gui h="20"/><button w="16" h="10"/>
      </window></gui>)"));
    manager.loadNode(document, nullptr);
    auto* window = dynamic_cast<CWindow*>(manager.find("w"));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->getTitleBar().getWidth(), 200.0f);
    EXPECT_EQ(window->getTitle().getWidth(), 200.0f);
    EXPECT_EQ(window->getTitle().getHeight(), 20.0f);
    EXPECT_EQ(window->getTitle().getText(), String("Title"));
    EXPECT_EQ(window->getCloseButton().getX(), 182.0f);
    EXPECT_EQ(window->getCloseButton().getY(), 5.0f);

    struct Closes {
        void closed() { ++count; }
        int count = 0;
        CSlotList slots;
    } closes;
    connectSlot(closes.slots, window->getCloseButton().onClick, &closes, &Closes::closed);

    // Below the title bar: no move.
    mouseMoved(150, 200);
    mouseDown(0);
    mouseMoved(170, 210);
    mouseUp(0);
    EXPECT_EQ(window->getX(), 100.0f);
    EXPECT_EQ(window->getY(), 100.0f);

    // The close button neither drags the window nor clicks when released
    // elsewhere; released over it, it clicks.
    mouseMoved(290, 110);
    mouseDown(0);
    mouseMoved(250, 110);
    mouseUp(0);
    EXPECT_EQ(window->getX(), 100.0f);
    EXPECT_EQ(closes.count, 0);
    mouseMoved(290, 110);
    mouseDown(0);
    mouseUp(0);
    EXPECT_EQ(closes.count, 1);

    // The title bar drags it.
    mouseMoved(150, 110);
    mouseDown(0);
    mouseMoved(180, 140);
    mouseUp(0);
    EXPECT_EQ(window->getX(), 130.0f);
    EXPECT_EQ(window->getY(), 130.0f);
}
