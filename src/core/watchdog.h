#pragma once
// The whole program without its window: the model, the link, the console, the settings and
// the logs, wired together. The Qt view and the tests both drive this.
#include <filesystem>
#include <functional>
#include <memory>

#include "config/list_files.h"
#include "config/setting_reactions.h"
#include "engine/engine.h"
#include "form/form1.h"
#include "link/console.h"
#include "link/logs.h"
#include "link/monitoring.h"
#include "link/rcon_link.h"
#include "runtime/calendar.h"
#include "runtime/desktop.h"
#include "runtime/dialogs.h"
#include "runtime/reactor.h"
#include "runtime/task.h"

namespace vorstel {

struct Platform {
    Reactor& reactor;
    Desktop& desktop;
    Dialogs& dialogs;
    const Calendar& calendar;
};

class Watchdog {
public:
    Watchdog(Platform platform, const std::filesystem::path& workdir);

    Form1 form;
    TaskScope scope;
    TrafficLog traffic;
    DetectionLog detections;
    RconLink link;
    Console console;
    SettingReactions settingReactions;
    std::unique_ptr<Timer> Timer3;  // the engine tick
    Monitoring monitoring;
    Engine engine;
    int WindowReady = 0;

    Dialogs& dialogs() { return platform_.dialogs; }
    const Calendar& calendar() const { return platform_.calendar; }
    void ClearPlayers() { form.Players.clear(); }

    // The skin lists, read at start-up and at every scan.
    std::vector<std::string> SuspiciousSkins, ReservedSkins;
    int SuspiciousSkinCount = 0, ReservedSkinCount = 0;

    // A click on a tab: shows its panel and hides the row actions (but for the two Convert
    // buttons); clicking the tab already shown changes nothing.
    void TabStrip1_Click(int tab);

    void AppendDetectionLog(const std::string& message) { detections.Append(message); }

    // Runs once, before the operator can act: loads the lists and settings in their order.
    void Startup();

    // Set by the view: closes the window, which then runs Shutdown.
    std::function<void()> onCloseRequested;
    void Command2_Click();

    // The orderly end: runs once; the caller ends the program when it returns.
    Task<void> Shutdown();
    bool shuttingDown() const { return shuttingDown_; }

    const std::filesystem::path& workdir() const { return workdir_; }

private:
    void Tell(const std::string& title, const std::vector<std::string>& lines);

    PenaltyTables penaltyTables() { return {form.Warnings, form.Kicks, form.Bans}; }

    Platform platform_;
    PenaltyListsState keptLines_;
    std::filesystem::path workdir_;
    bool shuttingDown_ = false;
};

}  // namespace vorstel
