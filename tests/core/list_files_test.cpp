// The list files: what is loaded, what is kept, and the bytes written; lists written by older
// installs, with dates in the operator's own short form.
#include <gtest/gtest.h>

#include "config/list_files.h"
#include "penalties/civil_date.h"
#include "penalties/penalty_tables.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

using test::ReadFile;
using test::Rows;
using test::TempDir;
using Cells = std::vector<std::string>;

void Write(const std::filesystem::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

class ListFilesTest : public ::testing::Test {
protected:
    ListFilesTest() {
        calendar.current = {2024, 5, 10, 12, 0, 0};
        SetUpWarningsTable(warnings);
        SetUpKicksTable(kicks);
        SetUpBansTable(bans);
    }
    PenaltyListsLoad Load() { return LoadPenaltyLists(dir.path(), {warnings, kicks, bans}, calendar); }
    std::vector<std::string> Save(const PenaltyListsState& kept = {}) {
        return SavePenaltyLists(dir.path(), {warnings, kicks, bans}, kept);
    }

    TempDir dir;
    FixedCalendar calendar;
    Table warnings{"ListView2"}, kicks{"ListView3"}, bans{"ListView4"};
};

// ---- loading ----

TEST_F(ListFilesTest, RowsLoadInAddressOrderWithTheirBytesUntouchedAndBansUntilTheirEndDay) {
    Write(dir / "warnings.lst",
          "10.0.0.9\x02 Spaced Name \x02\xE9t\xE9\x02" "2024-01-02\r\n"
          "10.0.0.10\x02Two\x02r\x02" "2024-01-03\n"
          "10.0.0.1\x02One\x02\x02" "2024-01-04\r"
          "10.0.0.5\x02" "Five\x02r5\x02" "2024-01-05");
    // Blank lines hold nothing: dropped without a word.
    Write(dir / "kicks.lst", "\r\nb\x02k\x02r\x02" "d\r\n\r\n  \t\r\na\x02k\x02r\x02" "d\r\n\r\n");
    // Today is 2024-05-10.
    Write(dir / "bans.lst",
          "1\x02n\x02r\x02" "2024-01-01\x02\r\n"            // no end
          "2\x02n\x02r\x02" "2024-01-01\x02" "2024-05-11\r\n"  // ends tomorrow: still banned
          "3\x02n\x02r\x02" "2024-01-01\x02" "2024-05-10\r\n"  // ends today: over
          "5\x02n\x02r\x02" "2024-01-01\x02" "9999-12-31\r\n");
    warnings.headerClick(1);  // loading sorts by address whatever the table was sorted by
    const auto load = Load();
    EXPECT_TRUE(load.messages.empty());
    EXPECT_EQ(Rows(warnings), (std::vector<Cells>{{"10.0.0.1", "One", "", "2024-01-04"},
                                                    {"10.0.0.10", "Two", "r", "2024-01-03"},
                                                    {"10.0.0.5", "Five", "r5", "2024-01-05"},
                                                    {"10.0.0.9", " Spaced Name ", "\xE9t\xE9", "2024-01-02"}}));
    EXPECT_EQ(Rows(kicks), (std::vector<Cells>{{"a", "k", "r", "d"}, {"b", "k", "r", "d"}}));
    EXPECT_EQ(Rows(bans), (std::vector<Cells>{{"1", "n", "r", "2024-01-01", ""},
                                                {"2", "n", "r", "2024-01-01", "2024-05-11"},
                                                {"5", "n", "r", "2024-01-01", "9999-12-31"}}));

    // Expired bans are gone from the next save; that is their end, not a loss.
    EXPECT_TRUE(Save(load.kept).empty());
    EXPECT_EQ(ReadFile(dir / "kicks.lst"), "a\x02k\x02r\x02" "d\r\nb\x02k\x02r\x02" "d\r\n");
    EXPECT_EQ(ReadFile(dir / "bans.lst"),
              "1\x02n\x02r\x02" "2024-01-01\x02\r\n"
              "2\x02n\x02r\x02" "2024-01-01\x02" "2024-05-11\r\n"
              "5\x02n\x02r\x02" "2024-01-01\x02" "9999-12-31\r\n");
}

TEST_F(ListFilesTest, LinesThatCannotLoadAreReportedAndWrittenBackAfterTheRows) {
    const std::string bad[] = {
        "just text",                                      // too few fields
        "1\x02n\x02r\x02" "2024-01-01\x02" "2024-02-30",  // no such day
        "3\x02n\x02r\x02" "2024-01-01\x02" "2025-01-01\x02" "extra",  // a sixth field with text
    };
    Write(dir / "bans.lst", "z\x02n\x02r\x02" "d\x02\r\n" + bad[0] + "\n" + bad[1] + "\r" +
                                "y\x02n\x02r\x02" "d\x02" "2030-01-01\x02\x02\r\n" + bad[2] + "\r\n");
    Write(dir / "warnings.lst", "a\x02" "b\x02" "c\r\n");
    const auto load = Load();

    EXPECT_EQ(load.messages,
              (std::vector<std::string>{
                  "warnings.lst line 1: 3 field(s) where 4 are needed; not loaded, kept in the file",
                  "bans.lst line 2: 1 field(s) where 5 are needed; not loaded, kept in the file",
                  "bans.lst line 3: the ban's end is not a date (YYYY-MM-DD); not loaded, kept in the file",
                  "bans.lst line 5: 6 fields where 5 are expected; not loaded, kept in the file",
              }));
    // Empty extra fields are only trailing separators: the row loads.
    EXPECT_EQ(Rows(bans), (std::vector<Cells>{{"y", "n", "r", "d", "2030-01-01"}, {"z", "n", "r", "d", ""}}));
    EXPECT_EQ(load.kept.bans.lines, (std::vector<std::string>(std::begin(bad), std::end(bad))));

    AddBan(bans, calendar, "x", "new", "r", std::nullopt);
    EXPECT_TRUE(Save(load.kept).empty());
    EXPECT_EQ(ReadFile(dir / "bans.lst"),
              "x\x02new\x02r\x02" "2024-05-10\x02\r\n"
              "y\x02n\x02r\x02" "d\x02" "2030-01-01\r\n"
              "z\x02n\x02r\x02" "d\x02\r\n" +
                  bad[0] + "\r\n" + bad[1] + "\r\n" + bad[2] + "\r\n");
    EXPECT_EQ(ReadFile(dir / "warnings.lst"), "a\x02" "b\x02" "c\r\n");
}

TEST_F(ListFilesTest, ManyBadLinesAreAllKeptButReportedInShort) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "junk " + std::to_string(i) + "\r\n";
    Write(dir / "kicks.lst", text);
    const auto load = Load();
    ASSERT_EQ(load.messages.size(), 11u);
    EXPECT_EQ(load.messages.back(), "kicks.lst: 490 more lines not loaded, kept in the file");
    EXPECT_TRUE(Save(load.kept).empty());
    EXPECT_EQ(ReadFile(dir / "kicks.lst"), text);
}

