// The table element and its rows, the civil-date helper and the penalty tables built on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "form/form1.h"
#include "form/table.h"
#include "penalties/civil_date.h"
#include "penalties/penalty_tables.h"
#include "runtime/calendar.h"

namespace vorstel {
namespace {

using Cells = std::vector<std::string>;

std::vector<std::string> Column(const Table& t, std::size_t c) {
    std::vector<std::string> out;
    for (const auto& r : t.rows()) out.emplace_back(r.cell(c));
    return out;
}

std::vector<RowId> Ids(const Table& t) {
    std::vector<RowId> out;
    for (const auto& r : t.rows()) out.push_back(r.id);
    return out;
}

// Columns C0, C1, ..., sorted by C0.
void SortedColumns(Table& t, std::size_t columns = 2) {
    std::vector<TableColumn> cols;
    for (std::size_t i = 0; i < columns; ++i) {
        const std::string number = std::to_string(i);
        cols.push_back({"C" + number, 1000});
    }
    t.setColumns(cols);
    t.setSorted(true);
}

// ---- rows ----

TEST(TableRowsTest, CellsOfAnyLengthAndByteComeBackAsGiven) {
    // The first lengths that take two and three bytes to note.
    const std::string longName(128, 'n'), longReason(16384, 'r');
    const std::string bytes("a\0\x02\xff\r\n", 6);  // nothing in a cell is special
    Table t("Bans");
    t.addRow({"1.2.3.4", longName, longReason, bytes});
    TableRow copy = t.rowAtIndex(0);
    EXPECT_EQ(copy.cells(), (std::vector<std::string>{"1.2.3.4", longName, longReason, bytes}));
    EXPECT_EQ(copy.cell(4), "") << "a column the row has no cell for";

    t.setCell(0, 6, "late");
    t.setCell(0, 1, "short");
    t.setCell(0, 2, "");
    EXPECT_EQ(t.rowAtIndex(0).cells(), (std::vector<std::string>{"1.2.3.4", "short", "", bytes, "", "", "late"}));
    EXPECT_EQ(copy.cell(1), longName) << "a copy keeps its own cells";
}

// ---- sorting ----

TEST(TableSorting, RowsTakeTheirPlaceByByteOrderOfTheSortColumnEqualOnesInArrivalOrderAlsoInBulk) {
    Table t("T");
    SortedColumns(t);
    int arrival = 0;
    for (const char* ip : {"10.0.0.2", "9.1.1.1", "10.0.0.10", "abc", "ABC", "\xE9t\xE9", "", "10.0.0.1", "abc", "9.1.1.1"})
        t.addRow({ip, std::to_string(arrival++)});
    // Text, not numbers: "10.0.0.10" before "10.0.0.2", "9..." after both; bytes above 0x7F
    // after ASCII.
    EXPECT_EQ(Column(t, 0), (std::vector<std::string>{"", "10.0.0.1", "10.0.0.10", "10.0.0.2", "9.1.1.1", "9.1.1.1", "ABC",
                                                      "abc", "abc", "\xE9t\xE9"}));
    EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"6", "7", "2", "0", "1", "9", "4", "3", "8", "5"}));

    // Adding in bulk gives the same order as adding one by one.
    std::mt19937 rng(7);
    auto word = [&] { return std::string(1, static_cast<char>('a' + rng() % 5)); };
    Table oneByOne("A"), bulk("B");
    SortedColumns(oneByOne);
    SortedColumns(bulk);
    std::vector<Cells> more;
    for (int i = 0; i < 300; ++i) {
        const Cells row{word(), std::to_string(i)};
        oneByOne.addRow(row);
        if (i < 100) bulk.addRow(row);  // rows already there come first among equals
        else more.push_back(row);
    }
    bulk.addRows(more);
    EXPECT_EQ(Column(bulk, 1), Column(oneByOne, 1));
}

TEST(TableSorting, HeaderClickResortsStablyAndTheCurrentColumnChangesNothing) {
    Table t("T");
    SortedColumns(t, 3);
    t.addRow({"b", "y", "1"});
    t.addRow({"a", "y", "2"});
    t.addRow({"c", "x", "3"});
    t.addRow({"a", "x", "4"});
    int rowsNotes = 0;
    t.addListener([&](Property p) { rowsNotes += p == Property::Rows; });

    t.headerClick(1);
    t.headerClick(1);  // no descending order
    t.headerClick(9);  // no such column
    // Ties keep the order they had by column 0.
    EXPECT_EQ(Column(t, 2), (std::vector<std::string>{"4", "3", "2", "1"}));
    EXPECT_EQ(t.sortColumn(), 1u);
    EXPECT_EQ(rowsNotes, 1);
}

