// The list files of the working directory as start-up loads them and shutdown saves them.
// Load, save, load again must give the same rows and keep the same unloadable lines, and a
// second save must write the same bytes: no row is lost, changed or multiplied by a restart.
//
// Input: warnings.lst, NUL, kicks.lst, NUL, bans.lst, NUL, skins.txt (a part left out is a
// missing file).
#include <fstream>

#include "config/list_files.h"
#include "fuzz_support.h"
#include "penalties/civil_date.h"

using namespace vorstel;

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct Tables {
    Tables() {
        SetUpWarningsTable(warnings);
        SetUpKicksTable(kicks);
        SetUpBansTable(bans);
    }
    PenaltyTables all() { return {warnings, kicks, bans}; }
    std::vector<Rows> rows() const { return {test::Rows(warnings), test::Rows(kicks), test::Rows(bans)}; }
    Table warnings{"ListView2"}, kicks{"ListView3"}, bans{"ListView4"};
};

std::vector<std::vector<std::string>> Kept(const PenaltyListsState& kept) {
    return {kept.warnings.lines, kept.kicks.lines, kept.bans.lines};
}

std::vector<std::string> Files(const std::filesystem::path& dir) {
    return {test::ReadFile(dir / kWarningsFile), test::ReadFile(dir / kKicksFile), test::ReadFile(dir / kBansFile)};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const test::TempDir temp;
    const auto& dir = temp.path();
    const char* names[] = {kWarningsFile, kKicksFile, kBansFile, kSkinsFile};
    const auto parts = fuzz::Parts(fuzz::Bytes(data, size), 4);
    for (std::size_t i = 0; i < parts.size(); ++i) std::ofstream(dir / names[i], std::ios::binary) << parts[i];

    FixedCalendar calendar;
    calendar.current = {2024, 5, 10, 12, 0, 0};
    const std::string today = calendar.now().date();

    Tables first;
    const auto load = LoadPenaltyLists(dir, first.all(), calendar);
    const auto rows = first.rows();
    for (std::size_t t = 0; t < rows.size(); ++t) {
        for (const auto& row : rows[t]) {
            FUZZ_CHECK(row.size() == (t == 2 ? kBanFields : kWarningFields));
            for (const auto& cell : row) FUZZ_CHECK(cell.find_first_of("\x02\r\n") == std::string::npos);
            const std::string until = t == 2 ? row[penalty_column::Until] : "";
            if (!until.empty()) FUZZ_CHECK(ParseDate(until).has_value() && today < until);
        }
    }
    for (const auto& lines : Kept(load.kept))
        for (const auto& line : lines) FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);

    FUZZ_CHECK(SavePenaltyLists(dir, first.all(), load.kept).empty());
    const auto saved = Files(dir);

    Tables second;
    const auto reload = LoadPenaltyLists(dir, second.all(), calendar);
    FUZZ_CHECK(second.rows() == rows);
    FUZZ_CHECK(Kept(reload.kept) == Kept(load.kept));
    FUZZ_CHECK(reload.expiredBans == 0);
    FUZZ_CHECK(SavePenaltyLists(dir, second.all(), reload.kept).empty());
    FUZZ_CHECK(Files(dir) == saved);

    // The skin lists: every line exactly, and the count with them.
    if (parts.size() > 3) {
        std::vector<std::string> list{"stale"};
        int count = -1;
        FUZZ_CHECK(ReadSkinList(dir / kSkinsFile, list, count));
        FUZZ_CHECK(list == SplitLines(parts[3]));
        FUZZ_CHECK(count == static_cast<int>(list.size()));
        std::size_t kept = 0;
        for (const auto& line : list) {
            FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
            kept += line.size();
        }
        FUZZ_CHECK(kept <= parts[3].size());
    }
    return 0;
}
