// A double click belongs to the element its first click went to: over
// another element it is a press there, so a quick click on the next control
// is not lost.
#include "GuiTestSupport.h"

#include "framework/Input.h"
#include "gui/CGUIManager.h"

#include <gtest/gtest.h>

TEST(CGUIManager, DoubleClickOverAnotherElementIsAPressThere)
{
    CGUIManager manager;
    guitest::loadText(manager, R"(<gui>
  <gui name="upper" x="0" y="0" w="100" h="20" enabled="true"/>
  <gui name="lower" x="0" y="20" w="100" h="20" enabled="true"/>
</gui>)");
    guitest::SignalLog upper(*manager.find("upper"), "U.");
    guitest::SignalLog lower(*manager.find("lower"), "L.");

    mouseMoved(50, 10);
    mouseDown(0);
    mouseUp(0);
    mouseDoubleClick(0);  // on the same element: its double click
    EXPECT_NE(upper.take().find("U.double"), std::string::npos);
    mouseUp(0);
    upper.take();

    mouseMoved(50, 30);
    mouseDoubleClick(0);  // the desktop called it a double click; it lands on "lower"
    mouseUp(0);
    EXPECT_EQ(manager.getFocus(), manager.find("lower"));
    const std::string log = lower.take();
    EXPECT_NE(log.find("L.press"), std::string::npos) << log;
    EXPECT_NE(log.find("L.click"), std::string::npos) << log;
    EXPECT_EQ(log.find("L.double"), std::string::npos) << log;
}
