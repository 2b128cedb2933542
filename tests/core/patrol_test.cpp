// The patrol and the operator's actions: ban masks and notices, in-game ban requests, names
// handed to the companion mod, the ping watch; the nine buttons.
#include <gtest/gtest.h>

#include "penalties/patrol.h"
#include "penalties/penalty_tables.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

using Commands = std::vector<std::string>;
using Grid = std::vector<std::vector<std::string>>;
using test::HonestPlayer;

class PatrolTest : public test::WatchdogTest {
protected:
    PatrolTest() {
        w.Startup();
        server.setCvar("clientban", "-1");
    }

    // One patrol with no scan before it in the tick.
    Commands PatrolOnce() {
        server.clearReceived();
        w.engine.StatusText.clear();
        test::RunToEnd(reactor, w.scope, RunPatrol(w));
        return server.commands();
    }
    void Ban(std::string ip, std::string reason = "cheating", std::string date = "2026-11-01") {
        AddPenalty(w.form.Bans, {std::move(ip), "someone", std::move(reason), std::move(date), ""});
    }
    static std::string Notice(const std::string& ip, const std::string& reason = "cheating") {
        return "say " + ip + " was banned from this server on 2026-11-01. Reason: " + reason;
    }
};

TEST(BanPrefix, RemovesMasksAndFoldsPoints) {
    EXPECT_EQ(BanPrefix("81.34.56.xxx"), "81.34.56.");
    EXPECT_EQ(BanPrefix("81.34.xxx.xxx"), "81.34.");
    EXPECT_EQ(BanPrefix("10.0.0.1"), "10.0.0.1");
    EXPECT_EQ(BanPrefix("xxx.xxx.xxx.xxx"), "..");  // folded once, left to right
}

// A request with a reason, and one without, are read in AnInGameBanRequestIsTakenUpForItsClient.
TEST(ClientBan, ReadsTheRequestFromTheVariableReply) {
    EXPECT_EQ(ParseClientBan("\"clientban\" is:\"7@a@b\"")->reason, "a");
    for (const char* none : {"", "\"clientban\" is:\"-1\" default:\"-1\"", "Unknown command \"clientban\"\r\n",
                             "\"clientban\" is:\"\" default:\"\"", "\"clientban\" is:\"^7\" default:\"^7\"", "short"})
        EXPECT_FALSE(ParseClientBan(none)) << none;
}

TEST_F(PatrolTest, MasksAndPrefixesRemoveEveryMatchingPlayer) {
    server.addPlayer(HonestPlayer("A", "81.34.0.1:1"));
    server.addPlayer(HonestPlayer("B", "81.34.200.7:1"));
    server.addPlayer(HonestPlayer("C", "81.3.4.5:1"));
    server.addPlayer(HonestPlayer("D", "10.0.0.12:1"));
    Ban("81.34.xxx.xxx");
    Ban("10.0.0.1", "wallhack");
    Ban("81.34.200.xxx", "again");
    w.form.Silent.setValue(1);  // ban notices are said all the same
    // The rows are walked in the table's order (by address, as text), so B meets the
    // narrower mask first; matched twice, he is noticed and kicked twice.
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status", Notice("81.34.xxx.xxx"), "clientkick 0",
                                      Notice("81.34.200.xxx", "again"), "clientkick 1", Notice("81.34.xxx.xxx"),
                                      "clientkick 1", Notice("10.0.0.1", "wallhack"), "clientkick 3"}));
    EXPECT_NE(test::ReadFile(dir / "vorstel.log").find("81.34.xxx.xxx was banned"), std::string::npos);
}

TEST_F(PatrolTest, AnInGameBanRequestIsTakenUpForItsClient) {
    for (int i = 0; i <= 4; ++i) {
        const std::string number = std::to_string(i);
        server.addPlayer(HonestPlayer("P" + number, "2.2.2." + number + ":1"));
    }
    server.postBanRequest(4, "teamkilling");
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "set clientban -1", "status",
                                      "say 2.2.2.4 was banned from this server on 2026-12-05. Reason: teamkilling",
                                      "clientkick 4"}));

    // A plain number: the reason is "Admin.Ban"; a client already banned gets no second row.
    server.addPlayer(HonestPlayer("P4", "2.2.2.4:1"));
    server.addPlayer(HonestPlayer("Again", "3.3.3.3:1"));
    server.setCvar("clientban", "4");
    PatrolOnce();
    server.setCvar("clientban", "5");
    PatrolOnce();
    // A request for a client who is not listed is lost.
    server.setCvar("clientban", "17@gone");
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "set clientban -1", "status"}));
    EXPECT_EQ(test::Rows(w.form.Bans), (Grid{{"2.2.2.4", "P4", "teamkilling", "2026-12-05", ""},
                                             {"3.3.3.3", "Again", "Admin.Ban", "2026-12-05", ""}}));
}

