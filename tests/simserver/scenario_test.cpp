// Scenario files and the scripted life of the server over virtual time.
#include "sim_fixture.h"

namespace vorstel::sim::testing {
namespace {

TEST(ScenarioFile, BrokenFilesNameTheLine) {
    struct Case {
        std::string text;
        int line;
        std::string message;
    };
    const Case cases[] = {
        {"# fine\n\nmap dm/mohdm6\nmapp dm/mohdm1\n", 4, "unknown setting \"mapp\""},
        {"map dm/mohdm6\r\nplayer Bob\r\n  ping fast\r\nend\r\n", 3, "ping needs a whole number from 0 to 99999, not \"fast\""},
        {"\n\nplayer Bob\n  ping 5\n", 3, "player \"Bob\" has no end line"},
        {std::string("\x7F" "ELF\x01\n\0", 7), 1, "unknown setting \"\x7F" "ELF\x01\""},
    };
    for (const Case& c : cases) {
        ScenarioResult r = ParseScenario(c.text);
        EXPECT_FALSE(r) << c.text;
        EXPECT_EQ(r.errorLine, c.line) << c.text;
        EXPECT_EQ(r.error, "line " + std::to_string(c.line) + ": " + c.message);
    }
}

TEST(ScenarioFile, LoadsFromDiskOrSaysWhyNot) {
    ScenarioResult demo = LoadScenarioFile(VORSTEL_SCENARIO_DIR "/demo.scn");
    ASSERT_TRUE(demo) << demo.error;
    EXPECT_EQ(demo.scenario->players.size(), DemoScenario().players.size());

    EXPECT_EQ(LoadScenarioFile("/nonexistent/x.scn").error, "cannot read scenario file /nonexistent/x.scn");
    EXPECT_FALSE(LoadScenarioFile(VORSTEL_SCENARIO_DIR));
}

TEST(Scripting, TimedActionsAndTheCompanionMod) {
    SimFixture sim("mod versionvorstel 1.0\nmaxclients 2\ncvar sv_hostname Original\nplayer A\nend\nplayer B\nend\n");
    EXPECT_EQ(sim.server.addPlayer(Player{.name = "C"}), -1);  // full

    sim.server.at(5'000, [](SimServer& s) { s.postBanRequest(1, "teamkilling"); });
    sim.server.at(3'000, [](SimServer& s) { s.changeMap("obj/obj_team1"); });
    sim.server.at(3'000, [](SimServer& s) { s.postBanRequest(0); });
    sim.reactor.advance(3'000);
    EXPECT_EQ(sim.ask("clientban"), "\"clientban\" is:\"0\" default:\"-1\"\n");
    EXPECT_EQ(sim.ask("status").substr(0, 19), "map: obj/obj_team1\n");
    sim.reactor.advance(2'000);
    EXPECT_EQ(sim.server.cvar("clientban"), "1@teamkilling");

    // A restart forgets what was set at run time but keeps the players.
    sim.ask("set sv_vorstel 1");
    sim.ask("set sv_hostname Changed");
    sim.server.at(9'000, [](SimServer& s) { s.restart(1'500); });
    sim.reactor.advance(5'499);
    EXPECT_TRUE(sim.exchange(Rcon("sv_vorstel")).empty());  // still down
    sim.reactor.advance(1);
    EXPECT_EQ(sim.ask("sv_vorstel"), "Unknown command \"sv_vorstel\"\n");
    EXPECT_EQ(sim.server.cvar("sv_hostname"), "Original");
    EXPECT_EQ(sim.server.cvar("clientban"), "-1");
    EXPECT_EQ(sim.server.cvar("mapname"), "dm/mohdm1");
    EXPECT_EQ(sim.server.players().size(), 2u);
}

}  // namespace
}  // namespace vorstel::sim::testing
