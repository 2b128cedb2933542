#pragma once
// The player table and the three penalty tables (warnings, kicks, bans): their columns, how a
// penalty is added, and which action buttons a row click shows.
#include <cstddef>
#include <optional>
#include <string>

#include "form/table.h"
#include "runtime/calendar.h"

namespace vorstel {

// One row of a penalty table. All text, kept as the bytes it came with; Until (bans only) is
// empty for a ban without end, otherwise the first day the ban no longer holds.
struct PenaltyRecord {
    std::string IP, Name, Reason, Date, Until;
};

namespace penalty_column {
constexpr std::size_t IP = 0, Name = 1, Reason = 2, Date = 3, Until = 4;
}
constexpr std::size_t kWarningFields = 4;  // warnings and kicks
constexpr std::size_t kBanFields = 5;

// Each sets the columns (captions, widths in twips) and turns sorting on by column 0.
void SetUpPlayersTable(Table& players);
void SetUpWarningsTable(Table& warnings);
void SetUpKicksTable(Table& kicks);
void SetUpBansTable(Table& bans);

// Adds the record at its sorted place; Until is added only to a table that has its column.
RowId AddPenalty(Table& table, const PenaltyRecord& record);
PenaltyRecord PenaltyAt(const Table& table, std::size_t index);

// Penalties dated today.
RowId AddWarning(Table& warnings, const Calendar& calendar, std::string ip, std::string name, std::string reason);
RowId AddKick(Table& kicks, const Calendar& calendar, std::string ip, std::string name, std::string reason);
// `days`: none for a ban without end, else the ban ends that many calendar days after today
// (0 or less: it has ended by the next start-up). Clamped to years 0000 to 9999.
RowId AddBan(Table& bans, const Calendar& calendar, std::string ip, std::string name, std::string reason,
             std::optional<long long> days);
std::string BanUntil(const Calendar& calendar, std::optional<long long> days);

// The buttons a row click shows or hides; the owner points each at its element (a null
// pointer is skipped).
struct ActionButtons {
    Element* Command5 = nullptr;
    Element* Command6 = nullptr;
    Element* Option1 = nullptr;
    Element* Option2 = nullptr;
    Element* Text2 = nullptr;
    Element* Command7 = nullptr;
    Element* Command8 = nullptr;
    Element* Command9 = nullptr;
    Element* Command10 = nullptr;
    Element* Command11 = nullptr;
    Element* Command14 = nullptr;
    Element* Command15 = nullptr;
};

void ShowPlayerActions(const ActionButtons& b);
void ShowWarningActions(const ActionButtons& b);
void ShowKickActions(const ActionButtons& b);
void ShowBanActions(const ActionButtons& b);
// Sets each table's onRowClick to show its actions.
void WireRowClicks(Table& players, Table& warnings, Table& kicks, Table& bans, const ActionButtons& b);

}  // namespace vorstel