TEST_F(ListFilesTest, AFileThatCannotBeReadIsNeverOverwritten) {
    std::filesystem::create_directory(dir / "bans.lst");
    Write(dir / "kicks.lst", "k\x02n\x02r\x02" "d\r\n");
    const auto load = Load();
    EXPECT_EQ(load.messages, (std::vector<std::string>{
                                 "bans.lst: could not be read (it is a directory); it will not be overwritten"}));

    bans.addRow({"new"});
    EXPECT_EQ(Save(load.kept), (std::vector<std::string>{
                                   "bans.lst: not saved, because it could not be read at start-up and would be lost"}));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "bans.lst"));
    EXPECT_EQ(ReadFile(dir / "kicks.lst"), "k\x02n\x02r\x02" "d\r\n");
}

// ---- saving ----

TEST_F(ListFilesTest, SaveWritesEachTableInDisplayOrderByteForByte) {
    AddWarning(warnings, calendar, "10.0.0.2", "Zed", "spam");
    AddWarning(warnings, calendar, "10.0.0.1", "Amy", "camping");
    warnings.headerClick(1);  // by name: Amy, Zed
    AddBan(bans, calendar, "10.0.0.4", "Cy", "wallhack", std::nullopt);
    AddBan(bans, calendar, "10.0.0.3", "Bob", "aimbot", 7);  // takes its place by address
    EXPECT_TRUE(Save().empty());

    EXPECT_EQ(ReadFile(dir / "warnings.lst"),
              "10.0.0.1\x02" "Amy\x02" "camping\x02" "2024-05-10\r\n"
              "10.0.0.2\x02" "Zed\x02" "spam\x02" "2024-05-10\r\n");
    EXPECT_EQ(ReadFile(dir / "bans.lst"),
              "10.0.0.3\x02" "Bob\x02" "aimbot\x02" "2024-05-10\x02" "2024-05-17\r\n"
              "10.0.0.4\x02" "Cy\x02" "wallhack\x02" "2024-05-10\x02\r\n");
}

