#pragma once
// Seeded runs of the whole watchdog against the simulated server in virtual time: players
// come and go, cheat, return banned, ask for bans in the game; the map changes, the server
// restarts, and the network loses, delays, doubles and garbles datagrams or falls silent.
// Invariants are checked throughout; the same seed always gives the same run.
#include <cstdint>
#include <string>
#include <vector>

namespace vorstel::sim {

struct SimulationOptions {
    std::uint64_t seed = 1;
    double hours = 2;
    bool faults = true;
};

struct SimulationResult {
    std::vector<std::string> violations;  // empty when every invariant held
    std::uint64_t traceHash = 0;          // of everything the server received, with times
    std::size_t requests = 0, scans = 0, patrols = 0;
};

SimulationResult RunSimulation(const SimulationOptions& options);

}  // namespace vorstel::sim
