// A fixed set of seeds, each hours of virtual monitoring with faults; and the same seed twice.
#include <gtest/gtest.h>

#include "simulation.h"

namespace vorstel::sim {
namespace {

class SeededRun : public ::testing::TestWithParam<std::uint64_t> {};

TEST_P(SeededRun, EveryInvariantHolds) {
    SimulationOptions options;
    options.seed = GetParam();
    options.hours = 2;
    const auto result = RunSimulation(options);
    EXPECT_TRUE(result.violations.empty()) << result.Summary() << "\n" << ::testing::PrintToString(result.violations)
                                           << "\nreplay: vorstel-simulate --seed " << options.seed << " --hours 2";
    EXPECT_GT(result.scans, 10u);
    EXPECT_GT(result.patrols, 50u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeededRun, ::testing::Values(1, 2, 3, 7, 42, 1234));

TEST(SeededRunReplay, TheSameSeedGivesTheSameTrace) {
    SimulationOptions options;
    options.seed = 99;
    options.hours = 1;
    const auto a = RunSimulation(options);
    const auto b = RunSimulation(options);
    EXPECT_EQ(a.traceHash, b.traceHash);
    options.seed = 100;
    EXPECT_NE(RunSimulation(options).traceHash, a.traceHash);
}

}  // namespace
}  // namespace vorstel::sim