TEST_F(ListFilesTest, SeparatorAndLineBreaksInFieldsAreWrittenAsSpaces) {
    warnings.addRow({"10.0.0.1", "Na\x02me", "two\r\nlines", "\n"});
    bans.addRow({"10.0.0.2\r", "x", "y", "z", ""});
    EXPECT_TRUE(Save().empty());
    EXPECT_EQ(ReadFile(dir / "warnings.lst"), "10.0.0.1\x02Na me\x02two  lines\x02 \r\n");
    EXPECT_EQ(ReadFile(dir / "bans.lst"), "10.0.0.2 \x02x\x02y\x02z\x02\r\n");
    const auto load = Load();
    EXPECT_TRUE(load.messages.empty());
    EXPECT_EQ(warnings.rowCount(), 1u);
    EXPECT_EQ(bans.rowCount(), 1u);
}

TEST_F(ListFilesTest, AFileThatCannotBeWrittenDoesNotStopTheOthers) {
    std::filesystem::create_directory(dir / "kicks.lst");
    std::ofstream(dir / "kicks.lst" / "inside") << "x";
    warnings.addRow({"w", "n", "r", "d"});
    kicks.addRow({"k", "n", "r", "d"});
    bans.addRow({"b", "n", "r", "d", ""});
    const auto failures = Save();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].rfind("kicks.lst: could not be saved (", 0), 0u) << failures[0];
    EXPECT_EQ(ReadFile(dir / "warnings.lst"), "w\x02n\x02r\x02" "d\r\n");
    EXPECT_EQ(ReadFile(dir / "bans.lst"), "b\x02n\x02r\x02" "d\x02\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "kicks.lst.tmp"));
}

// ---- skins.txt and reserved.txt ----

TEST(SkinList, EntriesAreTheFilesLinesExactlyAndAMissingFileChangesNothing) {
    TempDir dir;
    std::vector<std::string> list{"old", "entries"};
    int count = 2;
    Write(dir / "reserved.txt", " Padded Name \r\n\r\n\tTab\nlone cr\rno end");
    EXPECT_TRUE(ReadSkinList(dir / "reserved.txt", list, count));
    EXPECT_EQ(list, (std::vector<std::string>{" Padded Name ", "", "\tTab", "lone cr", "no end"}));
    EXPECT_EQ(count, 5);

    EXPECT_FALSE(ReadSkinList(dir / "skins.txt", list, count));
    std::filesystem::create_directory(dir / "skins.txt");
    EXPECT_FALSE(ReadSkinList(dir / "skins.txt", list, count));
    EXPECT_EQ(list.size(), 5u);
    EXPECT_EQ(count, 5);
}

