// The settings file: defaults, the exact line written, what loading does with good and bad
// files, and the reactions that run while a file is applied; saves stopped part way.
#include <gtest/gtest.h>

#include <set>

#include "config/list_files.h"
#include "config/settings.h"
#include "penalties/penalty_tables.h"
#include "runtime/atomic_file.h"
#include "runtime/numbers.h"
#include "support.h"
#include "watchdog.h"

namespace vorstel {
namespace {

const char S = '\x02';

// The line a fresh window writes, field by field.
const std::vector<std::string> kDefaults = {
    "127.0.0.1", "12203", "myWord", "3", "45", "1", "Warning: Possible non-optimized connection - Player: $name",
    "1", "0", "3", "-1", "0",
    "1", "0", "-1", "0", "0",  // No fog
    "1", "0", "-1", "0", "0",  // White Walls
    "1", "0", "-1", "0", "0",  // Wallhack
    "1", "0", "-1", "0", "0",  // 3rd Person
    "1", "0", "-1", "0", "0",  // aimbot
    "1", "0", "-1", "0", "0",  // glowing skins
    "1", "0", "-1", "0", "0",  // modified binaries
    "Cheat Detected!! Player: $name Cheat: $cheat IP: $IP", "[MyClan]", "MyWord",
    "Server will be private in $time seconds, public players please leave",
    "0", "-1", "0", "0", "0",  // private slots
    "0", "0", "-1", "0", "0",  // reserved skins
    "Warning: Public client using private slot. Player: $name",
    "Warning: Public slot used by private player. Player: $name",
    "Warning: Public client using reserved skin. Player: $name Skin: $skin", "0", "3",
    "$ip was banned from this server on $date. Reason: $reason", "0", "0", "160", "4",
    "Ping Kick: Ping>$ping on $scans consecutive scans - Player: $name", "1"};

std::string Line(const std::vector<std::string>& fields, bool trailing = true) {
    std::string s;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        s += fields[i];
        if (trailing || i + 1 < fields.size()) s += S;
    }
    return s;
}

class SettingsTest : public ::testing::Test, protected test::Surroundings {
protected:
    SettingsTest() : w({reactor, desktop, dialogs, calendar}, dir.path()) {}

    void WriteSettings(const std::string& content) { std::ofstream(dir / "rconvorstel.ini", std::ios::binary) << content; }
    std::vector<std::string> Fields(std::initializer_list<std::pair<int, std::string>> changes) {
        auto f = kDefaults;
        for (const auto& [pos, value] : changes) f[static_cast<std::size_t>(pos)] = value;
        return f;
    }

