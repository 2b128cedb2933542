// An hour of monitoring a full server, against the original game and against the
// open-source engine: the original game must see exactly the traffic it always saw, and the
// open-source engine must run every request the watchdog means it to run.
#include <gtest/gtest.h>

#include "link/request_bucket.h"
#include "penalties/penalty_tables.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

constexpr std::int64_t kHourMs = 3600 * 1000;

class ServerKindsTest : public test::WatchdogTest {
protected:
    // 32 players: one with a third-person camera, one banned, one lagging, one connecting,
    // one with blanks in his name; a ban asked for in the game; a map change.
    void FillServer(bool ipv6 = false) {
        server.setCvar("sv_maxclients", "32");
        server.setCvar("sv_maplist", "dm/mohdm1 dm/mohdm6 dm/mohdm7");
        server.changeMap("dm/mohdm6");
        server.setCvar("versionvorstel", "1.0");
        server.setCvar("clientban", "-1");
        for (int i = 0; i < 32; ++i) {
            std::string address = "10.0." + std::to_string(i / 8) + "." + std::to_string(10 + i) + ":12203";
            if (ipv6 && i % 4 == 0) address = "[2001:db8::" + std::to_string(i) + "]:12203";
            auto p = test::HonestPlayer("Player" + std::to_string(i), address, 40 + i);
            if (i == 4) p.setVar("cg_3rd_person", "1");
            if (i == 9) p.ping = 900;
            if (i == 12) p.state = sim::ClientState::Connecting;
            if (i == 20) p.name = "Big Bad Wolf";
            server.addPlayer(p);
        }
        server.at(20 * 60 * 1000, [](sim::SimServer& s) { s.changeMap("dm/mohdm7"); });
        server.at(30 * 60 * 1000, [](sim::SimServer& s) { s.postBanRequest(25, "spam"); });
    }

    void MonitorForAnHour() {
        w.Startup();
        AddPenalty(w.form.Bans, {"10.0.0.17", "old", "Admin. Ban", "2026-12-01", ""});
        w.form.Command1.click();
        reactor.advance(kHourMs);
        w.form.Command13.click();
        reactor.advance(10 * 1000);
    }

    void PlayTheOpenSourceEngine() {
        sim::Variants v;
        sim::ApplyVariantName("openmohaa", v);
        server.setVariants(v);
    }

    // Every request with its time and bytes, folded into one number.
    std::uint64_t TraceHash() const {
        std::uint64_t h = test::kFnvBasis;
        for (const auto& c : server.received()) h = test::Fnv(h, std::to_string(c.atMs) + " " + c.datagram + "\n");
        return h;
    }
};

// Recorded before the watchdog learnt of other servers; any change here is a change of what
// the original game receives.
TEST_F(ServerKindsTest, TheOriginalGameSeesTheSameHourAsAlways) {
    FillServer();
    MonitorForAnHour();
    const auto& r = server.received();
    EXPECT_EQ(r.size(), 702u);
    EXPECT_EQ(TraceHash(), 0xb082348cfaebb9cbull);
    EXPECT_EQ(server.droppedRequests(), 0u);
}

TEST_F(ServerKindsTest, TheOpenSourceEngineRunsEveryRequestItIsSent) {
    PlayTheOpenSourceEngine();
    FillServer(/*ipv6=*/true);
    MonitorForAnHour();
    const auto lines = server.commands();
    ASSERT_GT(lines.size(), 500u);
    // Only the first query and the probe that found the framing ran the password.
    EXPECT_EQ((std::vector<std::string>(lines.begin(), lines.begin() + 5)),
              (std::vector<std::string>{"myWord sv_vorstel", "myWord version", "version", "sv_vorstel",
                                        "set sv_vorstel 0"}));
    for (std::size_t i = 2; i < lines.size(); ++i) EXPECT_NE(lines[i].rfind("myWord", 0), 0u) << i;
    EXPECT_EQ(server.droppedRequests(), 0u);
    EXPECT_EQ(server.received().size(), w.link.requestsSent());

    // The first scan dumps all 32 players; the IPv6 cheater and the in-game ban are dealt with.
    const auto status = std::find(lines.begin(), lines.end(), "status");
    EXPECT_EQ(std::count_if(status, std::find(status, lines.end(), "clientban"),
                            [](const std::string& l) { return l.rfind("dumpuser", 0) == 0; }),
              32);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "clientkick 4"), lines.end());
    EXPECT_FALSE(w.kickIndex.rowsWithAddress("2001:db8::4").empty() && w.banIndex.rowsWithAddress("2001:db8::4").empty());
    EXPECT_EQ(w.banIndex.rowsWithAddress("10.0.3.35").size(), 1u);
    EXPECT_EQ(*server.cvar("sv_vorstel"), "0");  // released at Stop
    const auto& out = w.form.txtOutput.text();
    EXPECT_NE(out.find("Server takes the command from the raw line; sending rcon without the leading blank."),
              std::string::npos);
    EXPECT_NE(out.find("Server engine: OpenMoHAA 0.82.1; requests are paced to its rate limit (10 at once, then one a second)."),
              std::string::npos);
    EXPECT_EQ(test::ReadFile(dir / "activity.log").find("without the leading blank"), std::string::npos)
        << "only a probe that differs from the framing in use is marked";
}

