// CList: rows of cell elements, hover and selection, scrolling.
//
// Rows are held as an array of owned rows, so appending is amortised
// constant time. Whether the rows overflow comes from the sum of the row
// heights, kept up to date by appends and removals; how far the list can
// scroll is found by walking only as many rows as fit in the list's height
// from the bottom. So inserting a row costs the visible rows, not all of
// them, whether the rows overflow or not. Drawing walks the fitting rows
// only.
//
// Handlers of cell or list signals may add or remove rows; every walk that
// emits a signal stops as soon as the rows have changed under it.
#include "gui/CList.h"

#include "gui/CButton.h"
#include "gui/CCheckBox.h"
#include "gui/CCombo.h"
#include "gui/CEdit.h"
#include "gui/CGUIManager.h"
#include "gui/CProgress.h"
#include "gui/GUIAttributes.h"
#include "xml/CXMLNode.h"

#include <algorithm>
#include <cmath>

namespace {

// A copy of a template cell of the class it belongs to (button, check box,
// combo box, edit field, text, progress bar, scroll bar); any other element
// is copied as a plain element.
std::unique_ptr<CGUI> copyCell(const CGUI& cellTemplate)
{
    if (const auto* box = dynamic_cast<const CCheckBox*>(&cellTemplate))
        return std::make_unique<CCheckBox>(*box);
    if (const auto* button = dynamic_cast<const CButton*>(&cellTemplate))
        return std::make_unique<CButton>(*button);
    if (const auto* combo = dynamic_cast<const CCombo*>(&cellTemplate))
        return std::make_unique<CCombo>(*combo);
    if (const auto* edit = dynamic_cast<const CEdit*>(&cellTemplate))
        return std::make_unique<CEdit>(*edit);
    if (const auto* font = dynamic_cast<const CFont*>(&cellTemplate))
        return std::make_unique<CFont>(*font);
    if (const auto* progress = dynamic_cast<const CProgress*>(&cellTemplate))
        return std::make_unique<CProgress>(*progress);
    if (const auto* scroll = dynamic_cast<const CScroll*>(&cellTemplate))
        return std::make_unique<CScroll>(*scroll);
    return std::make_unique<CGUI>(cellTemplate);
}

// An invisible plain cell as wide as its column.
std::unique_ptr<CGUI> makePlaceholder(float width)
{
    auto cell = std::make_unique<CGUI>();
    cell->setVisible(false);
    cell->storeSize(width, cell->getHeight());
    return cell;
}

// A scroll value as a row index: truncated, NaN 0, and kept inside the
// 32-bit range so a wild scroll range cannot overflow the conversion.
std::int32_t rowFromValue(float value)
{
    if (std::isnan(value))
        return 0;
    const float clamped = std::clamp(value, -2147483520.0f, 2147483520.0f);
    return static_cast<std::int32_t>(clamped);
}

} // namespace

CList::CList()
{
    setType(List);
    enabled = true;
    hoverBar.getMaterial().diffuse.w = 0.0f;
    selectBar.getMaterial().diffuse.w = 0.0f;
    scrollBar.setParent(this);
    // No rows, so nothing overflows: the scroll bar starts hidden.
    scrollBar.setVisible(false);
    connectSlot(connections, onResize, this, &CList::layout);
    connectSlot(connections, onInput, this, &CList::dispatchInput);
    connectSlot(connections, onClick, this, &CList::selectAtPointer);
    connectSlot(connections, onDoubleClick, this, &CList::doubleClickAtPointer);
    connectSlot(connections, scrollBar.onChange, this, &CList::scrolled);
    connectSlot(connections, onFocus, this, &CList::focusChanged);
}

CList::CList(const CList& other)
    : CList()
{
    copyFrom(other);
}

CList::~CList()
{
    // Cells go before the handlers' connections and signals they might use.
    rows.clear();
}

// --- Copying and loading ---

void CList::copyFrom(const CList& other)
{
    if (&other == this)
        return;
    CGUI::copyFrom(other);
    columns = other.columns;
    std::vector<Row> old;
    old.swap(rows);
    rows.reserve(other.rows.size());
    for (const Row& source : other.rows) {
        Row row;
        row.reserve(source.size());
        for (const auto& cell : source)
            row.push_back(copyCell(*cell));
        rows.push_back(std::move(row));
    }
    ++rowsVersion;
    for (Row& row : old)
        retire(std::move(row));
    hoverRow = -1;
    topRow = other.topRow;
    selectedRow = other.selectedRow;
    textStyle.copyFrom(other.textStyle);
    scrollBar.copyFrom(other.scrollBar);
    scrollBar.setParent(this);
}

