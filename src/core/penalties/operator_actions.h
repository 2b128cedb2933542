#pragma once
// The operator's buttons beside the tables: kick or ban the selected player, remove a row,
// turn a warning or kick into a ban, widen a ban to its subnet or provider. They record what
// they do but announce nothing.
#include <optional>
#include <string>

#include "../form/elements.h"
#include "../form/table.h"
#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

// "81.34.56.78" → "81.34.56.xxx" (subrank) or "81.34.xxx.xxx" (provider); nothing when the
// address has too few parts.
std::optional<std::string> WidenBan(const std::string& ip, int keptParts);

class OperatorActions {
public:
    explicit OperatorActions(Watchdog& w);

    void Command5_Click();   // Kick
    void Command6_Click();   // Ban
    void Command11_Click();  // Remove Warning
    void Command10_Click();  // Remove Kick
    void Command7_Click();   // Remove Ban
    void Command14_Click();  // Convert to Ban, from the warnings
    void Command15_Click();  // Convert to Ban, from the kicks
    void Command8_Click();   // Ban Subrank
    void Command9_Click();   // Ban Provider

private:
    void RemovePlayerAndKick(const std::string& clientNumber);
    void ConvertToBan(Table& table, Button& remove, Button& convert);
    void HidePlayerActions();
    void Widen(int keptParts, const char* action);
    void Refuse(const std::string& title, const std::string& text);

    Watchdog& w_;
};

}  // namespace vorstel