// The safety of the framing probe: a marker held by another monitor is never cleared.
TEST_F(ServerKindsTest, AHeldMarkerOnTheOpenSourceEngineIsAskedAboutNotCleared) {
    PlayTheOpenSourceEngine();
    server.setCvar("sv_vorstel", "1");
    w.Startup();
    w.form.Command1.click();
    reactor.advance(5000);
    EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"Already Monitored!"}));
    EXPECT_EQ(Received(), (std::vector<std::string>{"myWord sv_vorstel", "myWord version", "version", "sv_vorstel"}));
    // Stopped; the next Start frames right away.
    dialogs.answers = {MessageAnswer::Yes};
    w.form.Command1.click();
    reactor.advance(2500);
    EXPECT_EQ(Received(), (std::vector<std::string>{"sv_vorstel", "set sv_vorstel 1", "version", "cheats"}));
}

// The window closed while the framing is probed: the probes end there, the release is the last
// request.
TEST_F(ServerKindsTest, AShutdownDuringTheFramingProbeEndsIt) {
    PlayTheOpenSourceEngine();
    w.Startup();
    w.form.Command1.click();
    reactor.runUntil([&] { return server.commands().size() == 2; }, 5000);
    w.scope.spawn(w.Shutdown());
    reactor.advance(10 * 1000);
    EXPECT_EQ(server.commands(), (std::vector<std::string>{"myWord sv_vorstel", "myWord version", "myWord set sv_vorstel 0",
                                                           "myWord set nextmap \"\"", "myWord set resetvalue 0"}));
}

// A server that cuts the raw line but does name unknown commands tells on itself at once.
TEST_F(ServerKindsTest, ARawLineServerThatNamesThePasswordIsFramedWithoutTheBlank) {
    server.setVariants({.rawCut = true});
    server.setCvar("sv_vorstel", "0");
    w.Startup();
    w.form.Command1.click();
    reactor.advance(2500);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(server.commands(), (std::vector<std::string>{"myWord sv_vorstel", "version", "sv_vorstel", "set sv_vorstel 1"}));
}

// A framing found holds only for the server and password it was found with.
TEST_F(ServerKindsTest, AFoundFramingIsForgottenForAnotherServerOrPassword) {
    w.link.UseFraming(Framing::RawLine);
    for (TextBox* box : {&w.form.txtSVR, &w.form.txtPORT, &w.form.txtPWD}) {
        const std::string was = box->text();
        for (const std::string& other : {was + "1", was.substr(0, was.size() - 1)}) {
            box->setText(other);
            EXPECT_EQ(w.link.framing(), Framing::LeadingBlank) << other;
        }
        box->setText(was);
        EXPECT_EQ(w.link.framing(), Framing::RawLine) << was;
    }
}

// Over a network whose delay varies, the server may see a fresh bucket's first request late
// and the next ones quickly: the link counts that bucket from the first reply, and a paced run
// loses no request.
TEST_F(ServerKindsTest, APacedLinkCountsAFreshBucketFromItsFirstReply) {
    PlayTheOpenSourceEngine();
    w.link.UseFraming(Framing::RawLine);
    w.link.SetPacing(true);
    reactor.network().latencyMs = 300;
    int sent = 0;
    w.scope.spawn([](Watchdog& wd, VirtualReactor& r, int& count) -> Task<void> {
        for (; count < 50; ++count) {
            co_await wd.link.SendRconCommand("cheats");
            r.network().latencyMs = 1;
        }
    }(w, reactor, sent));
    reactor.advance(60 * 1000);
    EXPECT_EQ(sent, 50);
    EXPECT_EQ(server.droppedRequests(), 0u);
}

// Our copy of the bucket takes a request exactly when the server does, at any spacing.
TEST(RequestBucketCopy, AgreesWithTheServerRequestForRequest) {
    VirtualReactor reactor;
    sim::SimServer server(reactor, sim::Scenario{}, "myWord");
    server.setVariants({.rateLimit = sim::RateLimit::BucketPerAddress});
    int replies = 0;
    server.transmit = [&](const std::string&, const Peer&) { ++replies; };
    RequestBucket bucket;
    std::int64_t t = 0;
    std::uint32_t seed = 7;
    for (int i = 0; i < 400; ++i) {
        seed = seed * 1103515245u + 12345u;
        t += (seed >> 16) % (i % 50 < 40 ? 700 : 3500);  // bursts that fill it, pauses that drain it
        reactor.runUntil(t);
        const bool expected = bucket.EarliestSend(t, 0) <= t;
        const int before = replies;
        server.receive(std::string("\xFF\xFF\xFF\xFF\x02rcon myWord cheats"), Peer{"10.0.0.1", 1000 + i});
        bucket.Sent(t);
        ASSERT_EQ(replies > before, expected) << "request " << i << " at " << t;
    }
    EXPECT_GT(server.droppedRequests(), 50u);
}

// Over a real network the server saw the bucket's first request no later than its reply.
TEST(RequestBucketCopy, AFreshBucketCountsFromTheFirstReply) {
    RequestBucket bucket;
    bucket.Sent(0);
    bucket.Answered(40);
    for (int i = 0; i < 9; ++i) {
        bucket.Sent(100);
        bucket.Answered(900);  // not a fresh bucket: moves nothing
    }
    EXPECT_EQ(bucket.EarliestSend(100), 40 + 1000 + RequestBucket::kMarginMs);
}

}  // namespace
}  // namespace vorstel
