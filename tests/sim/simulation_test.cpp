// A fixed set of seeds, each hours of virtual monitoring with faults; and the same seed twice.
#include <gtest/gtest.h>

#include "simulation.h"

namespace vorstel::sim {
namespace {

class SeededRun : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(SeededRun, EveryInvariantHolds) {
    const auto result = RunSimulation({.seed = GetParam(), .hours = 2});
    EXPECT_TRUE(result.violations.empty()) << ::testing::PrintToString(result.violations)
                                           << "\nreplay: vorstel-simulate --seed " << GetParam() << " --hours 2";
    EXPECT_GT(result.scans, 10u);
    EXPECT_GT(result.patrols, 50u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeededRun, ::testing::Values(1, 2, 3, 7, 42, 1234));

TEST(SeededRunReplay, TheSameSeedGivesTheSameTrace) {
    const auto trace = RunSimulation({.seed = 99, .hours = 1}).traceHash;
    EXPECT_EQ(RunSimulation({.seed = 99, .hours = 1}).traceHash, trace);
    EXPECT_NE(RunSimulation({.seed = 100, .hours = 1}).traceHash, trace);
}

}  // namespace
}  // namespace vorstel::sim
