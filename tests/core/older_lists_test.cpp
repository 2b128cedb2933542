// Penalty lists written by older installs, with dates in the operator's own short form.
#include <gtest/gtest.h>

#include <fstream>

#include "config/list_files.h"
#include "penalties/civil_date.h"
#include "penalties/penalty_tables.h"
#include "watchdog_fixture.h"

namespace vorstel {
namespace {

void Write(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary);
    out << bytes;
}

struct Locale {
    const char* name;
    DateOrder order;
    const char* form;
    // A warning from 2026-05-01; bans ending 2027-02-05 (loaded) and 2027-01-09 (over).
    const char* warned;
    const char* ends;
    const char* ended;
};

class OlderListsTest : public ::testing::TestWithParam<Locale> {};

TEST_P(OlderListsTest, DatesAreReadInTheLocalesOrderAndSavedAsYearFirst) {
    const Locale& l = GetParam();
    test::TempDir dir;
    FixedCalendar calendar;
    calendar.current = {2027, 1, 10, 12, 0, 0};
    calendar.order = l.order;
    Table warnings{"ListView2"}, kicks{"ListView3"}, bans{"ListView4"};
    SetUpWarningsTable(warnings);
    SetUpKicksTable(kicks);
    SetUpBansTable(bans);
    Write(dir / "warnings.lst", std::string("10.0.0.1\x02One\x02r\x02") + l.warned + "\r\n");
    Write(dir / "bans.lst", std::string("10.0.0.2\x02Two\x02r\x02") + l.warned + "\x02" + l.ends + "\r\n" +
                                "10.0.0.3\x02Three\x02r\x02" + l.warned + "\x02" + l.ended + "\r\n" +
                                "10.0.0.4\x02" "Four\x02r\x02" + "13/1/2026\x02soon\r\n");
    const auto load = LoadPenaltyLists(dir.path(), {warnings, kicks, bans}, calendar);

    EXPECT_EQ(warnings.rowAtIndex(0).cells(), (std::vector<std::string>{"10.0.0.1", "One", "r", "2026-05-01"}));
    ASSERT_EQ(bans.rowCount(), 1u) << l.name;
    EXPECT_EQ(bans.rowAtIndex(0).cells(), (std::vector<std::string>{"10.0.0.2", "Two", "r", "2026-05-01", "2027-02-05"}));
    EXPECT_EQ(load.expiredBans, 1u);
    // The end that no form reads is kept and reported; the one message names the form.
    ASSERT_EQ(load.messages.size(), 2u) << ::testing::PrintToString(load.messages);
    EXPECT_NE(load.messages[0].find("bans.lst line 3"), std::string::npos);
    EXPECT_EQ(load.messages[1], std::string("bans.lst, warnings.lst: 5 dates read in the form ") + l.form +
                                    "; saved as YYYY-MM-DD from now on");

    SavePenaltyLists(dir.path(), {warnings, kicks, bans}, load.kept);
    EXPECT_EQ(test::ReadFile(dir / "bans.lst"), "10.0.0.2\x02Two\x02r\x02" "2026-05-01\x02" "2027-02-05\r\n"
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
class OlderBansTest : public test::WatchdogTest {};

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
