#pragma once
// The whole watchdog on virtual time against the in-process simulated server, for tests that
// drive it as the operator and the engine would.
#include <gtest/gtest.h>

#include "scenario.h"
#include "support.h"
#include "virtual_sim_server.h"
#include "watchdog.h"

namespace vorstel::test {

// The watchdog and its server on one virtual time, with the fixed clock at 2026-12-05 21:07. A
// test may build several, for cases that each need a fresh start.
struct Rig : Surroundings {
    explicit Rig(const std::string& scenario = "")
        : server(reactor, *sim::ParseScenario(scenario).scenario), w({reactor, desktop, dialogs, calendar}, dir.path()) {
        calendar.current = {2026, 12, 5, 21, 7, 0};
    }

    // Commands the server received since the last call.
    std::vector<std::string> Received() {
        auto c = server.commands();
        server.clearReceived();
        return c;
    }

    sim::VirtualSimServer server;
    Watchdog w;
};

class WatchdogTest : public ::testing::Test, protected Rig {
protected:
    explicit WatchdogTest(const std::string& scenario = "") : Rig(scenario) {}
};

// A listed player with the client variables of an honest game: nothing in them fires.
inline sim::Player HonestPlayer(std::string name, std::string address, int ping = 50) {
    sim::Player p;
    p.name = std::move(name);
    p.address = std::move(address);
    p.ping = ping;
    p.rate = 25000;
    p.vars = {{"name", p.name}, {"rate", "25000"}, {"dm_playermodel", "allied_airborne"},
              {"dm_playergermanmodel", "german_wehrmacht_soldier"}, {"r_farplane", "0"}, {"r_novis", "0"}};
    return p;
}

// An honest player but for the client variables given.
inline sim::Player PlayerWith(std::string name, std::string address,
                              std::initializer_list<std::pair<const char*, const char*>> vars) {
    auto p = HonestPlayer(std::move(name), std::move(address));
    for (const auto& [variable, value] : vars) p.setVar(variable, value);
    return p;
}

}  // namespace vorstel::test
