// CList: rows and cells, the selection after removals, the row moves the
// packer makes, overflow and scrolling, and picking rows with the mouse.
#include "framework/Input.h"
#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CEdit.h"
#include "gui/CFont.h"
#include "gui/CGUIManager.h"
#include "gui/CList.h"
#include "gui/CScroll.h"
#include "xml/CXMLDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One 100-wide column; text rows 10 high; the list is 35 high, so three
// rows fit.
struct TextList {
    TextList(int rowCount = 0)
    {
        style.setSize(60.0f, 10.0f);
        list.setFont(&style);
        list.setSize(120.0f, 35.0f);
        list.addColumn(0, 100.0f, "name");
        for (int i = 0; i < rowCount; ++i)
            list.addRow(list.getRowCount(), std::string(1, char('a' + i)).c_str());
    }
    std::string order() const
    {
        std::string result;
        for (std::uint32_t i = 0; i < list.getRowCount(); ++i)
            result += list.getCellText(i, 0).c_str();
        return result;
    }
    CFont style;
    CList list;
};

struct Picks {
    void hover(std::int32_t row, std::int32_t column) { hovers.push_back({row, column}); }
    void select(std::int32_t row, std::int32_t column) { selects.push_back({row, column}); }
    void doubleClick(std::int32_t row, std::int32_t column) { doubles.push_back({row, column}); }
    std::vector<std::pair<int, int>> hovers, selects, doubles;
    CSlotList slots;
};

void load(CGUIManager& manager, const char* text)
{
    CXMLDocument document;
    ASSERT_TRUE(document.parse(text));
    manager.loadNode(document, nullptr);
}

} // namespace

TEST(CList, RowsHoldOneCellPerColumn)
{
    CList list;
    list.addRow(0, "no columns");
    ASSERT_EQ(list.getRowCount(), 1u);
    EXPECT_EQ(list.getCell(0, 0), nullptr);
    EXPECT_EQ(list.getRowHeight(0), 0.0f);

    // A new column gives every existing row an invisible placeholder.
    list.addColumn(0xFFFFFFFFu, 80.0f, "first");
    ASSERT_NE(list.getCell(0, 0), nullptr);
    EXPECT_FALSE(list.getCell(0, 0)->getVisible());
    EXPECT_EQ(list.getCell(0, 0)->getWidth(), 80.0f);
    EXPECT_EQ(list.getCellText(0, 0), String());

    // Text cells are copies of the style, enabled, no wider than the column.
    CFont style;
    style.setSize(200.0f, 12.0f);
    list.setFont(&style);
    list.addRow(5, "wide");
    ASSERT_EQ(list.getRowCount(), 2u);
    EXPECT_EQ(list.getCellText(1, 0), String("wide"));
    EXPECT_EQ(list.getCell(1, 0)->getWidth(), 80.0f);
    EXPECT_TRUE(list.getCell(1, 0)->getEnabled());
    EXPECT_EQ(list.getRowHeight(1), 12.0f);

    list.addColumn(1, 30.0f, "second");
    list.setCellText(1, 1, "x");
    EXPECT_EQ(list.getCellText(1, 1), String("x"));
    EXPECT_EQ(list.getCell(1, 1)->getWidth(), 30.0f);
    list.setCellText(1, 7, "no row");
    list.setCellText(9, 0, "no column");
    EXPECT_EQ(list.getCell(2, 0), nullptr);
    EXPECT_EQ(list.getCell(0, 2), nullptr);

    // Other controls are copied as their own class; a narrower one keeps
    // its width.
    CCheckBox box;
    box.setSize(10.0f, 10.0f);
    list.insertRow(0, box);
    EXPECT_NE(dynamic_cast<CCheckBox*>(list.getCell(0, 0)), nullptr);
    EXPECT_EQ(list.getCell(0, 0)->getWidth(), 10.0f);
    EXPECT_EQ(list.getCellText(1, 0), String());  // the first placeholder row
}

