// The scan: the listing cut into players, their dumps checked, detections answered,
// escalation and kicks; private mode. Virtual time, in-process simulated server.
#include <gtest/gtest.h>

#include "penalties/escalation.h"
#include "penalties/penalty_tables.h"
#include "scan/status_line.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

using Commands = std::vector<std::string>;
using Grid = std::vector<std::vector<std::string>>;

using test::HonestPlayer;
using test::PlayerWith;
using test::Rows;

class ScanTest : public test::WatchdogTest {
protected:
    ScanTest() { w.Startup(); }

    // One scan of the server's current listing, as the engine would run it.
    Commands ScanOnce() {
        server.clearReceived();
        test::RunToEnd(reactor, w.scope, [](Watchdog& wd) -> Task<void> {
            co_await wd.link.WaitForLink();
            wd.engine.StatusText = co_await wd.link.SendRconCommand("status");
            if (!wd.engine.StatusText.empty()) co_await wd.scan.Work();
        }(w));
        auto sent = server.commands();
        sent.erase(sent.begin());  // the "status" itself
        return sent;
    }
    std::string Log() { return test::ReadFile(dir / "vorstel.log"); }
};

// Wide columns, IPv6 clients, blanks and colons in names; "loopback" anywhere makes the address
// local and its nine characters are cut: then the lastmsg column goes and the name's last word
// takes its place.
TEST(ParseStatusLine, CutsTheColumnsAsTheServerWritesThem) {
    const std::pair<const char*, const char*> players[] = {
        {"  0     3   45 Player                0 10.0.0.5:12203         1234  5000", "0|3|45|Player|0|10.0.0.5|5000"},
        {" 12    -2 CNCT  Big  Bad Wolf     50 81.34.0.1:27960       40123 25000",
         "12|-2|CNCT|Big  Bad Wolf|50|81.34.0.1|25000"},
        {"  4     0    0 ILoveloopback Fan       0 9.9.9.9:1             2 20000", "4|0|0|ILoveloopback|Fan|127.0.0.1|20000"},
        {"  5     0    0 Host                    0 loopback              7  5000", "5|0|0|Host                    0|loopback|127.0.0.1|5000"},
        {"  3    12   45 AVeryLongPlayerName      0 [2001:db8::7]:12203                     1234 25000",
         "3|12|45|AVeryLongPlayerName|0|2001:db8::7|25000"},
        {" 11     0 CNCT x:y              0 [::1]:12203          9 5000", "11|0|CNCT|x:y|0|::1|5000"},
    };
    for (const auto& [line, fields] : players) {
        PlayerLine p;
        ASSERT_EQ(ParseStatusLine(line, p), LineKind::Player) << line;
        EXPECT_EQ(p.ClientNumber + "|" + p.Score + "|" + p.Ping + "|" + p.Name + "|" + p.LastMsg + "|" + p.IP + "|" + p.Rate,
                  fields);
    }
    PlayerLine p;
    p.Name = "kept";
    EXPECT_EQ(ParseStatusLine("  6     0 ZMBI Gone                    0 1.1.1.1:1             3  5000", p),
              LineKind::Zombie);
    for (const char* junk : {"", "   ", "7", "7 8", "1 2 3", "x:y", "0 0 45 5000"})
        EXPECT_EQ(ParseStatusLine(junk, p), LineKind::NotAPlayer) << '"' << junk << '"';
    EXPECT_EQ(p.Name, "kept");
}

TEST_F(ScanTest, ListingsOfFiveAndSixPieces) {
    const std::string header = "map: dm/mohdm6\r\nnum score ping name\r\n--- -----\r\n";
    const std::string line = "  0     3   45 Solo                   0 10.0.0.5:12203         1234 25000\r\n";
    w.engine.StatusText = header + line;
    test::RunToEnd(reactor, w.scope, w.scan.Work());
    EXPECT_TRUE(server.commands().empty()) << "five pieces hold no player";
    w.engine.StatusText = header + line + "\r\n";
    test::RunToEnd(reactor, w.scope, w.scan.Work());
    EXPECT_EQ(server.commands(), Commands{"dumpuser \"Solo"});
}

