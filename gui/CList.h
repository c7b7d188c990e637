// CList: a multi-column list of rows whose cells are GUI elements.
//
// Text cells are copies of a text style element; a row can also hold copies
// of buttons, check boxes, edit fields, combo boxes, progress bars or scroll
// bars, which behave as such while the list has the focus. The list tracks a
// hovered and a selected row, draws highlight bars behind them, shows only
// the rows that fit from `topRow` on, and owns a vertical scroll bar along
// its right edge, shown when the rows overflow.
//
// While the list has the focus, a press on a cell gives that cell the focus
// (so an edit field or combo box in a row becomes active, as it would on its
// own) and takes it from the cell that had it; the list losing the focus
// takes it from the cell too.
//
// Row operations with indexes out of range are ignored; the selection and
// the hovered row never name a row that does not exist after a removal.
// Cells are positioned in window coordinates while drawing (they have no
// parent), so their hit tests use the positions of the last frame.
#pragma once

#include "core/String.h"
#include "gui/CFont.h"
#include "gui/CGUI.h"
#include "gui/CScroll.h"

#include <cstdint>
#include <memory>
#include <vector>

class CList : public CGUI {
public:
    struct Column {
        String name;
        float width = 0.0f;
    };
    using Row = std::vector<std::unique_ptr<CGUI>>;

    CList();
    CList(const CList& other);
    ~CList() override;

    void draw() override;
    // Common attributes, then "spacing" and the children "hover", "select"
    // and "column" (with its "item" children).
    void load(CXMLNode& node) override;
    // Tracks the hovered row, then the base hit test.
    bool hitTest(int x, int y) override;
    // Slot 9: the base, columns, rows, topRow, selectedRow, text style and
    // scroll bar.
    using CGUI::copyFrom;
    virtual void copyFrom(const CList& other);
    // Resolves "font" (setFont), then "scroll" (setScroll), then load.
    void loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager* resources) override;

    // index clamped to the column count (so -1 appends).
    void addColumn(std::uint32_t index, float width, const String& name);
    // index clamped to the row count; cell 0 becomes a copy of the template.
    void insertRow(std::uint32_t index, const CGUI& cellTemplate);
    // A text row: the text style with `text`, as wide as column 0.
    void addRow(std::uint32_t index, const String& text);
    void setCellText(std::uint32_t column, std::uint32_t row, const String& text);
    // Out-of-range indexes are ignored.
    void removeRow(std::uint32_t index);
    void clear();

    std::uint32_t getRowCount() const { return static_cast<std::uint32_t>(rows.size()); }
    std::uint32_t getColumnCount() const { return static_cast<std::uint32_t>(columns.size()); }
    const Column* getColumn(std::uint32_t index) const;
    std::int32_t getSelected() const { return selectedRow; }
    // Sets the selection when the row exists; no signal.
    void setSelected(std::uint32_t row);
    std::int32_t getHover() const { return hoverRow; }
    std::int32_t getTopRow() const { return topRow; }
    CGUI* getCell(std::uint32_t row, std::uint32_t column) const;
    // The cell's text when it is a text element, else empty.
    String getCellText(std::uint32_t row, std::uint32_t column) const;
    // Largest height among the row's cells (0 without cells or rows).
    float getRowHeight(std::uint32_t row) const;
    // Whether the rows need more height than the list has (2 rows or more).
    bool overflows() const;
    // The highest top row from which the last row still fits.
    std::uint32_t largestTopRow() const;

    void setFont(const CFont* font);
    void setScroll(const CScroll* scroll);
    CFont& getTextStyle() { return textStyle; }
    CScroll& getScrollBar() { return scrollBar; }
    CGUI& getHoverBar() { return hoverBar; }
    CGUI& getSelectBar() { return selectBar; }
    void setSpacing(std::uint32_t value) { spacing = value; }
    std::uint32_t getSpacing() const { return spacing; }

    CSignal<std::int32_t, std::int32_t> onHover;
    CSignal<std::int32_t, std::int32_t> onSelect;
    CSignal<std::int32_t, std::int32_t> onItemDoubleClick;

protected:
    // Handlers, connected by the constructor in this order.
    void layout(float width, float height);
    void dispatchInput(CInputMap& event);
    void dispatchToCells(CInputMap& event);
    void selectAtPointer();
    void doubleClickAtPointer();
    void scrolled(float value);
    void focusChanged(bool focused);
    // Moves the cell focus to `cell` (null: to no cell).
    void focusCell(CGUI* cell);

    // Destroys removed cells, or keeps them until the dispatch to the cells
    // that is running ends.
    void retire(Row row);
    // Scroll bar visibility, range and value after rows came or went.
    void updateScrollBar();
    // A copy of the template as a cell: enabled, without parent, no wider
    // than the column.
    std::unique_ptr<CGUI> makeCell(const CGUI& cellTemplate, float columnWidth) const;
    // topRow clamped to the rows, or -1 without rows.
    std::int32_t firstShownRow() const;
    // Calls visit (row, y, row height) for each row that fits from the top
    // row on, while it returns true and the rows stay unchanged.
    template <typename Visit>
    void forFittingRows(Visit visit);
    // The last cell of the row hit at (x, y), or -1.
    std::int32_t hitColumn(std::uint32_t row, int x, int y);

    std::vector<Column> columns;
    std::vector<Row> rows;
    CVector pointer;
    std::uint32_t spacing = 0;
    bool pressedInScroll = false;
    std::int32_t topRow = 0;
    std::int32_t hoverRow = -1;
    std::int32_t selectedRow = -1;
    CGUI hoverBar;
    CGUI selectBar;
    CFont textStyle;
    CScroll scrollBar;
    // Changes with every change to the rows, so walks that emit signals can
    // tell that a handler changed the rows under them.
    std::uint64_t rowsVersion = 0;
    // The sum of all row heights, valid while rowsVersion and
    // CGUI::sizeChanges are what they were when it was taken. Appends and
    // removals update it, so whether the rows overflow costs constant time.
    double totalRowHeight() const;
    bool rowHeightSumValid() const;
    void stampRowHeightSum() const;
    mutable double rowHeightSum = 0.0;
    mutable std::uint64_t sumRowsVersion = ~std::uint64_t(0);
    mutable std::uint64_t sumSizeChanges = 0;
    int dispatching = 0;
    std::vector<Row> retiredRows;
    // The cell that has the focus; it may be destroyed with its row.
    CGUI* focusedCell = nullptr;
    std::weak_ptr<const bool> focusedCellAlive;
};
