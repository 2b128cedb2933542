// Saves stopped part way, as a crash would stop them: every file is then either the old
// version or the new one, never a mixture, and the next start-up reads it.
#include <gtest/gtest.h>

#include "config/list_files.h"
#include "config/settings.h"
#include "penalties/penalty_tables.h"
#include "runtime/atomic_file.h"
#include "support.h"
#include "watchdog.h"

namespace vorstel {
namespace {

struct Killed {};

const char* kFiles[] = {"rconvorstel.ini", "warnings.lst", "kicks.lst", "bans.lst"};

class CrashSafeFiles : public ::testing::Test, protected test::Surroundings {
protected:
    CrashSafeFiles() : w({reactor, desktop, dialogs, calendar}, dir.path()) { calendar.current = {2026, 12, 5, 12, 0, 0}; }
    ~CrashSafeFiles() override { SetSaveStepHook(nullptr); }

    // Fills the tables with `rows` rows each, tagged so the two versions differ everywhere.
    void Fill(const std::string& tag, int rows) {
        for (auto* t : {&w.form.Warnings, &w.form.Kicks, &w.form.Bans}) t->clear();
        for (int i = 0; i < rows; ++i) {
            const std::string ip = "10." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ".1";
            AddPenalty(w.form.Warnings, {ip, tag + " player " + std::to_string(i), "warned", "2026-12-01", ""});
            AddPenalty(w.form.Kicks, {ip, tag + " player " + std::to_string(i), "kicked", "2026-12-01", ""});
            AddPenalty(w.form.Bans, {ip, tag + " player " + std::to_string(i), "banned", "2026-12-01", ""});
        }
        w.form.Alert7.setText(tag + " notice");
    }
    void Save() {
        SaveSettings(w.form, dir.path());
        SavePenaltyLists(dir.path(), {w.form.Warnings, w.form.Kicks, w.form.Bans}, {});
    }
    std::map<std::string, std::string> Files() {
        std::map<std::string, std::string> contents;
        for (const char* f : kFiles) contents[f] = test::ReadFile(dir / f);
        return contents;
    }

    Watchdog w;
};

TEST_F(CrashSafeFiles, ASaveStoppedAnywhereLeavesOldOrNewFiles) {
    Fill("old", 300);
    Save();
    const auto old = Files();
    Fill("new", 320);
    // Count the steps of one whole save.
    int steps = 0;
    SetSaveStepHook([&] { ++steps; });
    Save();
    const auto fresh = Files();
    ASSERT_GT(steps, 20);

    for (int killAt = 0; killAt < steps; ++killAt) {
        // Back to the old files, then a save killed at this step.
        Fill("old", 300);
        SetSaveStepHook(nullptr);
        Save();
        Fill("new", 320);
        int step = 0;
        SetSaveStepHook([&] {
            if (step++ == killAt) throw Killed{};
        });
        EXPECT_THROW(Save(), Killed);
        SetSaveStepHook(nullptr);
        for (const char* f : kFiles) {
            const auto now = test::ReadFile(dir / f);
            ASSERT_TRUE(now == old.at(f) || now == fresh.at(f)) << f << " torn after step " << killAt;
        }
    }
    // What a crash leaves behind reads back whole at the next start.
    Watchdog next({reactor, desktop, dialogs, calendar}, dir.path());
    next.Startup();
    EXPECT_TRUE(next.form.Bans.rowCount() == 300 || next.form.Bans.rowCount() == 320);
    EXPECT_TRUE(dialogs.shown.empty());
}

}  // namespace
}  // namespace vorstel