// ---- selection ----

TEST(TableSelection, RowClickSelectsAndRunsTheReaction) {
    Table t("T");
    SortedColumns(t);
    t.addRow({"a"});
    t.addRow({"b"});
    int reactions = 0, selectionNotes = 0;
    t.onRowClick = [&] { ++reactions; };
    t.addListener([&](Property p) { selectionNotes += p == Property::Selection; });

    t.rowClick(1);
    EXPECT_EQ(t.selectedPosition(), 2u);
    t.rowClick(1);  // the same row again: the reaction runs, the selection is unchanged
    EXPECT_EQ(reactions, 2);
    EXPECT_EQ(selectionNotes, 1);

    t.rowClick(2);  // no such row
    t.setEnabled(false);
    t.rowClick(0);
    EXPECT_EQ(reactions, 2);
    EXPECT_EQ(t.selectedPosition(), 2u);

    t.removeAtIndex(1);  // the selected row goes, and the selection with it
    EXPECT_EQ(selectionNotes, 2);
}

TEST(TableSelection, NewAddressMovesTheSelectedRowToItsPlaceAfterEqualRows) {
    Table t("T");
    SortedColumns(t, 2);
    for (const char* ip : {"10.0.0.1", "10.0.0.5", "10.0.0.5", "10.0.0.9", "10.0.0.3"}) t.addRow({ip, ip});
    EXPECT_FALSE(t.setSelectedIp("1.1.1.1"));

    // The row clicked, its new address, the place it lands on and the row's original address.
    const struct { std::size_t click; const char* ip; std::size_t position; const char* row; } moves[] = {
        {4, "10.0.0.5", 5, "10.0.0.9"},  // stays last, after the two equal rows
        {0, "10.0.0.5", 5, "10.0.0.1"},  // moves down past the three equal rows
        {2, "0", 1, "10.0.0.5"},         // made the smallest: moves to the front
    };
    for (const auto& m : moves) {
        t.rowClick(m.click);
        EXPECT_TRUE(t.setSelectedIp(m.ip));
        EXPECT_EQ(t.selectedPosition(), m.position) << m.row;
        EXPECT_EQ(t.selectedRow()->cell(1), m.row);
    }
    EXPECT_EQ(Column(t, 0), (std::vector<std::string>{"0", "10.0.0.3", "10.0.0.5", "10.0.0.5", "10.0.0.5"}));
    EXPECT_EQ(Column(t, 1), (std::vector<std::string>{"10.0.0.5", "10.0.0.3", "10.0.0.5", "10.0.0.9", "10.0.0.1"}));
}

// A view that mirrors the table from the row-level changes alone, checking on each call that
// the table still holds the state the call describes.
class Mirror : public TableObserver {
public:
    explicit Mirror(Table& t) : t_(t), ids_(Ids(t)) { t.addObserver(this); }
    ~Mirror() override { t_.removeObserver(this); }
    const std::vector<RowId>& ids() const { return ids_; }
    int resets = 0;

    void beforeInsert(std::size_t i) override {
        ASSERT_EQ(t_.rowCount(), ids_.size());
        ASSERT_LE(i, ids_.size());
        pending_ = i;
    }
    void afterInsert() override {
        ids_.insert(ids_.begin() + static_cast<std::ptrdiff_t>(pending_), t_.rows()[pending_].id);
    }
    void beforeRemove(std::size_t i) override {
        ASSERT_LT(i, ids_.size());
        ASSERT_EQ(t_.rows()[i].id, ids_[i]);
        pending_ = i;
    }
    void afterRemove() override { ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(pending_)); }
    void beforeMove(std::size_t from, std::size_t to) override {
        ASSERT_NE(from, to);
        ASSERT_LT(from, ids_.size());
        ASSERT_LT(to, ids_.size());
        ASSERT_EQ(t_.rows()[from].id, ids_[from]);
        from_ = from;
        pending_ = to;
    }
    void afterMove() override {
        const RowId id = ids_[from_];
        ids_.erase(ids_.begin() + static_cast<std::ptrdiff_t>(from_));
        ids_.insert(ids_.begin() + static_cast<std::ptrdiff_t>(pending_), id);
    }
    void cellChanged(std::size_t i, std::size_t) override { ASSERT_EQ(t_.rows()[i].id, ids_[i]); }
    void beforeReset() override { ASSERT_EQ(Ids(t_), ids_); }
    void afterReset() override {
        ++resets;
        ids_ = Ids(t_);
    }

