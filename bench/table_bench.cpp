// Tables and list files at 100,000 rows: sorted insert, bulk add, header re-sort, and saving
// and loading bans.lst.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/list_files.h"
#include "ban_rows.h"
#include "penalties/penalty_tables.h"

namespace {

using namespace vorstel;

using bench::BanRows;
using bench::kRows;

void BM_SortedInsertInto100kRows(benchmark::State& state) {
    Table bans("ListView4");
    SetUpBansTable(bans);
    bans.addRows(BanRows(kRows, 1));
    const auto extra = BanRows(4096, 2);
    std::size_t i = 0;
    for (auto _ : state) {
        // Insert and take it out again so the table stays at 100,000 rows.
        const RowId id = bans.addRow(extra[i++ % extra.size()]);
        state.PauseTiming();
        bans.removeRow(id);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortedInsertInto100kRows)->Unit(benchmark::kMicrosecond);

void BM_BulkAdd100kRows(benchmark::State& state) {
    const auto rows = BanRows(kRows, 3);
    std::unique_ptr<Table> bans;
    for (auto _ : state) {
        state.PauseTiming();
        bans = std::make_unique<Table>("ListView4");
        SetUpBansTable(*bans);
        auto copy = rows;
        state.ResumeTiming();
        bans->addRows(std::move(copy));
    }
}
BENCHMARK(BM_BulkAdd100kRows)->Unit(benchmark::kMillisecond);

void BM_HeaderResort100kRows(benchmark::State& state) {
    Table bans("ListView4");
    SetUpBansTable(bans);
    bans.addRows(BanRows(kRows, 4));
    std::size_t column = 0;
    for (auto _ : state) {
        column = column == 1 ? 3 : 1;  // Name, then Date: each click really re-sorts
        bans.headerClick(column);
    }
}
BENCHMARK(BM_HeaderResort100kRows)->Unit(benchmark::kMillisecond);

class Scratch {
public:
    Scratch() : path_(std::filesystem::temp_directory_path() / "vorstel-table-bench") {
        std::filesystem::create_directories(path_);
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void BM_Save100kBans(benchmark::State& state) {
    Scratch dir;
    Table warnings("ListView2"), kicks("ListView3"), bans("ListView4");
    SetUpBansTable(bans);
    bans.addRows(BanRows(kRows, 5));
    for (auto _ : state) {
        if (!SavePenaltyLists(dir.path(), {warnings, kicks, bans}, {}).empty()) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(dir.path() / kBansFile)));
}
BENCHMARK(BM_Save100kBans)->Unit(benchmark::kMillisecond);

void BM_Load100kBans(benchmark::State& state) {
    Scratch dir;
    Table warnings("ListView2"), kicks("ListView3"), bans("ListView4");
    SetUpBansTable(bans);
    bans.addRows(BanRows(kRows, 6));
    SavePenaltyLists(dir.path(), {warnings, kicks, bans}, {});
    FixedCalendar calendar;
    calendar.current = {2030, 6, 1};
    for (auto _ : state) {
        const auto load = LoadPenaltyLists(dir.path(), {warnings, kicks, bans}, calendar);
        if (bans.rowCount() != kRows || !load.messages.empty()) state.SkipWithError("not every ban loaded");
    }
}
BENCHMARK(BM_Load100kBans)->Unit(benchmark::kMillisecond);

}  // namespace
