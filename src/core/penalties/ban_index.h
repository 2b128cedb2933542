#pragma once
// Lookups by address instead of walking a whole table: an index from each row's address
// prefix to the row, kept beside the table and following its every change, and the walk of
// the ban rows that match one player in table order. The warnings and kicks keep one too, for
// their exact-address lookups.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "form/table.h"

namespace vorstel {

class BanIndex : public TableObserver {
public:
    explicit BanIndex(Table& bans);
    ~BanIndex() override;
    BanIndex(const BanIndex&) = delete;
    BanIndex& operator=(const BanIndex&) = delete;

    // Rows whose prefix starts `address`, in no particular order. A prefix shares its key with
    // other texts only by a 64-bit hash collision, so a caller checks each row it reads.
    std::vector<RowId> candidates(std::string_view address) const;
    // Rows whose address is exactly `ip` (checked against the table), in table order. Without
    // walking the table while it is sorted by address, as it is until a header click.
    std::vector<std::size_t> rowsWithAddress(const std::string& ip) const;
    Table& table() const { return bans_; }

    void beforeInsert(std::size_t index) override { inserting_ = index; }
    void afterInsert() override;
    void beforeRemove(std::size_t index) override;
    void cellChanged(std::size_t index, std::size_t column) override;
    void afterReset() override;

private:
    struct Entry {
        std::uint64_t key;
        RowId id;
        bool operator<(const Entry& o) const { return key != o.key ? key < o.key : id < o.id; }
    };
    void add(const TableRow& row);
    void rebuild();

    Table& bans_;
    std::vector<Entry> entries_;  // sorted
    std::size_t inserting_ = 0;
};

// The places of the rows `ids` in the table's current order, ascending; ids no longer there
// are left out. One pass over the table, none when `ids` is empty.
std::vector<std::size_t> PlacesOf(const Table& table, std::vector<RowId> ids);

// The rows of the ban table that match one player's address, in the order of the table as it
// stood when the walk began. The walk may wait between two rows while the table changes: a row
// removed meanwhile is passed over, a row added waits for the next walk, and each row is
// matched by its address at the moment the walk reaches it.
class BanWalk : public TableObserver {
public:
    BanWalk(const BanIndex& index, std::string address);
    ~BanWalk() override;
    BanWalk(const BanWalk&) = delete;
    BanWalk& operator=(const BanWalk&) = delete;

    // The current place of the next matching row, or none when the walk is over.
    std::optional<std::size_t> next();

    void beforeInsert(std::size_t) override { keepStartOrder(); }
    void beforeRemove(std::size_t) override { keepStartOrder(); }
    void beforeMove(std::size_t, std::size_t) override { keepStartOrder(); }
    void cellChanged(std::size_t, std::size_t) override { keepStartOrder(); }
    void beforeReset() override { keepStartOrder(); }

private:
    void keepStartOrder();
    void replan();
    bool matches(std::size_t index) const;

    const BanIndex& index_;
    Table& table_;
    std::string address_;
    // Rows still to visit: their place in the start order, and their id.
    std::vector<std::pair<std::size_t, RowId>> plan_;
    std::size_t planned_ = 0;
    std::optional<std::size_t> lastRank_;
    std::uint64_t seen_ = 0;
    // Taken at the first change during the walk; until then the table's order is the start order.
    bool orderChanged_ = false;
    std::unordered_map<RowId, std::size_t> startRank_;
};

}  // namespace vorstel
