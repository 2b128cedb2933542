#include "table.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vorstel {

namespace {

// Lengths as 7-bit groups, low group first, the high bit set on all but the last: a cell of
// under 128 bytes takes one byte more than its text.
void PutLength(char*& out, std::size_t n) {
    while (n >= 0x80) {
        *out++ = static_cast<char>(0x80 | (n & 0x7F));
        n >>= 7;
    }
    *out++ = static_cast<char>(n);
}

std::size_t GetLength(const char*& in) {
    std::size_t n = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*in++);
        n |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return n;
    }
}

std::size_t LengthBytes(std::size_t n) {
    std::size_t bytes = 1;
    for (; n >= 0x80; n >>= 7) ++bytes;
    return bytes;
}

}  // namespace

// The block: the number of cells, then each cell's length and text.
TableRow::TableRow(RowId rowId, const std::vector<std::string>& cells) : id(rowId) {
    pack(std::vector<std::string_view>(cells.begin(), cells.end()));
}

TableRow::TableRow(const TableRow& other) : id(other.id) {
    if (!other.bytes_) return;
    const std::size_t n = other.size();
    bytes_ = std::make_unique_for_overwrite<char[]>(n);
    std::copy_n(other.bytes_.get(), n, bytes_.get());
}

TableRow& TableRow::operator=(const TableRow& other) {
    if (this != &other) *this = TableRow(other);
    return *this;
}

void TableRow::pack(const std::vector<std::string_view>& cells) {
    if (cells.empty()) {
        bytes_.reset();
        return;
    }
    std::size_t n = LengthBytes(cells.size());
    for (const auto c : cells) n += LengthBytes(c.size()) + c.size();
    auto bytes = std::make_unique_for_overwrite<char[]>(n);
    char* out = bytes.get();
    PutLength(out, cells.size());
    for (const auto c : cells) {
        PutLength(out, c.size());
        out = std::copy(c.begin(), c.end(), out);
    }
    bytes_ = std::move(bytes);
}

std::size_t TableRow::size() const {
    const char* in = bytes_.get();
    for (std::size_t count = GetLength(in); count > 0; --count) in += GetLength(in);
    return static_cast<std::size_t>(in - bytes_.get());
}

std::size_t TableRow::cellCount() const {
    if (!bytes_) return 0;
    const char* in = bytes_.get();
    return GetLength(in);
}

std::string_view TableRow::cell(std::size_t column) const {
    if (!bytes_) return {};
    const char* in = bytes_.get();
    const std::size_t count = GetLength(in);
    if (column >= count) return {};
    for (std::size_t i = 0;; ++i) {
        const std::size_t length = GetLength(in);
        if (i == column) return {in, length};
        in += length;
    }
}

std::vector<std::string> TableRow::cells() const {
    std::vector<std::string> out(cellCount());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = std::string(cell(i));
    return out;
}

void TableRow::setCell(std::size_t column, std::string_view text) {
    std::vector<std::string_view> cells(std::max(cellCount(), column + 1));
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = cell(i);
    cells[column] = text;
    pack(cells);  // reads the old block while writing the new one
}

void Table::setColumns(std::vector<TableColumn> columns) {
    const std::optional<RowId> keep = selected_ ? std::optional(rows_[*selected_].id) : std::nullopt;
    tell([](TableObserver& o) { o.beforeReset(); });
    columns_ = std::move(columns);
    if (sortColumn_ >= columns_.size()) sortColumn_ = 0;
    if (sorted_) std::stable_sort(rows_.begin(), rows_.end(), [this](const TableRow& a, const TableRow& b) { return key(a) < key(b); });
    reselect(keep);
    tell([](TableObserver& o) { o.afterReset(); });
    notify(Property::Columns);
    RowsChanged();
}

void Table::setSorted(bool on) {
    if (on == sorted_) return;
    sorted_ = on;
    if (on) resort();
}

void Table::setSortColumn(std::size_t column) {
    if (column == sortColumn_) return;
    sortColumn_ = column;
    if (sorted_) resort();
}

void Table::headerClick(std::size_t column) {
    if (column >= columns_.size() || (sorted_ && column == sortColumn_)) return;
    sortColumn_ = column;
    sorted_ = true;
    resort();
}

void Table::resort() {
    const auto less = [this](const TableRow& a, const TableRow& b) { return key(a) < key(b); };
    if (std::is_sorted(rows_.begin(), rows_.end(), less)) return;  // a stable sort would keep every row in place
    const std::optional<RowId> keep = selected_ ? std::optional(rows_[*selected_].id) : std::nullopt;
    tell([](TableObserver& o) { o.beforeReset(); });
    std::stable_sort(rows_.begin(), rows_.end(), less);
    reselect(keep);
    tell([](TableObserver& o) { o.afterReset(); });
    RowsChanged();
}

// The index just after the last row whose key is not greater than `k`.
std::size_t Table::insertionIndex(std::string_view k) const {
    if (!sorted_) return rows_.size();
    const auto it = std::upper_bound(rows_.begin(), rows_.end(), k,
                                     [this](std::string_view value, const TableRow& row) { return value < key(row); });
    return static_cast<std::size_t>(it - rows_.begin());
}

std::optional<std::size_t> Table::indexOf(RowId id) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == id) return i;
    return std::nullopt;
}