void CList::loadDescription(CXMLNode& node, CGUIManager& manager, CResourceManager*)
{
    setFont(manager.findFont(node));
    setScroll(manager.findScroll(node));
    load(node);
}

void CList::load(CXMLNode& node)
{
    using namespace GUIAttributes;
    CGUI::load(node);
    if (has(node, "spacing"))
        spacing = static_cast<std::uint32_t>(std::max(integer(node, "spacing", 0), 0));

    for (std::uint32_t i = 0; i < node.childCount(); ++i) {
        const CXMLNode& child = *node.child(i);
        const String& childName = child.name();
        if (childName == String("hover") || childName == String("select")) {
            CGUI& bar = childName == String("hover") ? hoverBar : selectBar;
            const float alpha = real(child, "a", 1.0f);
            bar.getMaterial().emission.set(real(child, "r", 0.0f), real(child, "g", 0.0f), real(child, "b", 0.0f), alpha);
            bar.getMaterial().diffuse.w = alpha;
        } else if (childName == String("column")) {
            const auto column = static_cast<std::uint32_t>(columns.size());
            addColumn(column, real(child, "w", 0.0f), text(child, "name"));
            for (std::uint32_t j = 0; j < child.childCount(); ++j) {
                const CXMLNode& item = *child.child(j);
                if (item.name() != String("item") || !has(item, "text"))
                    continue;
                if (column == 0)
                    addRow(getRowCount(), text(item, "text"));
                else
                    setCellText(column, j, text(item, "text"));
            }
        }
    }
}

void CList::setFont(const CFont* font)
{
    if (!font)
        return;
    if (font != &textStyle)
        textStyle.copyFrom(*font);
    textStyle.setParent(nullptr);
    textStyle.setEnabled(true);
    textStyle.setVisible(true);
    textStyle.setPosition(0.0f, 0.0f);
}

void CList::setScroll(const CScroll* scroll)
{
    if (!scroll || scroll == &scrollBar)
        return;
    scrollBar.copyFrom(*scroll);
    scrollBar.setParent(this);
    scrollBar.setEnabled(true);
    scrollBar.setVisible(overflows());
    layout(getWidth(), getHeight());
}

// --- Columns and rows ---

void CList::addColumn(std::uint32_t index, float width, const String& columnName)
{
    width = clampCoordinate(width);
    index = std::min<std::uint32_t>(index, getColumnCount());
    columns.insert(columns.begin() + index, Column{columnName, width});
    for (Row& row : rows) {
        const auto at = std::min<std::size_t>(index, row.size());
        row.insert(row.begin() + static_cast<std::ptrdiff_t>(at), makePlaceholder(width));
    }
    ++rowsVersion;
}

void CList::insertRow(std::uint32_t index, const CGUI& cellTemplate)
{
    index = std::min(index, getRowCount());
    Row row;
    row.reserve(columns.size());
    for (const Column& column : columns)
        row.push_back(makePlaceholder(column.width));
    if (!row.empty())
        row[0] = makeCell(cellTemplate, columns[0].width);
    const bool sumValid = rowHeightSumValid();
    rows.insert(rows.begin() + index, std::move(row));
    ++rowsVersion;
    if (sumValid) {
        rowHeightSum += getRowHeight(index);
        stampRowHeightSum();
    }
    updateScrollBar();
}

void CList::addRow(std::uint32_t index, const String& value)
{
    textStyle.setText(value);
    if (!columns.empty())
        textStyle.setSize(columns[0].width, textStyle.getHeight());
    insertRow(index, textStyle);
}

void CList::setCellText(std::uint32_t column, std::uint32_t row, const String& value)
{
    textStyle.setText(value);
    if (column >= columns.size())
        return;
    textStyle.setSize(columns[column].width, textStyle.getHeight());
    if (row >= rows.size() || column >= rows[row].size())
        return;
    Row old;
    old.push_back(std::move(rows[row][column]));
    rows[row][column] = makeCell(textStyle, columns[column].width);
    ++rowsVersion;
    retire(std::move(old));
}