TEST_F(PatrolTest, SpearheadNamesWithBlanksGoToTheCompanionMod) {
    server.addPlayer(HonestPlayer("Big Bad Wolf", "1.1.1.3:1"));
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status"})) << "not a Spearhead server";
    w.engine.SpearheadServer = true;
    std::vector<std::int64_t> at;
    server.onCommand = [&](const sim::ReceivedCommand& c) { at.push_back(c.atMs); };
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status", "set numero 0", "set nombre Big_Bad_Wolf"}));
    EXPECT_EQ(reactor.nowMs() - at.back(), 699 + 1500) << "the pause follows the names";
    w.form.Check3.setValue(0);
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status"}));
}

TEST_F(PatrolTest, TheBanWalkSurvivesTheOperatorRemovingRowsMeanwhile) {
    server.addPlayer(HonestPlayer("Target", "5.5.5.5:1"));
    Ban("5.5.5.5", "first");
    Ban("5.5.5.xxx", "second");
    Ban("5.5.xxx.xxx", "third");
    // During the first notice, the operator removes the third row and the first (so the second
    // moves to the top) and adds another.
    server.onCommand = [&](const sim::ReceivedCommand& c) {
        if (c.line.rfind("say 5.5.5.5 ", 0) != 0) return;
        reactor.post([&] {
            for (std::size_t row : {2u, 0u}) {
                w.form.Bans.rowClick(row);
                w.form.Command7.click();
            }
            Ban("5.xxx.xxx.xxx", "late");
        });
    };
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status", Notice("5.5.5.5", "first"), "clientkick 0",
                                      Notice("5.5.5.xxx", "second"), "clientkick 0"}));
}

TEST_F(PatrolTest, HighPingKicksAtTheFourthConsecutivePatrolUnlessTheSettingsAreUnusable) {
    server.addPlayer(HonestPlayer("Laggy", "10.0.0.1:1", 200));
    server.addPlayer(HonestPlayer("Neighbour", "10.0.0.12:1", 200));
    server.addPlayer(HonestPlayer("Late", "10.0.0.2:1", 100));  // lags from the second patrol on
    w.form.Check2.setValue(1);
    for (int patrol = 1; patrol <= 3; ++patrol) {
        EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status"})) << patrol;
        const auto count = [](int n) { return std::to_string(n) + "#"; };
        EXPECT_EQ(w.HighPingTally, "10.0.0.1@" + count(patrol) + "10.0.0.12@" + count(patrol) +
                                       (patrol > 1 ? "10.0.0.2@" + count(patrol - 1) : ""));
        server.player(2)->ping = 200;
    }
    server.player(1)->ping = 160;  // at the limit: not counted, and his count is forgotten
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status",
                                      "say Ping Kick: Ping>160 on 4 consecutive scans - Player: Laggy", "clientkick 0"}));
    EXPECT_EQ(w.HighPingTally, "10.0.0.2@3#");
    EXPECT_NE(test::ReadFile(dir / "vorstel.log").find("Ping Kick: Ping>160"), std::string::npos);

    // Unusable settings switch the kick off.
    server.player(1)->ping = 999;
    w.form.Text5.setText("fast");
    PatrolOnce();
    PatrolOnce();
    EXPECT_EQ(w.HighPingTally, "");
    EXPECT_NE(w.form.txtOutput.text().find("The ping limit \"fast\""), std::string::npos);
    w.form.Text5.setText("160");
    w.form.Text6.setText("");
    PatrolOnce();
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status"}));
    EXPECT_NE(w.form.txtOutput.text().find("The count \"\" of high-ping patrols"), std::string::npos);
}

TEST_F(PatrolTest, BannedAndConnectingPlayersAreNotPingWatchedAndRenamedOnesAreKickedByTheNewName) {
    auto joining = HonestPlayer("Joining", "6.6.6.6:1", 999);
    joining.state = sim::ClientState::Connecting;
    server.addPlayer(joining);
    server.addPlayer(HonestPlayer("Banned", "6.6.6.7:1", 999));
    server.addPlayer(HonestPlayer("Big Bad Wolf", "7.7.7.7:1", 999));
    Ban("6.6.6.xxx");
    w.form.Check2.setValue(1);
    w.form.Text6.setText("1");  // a count of one kicks at the second patrol
    w.form.Silent.setValue(1);   // which is said all the same
    w.engine.SpearheadServer = true;
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status", Notice("6.6.6.xxx"), "clientkick 0", Notice("6.6.6.xxx"),
                                      "clientkick 1", "set numero 2", "set nombre Big_Bad_Wolf"}));
    EXPECT_EQ(w.HighPingTally, "7.7.7.7@1#");
    EXPECT_EQ(PatrolOnce(), (Commands{"clientban", "status", "set numero 2", "set nombre Big_Bad_Wolf",
                                      "say Ping Kick: Ping>160 on 1 consecutive scans - Player: Big_Bad_Wolf",
                                      "clientkick 2"}));
}

