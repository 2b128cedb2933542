#include "ping_watch.h"

#include <optional>

#include "../runtime/numbers.h"
#include "../runtime/text.h"
#include "../watchdog.h"

namespace vorstel {

Task<void> WarnConnection(Watchdog& w) {
    auto& f = w.form;
    const PlayerLine player = w.CurrentPlayer;
    if (player.Ping == "CNCT" || player.Ping == "ZMBI" || f.Check6.value() != 1) co_return;
    // A ping or rate that is not a number says nothing about the connection.
    const auto ping = ToLong(player.Ping);
    const auto rate = ToLong(player.Rate);
    if (!ping || !rate || *ping >= 100 || *rate >= 5001) co_return;
    const std::string message = ReplaceAll(f.Alert5.text(), "$name", player.Name);
    if (f.Silent.value() == 0) {
        co_await w.engine.Send("say " + message);
    }
    if (f.Logea.value() == 1) w.AppendDetectionLog(message);
}

}  // namespace vorstel

namespace vorstel {

namespace {

// The count of the first entry for exactly this address in a tally, if any.
std::optional<long long> TalliedCount(const std::string& tally, const std::string& ip) {
    for (const auto& entry : Split(tally, "#")) {
        const auto at = entry.rfind('@');
        if (at == std::string::npos || entry.compare(0, at, ip) != 0 || at != ip.size()) continue;
        return ParseWholeNumber(entry.substr(at + 1));
    }
    return std::nullopt;
}

}  // namespace

Task<void> WatchPing(Watchdog& w, const std::string& banNotice, PingTally& tally) {
    auto& f = w.form;
    const PlayerLine player = w.CurrentPlayer;
    if (f.Check2.value() != 1 || !banNotice.empty() || player.Ping == "CNCT" || player.Ping == "ZMBI") co_return;
    const auto limit = ToInteger(f.Text5.text());
    if (!limit) {
        w.Notice("The ping limit \"" + f.Text5.text() + "\" is not a whole number; the high-ping kick is off.");
        co_return;
    }
    const auto ping = ToLong(player.Ping);
    if (!ping || *ping <= *limit) co_return;

    const auto previous = TalliedCount(w.HighPingTally, player.IP);
    if (!previous) {
        tally.text += player.IP + "@1#";
        co_return;
    }
    const auto needed = ToInteger(f.Text6.text());
    if (!needed) {
        w.Notice("The count \"" + f.Text6.text() + "\" of high-ping patrols is not a whole number; the high-ping kick is off.");
        co_return;
    }
    const long long n = *previous + 1;
    if (n <= *needed - 1) {
        tally.text += player.IP + "@" + std::to_string(n) + "#";
        co_return;
    }
    const std::string message = ReplaceAll(
        ReplaceAll(ReplaceAll(f.Text7.text(), "$name", player.Name), "$ping", f.Text5.text()), "$scans", f.Text6.text());
    co_await w.engine.Send("say " + message);
    co_await w.engine.Send("clientkick " + player.ClientNumber);
    if (f.Logea.value() == 1) w.AppendDetectionLog(message);
}

}  // namespace vorstel