std::unique_ptr<CGUI> CList::makeCell(const CGUI& cellTemplate, float columnWidth) const
{
    std::unique_ptr<CGUI> cell = copyCell(cellTemplate);
    // Cells are placed in window coordinates while drawing; a parent taken
    // over from the template would displace them a second time.
    cell->setParent(nullptr);
    cell->setEnabled(true);
    if (columnWidth < cell->getWidth())
        cell->setSize(columnWidth, cell->getHeight());
    return cell;
}

void CList::removeRow(std::uint32_t index)
{
    if (index >= rows.size())
        return;
    // Out of the list before it is destroyed, so the list is whole whatever
    // the cells' destruction touches.
    const bool sumValid = rowHeightSumValid();
    const float doomedHeight = getRowHeight(index);
    Row doomed = std::move(rows[index]);
    rows.erase(rows.begin() + index);
    ++rowsVersion;
    if (sumValid) {
        rowHeightSum -= doomedHeight;
        stampRowHeightSum();
    }
    retire(std::move(doomed));

    const auto count = static_cast<std::int32_t>(rows.size());
    if (hoverRow >= count)
        hoverRow = -1;
    // Removing the selected last row selects the new last row. A selection
    // that an earlier removal left past the end moves there too, so the
    // selection never names a row that does not exist.
    if (selectedRow >= count)
        selectedRow = count - 1;

    updateScrollBar();
    if (!scrollBar.getVisible()) {
        scrollBar.setValue(0.0f);
        topRow = 0;
    } else {
        topRow = std::clamp(topRow, 0, std::max(count - 1, 0));
    }
}

void CList::clear()
{
    std::vector<Row> doomed;
    doomed.swap(rows);
    ++rowsVersion;
    for (Row& row : doomed)
        retire(std::move(row));
    topRow = 0;
    hoverRow = -1;
    selectedRow = -1;
    scrollBar.setVisible(false);
    scrollBar.setValue(0.0f);
}

const CList::Column* CList::getColumn(std::uint32_t index) const
{
    return index < columns.size() ? &columns[index] : nullptr;
}

void CList::setSelected(std::uint32_t row)
{
    if (row < rows.size())
        selectedRow = static_cast<std::int32_t>(row);
}

CGUI* CList::getCell(std::uint32_t row, std::uint32_t column) const
{
    if (row >= rows.size() || column >= rows[row].size())
        return nullptr;
    return rows[row][column].get();
}

String CList::getCellText(std::uint32_t row, std::uint32_t column) const
{
    const auto* font = dynamic_cast<const CFont*>(getCell(row, column));
    return font ? font->getText() : String();
}

float CList::getRowHeight(std::uint32_t row) const
{
    if (row >= rows.size())
        return 0.0f;
    float height = 0.0f;
    for (const auto& cell : rows[row])
        height = std::max(height, cell->getHeight());
    return height;
}

void CList::retire(Row row)
{
    // A cell whose signal is being emitted must outlive the emission: while
    // the list dispatches to its cells, removed cells wait until it is done.
    if (dispatching > 0)
        retiredRows.push_back(std::move(row));
}

// --- Fitting rows and scrolling ---

std::int32_t CList::firstShownRow() const
{
    if (rows.empty())
        return -1;
    return std::clamp(topRow, 0, static_cast<std::int32_t>(rows.size()) - 1);
}

template <typename Visit>
void CList::forFittingRows(Visit visit)
{
    const std::int32_t first = firstShownRow();
    if (first < 0)
        return;
    const std::weak_ptr<const bool> alive = lifeline();
    const std::uint64_t version = rowsVersion;
    const auto count = static_cast<std::uint32_t>(rows.size());
    const float height = getHeight();
    float y = 0.0f;
    for (std::uint32_t i = static_cast<std::uint32_t>(first); i < count;) {
        const float rowHeight = getRowHeight(i);
        // A handler may have destroyed the list itself.
        if (!visit(i, y, rowHeight) || alive.expired() || version != rowsVersion)
            return;
        y += rowHeight + static_cast<float>(spacing);
        ++i;
        if (i >= count || getRowHeight(i) + y > height)
            return;
    }
}

bool CList::rowHeightSumValid() const
{
    return sumRowsVersion == rowsVersion && sumSizeChanges == sizeChanges();
}

void CList::stampRowHeightSum() const
{
    sumRowsVersion = rowsVersion;
    sumSizeChanges = sizeChanges();
}