    Watchdog w;
};

TEST_F(SettingsTest, AFreshWindowWritesEveryDefaultInItsPlaceAndASavedFileLoadsBack) {
    // Each penalty row's Warning, Kick, Ban and days, as the window lays them out, and each one
    // among the window's elements.
    std::string rows;
    for (int r = 0; r < 9; ++r) {
        const auto p = w.form.Penalty(static_cast<PenaltyRow>(r));
        for (const Element* e : std::initializer_list<const Element*>{p.Warning, p.Kick, p.Ban, p.Days})
            rows += w.form.find(e->name()) == e ? e->name() : "(not in the window)";
    }
    EXPECT_EQ(rows, "Option5(0)Option3(0)Option4(0)Text3(7)Option5(1)Option3(1)Option4(1)Text3(1)"
                    "Option5(2)Option3(2)Option4(2)Text3(3)Option5(3)Option3(4)Option4(4)Text3(8)"
                    "Option5(4)Option3(5)Option4(5)Text3(9)Option5(5)Option3(6)Option4(6)Text3(10)"
                    "Option5(8)Option3(8)Option4(8)Text3(4)Option5(6)Option3(3)Option4(3)Text3(0)"
                    "Option5(7)Option3(7)Option4(7)Text3(2)");
    w.Startup();
    EXPECT_FALSE(std::filesystem::exists(dir / "rconvorstel.ini"));
    for (const Element* e : std::initializer_list<const Element*>{&w.form.Alert1, &w.form.Label17, &w.form.Text7})
        EXPECT_FALSE(e->enabled()) << e->name();
    EXPECT_TRUE(w.form.Alert5.enabled());
    EXPECT_FALSE(w.Timer3->isActive());

    ASSERT_TRUE(test::RunToEnd(reactor, w.scope, w.Shutdown(), 0));
    EXPECT_EQ(test::ReadFile(dir / "rconvorstel.ini"), Line(kDefaults) + "\r\n");
    std::set<std::string> written;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) written.insert(e.path().filename().string());
    EXPECT_EQ(written, (std::set<std::string>{"bans.lst", "kicks.lst", "rconvorstel.ini", "warnings.lst"}));
    for (const char* list : {"warnings.lst", "kicks.lst", "bans.lst"}) EXPECT_EQ(test::ReadFile(dir / list), "") << list;
    const auto perms = std::filesystem::status(dir / "rconvorstel.ini").permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none) << "the file holds the rcon password";

    // A saved file loads back to the same values.
    w.form.txtPWD.setText("");
    w.form.Alert3.setText("");
    w.form.txtMin.setText("not a number");
    w.form.Cheats[3].setValue(0);
    w.form.Penalty(PenaltyRow::ThirdPerson).Ban->setValue(true);
    w.form.Penalty(PenaltyRow::ThirdPerson).Days->setText("7");
    w.form.Option2.setValue(true);
    w.form.Check3.setValue(0);
    w.form.Check2.setValue(1);
    EXPECT_TRUE(w.form.Text7.enabled()) << "the ping kick's message with its box";
    w.form.Alert7.setText(std::string("a") + S + "b\r\nc");  // text boxes never hold the separators
    EXPECT_EQ(w.form.Alert7.text(), "abc");
    ASSERT_TRUE(SaveSettings(w.form, dir.path()));
    const std::string saved = test::ReadFile(dir / "rconvorstel.ini");

    Watchdog fresh({reactor, desktop, dialogs, calendar}, dir.path());
    fresh.Startup();
    EXPECT_EQ(EncodeSettings(fresh.form), saved);
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SettingsTest, TheLastFieldIsOptionalAndShortOrEmptyLinesKeepDefaults) {
    const auto fields = Fields({{72, "0"}, {0, "10.0.0.1"}});
    std::vector<std::string> without72(fields.begin(), fields.end() - 1);
    for (const auto& content : {Line(without72, false),   // 72 pieces
                                Line(without72, true),    // 73, the last empty
                                Line(fields, false)}) {   // 73 fields, no final separator
        Form1 f;
        EXPECT_TRUE(ApplySettings(f, content).empty());
        EXPECT_EQ(EncodeSettings(f), Line(Fields({{0, "10.0.0.1"}})) + "\r\n");
    }
    Form1 f;
    ApplySettings(f, Line(fields) + "extra" + S + "more" + S);
    EXPECT_EQ(f.Check3.value(), 0);

    // A line cut in the middle of field 3: fields 0 to 2 are used, the cut one is not.
    EXPECT_FALSE(ApplySettings(f, std::string("h") + S + "1" + S + "pw" + S + "1").empty());
    EXPECT_EQ(EncodeSettings(f), Line(Fields({{0, "h"}, {1, "1"}, {2, "pw"}, {72, "0"}})) + "\r\n");

    WriteSettings("");  // an empty file keeps the defaults
    w.Startup();
    EXPECT_EQ(EncodeSettings(w.form), Line(kDefaults) + "\r\n");
    EXPECT_EQ(dialogs.shown.size(), 1u);
}

TEST_F(SettingsTest, ReactionsRunWhileTheFileIsAppliedAndGroupsTakeTheLastSelectedButtonOrNone) {
    // Text2 comes before the pair, so the stored choice wins over its reaction (Option1 stays). No
    // fog: all three cleared; White Walls: Warning and Ban both marked, and Ban, the last, is kept.
    Form1 f;
    ApplySettings(f, Line(Fields({{9, "5"}, {10, "-1"}, {11, "0"}, {13, "0"}, {14, "0"}, {15, "0"}, {18, "-1"},
                                  {19, "0"}, {20, "1"}})));
    EXPECT_EQ(EncodeSettings(f), Line(Fields({{9, "5"}, {10, "-1"}, {11, "0"}, {13, "0"}, {14, "0"}, {15, "0"},
                                              {18, "0"}, {19, "0"}, {20, "-1"}})) + "\r\n");

    // Logea off disables Silent, whose own field then checks it.
    WriteSettings(Line(Fields({{7, "0"}, {8, "1"}, {51, "1"}, {56, "1"}, {5, "0"}})) + "\r\n");
    w.Startup();
    EXPECT_EQ(w.form.Silent.value(), 1);
    EXPECT_FALSE(w.form.Silent.enabled());
    EXPECT_TRUE(w.form.Alert1.enabled() && w.form.Alert2.enabled());
    EXPECT_TRUE(w.form.Label17.enabled() && w.form.Alert4.enabled());
    EXPECT_FALSE(w.form.Alert5.enabled());
}

