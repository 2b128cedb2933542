#pragma once
// The whole program without its window: the model, the link, the console, the settings and
// the logs, wired together. The Qt view and the tests both drive this.
#include <filesystem>
#include <functional>
#include <memory>
#include <set>

#include "config/list_files.h"
#include "config/setting_reactions.h"
#include "console/window_handlers.h"
#include "engine/engine.h"
#include "form/form1.h"
#include "link/console.h"
#include "link/logs.h"
#include "link/monitoring.h"
#include "link/rcon_link.h"
#include "penalties/ban_index.h"
#include "penalties/operator_actions.h"
#include "scan/scan.h"
#include "scan/status_line.h"
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
    // First, so that every member below may use them while it is built.
    Platform platform_;
    std::filesystem::path workdir_;

public:
    Watchdog(Platform platform, const std::filesystem::path& workdir);

    Form1 form;
    BanIndex banIndex{form.Bans};  // the ban rows by address, for the patrol
    BanIndex warningIndex{form.Warnings}, kickIndex{form.Kicks};  // for the escalation
    TaskScope scope;
    TrafficLog traffic;
    DetectionLog detections;
    RconLink link;
    Console console;
    SettingReactions settingReactions;
    std::unique_ptr<Timer> Timer3;  // the engine tick
    Monitoring monitoring;
    Engine engine;
    WindowHandlers handlers{*this};  // the links, "Delete log" and the interval boxes
    Scan scan;
    OperatorActions actions;
    int WindowReady = 0;

    // The status line being handled, shared by the scan and the patrol, and whether the
    // scan's current player is to be kicked at the end of his checks.
    PlayerLine CurrentPlayer;
    bool KickPending = false;
    // "address@count#" for each player over the ping limit in the last patrol.
    std::string HighPingTally;

    // Tells the operator something in the output pane, once for each distinct text.
    void Notice(const std::string& text);
    Reactor& reactor() { return platform_.reactor; }

    Dialogs& dialogs() { return platform_.dialogs; }
    Desktop& desktop() { return platform_.desktop; }
    const Calendar& calendar() const { return platform_.calendar; }
    void ClearPlayers() { form.Players.clear(); }

    // The skin lists, read at start-up and at every scan.
    std::vector<std::string> SuspiciousSkins, ReservedSkins;
    int SuspiciousSkinCount = 0, ReservedSkinCount = 0;

    // A click on a tab: shows its panel and hides the row actions (but for the two Convert
    // buttons); clicking the tab already shown changes nothing.
    void TabStrip1_Click(int tab);

    void AppendDetectionLog(const std::string& message) {
        detections.Append(message);
        if (onDetectionLogged) onDetectionLogged(message);
    }
    // Hears every line of the detection log, including those of silent detections.
    std::function<void(const std::string&)> onDetectionLogged;

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

    PenaltyListsState keptLines_;
    std::set<std::string> told_;
    bool shuttingDown_ = false;
    bool settingsUnreadable_ = false;  // never written over with what the window holds
};

}  // namespace vorstel