TEST(CList, RemovalKeepsTheSelectionOnARow)
{
    TextList t(6);
    t.list.setSelected(5);
    t.list.removeRow(5);
    EXPECT_EQ(t.list.getSelected(), 4);  // the new last row

    t.list.setSelected(2);
    t.list.removeRow(0);
    EXPECT_EQ(t.list.getSelected(), 2);  // index kept
    t.list.removeRow(2);
    EXPECT_EQ(t.list.getSelected(), 2);  // now the row that followed
    EXPECT_EQ(t.order(), "bce");

    // A removal before the selected last row leaves no index past the end.
    t.list.removeRow(0);
    EXPECT_EQ(t.list.getSelected(), 1);

    t.list.setSelected(7);
    EXPECT_EQ(t.list.getSelected(), 1);
    t.list.removeRow(2);
    t.list.removeRow(0xFFFFFFFFu);
    EXPECT_EQ(t.order(), "ce");
    t.list.removeRow(1);
    t.list.removeRow(0);
    EXPECT_EQ(t.list.getSelected(), -1);
    t.list.removeRow(0);  // empty list
    EXPECT_EQ(t.list.getRowCount(), 0u);
    EXPECT_EQ(t.list.getCell(0, 0), nullptr);

    TextList u(3);
    u.list.setSelected(1);
    u.list.clear();
    EXPECT_EQ(u.list.getSelected(), -1);
    EXPECT_EQ(u.list.getRowCount(), 0u);
}

TEST(CList, MovesCopyTheRowsCellThenRemoveTheOriginal)
{
    TextList t(4);
    // Move up from row 2: insert a copy at 1, remove row 3, select 1.
    t.list.setSelected(2);
    t.list.insertRow(1, *t.list.getCell(2, 0));
    EXPECT_EQ(t.list.getSelected(), 2);
    t.list.removeRow(3);
    t.list.setSelected(1);
    EXPECT_EQ(t.order(), "acbd");
    // Move down from row 1: insert a copy at 3, remove row 1, select 2.
    t.list.insertRow(3, *t.list.getCell(1, 0));
    t.list.removeRow(1);
    t.list.setSelected(2);
    EXPECT_EQ(t.order(), "abcd");
    EXPECT_EQ(t.list.getSelected(), 2);
    EXPECT_NE(dynamic_cast<CFont*>(t.list.getCell(2, 0)), nullptr);

    // A copied list owns copies of the cells.
    CList copy(t.list);
    t.list.clear();
    ASSERT_EQ(copy.getRowCount(), 4u);
    EXPECT_EQ(copy.getCellText(3, 0), String("d"));
    EXPECT_EQ(copy.getSelected(), 2);
}

TEST(CList, ScrollBarShowsWhenRowsOverflowAndBoundsTheTopRow)
{
    TextList t(3);
    CScroll& bar = t.list.getScrollBar();
    EXPECT_FALSE(t.list.overflows());
    EXPECT_FALSE(bar.getVisible());

    t.list.addRow(3, "d");
    EXPECT_TRUE(t.list.overflows());
    EXPECT_TRUE(bar.getVisible());
    EXPECT_EQ(t.list.largestTopRow(), 1u);
    EXPECT_EQ(bar.getMax(), 1.0f);
    bar.setValue(9.0f);
    EXPECT_EQ(t.list.getTopRow(), 1);

    // Spacing counts between rows: 4 rows of 10 with 5 between need 55.
    t.list.setSpacing(5);
    t.list.setSize(120.0f, 54.0f);
    EXPECT_TRUE(bar.getVisible());
    EXPECT_EQ(t.list.largestTopRow(), 1u);
    t.list.setSize(120.0f, 55.0f);
    EXPECT_FALSE(bar.getVisible());
    EXPECT_EQ(t.list.getTopRow(), 0);

    t.list.setSize(120.0f, 20.0f);
    bar.setValue(3.0f);
    EXPECT_EQ(t.list.getTopRow(), 3);
    t.list.removeRow(3);
    EXPECT_EQ(t.list.getTopRow(), 2);
    t.list.removeRow(0);
    t.list.removeRow(0);
    EXPECT_FALSE(bar.getVisible());
    EXPECT_EQ(t.list.getTopRow(), 0);
    EXPECT_EQ(bar.getValue(), 0.0f);
}