TEST_F(SettingsTest, PrivateChecksRefuseAnEmptyTagOrPassword) {
    WriteSettings(Line(Fields({{48, ""}, {49, ""}, {51, "1"}, {56, "1"}})) + "\r\n");
    w.Startup();
    EXPECT_EQ(EncodeSettings(w.form), Line(Fields({{48, ""}, {49, ""}})) + "\r\n") << "both checks refused";
    EXPECT_FALSE(w.form.Alert1.enabled());
    EXPECT_FALSE(w.form.Label17.enabled());
    ASSERT_EQ(dialogs.titles(), (std::vector<std::string>{"No tag provided!!", "No password provided!!"}));
    EXPECT_EQ(dialogs.shown[0].text, "Reserved slots can't be checked without an appropiate tag");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);

    // Leaving an emptied box switches its check off even when it was on.
    w.form.txtTAG.setText("[X]");
    w.form.Check1.setValue(1);
    EXPECT_TRUE(w.form.Alert1.enabled());
    w.form.txtTAG.setText("");
    w.form.txtTAG.lostFocus();
    EXPECT_EQ(w.form.Check1.value(), 0);
    EXPECT_FALSE(w.form.Alert2.enabled());
    w.form.txtPRP.lostFocus();  // the password is still empty: told again
    EXPECT_EQ(dialogs.titles(), (std::vector<std::string>{"No tag provided!!", "No password provided!!",
                                                          "No tag provided!!", "No password provided!!"}));
}

// Only the first line counts.
TEST_F(SettingsTest, UnusableFieldsKeepTheirValuesAndTheFileIsKeptAside) {
    const std::string bad = Line(Fields({{0, "10.9.8.7"}, {1, "27960"}, {5, "2"}, {14, "x"}, {12, ""}})) + "\r\n" +
                            Line(Fields({{1, "1"}})) + "\r\n";
    WriteSettings(bad);
    w.Startup();
    EXPECT_EQ(EncodeSettings(w.form), Line(Fields({{0, "10.9.8.7"}, {1, "27960"}})) + "\r\n");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    for (const char* named : {"Check6", "Option3(0)", "Cheats(0)"})
        EXPECT_NE(dialogs.shown[0].text.find(named), std::string::npos) << named;
    EXPECT_EQ(test::ReadFile(dir / "rconvorstel.ini.rejected"), bad);
}

// A file that exists but cannot be read is not a missing file: the operator is told, and the
// orderly end leaves it as it is instead of writing the defaults over it.
TEST_F(SettingsTest, AnUnreadableFileIsReportedAndNeverOverwritten) {
    namespace fs = std::filesystem;
    const auto file = dir / "rconvorstel.ini";
    const std::string saved = Line(Fields({{0, "10.9.8.7"}})) + "\r\n";
    WriteSettings(saved);
    fs::permissions(file, fs::perms::none);
    const bool denied = !std::ifstream(file, std::ios::binary).good();
    if (!denied) {  // the superuser reads everything: a link that leads nowhere but to itself
        fs::remove(file);
        fs::create_symlink("rconvorstel.ini", file);
    }
    w.Startup();
    ASSERT_EQ(dialogs.titles(), std::vector<std::string>{"Settings file"});
    EXPECT_NE(dialogs.shown[0].text.find("could not be read"), std::string::npos) << dialogs.shown[0].text;
    EXPECT_EQ(EncodeSettings(w.form), Line(kDefaults) + "\r\n");

    ASSERT_TRUE(test::RunToEnd(reactor, w.scope, w.Shutdown(), 0));
    EXPECT_EQ(dialogs.shown.size(), 1u) << "not saving it is no failure";
    if (denied) {
        fs::permissions(file, fs::perms::owner_read);
        EXPECT_EQ(test::ReadFile(file), saved);
    } else {
        EXPECT_TRUE(fs::is_symlink(file));
    }
    EXPECT_TRUE(fs::exists(dir / "bans.lst")) << "the lists are saved all the same";
}

