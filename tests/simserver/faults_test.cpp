// Misbehaviour on demand, replayable from a seed.
#include <algorithm>

#include "sim_fixture.h"

namespace vorstel::sim::testing {
namespace {

const std::string kCheatsReply = kPrintHeader + "\"cheats\" is:\"0\" default:\"0\"\n";

class FaultsTest : public SimFixture, public ::testing::Test {};

TEST_F(FaultsTest, DelayedRepliesLeaveOnTime) {
    server.setFaults({.delayMs = 900});
    reactor.runUntil(100);
    EXPECT_TRUE(exchange(Rcon("cheats")).empty());
    reactor.runUntil(999);
    EXPECT_TRUE(sent.empty());
    reactor.runUntil(1000);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data, kCheatsReply);
    EXPECT_EQ(sent[0].to, kClient);
}

// What each of 300 requests got back: "-" nothing, "ok" the reply, "ok ok" twice, "?" garbage.
std::vector<std::string> Outcomes(const Faults& faults) {
    SimFixture sim;
    sim.server.setFaults(faults);
    std::vector<std::string> outcomes;
    for (int i = 0; i < 300; ++i) {
        std::string outcome;
        for (const std::string& d : sim.exchange(Rcon("cheats"))) outcome += d == kCheatsReply ? "ok " : "? ";
        outcomes.push_back(outcome.empty() ? "-" : outcome);
    }
    return outcomes;
}

TEST(FaultReplay, SameSeedSameMisbehaviour) {
    const Faults faults{.dropProbability = 0.2, .duplicateProbability = 0.2, .garbageProbability = 0.2, .seed = 42};
    const std::vector<std::string> first = Outcomes(faults);
    EXPECT_EQ(Outcomes(faults), first);
    for (const char* kind : {"-", "ok ", "ok ok ", "? "}) {
        EXPECT_GT(std::count(first.begin(), first.end(), kind), 10) << kind;
    }
    Faults other = faults;
    other.seed = 43;
    EXPECT_NE(Outcomes(other), first);
}

}  // namespace
}  // namespace vorstel::sim::testing
