#include "ban_index.h"

#include <algorithm>

#include "patrol.h"

namespace vorstel {

namespace {

// FNV-1a, so that the keys of all prefixes of an address come in one pass over it.
constexpr std::uint64_t kEmptyKey = 14695981039346656037ull;
std::uint64_t Extend(std::uint64_t key, char c) { return (key ^ static_cast<unsigned char>(c)) * 1099511628211ull; }

std::uint64_t KeyOf(std::string_view text) {
    std::uint64_t key = kEmptyKey;
    for (char c : text) key = Extend(key, c);
    return key;
}

std::uint64_t RowKey(const TableRow& row) { return KeyOf(BanPrefix(row.cell(0))); }

}  // namespace

BanIndex::BanIndex(Table& bans) : bans_(bans) {
    rebuild();
    bans_.addObserver(this);
}

BanIndex::~BanIndex() { bans_.removeObserver(this); }

void BanIndex::rebuild() {
    entries_.clear();
    entries_.reserve(bans_.rowCount());
    for (const auto& row : bans_.rows()) entries_.push_back({RowKey(row), row.id});
    std::sort(entries_.begin(), entries_.end());
}

void BanIndex::add(const TableRow& row) {
    const Entry e{RowKey(row), row.id};
    entries_.insert(std::upper_bound(entries_.begin(), entries_.end(), e), e);
}

void BanIndex::afterInsert() {
    if (inserting_ < bans_.rowCount()) add(bans_.rowAtIndex(inserting_));
}

void BanIndex::beforeRemove(std::size_t index) {
    if (index >= bans_.rowCount()) return;
    const auto& row = bans_.rowAtIndex(index);
    const auto it = std::lower_bound(entries_.begin(), entries_.end(), Entry{RowKey(row), row.id});
    if (it != entries_.end() && it->id == row.id) entries_.erase(it);
}

void BanIndex::cellChanged(std::size_t index, std::size_t column) {
    if (column != 0 || index >= bans_.rowCount()) return;
    // The old address is gone by now: the row's entry is found by its id.
    const auto& row = bans_.rowAtIndex(index);
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == row.id; });
    if (it != entries_.end()) entries_.erase(it);
    add(row);
}

// A re-sort or new columns keep the same rows; a bulk add or a clear changes their number.
void BanIndex::afterReset() {
    if (bans_.rowCount() != entries_.size()) rebuild();
}

std::vector<RowId> BanIndex::candidates(std::string_view address) const {
    std::vector<RowId> ids;
    std::uint64_t key = kEmptyKey;
    for (std::size_t length = 0;; ++length) {
        for (auto it = std::lower_bound(entries_.begin(), entries_.end(), Entry{key, 0});
             it != entries_.end() && it->key == key; ++it)
            ids.push_back(it->id);
        if (length == address.size()) break;
        key = Extend(key, address[length]);
    }
    return ids;
}

std::vector<std::size_t> BanIndex::rowsWithAddress(const std::string& ip) const {
    if (bans_.sorted() && bans_.sortColumn() == 0) {
        // Sorted by address, the rows of one address stand together in table order.
        std::vector<std::size_t> places;
        const auto& rows = bans_.rows();
        const auto below = [](const TableRow& row, std::string_view value) { return row.cell(0) < value; };
        for (auto it = std::lower_bound(rows.begin(), rows.end(), std::string_view(ip), below);
             it != rows.end() && it->cell(0) == ip; ++it)
            places.push_back(static_cast<std::size_t>(it - rows.begin()));
        return places;
    }
    const std::uint64_t key = KeyOf(BanPrefix(ip));
    std::vector<RowId> ids;
    for (auto it = std::lower_bound(entries_.begin(), entries_.end(), Entry{key, 0});
         it != entries_.end() && it->key == key; ++it)
        ids.push_back(it->id);
    auto places = PlacesOf(bans_, std::move(ids));
    std::erase_if(places, [&](std::size_t i) { return bans_.rowAtIndex(i).cell(0) != ip; });
    return places;
}

std::vector<std::size_t> PlacesOf(const Table& table, std::vector<RowId> ids) {
    std::vector<std::size_t> places;
    if (ids.empty()) return places;
    std::sort(ids.begin(), ids.end());
    const auto& rows = table.rows();
    for (std::size_t i = 0; i < rows.size() && places.size() < ids.size(); ++i)
        if (std::binary_search(ids.begin(), ids.end(), rows[i].id)) places.push_back(i);
    return places;
}

BanWalk::BanWalk(const BanIndex& index, std::string address)
    : index_(index), table_(index.table()), address_(std::move(address)), seen_(table_.changes()) {
    for (std::size_t place : PlacesOf(table_, index_.candidates(address_)))
        if (matches(place)) plan_.push_back({place, table_.rowAtIndex(place).id});
    table_.addObserver(this);
}

BanWalk::~BanWalk() { table_.removeObserver(this); }

bool BanWalk::matches(std::size_t index) const {
    return address_.rfind(BanPrefix(table_.rowAtIndex(index).cell(0)), 0) == 0;
}

void BanWalk::keepStartOrder() {
    if (orderChanged_) return;
    orderChanged_ = true;
    const auto& rows = table_.rows();
    startRank_.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) startRank_.emplace(rows[i].id, i);
}

// After a change: the rows that match now, were there at the start and come after the last
// one visited, in their start order.
void BanWalk::replan() {
    std::vector<std::pair<std::size_t, RowId>> plan;
    for (std::size_t place : PlacesOf(table_, index_.candidates(address_))) {
        const RowId id = table_.rowAtIndex(place).id;
        const auto rank = startRank_.find(id);
        if (rank == startRank_.end() || (lastRank_ && rank->second <= *lastRank_) || !matches(place)) continue;
        plan.push_back({rank->second, id});
    }
    std::sort(plan.begin(), plan.end());
    plan_ = std::move(plan);
    planned_ = 0;
}

std::optional<std::size_t> BanWalk::next() {
    if (table_.changes() != seen_) {
        replan();
        seen_ = table_.changes();
    }
    if (planned_ == plan_.size()) return std::nullopt;
    const auto [rank, id] = plan_[planned_++];
    lastRank_ = rank;
    // Until the first change the start order is the table's own; after it, the row's place is
    // looked up (the plan was made since the last change, so the row is there).
    return orderChanged_ ? table_.indexOf(id) : std::optional(rank);
}

}  // namespace vorstel
