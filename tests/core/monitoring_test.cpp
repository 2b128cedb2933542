// Claiming and releasing a server, the warm-up and the engine's schedule, in virtual time
// against the simulated server.
#include <gtest/gtest.h>

#include "engine/server_info.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

using Commands = std::vector<std::string>;

// The simulated server's own version and game type: the original game on Linux, free for all.
const char* kScenario = R"(
map dm/mohdm6
maplist dm/mohdm1 dm/mohdm6 obj/obj_team1
mod versionvorstel 1.0
player Alice
    ping 40
    address 10.0.0.5:12203
end
)";

// The watchdog on the scenario above, ready for Start.
struct Monitor : test::Rig {
    explicit Monitor(const std::string& scenario = kScenario) : Rig(scenario) {
        w.Startup();
        // These tests follow the engine's frames; the cycles' own work has tests of its own.
        // The patrol here only fetches the listing when the scan has not.
        w.engine.ScanWork = []() -> Task<void> { co_return; };
        w.engine.PatrolWork = [this]() -> Task<void> {
            if (!w.engine.StatusText.empty()) co_return;
            co_await w.link.WaitForLink();
            w.engine.StatusText = co_await w.link.SendRconCommand("status");
        };
    }

    // Starts and runs until the warm-up tick is over (the engine is then waiting for its first tick).
    void WarmUp() {
        w.form.Command1.click();
        reactor.advance(100);
        ASSERT_TRUE(w.engine.tickRunning());
        reactor.runUntil([&] { return !w.engine.tickRunning(); }, 60000);
    }
};

// The claim followed by what the server hears in the warm-up.
Commands WithWarmUp(Commands claim) {
    claim.insert(claim.end(), {"version",          "cheats",          "versionvorstel", "dmzdogtagversion",
                               "getstatus",        "set nextmap obj/obj_team1",         "set sv_minutes 7",
                               "set sv_hours 21",  "set scantime 3",  "set scanpass 1", "set resetvalue hacked"});
    return claim;
}

class MonitoringTest : public ::testing::Test, protected Monitor {};

// Servers that differ from the original are claimed alike: values with a colour code after them
// ("0^7" reads as "0"), unknown names answered with nothing at all.
TEST(Claiming, TheMarkerAndThePasswordDecide) {
    const std::string held = "Apparently, there 's already an Rcon Vorstel monitoring this server.\r\n"
                             "You can force the connection, though.\r\n\r\nAre you sure you want to continue?";
    struct Case {
        const char* marker;  // sv_vorstel before Start; nullptr: the server has no such variable
        const char* password;
        MessageAnswer answer;
        sim::Variants variants;
        Commands claim;  // what the server hears before the warm-up
        std::vector<std::string> dialog;  // title, text and buttons of the one message box shown, if any
        bool monitoring;
    };
    const Case cases[] = {
        {nullptr, "myWord", MessageAnswer::Ok, {}, {"sv_vorstel", "set sv_vorstel 0", "sv_vorstel", "set sv_vorstel 1"},
         {}, true},
        {"0", "myWord", MessageAnswer::Ok, {}, {"sv_vorstel", "set sv_vorstel 1"}, {}, true},
        {"1", "myWord", MessageAnswer::Yes, {}, {"sv_vorstel", "set sv_vorstel 1"},
         {"Already Monitored!", held, "Yes No"}, true},
        {"1", "myWord", MessageAnswer::No, {}, {"sv_vorstel"}, {"Already Monitored!", held, "Yes No"}, false},
        {nullptr, "wrong", MessageAnswer::Ok, {}, {"sv_vorstel"},
         {"Bad rcon password!", "Rcon password is incorrect!", "OK"}, false},
        {"0", "myWord", MessageAnswer::Ok, {.colourCodes = true}, {"sv_vorstel", "set sv_vorstel 1"}, {}, true},
        // An empty answer that the server did send: "version" shows the framing is right.
        {nullptr, "myWord", MessageAnswer::Ok, {.silentUnknown = true},
         {"sv_vorstel", "version", "set sv_vorstel 0", "sv_vorstel", "set sv_vorstel 1"}, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.claim) + " " + c.password);
        Monitor m;
        m.server.setVariants(c.variants);
        if (c.marker) m.server.setCvar("sv_vorstel", c.marker);
        m.w.form.txtPWD.setText(c.password);
        m.dialogs.answers = {c.answer};
        m.WarmUp();
        EXPECT_EQ(m.Received(), c.monitoring ? WithWarmUp(c.claim) : c.claim);
        std::vector<std::string> shown;
        for (const auto& box : m.dialogs.shown)
            shown.insert(shown.end(), {box.title, box.text, box.buttons == MessageButtons::YesNo ? "Yes No" : "OK"});
        EXPECT_EQ(shown, c.dialog);
        const auto marker = c.monitoring ? "1" : c.marker ? std::optional<std::string>(c.marker) : std::nullopt;
        EXPECT_EQ(m.server.cvar("sv_vorstel"), marker);
        EXPECT_EQ(m.w.Timer3->isActive(), c.monitoring);
        if (c.monitoring) {
            EXPECT_EQ(m.w.form.Label23.caption(), "Cheats - Disabled");
            EXPECT_EQ(m.w.form.Label25.caption(), "ModVorstel - Running");
            EXPECT_EQ(m.w.form.Label26.caption(), "DMz Dogtag - Not Running");
            continue;
        }
        EXPECT_EQ(m.w.form.Label21.caption(), "Server not running!!");
        EXPECT_EQ(m.w.form.Command1.caption(), "Start");
        m.reactor.advance(10000);
        EXPECT_TRUE(m.Received().empty());
    }
}

