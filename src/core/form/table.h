#pragma once
// A table of text rows as the window shows it: columns with captions and widths, rows of
// cells kept as the bytes they were given, an optional sort order and at most one selected
// row.
//
// Sorting, when on, keeps the rows in ascending order of the sort column compared as text,
// byte by byte, at all times; there is no descending order. Rows that compare equal keep the
// order in which they arrived.
//
// Rows are addressed three ways, and the names say which:
//   index     0-based place in the current order (rows()[index]),
//   position  1-based place, as the rest of the program counts rows,
//   RowId     the row itself, whatever its place; ids are never reused.
// The selection follows the row, not the place. A caller that removes rows while walking
// the table either walks backwards by index, or notes the RowIds first and removes by id
// (indexOf finds a row's current index again).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "elements.h"

namespace vorstel {

struct TableColumn {
    std::string caption;
    int widthTwips = 0;
};

using RowId = std::uint64_t;

// One row: its id and its cells. The cells live in one block of bytes, each cell's length
// and then its text, so that a row costs little more than the text it holds.
class TableRow {
public:
    TableRow() = default;
    TableRow(RowId rowId, const std::vector<std::string>& cells);
    TableRow(RowId rowId, const std::vector<std::string_view>& cells) : id(rowId) { pack(cells); }
    TableRow(const TableRow& other);
    TableRow& operator=(const TableRow& other);
    TableRow(TableRow&&) noexcept = default;
    TableRow& operator=(TableRow&&) noexcept = default;

    RowId id = 0;
    // The text of a cell, empty for a column the row has no cell for. Valid until the row
    // changes or goes.
    std::string_view cell(std::size_t column) const;
    std::size_t cellCount() const;
    std::vector<std::string> cells() const;
    void setCell(std::size_t column, std::string_view text);

private:
    void pack(const std::vector<std::string_view>& cells);
    std::size_t size() const;

    std::unique_ptr<char[]> bytes_;
};

// Row-level changes, for a view that mirrors the rows one by one rather than all at once.
// Every before* call is followed by its after* call; in between the table still holds the
// old state. Indices are 0-based.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    virtual void beforeInsert(std::size_t /*index*/) {}
    virtual void afterInsert() {}
    virtual void beforeRemove(std::size_t /*index*/) {}
    virtual void afterRemove() {}
    // `to` is the row's index once it has moved.
    virtual void beforeMove(std::size_t /*from*/, std::size_t /*to*/) {}
    virtual void afterMove() {}
    virtual void cellChanged(std::size_t /*index*/, std::size_t /*column*/) {}
    // Many rows at once: a re-sort, a bulk load, a clear or new columns.
    virtual void beforeReset() {}
    virtual void afterReset() {}
};

// Listeners also hear Property::Rows after any change of rows or order, Property::Selection
// when another row (or none) becomes selected, and Property::Columns for new columns.
class Table : public Element {
public:
    explicit Table(std::string name) : Element(std::move(name)) {}

    // Columns. A column beyond the new count stops being the sort column (column 0 takes over).
    void setColumns(std::vector<TableColumn> columns);
    const std::vector<TableColumn>& columns() const { return columns_; }
    std::size_t columnCount() const { return columns_.size(); }

    // Sorting. Turning it on, or choosing another sort column while it is on, re-sorts at once.
    bool sorted() const { return sorted_; }
    void setSorted(bool on);
    std::size_t sortColumn() const { return sortColumn_; }
    void setSortColumn(std::size_t column);
    // The operator clicked a column header: that column becomes the sort column and sorting
    // is on. The current sort column, or a column that does not exist, changes nothing.
    void headerClick(std::size_t column);

    // Rows in the current order.
    const std::vector<TableRow>& rows() const { return rows_; }
    std::size_t rowCount() const { return rows_.size(); }
    const TableRow& rowAtIndex(std::size_t index) const { return rows_.at(index); }
    std::optional<std::size_t> indexOf(RowId id) const;

    // Adds a row at its sorted place (after rows equal to it), or at the end when unsorted.
    RowId addRow(std::vector<std::string> cells);
    // Adds many rows with the same result as adding them one by one, in one change.
    void addRows(std::vector<std::vector<std::string>> rows);
    // The same for rows already made (their ids are set here): a bulk load keeps its text once.
    void addRows(std::vector<TableRow> rows);
    // Each returns false, changing nothing, when there is no such row.
    bool removeAtIndex(std::size_t index);
    bool removeRow(RowId id);
    // Sets one cell; a new text in the sort column moves the row to its sorted place.
    bool setCell(std::size_t index, std::size_t column, std::string text);
    void clear();

    // Selection: at most one row.
    std::optional<std::size_t> selectedIndex() const { return selected_; }
    std::size_t selectedPosition() const { return selected_ ? *selected_ + 1 : 0; }  // 0: none
    const TableRow* selectedRow() const { return selected_ ? &rows_[*selected_] : nullptr; }
    // The operator clicked a row: it becomes the selected row and onRowClick runs.
    void rowClick(std::size_t index);
    std::function<void()> onRowClick;
    // Replaces the address (column 0) of the selected row; false when none is selected.
    bool setSelectedIp(std::string ip);

    // Counts every change of the rows or their order: a caller that waited can tell whether
    // the places it noted still hold.
    std::uint64_t changes() const { return changes_; }

    void addObserver(TableObserver* observer);
    void removeObserver(TableObserver* observer);

private:
    void RowsChanged() {
        ++changes_;
        notify(Property::Rows);
    }
    std::string_view key(const TableRow& row) const { return row.cell(sortColumn_); }
    std::size_t insertionIndex(std::string_view key) const;
    void resort();
    void reselect(std::optional<RowId> id);
    void setSelected(std::optional<std::size_t> index);

    template <typename F>
    void tell(F f) {
        for (std::size_t i = 0; i < observers_.size(); ++i) f(*observers_[i]);
    }

    std::vector<TableColumn> columns_;
    std::vector<TableRow> rows_;
    std::uint64_t changes_ = 0;
    bool sorted_ = false;
    std::size_t sortColumn_ = 0;
    std::optional<std::size_t> selected_;
    RowId nextId_ = 1;
    std::vector<TableObserver*> observers_;
};

}  // namespace vorstel
