// Menus without a display: a title's column, sub-columns opening to the
// right, the selection relay, closing the tree, and parent chains that loop.
#include "framework/Input.h"
#include "gui/CGUIManager.h"
#include "gui/CMenu.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Title "file" at (0, 20), 60 x 18; entries "open" and "recent"; "recent"
// has the entry "last"; a plain enabled element "away" elsewhere.
const char* const menuDescription = R"(<gui>
  <menu name="file" x="0" y="20" w="60" h="18" text="File"><hover r="1" a="0.5"/>
    <menu name="open" parent="file" h="30"/>
    <menu name="recent" parent="file"><menu name="last" parent="recent"/></menu>
  </menu>
  <gui name="away" x="300" y="300" w="20" h="20" enabled="true"/>
</gui>)";

struct SelectLog {
    void watch(CGUI* menu)
    {
        auto* m = dynamic_cast<CMenu*>(menu);
        ASSERT_NE(m, nullptr);
        connectSlot(slots, m->onSelect, this, &SelectLog::selected);
    }
    void selected(String& name) { seen.emplace_back(name.c_str()); }
    std::vector<std::string> seen;
    CSlotList slots;
};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CXMLDocument document;
        ASSERT_TRUE(document.parse(menuDescription));
        manager.loadNode(document, nullptr);
        file = menu("file");
        open = menu("open");
        recent = menu("recent");
        last = menu("last");
        ASSERT_TRUE(file && open && recent && last);
    }
    CMenu* menu(const char* name) { return dynamic_cast<CMenu*>(manager.find(name)); }
    static void click(int x, int y)
    {
        mouseMoved(x, y);
        mouseDown(0);
        mouseUp(0);
    }
    CGUIManager manager;
    CMenu* file = nullptr;
    CMenu* open = nullptr;
    CMenu* recent = nullptr;
    CMenu* last = nullptr;
};

} // namespace

TEST_F(MenuTest, TitleClicksOpenAndCloseItsColumnBelowIt)
{
    EXPECT_EQ(file->getEntries(), (std::vector<CMenu*>{open, recent}));
    EXPECT_EQ(recent->getEntries(), (std::vector<CMenu*>{last}));
    EXPECT_FALSE(open->getVisible());
    EXPECT_FALSE(last->getVisible());
    // Entries take the title's size and hover colour.
    EXPECT_EQ(open->getHeight(), 18.0f);
    EXPECT_EQ(last->getWidth(), 60.0f);
    EXPECT_EQ(last->getHoverBar().getMaterial().diffuse.w, 0.5f);

    SelectLog log;
    log.watch(file);
    click(10, 25);
    EXPECT_TRUE(file->isOpen());
    EXPECT_TRUE(open->getVisible() && recent->getVisible());
    // Stacked one title height apart from the title's height down.
    EXPECT_EQ(open->getAbsolutePosition().y, 38.0f);
    EXPECT_EQ(recent->getAbsolutePosition().y, 56.0f);
    EXPECT_EQ(recent->getAbsolutePosition().x, 0.0f);
    click(10, 25);
    EXPECT_FALSE(file->isOpen());
    EXPECT_FALSE(open->getVisible());
    EXPECT_EQ(log.seen, (std::vector<std::string>{"file", "file"}));
}

TEST_F(MenuTest, HoveredEntryOpensToTheRightAndAChoiceClosesTheTree)
{
    SelectLog fromFile;
    SelectLog fromRecent;
    fromFile.watch(file);
    fromRecent.watch(recent);
    click(10, 25);
    mouseMoved(10, 60);  // over "recent"
    EXPECT_TRUE(recent->isHovered());
    ASSERT_TRUE(last->getVisible());
    EXPECT_EQ(last->getAbsolutePosition().x, 60.0f);
    EXPECT_EQ(last->getAbsolutePosition().y, 56.0f);

    // Moving onto the sub-column keeps it open; clicking its entry closes all.
    mouseMoved(70, 60);
    EXPECT_TRUE(last->getVisible());
    fromFile.seen.clear();
    click(70, 60);
    EXPECT_EQ(fromRecent.seen, (std::vector<std::string>{"last"}));
    EXPECT_TRUE(fromFile.seen.empty()) << "only the entry's direct parent reports";
    EXPECT_FALSE(file->isOpen());
    EXPECT_FALSE(open->getVisible());
    EXPECT_FALSE(recent->getVisible());
    EXPECT_FALSE(last->getVisible());
    EXPECT_FALSE(recent->isHovered());
}

TEST_F(MenuTest, PressElsewhereClosesTheTree)
{
    click(10, 25);
    ASSERT_TRUE(open->getVisible());
    click(310, 310);
    EXPECT_FALSE(file->isOpen());
    EXPECT_FALSE(open->getVisible());
}

TEST(CMenu, LoopingParentsAndRemovedEntriesAreHarmless)
{
    CGUIManager manager;
    CXMLDocument document;
    // "a" names "b" (later), "b" names "a" (earlier, resolved at once), and
    // "c" names itself through an earlier namesake.
    ASSERT_TRUE(document.parse(R"(<gui>
      <menu name="a" parent="b" w="40" h="10"/>
      <menu name="b" parent="a"/>
      <menu name="c" w="40" h="10" y="100"/>
      <menu name="c" parent="c"/>
      <menu name="d" parent="d"/>
    </gui>)"));
    manager.loadNode(document, nullptr);
    auto* a = dynamic_cast<CMenu*>(manager.getElement(0));
    auto* b = dynamic_cast<CMenu*>(manager.getElement(1));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(b->getParent(), a);
    EXPECT_EQ(a->getParent(), nullptr) << "the loop is refused";
    EXPECT_FALSE(b->addEntry(a));
    EXPECT_FALSE(a->addEntry(a));
    EXPECT_FALSE(a->addEntry(b)) << "already an entry";

    // Click through the titles, then remove an entry and open its title again.
    for (int y : {5, 105, 5, 105}) {
        mouseMoved(5, y);
        mouseDown(0);
        mouseUp(0);
        mouseMoved(50, y + 12);
    }
    manager.remove(String("b"));
    EXPECT_TRUE(a->getEntries().empty());
    mouseMoved(5, 5);
    mouseDown(0);
    mouseUp(0);
    manager.draw();
    manager.clear();
}
