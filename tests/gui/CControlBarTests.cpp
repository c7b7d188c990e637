// CControlBar: button layout and frames, the full-screen toggle, and the
// window drag reported in screen coordinates.
#include "framework/FakePlatform.h"
#include "framework/Input.h"
#include "gui/CControlBar.h"
#include "gui/CGUIManager.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

struct ControlBarScreen {
    ControlBarScreen()
    {
        // 17 frames: the bar, then four states each of minimise, restore,
        // maximise and close; every button frame is 10 x 10.
        auto sprite = std::make_unique<CSprite>();
        sprite->setName("control");
        for (std::uint32_t i = 0; i < 17; ++i) {
            SpriteFrame frame;
            frame.initFrame(i * 10, 0, 10, 10, 0, nullptr);
            sprite->addFrame(frame);
        }
        resources.add(std::move(sprite));
        CXMLDocument document;
        EXPECT_TRUE(document.parse(R"(<gui><control name="c" sprite="control" w="800" h="20"/></gui>)"));
        manager.loadNode(document, &resources);
        bar = dynamic_cast<CControlBar*>(manager.find("c"));
        connectSlot(slots, bar->onDragBy, this, &ControlBarScreen::dragged);
        connectSlot(slots, bar->getCloseButton().onClick, this, &ControlBarScreen::closed);
    }
    void dragged(std::int32_t dx, std::int32_t dy) { drags.push_back({dx, dy}); }
    void closed() { ++closes; }
    void click(int x, int y)
    {
        mouseMoved(x, y);
        mouseDown(0);
        mouseUp(0);
    }

    FakePlatform platform;
    CResourceManager resources;
    CGUIManager manager;
    CControlBar* bar = nullptr;
    std::vector<std::pair<int, int>> drags;
    int closes = 0;
    CSlotList slots;
};

} // namespace

TEST(CControlBar, ButtonsSitAtTheRightEndWithTheirFrames)
{
    ControlBarScreen screen;
    ASSERT_NE(screen.bar, nullptr);
    CControlBar& bar = *screen.bar;
    EXPECT_EQ(bar.getCloseButton().getX(), 788.0f);
    EXPECT_EQ(bar.getMaximiseButton().getX(), 778.0f);
    EXPECT_EQ(bar.getMinimiseButton().getX(), 768.0f);
    EXPECT_EQ(bar.getCloseButton().getY(), 5.0f);
    EXPECT_EQ(bar.getMinimiseButton().getFrameIndex(), 1u);
    EXPECT_EQ(bar.getMaximiseButton().getFrameIndex(), 9u);
    EXPECT_EQ(bar.getCloseButton().getFrameIndex(), 13u);

    screen.click(790, 10);
    EXPECT_EQ(screen.closes, 1);

    // Maximise switches to full screen: restore images, no minimise.
    screen.click(780, 10);
    EXPECT_FALSE(bar.isWindowed());
    EXPECT_EQ(bar.getMaximiseButton().getFrameIndex(), 5u);
    EXPECT_FALSE(bar.getMinimiseButton().getEnabled());
    screen.click(780, 10);
    EXPECT_TRUE(bar.isWindowed());
    EXPECT_EQ(bar.getMaximiseButton().getFrameIndex(), 9u);
    EXPECT_TRUE(bar.getMinimiseButton().getEnabled());
}

TEST(CControlBar, PressOnTheBarDragsTheWindowByTheCursorsMovement)
{
    ControlBarScreen screen;
    screen.platform.cursorX = 500;
    screen.platform.cursorY = 300;
    mouseMoved(100, 10);
    mouseDown(0);
    screen.platform.cursorX = 530;
    screen.platform.cursorY = 290;
    screen.manager.draw();
    screen.platform.cursorX = 531;
    screen.manager.draw();
    mouseUp(0);
    screen.platform.cursorX = 600;
    screen.manager.draw();
    ASSERT_EQ(screen.drags.size(), 2u);
    EXPECT_EQ(screen.drags[0], std::make_pair(30, -10));
    EXPECT_EQ(screen.drags[1], std::make_pair(1, 0));

    // A button pressed and released elsewhere neither clicks nor drags.
    screen.drags.clear();
    mouseMoved(790, 10);
    mouseDown(0);
    mouseMoved(100, 10);
    mouseUp(0);
    screen.platform.cursorX = 700;
    screen.manager.draw();
    EXPECT_EQ(screen.closes, 0);
    EXPECT_TRUE(screen.drags.empty());

    // In full screen the bar does not drag the window.
    screen.click(780, 10);
    mouseMoved(100, 10);
    mouseDown(0);
    screen.platform.cursorX = 10;
    screen.manager.draw();
    mouseUp(0);
    EXPECT_TRUE(screen.drags.empty());
}
