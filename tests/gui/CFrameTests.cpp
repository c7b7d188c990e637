// CFrame: border pieces from the description laid out around the frame,
// following its position and size; indexes past the pieces are ignored.
#include "gui/CFrame.h"
#include "gui/CGUIManager.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

TEST(CFrame, PiecesSurroundTheFrameAndFollowIt)
{
    CGUIManager manager;
    CXMLDocument document;
    ASSERT_TRUE(document.parse(R"(<gui><frame name="f" x="50" y="400" w="100" h="60" borderX="2" borderY="2">
      <gui border="0" w="8" h="8"/><gui border="1" w="8" h="8"/><gui border="2" w="8" h="8"/>
      <gui border="3" w="8" h="8"/><gui border="4" w="8" h="8"/><gui border="5" w="8" h="8"/>
      <gui border="6" w="8" h="8"/><gui border="7" w="8" h="8"/>
      <gui border="8" w="99" h="99"/><gui border="-1" w="99" h="99"/><gui border="4000000000"/>
    </frame></gui>)"));
    manager.loadNode(document, nullptr);
    auto* frame = dynamic_cast<CFrame*>(manager.find("f"));
    ASSERT_NE(frame, nullptr);

    // Corner 8 x 8 over a border of 2: dx = dy = 6, half 3.
    const float expected[8][2] = {{-5, -5}, {3, -5}, {96.5f, -5}, {-5, 3},
                                  {96.5f, 3}, {-5, 56.5f}, {3, 56.5f}, {96.5f, 56.5f}};
    for (std::uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(frame->getPiece(i)->getX(), expected[i][0]) << i;
        EXPECT_EQ(frame->getPiece(i)->getY(), expected[i][1]) << i;
        EXPECT_EQ(frame->getPiece(i)->getParent(), frame);
    }
    EXPECT_EQ(frame->getPiece(1)->getWidth(), 94.0f);
    EXPECT_EQ(frame->getPiece(4)->getHeight(), 54.0f);
    EXPECT_EQ(frame->getPiece(8), nullptr);
    EXPECT_EQ(frame->getPiece(0)->getWidth(), 8.0f);

    frame->setSize(50.0f, 30.0f);
    EXPECT_EQ(frame->getPiece(6)->getWidth(), 44.0f);
    EXPECT_EQ(frame->getPiece(7)->getX(), 46.5f);
    EXPECT_EQ(frame->getPiece(7)->getY(), 26.5f);
    frame->setPosition(0.0f, 0.0f);
    EXPECT_EQ(frame->getPiece(7)->getAbsolutePosition().x, 46.5f);

    // Corners smaller than the border put the edges inside the overlap.
    frame->getPiece(0)->setSize(1.0f, 1.0f);
    frame->layoutPieces();
    EXPECT_EQ(frame->getPiece(0)->getX(), -1.5f);
    EXPECT_EQ(frame->getPiece(1)->getX(), -0.5f);
    EXPECT_EQ(frame->getPiece(1)->getWidth(), 51.0f);
}
