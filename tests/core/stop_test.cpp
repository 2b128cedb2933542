// Ending monitoring in the middle of a cycle: the release is the last the server hears, and
// the engine stays stopped until the next Start.
#include <gtest/gtest.h>

#include "penalties/penalty_tables.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

using Commands = std::vector<std::string>;

const char* kScenario = R"(
version Medal of Honor Spearhead 2.15 win-x86 Mar  5 2002
map dm/mohdm6
maplist dm/mohdm1 dm/mohdm6 obj/obj_team1
mod versionvorstel 1.0
player Cheater
    ping 40
    address 10.0.0.5:12203
    var cg_3rd_person 1
end
player "Big Bad Wolf"
    ping 40
    address 81.34.0.9:12203
end
)";

enum class Ending { StopButton, Shutdown };

struct Moment {
    const char* name;
    const char* lastCommandBefore;  // the ending comes this long after the server receives this
    int afterMs;
    bool mapChanges;
};

class StopTest : public test::WatchdogTest, public ::testing::WithParamInterface<std::tuple<Moment, Ending>> {
protected:
    StopTest() : WatchdogTest(kScenario) {
        w.Startup();
        server.setCvar("clientban", "-1");
        AddPenalty(w.form.Bans, {"81.34.xxx.xxx", "Wolf", "cheating", "2026-11-01", ""});
    }
};

TEST_P(StopTest, NothingReachesTheServerAfterTheRelease) {
    const Moment moment = std::get<0>(GetParam());
    const Ending ending = std::get<1>(GetParam());
    w.form.Command1.click();
    if (moment.mapChanges) {
        reactor.runUntil([&] { return w.form.Command1.caption() == "Scanning" && !w.Timer3->isActive(); }, 60000);
        server.changeMap("obj/obj_team1");
    }
    reactor.runUntil([&] {
        const auto sent = server.commands();
        return !sent.empty() && sent.back() == moment.lastCommandBefore;
    }, 60000);
    ASSERT_EQ(server.commands().back(), moment.lastCommandBefore);
    reactor.advance(moment.afterMs);
    bool shutDown = false;
    if (ending == Ending::StopButton) {
        w.monitoring.Command13_Click();  // the click that lands between two requests
        reactor.advance(800);
        w.monitoring.Command13_Click();  // and a second one while the first releases
    } else {
        w.scope.spawn([](Watchdog& wd, bool& done) -> Task<void> {
            co_await wd.Shutdown();
            done = true;
        }(w, shutDown));
    }
    reactor.advance(10 * 60 * 1000);

    const auto sent = server.commands();
    const auto release = std::find(sent.rbegin(), sent.rend(), "set sv_vorstel 0").base() - 1;
    ASSERT_GT(release - sent.begin(), 4);  // past the claim
    EXPECT_EQ(std::count(sent.begin() + 4, sent.end(), "set sv_vorstel 0"), 1) << "released once";
    EXPECT_EQ(Commands(release, sent.end()), (Commands{"set sv_vorstel 0", "set nextmap \"\"", "set resetvalue 0"}));
    EXPECT_FALSE(w.Timer3->isActive());
    EXPECT_EQ(w.form.Label21.caption(), "Server not running!!");
    EXPECT_EQ(w.form.Command1.caption(), "Start");
    EXPECT_TRUE(w.form.Command1.enabled());
    EXPECT_EQ(w.form.Players.rowCount(), 0u);
    EXPECT_EQ(shutDown, ending == Ending::Shutdown);
    if (ending == Ending::Shutdown) return;

    w.form.Command1.click();  // and monitoring starts afresh
    reactor.advance(30000);
    EXPECT_EQ(*server.cvar("sv_vorstel"), "1");
    EXPECT_TRUE(w.Timer3->isActive());
}

const Moment kMoments[] = {
    {"WarmUp", "versionvorstel", 0, false},
    {"ScanDumpingTheCheater", "dumpuser \"Cheater", 300, false},
    {"ScanAnnouncingTheCheater", "say Cheat Detected!! Player: Cheater Cheat: 3rd Person IP: 10.0.0.5", 300, false},
    {"PatrolBanWalk", "say 81.34.xxx.xxx was banned from this server on 2026-11-01. Reason: cheating", 300, false},
    {"PatrolPauseBeforeAMapRefresh", "set nombre Big_Bad_Wolf", 700 + 300, true},
};

INSTANTIATE_TEST_SUITE_P(Moments, StopTest,
                         ::testing::Combine(::testing::ValuesIn(kMoments),
                                            ::testing::Values(Ending::StopButton, Ending::Shutdown)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Ending::StopButton ? "Stop" : "Shutdown");
                         });

}  // namespace
}  // namespace vorstel
