#include "penalty_tables.h"

#include <initializer_list>
#include <utility>

#include "civil_date.h"

namespace vorstel {

namespace {

void SetUp(Table& t, std::vector<TableColumn> columns) {
    t.setColumns(std::move(columns));
    t.setSorted(true);
}

void SetShown(std::initializer_list<Element*> show, std::initializer_list<Element*> hide) {
    for (auto* e : show)
        if (e) e->setVisible(true);
    for (auto* e : hide)
        if (e) e->setVisible(false);
}

}  // namespace

// The players keep the listing's order until the operator clicks a header: sorted as text,
// client numbers would read 0, 1, 10, 11, 2.
void SetUpPlayersTable(Table& players) {
    players.setSorted(false);
    players.setColumns({{"No", 350}, {"Ping", 500}, {"Name", 2000}, {"IP", 1400}, {"Rate", 700},
                        {"Allied skin", 2250}, {"Axis Skin", 2250}});
    players.setSortColumn(0);
}

void SetUpWarningsTable(Table& warnings) {
    SetUp(warnings, {{"IP", 1400}, {"Name", 3000}, {"Reason", 2100}, {"Date", 1200}});
}

void SetUpKicksTable(Table& kicks) {
    SetUp(kicks, {{"IP", 1400}, {"Name", 3000}, {"Reason", 2100}, {"Date", 1200}});
}

void SetUpBansTable(Table& bans) {
    SetUp(bans, {{"IP", 1400}, {"Name", 2600}, {"Reason", 1300}, {"Date", 1200}, {"Until", 1200}});
}

RowId AddPenalty(Table& table, const PenaltyRecord& r) {
    std::vector<std::string> cells{r.IP, r.Name, r.Reason, r.Date};
    if (table.columnCount() > penalty_column::Until) cells.push_back(r.Until);
    return table.addRow(std::move(cells));
}

PenaltyRecord PenaltyAt(const Table& table, std::size_t index) {
    const TableRow& row = table.rowAtIndex(index);
    using namespace penalty_column;
    return {std::string(row.cell(IP)), std::string(row.cell(Name)), std::string(row.cell(Reason)),
            std::string(row.cell(Date)), std::string(row.cell(Until))};
}

RowId AddWarning(Table& warnings, const Calendar& calendar, std::string ip, std::string name, std::string reason) {
    return AddPenalty(warnings, {std::move(ip), std::move(name), std::move(reason), calendar.now().date(), {}});
}

RowId AddKick(Table& kicks, const Calendar& calendar, std::string ip, std::string name, std::string reason) {
    return AddPenalty(kicks, {std::move(ip), std::move(name), std::move(reason), calendar.now().date(), {}});
}

RowId AddBan(Table& bans, const Calendar& calendar, std::string ip, std::string name, std::string reason,
             std::optional<long long> days) {
    return AddPenalty(bans, {std::move(ip), std::move(name), std::move(reason), calendar.now().date(),
                             BanUntil(calendar, days)});
}

std::string BanUntil(const Calendar& calendar, std::optional<long long> days) {
    if (!days) return {};
    const std::string today = calendar.now().date();
    if (auto until = AddDays(today, *days)) return *until;
    return *days > 0 ? "9999-12-31" : "0000-01-01";
}

void ShowPlayerActions(const ActionButtons& b) {
    SetShown({b.Command5, b.Command6, b.Option1, b.Option2, b.Text2}, {});
}

void ShowWarningActions(const ActionButtons& b) {
    SetShown({b.Command11, b.Command14}, {b.Command7, b.Command8, b.Command9, b.Command10, b.Command15});
}

void ShowKickActions(const ActionButtons& b) {
    SetShown({b.Command10, b.Command15}, {b.Command7, b.Command8, b.Command9, b.Command11, b.Command14});
}

void ShowBanActions(const ActionButtons& b) {
    SetShown({b.Command7, b.Command8, b.Command9}, {b.Command10, b.Command11, b.Command14, b.Command15});
}

void WireRowClicks(Table& players, Table& warnings, Table& kicks, Table& bans, const ActionButtons& b) {
    players.onRowClick = [b] { ShowPlayerActions(b); };
    warnings.onRowClick = [b] { ShowWarningActions(b); };
    kicks.onRowClick = [b] { ShowKickActions(b); };
    bans.onRowClick = [b] { ShowBanActions(b); };
}

}  // namespace vorstel
