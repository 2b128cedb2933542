// Figures at scale, in virtual time: a patrol against 100,000 ban rows, and a whole day of
// monitoring with players coming and going.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "null_platform.h"
#include "penalties/patrol.h"
#include "penalties/penalty_tables.h"
#include "simulation.h"
#include "virtual_sim_server.h"
#include "watchdog.h"

namespace {

using namespace vorstel;

// One patrol of 64 listed players against a ban table none of whose rows matches them.
void PatrolWalk(benchmark::State& state, int banRows) {
    VirtualReactor reactor;
    bench::NullDesktop desktop;
    bench::NullDialogs dialogs;
    FixedCalendar calendar;
    const auto dir = std::filesystem::temp_directory_path() / "vorstel-patrol-bench";
    std::filesystem::create_directories(dir);
    sim::VirtualSimServer server(reactor, sim::Scenario{});
    server.setCvar("sv_maxclients", "64");
    for (int i = 0; i < 64; ++i) {
        sim::Player p;
        p.name = "Player" + std::to_string(i);
        p.address = "10.0.0." + std::to_string(i + 1) + ":12203";
        server.addPlayer(p);
    }
    Watchdog w({reactor, desktop, dialogs, calendar}, dir);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < banRows; ++i)
        rows.push_back({"20." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                            std::to_string(i % 256),
                        "banned", "cheating", "2026-01-01", ""});
    w.form.Bans.addRows(std::move(rows));
    for (auto _ : state) {
        bool done = false;
        w.scope.spawn([](Watchdog& wd, bool& d) -> Task<void> {
            wd.engine.StatusText.clear();
            co_await RunPatrol(wd);
            d = true;
        }(w, done));
        reactor.runUntil([&] { return done; });
    }
    state.counters["ban_rows"] = banRows;
    state.counters["players"] = 64;
    std::filesystem::remove_all(dir);
}
void BM_PatrolWalk100kBans(benchmark::State& state) { PatrolWalk(state, 100000); }
BENCHMARK(BM_PatrolWalk100kBans)->Unit(benchmark::kMillisecond);
void BM_PatrolWalk1MBans(benchmark::State& state) { PatrolWalk(state, 1000000); }
BENCHMARK(BM_PatrolWalk1MBans)->Unit(benchmark::kMillisecond);

// A day of monitoring, faults off, as the seeded simulation runs it.
void BM_DayOfMonitoring(benchmark::State& state) {
    sim::SimulationOptions options;
    options.hours = 24;
    options.faults = false;
    for (auto _ : state) {
        const auto result = sim::RunSimulation(options);
        if (!result.violations.empty()) state.SkipWithError("invariant violated");
        state.counters["requests"] = static_cast<double>(result.requests);
    }
}
BENCHMARK(BM_DayOfMonitoring)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