TEST_F(ScanTest, EveryListedPlayerIsDumpedAndShown) {
    server.addPlayer(HonestPlayer("Big Bad Wolf", "81.34.56.78:12203"));
    auto connecting = HonestPlayer("New Guy", "10.0.0.9:12203");
    connecting.state = sim::ClientState::Connecting;
    server.addPlayer(connecting);
    auto zombie = HonestPlayer("Ghost", "10.0.0.10:12203");
    zombie.state = sim::ClientState::Zombie;
    server.addPlayer(zombie);
    ScanOnce();  // the next scan shows its own listing, not this one's as well
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Big Bad Wolf", "dumpuser \"New Guy"}));
    EXPECT_EQ(Rows(w.form.Players),
              (Grid{{"0", "50", "Big Bad Wolf", "81.34.56.78", "25000", "allied_airborne", "german_wehrmacht_soldier"},
                    {"1", "CNCT", "New Guy", "10.0.0.9", "25000", "allied_airborne", "german_wehrmacht_soldier"}}));
}

TEST_F(ScanTest, APlayerWhoseDumpNeverComesIsPassedOver) {
    server.addPlayer(HonestPlayer("Alice", "10.0.0.5:1"));
    server.addPlayer(HonestPlayer("Bob", "10.0.0.6:1"));
    // The listing arrives; Alice's dump is lost, Bob's arrives.
    test::RunToEnd(reactor, w.scope, [](Watchdog& wd, sim::SimServer& s) -> Task<void> {
        wd.engine.StatusText = co_await wd.link.SendRconCommand("status");
        sim::Faults lose;
        lose.dropNext = 1;
        s.setFaults(lose);
        co_await wd.scan.Work();
    }(w, server));
    ASSERT_EQ(w.form.Players.rowCount(), 1u);
    EXPECT_EQ(w.form.Players.rowAtIndex(0).cell(2), "Bob");
}

TEST_F(ScanTest, CheatRulesFireOnTheLowercasedDump) {
    // A value that merely begins with 1; clearview and modified binaries at once; with the german
    // model, one aimbot detection.
    server.addPlayer(PlayerWith("Kr4nk", "93.184.12.9:1", {{"R_NoVis", "10"}, {"r_farplane", "hacked"},
                                                          {"dm_playermodel", "TieDie_Z"},
                                                          {"dm_playergermanmodel", "german_oakleave"}}));
    w.form.Penalty(PenaltyRow::Wallhack).Warning->setValue(true);
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Kr4nk", "say Cheat Detected!! Player: Kr4nk Cheat: NoFog(Clearview) IP: 93.184.12.9",
                                    "say Cheat Detected!! Player: Kr4nk Cheat: Wallhack IP: 93.184.12.9",
                                    "say Cheat Detected!! Player: Kr4nk Cheat: Modified binaries!! IP: 93.184.12.9",
                                    "say Cheat Detected!! Player: Kr4nk Cheat: OGC Aimbot IP: 93.184.12.9",
                                    "clientkick 0"}));
    EXPECT_EQ(Rows(w.form.Warnings), (Grid{{"93.184.12.9", "Kr4nk", "Cheat: WallHack/DoorHack", "2026-12-05"}}));
    // Three kicks in one scan reach the kick threshold: they become one ban.
    EXPECT_EQ(Rows(w.form.Bans), (Grid{{"93.184.12.9", "Kr4nk", "3 accumulated kicks", "2026-12-05", ""}}));
    EXPECT_EQ(Log(), "2026-12-05 21:07:00 Cheat Detected!! Player: Kr4nk Cheat: NoFog(Clearview) IP: 93.184.12.9\r\n"
                     "2026-12-05 21:07:00 Cheat Detected!! Player: Kr4nk Cheat: Wallhack IP: 93.184.12.9\r\n"
                     "2026-12-05 21:07:00 Cheat Detected!! Player: Kr4nk Cheat: Modified binaries!! IP: 93.184.12.9\r\n"
                     "2026-12-05 21:07:00 Cheat Detected!! Player: Kr4nk Cheat: OGC Aimbot IP: 93.184.12.9\r\n");
    EXPECT_EQ(w.form.Players.rowAtIndex(0).cell(5), "tiedie_z");
}