class ActionsTest : public PatrolTest {
protected:
    void SelectPlayer(const std::string& client, const std::string& name, const std::string& ip) {
        w.form.Players.addRow({client, "50", name, ip, "25000", "", ""});
        w.form.Players.rowClick(0);
    }
    Commands Run() {
        server.clearReceived();
        reactor.advance(2000);
        return server.commands();
    }
};

TEST_F(ActionsTest, KickAndBanTheSelectedPlayerButNothingWithoutOneOrWithUnusableDays) {
    w.form.Command5.click();
    w.form.Command6.click();
    w.form.Command14.click();
    EXPECT_TRUE(Run().empty());
    SelectPlayer("3", "Big Bad Wolf", "81.34.56.78");
    w.form.Text2.setText("a week");
    w.form.Command6.click();
    EXPECT_TRUE(Run().empty());
    EXPECT_EQ(w.form.Bans.rowCount(), 0u);
    EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"Ban not made"}));

    w.form.Command5.click();
    EXPECT_EQ(Run(), Commands{"clientkick 3"});
    EXPECT_EQ(w.form.Players.rowCount(), 0u);
    EXPECT_FALSE(w.form.Command5.visible() || w.form.Option1.visible() || w.form.Text2.visible());
    EXPECT_EQ(PenaltyAt(w.form.Kicks, 0).Reason, "Admin. Kick");

    SelectPlayer("4", "Timed", "1.2.3.4");
    w.form.Text2.setText("7");  // selects "For days"
    w.form.Command6.click();
    EXPECT_EQ(Run(), Commands{"clientkick 4"});
    EXPECT_EQ(test::Rows(w.form.Bans), (Grid{{"1.2.3.4", "Timed", "Admin. Ban", "2026-12-05", "2026-12-12"}}));
    SelectPlayer("5", "Forever", "1.2.3.5");
    w.form.Option1.setValue(true);
    w.form.Command6.click();
    EXPECT_EQ(PenaltyAt(w.form.Bans, 1).Until, "");
}

TEST_F(ActionsTest, PenaltyRowsAreRemovedConvertedAndWidened) {
    auto& f = w.form;
    for (auto [table, remove, convert] :
         {std::tuple{&f.Warnings, &f.Command11, &f.Command14}, {&f.Kicks, &f.Command10, &f.Command15}}) {
        SCOPED_TRACE(table->name());
        AddPenalty(*table, {"1.1.1.1", "W", "r", "2026-01-01", ""});
        AddPenalty(*table, {"1.1.1.1", "W", "s", "2026-01-02", ""});
        table->rowClick(1);
        convert->click();
        EXPECT_EQ(table->rowCount(), 1u) << "the other row stays";
        EXPECT_EQ(PenaltyAt(f.Bans, 0).Reason, "Admin. Ban");
        EXPECT_FALSE(convert->visible());
        table->rowClick(0);
        remove->click();
        EXPECT_EQ(table->rowCount(), 0u);
        EXPECT_FALSE(remove->visible() || convert->visible());
    }
    f.Bans.removeAtIndex(1);  // one of the two bans made, to widen

    // Ban Subrank, then Ban Provider, then Ban Subrank again, which cannot narrow it back.
    for (auto [widen, ip] :
         {std::pair{&f.Command8, "1.1.1.xxx"}, {&f.Command9, "1.1.xxx.xxx"}, {&f.Command8, "1.1.xxx.xxx"}}) {
        f.Bans.rowClick(0);
        widen->click();
        EXPECT_EQ(PenaltyAt(f.Bans, 0).IP, ip);
    }

    AddPenalty(f.Bans, {"localhost", "L", "r", "2026-01-01", ""});
    f.Bans.rowClick(*f.Bans.indexOf(f.Bans.rowAtIndex(1).id));
    f.Command9.click();
    EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"Ban Provider not made"}));
    f.Command7.click();
    EXPECT_EQ(f.Bans.rowCount(), 1u);
    EXPECT_TRUE(Run().empty()) << "the tables' buttons send nothing";
}

}  // namespace
}  // namespace vorstel
