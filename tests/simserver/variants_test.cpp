// The ways in which real servers differ from the original game.
#include "sim_fixture.h"

namespace vorstel::sim::testing {
namespace {

class VariantsTest : public SimFixture, public ::testing::Test {
public:
    VariantsTest() : SimFixture("player Bob\nend\n") {}
    void use(Variants v) { server.setVariants(v); }
};

// A server silent about unknown commands is the watchdog's own tests' business.
TEST_F(VariantsTest, ColourCodesAndEchoes) {
    use({.colourCodes = true});
    EXPECT_EQ(ask("cheats"), "\"cheats\" is:\"0^7\" default:\"0^7\"\n");
    use({.sayEcho = true, .kickEcho = true});
    EXPECT_EQ(ask("say hi  \"there you\""), "broadcast: print \"console: hi there you\n\"\n");
    EXPECT_EQ(ask("say"), "");
    EXPECT_EQ(ask("clientkick 0"), "broadcast: print \"Bob^7 was kicked\n\"\n");
}

TEST_F(VariantsTest, SmallBufferCutsBetweenPrintsEvenMidLine) {
    server.removePlayer(0);
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        server.addPlayer(Player{.name = "Player" + std::string(2 - n.size(), '0') + n + std::string(i % 12, 'x'),
                                .score = i * 3, .ping = 20 + i,
                                .address = "10.0." + n + "." + std::to_string(i * 7) + ":12203", .qport = 1000 + i,
                                .rate = 25000});
    }
    const std::string whole = ask("status");
    ASSERT_EQ(whole.size(), 1627u);

    use({.smallBuffer = true});
    const std::vector<std::string> parts = exchange(Rcon("status"));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0], kPrintHeader + whole.substr(0, 1000));  // the next print, "%7i ", did not fit
    EXPECT_EQ(parts[1], kPrintHeader + whole.substr(1000));
    EXPECT_EQ(whole.substr(981, 27), "Player11xxxxxxxxxxx      0 ");  // the cut falls mid-line
}

TEST_F(VariantsTest, OneRequestEveryHalfSecondFromAnyone) {
    use({.rateLimit = RateLimit::OnePerHalfSecond});
    const Peer other{"10.9.9.9", 27960};
    std::vector<std::int64_t> answered;
    for (std::int64_t t : {0, 100, 499, 500, 999, 1000, 1400}) {
        reactor.runUntil(t);
        if (!exchange(Rcon("cheats"), t % 200 ? kClient : other).empty()) answered.push_back(t);
    }
    EXPECT_EQ(answered, (std::vector<std::int64_t>{0, 500, 1000}));
    EXPECT_EQ(server.droppedRequests(), 4u);
    EXPECT_EQ(server.commands().size(), 3u);
    EXPECT_EQ(exchange(Oob("getstatus")).size(), 1u);  // the public query is not limited
}

// The bucket's size and leak are held against the watchdog's own copy of it, request for
// request; here, that every address has a bucket of its own.
TEST_F(VariantsTest, EveryAddressHasABucketOfItsOwn) {
    use({.rateLimit = RateLimit::BucketPerAddress});
    for (int i = 0; i < 10; ++i) exchange(Rcon("cheats"));
    EXPECT_TRUE(exchange(Rcon("cheats"), Peer{"10.1.1.1", 50001}).empty());  // same address, other port
    EXPECT_EQ(exchange(Rcon("cheats"), Peer{"10.1.1.2", 50000}).size(), 1u);
    EXPECT_EQ(server.droppedRequests(), 1u);
}

TEST_F(VariantsTest, TheOpenSourceEngine) {
    Variants v;
    ASSERT_TRUE(ApplyVariantName("openmohaa", v));
    ASSERT_TRUE(ApplyVariantName("ipv6-clients", v));
    use(v);
    server.addPlayer(Player{.name = "SixteenCharsLong", .address = "10.0.0.9:12203"});
    // How the leading blank spoils a command, and that unknown commands go unanswered, the
    // watchdog's framing probe against this server shows.
    auto raw = [&](const std::string& command) {
        const auto replies = exchange(Oob("rcon myWord " + command));
        return replies.size() == 1 ? replies[0].substr(11) : std::string("?");
    };
    EXPECT_EQ(raw("cheats"), "\"cheats\" is:\"0^7\", the default\n");
    server.setCvar("cheats", "1");
    EXPECT_EQ(raw("cheats"), "\"cheats\" is:\"1^7\" default:\"0^7\"\n");
    EXPECT_EQ(raw("version"),
              "\"version\" is:\"Medal of Honor Allied Assault 1.11 (OpenMoHAA 0.82.1) linux-x86_64 Apr  9 2026^7\"\n");
    const std::string status = raw("status");
    EXPECT_NE(status.find("  0     0   50 Bob             "), std::string::npos) << status;
    EXPECT_NE(status.find("  1     0   50 SixteenCharsLong       0 [2001:db8::10:0:0:9]:12203" + std::string(12, ' ') +
                          " 1234  5000\n"),
              std::string::npos)
        << status;
    // getstatus shares the bucket: four requests so far, six more fit.
    int answered = 0;
    for (int i = 0; i < 8; ++i) answered += exchange(Oob("getstatus")).empty() ? 0 : 1;
    EXPECT_EQ(answered, 6);
}

}  // namespace
}  // namespace vorstel::sim::testing
