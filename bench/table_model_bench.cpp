// The ban table as the window shows it, at 100,000 rows: the Qt model and its view follow a
// sorted insert, a header click and a whole load, each up to the view's next repaint. The
// address index is attached as in the program.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "penalties/ban_index.h"
#include "penalties/penalty_tables.h"
#include "table_view.h"

namespace {

using namespace vorstel;

constexpr int kRows = 100000;

std::vector<std::vector<std::string>> BanRows(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(n);
    for (int i = 0; i < n; ++i) {
        const unsigned a = rng();
        rows.push_back({std::to_string(a >> 24) + "." + std::to_string((a >> 16) & 255) + "." +
                            std::to_string((a >> 8) & 255) + "." + std::to_string(a & 255),
                        "Player" + std::to_string(rng() % 5000), "aimbot", "2024-05-" + std::to_string(10 + rng() % 20),
                        rng() % 2 ? "" : "2031-01-" + std::to_string(10 + rng() % 20)});
    }
    return rows;
}

// A shown view of the ban table, with the ban index beside it.
struct ShownBans {
    explicit ShownBans(int rows) {
        SetUpBansTable(bans);
        bans.addRows(BanRows(rows, 1));
        view.reset(CreateTableView(bans));
        view->resize(900, 500);
        view->show();
        QApplication::processEvents();
    }
    Table bans{"ListView4"};
    BanIndex index{bans};
    std::unique_ptr<QTableView> view;
};

void BM_ViewSortedInsert100kBans(benchmark::State& state) {
    ShownBans shown(kRows);
    const auto extra = BanRows(4096, 2);
    std::size_t i = 0;
    for (auto _ : state) {
        const RowId id = shown.bans.addRow(extra[i++ % extra.size()]);
        QApplication::processEvents();
        state.PauseTiming();
        shown.bans.removeRow(id);
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ViewSortedInsert100kBans)->Unit(benchmark::kMicrosecond);

void BM_ViewHeaderResort100kBans(benchmark::State& state) {
    ShownBans shown(kRows);
    std::size_t column = 0;
    for (auto _ : state) {
        column = column == 1 ? 3 : 1;  // Name, then Date: each click really re-sorts
        shown.bans.headerClick(column);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ViewHeaderResort100kBans)->Unit(benchmark::kMillisecond);

void BM_ViewLoad100kBans(benchmark::State& state) {
    ShownBans shown(0);
    const auto rows = BanRows(kRows, 3);
    for (auto _ : state) {
        state.PauseTiming();
        shown.bans.clear();
        QApplication::processEvents();
        auto copy = rows;
        state.ResumeTiming();
        shown.bans.addRows(std::move(copy));
        QApplication::processEvents();
    }
}
BENCHMARK(BM_ViewLoad100kBans)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
