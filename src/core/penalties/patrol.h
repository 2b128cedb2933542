#pragma once
// The patrol: the ban requested in the game taken up, every banned address removed with a
// public notice, blank-free names handed to the companion mod, and the ping watch.
#include <optional>
#include <string>
#include <string_view>

#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

struct AdminBanRequest {
    std::string clientNumber;
    std::string reason;
};

// The reply to "clientban" read from its 17th character: nothing for no reply, "-1", a text
// beginning with "Unknown" or a double quote; otherwise the client number and the reason
// ("Admin.Ban" when none is given after an "@").
std::optional<AdminBanRequest> ParseClientBan(std::string_view reply);

// The part of a ban row's address that a player's address must begin with: every "xxx"
// removed, then every ".." folded into ".".
std::string BanPrefix(std::string_view bannedIp);

Task<void> RunPatrol(Watchdog& w);

}  // namespace vorstel
