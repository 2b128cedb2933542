#include "escalation.h"

#include <vector>

#include "../runtime/numbers.h"
#include "../watchdog.h"
#include "penalty_tables.h"

namespace vorstel {

int EscalationPass(Table& table, const std::string& ip, int threshold, const std::function<void()>& convert) {
    if (threshold < 1) return 0;
    const auto k = static_cast<std::size_t>(threshold);
    std::vector<std::size_t> seen;
    int conversions = 0;
    for (std::size_t i = 0; i < table.rowCount(); ++i) {
        if (table.rowAtIndex(i).cell(0) != ip) continue;
        seen.push_back(i);
        if (seen.size() < k) continue;
        convert();
        ++conversions;
        // From the last back to the first, so the earlier places stay valid.
        for (auto it = seen.rbegin(); it != seen.rend(); ++it) table.removeAtIndex(*it);
        seen.clear();
        i -= k;  // the loop's step lands on the row after the last one removed
    }
    return conversions;
}

std::optional<int> EscalationThreshold(const std::string& text, bool& usable) {
    const auto value = ToInteger(text);
    usable = value.has_value() && *value <= kMaxThreshold;
    if (!usable || *value < 1) return std::nullopt;
    return *value;
}

Task<void> RunEscalation(Watchdog& w) {
    auto& f = w.form;
    const PlayerLine player = w.CurrentPlayer;
    const auto step = [&](TextBox& box, Table& from, const char* what, const std::function<void()>& convert) {
        bool usable = true;
        const auto threshold = EscalationThreshold(box.text(), usable);
        if (!usable)
            w.Notice("The threshold \"" + box.text() + "\" for " + what +
                     " is not a whole number from 0 to 101; that escalation is off.");
        if (threshold) EscalationPass(from, player.IP, *threshold, convert);
    };
    step(f.AcWarns, f.Warnings, "warnings", [&] {
        AddKick(f.Kicks, w.calendar(), player.IP, player.Name, f.AcWarns.text() + " accumulated warnings");
        w.KickPending = true;
    });
    step(f.AcKicks, f.Kicks, "kicks", [&] {
        AddBan(f.Bans, w.calendar(), player.IP, player.Name, f.AcKicks.text() + " accumulated kicks", std::nullopt);
        w.KickPending = true;
    });
    if (w.KickPending) {
        co_await w.engine.Send("clientkick " + player.ClientNumber);
    }
    w.engine.SecondsSinceData = 0;
}

}  // namespace vorstel
