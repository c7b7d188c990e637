// Text element: the glyph table built from a font sprite, the description
// attributes, and the layout applied to the element's own rectangle.
#include "gui/CFont.h"
#include "gui/CGUIManager.h"
#include "resources/CResourceManager.h"
#include "resources/CSprite.h"
#include "resources/CTexture.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

SpriteFrame glyphFrame(const char* name, std::uint32_t x, std::uint32_t w, CTexture* texture)
{
    SpriteFrame frame;
    frame.name = name;
    frame.initFrame(x, 0, w, 12, 0, texture);
    return frame;
}

}

TEST(CFont, SetSpriteMakesFrameKTheGlyphOfCharacterK)
{
    CTexture texture;
    CSprite glyphs;
    glyphs.addFrame(glyphFrame("A", 0, 9, &texture));
    glyphs.addFrame(glyphFrame("B", 10, 7, &texture));
    glyphs.addFrame(glyphFrame("A", 20, 3, &texture)); // a later duplicate loses

    CFont font;
    font.setSprite(CSprite()); // no frames: ignored
    EXPECT_EQ(font.getSprite().getFrameCount(), 0u);
    font.setSprite(glyphs);
    ASSERT_EQ(font.getSprite().getFrameCount(), 256u);
    EXPECT_EQ(font.getSprite().getFrame('A')->w, 9u);
    EXPECT_EQ(font.getSprite().getFrame('B')->x, 10u);
    // Characters without a glyph get a blank frame of the first glyph's size.
    const SpriteFrame* blank = font.getSprite().getFrame('C');
    EXPECT_EQ(blank->texture, nullptr);
    EXPECT_EQ(blank->w, 9u);
    EXPECT_EQ(blank->h, 12u);
    EXPECT_EQ(font.getCharWidth('B'), 7.0f);
    EXPECT_EQ(font.getCharWidth('C'), 0.0f);
    EXPECT_EQ(font.getLineHeight(), 12.0f);

    // A sprite of more than 255 frames is taken as it is.
    CSprite table;
    for (std::uint32_t i = 0; i < 300; ++i)
        table.addFrame(glyphFrame("", i, 1, &texture));
    font.setSprite(table);
    EXPECT_EQ(font.getSprite().getFrameCount(), 300u);
}

TEST(CFont, DescriptionSetsTextKernLeadAndResetsMissingScales)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse("<gui><font kern='2' lead='3' scaleX='2' scaleY='0.5' text='a\\nb' align='4'/>"
                               "<font x='10' w='100' h='40'/></gui>"));
    CFont font;
    font.load(*document.child(0));
    EXPECT_EQ(font.getText(), String("a\nb"));
    EXPECT_EQ(font.kern, 2);
    EXPECT_EQ(font.lead, 3);
    EXPECT_EQ(font.scaleX, 2.0f);
    EXPECT_EQ(font.scaleY, 0.5f);
    // Text elements only store the alignment; the quad stays anchored top-left.
    EXPECT_EQ(font.getAlign(), 4);
    EXPECT_EQ(font.getPositions()[0], 0.0f);

    font.load(*document.child(1));
    EXPECT_EQ(font.kern, 2);
    EXPECT_EQ(font.getText(), String("a\nb"));
    EXPECT_EQ(font.scaleX, 1.0f);
    EXPECT_EQ(font.scaleY, 1.0f);

    CFont copy(font);
    EXPECT_EQ(copy.getText(), font.getText());
    EXPECT_EQ(copy.lead, 3);
    EXPECT_EQ(copy.getAlign(), 4);
}

TEST(CFont, FontElementOfADescriptionUsesTheGlyphsOfAFontResource)
{
    CResourceManager resources;
    CXMLDocument list;
    ASSERT_TRUE(list.parse("<resources><font name='sans' height='14' start='32' end='126'"
                           " file='/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'/></resources>"));
    resources.loadList(list);
    ASSERT_NE(resources.find("sans"), nullptr) << "fonts-dejavu-core is not installed";

    CXMLDocument description;
    ASSERT_TRUE(description.parse("<gui><font name='label' sprite='sans' x='10' y='20' w='200' h='100'"
                                  " align='5' text='Hi'/></gui>"));
    CGUIManager manager;
    manager.loadNode(description, &resources);
    auto* label = dynamic_cast<CFont*>(manager.find("label"));
    ASSERT_NE(label, nullptr);
    ASSERT_EQ(label->getSprite().getFrameCount(), 256u);
    const float hi = label->getCharWidth('H') + label->getCharWidth('i');
    EXPECT_GT(hi, 10.0f);
    // Right-aligned and vertically centred in (10, 20, 200, 100).
    EXPECT_EQ(label->getLineStart(0), static_cast<std::int32_t>(10 + 200 - hi - 1));
    EXPECT_EQ(label->getVerticalStart(), static_cast<std::int32_t>(20 + 50 - label->getLineHeight() / 2));
}
