// The window's small reactions: the editor links, emptying the detection log, the guard on
// the interval boxes (in virtual time against the simulated server) and the patrol floor.
#include <gtest/gtest.h>

#include "watchdog_fixture.h"

namespace vorstel {
namespace {

class WindowHandlersTest : public test::WatchdogTest {
protected:
    WindowHandlersTest() {
        server.addPlayer(test::HonestPlayer("Alice", "10.0.0.5:12203"));
        w.Startup();
    }

    // Started and past the warm-up and the first scan and patrol: the engine idles between ticks.
    void Monitor() {
        w.form.Command1.click();
        reactor.runUntil([&] { return w.form.Command1.enabled() && w.form.Command1.caption() == "Start"; }, 60000);
        reactor.advance(2500);
        ASSERT_TRUE(w.Timer3->isActive());
        Received();
    }
    std::string Edit(const std::string& file) const { return "edit:" + (dir.path() / file).string(); }
};

TEST_F(WindowHandlersTest, LinksOpenTheirFilesInTheEditorOrSayWhichFileWithoutOneAndDeleteLogAsks) {
    auto& f = w.form;
    f.Label11.click();
    f.Label12.click();
    f.Label17.click();  // disabled until reserved skins are scanned for
    EXPECT_EQ(desktop.calls, (std::vector<std::string>{Edit("skins.txt"), Edit("vorstel.log")}));

    f.Check5.setValue(1);
    f.Label17.click();
    EXPECT_EQ(desktop.calls.back(), Edit("reserved.txt"));

    desktop.editorStarts = false;
    w.form.Label11.click();
    reactor.advance(0);
    // Missing files are the editor's business: none is created, the operator is told where it goes.
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].title, "No text editor");
    EXPECT_EQ(dialogs.shown[0].text, "skins.txt does not exist yet, and no text editor could be started to create it.\r\n\r\n"
                                     "Create it as " + (dir / "skins.txt").string());

    // Delete Log asks, and empties the log only on Yes.
    std::ofstream(dir / "vorstel.log", std::ios::binary) << "2026-12-05 21:07:00 Cheat Detected!!\r\n";
    w.form.Label13.click();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    const auto& box = dialogs.shown[1];
    EXPECT_EQ(std::tie(box.title, box.text, box.icon, box.buttons, box.defaultAnswer),
              std::tuple("Delete Log File", "Are you sure you want to delete the log file??", MessageIcon::Critical,
                         MessageButtons::YesNo, MessageAnswer::No));
    EXPECT_EQ(test::ReadFile(dir / "vorstel.log"), "2026-12-05 21:07:00 Cheat Detected!!\r\n");

    dialogs.answers = {MessageAnswer::Yes};
    w.form.Label13.click();
    ASSERT_TRUE(std::filesystem::exists(dir / "vorstel.log")) << "truncated, not removed";
    EXPECT_EQ(std::filesystem::file_size(dir / "vorstel.log"), 0u);

    // Logging goes on into the emptied file.
    calendar.current = {2027, 1, 31, 9, 7, 3};
    w.AppendDetectionLog("after");
    EXPECT_EQ(test::ReadFile(dir / "vorstel.log"), "2027-01-31 09:07:03 after\r\n");
}

TEST_F(WindowHandlersTest, TheFirstKeyInAnIntervalBoxStopsMonitoring) {
    for (TextBox* box : {&w.form.txtMin, &w.form.MinPolt}) {
        SCOPED_TRACE(box->name());
        Monitor();
        ASSERT_EQ(w.form.Players.rowCount(), 1u);
        std::vector<std::string> disabled;
        for (auto* e : w.form.linkGuarded())
            e->addListener([&disabled, e](Property p) {
                if (p == Property::Enabled && !e->enabled()) disabled.push_back(e->name());
            });
        box->keyDown(37);  // a navigation key counts too
        EXPECT_EQ(disabled, (std::vector<std::string>{"Command1", "Command2", "Command13", "Text1", "txtSVR", "txtPORT",
                                                      "txtPWD", "txtMin", "MinPolt"}));
        EXPECT_FALSE(w.Timer3->isActive());
        EXPECT_EQ(w.form.Players.rowCount(), 0u);
        reactor.runUntil([&] { return w.form.Command1.enabled(); }, 10000);
        EXPECT_EQ(Received(), (std::vector<std::string>{"set sv_vorstel 0", "set nextmap \"\"", "set resetvalue 0"}));
        // Later keys, with the engine stopped, do nothing more.
        box->keyDown('1');
        reactor.advance(5000);
        EXPECT_TRUE(Received().empty());
        for (auto* e : w.form.linkGuarded()) EXPECT_TRUE(e->enabled()) << e->name();
        for (auto* e : w.form.linkGuarded()) e->clearListeners();
    }
}

TEST_F(WindowHandlersTest, ATabChangeHidesTheRowActionsAndThePatrolIntervalHasAFloor) {
    auto& f = w.form;
    f.Players.addRows({{"0", "48", "Alice", "10.0.0.5", "25000", "", ""}});
    f.Warnings.addRows({{"10.0.0.5", "Alice", "No fog", "2026-12-05"}});
    f.Players.rowClick(0);
    f.Warnings.rowClick(0);
    auto shown = [&] {
        std::vector<std::string> names;
        for (auto* e : f.selectionBound())
            if (e->visible()) names.push_back(e->name());
        return names;
    };
    const auto before = shown();
    ASSERT_FALSE(before.empty());

    // The tab already shown, and tabs that do not exist, change nothing.
    for (int tab : {0, -1, 4}) {
        w.TabStrip1_Click(tab);
        EXPECT_EQ(f.ShownPanel, 0);
        EXPECT_EQ(shown(), before) << tab;
    }
    w.TabStrip1_Click(3);
    EXPECT_EQ(f.ShownPanel, 3);
    EXPECT_EQ(shown(), std::vector<std::string>{"Command14"});
    EXPECT_EQ(f.Players.selectedIndex(), 0u);
    EXPECT_EQ(f.Warnings.selectedIndex(), 0u);
    w.TabStrip1_Click(0);
    EXPECT_EQ(f.ShownPanel, 0) << "and back to the first";

    // The patrol interval has a floor of thirty on leaving the box; the scan interval has none.
    const std::pair<std::string, std::string> cases[] = {
        {"10", "30"},   {"29.4", "30"}, {"-45", "30"},    {"0", "30"},
        {"", "30"},     {"abc", "30"},  {"99999", "30"},  {"4e", "30"},   // no number, or beyond 16 bits
        {"30", "30"},   {"45", "45"},   {"29.7", "29.7"}, {" 60 ", " 60 "},  // kept as typed
        {"32767", "32767"},
    };
    for (const auto& [typed, left] : cases) {
        w.form.MinPolt.setText(typed);
        w.form.MinPolt.lostFocus();
        EXPECT_EQ(w.form.MinPolt.text(), left) << "typed \"" << typed << '"';
    }
    w.form.txtMin.setText("1");
    w.form.txtMin.lostFocus();
    EXPECT_EQ(w.form.txtMin.text(), "1") << "the scan interval has no floor";
}

}  // namespace
}  // namespace vorstel
