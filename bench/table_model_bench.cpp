// The ban table as the window shows it, at 100,000 rows: the Qt model and its view follow a
// sorted insert, a header click and a whole load, each up to the view's next repaint. The
// address index is attached as in the program.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <memory>
#include <string>
#include <vector>

#include "ban_rows.h"
#include "penalties/ban_index.h"
#include "penalties/penalty_tables.h"
#include "table_view.h"

namespace {

using namespace vorstel;

using bench::BanRows;
using bench::kRows;

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