private:
    Table& t_;
    std::vector<RowId> ids_;
    std::size_t pending_ = 0, from_ = 0;
};

TEST(TableChanges, ARowByRowMirrorStaysEqualThroughRandomOperations) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::mt19937 rng(seed);
        Table t("T");
        SortedColumns(t, 3);
        Mirror mirror(t);
        std::optional<RowId> chosen;
        auto word = [&] { return std::string(1, static_cast<char>('a' + rng() % 6)); };
        for (int step = 0; step < 2000; ++step) {
            const unsigned op = rng() % 10;
            const std::size_t n = t.rowCount();
            const int resets = mirror.resets;
            if (op < 4) {
                t.addRow({word(), word(), word()});
            } else if (op == 4 && n > 0) {
                const std::size_t i = rng() % n;
                if (chosen && t.rows()[i].id == *chosen) chosen.reset();
                t.removeAtIndex(i);
            } else if (op == 5 && n > 0) {
                t.rowClick(rng() % n);
                chosen = t.selectedRow()->id;
            } else if (op == 6) {
                t.setSelectedIp(word());
            } else if (op == 7 && n > 0) {
                t.setCell(rng() % n, rng() % 3, word());
            } else if (op == 8) {
                t.headerClick(rng() % 3);
            } else if (op == 9 && rng() % 20 == 0) {
                t.addRows({{word(), word(), word()}, {word(), word(), word()}});
            } else if (op == 9 && step < 1000 && rng() % 20 == 0) {
                t.clear();
                chosen.reset();
            }
            ASSERT_EQ(mirror.ids(), Ids(t)) << "seed " << seed << " step " << step;
            if (op < 8) {
                ASSERT_EQ(mirror.resets, resets) << "one row changed: no reset";
            }
            ASSERT_TRUE(std::is_sorted(t.rows().begin(), t.rows().end(),
                                       [&](const TableRow& a, const TableRow& b) {
                                           return a.cell(t.sortColumn()) < b.cell(t.sortColumn());
                                       }));
            ASSERT_EQ(t.selectedRow() ? std::optional(t.selectedRow()->id) : std::nullopt, chosen);
        }
        EXPECT_GT(t.rowCount(), 100u);
    }
}

// ---- dates ----

TEST(CivilDate, ParseIsStrictAndAddDaysCrossesMonthsYearsAndLeapDays) {
    for (const char* good : {"2024-02-29", "2000-02-29", "0000-01-01", "9999-12-31", "2023-12-31"})
        EXPECT_TRUE(ParseDate(good)) << good;
    for (const char* bad : {"", "2024-2-01", "2024-02-1", "2024-13-01", "2024-00-10", "2024-01-00", " 2024-01-01",
                            "2024-01-01 ", "2024/01/01", "+024-01-01", "2024-01-0a", "20240-01-01", "2024-01-01\r"})
        EXPECT_FALSE(ParseDate(bad)) << bad;

    // Adding days (the calendar itself is walked below): the text in and out, the range's ends.
    const struct { const char* date; long long days; std::optional<std::string> sum; } sums[] = {
        {"2025-03-01", -366, "2024-02-29"}, {"9999-12-31", 1, std::nullopt},         {"0000-01-01", -1, std::nullopt},
        {"0000-01-02", -1, "0000-01-01"},   {"2024-05-10", 1LL << 62, std::nullopt}, {"2024-02-30", 1, std::nullopt},
    };
    for (const auto& s : sums) EXPECT_EQ(AddDays(s.date, s.days), s.sum) << s.date << " + " << s.days;
}

