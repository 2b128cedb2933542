#include "patrol.h"

#include <vector>

#include "../runtime/text.h"
#include "../watchdog.h"
#include "ban_index.h"
#include "penalty_tables.h"
#include "ping_watch.h"

namespace vorstel {

std::optional<AdminBanRequest> ParseClientBan(std::string_view reply) {
    // "clientban" is:" is 16 characters; the value starts after them.
    std::string value = reply.size() > 16 ? std::string(reply.substr(16)) : std::string();
    if (value.rfind("Unknown", 0) == 0) value.clear();
    // Servers that colour values end them with a code; a reason keeps its own colours.
    value = StripTrailingColourCodes(value.substr(0, value.find('"')));
    if (value.empty() || value == "-1") return std::nullopt;
    const auto at = value.find('@');
    if (at == std::string::npos) return AdminBanRequest{value, "Admin.Ban"};
    const auto second = value.find('@', at + 1);
    return AdminBanRequest{value.substr(0, at),
                           value.substr(at + 1, second == std::string::npos ? std::string::npos : second - at - 1)};
}

std::string BanPrefix(std::string_view bannedIp) { return ReplaceAll(ReplaceAll(bannedIp, "xxx", ""), "..", "."); }

namespace {

Task<std::string> Send(Watchdog& w, std::string command) { return w.engine.Send(std::move(command)); }

// Every ban row whose prefix starts the player's address: a notice and a kick each, in table
// order; rows the operator changes during the waits are handled as BanWalk says.
Task<std::string> EnforceBans(Watchdog& w, const PlayerLine& player) {
    BanWalk walk(w.banIndex, player.IP);
    std::string notice;
    while (const auto index = walk.next()) {
        const auto ban = PenaltyAt(w.form.Bans, *index);
        notice = ReplaceAll(ReplaceAll(ReplaceAll(w.form.Alert7.text(), "$ip", ban.IP), "$date", ban.Date), "$reason",
                            ban.Reason);
        co_await Send(w, "say " + notice);
        co_await Send(w, "clientkick " + player.ClientNumber);
        if (w.form.Logea.value() == 1) w.AppendDetectionLog(notice);
    }
    co_return notice;
}

}  // namespace

Task<void> RunPatrol(Watchdog& w) {
    auto& f = w.form;
    auto& engine = w.engine;
    auto request = ParseClientBan(co_await Send(w, "clientban"));
    if (request) co_await Send(w, "set clientban -1");

    if (engine.StatusText.empty()) engine.StatusText = co_await Send(w, "status");
    if (engine.StatusText.empty()) co_return;

    PingTally tally;
    const auto pieces = Split(engine.StatusText, "\r\n");
    const auto stops = w.monitoring.stops();
    for (std::size_t i = 3; i + 3 <= pieces.size(); ++i) {
        if (w.monitoring.stops() != stops) co_return;  // monitoring ended meanwhile
        if (ParseStatusLine(pieces[i], w.CurrentPlayer) != LineKind::Player) continue;
        if (request && request->clientNumber == w.CurrentPlayer.ClientNumber) {
            if (w.banIndex.rowsWithAddress(w.CurrentPlayer.IP).empty())
                AddBan(f.Bans, w.calendar(), w.CurrentPlayer.IP, w.CurrentPlayer.Name, request->reason, std::nullopt);
            request.reset();
        }
        const PlayerLine player = w.CurrentPlayer;
        const std::string notice = co_await EnforceBans(w, player);

        if (f.Check3.value() == 1 && engine.SpearheadServer && player.Name.find(' ') != std::string::npos) {
            w.CurrentPlayer.Name = ReplaceAll(player.Name, " ", "_");
            co_await Send(w, "set numero " + player.ClientNumber);
            co_await Send(w, "set nombre " + w.CurrentPlayer.Name);
            co_await w.engine.Pause(1500);
        }
        co_await WatchPing(w, notice, tally);
    }
    w.HighPingTally = tally.text;
}

}  // namespace vorstel