// Warmed up and shown, then scanned and patrolled on schedule, each cycle holding the timer and
// starting the activity log afresh; Start while monitoring scans at once.
TEST_F(MonitoringTest, AClaimedServerIsWarmedUpShownThenScannedAndPatrolledOnSchedule) {
    std::ofstream(dir / "activity.log", std::ios::binary) << "before Start\r\n";
    WarmUp();
    EXPECT_EQ(test::ReadFile(dir / "activity.log").rfind("Rcon request: \r\nsv_vorstel\r\n", 0), 0u);
    auto& f = w.form;
    EXPECT_EQ(f.Label21.caption(), "Server: Running - Now playing: dm/mohdm6 on free for all");
    EXPECT_EQ(f.Label35.caption(), "Server OS: Linux");
    EXPECT_EQ(f.Label18.caption(), "Last Data Retrieval: 0 seconds ago");
    EXPECT_EQ(f.Command1.caption(), "Warming");
    EXPECT_FALSE(f.Picture1.visible());
    EXPECT_TRUE(f.Image5.visible() && !f.Image2.visible());
    EXPECT_TRUE(f.Image1[1].visible() && !f.Image1[0].visible());
    EXPECT_TRUE(f.Image3[1].visible() && !f.Image3[0].visible());
    EXPECT_TRUE(f.Image4[0].visible() && !f.Image4[1].visible());
    Received();
    int scans = 0;
    std::string seen;
    w.engine.ScanWork = [&]() -> Task<void> {
        ++scans;
        seen = std::string(w.Timer3->isActive() ? "timer on" : "timer off") + ", " + w.form.Command1.caption() +
               ", log: " + test::ReadFile(dir / "activity.log").substr(0, 22);
        co_return;
    };

    // 105 ms later: a scan, then a patrol that reuses the listing.
    reactor.advance(Engine::kFirstTickPeriod);
    reactor.runUntil([&] { return !w.engine.tickRunning(); });
    EXPECT_EQ(Received(), Commands{"status"});
    EXPECT_EQ(seen, "timer off, Scanning, log: Rcon request: \r\nstatus");

    // The countdowns count idle ticks: a patrol after 45, a scan after 180.
    std::vector<std::pair<std::int64_t, std::string>> sent;
    server.onCommand = [&](const sim::ReceivedCommand& c) { sent.emplace_back(c.atMs, c.line); };
    const auto t0 = reactor.nowMs();
    reactor.advance(181 * 1000 + 8 * 700);
    // Tick 180 brings both due: the scan goes first and the patrol sends nothing of its own.
    EXPECT_EQ(sent, (decltype(sent){{t0 + 45 * 1000 + 1, "status"},
                                    {t0 + 90 * 1000 + 700 + 1, "status"},
                                    {t0 + 135 * 1000 + 2 * 700 + 1, "status"},
                                    {t0 + 180 * 1000 + 3 * 700 + 1, "status"}}));

    // Start while monitoring scans now.
    Received();
    scans = 0;
    w.form.Command1.click();
    EXPECT_EQ(w.form.Command1.caption(), "Scanning");
    reactor.advance(700 + 1000);
    reactor.runUntil([&] { return !w.engine.tickRunning(); });
    EXPECT_EQ(Received(), (Commands{"set scanpass 1", "status"}));
    EXPECT_EQ(scans, 1);
    EXPECT_EQ(w.engine.PatrolCountdown, 45);

    // A map change is found by the next patrol.
    server.changeMap("obj/obj_team1");
    calendar.current.minute = 8;
    reactor.advance(45 * 1000);
    reactor.runUntil([&] { return !w.engine.tickRunning(); });
    EXPECT_EQ(Received(), (Commands{"status", "getstatus", "set nextmap dm/mohdm1", "set sv_minutes 8",
                                    "set sv_hours 21"}));
    EXPECT_EQ(w.form.Label21.caption(), "Server: Running - Now playing: obj/obj_team1 on free for all");
}

