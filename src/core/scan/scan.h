#pragma once
// The scan cycle's work: the player table rebuilt from the listing, every player's client
// variables fetched and checked, each detection answered, escalation and the kick; and the
// private mode that "Make it private!" turns on.
#include <memory>
#include <optional>
#include <string>

#include "../runtime/reactor.h"
#include "../runtime/task.h"
#include "cheat_rules.h"

namespace vorstel {

class Watchdog;

class Scan {
public:
    static constexpr int kPrivateCountdownStep = 10;

    explicit Scan(Watchdog& w);

    // Runs with the engine's listing; called only when it is not empty.
    Task<void> Work();

    // Says, records, marks for a kick and logs one detection of the current player.
    Task<void> RespondToDetection(DetectionKind kind, std::string entry = {});

    bool PrivateMode = false;
    int PrivateCountdown = 0;
    std::unique_ptr<Timer> Timer4;
    void Command12_Click();

private:
    Task<void> Player();
    Task<void> PrivateChecks();
    Task<void> CheatChecks();
    Task<void> Timer4_Tick();
    std::optional<long long> BanDays(const std::string& text);

    Watchdog& w_;
};

}  // namespace vorstel