double CList::totalRowHeight() const
{
    if (!rowHeightSumValid()) {
        rowHeightSum = 0.0;
        for (std::uint32_t i = 0; i < rows.size(); ++i)
            rowHeightSum += getRowHeight(i);
        stampRowHeightSum();
    }
    return rowHeightSum;
}

bool CList::overflows() const
{
    const std::size_t count = rows.size();
    if (count < 2)
        return false;
    // Rows 0 to k fit when their heights and the spacing between them fit;
    // that need only grows with k, so the rows overflow exactly when all of
    // them together do not fit.
    const double needed = totalRowHeight() + static_cast<double>(count - 1) * spacing;
    return static_cast<double>(getHeight()) < needed;
}

std::uint32_t CList::largestTopRow() const
{
    // Without overflow every row fits from row 0; otherwise the walk from
    // the bottom ends once the rows stop fitting, after the visible ones.
    if (!overflows())
        return 0;
    const float height = getHeight();
    float sum = 0.0f;
    for (std::size_t i = rows.size(); i-- > 1;) {
        sum += getRowHeight(static_cast<std::uint32_t>(i)) + static_cast<float>(spacing);
        if (height < getRowHeight(static_cast<std::uint32_t>(i - 1)) + sum)
            return static_cast<std::uint32_t>(i);
    }
    return 0;
}

void CList::updateScrollBar()
{
    scrollBar.setVisible(overflows());
    scrollBar.setMax(static_cast<float>(largestTopRow()));
    scrollBar.setValue(scrollBar.getValue());
}

void CList::layout(float width, float height)
{
    scrollBar.setPosition(width - scrollBar.getWidth(), 0.0f);
    scrollBar.setSize(scrollBar.getWidth(), height);
    scrollBar.setVisible(overflows());
    if (!scrollBar.isVisible()) {
        scrollBar.setValue(0.0f);
    } else {
        scrollBar.setMax(static_cast<float>(largestTopRow()));
        scrollBar.setValue(scrollBar.getValue());
        scrollBar.setValue(static_cast<float>(topRow));
    }
    topRow = rowFromValue(scrollBar.getValue());
}

void CList::scrolled(float value)
{
    topRow = rowFromValue(value);
}

void CList::focusChanged(bool focused)
{
    if (!focused)
        focusCell(nullptr);
}

void CList::focusCell(CGUI* cell)
{
    CGUI* old = focusedCellAlive.expired() ? nullptr : focusedCell;
    if (old == cell)
        return;
    focusedCell = cell;
    focusedCellAlive = cell ? cell->lifeline() : std::weak_ptr<const bool>();
    // Either call runs handlers; the caller checks what they changed.
    if (old)
        old->setFocus(false);
    if (cell && focusedCell == cell && !focusedCellAlive.expired())
        cell->setFocus(true);
}

// --- Hit testing and input ---

std::int32_t CList::hitColumn(std::uint32_t row, int x, int y)
{
    std::int32_t column = -1;
    const Row& cells = rows[row];
    for (std::size_t c = 0; c < cells.size(); ++c) {
        if (cells[c]->hitTest(x, y))
            column = static_cast<std::int32_t>(c);
    }
    return column;
}

bool CList::hitTest(int x, int y)
{
    pointer.set(static_cast<float>(x), static_cast<float>(y));
    if (!scrollBar.hitTest(x, y) && !pressedInScroll) {
        const std::weak_ptr<const bool> alive = lifeline();
        hoverRow = -1;
        forFittingRows([&](std::uint32_t row, float, float) {
            const std::int32_t column = hitColumn(row, x, y);
            if (column >= 0) {
                hoverRow = static_cast<std::int32_t>(row);
                onHover.emit(hoverRow, column);
            }
            return true;
        });
        // A handler that destroyed the list leaves nothing to hit.
        if (alive.expired())
            return false;
    }
    return CGUI::hitTest(x, y);
}

void CList::dispatchInput(CInputMap& event)
{
    const std::weak_ptr<const bool> alive = lifeline();
    ++dispatching;
    dispatchToCells(event);
    if (alive.expired())
        return;
    if (--dispatching == 0)
        retiredRows.clear();
}