// Two attempts at the claim, or one after a claim that a second attempt rescued.
TEST_F(MonitoringTest, ASilentServerIsOfflineAfterTwoAttemptsOrOneAfterARescue) {
    server.setSilent(true);
    WarmUp();
    EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"Server offline!"}));
    EXPECT_EQ(dialogs.shown[0].text, "Server is not responding!");
    EXPECT_EQ(server.droppedRequests(), 4u);  // query, set 0, query, set 0

    server.setSilent(false);
    server.setFaults({.dropNext = 1});  // the first answer is lost
    dialogs.shown.clear();
    WarmUp();
    EXPECT_TRUE(w.monitoring.ClaimRetry);
    EXPECT_TRUE(dialogs.shown.empty());
    w.form.Command13.click();
    reactor.runUntil([&] { return w.form.Command1.enabled(); });
    server.setSilent(true);
    WarmUp();
    EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"Server offline!"}));
    EXPECT_EQ(server.droppedRequests(), 6u);
}

TEST_F(MonitoringTest, StopAnEditedConnectionOrClosingReleasesTheServerOnlyWhileMonitoring) {
    w.form.Command13.click();
    w.form.txtPWD.lostFocus();  // not empty: no warning
    EXPECT_TRUE(w.form.Command1.enabled());
    reactor.advance(5000);
    EXPECT_TRUE(Received().empty());

    WarmUp();
    reactor.advance(2000);
    Received();
    w.form.Command13.click();
    EXPECT_FALSE(w.form.Command1.enabled());
    reactor.runUntil([&] { return w.form.Command1.enabled(); });
    EXPECT_EQ(Received(), (Commands{"set sv_vorstel 0", "set nextmap \"\"", "set resetvalue 0"}));
    EXPECT_EQ(w.form.Label23.caption(), "Cheats: ?");
    for (const char* icon :
         {"Image1(0)", "Image1(1)", "Image2", "Image3(0)", "Image3(1)", "Image4(0)", "Image4(1)", "Image5"})
        EXPECT_FALSE(w.form.find(icon)->visible()) << icon;
    EXPECT_EQ(w.form.scanpro.value(), 0);

    WarmUp();
    reactor.advance(2000);
    Received();
    w.form.txtPORT.setText("122030");
    EXPECT_FALSE(w.form.txtPORT.enabled());
    reactor.runUntil([&] { return w.form.Command1.enabled(); });
    EXPECT_FALSE(w.Timer3->isActive());
    EXPECT_TRUE(Received().empty()) << "the release goes to the new, wrong port";
    w.form.txtPWD.setText("");  // an empty password is warned about on leaving the box
    w.form.txtPWD.lostFocus();
    EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"No rcon password provided!!"}));

    // Closing while monitoring releases the server before saving.
    w.form.txtPORT.setText("12203");
    w.form.txtPWD.setText("myWord");
    server.setCvar("sv_vorstel", "0");
    WarmUp();
    reactor.advance(2000);
    Received();
    w.scope.spawn(w.Shutdown());
    EXPECT_FALSE(std::filesystem::exists(dir / "rconvorstel.ini"));
    reactor.advance(5000);
    EXPECT_EQ(Received(), (Commands{"set sv_vorstel 0", "set nextmap \"\"", "set resetvalue 0"}));
    EXPECT_TRUE(std::filesystem::exists(dir / "rconvorstel.ini"));
    EXPECT_EQ(w.form.Command2.caption(), "Disconnecting...");
}