// A save stopped part way, as a crash would stop it: every file is then either the old version
// or the new one, never a mixture, and the next start-up reads it.
TEST_F(SettingsTest, ASaveStoppedAnywhereLeavesOldOrNewFiles) {
    struct Killed {};
    const char* files[] = {"rconvorstel.ini", "warnings.lst", "kicks.lst", "bans.lst"};
    // Fills the tables with `rows` rows each, tagged so the two versions differ everywhere, and
    // saves; a save stopped at step `killAt` throws.
    const auto save = [&](const std::string& tag, int rows, int killAt) {
        for (auto* t : {&w.form.Warnings, &w.form.Kicks, &w.form.Bans}) t->clear();
        for (int i = 0; i < rows; ++i) {
            const std::string ip = "10." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ".1";
            AddPenalty(w.form.Warnings, {ip, tag + " player " + std::to_string(i), "warned", "2026-12-01", ""});
            AddPenalty(w.form.Kicks, {ip, tag + " player " + std::to_string(i), "kicked", "2026-12-01", ""});
            AddPenalty(w.form.Bans, {ip, tag + " player " + std::to_string(i), "banned", "2026-12-01", ""});
        }
        w.form.Alert7.setText(tag + " notice");
        int step = 0;
        SetSaveStepHook([&] {
            if (step++ == killAt) throw Killed{};
        });
        try {
            SaveSettings(w.form, dir.path());
            SavePenaltyLists(dir.path(), {w.form.Warnings, w.form.Kicks, w.form.Bans}, {});
        } catch (const Killed&) {
        }
        SetSaveStepHook(nullptr);
        std::map<std::string, std::string> contents;
        for (const char* f : files) contents[f] = test::ReadFile(dir / f);
        return std::pair(step, contents);
    };
    const auto old = save("old", 300, -1).second;
    const auto [steps, fresh] = save("new", 320, -1);
    ASSERT_GT(steps, 20);

    for (int killAt = 0; killAt < steps; ++killAt) {
        save("old", 300, -1);
        const auto [stoppedAfter, now] = save("new", 320, killAt);
        EXPECT_EQ(stoppedAfter, killAt + 1);
        for (const char* f : files)
            ASSERT_TRUE(now.at(f) == old.at(f) || now.at(f) == fresh.at(f)) << f << " torn after step " << killAt;
    }
    // What a crash leaves behind reads back whole at the next start.
    Watchdog next({reactor, desktop, dialogs, calendar}, dir.path());
    next.Startup();
    EXPECT_TRUE(next.form.Bans.rowCount() == 300 || next.form.Bans.rowCount() == 320);
    EXPECT_TRUE(dialogs.shown.empty());
}

// What the number boxes (days, intervals, thresholds, ping limits) take: a whole number, blanks
// around it, a fraction rounded half to even; nothing else.
TEST(NumberBoxes, TakeWholeNumbersAndRoundFractionsHalfToEven) {
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {" 7 ", 7},  {"+7", 7},    {"-7", -7},   {"2.5", 2},   {"3.5", 4},  {"-2.5", -2}, {"2.50", 2},
        {"2.501", 3}, {"2.49", 2}, {".5", 0},    {"7.", 7},    {"", {}},    {"-", {}},    {".", {}},
        {"1e3", {}}, {"7 days", {}}, {"0x10", {}}, {"1 000", {}},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseWholeNumber(text), value) << '"' << text << '"';
    EXPECT_EQ(ToInteger("32767.5"), std::nullopt);
    EXPECT_EQ(ToInteger("-32768.4"), -32768);
    EXPECT_EQ(ToLong("2147483648"), std::nullopt);
}

TEST_F(SettingsTest, ScanOnStartStartsTheEngineAtOnceOnlyWhenTheLoadedFileSaysSo) {
    for (const bool scanOnStart : {false, true}) {
        WriteSettings(Line(Fields({{67, scanOnStart ? "1" : "0"}})) + "\r\n");
        Watchdog fresh({reactor, desktop, dialogs, calendar}, dir.path());
        fresh.Startup();
        EXPECT_EQ(fresh.Timer3->isActive() && fresh.Timer3->interval() == 100, scanOnStart);
    }
}

}  // namespace
}  // namespace vorstel