TEST(SplitLines, EachLineEndEndsOneLine) {
    EXPECT_EQ(SplitLines(""), std::vector<std::string>{});
    EXPECT_EQ(SplitLines("\r\n"), std::vector<std::string>{""});
    EXPECT_EQ(SplitLines("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitLines("a\r\r\nb\n\n"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(SplitLines(std::string("a\0b\r", 4)), std::vector<std::string>{std::string("a\0b", 3)});
}

// ---- lists from older installs ----

struct Locale {
    const char* name;
    DateOrder order;
    const char* form;
    // A warning from 2026-05-01; bans ending 2027-02-05 (loaded) and 2027-01-09 (over).
    const char* warned;
    const char* ends;
    const char* ended;
};

class OlderListsTest : public ListFilesTest, public ::testing::WithParamInterface<Locale> {};

TEST_P(OlderListsTest, DatesAreReadInTheLocalesOrderAndSavedAsYearFirst) {
    const Locale& l = GetParam();
    calendar.current = {2027, 1, 10, 12, 0, 0};
    calendar.order = l.order;
    Write(dir / "warnings.lst", std::string("10.0.0.1\x02One\x02r\x02") + l.warned + "\r\n");
    Write(dir / "bans.lst", std::string("10.0.0.2\x02Two\x02r\x02") + l.warned + "\x02" + l.ends + "\r\n" +
                                "10.0.0.3\x02Three\x02r\x02" + l.warned + "\x02" + l.ended + "\r\n" +
                                "10.0.0.4\x02" "Four\x02r\x02" + "13/1/2026\x02soon\r\n");
    const auto load = Load();

    EXPECT_EQ(Rows(warnings), (std::vector<Cells>{{"10.0.0.1", "One", "r", "2026-05-01"}}));
    EXPECT_EQ(Rows(bans), (std::vector<Cells>{{"10.0.0.2", "Two", "r", "2026-05-01", "2027-02-05"}}));
    // The end that no form reads is kept and reported; the one message names the form.
    ASSERT_EQ(load.messages.size(), 2u) << ::testing::PrintToString(load.messages);
    EXPECT_NE(load.messages[0].find("bans.lst line 3"), std::string::npos);
    EXPECT_EQ(load.messages[1], std::string("bans.lst, warnings.lst: 5 dates read in the form ") + l.form +
                                    "; saved as YYYY-MM-DD from now on");

    Save(load.kept);
    EXPECT_EQ(ReadFile(dir / "bans.lst"), "10.0.0.2\x02Two\x02r\x02" "2026-05-01\x02" "2027-02-05\r\n"
                                          "10.0.0.4\x02" "Four\x02r\x02" "13/1/2026\x02soon\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Locales, OlderListsTest,
    ::testing::Values(Locale{"de_DE", DateOrder::DayFirst, "DD.MM.YYYY", "1.5.2026", "5.2.2027", "9.1.2027"},
                      Locale{"en_US", DateOrder::MonthFirst, "MM/DD/YYYY", "5/1/2026", "2/5/2027", "1/9/2027"},
                      Locale{"en_GB", DateOrder::DayFirst, "DD/MM/YY", "01/05/26", "05/02/27", "09/01/27"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShortDates, ADateValidInOneOrderOnlyIsReadSoWhateverTheLocale) {
    EXPECT_EQ(FormatDate(ParseShortDate("13/1/2027", DateOrder::MonthFirst)->date), "2027-01-13");
    EXPECT_EQ(FormatDate(ParseShortDate("1-13-2027", DateOrder::DayFirst)->date), "2027-01-13");
    EXPECT_EQ(FormatDate(ParseShortDate("2027-1-5", DateOrder::MonthFirst)->date), "2027-01-05");
    for (const char* bad : {"31/31/2027", "1.2/2027", "1.2.27.5", "1.2.202", "", "..", "29.2.2027", "a.b.c"})
        EXPECT_FALSE(ParseShortDate(bad, DateOrder::DayFirst)) << bad;
}

// A timed ban from an older install keeps its player out.
using OlderBansTest = test::WatchdogTest;

TEST_F(OlderBansTest, ATimedBanInTheLocalesFormIsEnforced) {
    calendar.order = DateOrder::MonthFirst;
    Write(dir / "bans.lst", "10.0.0.5\x02" "Alice\x02" "cheat\x02" "11/30/2026\x02" "12/6/2026\r\n");
    server.addPlayer(test::HonestPlayer("Alice", "10.0.0.5:12203"));
    w.Startup();
    w.form.Command1.click();
    reactor.advance(30000);
    const auto sent = server.commands();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "clientkick 0"), sent.end());
    EXPECT_EQ(PenaltyAt(w.form.Bans, 0).Until, "2026-12-06");
}

}  // namespace
}  // namespace vorstel
