#pragma once
// Connection checks: the warning for a fast connection with a modem-sized rate (every scan)
// and the kick for a ping that stays high over consecutive patrols.
#include <string>

#include "../runtime/task.h"

namespace vorstel {

class Watchdog;

// The high-ping tally a patrol builds: "address@count#" for each player over the limit.
struct PingTally {
    std::string text;
};

Task<void> WarnConnection(Watchdog& w);

// For the patrol's current player: counts a ping above the limit against the previous
// patrol's tally and kicks at the set number of consecutive patrols. A player just given a
// ban notice is passed over.
Task<void> WatchPing(Watchdog& w, const std::string& banNotice, PingTally& tally);

}  // namespace vorstel
