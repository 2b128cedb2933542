#include "escalation.h"

#include <algorithm>
#include <vector>

#include "../runtime/numbers.h"
#include "../watchdog.h"
#include "penalty_tables.h"

namespace vorstel {

int EscalationPass(const BanIndex& rows, const std::string& ip, int threshold, const std::function<void()>& convert) {
    if (threshold < 1) return 0;
    Table& table = rows.table();
    const auto k = static_cast<std::size_t>(threshold);
    int conversions = 0;
    // Rows before `from` are behind the pass. The places are looked up again after each
    // conversion, which may have changed the table.
    for (std::size_t from = 0;;) {
        const auto places = rows.rowsWithAddress(ip);
        const auto first = std::lower_bound(places.begin(), places.end(), from);
        if (static_cast<std::size_t>(places.end() - first) < k) return conversions;
        const std::vector<std::size_t> seen(first, first + static_cast<std::ptrdiff_t>(k));
        convert();
        ++conversions;
        // From the last back to the first, so the earlier places stay valid.
        for (auto it = seen.rbegin(); it != seen.rend(); ++it) table.removeAtIndex(*it);
        from = seen.back() + 1 - k;  // the row after the last one removed
    }
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
    const auto step = [&](TextBox& box, const BanIndex& from, const char* what, const std::function<void()>& convert) {
        bool usable = true;
        const auto threshold = EscalationThreshold(box.text(), usable);
        if (!usable)
            w.Notice("The threshold \"" + box.text() + "\" for " + what +
                     " is not a whole number from 0 to 101; that escalation is off.");
        if (threshold) EscalationPass(from, player.IP, *threshold, convert);
    };
    step(f.AcWarns, w.warningIndex, "warnings", [&] {
        AddKick(f.Kicks, w.calendar(), player.IP, player.Name, f.AcWarns.text() + " accumulated warnings");
        w.KickPending = true;
    });
    step(f.AcKicks, w.kickIndex, "kicks", [&] {
        AddBan(f.Bans, w.calendar(), player.IP, player.Name, f.AcKicks.text() + " accumulated kicks", std::nullopt);
        w.KickPending = true;
    });
    if (w.KickPending) {
        co_await w.engine.Send("clientkick " + player.ClientNumber);
    }
    w.engine.SecondsSinceData = 0;
}

}  // namespace vorstel
