#pragma once
// Scenario files: what the simulated server starts with (cvars, map list, mods) and who
// joins and leaves when. One statement a line; see scenarios/demo.scn for the format.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "player.h"

namespace vorstel::sim {

struct ScenarioCvar {
    std::string name;
    std::string value;
    bool serverInfo = false;  // listed in the getstatus reply
};

struct ScenarioPlayer {
    Player player;
    std::int64_t joinMs = 0;  // after the server starts
    std::optional<std::int64_t> leaveMs;
};

struct Scenario {
    // Applied in order over the engine's own cvars; a later setting of a name wins.
    std::vector<ScenarioCvar> cvars;
    std::vector<ScenarioPlayer> players;
};

struct ScenarioResult {
    std::optional<Scenario> scenario;
    int errorLine = 0;  // 0 when the error belongs to no line
    std::string error;  // "line 7: ..." when errorLine is set
    explicit operator bool() const { return scenario.has_value(); }
};

ScenarioResult ParseScenario(std::string_view text);
ScenarioResult LoadScenarioFile(const std::string& path);

// The demo server of scenarios/demo.scn, built in.
std::string_view DemoScenarioText();
Scenario DemoScenario();

}  // namespace vorstel::sim
