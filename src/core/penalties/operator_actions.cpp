#include "operator_actions.h"

#include "../runtime/numbers.h"
#include "../runtime/text.h"
#include "../watchdog.h"
#include "penalty_tables.h"

namespace vorstel {

std::optional<std::string> WidenBan(const std::string& ip, int keptParts) {
    const auto parts = Split(ip, ".");
    if (static_cast<int>(parts.size()) < keptParts) return std::nullopt;
    std::string widened = parts[0];
    for (int i = 1; i < keptParts; ++i) widened += "." + parts[static_cast<std::size_t>(i)];
    for (int i = keptParts; i < 4; ++i) widened += ".xxx";
    return widened;
}

OperatorActions::OperatorActions(Watchdog& w) : w_(w) {
    auto& f = w_.form;
    f.Command5.onClick = [this] { Command5_Click(); };
    f.Command6.onClick = [this] { Command6_Click(); };
    f.Command11.onClick = [this] { Command11_Click(); };
    f.Command10.onClick = [this] { Command10_Click(); };
    f.Command7.onClick = [this] { Command7_Click(); };
    f.Command14.onClick = [this] { Command14_Click(); };
    f.Command15.onClick = [this] { Command15_Click(); };
    f.Command8.onClick = [this] { Command8_Click(); };
    f.Command9.onClick = [this] { Command9_Click(); };
}

namespace {
constexpr std::size_t kNo = 0, kName = 2, kIp = 3;  // columns of the player table
}

void OperatorActions::Refuse(const std::string& title, const std::string& text) {
    w_.scope.spawn([](Dialogs& d, std::string t, std::string body) -> Task<void> {
        co_await d.Message(std::move(t), std::move(body), MessageIcon::Exclamation);
    }(w_.dialogs(), title, text));
}

void OperatorActions::HidePlayerActions() {
    auto& f = w_.form;
    for (auto* e : std::initializer_list<Element*>{&f.Option1, &f.Option2, &f.Text2, &f.Command5, &f.Command6})
        e->setVisible(false);
}

// The kick waits its turn on the link; the row goes at once.
void OperatorActions::RemovePlayerAndKick(const std::string& clientNumber) {
    auto& f = w_.form;
    if (auto index = f.Players.selectedIndex()) f.Players.removeAtIndex(*index);
    HidePlayerActions();
    w_.scope.spawn([](Watchdog& w, std::string command) -> Task<void> {
        co_await w.link.WaitForLink();
        co_await w.link.SendRconCommand(std::move(command));
    }(w_, "clientkick " + clientNumber));
}

void OperatorActions::Command5_Click() {
    auto& f = w_.form;
    const TableRow* row = f.Players.selectedRow();
    if (!row) return;
    const TableRow player = *row;
    AddKick(f.Kicks, w_.calendar(), std::string(player.cell(kIp)), std::string(player.cell(kName)), "Admin. Kick");
    RemovePlayerAndKick(std::string(player.cell(kNo)));
}

void OperatorActions::Command6_Click() {
    auto& f = w_.form;
    const TableRow* row = f.Players.selectedRow();
    if (!row) return;
    std::optional<long long> days;
    if (f.Option2.value()) {
        const auto typed = ToInteger(f.Text2.text());
        if (!typed) {
            Refuse("Ban not made", "\"" + f.Text2.text() + "\" is not a number of days. Type a whole number from "
                                   "-32768 to 32767, or choose \"Indefinitely\".");
            return;
        }
        days = *typed;
    }
    const TableRow player = *row;
    AddBan(f.Bans, w_.calendar(), std::string(player.cell(kIp)), std::string(player.cell(kName)), "Admin. Ban", days);
    RemovePlayerAndKick(std::string(player.cell(kNo)));
}

void OperatorActions::Command11_Click() {
    auto& f = w_.form;
    if (auto index = f.Warnings.selectedIndex()) f.Warnings.removeAtIndex(*index);
    f.Command11.setVisible(false);
    f.Command14.setVisible(false);
}

void OperatorActions::Command10_Click() {
    auto& f = w_.form;
    if (auto index = f.Kicks.selectedIndex()) f.Kicks.removeAtIndex(*index);
    f.Command10.setVisible(false);
    f.Command15.setVisible(false);
}

void OperatorActions::Command7_Click() {
    auto& f = w_.form;
    if (auto index = f.Bans.selectedIndex()) f.Bans.removeAtIndex(*index);
    for (auto* e : std::initializer_list<Element*>{&f.Command7, &f.Command8, &f.Command9}) e->setVisible(false);
}

// The selected row becomes an indefinite ban; its own reason and date are not carried over.
void OperatorActions::ConvertToBan(Table& table, Button& remove, Button& convert) {
    auto& f = w_.form;
    if (auto index = table.selectedIndex()) {
        const auto row = PenaltyAt(table, *index);
        AddBan(f.Bans, w_.calendar(), row.IP, row.Name, "Admin. Ban", std::nullopt);
        table.removeAtIndex(*index);
    }
    remove.setVisible(false);
    convert.setVisible(false);
}

void OperatorActions::Command14_Click() { ConvertToBan(w_.form.Warnings, w_.form.Command11, w_.form.Command14); }
void OperatorActions::Command15_Click() { ConvertToBan(w_.form.Kicks, w_.form.Command10, w_.form.Command15); }

void OperatorActions::Widen(int keptParts, const char* action) {
    auto& f = w_.form;
    if (const TableRow* row = f.Bans.selectedRow()) {
        const std::string ip(row->cell(0));
        if (const auto widened = WidenBan(ip, keptParts)) {
            f.Bans.setSelectedIp(*widened);
        } else {
            Refuse(std::string(action) + " not made",
                   "\"" + ip + "\" has fewer than " + std::to_string(keptParts) + " parts separated by points.");
            return;
        }
    }
    for (auto* e : std::initializer_list<Element*>{&f.Command7, &f.Command8, &f.Command9}) e->setVisible(false);
}

void OperatorActions::Command8_Click() { Widen(3, "Ban Subrank"); }
void OperatorActions::Command9_Click() { Widen(2, "Ban Provider"); }

}  // namespace vorstel
