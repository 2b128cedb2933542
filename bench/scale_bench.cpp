// Figures at scale, in virtual time: a patrol against 100,000 ban rows, the escalation after a
// warning against 100,000 warnings, and a whole day of monitoring with players coming and going.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "null_platform.h"
#include "penalties/escalation.h"
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
    bench::Surroundings around("vorstel-patrol-bench");
    sim::VirtualSimServer server(reactor, sim::Scenario{});
    server.setCvar("sv_maxclients", "64");
    for (int i = 0; i < 64; ++i) {
        sim::Player p;
        p.name = "Player" + std::to_string(i);
        p.address = "10.0.0." + std::to_string(i + 1) + ":12203";
        server.addPlayer(p);
    }
    Watchdog w(around.on(reactor), around.dir);
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
}
void BM_PatrolWalk100kBans(benchmark::State& state) { PatrolWalk(state, 100000); }
BENCHMARK(BM_PatrolWalk100kBans)->Unit(benchmark::kMillisecond);
void BM_PatrolWalk1MBans(benchmark::State& state) { PatrolWalk(state, 1000000); }
BENCHMARK(BM_PatrolWalk1MBans)->Unit(benchmark::kMillisecond);

// The escalation after a warning: the player holds two warnings among 100,000 rows of other
// addresses, one short of the threshold, so the pass finds his rows and converts nothing.
// Arguments: the table sorted as loaded (by address) or after a click on "Name" (his rows come
// last then); the pass alone, or the second warning added just before it (the index follows).
void BM_Escalation100kWarnings(benchmark::State& state) {
    const bool byName = state.range(0) == 1, giveWarning = state.range(1) == 1;
    VirtualReactor reactor;
    bench::Surroundings around("vorstel-escalation-bench");
    Watchdog w(around.on(reactor), around.dir);
    SetUpWarningsTable(w.form.Warnings);
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 100000; ++i)
        rows.push_back({"20." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                            std::to_string(i % 256),
                        "Player" + std::to_string(i % 5000), "aimbot", "2026-01-01"});
    for (int i = giveWarning ? 1 : 2; i > 0; --i)
        rows.push_back({"30.0.0.7", "Zed", "aimbot", "2026-01-02"});
    w.form.Warnings.addRows(std::move(rows));
    w.form.Warnings.headerClick(byName ? 1 : 0);
    w.form.AcWarns.setText("3");
    w.form.AcKicks.setText("3");
    w.CurrentPlayer.IP = "30.0.0.7";
    w.CurrentPlayer.Name = "Zed";
    w.CurrentPlayer.ClientNumber = "5";
    for (auto _ : state) {
        const RowId given = giveWarning ? AddWarning(w.form.Warnings, around.calendar, "30.0.0.7", "Zed", "aimbot") : 0;
        bool done = false;
        w.scope.spawn([](Watchdog& wd, bool& d) -> Task<void> {
            co_await RunEscalation(wd);
            d = true;
        }(w, done));
        reactor.runUntil([&] { return done; });
        if (!giveWarning) continue;
        state.PauseTiming();
        w.form.Warnings.removeRow(given);
        state.ResumeTiming();
    }
    if (w.form.Warnings.rowCount() != (giveWarning ? 100001u : 100002u))
        state.SkipWithError("the pass changed the table");
}
BENCHMARK(BM_Escalation100kWarnings)
    ->ArgNames({"by_name", "warning_given"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

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