TEST(CivilDate, DayNumbersWalkTheCalendarOneDayAtATime) {
    // Counts every day of years 0000 to 9999 the slow way and checks both conversions, and that
    // the day after each month's last does not parse.
    CivilDate d{0, 1, 1};
    long long n = DaysFromCivil(d);
    auto daysIn = [](int y, int m) {
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        return m == 2 && leap ? 29 : kDays[m - 1];
    };
    for (;;) {
        const CivilDate back = CivilFromDays(n);
        ASSERT_TRUE(back.year == d.year && back.month == d.month && back.day == d.day) << FormatDate(d);
        ASSERT_EQ(DaysFromCivil(d), n);
        if (d.year == 9999 && d.month == 12 && d.day == 31) break;
        if (++d.day > daysIn(d.year, d.month)) {
            ASSERT_FALSE(ParseDate(FormatDate(d))) << FormatDate(d);
            d.day = 1;
            if (++d.month > 12) {
                d.month = 1;
                ++d.year;
            }
        }
        ++n;
    }
}

// ---- penalty tables ----

std::vector<std::pair<std::string, int>> Layout(const Table& t) {
    std::vector<std::pair<std::string, int>> out;
    for (const auto& c : t.columns()) out.emplace_back(c.caption, c.widthTwips);
    return out;
}

// The player table keeps the listing's order (0, 1, 2, ... 10, 11) until a header is clicked.
TEST(PenaltyTables, ColumnsOfEachTableAndThePlayersInListingOrder) {
    Table players("ListView1"), warnings("ListView2"), kicks("ListView3"), bans("ListView4");
    SetUpPlayersTable(players);
    SetUpWarningsTable(warnings);
    SetUpKicksTable(kicks);
    SetUpBansTable(bans);
    using L = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(Layout(players), (L{{"No", 350}, {"Ping", 500}, {"Name", 2000}, {"IP", 1400}, {"Rate", 700},
                                  {"Allied skin", 2250}, {"Axis Skin", 2250}}));
    const L warningLayout{{"IP", 1400}, {"Name", 3000}, {"Reason", 2100}, {"Date", 1200}};
    EXPECT_EQ(Layout(warnings), warningLayout);
    EXPECT_EQ(Layout(kicks), warningLayout);
    EXPECT_EQ(Layout(bans), (L{{"IP", 1400}, {"Name", 2600}, {"Reason", 1300}, {"Date", 1200}, {"Until", 1200}}));

    for (int n : {0, 1, 2, 10, 11}) players.addRow({std::to_string(n), "50", "P", "1.1.1.1", "25000", "", ""});
    EXPECT_EQ(Column(players, 0), (Cells{"0", "1", "2", "10", "11"}));
    players.headerClick(0);
    EXPECT_EQ(Column(players, 0), (Cells{"0", "1", "10", "11", "2"}));
}

// The day count comes from a number box: any number of days ends on a real date.
TEST(PenaltyTables, BansEndOnTheFirstOrLastDateWhateverTheDays) {
    FixedCalendar calendar;
    calendar.current = {2024, 2, 27, 23, 59, 59};
    EXPECT_EQ(BanUntil(calendar, 1LL << 40), "9999-12-31");
    EXPECT_EQ(BanUntil(calendar, -(1LL << 40)), "0000-01-01");
}

TEST(PenaltyTables, RowClickShowsTheActionsOfItsTable) {
    Form1 f;  // for its buttons
    const auto shown = [&] {
        std::string s;
        for (Element* e : f.selectionBound())
            if (e->visible()) s += e->name() + " ";
        return s;
    };
    Table players("ListView1"), warnings("ListView2"), kicks("ListView3"), bans("ListView4");
    WireRowClicks(players, warnings, kicks, bans,
                  {&f.Command5, &f.Command6, &f.Option1, &f.Option2, &f.Text2, &f.Command7, &f.Command8, &f.Command9,
                   &f.Command10, &f.Command11, &f.Command14, &f.Command15});
    for (Table* t : {&players, &warnings, &kicks, &bans}) t->addRow({"10.0.0.1"});

    for (Element* e : f.selectionBound()) e->setVisible(true);
    warnings.rowClick(0);
    EXPECT_EQ(shown(), "Command5 Command6 Option1 Option2 Text2 Command11 Command14 ");
    kicks.rowClick(0);
    EXPECT_EQ(shown(), "Command5 Command6 Option1 Option2 Text2 Command10 Command15 ");
    bans.rowClick(0);
    EXPECT_EQ(shown(), "Command5 Command6 Option1 Option2 Text2 Command7 Command8 Command9 ");

    for (Element* e : f.selectionBound()) e->setVisible(false);
    f.Command7.setVisible(true);
    players.rowClick(0);  // shows its own, hides nothing
    EXPECT_EQ(shown(), "Command5 Command6 Option1 Option2 Text2 Command7 ");
}

}  // namespace
}  // namespace vorstel