TEST_F(ScanTest, EachRuleAnswersToItsOwnCheatBox) {
    struct Case {
        const char* variable;
        const char* value;
        std::size_t box;
        const char* cheat;
    };
    const Case cases[] = {
        {"r_farplane_nofog", "1", 0, "NoFog"},       {"cg_F0rc3M0d31", "1", 6, "Modified Binaries/Chameleon?"},
        {"r_farplane", "9", 0, "NoFog(Clearview)"},  {"r_lightmap", "1", 1, "WhiteWalls"},
        {"cg_3rd_person", "1", 3, "3rd Person"},      {"r_novis", "1", 2, "Wallhack"},
        {"r_novis", "hacked", 6, "Modified binaries!!"}, {"dm_playermodel", "tiedie", 4, "OGC Aimbot"},
        {"cg_3rd_person", "hacked", 6, "Modified binaries!!"}, {"r_lightmap", "hacked", 6, "Modified binaries!!"},
        {"r_farplane_nofog", "hacked", 6, "Modified binaries!!"},
    };
    for (const auto& c : cases) {
        // Clearview looks at the value's beginning: 0.5 passes.
        const int client =
            server.addPlayer(PlayerWith("Cheater", "5.6.7.8:1", {{"r_farplane", "0.5"}, {c.variable, c.value}}));
        for (std::size_t box = 0; box < w.form.Cheats.size(); ++box) w.form.Cheats[box].setValue(box == c.box ? 0 : 1);
        EXPECT_EQ(ScanOnce(), Commands{"dumpuser \"Cheater"}) << c.cheat;
        w.form.Cheats[c.box].setValue(1);
        EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Cheater",
                                        std::string("say Cheat Detected!! Player: Cheater Cheat: ") + c.cheat + " IP: 5.6.7.8",
                                        "clientkick " + std::to_string(client)}));
    }
}

TEST_F(ScanTest, SuspiciousSkinsAnswerToTheirBoxAndOnlyTheFirstMatchIsReported) {
    std::ofstream(dir / "skins.txt", std::ios::binary) << "  TIEDIE \r\nallied_pilot\r\nsoldier\r\nGerman_Wehrmacht_Soldier\r\nallied_airborne\r\n";
    auto glow = HonestPlayer("Glow", "1.1.1.1:1");
    glow.vars.erase(glow.vars.begin() + 3);  // the German skin moves to the dump's last line
    glow.setVar("dm_playergermanmodel", "german_wehrmacht_soldier");
    server.addPlayer(glow);
    w.form.Cheats[5].setValue(0);
    EXPECT_EQ(ScanOnce(), Commands{"dumpuser \"Glow"}) << "\"Glowing skins\" unchecked";
    w.form.Cheats[5].setValue(1);
    w.form.Penalty(PenaltyRow::GlowingSkins).Ban->setValue(true);
    w.form.Penalty(PenaltyRow::GlowingSkins).Days->setText("7");
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Glow",
                                    "say Cheat Detected!! Player: Glow Cheat: Cheatskin: German_Wehrmacht_Soldier IP: 1.1.1.1",
                                    "clientkick 0"}));
    EXPECT_EQ(Rows(w.form.Bans),
              (Grid{{"1.1.1.1", "Glow", "Cheatskin: German_Wehrmacht_Soldier", "2026-12-05", "2026-12-12"}}));
}

TEST_F(ScanTest, PrivateSlotsAndReservedSkinsAlsoOnAMac) {
    std::ofstream(dir / "reserved.txt", std::ios::binary) << "allied_airborne \r\nallied_pilot\r\ngerman_wehrmacht_soldier\r\n";
    server.addPlayer(PlayerWith("[MyClan]Boss", "1.1.1.1:1", {{"password", "MyWord"}}));  // both marks: nothing
    // Password only, on a Mac: the cheat rules pass a Mac client over, the private checks do not.
    server.addPlayer(PlayerWith("Sneaky", "2.2.2.2:1", {{"password", "myword"}, {"cg_3rd_person", "1"},
                                                        {"version", "Medal of Honor 1.11 macos-ppc"}}));
    server.addPlayer(HonestPlayer("[myclan]Lazy", "3.3.3.3:1"));                         // tag only
    server.addPlayer(HonestPlayer("Public", "4.4.4.4:1"));                               // neither
    w.form.Check1.setValue(1);
    w.form.Check5.setValue(1);
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"[MyClan]Boss", "dumpuser \"Sneaky",
                                    "say Warning: Public client using private slot. Player: Sneaky",
                                    "say Warning: Public client using reserved skin. Player: Sneaky Skin: allied_airborne ",
                                    "clientkick 1", "dumpuser \"[myclan]Lazy",
                                    "say Warning: Public slot used by private player. Player: [myclan]Lazy",
                                    "dumpuser \"Public",
                                    "say Warning: Public client using reserved skin. Player: Public Skin: allied_airborne ",
                                    "clientkick 3"}));
    EXPECT_EQ(Rows(w.form.Warnings), (Grid{{"2.2.2.2", "Sneaky", "Use of private slot", "2026-12-05"},
                                           {"3.3.3.3", "[myclan]Lazy", "Use of private slot", "2026-12-05"}}));
    EXPECT_EQ(Rows(w.form.Kicks), (Grid{{"2.2.2.2", "Sneaky", "Use of reserved skin", "2026-12-05"},
                                        {"4.4.4.4", "Public", "Use of reserved skin", "2026-12-05"}}));

    // Empty boxes count as present for everyone: the two left are dumped, nothing else.
    w.form.txtTAG.setText("");
    w.form.txtPRP.setText("");
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"[MyClan]Boss", "dumpuser \"[myclan]Lazy"}));
}

