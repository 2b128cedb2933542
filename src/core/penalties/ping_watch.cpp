#include "ping_watch.h"

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
        co_await w.link.WaitForLink();
        co_await w.link.SendRconCommand("say " + message);
    }
    if (f.Logea.value() == 1) w.AppendDetectionLog(message);
}

}  // namespace vorstel
