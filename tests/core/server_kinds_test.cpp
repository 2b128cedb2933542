// An hour of monitoring a full server, against the original game and against the
// open-source engine: the original game must see exactly the traffic it always saw, and the
// open-source engine must run every request the watchdog means it to run.
#include <gtest/gtest.h>

#include "penalties/penalty_tables.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

constexpr std::int64_t kHourMs = 3600 * 1000;

std::uint64_t Fnv(std::uint64_t h, const std::string& s) {
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

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
            if (ipv6 && i % 3 == 0) address = "[2001:db8::" + std::to_string(i) + "]:12203";
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

    // Every request with its time and bytes, folded into one number.
    std::uint64_t TraceHash() const {
        std::uint64_t h = 1469598103934665603ull;
        for (const auto& c : server.received()) h = Fnv(h, std::to_string(c.atMs) + " " + c.datagram + "\n");
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

}  // namespace
}  // namespace vorstel