RowId Table::addRow(std::vector<std::string> cells) {
    TableRow row{nextId_++, cells};
    const RowId id = row.id;
    const std::size_t at = insertionIndex(key(row));
    tell([at](TableObserver& o) { o.beforeInsert(at); });
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
    if (selected_ && *selected_ >= at) ++*selected_;
    tell([](TableObserver& o) { o.afterInsert(); });
    RowsChanged();
    return id;
}

void Table::addRows(std::vector<std::vector<std::string>> rows) {
    std::vector<TableRow> made;
    made.reserve(rows.size());
    for (auto& cells : rows) {
        made.emplace_back(0, cells);
        cells = {};
    }
    addRows(std::move(made));
}

void Table::addRows(std::vector<TableRow> rows) {
    if (rows.empty()) return;
    tell([](TableObserver& o) { o.beforeReset(); });
    const std::size_t old = rows_.size();
    if (rows_.empty()) {
        rows_ = std::move(rows);
    } else {
        rows_.reserve(old + rows.size());
        std::move(rows.begin(), rows.end(), std::back_inserter(rows_));
    }
    for (std::size_t i = old; i < rows_.size(); ++i) rows_[i].id = nextId_++;
    if (sorted_) {
        // The rows already there are in order and come first among equals, as they would
        // if the new rows were added one by one.
        const auto less = [this](const TableRow& a, const TableRow& b) { return key(a) < key(b); };
        const auto mid = rows_.begin() + static_cast<std::ptrdiff_t>(old);
        const std::optional<RowId> keep = selected_ ? std::optional(rows_[*selected_].id) : std::nullopt;
        std::stable_sort(mid, rows_.end(), less);
        std::inplace_merge(rows_.begin(), mid, rows_.end(), less);
        reselect(keep);
    }
    tell([](TableObserver& o) { o.afterReset(); });
    RowsChanged();
}

bool Table::removeAtIndex(std::size_t index) {
    if (index >= rows_.size()) return false;
    tell([index](TableObserver& o) { o.beforeRemove(index); });
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
    bool selectionLost = false;
    if (selected_ && *selected_ == index) {
        selected_.reset();
        selectionLost = true;
    } else if (selected_ && *selected_ > index) {
        --*selected_;
    }
    tell([](TableObserver& o) { o.afterRemove(); });
    RowsChanged();
    if (selectionLost) notify(Property::Selection);
    return true;
}

bool Table::removeRow(RowId id) {
    const auto index = indexOf(id);
    return index && removeAtIndex(*index);
}

bool Table::setCell(std::size_t index, std::size_t column, std::string text) {
    if (index >= rows_.size()) return false;
    TableRow& row = rows_[index];
    if (column < row.cellCount() && row.cell(column) == text) return true;
    if (column >= row.cellCount() && text.empty()) return true;  // a missing cell already reads as empty
    row.setCell(column, text);
    tell([index, column](TableObserver& o) { o.cellChanged(index, column); });
    if (!sorted_ || column != sortColumn_) {
        RowsChanged();
        return true;
    }

    // Its new sorted place, as if the row were taken out and added again.
    const auto above = [this](std::string_view value, const TableRow& row) { return value < key(row); };
    const std::string_view k = key(rows_[index]);  // the row's block stays put when the row moves
    const auto begin = rows_.begin();
    const auto at = [begin](std::size_t i) { return begin + static_cast<std::ptrdiff_t>(i); };
    std::size_t to = static_cast<std::size_t>(std::upper_bound(begin, at(index), k, above) - begin);
    if (to == index) to = static_cast<std::size_t>(std::upper_bound(at(index + 1), rows_.end(), k, above) - begin) - 1;
    if (to != index) {
        tell([index, to](TableObserver& o) { o.beforeMove(index, to); });
        if (to < index) std::rotate(at(to), at(index), at(index + 1));
        else std::rotate(at(index), at(index + 1), at(to + 1));
        if (selected_) {
            std::size_t& s = *selected_;
            if (s == index) s = to;
            else if (index < s && s <= to) --s;
            else if (to <= s && s < index) ++s;
        }
        tell([](TableObserver& o) { o.afterMove(); });
    }
    RowsChanged();
    return true;
}

void Table::clear() {
    if (rows_.empty()) return;
    tell([](TableObserver& o) { o.beforeReset(); });
    rows_.clear();
    const bool selectionLost = selected_.has_value();
    selected_.reset();
    tell([](TableObserver& o) { o.afterReset(); });
    RowsChanged();
    if (selectionLost) notify(Property::Selection);
}

void Table::rowClick(std::size_t index) {
    if (!enabled() || index >= rows_.size()) return;
    setSelected(index);
    if (onRowClick) onRowClick();
}

bool Table::setSelectedIp(std::string ip) {
    return selected_ && setCell(*selected_, 0, std::move(ip));
}

void Table::setSelected(std::optional<std::size_t> index) {
    if (index == selected_) return;
    selected_ = index;
    notify(Property::Selection);
}

// After a reorder: the same row stays selected at its new index.
void Table::reselect(std::optional<RowId> id) {
    if (id) selected_ = indexOf(*id);
}

void Table::addObserver(TableObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void Table::removeObserver(TableObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace vorstel