TEST_F(ScanTest, PrivateModeCountsDownThenKicksWithoutAWord) {
    server.addPlayer(PlayerWith("Member", "1.1.1.1:1", {{"password", "MyWord"}}));
    server.addPlayer(HonestPlayer("Guest", "2.2.2.2:1"));
    std::vector<std::pair<std::int64_t, std::string>> said;
    server.onCommand = [&](const sim::ReceivedCommand& c) { said.emplace_back(c.atMs, c.line); };
    const auto t0 = reactor.nowMs();
    w.form.Command12.click();
    reactor.advance(25000);
    w.form.Command12.click();  // a second click within the minute changes nothing
    reactor.advance(40000);
    ASSERT_EQ(said.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(said[i].second, "say Server will be private in " + std::to_string(60 - 10 * i) +
                                      " seconds, public players please leave");
        EXPECT_EQ(said[i].first - t0, (i + 1) * 10000 + 1);
    }
    EXPECT_EQ(w.engine.ScanCountdown, 1);
    EXPECT_FALSE(w.scan.Timer4->isActive());
    server.onCommand = nullptr;
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Member", "dumpuser \"Guest", "clientkick 1"}));
    EXPECT_TRUE(w.form.Kicks.rowCount() == 0 && w.form.Warnings.rowCount() == 0);
    EXPECT_EQ(Log(), "");
}

TEST_F(ScanTest, ResponsesFillTheTemplateInOrder) {
    w.form.Alert3.setText("$Name $name $cheat $ip $IP");
    w.form.Penalty(PenaltyRow::WhiteWalls).Ban->setValue(true);
    // Two zeros are not "0": a ban ending today. A box without a number bans without end.
    for (auto [days, until] : {std::pair{"00", "2026-12-05"}, {"0", ""}, {"x7", ""}}) {
        server.addPlayer(PlayerWith("$IP", "5.6.7.8:1", {{"r_lightmap", "1"}}));  // back after each kick
        w.form.Bans.clear();
        w.form.Penalty(PenaltyRow::WhiteWalls).Days->setText(days);
        EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"$IP", "say $Name 5.6.7.8 WhiteWalls $ip 5.6.7.8", "clientkick 0"}));
        EXPECT_EQ(Rows(w.form.Bans), (Grid{{"5.6.7.8", "$IP", "Cheat: WhiteWalls", "2026-12-05", until}})) << days;
    }
    EXPECT_NE(w.form.txtOutput.text().find("Ban days \"x7\""), std::string::npos);
}

TEST_F(ScanTest, SilentModeOnlyLogsAndNoLoggingStillPunishes) {
    server.addPlayer(PlayerWith("Cheater", "5.6.7.8:1", {{"cg_3rd_person", "1"}}));
    w.form.Silent.setValue(1);
    EXPECT_EQ(ScanOnce(), Commands{"dumpuser \"Cheater"});
    EXPECT_EQ(w.form.Kicks.rowCount(), 0u);
    EXPECT_EQ(Log(), "2026-12-05 21:07:00 Cheat Detected!! Player: Cheater Cheat: 3rd Person IP: 5.6.7.8\r\n");

    w.form.Logea.setValue(0);  // unchecks and disables Silent too
    EXPECT_EQ(ScanOnce().size(), 3u);
    EXPECT_EQ(w.form.Kicks.rowCount(), 1u);
    EXPECT_EQ(Log(), "2026-12-05 21:07:00 Cheat Detected!! Player: Cheater Cheat: 3rd Person IP: 5.6.7.8\r\n");
    w.form.Logea.setValue(1);
    EXPECT_TRUE(w.form.Silent.enabled());
}