TEST(CList, PointerHoversSelectsAndDoubleClicksRows)
{
    CGUIManager manager;
    load(manager, R"(<gui>
      <font name="f" w="50" h="10"/>
      <list name="l" font="f" x="10" y="20" w="100" h="100" spacing="2">
        <column w="100"><item text="a"/><item text="b"/><item text="c"/></column>
      </list></gui>)");
    auto* list = dynamic_cast<CList*>(manager.find("l"));
    ASSERT_NE(list, nullptr);
    Picks picks;
    connectSlot(picks.slots, list->onHover, &picks, &Picks::hover);
    connectSlot(picks.slots, list->onSelect, &picks, &Picks::select);
    connectSlot(picks.slots, list->onItemDoubleClick, &picks, &Picks::doubleClick);
    manager.draw();  // places the cells: rows at y 20, 32, 44

    mouseMoved(30, 35);
    EXPECT_EQ(list->getHover(), 1);
    ASSERT_FALSE(picks.hovers.empty());
    EXPECT_EQ(picks.hovers.back(), std::make_pair(1, 0));
    mouseDown(0);
    mouseUp(0);
    EXPECT_EQ(list->getSelected(), 1);
    ASSERT_EQ(picks.selects.size(), 1u);
    EXPECT_EQ(picks.selects[0], std::make_pair(1, 0));

    mouseMoved(30, 45);
    mouseDoubleClick(0);
    ASSERT_EQ(picks.doubles.size(), 1u);
    EXPECT_EQ(picks.doubles[0], std::make_pair(2, 0));
    EXPECT_EQ(list->getSelected(), 1);

    // Between two rows (on the spacing), and below the last row: no row.
    for (int y : {31, 90}) {
        list->setSelected(0);
        mouseMoved(30, y);
        EXPECT_EQ(list->getHover(), -1);
        mouseDown(0);
        mouseUp(0);
        EXPECT_EQ(list->getSelected(), -1) << y;
    }
    EXPECT_EQ(picks.selects.size(), 1u);
}