void CList::dispatchToCells(CInputMap& event)
{
    const std::weak_ptr<const bool> alive = lifeline();
    const int x = toPixel(event.position.x);
    const int y = toPixel(event.position.y);
    if (pressedInScroll && event.action == CInputMap::released && !hitTest(x, y)) {
        if (alive.expired())
            return;
        pressedInScroll = false;
    }
    if (alive.expired())
        return;
    scrollBar.onInput.emit(event);
    if (alive.expired())
        return;
    if (event.action == CInputMap::pressed && scrollBar.hitTest(x, y))
        pressedInScroll = true;

    // A press moves the cell focus to the cell under the pointer (none when
    // it is on no cell).
    if (event.action == CInputMap::pressed && !pressedInScroll) {
        CGUI* pressed = nullptr;
        forFittingRows([&](std::uint32_t row, float, float) {
            const std::int32_t column = hitColumn(row, x, y);
            if (column >= 0)
                pressed = rows[row][std::size_t(column)].get();
            return pressed == nullptr;
        });
        focusCell(pressed);
        if (alive.expired())
            return;
    }

    forFittingRows([&](std::uint32_t row, float, float) {
        const std::uint64_t version = rowsVersion;
        const std::size_t cellCount = rows[row].size();
        // Every emission may destroy the list (and so the cell) or change
        // its rows; either ends the walk before anything is touched again.
        const auto unchanged = [&] { return !alive.expired() && version == rowsVersion; };
        for (std::size_t c = 0; c < cellCount && unchanged(); ++c) {
            CGUI& cell = *rows[row][c];
            if (cell.hitTest(x, y)) {
                cell.onInput.emit(event);
                if (!unchanged())
                    break;
                if (event.action == CInputMap::released)
                    cell.onClick.emit();
                else if (event.action == CInputMap::doubleClick)
                    cell.onDoubleClick.emit();
                else if (event.action == CInputMap::moved)
                    cell.onMouseOver.emit();
            } else if (event.action == CInputMap::moved) {
                cell.onMouseOut.emit();
            }
        }
        return unchanged();
    });
}

void CList::selectAtPointer()
{
    const int x = toPixel(pointer.x);
    const int y = toPixel(pointer.y);
    const bool onScrollBar = scrollBar.hitTest(x, y);
    if (onScrollBar)
        scrollBar.onClick.emit();
    if (pressedInScroll) {
        pressedInScroll = false;
        return;
    }
    if (onScrollBar)
        return;
    selectedRow = -1;
    forFittingRows([&](std::uint32_t row, float, float) {
        const std::int32_t column = hitColumn(row, x, y);
        if (column < 0)
            return true;
        selectedRow = static_cast<std::int32_t>(row);
        onSelect.emit(selectedRow, column);
        return false;
    });
}

void CList::doubleClickAtPointer()
{
    const int x = toPixel(pointer.x);
    const int y = toPixel(pointer.y);
    if (pressedInScroll) {
        pressedInScroll = false;
        return;
    }
    if (scrollBar.hitTest(x, y))
        return;
    forFittingRows([&](std::uint32_t row, float, float) {
        const std::int32_t column = hitColumn(row, x, y);
        if (column < 0)
            return true;
        onItemDoubleClick.emit(static_cast<std::int32_t>(row), column);
        return false;
    });
}

// --- Drawing ---

void CList::draw()
{
    CGUI::draw();
    if (!isVisible())
        return;
    const CVector at = getAbsolutePosition();
    const float barWidth = scrollBar.isVisible() ? getWidth() - scrollBar.getWidth() : getWidth();
    forFittingRows([&](std::uint32_t row, float y, float rowHeight) {
        const auto index = static_cast<std::int32_t>(row);
        for (CGUI* bar : {index == selectedRow ? &selectBar : nullptr, index == hoverRow ? &hoverBar : nullptr}) {
            if (!bar)
                continue;
            bar->setSize(barWidth, rowHeight);
            bar->setTranslation(at.x, at.y + y, at.z + 1.0f);
            bar->draw();
        }
        float x = at.x;
        const std::size_t cellCount = std::min(rows[row].size(), columns.size());
        for (std::size_t c = 0; c < cellCount; ++c) {
            CGUI& cell = *rows[row][c];
            cell.setTranslation(x, at.y + y, at.z + 2.0f);
            cell.draw();
            x += columns[c].width;
        }
        return true;
    });
    scrollBar.setDepth(at.z + 3.0f);
    scrollBar.draw();
}
