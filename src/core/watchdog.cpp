#include "watchdog.h"

#include <iostream>

#include "config/settings.h"
#include "penalties/patrol.h"
#include "penalties/penalty_tables.h"

namespace vorstel {

Watchdog::Watchdog(Platform platform, const std::filesystem::path& workdir)
    : platform_(platform),
      workdir_(workdir),
      traffic(workdir / "activity.log"),
      detections(workdir / "vorstel.log", platform.calendar),
      link(platform.reactor, form, traffic),
      console(form, link, scope, platform.desktop),
      settingReactions(form, platform.dialogs, scope),
      Timer3(platform.reactor.createTimer()),
      monitoring(*this),
      engine(*this),
      scan(*this),
      actions(*this) {
    scope.setErrorHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::cerr << "vorstel: " << e.what() << '\n';
        } catch (...) {
            std::cerr << "vorstel: unknown error\n";
        }
    });
    Timer3->setInterval(1000);
    Timer3->onTimeout = [this] { engine.Timer3_Timer(); };
    engine.ScanWork = [this] { return scan.Work(); };
    engine.PatrolWork = [this] { return RunPatrol(*this); };
    form.Command2.onClick = [this] { Command2_Click(); };
    WireRowClicks(form.Players, form.Warnings, form.Kicks, form.Bans,
                  {&form.Command5, &form.Command6, &form.Option1, &form.Option2, &form.Text2, &form.Command7,
                   &form.Command8, &form.Command9, &form.Command10, &form.Command11, &form.Command14,
                   &form.Command15});
}

void Watchdog::TabStrip1_Click(int tab) {
    if (tab == form.ShownPanel || tab < 0 || tab > 3) return;
    form.ShownPanel = tab;
    for (auto* e : form.selectionBound())
        if (e != &form.Command14 && e != &form.Command15) e->setVisible(false);
}

void Watchdog::Tell(const std::string& title, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    scope.spawn([](Dialogs& d, std::string t, std::string body) -> Task<void> {
        co_await d.Message(std::move(t), std::move(body), MessageIcon::Exclamation);
    }(platform_.dialogs, title, text));
}

void Watchdog::Startup() {
    engine.SpearheadServer = false;
    HighPingTally.clear();
    monitoring.ClaimRetry = false;
    form.kickpro.setRange(0, form.kickpro.max());
    form.scanpro.setRange(0, form.scanpro.max());
    Timer3->stop();
    scan.Timer4->stop();
    form.ShownPanel = 0;
    SuspiciousSkinCount = ReservedSkinCount = 0;
    WindowReady = 0;
    SetUpPlayersTable(form.Players);
    SetUpWarningsTable(form.Warnings);
    SetUpKicksTable(form.Kicks);
    SetUpBansTable(form.Bans);
    auto lists = LoadPenaltyLists(workdir_, penaltyTables(), platform_.calendar);
    keptLines_ = std::move(lists.kept);
    if (!lists.messages.empty()) Tell("Penalty lists", lists.messages);
    form.Alert1.setEnabled(form.Check1.value() == 1);
    form.Alert2.setEnabled(form.Check1.value() == 1);
    form.Label17.setEnabled(form.Check5.value() == 1);
    form.Alert4.setEnabled(form.Check5.value() == 1);
    ReadSkinList(workdir_ / kSkinsFile, SuspiciousSkins, SuspiciousSkinCount);
    ReadSkinList(workdir_ / kReservedFile, ReservedSkins, ReservedSkinCount);
    const auto settings = LoadSettings(form, workdir_);
    settingsUnreadable_ = settings.unreadable;
    if (!settings.problems.empty()) Tell("Settings file", settings.problems);
    if (settings.found && !settings.unreadable && form.SoS.value() == 1) {
        Timer3->setInterval(100);
        Timer3->start();
    }
    form.Text7.setEnabled(form.Check2.value() == 1);
    WindowReady = 1;
}

void Watchdog::Notice(const std::string& text) {
    if (told_.insert(text).second) form.txtOutput.append(text + "\r\n");
}

void Watchdog::Command2_Click() {
    form.Command2.setEnabled(false);
    if (onCloseRequested) onCloseRequested();
}

Task<void> Watchdog::Shutdown() {
    if (shuttingDown_) co_return;
    shuttingDown_ = true;
    form.Command2.setCaption("Disconnecting...");
    form.Command1.setEnabled(false);
    form.Command13.setEnabled(false);
    form.Text1.setEnabled(false);
    co_await monitoring.StopMonitoring();
    // A request still in flight is dropped with its coroutine when the program ends.
    if (link.socketOpen()) link.CloseSocket();
    std::vector<std::string> failures;
    if (!settingsUnreadable_ && !SaveSettings(form, workdir_)) failures.push_back("The settings could not be saved to rconvorstel.ini.");
    for (auto& failure : SavePenaltyLists(workdir_, penaltyTables(), keptLines_)) failures.push_back(failure);
    if (!failures.empty()) {
        std::string text;
        for (const auto& f : failures) text += f + "\r\n";
        co_await platform_.dialogs.Message("Vorstel", text, MessageIcon::Critical);
    }
}

}  // namespace vorstel