TEST_F(ScanTest, NonOptimizedConnectionsAreWarnedEveryScan) {
    auto slow = HonestPlayer("Modem", "5.6.7.8:1", 40);
    slow.rate = 5000;
    server.addPlayer(slow);
    auto fine = HonestPlayer("Fast", "5.6.7.9:1", 40);
    fine.rate = 5001;
    server.addPlayer(fine);
    const Commands expected{"dumpuser \"Modem", "say Warning: Possible non-optimized connection - Player: Modem",
                            "dumpuser \"Fast"};
    EXPECT_EQ(ScanOnce(), expected);
    EXPECT_EQ(ScanOnce(), expected);
    w.form.Silent.setValue(1);
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Modem", "dumpuser \"Fast"}));
    const std::string logged = "2026-12-05 21:07:00 Warning: Possible non-optimized connection - Player: Modem\r\n";
    EXPECT_EQ(Log(), logged + logged + logged);
}

class EscalationTest : public ScanTest {
protected:
    void Add(Table& t, std::string ip, std::string reason) { AddPenalty(t, {std::move(ip), "x", std::move(reason), "2026-01-01", ""}); }
};

TEST_F(EscalationTest, AWarningCanBecomeAKickAndThatKickABanInOnePass) {
    server.addPlayer(PlayerWith("Repeat", "10.0.0.7:1", {{"r_lightmap", "1"}}));
    w.form.Penalty(PenaltyRow::WhiteWalls).Warning->setValue(true);
    w.form.AcWarns.setText("2");
    Add(w.form.Warnings, "10.0.0.7", "old warning");
    Add(w.form.Kicks, "10.0.0.7", "old 1");
    Add(w.form.Kicks, "10.0.0.70", "someone else");
    Add(w.form.Kicks, "10.0.0.7", "old 2");
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Repeat", "say Cheat Detected!! Player: Repeat Cheat: WhiteWalls IP: 10.0.0.7",
                                    "clientkick 0"}));
    EXPECT_EQ(w.form.Warnings.rowCount(), 0u);
    EXPECT_EQ(Rows(w.form.Kicks), (Grid{{"10.0.0.70", "x", "someone else", "2026-01-01"}}));
    EXPECT_EQ(Rows(w.form.Bans), (Grid{{"10.0.0.7", "Repeat", "3 accumulated kicks", "2026-12-05", ""}}));
}

TEST_F(EscalationTest, TheWarningThresholdAsTypedOrOffWhenUnusable) {
    server.addPlayer(HonestPlayer("Warned", "10.0.0.7:1"));
    for (int i = 0; i < 5; ++i) {  // two full sets of two and one warning left
        Add(w.form.Warnings, "10.0.0.7", "w" + std::to_string(i));
        Add(w.form.Warnings, "10.0.0." + std::to_string(i), "other");
    }
    EXPECT_EQ(ScanOnce(), Commands{"dumpuser \"Warned"}) << "AcWarns 0: never";
    w.form.AcWarns.setText(" 2");
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Warned", "clientkick 0"}));
    EXPECT_EQ(w.form.Warnings.rowCount(), 6u);
    EXPECT_EQ(Rows(w.form.Kicks), Grid(2, {"10.0.0.7", "Warned", " 2 accumulated warnings", "2026-12-05"}));

    // Unusable thresholds switch their step off and say so once.
    server.addPlayer(HonestPlayer("Warned", "10.0.0.7:1"));
    for (const char* bad : {"", "two", "40000", "102"}) {
        w.form.AcWarns.setText(bad);
        EXPECT_EQ(ScanOnce(), Commands{"dumpuser \"Warned"}) << bad;
        ScanOnce();
    }
    const auto& out = w.form.txtOutput.text();
    EXPECT_NE(out.find("The threshold \"102\" for warnings is not a whole number from 0 to 101; that escalation is off."),
              std::string::npos);
    EXPECT_EQ(out.find("\"two\""), out.rfind("\"two\"")) << "told once";
    w.form.AcWarns.setText("1");  // every warning a kick: the one left, and the kicks then make a ban
    EXPECT_EQ(ScanOnce(), (Commands{"dumpuser \"Warned", "clientkick 0"}));
    EXPECT_EQ(Rows(w.form.Bans), (Grid{{"10.0.0.7", "Warned", "3 accumulated kicks", "2026-12-05", ""}}));
    bool usable = false;
    EXPECT_EQ(EscalationThreshold("101", usable), 101);
    EXPECT_TRUE(usable);
    EXPECT_FALSE(EscalationThreshold("-3", usable).has_value());
    EXPECT_TRUE(usable);
}

}  // namespace
}  // namespace vorstel