TEST(Spearhead, TheWarmUpFollowsTheServerAndTheSettings) {
    Monitor m(std::string(kScenario) + "version Medal of Honor Spearhead 2.15 win-x86 Mar  5 2002\n");
    m.server.setCvar("cheats", "1");
    m.w.form.Cheats[6].setValue(0);
    m.w.form.txtMin.setText("05");
    m.WarmUp();
    const auto sent = m.Received();
    EXPECT_EQ(sent[sent.size() - 3], "set scantime 5");
    EXPECT_EQ(sent.back(), "set resetvalue 0");
    EXPECT_TRUE(m.w.engine.SpearheadServer);
    EXPECT_EQ(m.w.form.Label35.caption(), "Server OS: Windows");
    EXPECT_EQ(m.w.form.Label23.caption(), "Cheats - Enabled!!");
    EXPECT_TRUE(m.w.form.Image1[0].visible());
    EXPECT_EQ(m.w.form.scanpro.max(), 300);
    m.w.form.Command13.click();
    m.reactor.runUntil([&] { return m.w.form.Command1.enabled(); });
    EXPECT_FALSE(m.w.form.Image1[0].visible()) << "the server's icons go with the stop";
}

TEST_F(MonitoringTest, UnusableIntervalsFallBackAndTheOperatorIsToldOnce) {
    w.form.txtMin.setText("547");  // the progress bar's range counts seconds in 16 bits
    w.form.MinPolt.setText("99999");
    WarmUp();
    EXPECT_EQ(w.form.scanpro.max(), 180);
    EXPECT_EQ(w.form.kickpro.max(), 45);
    const auto& out = w.form.txtOutput.text();
    EXPECT_NE(out.find("Scan interval \"547\" is not a usable number; using 3 minutes."), std::string::npos);
    EXPECT_NE(out.find("Patrol interval \"99999\""), std::string::npos);
    const auto size = out.size();
    reactor.advance(200);
    reactor.runUntil([&] { return !w.engine.tickRunning(); });
    EXPECT_EQ(w.form.txtOutput.text().size(), size);
}

TEST(ServerInfo, ParsesTheStatusQueryAndFindsTheNextMap) {
    const auto info = ParseStatusQuery(
        "response\r\n\\g_gametypestring\\team-match\\mapname\\dm/mohdm2\\sv_maplist\\a b c\\mapname");
    EXPECT_EQ(info.GameType, "team match");
    EXPECT_EQ(info.MapName, "dm/mohdm2");
    EXPECT_EQ(info.MapList, "a b c");
    EXPECT_EQ(ParseStatusQuery("\\x\\mapname\\mapname\\m2").MapName, "m2");
    EXPECT_EQ(NextMapAfter("d", "a b c"), "");
    EXPECT_EQ(NextMapAfter("m", ""), "m");
    EXPECT_EQ(NextMapAfter("", "a b c"), "");
    EXPECT_EQ(NextMapAfter("dm/moh", "dm/mohdm1 dm/mohdm2"), "");  // a prefix of an entry
    std::string v;
    EXPECT_TRUE(VariableValue("\"cheats\" is:\"0\" default:\"0\"\r\n", v));
    EXPECT_EQ(v, "0");
    EXPECT_TRUE(VariableValue("\"cheats\" is:\"1", v)) << "four fields hold a value, closed or not";
    EXPECT_EQ(v, "1");
    EXPECT_FALSE(VariableValue("Bad rconpassword.\r\n", v));
}

}  // namespace
}  // namespace vorstel