TEST(CList, DescriptionReadsColumnsItemsAndBarColours)
{
    CGUIManager manager;
    load(manager, R"(<gui><font name="f" h="10"/>
      <list name="l" font="f" spacing="-4" h="50">
        <hover r="0.5" a="0.25"/><select g="1"/>
        <column name="a" w="40"><item text="one"/><item text="two"/><item text="three"/></column>
        <column name="b" w="20"><item text="1"/><gap/><item text="3"/><item text="4"/></column>
      </list></gui>)");
    auto* list = dynamic_cast<CList*>(manager.find("l"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->getSpacing(), 0u);
    ASSERT_EQ(list->getColumnCount(), 2u);
    EXPECT_EQ(list->getColumn(1)->name, String("b"));
    ASSERT_EQ(list->getRowCount(), 3u);
    EXPECT_EQ(list->getCellText(0, 1), String("1"));
    EXPECT_EQ(list->getCellText(1, 1), String());
    EXPECT_EQ(list->getCellText(2, 1), String("3"));
    EXPECT_EQ(list->getHoverBar().getMaterial().emission, CVector(0.5f, 0, 0, 0.25f));
    EXPECT_EQ(list->getHoverBar().getMaterial().diffuse.w, 0.25f);
    EXPECT_EQ(list->getSelectBar().getMaterial().emission, CVector(0, 1, 0, 1));
}

TEST(CList, ACellsHandlerMayRemoveItsOwnRow)
{
    CGUIManager manager;
    load(manager, R"(<gui><list name="l" x="0" y="0" w="100" h="100"><column w="50"/></list></gui>)");
    auto* list = dynamic_cast<CList*>(manager.find("l"));
    ASSERT_NE(list, nullptr);
    CGUI cell;
    cell.setSize(50.0f, 10.0f);
    list->insertRow(0, cell);
    list->insertRow(1, cell);
    // The row goes in the first of two handlers; the cell's signal must
    // still be there for the second.
    struct Handlers {
        void remove(CInputMap&) { list->removeRow(0); }
        void count(CInputMap&) { ++calls; }
        CList* list;
        int calls = 0;
        CSlotList slots;
    } handlers{list, 0, {}};
    connectSlot(handlers.slots, list->getCell(0, 0)->onInput, &handlers, &Handlers::remove);
    connectSlot(handlers.slots, list->getCell(0, 0)->onInput, &handlers, &Handlers::count);
    manager.draw();
    mouseMoved(10, 5);
    mouseDown(0);
    mouseUp(0);
    EXPECT_EQ(list->getRowCount(), 1u);
    EXPECT_EQ(handlers.calls, 1);
}

TEST(CList, HandlersMayDestroyTheListWhileItDispatches)
{
    // Each case removes the list from inside one of its own walks: the hover
    // pass (onHover) and a button cell's click during the dispatch to cells.
    for (const bool fromCell : {false, true}) {
        CGUIManager manager;
        load(manager, R"(<gui><list name="l" x="0" y="0" w="100" h="100"><column w="50"/></list>
                         <gui name="after" x="0" y="0" w="200" h="200" enabled="1"/></gui>)");
        auto* list = dynamic_cast<CList*>(manager.find("l"));
        ASSERT_NE(list, nullptr);
        CButton cell;
        cell.setSize(50.0f, 10.0f);
        list->insertRow(0, cell);
        list->insertRow(1, cell);
        struct Remover {
            void hovered(std::int32_t, std::int32_t) { manager->remove("l"); }
            void clicked() { manager->remove("l"); }
            CGUIManager* manager;
            CSlotList slots;
        } remover{&manager, {}};
        if (fromCell)
            connectSlot(remover.slots, list->getCell(0, 0)->onClick, &remover, &Remover::clicked);
        else
            connectSlot(remover.slots, list->onHover, &remover, &Remover::hovered);
        manager.draw();
        mouseMoved(10, 5);
        mouseDown(0);
        mouseUp(0);
        EXPECT_EQ(manager.find("l"), nullptr) << fromCell;
        EXPECT_EQ(manager.getCount(), 1u);
        mouseMoved(20, 5);
    }
}

TEST(CList, OverflowFollowsRowsAndCellSizes)
{
    // Three 10-high rows fit exactly in 35 with spacing 2 (10+2+10+2+10 = 34);
    // each case changes one thing and reads overflow and the largest top row.
    struct Case {
        const char* change;
        bool overflows;
        std::uint32_t largestTop;
    };
    const Case cases[] = {
        {"three rows", false, 0},
        {"fourth row", true, 1},
        {"remove it", false, 0},
        {"grow a cell", true, 1},
        {"shrink it", false, 0},
    };
    TextList t(3);
    t.list.setSpacing(2);
    for (const Case& c : cases) {
        const std::string change = c.change;
        if (change == "fourth row")
            t.list.addRow(3, "d");
        else if (change == "remove it")
            t.list.removeRow(3);
        else if (change == "grow a cell")
            t.list.getCell(1, 0)->setSize(60.0f, 12.0f);
        else if (change == "shrink it")
            t.list.getCell(1, 0)->setSize(60.0f, 10.0f);
        EXPECT_EQ(t.list.overflows(), c.overflows) << change;
        EXPECT_EQ(t.list.largestTopRow(), c.largestTop) << change;
    }
}

TEST(CList, APressGivesTheCellUnderItTheFocus)
{
    // Row 0 and 1 hold edit fields; each press says which field is active.
    CGUIManager manager;
    load(manager, R"(<gui><list name="l" x="0" y="0" w="100" h="100"><column w="50"/></list>
                     <gui name="elsewhere" x="200" y="0" w="50" h="50" enabled="1"/></gui>)");
    auto* list = dynamic_cast<CList*>(manager.find("l"));
    ASSERT_NE(list, nullptr);
    CEdit field;
    field.setSize(50.0f, 10.0f);
    list->insertRow(0, field);
    list->insertRow(1, field);
    manager.draw();
    auto* first = dynamic_cast<CEdit*>(list->getCell(0, 0));
    auto* second = dynamic_cast<CEdit*>(list->getCell(1, 0));
    ASSERT_TRUE(first && second);
    const struct {
        int x, y;
        bool first, second;
    } presses[] = {{10, 5, true, false}, {10, 15, false, true}, {10, 80, false, false},
                   {10, 5, true, false}, {210, 5, false, false}};
    for (const auto& p : presses) {
        mouseMoved(p.x, p.y);
        mouseDown(0);
        mouseUp(0);
        EXPECT_EQ(first->isActive(), p.first) << p.x << "," << p.y;
        EXPECT_EQ(second->isActive(), p.second) << p.x << "," << p.y;
    }
    // A focused cell may go with its row.
    mouseMoved(10, 15);
    mouseDown(0);
    list->removeRow(1);
    mouseUp(0);
    mouseMoved(210, 5);
    mouseDown(0);
    mouseUp(0);
}
